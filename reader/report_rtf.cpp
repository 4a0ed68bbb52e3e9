#include "reader/report_rtf.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Face names are GBK; RTF takes them as 8-bit text of the font's charset
// (code page 936 for 134), so plain ASCII faces stay readable everywhere.
void AppendEscapedBytes(std::string& out, const std::string& bytes) {
    static const char hex[] = "0123456789abcdef";
    for (unsigned char b : bytes) {
        if (b == '\\' || b == '{' || b == '}' || b == ';') {
            out += "\\'";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += "\\'";
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
}

template <class T>
int IndexOf(std::vector<T>& table, const T& value) {
    const auto it = std::find(table.begin(), table.end(), value);
    if (it != table.end()) return static_cast<int>(it - table.begin());
    table.push_back(value);
    return static_cast<int>(table.size() - 1);
}

}  // namespace

std::string ReportRtf(const PlainReportPane& content, const std::string& defaultFace,
                      std::vector<RtfFaceFix>& faceFixes) {
    faceFixes.clear();
    const std::vector<PlainReportPane::Run> runs = content.Runs();
    std::vector<std::pair<std::string, int>> fonts;  // face, charset
    std::vector<std::uint32_t> colours;
    std::string body;
    const std::u16string& text = content.Text();
    for (const PlainReportPane::Run& run : runs) {
        const PaneCharFormat& f = run.format;
        std::string face = f.face.empty() ? defaultFace : f.face;
        if (std::any_of(face.begin(), face.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
            if (!faceFixes.empty() && faceFixes.back().end == run.start && faceFixes.back().face == face)
                faceFixes.back().end = run.end;
            else
                faceFixes.push_back({run.start, run.end, face});
            face = "Arial";
        }
        const int font = IndexOf(fonts, {face, f.charset});
        const int colour = IndexOf(colours, f.colour) + 1;  // 0 is the automatic colour
        body += "\\plain\\f" + std::to_string(font) + "\\fs" + std::to_string(f.twips / 10) + "\\cf" +
                std::to_string(colour) + (f.bold ? "\\b " : "\\b0 ");
        for (int i = run.start; i < run.end; i++) {
            const char16_t u = text[static_cast<size_t>(i)];
            if (u == u'\n' || u == u'\r') body += "\\par ";
            else if (u == u'\\' || u == u'{' || u == u'}') body += '\\', body += static_cast<char>(u);
            else if (u >= 0x20 && u < 0x80) body += static_cast<char>(u);
            else body += "\\u" + std::to_string(static_cast<int16_t>(u)) + " ";
        }
    }
    // The control takes a last paragraph end of the stream for its own final
    // mark; one more keeps the pane's.
    if (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) body += "\\par ";
    std::string rtf = "{\\rtf1\\ansi\\ansicpg936\\uc0\\deff0{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); i++) {
        rtf += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" + std::to_string(fonts[i].second) + " ";
        AppendEscapedBytes(rtf, fonts[i].first);
        rtf += ";}";
    }
    rtf += "}{\\colortbl;";
    for (std::uint32_t c : colours)
        rtf += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
               std::to_string((c >> 16) & 0xFF) + ";";
    rtf += "}\n" + body + "}";
    return rtf;
}
