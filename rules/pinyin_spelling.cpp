#include "rules/pinyin_spelling.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

// Tone-marked vowels are GBK row A8, trail byte = base + tone.
constexpr unsigned char kPinyinRow = 0xA8;
constexpr unsigned char kUmlautTrail = 0xB9;  // plain u-umlaut: v with tone 5

struct ToneVowel {
    char letter;
    unsigned char base;
};

constexpr ToneVowel kToneVowels[] = {
    {'a', 0xA0}, {'e', 0xA4}, {'i', 0xA8}, {'o', 0xAC}, {'u', 0xB0}, {'v', 0xB4},
};

bool IsVowel(char c) { return c && std::strchr("aoeiuv", c); }

void PutMarkedVowel(std::string& out, char vowel, int tone) {
    if (tone == 5 && vowel != 'v') {
        out += vowel;
        return;
    }
    for (const ToneVowel& tv : kToneVowels) {
        if (tv.letter == vowel) {
            out += (char)kPinyinRow;
            out += (char)(tv.base + tone);
            return;
        }
    }
}

// The tone-marked spelling of s in out; 0 (out untouched) when no vowel takes the tone.
int MarkToneBytes(std::string_view in, int tone, std::string& out) {
    if (tone < 1 || tone > 5) return 0;
    std::string s(in);
    if (s == "lue" || s == "nue") s[1] = 'v';

    size_t i = 0;
    while (i < s.size() && !IsVowel(s[i])) ++i;
    if (i == s.size()) return 0;
    if (tone == 5 && s[i] != 'v') return 0;

    out.assign(s, 0, i);
    size_t mark = i;
    // i, u, v before another vowel: the other vowel takes the mark (iu, ui, ia, ua, ie, ve).
    if (std::strchr("iuv", s[i]) && i + 1 < s.size() && IsVowel(s[i + 1])) {
        if (s[i] == 'v' && i == 1) {
            out += (char)kPinyinRow;
            out += (char)kUmlautTrail;
        } else {
            out += s[i];
        }
        mark = i + 1;
    }
    PutMarkedVowel(out, s[mark], tone);
    out.append(s, mark + 1);
    return 1;
}

// The two numeral lists, written lead byte high: 十一二三四五六七八九Ｏ and
// 拾壹贰叁肆伍陆柒捌玖零. Position 0 is 10, 1..9 are themselves, 10 is 0.
constexpr std::uint16_t kNumerals[2][11] = {
    {0xCAAE, 0xD2BB, 0xB6FE, 0xC8FD, 0xCBC4, 0xCEE5, 0xC1F9, 0xC6DF, 0xB0CB, 0xBEC5, 0xA3CF},
    {0xCAB0, 0xD2BC, 0xB7A1, 0xC8FE, 0xCBC1, 0xCEE9, 0xC2BD, 0xC6E2, 0xB0C6, 0xBEC1, 0xC1E3},
};
constexpr unsigned kFullWidthZero = 0xA3B0;

}  // namespace

int MarkTone(AString& syllable, int tone) {
    std::string out;
    if (!MarkToneBytes(std::string_view(syllable.GetString(), syllable.GetLength()), tone, out)) return 0;
    syllable = AString::FromBytes(out.data(), (int)out.size());
    return 1;
}

int NumeralValue(CharKey key, int* value) {
    const unsigned code = ToDoubleByteCode(key).value;  // the written form of the tables above
    int v = -1;
    if (code >= kFullWidthZero && code <= kFullWidthZero + 9) {
        v = (int)(code - kFullWidthZero);
    } else {
        for (int pos = 0; pos < 11 && v < 0; ++pos)
            if (code == kNumerals[0][pos] || code == kNumerals[1][pos]) v = pos == 0 ? 10 : pos == 10 ? 0 : pos;
    }
    if (v < 0) return 0;
    if (value) *value = v;
    return 1;
}
