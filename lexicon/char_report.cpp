#include "lexicon/char_report.h"

#include <algorithm>

#include "lexicon/pinyin_text.h"
#include "text/code_pages.h"
#include "text/gbk.h"

// 一 丨 丿 ＼ 折
const char* const StrokeNames[5] = {"\xD2\xBB", "\xD8\xAD", "\xD8\xAF", "\xA3\xDC", "\xD5\xDB"};

namespace {

struct LabelTexts {
    const char* charDefinitionBlock;  // pinyin, definition
    const char* wordDefinitionLabel;
    const char* partsWord;
    const char* strokeOrderWord;
    const char* codeLine;  // lead, trail, code point twice
    int labelUnits;        // the definition label and the two line ends after the definition
};

const LabelTexts kChineseLabels = {
    " %s\n\n\xA1\xBE\xD7\xD6\xD2\xE5\xA1\xBF%s\n\n",  // 【字义】
    "\xA1\xBE\xD7\xD6\xD2\xE5\xA1\xBF",
    "\xB7\xD6\xBD\xE2",                           // 分解
    "\xB1\xCA\xCB\xB3",                           // 笔顺
    "\n\nGB\xC2\xEB: %X%X    Unicode: %d(%X)\n",  // GB码
    6,
};
const LabelTexts kEnglishLabels = {
    " %s\n\n\xA1\xBE"
    "Definition\xA1\xBF %s\n\n",
    "\xA1\xBE"
    "Definition\xA1\xBF ",
    "Parts",
    "Stroke Order",
    "\n\nGB Code: %X%X    Unicode: %d(%X)\n",
    15,
};

const LabelTexts& Texts(const ReportLabels& labels) { return labels.Chinese() ? kChineseLabels : kEnglishLabels; }

constexpr char kWordBlock[] = " %s %s\n\n%s%s\n\n";
constexpr char kHeading[] = "\xA1\xBE%s\xA1\xBF";  // 【%s】
constexpr char kFullWidthV[] = "\xA3\xF6";         // ｖ
constexpr char kStrokeNote[] =
    "\n\n*\xA3\xF6\xB4\xFA\xB1\xED\xC0\xE0\xCB\xC6\"\xDF\xAE\"\xD6\xD0\xB5\xC4\xD5\xDB\xB1\xCA\xBB\xAE.";

bool IsLead(const AString& s, int i) { return static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.GetLength(); }

// Characters of GBK text: a double-byte character counts one.
int CharCount(const AString& s) {
    int n = 0;
    for (int i = 0; i < s.GetLength(); i += IsLead(s, i) ? 2 : 1) n++;
    return n;
}

// The text with each stroke digit written as its name.
AString NameStrokes(const AString& s, int* elements = nullptr) {
    AString out;
    int count = 0;
    for (int i = 0; i < s.GetLength(); i++, count++) {
        const char b = s[i];
        if (IsLead(s, i)) {
            out.Append(s.GetString() + i, 2);
            i++;
        } else if (b >= '1' && b <= '5') {
            out += StrokeNames[b - '1'];
        } else {
            out += b;
        }
    }
    if (elements) *elements = count;
    return out;
}

AString Heading(const char* word) {
    AString h;
    h.Format(kHeading, word);
    return h;
}

AString CommonSetName(const CDictTop& dict, const AString& ch, int commonness, const ReportLabels& labels) {
    const char* name = "Not Common Character";
    if (commonness & 3) {
        name = "2500 Common Character Set";
    } else if (ch.GetLength() >= 2 && dict.IsGb2312Char(CharKeyAt(ch))) {
        name = "6763 Common Character Set (GB2312)";
    }
    return labels.translate ? labels.translate(AString(name)) : AString(name);
}

}  // namespace

AString PartsBlock(const AString& decomposition, const ReportLabels& labels) {
    AString block = Heading(Texts(labels).partsWord);
    block += NameStrokes(decomposition);
    block += '\n';
    return block;
}

