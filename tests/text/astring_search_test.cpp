#include <gtest/gtest.h>

#include "text/astring.h"
#include "text_test_util.h"

TEST(AStringSearch, FindIsGbkAlignedFindBytesIsNot) {
    struct Case {
        const char* text;
        const char* needle;
        int start, find, findBytes;
    };
    const Case cases[] = {
        {GBK_SHANG GBK_MIAN, GBK_MIAN, 0, 2, 2},
        // "\xCF\xC3" spans the trail byte of 上 and the lead byte of 面.
        {GBK_SHANG GBK_MIAN, "\xCF\xC3", 0, -1, 1},
        {GBK_SHANG GBK_MIAN "a\xCF\xC3", "\xCF\xC3", 0, 5, 1},
        {"\x81" "AB", "A", 0, -1, 1},   // 0x81 0x41 is one character
        {"\x81" "AB", "B", 0, 2, 2},
        {"\x81\x7F" "A", "\x7F", 0, 1, 1},  // 0x7F is no trail byte: 0x81 stands alone
        {"a\x81", "\x81", 0, 1, 1},     // a lead byte at the end stands alone
        {"abcabc", "bc", 2, 4, 4},
        {"abc", "c", -5, 2, 2},
        {"abc", "c", 3, -1, -1},
        {"abc", "abcd", 0, -1, -1},
        {"abc", "", 0, -1, -1},
        {"abc", nullptr, 0, -1, -1},
        {"", "a", 0, -1, -1},
    };
    for (const Case& c : cases) {
        AString s(c.text);
        EXPECT_EQ(c.find, s.Find(c.needle, c.start)) << testing::PrintToString(c.text);
        EXPECT_EQ(c.findBytes, s.FindBytes(c.needle, c.start)) << testing::PrintToString(c.text);
    }
}

TEST(AStringSearch, FindNoCaseAndFindOneOf) {
    AString s("Hello, World");
    EXPECT_EQ(7, s.FindNoCase("WORLD"));
    EXPECT_EQ(2, s.FindNoCase("LL", -3));
    EXPECT_EQ(-1, s.FindNoCase("ll", 3));
    EXPECT_EQ(-1, s.FindNoCase("worlds"));
    EXPECT_EQ(-1, s.FindNoCase(""));
    EXPECT_EQ(-1, s.FindNoCase(nullptr));

    EXPECT_EQ(5, s.FindOneOf(",; "));
    EXPECT_EQ(6, s.FindOneOf(",; ", 6));
    EXPECT_EQ(-1, s.FindOneOf(",; ", 7));
    EXPECT_EQ(0, s.FindOneOf("xH", -2));
    EXPECT_EQ(-1, s.FindOneOf("xyz"));
    EXPECT_EQ(-1, s.FindOneOf(""));
    EXPECT_EQ(-1, s.FindOneOf(nullptr));
    EXPECT_EQ(-1, AString::FromBytes("a\0b", 3).FindOneOf("c"));  // a zero byte is in no set
}

TEST(AStringSearch, FindGbkCharStepsOverPairs) {
    struct Case {
        const char* text;
        int expect;
    };
    const Case cases[] = {
        {"a" GBK_SHANG GBK_MIAN, 3},
        {GBK_MIAN, 0},
        {"\x81" GBK_MIAN, -1},          // 0x81 0xC3 is a pair: 面's bytes are misaligned
        {"\x81 " GBK_MIAN, 2},          // a lead byte without trail still steps 2
        {"ab" GBK_SHANG, -1},
        {"ab\xC3", -1},                 // lead byte at the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expect, AString(c.text).FindGbkChar(GBK_MIAN)) << testing::PrintToString(c.text);
    EXPECT_EQ(-1, AString("ab").FindGbkChar("ab"));  // not a double-byte character
    EXPECT_EQ(-1, AString("ab").FindGbkChar(nullptr));
}

TEST(AStringSearch, FindWord16OnlyAtEvenPositions) {
    EXPECT_EQ(2, AString("abcd").FindWord16("cd"));
    EXPECT_EQ(-1, AString("abcd").FindWord16("bc"));
    EXPECT_EQ(-1, AString("abc").FindWord16("c"));
    EXPECT_EQ(2, AString(u"\u4E2D\u6587", 2).FindWord16("\x87\x65"));  // 文 as UTF-16LE
    EXPECT_EQ(2, AString::FromBytes("ab\0\0", 4).FindWord16("\0\0"));
}

TEST(AStringSearch, FindWideAndReverseFindWide) {
    const AString text(u"abcABCabc", 9), abc(u"abc", 3);
    struct Case {
        bool reverse;
        int start;
        bool ignoreCase;
        int expect;
    };
    const Case cases[] = {
        {false, 0, false, 0},  {false, 1, false, 6}, {false, 1, true, 3},  {false, -4, false, 0},
        {false, 7, false, -1}, {true, -1, false, 8}, {true, 7, false, 2},  {true, 7, true, 5},
        {true, 99, false, 8},  {true, 1, false, -1},
    };
    for (const Case& c : cases) {
        int got = c.reverse ? text.ReverseFindWide(abc, c.start, c.ignoreCase)
                            : text.FindWide(abc, c.start, c.ignoreCase);
        EXPECT_EQ(c.expect, got) << (c.reverse ? "reverse " : "forward ") << c.start << (c.ignoreCase ? " nocase" : "");
    }
    EXPECT_EQ(-1, text.FindWide(AString()));
    EXPECT_EQ(-1, text.ReverseFindWide(AString()));
    EXPECT_EQ(-1, AString().ReverseFindWide(abc));
    // Only units below 256 fold, and only A..Z.
    EXPECT_EQ(-1, AString(u"\u00C4", 1).FindWide(AString(u"\u00E4", 1), 0, true));
    EXPECT_EQ(-1, AString(u"\u0141", 1).FindWide(AString(u"\u0142", 1), 0, true));
    EXPECT_EQ(1, AString(u"x\u4E2DZ", 3).FindWide(AString(u"\u4E2Dz", 2), 0, true));
}
