#include "lexicon/info_pane_content.h"

#include "lexicon/pinyin_text.h"
#include "lexicon/segment.h"
#include "text/gbk_bytes.h"

namespace {

constexpr char kPinyinFace[] = "Arial";

void FormatRange(ReportPane& pane, int start, int end, const PaneCharFormat& format) {
    pane.Select(start, end);
    pane.SetSelectionFormat(format);
}

// One word or character with its report, and for a word its own words and characters.
void WriteReport(ReportPane& pane, const CDictTop& dict, const typWordSegment& segment, const InfoPaneStyle& style) {
    const std::string& face = style.chineseFace;
    const bool single = segment.text.GetLength() < 3;
    const ReportSpan span = single ? CharReport(pane, dict, segment.text, style.labels)
                                   : WordReport(pane, dict, segment.text, style.labels);
    const int n = single ? 1 : segment.text.GetLength() / 2;
    FormatRange(pane, 0, span.labelStart, {false, PaneRgb(155, 0, 23), 330, 134, face});
    FormatRange(pane, span.labelStart, span.end, {false, PaneRgb(20, 20, 255), 240, 134, face});
    FormatRange(pane, span.end, -1, {false, PaneRgb(20, 20, 185), 180, 134, face});
    FormatRange(pane, 1, 1 + n, {true, PaneRgb(255, 0, 0), single ? 550 : 450, 134, face});
    if (!single) {
        AStringArray words, pinyins, definitions;
        if (ListWordsAndChars(dict, segment.text, words, pinyins, definitions) > 0) {
            pane.SelectEnd();
            pane.SetSelectionFormat({true, PaneRgb(20, 20, 255), 240, 134, face});
            AString heading;
            heading.Format("%s\n", style.labels.uiLanguage == 0 ? "\xA1\xBE"
                                                                  "Commponent Zi/Ci\xA1\xBF "
                                                                : "\xA1\xBE\xB9\xB9\xB3\xC9\xD7\xD6\xB4\xCA\xA1\xBF");
            pane.AppendGbkText(heading);
            AppendWordList(pane, words, pinyins, definitions, face.c_str(), kPinyinFace, style.showPinyin);
        }
    }
    pane.Select(0, 0);
}

// The text word by word: each word or character bold, then its pinyin and definition.
void WriteWordList(ReportPane& pane, const CDictTop& dict, const std::vector<typWordSegment>& segments,
                   const InfoPaneStyle& style, std::vector<typWordPos>& wordMap) {
    const PaneCharFormat textFormat{false, PaneRgb(100, 0, 0), 300, 134, style.chineseFace};
    const PaneCharFormat wordFormat{true, PaneRgb(100, 0, 0), 300, 134, style.chineseFace};
    const PaneCharFormat pinyinFormat{false, PaneRgb(0, 190, 0), 220, 0, kPinyinFace};
    const PaneCharFormat definitionFormat{false, PaneRgb(30, 30, 190), 210, 0, kPinyinFace};
    pane.SetGbkText(AString());
    for (const typWordSegment& s : segments) {
        if (s.kind == kOtherText) {
            pane.AppendFormatted(s.text, textFormat, kCodePageGbk, true);
            continue;
        }
        const int p = pane.TextLength();
        wordMap.push_back({s.first, s.end, p, p + s.text.GetLength() / 2});
        pane.AppendFormatted(s.text, wordFormat, kCodePageGbk, true);
        AString pinyin, definition;
        if (s.kind == kDictWord) {
            const CedictEntry* entry = dict.FindWord(s.text);
            if (!entry) continue;
            NumberedPinyinToMarks(pinyin, entry->pinyin.GetString(), entry->pinyin.GetLength());
            if (style.showPinyin) pane.AppendFormatted(pinyin, pinyinFormat, kCodePageGbk, true);
            definition.Format(" %s", entry->definitions);
        } else {
            GetPinyinText(dict, s.text, nullptr, &pinyin, true, false, false);
            pinyin.Remove(' ');
            dict.GetDefinition(s.text, definition);
            if (style.showPinyin && !pinyin.IsEmpty()) pane.AppendFormatted(pinyin, pinyinFormat, kCodePageGbk, true);
            if (definition.IsEmpty()) continue;
            pane.AppendFormatted(AString(" "), definitionFormat, kCodePageWestern, true);
        }
        // Definitions may hold Chinese (cross references), so they are written as GBK.
        pane.AppendFormatted(definition, definitionFormat, kCodePageGbk, true);
    }
}

}  // namespace

int FillInfoPane(ReportPane& pane, const CDictTop& dict, const AString& text, const InfoPaneStyle& style,
                 std::vector<typWordPos>& wordMap) {
    pane.Select(0, -1);
    pane.ReplaceSelection(AString(), kCodePageGbk, true);
    wordMap.clear();
    if (text.GetLength() < 2) return 0;

    std::vector<typWordSegment> segments;
    SegmentText(dict, text, segments);
    size_t first = 0;
    while (first < segments.size() && segments[first].kind == kOtherText) first++;
    size_t after = first;
    while (after < segments.size() && segments[after].kind != kOtherText) after++;
    bool later = false;
    for (size_t i = after; i < segments.size() && !later; i++) later = segments[i].kind != kOtherText;

    if (first < segments.size() && after - first == 1 && !later) {
        WriteReport(pane, dict, segments[first], style);
    } else {
        WriteWordList(pane, dict, segments, style, wordMap);
    }
    return 1;
}
