#include "lexicon/plain_report_pane.h"

#include <algorithm>

#include "text/code_pages.h"
#include "text/gbk_bytes.h"

void PlainReportPane::SetGbkText(const AString& gbk) {
    Select(0, -1);
    Insert(gbk, kCodePageGbk);
    undoSteps_++;
}

void PlainReportPane::AppendGbkText(const AString& gbk) {
    SelectEnd();
    Insert(gbk, kCodePageGbk);
    undoSteps_++;
}

void PlainReportPane::Select(int start, int end) {
    const int n = TextLength();
    if (end < 0 || end > n) end = n;
    start = std::clamp(start, 0, end);
    if (start != selStart_ || end != selEnd_) insertFormat_ = -1;
    selStart_ = start;
    selEnd_ = end;
}

void PlainReportPane::SetSelectionFormat(const PaneCharFormat& format) {
    const int index = FormatIndex(format);
    if (selStart_ == selEnd_) {
        insertFormat_ = index;
        return;
    }
    std::fill(formatOf_.begin() + selStart_, formatOf_.begin() + selEnd_, index);
}

void PlainReportPane::ReplaceSelection(const AString& text, int codePage, bool keepUndo) {
    Insert(text, codePage);
    undoSteps_ = keepUndo ? undoSteps_ + 1 : 0;
}

void PlainReportPane::Insert(const AString& text, int codePage) {
    AString wide = text;
    if (!wide.IsWide()) wide.ToWide(codePage);
    std::u16string units;
    const char16_t* u = wide.WideData();
    for (int i = 0, n = wide.GetCharCount(); i < n; i++) {
        if (u[i] == u'\r' && i + 1 < n && u[i + 1] == u'\n') continue;  // CR LF: one paragraph end
        units += u[i] == u'\r' ? u'\n' : u[i];
    }
    const int format = insertFormat_ >= 0 ? insertFormat_
                       : selStart_ > 0    ? formatOf_[static_cast<size_t>(selStart_ - 1)]
                                          : 0;
    text_.replace(static_cast<size_t>(selStart_), static_cast<size_t>(selEnd_ - selStart_), units);
    formatOf_.erase(formatOf_.begin() + selStart_, formatOf_.begin() + selEnd_);
    formatOf_.insert(formatOf_.begin() + selStart_, units.size(), format);
    selStart_ = selEnd_ = selStart_ + static_cast<int>(units.size());
    insertFormat_ = -1;
}

int PlainReportPane::FormatIndex(const PaneCharFormat& format) {
    const auto it = std::find(formats_.begin(), formats_.end(), format);
    if (it != formats_.end()) return static_cast<int>(it - formats_.begin());
    formats_.push_back(format);
    return static_cast<int>(formats_.size() - 1);
}

std::vector<PlainReportPane::Run> PlainReportPane::Runs() const {
    std::vector<Run> runs;
    for (size_t i = 0; i < formatOf_.size(); i++) {
        if (!runs.empty() && formats_[formatOf_[i]] == runs.back().format) {
            runs.back().end++;
        } else {
            runs.push_back({static_cast<int>(i), static_cast<int>(i) + 1, formats_[formatOf_[i]]});
        }
    }
    return runs;
}
