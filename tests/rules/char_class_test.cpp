#include "rules/char_class.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

struct PairCase {
    unsigned char lead, trail;
    bool expected;
};

TEST(ContainsDoubleByteChar, EveryBytePosition) {
    struct Case {
        const char* s;
        int gbk, big5;
    };
    const Case cases[] = {
        {"", 0, 0},         {"plain ASCII", 0, 0}, {"\xD6\xD0", 1, 1}, {"a\xD6\xD0", 1, 1},  // pair at an odd position
        {"ab\xD6", 0, 0},                                                                    // lead byte at the end
        {"\x81\x40", 1, 0},                                                                  // 0x81 leads only in GBK
        {"\xA4\x7F", 0, 1},                                                                  // 0x7F trails only in Big5
        {"\xFF\xA1", 0, 0}, {"x\x80\xA1", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ContainsDoubleByteChar(c.s, false), c.gbk) << c.s;
        EXPECT_EQ(ContainsDoubleByteChar(c.s, true), c.big5) << c.s;
    }
    EXPECT_EQ(ContainsDoubleByteChar(nullptr, false), 0);
}

TEST(IsHanziCode, GbkAndBig5Boundaries) {
    const PairCase gbk[] = {
        {0xB0, 0xA1, true}, {0xB0, 0xA0, false}, {0xB0, 0x40, false}, {0xB1, 0x40, true},  {0xAF, 0xFE, false},
        {0xD6, 0xD0, true}, {0xF7, 0xFE, true},  {0x81, 0x40, false}, {0xA3, 0xB0, false},
    };
    for (const PairCase& c : gbk)
        EXPECT_EQ(IsHanziCode(c.lead, c.trail, false), c.expected) << std::hex << +c.lead << ' ' << +c.trail;
    const PairCase big5[] = {
        {0xA3, 0xFE, false}, {0xA4, 0x40, true}, {0xC6, 0xA1, true}, {0xF9, 0xDC, true},  {0xF9, 0xDD, false},
        {0xFA, 0xFE, false}, {0xF9, 0xFF, true}, {0xF8, 0xFE, true}, {0xA1, 0x40, false},
    };
    for (const PairCase& c : big5)
        EXPECT_EQ(IsHanziCode(c.lead, c.trail, true), c.expected) << std::hex << +c.lead << ' ' << +c.trail;
}

// Both sides of every boundary of the gap table, row by row.
TEST(IsGbkGap, RowBoundaries) {
    const PairCase cases[] = {
        {0xA1, 0x40, true},  {0xA1, 0xA1, true},  {0xA1, 0xA2, false}, {0xA1, 0xFE, false}, {0xA2, 0x40, true},
        {0xA2, 0xA0, true},  {0xA2, 0xA1, false}, {0xA2, 0xAA, false}, {0xA2, 0xAB, true},  {0xA2, 0xB0, true},
        {0xA2, 0xB1, false}, {0xA2, 0xE2, false}, {0xA2, 0xE3, true},  {0xA2, 0xE4, true},  {0xA2, 0xE5, false},
        {0xA2, 0xEE, false}, {0xA2, 0xEF, true},  {0xA2, 0xF0, false}, {0xA2, 0xFC, false}, {0xA2, 0xFD, true},
        {0xA2, 0xFE, true},  {0xA3, 0xA0, true},  {0xA3, 0xA1, false}, {0xA3, 0xFE, false}, {0xA3, 0xFF, true},
        {0xA4, 0xA0, true},  {0xA4, 0xA1, false}, {0xA4, 0xF3, false}, {0xA4, 0xF4, true},  {0xA4, 0xFE, true},
        {0xA5, 0xA0, true},  {0xA5, 0xA1, false}, {0xA5, 0xF6, false}, {0xA5, 0xF7, true},  {0xA6, 0xA0, true},
        {0xA6, 0xA1, false}, {0xA6, 0xB8, false}, {0xA6, 0xB9, true},  {0xA6, 0xC0, true},  {0xA6, 0xC1, false},
        {0xA6, 0xD8, false}, {0xA6, 0xD9, true},  {0xA6, 0xDF, true},  {0xA6, 0xE0, false}, {0xA6, 0xE2, false},
        {0xA6, 0xE3, true},  {0xA6, 0xE4, false}, {0xA6, 0xF5, false}, {0xA6, 0xF6, true},  {0xA7, 0xA0, true},
        {0xA7, 0xA1, false}, {0xA7, 0xC1, false}, {0xA7, 0xC2, true},  {0xA7, 0xD0, true},  {0xA7, 0xD1, false},
        {0xA7, 0xF1, false}, {0xA7, 0xF2, true},  {0xA8, 0x40, false}, {0xA8, 0x95, false}, {0xA8, 0x96, true},
        {0xA8, 0xA0, true},  {0xA8, 0xA1, false}, {0xA8, 0xC0, false}, {0xA8, 0xC1, true},  {0xA8, 0xC4, true},
        {0xA8, 0xC5, false}, {0xA8, 0xE9, false}, {0xA8, 0xEA, true},  {0xA9, 0x5A, false}, {0xA9, 0x5B, true},
        {0xA9, 0x5C, false}, {0xA9, 0x5D, true},  {0xA9, 0x5F, true},  {0xA9, 0x60, false}, {0xA9, 0x96, false},
        {0xA9, 0x97, true},  {0xA9, 0xA3, true},  {0xA9, 0xA4, false}, {0xA9, 0xEF, false}, {0xA9, 0xF0, true},
        {0xAA, 0x40, false}, {0xAA, 0xA0, false}, {0xAA, 0xA1, true},  {0xAF, 0xA0, false}, {0xAF, 0xFE, true},
        {0xB0, 0xA1, false}, {0xD6, 0xD0, false}, {0xD7, 0x40, false}, {0xD7, 0xF9, false}, {0xD7, 0xFA, true},
        {0xD7, 0xFE, true},  {0xF7, 0xFE, false}, {0xF8, 0xA0, false}, {0xF8, 0xA1, true},  {0xFE, 0x40, false},
        {0xFE, 0xA0, false}, {0xFE, 0xA1, true},  {0x81, 0x40, false}, {0xA0, 0xFE, false}, {0xFF, 0xFF, false},
    };
    for (const PairCase& c : cases)
        EXPECT_EQ(IsGbkGap(c.lead, c.trail), c.expected) << std::hex << +c.lead << ' ' << +c.trail;
}