AString StrokeOrderBlock(const CDictTop& dict, const AString& decomposition, const ReportLabels& labels) {
    AString block = Heading(Texts(labels).strokeOrderWord);
    for (int i = 0; i < decomposition.GetLength(); i++) {
        const int width = IsLead(decomposition, i) ? 2 : 1;
        const AString expansion = dict.GetParts(decomposition.Mid(i, width), true);
        i += width - 1;
        int elements = 0;
        const AString named = NameStrokes(expansion, &elements);
        if (elements > 1) block += '(';
        block += named;
        if (elements > 1) block += ')';
    }
    if (block.Find(kFullWidthV) >= 0) block += kStrokeNote;
    return block;
}

ReportSpan CharReport(ReportPane& pane, const CDictTop& dict, const AString& ch, const ReportLabels& labels) {
    const LabelTexts& texts = Texts(labels);
    const AString c = ch.Left(2);
    AString pinyin;
    GetPinyinText(dict, c, nullptr, &pinyin, true, true, true);
    if (pinyin.IsEmpty()) pinyin = c;
    AString definition;
    int commonness = 0;
    dict.GetDefinition(c, definition, &commonness);

    AString text;
    text.Format(texts.charDefinitionBlock, pinyin, definition);
    pane.SetGbkText(text);
    const int l1 = pane.TextLength();

    const AString parts = dict.GetParts(c, labels.uiLanguage != 1);
    pane.AppendGbkText(PartsBlock(parts, labels));
    AString strokes = StrokeOrderBlock(dict, parts, labels);
    strokes += "\n\n\n";
    pane.AppendGbkText(strokes);

    AString common;
    common.Format("\xA1\xBE%s\xA1\xBF\n\n", CommonSetName(dict, c, commonness, labels));
    pane.AppendGbkText(common);
    const int l2 = pane.TextLength();

    const auto lead = static_cast<unsigned char>(c[0]), trail = static_cast<unsigned char>(c[1]);
    const int unicode = c.GetLength() == 2 ? GbkCharToUnicode(c.GetString()) : 0;
    AString codes;
    codes.Format(texts.codeLine, lead, trail, unicode, unicode);
    pane.AppendGbkText(codes);
    return {l1 - CharCount(definition) - texts.labelUnits, l2};
}

ReportSpan WordReport(ReportPane& pane, const CDictTop& dict, const AString& word, const ReportLabels& labels) {
    const CedictEntry* entry = dict.FindWord(word);
    if (!entry) return {};
    const LabelTexts& texts = Texts(labels);
    AString marks;
    NumberedPinyinToMarks(marks, entry->pinyin.GetString(), entry->pinyin.GetLength());
    AString text;
    text.Format(kWordBlock, word, marks, texts.wordDefinitionLabel, entry->definitions);
    pane.SetGbkText(text);
    const int l1 = pane.TextLength();

    AString parts;
    for (int i = 0; i < word.GetLength(); i++) {
        const int width = IsLead(word, i) ? 2 : 1;
        parts += dict.GetParts(word.Mid(i, width), false);
        parts += ' ';
        i += width - 1;
    }
    AString blocks = PartsBlock(parts, labels);
    blocks += StrokeOrderBlock(dict, parts, labels);
    blocks += "\n\n";
    pane.AppendGbkText(blocks);
    return {l1 - CharCount(entry->definitions) - texts.labelUnits, pane.TextLength()};
}

void AppendWordList(ReportPane& pane, const AStringArray& words, const AStringArray& pinyins,
                    const AStringArray& definitions, const char* chineseFace, const char* pinyinFace, bool showPinyin) {
    const PaneCharFormat wordFormat{true, PaneRgb(170, 0, 0), 260, 134, chineseFace};
    const PaneCharFormat pinyinFormat{false, PaneRgb(0, 190, 0), 220, 0, pinyinFace};
    const int n = std::min({words.GetSize(), pinyins.GetSize(), definitions.GetSize()});
    for (int i = 0; i < n; i++) {
        pane.AppendFormatted(words[i], wordFormat, kCodePageGbk, false);
        if (showPinyin) pane.AppendFormatted(pinyins[i], pinyinFormat, kCodePageGbk, false);
        AString definition;
        definition.Format(" %s", definitions[i]);
        // Bold as the piece before it: the word, unless pinyin came between.
        pane.AppendFormatted(definition, {!showPinyin, PaneRgb(30, 30, 190), 210, 134, chineseFace}, kCodePageGbk,
                             true);
    }
}
