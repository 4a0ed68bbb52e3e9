#pragma once
#include <cstdint>
#include <string>

#include "text/astring.h"
// What the information reports need of a rich-text pane. The reader window
// implements it over its rich-edit control; PlainReportPane keeps the text and
// its formats in memory for the console and the tests.

constexpr std::uint32_t PaneRgb(int r, int g, int b) {  // 0x00BBGGRR, as the control takes it
    return static_cast<std::uint32_t>(r | (g << 8) | (b << 16));
}

struct PaneCharFormat {
    bool bold = false;
    std::uint32_t colour = 0;  // PaneRgb
    int twips = 200;           // character height, 1/20 point
    int charset = 134;         // 134 GB2312, 0 ANSI
    std::string face;
    bool operator==(const PaneCharFormat&) const = default;
};

class ReportPane {
public:
    virtual ~ReportPane() = default;
    // The whole text replaced by GBK text (kCodePageGbk), keeping the undo history.
    virtual void SetGbkText(const AString& gbk) = 0;
    // GBK text added at the end, keeping the undo history.
    virtual void AppendGbkText(const AString& gbk) = 0;
    // The text length in UTF-16 units; a paragraph end counts one.
    virtual int TextLength() const = 0;
    // Selects [start, end); end -1 means the end of the text.
    virtual void Select(int start, int end) = 0;
    // Formats the selection; an empty selection sets the format of what is
    // typed or inserted there next.
    virtual void SetSelectionFormat(const PaneCharFormat& format) = 0;
    // Puts 8-bit text of the code page in place of the selection; keepUndo
    // joins the change to the undo history, otherwise the history is cleared.
    virtual void ReplaceSelection(const AString& text, int codePage, bool keepUndo) = 0;

    // The caret at the end of the text.
    void SelectEnd() {
        const int n = TextLength();
        Select(n, n);
    }
    // Text of the code page added at the end in the given format.
    void AppendFormatted(const AString& text, const PaneCharFormat& format, int codePage, bool keepUndo) {
        SelectEnd();
        SetSelectionFormat(format);
        ReplaceSelection(text, codePage, keepUndo);
    }
};