TEST(IsSymbolChar, GbkAndBig5) {
    const PairCase gbk[] = {
        {0xA1, 0xA2, true},                        // symbol row
        {0xA1, 0xA1, true},                        // gap inside a symbol row
        {0xA3, 0xB0, true},                        // full-width 0
        {0xA9, 0x40, true},  {0xAA, 0xA1, true},   // gap outside the symbol rows
        {0xD7, 0xFA, true},  {0xAA, 0x40, false},  // extension character
        {0xB0, 0xA1, false}, {0xA0, 0xA1, false}, {0x81, 0x40, false}, {0xA1, 0x7F, false},  // not a GBK pair
        {0x41, 0x41, false},
    };
    for (const PairCase& c : gbk)
        EXPECT_EQ(IsSymbolChar(c.lead, c.trail, false), c.expected) << std::hex << +c.lead << ' ' << +c.trail;
    const PairCase big5[] = {
        {0xA1, 0x40, true}, {0xA3, 0xFE, true},  {0xA4, 0x40, false}, {0xF9, 0xDC, false}, {0xF9, 0xDD, true},
        {0xFA, 0xFE, true}, {0xF9, 0xFF, false}, {0xF8, 0xDD, false}, {0x81, 0x40, false}, {0xA1, 0x3F, false},
    };
    for (const PairCase& c : big5)
        EXPECT_EQ(IsSymbolChar(c.lead, c.trail, true), c.expected) << std::hex << +c.lead << ' ' << +c.trail;
}

TEST(IsGbkHanzi, Boundaries) {
    const PairCase cases[] = {
        {0xB0, 0xA1, true},  {0xD6, 0xD0, true},  {0x81, 0x40, true},  {0xA0, 0xFE, true},  {0xAA, 0x40, true},
        {0xFE, 0x40, true},  {0xD7, 0xF9, true},  {0xF7, 0xFE, true},  {0xA1, 0xA2, false}, {0xA3, 0xB0, false},
        {0xA9, 0x40, false}, {0xD7, 0xFA, false}, {0xAA, 0xA1, false}, {0xFE, 0xA1, false}, {0xD6, 0x7F, false},
        {0x41, 0x41, false}, {0xFF, 0xA1, false},
    };
    for (const PairCase& c : cases)
        EXPECT_EQ(IsGbkHanzi(c.lead, c.trail), c.expected) << std::hex << +c.lead << ' ' << +c.trail;
}

TEST(LooksLikeWidenedGbk, Cases) {
    struct Case {
        std::u16string units;
        bool expected;
    };
    const Case cases[] = {
        {{0xD6, 0xD0}, true},  // 中 as two widened bytes
        {{0x41, 0xD6, 0xD0, 0x42}, true},
        {{0x4E2D, 0x6587}, false},  // real UTF-16
        {{0xD6, 0xD0, 0x4E2D, 0x41}, false},
        {{0xD6, 0x4E2D}, false},  // high byte followed by a wide unit
        {{0xD6}, false},
        {{}, false},
        {{0x41, 0x42, 0x43}, false},  // no pair at all
        {{0x80, 0x41, 0x80, 0x41}, false},
        {{0xD6, 0xD0, 0x80, 0x41}, true},  // n <= 4 forgives bad units
        {{0xD6, 0xD0, 0x80, 0x80}, true},
        {{0xD6, 0xD0, 0x80, 0x41, 0x42}, true},         // 1 bad < 5 / 2
        {{0xD6, 0xD0, 0x80, 0x80, 0x41}, false},        // 2 bad, not < 5 / 2
        {{0xD6, 0xD0, 0x80, 0x41, 0x80, 0x41}, true},   // 2 bad < 3
        {{0xD6, 0xD0, 0x80, 0x80, 0x80, 0x41}, false},  // 3 bad
    };
    for (const Case& c : cases) {
        std::string dump;
        for (char16_t u : c.units) dump += std::to_string(u) + ' ';
        EXPECT_EQ(LooksLikeWidenedGbk(c.units.data(), (int)c.units.size()), c.expected) << dump;
    }
    EXPECT_FALSE(LooksLikeWidenedGbk(nullptr, 4));
}

