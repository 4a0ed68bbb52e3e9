#pragma once
#include "lexicon/dict.h"
#include "lexicon/report_pane.h"
#include "text/aarray.h"
#include "text/astring.h"
// The information reports: a character's readings, definition, parts, stroke
// order, common set and codes; a word's pinyin, definitions, parts and stroke
// order; and the word list of a longer text. Text is written as GBK.

// Translates an English interface text into the interface language (GBK).
using UiTextTranslator = AString (*)(const AString& english);

struct ReportLabels {
    int uiLanguage = 0;                   // 1 and 2: Chinese labels; others: English
    UiTextTranslator translate = nullptr;  // none: texts stay English
    bool Chinese() const { return uiLanguage == 1 || uiLanguage == 2; }
};

// Positions in the pane (UTF-16 units): where the definition label starts,
// and where the part before the code line ends (for a word, the text end).
struct ReportSpan {
    int labelStart = 0;
    int end = 0;
    bool operator==(const ReportSpan&) const = default;
};

// The names written for the stroke digits 1..5.
extern const char* const StrokeNames[5];

// "【Parts】" and the decomposition with stroke digits named, then a line feed.
AString PartsBlock(const AString& decomposition, const ReportLabels& labels);
// "【Stroke Order】" and each element of the decomposition expanded to strokes,
// several in parentheses; a note when a stroke is written as ｖ.
AString StrokeOrderBlock(const CDictTop& dict, const AString& decomposition, const ReportLabels& labels);

// Replaces the pane's text with the report of the character (its first two bytes).
ReportSpan CharReport(ReportPane& pane, const CDictTop& dict, const AString& ch, const ReportLabels& labels);
// Replaces the pane's text with the report of a dictionary word; (0, 0) with
// the pane untouched when the word is not in the dictionary.
ReportSpan WordReport(ReportPane& pane, const CDictTop& dict, const AString& word, const ReportLabels& labels);
// Appends each entry: the word in bold dark red, its pinyin in green (with
// showPinyin), its definitions in blue.
void AppendWordList(ReportPane& pane, const AStringArray& words, const AStringArray& pinyins,
                    const AStringArray& definitions, const char* chineseFace, const char* pinyinFace, bool showPinyin);
