#include "rules/pinyin_spelling.h"

#include <gtest/gtest.h>
#include <string>

#include "tests/support/string_bytes.h"
#include "text/gbk.h"

namespace {

struct ToneCase {
    const char* syllable;
    int tone;
    const char* expected;  // GBK bytes
    int result;
};

const ToneCase kToneCases[] = {
    {"zhong", 1, "zh\xA8\xADng", 1},
    {"liu", 4, "li\xA8\xB4", 1},
    {"gui", 4, "gu\xA8\xAC", 1},
    {"lue", 4, "l\xA8\xB9\xA8\xA8", 1},
    {"nue", 4, "n\xA8\xB9\xA8\xA8", 1},
    {"lve", 4, "l\xA8\xB9\xA8\xA8", 1},
    {"lue", 5,
     "l\xA8\xB9"
     "e",
     1},
    {"lv", 3, "l\xA8\xB7", 1},
    {"lv", 5, "l\xA8\xB9", 1},
    {"nv", 5, "n\xA8\xB9", 1},
    // A vowel pair that starts with i, u or v marks its second vowel.
    {"jia", 1, "ji\xA8\xA1", 1},
    {"hua", 2, "hu\xA8\xA2", 1},
    {"jie", 3, "ji\xA8\xA7", 1},
    {"xue", 2, "xu\xA8\xA6", 1},
    {"diu", 1, "di\xA8\xB1", 1},
    {"dui", 4, "du\xA8\xAC", 1},
    {"guo", 2, "gu\xA8\xAE", 1},
    {"xiao", 3, "xi\xA8\xA3o", 1},
    {"kuai", 4, "ku\xA8\xA4i", 1},
    {"xiong", 2, "xi\xA8\xAEng", 1},
    {"chuang", 1, "chu\xA8\xA1ng", 1},
    // a, o, e first: that vowel takes the mark.
    {"hao", 3, "h\xA8\xA3o", 1},
    {"lei", 4, "l\xA8\xA8i", 1},
    {"zhou", 1, "zh\xA8\xADu", 1},
    {"ai", 4, "\xA8\xA4i", 1},
    {"er", 2, "\xA8\xA6r", 1},
    {"o", 2, "\xA8\xAE", 1},
    // Neutral tone leaves every vowel but v alone.
    {"ma", 5, "ma", 0},
    {"de", 5, "de", 0},
    {"liu", 5, "liu", 0},
    {"zi", 5, "zi", 0},
    // No vowel.
    {"m", 2, "m", 0},
    {"hng", 4, "hng", 0},
    {"", 1, "", 0},
};

TEST(MarkTone, Syllables) {
    for (const ToneCase& c : kToneCases) {
        AString s(c.syllable);
        EXPECT_EQ(MarkTone(s, c.tone), c.result) << c.syllable << c.tone;
        EXPECT_EQ(Bytes(s), std::string(c.expected)) << c.syllable << c.tone;
    }
}

// Each vowel alone after a consonant, with each of tones 1 to 4.
TEST(MarkTone, EveryVowelEveryTone) {
    struct Row {
        const char* syllable;
        unsigned char trails[4];
    };
    const Row rows[] = {
        {"ma", {0xA1, 0xA2, 0xA3, 0xA4}}, {"de", {0xA5, 0xA6, 0xA7, 0xA8}}, {"mi", {0xA9, 0xAA, 0xAB, 0xAC}},
        {"bo", {0xAD, 0xAE, 0xAF, 0xB0}}, {"lu", {0xB1, 0xB2, 0xB3, 0xB4}}, {"nv", {0xB5, 0xB6, 0xB7, 0xB8}},
    };
    for (const Row& r : rows) {
        for (int tone = 1; tone <= 4; ++tone) {
            AString s(r.syllable);
            ASSERT_EQ(MarkTone(s, tone), 1) << r.syllable << tone;
            std::string expected{r.syllable[0], '\xA8', (char)r.trails[tone - 1]};
            EXPECT_EQ(Bytes(s), expected) << r.syllable << tone;
        }
    }
}

TEST(NumeralValue, Numerals) {
    struct Case {
        const char* gbk;
        int value;
    };
    const Case cases[] = {
        {"\xCA\xAE", 10},  // 十
        {"\xCA\xB0", 10},  // 拾
        {"\xD2\xBB", 1},   // 一
        {"\xD2\xBC", 1},   // 壹
        {"\xB7\xA1", 2},   // 贰
        {"\xCE\xE5", 5},   // 五
        {"\xCE\xE9", 5},   // 伍
        {"\xBE\xC5", 9},   // 九
        {"\xBE\xC1", 9},   // 玖
        {"\xA3\xCF", 0},   // full-width O
        {"\xC1\xE3", 0},   // 零
        {"\xA3\xB0", 0},   // full-width 0
        {"\xA3\xB5", 5},  {"\xA3\xB9", 9},
    };
    for (const Case& c : cases) {
        int v = -1;
        EXPECT_NE(NumeralValue(CharKeyAt(c.gbk), &v), 0) << c.value;
        EXPECT_EQ(v, c.value);
    }
    EXPECT_NE(NumeralValue(CharKeyAt("\xCA\xAE")), 0);  // no out value
}

TEST(NumeralValue, NonNumeralsLeaveOutValue) {
    const char* const cases[] = {
        "\xC1\xBD",  // 两
        "\xB0\xD9",  // 百
        "\xD6\xD0",  // 中
        "\xA3\xAF",  // just below full-width 0
        "\xA3\xBA",  // just above full-width 9
        "\xAE\xCA",  // 十 with its bytes swapped
        "\xB0\xA3",  // full-width 0 with its bytes swapped
        "1\0",      "\0\0",
    };
    for (const char* gbk : cases) {
        int v = 77;
        EXPECT_EQ(NumeralValue(CharKeyAt(gbk), &v), 0) << std::hex << CharKeyAt(gbk);
        EXPECT_EQ(v, 77);
        EXPECT_EQ(NumeralValue(CharKeyAt(gbk)), 0);
    }
}

}  // namespace