// UTF-16 text as little-endian bytes.
std::vector<unsigned char> Bytes(const std::u16string& text) {
    std::vector<unsigned char> b;
    for (char16_t u : text) {
        b.push_back((unsigned char)(u & 0xFF));
        b.push_back((unsigned char)(u >> 8));
    }
    return b;
}

std::u16string Repeat(const std::u16string& s, int n) {
    std::u16string r;
    while (n-- > 0) r += s;
    return r;
}

bool MostlyWide(const std::u16string& text) {
    std::vector<unsigned char> b = Bytes(text);
    return IsMostlyWideText(b.data(), (int)b.size());
}

TEST(IsMostlyWideText, Windows) {
    const std::u16string zh = u"\u4E2D", half = Repeat(u"\u4E2Da", 7);  // 28 bytes, half wide
    EXPECT_TRUE(MostlyWide(Repeat(zh, 20)));
    EXPECT_FALSE(MostlyWide(Repeat(u"a", 20)));
    // A half-wide window decides nothing; the sum carries into the next one.
    EXPECT_TRUE(MostlyWide(half + half));
    EXPECT_FALSE(MostlyWide(half + Repeat(u"a", 14)));
    // Undecided with the window's end within 4 bytes of the length: false.
    EXPECT_FALSE(MostlyWide(half));
    EXPECT_FALSE(MostlyWide(half + u"ab"));
    EXPECT_TRUE(MostlyWide(half + u"abc"));  // 6-byte second window, sum 14
    // At most four windows: Chinese in a fifth one is never seen.
    const std::u16string low = Repeat(zh, 5) + Repeat(u"a", 9);  // sum 10: undecided
    EXPECT_TRUE(MostlyWide(low + Repeat(u"a", 28) + Repeat(zh, 14)));
    EXPECT_FALSE(MostlyWide(low + Repeat(u"a", 42) + Repeat(zh, 14)));
    // Latin-1 letters count as Western, anything above as wide.
    EXPECT_FALSE(MostlyWide(Repeat(u"\u00E9", 10)));
    EXPECT_TRUE(MostlyWide(Repeat(u"\u0101", 10)));
}

TEST(IsMostlyWideText, ShortInput) {
    EXPECT_FALSE(IsMostlyWideText(nullptr, 10));
    const unsigned char zh[] = {0x2D, 0x4E, 0x61, 0x00};
    EXPECT_FALSE(IsMostlyWideText(zh, 1));
    EXPECT_TRUE(IsMostlyWideText(zh, 2));
    EXPECT_FALSE(IsMostlyWideText(zh + 2, 2));
    EXPECT_TRUE(IsMostlyWideText(zh, 3));
    EXPECT_FALSE(IsMostlyWideText(zh, -4));
}

TEST(IsMostlyWideText, LengthZeroEndsAtZeroUnit) {
    auto terminated = [](const std::u16string& text) {
        std::vector<unsigned char> b = Bytes(text + u'\0');
        return IsMostlyWideText(b.data(), 0);
    };
    EXPECT_TRUE(terminated(u"\u4E2D\u6587"));
    EXPECT_FALSE(terminated(u"abcd"));
    // The zero high byte of 'a' does not end the text.
    EXPECT_TRUE(terminated(u"a\u4E2D\u6587"));
    EXPECT_FALSE(terminated(u""));
    // What follows the terminator is not read as text.
    std::vector<unsigned char> b = Bytes(u"ab" + std::u16string(1, u'\0') + Repeat(u"\u4E2D", 10));
    EXPECT_FALSE(IsMostlyWideText(b.data(), 0));
    const std::u16string low = Repeat(u"\u4E2D", 5) + Repeat(u"a", 9);
    EXPECT_FALSE(terminated(low + Repeat(u"a", 42) + Repeat(u"\u4E2D", 14)));
    // Without a terminator in the 112 bytes that decide, nothing past them is read.
    std::vector<unsigned char> b112 = Bytes(low + Repeat(u"a", 28) + Repeat(u"\u4E2D", 14));
    ASSERT_EQ(b112.size(), 112u);
    std::unique_ptr<unsigned char[]> exact(new unsigned char[112]);  // no slack for a sanitizer
    std::memcpy(exact.get(), b112.data(), 112);
    EXPECT_TRUE(IsMostlyWideText(exact.get(), 0));
}

TEST(IsGbkWideChar, Conversion) {
    EXPECT_TRUE(IsGbkWideChar(u'\u4E2D'));
    EXPECT_TRUE(IsGbkWideChar(u'\u3000'));
    EXPECT_FALSE(IsGbkWideChar(u'A'));
    EXPECT_FALSE(IsGbkWideChar(u'\u0E01'));
}

}  // namespace
