#include "lexicon/pinyin_text.h"

#include <string>

#include "rules/pinyin_spelling.h"
#include "text/gbk.h"

namespace {

// Tone names of the digits 1..4; every other digit is named as tone 4.
constexpr const char* kToneNames[] = {"\xD2\xF5\xC6\xBD", "\xD1\xF4\xC6\xBD", "\xC9\xCF\xC9\xF9",
                                      "\xC8\xA5\xC9\xF9"};  // 阴平 阳平 上声 去声

const char* ToneName(char digit) { return digit >= '1' && digit <= '3' ? kToneNames[digit - '1'] : kToneNames[3]; }

// A compact spelling of the data files: 3 bytes or more, ending in g without n.
bool IsCompactSpelling(const AString& r) {
    const int n = r.GetLength();
    return n >= 3 && r[n - 1] == 'g' && r[n - 2] != 'n';
}

}  // namespace

int FormatCharReadings(const CDictTop& dict, const AString& ch, const AStringArray& readings, AStringArray* outList,
                       AString* outText, bool skipCompact, bool prefix, bool toneNames) {
    if (outText && prefix) {
        *outText = ch.Left(2);
        *outText += "  ";
    }
    if (outList) outList->RemoveAll();
    const CharKey key = ch.GetLength() >= 2 ? CharKeyAt(ch) : 0;
    bool first = true;
    for (int r = 0; r < readings.GetSize(); r++) {
        if (skipCompact && IsCompactSpelling(readings[r])) continue;
        AString digits;
        if (!dict.GetToneSymbols(key, readings[r], digits, true)) continue;
        for (int d = 0; d < digits.GetLength(); d++) {
            AString spelling = readings[r];
            MarkTone(spelling, digits[d] - '0');
            if (outList) outList->Add(spelling);
            if (!outText) continue;
            // Separators go between spellings, so none trails a skipped reading.
            if (!first) *outText += ", ";
            *outText += spelling;
            if (toneNames) {
                *outText += ' ';
                *outText += ToneName(digits[d]);
            }
            first = false;
        }
    }
    return outText ? outText->GetLength() : 0;
}

int GetPinyinText(const CDictTop& dict, const AString& text, AStringArray* outList, AString* outText, bool skipCompact,
                  bool prefix, bool toneNames) {
    AStringArray readings;
    if (dict.GetReadings(text.GetLength() >= 2 ? CharKeyAt(text) : 0, readings) > 0)
        return FormatCharReadings(dict, text, readings, outList, outText, skipCompact, prefix, toneNames);
    const CedictEntry* entry = dict.FindWord(text);
    if (!entry) return 0;
    if (outText && prefix) {
        *outText = text;
        *outText += entry->pinyin;
    }
    if (outList && !entry->pinyin.IsEmpty()) outList->Add(entry->pinyin);
    return 1;
}

int ListWordsAndChars(const CDictTop& dict, const AString& text, AStringArray& words, AStringArray& pinyins,
                      AStringArray& definitions) {
    const int n = text.GetLength();
    for (int m = n - 2; m > 3; m -= 2) {
        const AString prefix = text.Left(m);
        if (const CedictEntry* entry = dict.FindWord(prefix)) {
            words.Add(prefix);
            pinyins.Add(entry->pinyin);
            definitions.Add(entry->definitions);
        }
    }
    for (int i = 0; i + 1 < n; i += 2) {
        const AString ch = text.Mid(i, 2);
        AString pinyin, definition;
        GetPinyinText(dict, ch, nullptr, &pinyin, true, false, false);
        pinyin.Remove(' ');
        dict.GetDefinition(ch, definition);
        words.Add(ch);
        pinyins.Add(pinyin);
        definitions.Add(definition);
    }
    return words.GetSize();
}

AString& NumberedPinyinToMarks(AString& out, const char* pinyin, int count) {
    AString result;  // pinyin may point into out
    int i = 0;
    while (i < count) {
        while (i < count && pinyin[i] == ' ') i++;
        const int start = i;
        while (i < count && pinyin[i] != ' ') i++;
        if (i == start) break;
        AString piece = AString::FromBytes(pinyin + start, i - start);
        const char last = pinyin[i - 1];
        if (i - start > 1 && last >= '1' && last <= '5') {
            // The word list writes u-umlaut as "u:"; the speller reads it as v.
            std::string syllable;
            for (int k = start; k < i - 1; k++) {
                if (pinyin[k] == 'u' && k + 1 < i - 1 && pinyin[k + 1] == ':') {
                    syllable += 'v';
                    k++;
                } else {
                    syllable += pinyin[k];
                }
            }
            piece = AString::FromBytes(syllable.data(), static_cast<int>(syllable.size()));
            MarkTone(piece, last - '0');
        }
        if (!result.IsEmpty()) result += ' ';
        result += piece;
    }
    out = result;
    return out;
}
