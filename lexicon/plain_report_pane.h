#pragma once
#include <string>
#include <vector>

#include "lexicon/report_pane.h"
// A report pane in memory: UTF-16 text with a character format per unit.
// Inserted text takes the insertion format (set on an empty selection), else
// the format of the unit before it, else the default format. Line ends are
// kept as single line feeds, as a rich-edit control keeps one unit per
// paragraph end.

class PlainReportPane : public ReportPane {
public:
    void SetGbkText(const AString& gbk) override;
    void AppendGbkText(const AString& gbk) override;
    int TextLength() const override { return static_cast<int>(text_.size()); }
    void Select(int start, int end) override;
    void SetSelectionFormat(const PaneCharFormat& format) override;
    void ReplaceSelection(const AString& text, int codePage, bool keepUndo) override;

    const std::u16string& Text() const { return text_; }
    // A run of units with one format.
    struct Run {
        int start;
        int end;
        PaneCharFormat format;
    };
    std::vector<Run> Runs() const;
    const PaneCharFormat& FormatAt(int unit) const { return formats_[formatOf_[static_cast<size_t>(unit)]]; }
    int UndoSteps() const { return undoSteps_; }  // changes kept in the undo history since it was last cleared

private:
    void Insert(const AString& text, int codePage);
    int FormatIndex(const PaneCharFormat& format);

    std::u16string text_;
    std::vector<int> formatOf_;                 // per unit, index into formats_
    std::vector<PaneCharFormat> formats_{PaneCharFormat{}};
    int selStart_ = 0, selEnd_ = 0;
    int insertFormat_ = -1;                     // set on an empty selection
    int undoSteps_ = 0;
};
