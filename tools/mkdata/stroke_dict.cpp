#include "tools/mkdata/stroke_dict.h"

#include "text/utf8.h"

void StrokeDict::AddLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return;
    const char32_t cp = SingleCodePoint(line.substr(0, tab));
    std::string_view letters = line.substr(tab + 1);
    letters = letters.substr(0, letters.find('\t'));  // a weight column may follow
    if (cp == kBadUtf8 || letters.empty()) return;
    constexpr std::string_view kLetters = "hspnz";
    std::string digits;
    for (const char c : letters) {
        const size_t k = kLetters.find(c);
        if (k == std::string_view::npos) return;
        digits += static_cast<char>('1' + k);
    }
    strokes_[cp] = digits;
}

void StrokeDict::Read(std::istream& in) {
    std::string line;
    while (std::getline(in, line) && line.rfind("...", 0) != 0) {}
    while (std::getline(in, line)) AddLine(line);
}

std::string StrokeDict::Get(char32_t cp) const {
    auto it = strokes_.find(cp);
    return it == strokes_.end() ? std::string() : it->second;
}
