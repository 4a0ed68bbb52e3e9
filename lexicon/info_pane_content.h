#pragma once
#include <string>
#include <vector>

#include "lexicon/char_report.h"
#include "lexicon/dict.h"
#include "lexicon/report_pane.h"
#include "text/astring.h"
// The content of the reader's information pane for a text: the full report
// when the text holds exactly one word or character, else the text word by
// word with pinyin and definitions.

// Where a word of the text is shown in the information pane.
struct typWordPos {
    int TextFirst = 0;  // character index of its first character in the text
    int TextEnd = 0;    // index after its last character
    int InfoStart = 0;  // pane position (UTF-16 units) where it was written
    int InfoEnd = 0;    // InfoStart + its length in characters
    bool operator==(const typWordPos&) const = default;
};

struct InfoPaneStyle {
    ReportLabels labels;
    std::string chineseFace = "Courier New";
    bool showPinyin = true;
};

// Empties the pane and writes the content for the GBK text; wordMap is
// emptied and, in word-list mode, receives one record per word or character
// in text order. Returns 0 (pane left empty) for a text of fewer than 2
// bytes, else 1.
int FillInfoPane(ReportPane& pane, const CDictTop& dict, const AString& text, const InfoPaneStyle& style,
                 std::vector<typWordPos>& wordMap);
