#include "text/code_pages.h"

#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "text_test_util.h"

using namespace std::string_literals;

TEST(CodePageFor, ScriptsAndCharsets) {
    struct Case {
        int value;
        bool isScript;
        int codePage;
    };
    const Case cases[] = {
        {0, true, 936},    {1, true, 936},    {2, true, 950},     {3, true, 1252},   {4, true, 932},
        {5, true, 949},    {6, true, 936},    {9, true, 936},     {128, false, 932}, {129, false, 949},
        {134, false, 936}, {136, false, 950}, {130, false, 1252}, {0, false, 1252},  {2, false, 1252},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.codePage, CodePageFor(c.value, c.isScript)) << c.value << (c.isScript ? " script" : " charset");
}

TEST(CharsetFor, ScriptsAndCodePages) {
    struct Case {
        int value;
        bool isScript;
        int charset;
    };
    const Case cases[] = {
        {0, true, 0},      {1, true, 134},     {2, true, 136},    {3, true, 134},    {4, true, 128},
        {5, true, 129},    {6, true, 134},     {932, false, 128}, {949, false, 129}, {950, false, 136},
        {936, false, 134}, {1252, false, 134}, {437, false, 134},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.charset, CharsetFor(c.value, c.isScript)) << c.value << (c.isScript ? " script" : " code page");

    // The East Asian code pages survive a trip through their character set.
    for (int cp : {932, 936, 949, 950}) EXPECT_EQ(cp, CodePageFor(CharsetFor(cp, false), false)) << cp;
}

TEST(GbkToUiText, LengthsAndCodePages) {
    struct Case {
        const char* name;
        std::string bytes;
        int length;
        int codePage;
        std::u16string units;
    };
    const Case cases[] = {
        {"zero-terminated", GBK_ZHONG GBK_WEN, 0, -1, u"\u4E2D\u6587"},
        {"stops at a zero byte", GBK_ZHONG "\0"s GBK_WEN, 0, -1, u"\u4E2D"},
        {"length takes a zero byte", GBK_ZHONG "\0"s GBK_WEN, 5, -1, u"\u4E2D\0\u6587"s},
        {"length cuts", GBK_ZHONG GBK_WEN, 2, -1, u"\u4E2D"},
        {"any negative is 936", GBK_ZHONG "a", 0, -7, u"\u4E2Da"},
        {"936 named", GBK_ZHONG, 0, 936, u"\u4E2D"},
        {"950", "\xA4\xA4\xA4\xE5", 0, 950, u"\u4E2D\u6587"},
        {"the same bytes in 936", "\xA4\xA4\xA4\xE5", 0, -1, u"\u3044\u3085"},
        {"1252", "caf\xE9", 0, 1252, u"caf\u00E9"},
        {"empty", "", 0, -1, u""},
        {"unknown code page fails", "abc", 0, 12345, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AString s = GbkToUiText(c.bytes.c_str(), c.length, c.codePage);
        EXPECT_EQ(c.units, Units(s));
        EXPECT_EQ(!c.units.empty(), s.IsWide());
    }
    EXPECT_TRUE(GbkToUiText(nullptr).IsEmpty());
}

TEST(MixedToUiText, RunsOfGbkAndWesternText) {
    struct Case {
        const char* name;
        std::string bytes;
        int codePage;
        std::u16string units;
    };
    const Case cases[] = {
        {"Western run then GBK run", "abc" GBK_ZHONG GBK_WEN, -1, u"abc\u4E2D\u6587"},
        {"a high byte beside ASCII is Western", "caf\xE9 " GBK_ZHONG, -1, u"caf\u00E9 \u4E2D"},
        {"alternating runs",
         "a" GBK_ZHONG "\xE9"
         "b" GBK_WEN "\xE9",
         -1, u"a\u4E2D\u00E9b\u6587\u00E9"},
        {"the last byte never starts a pair", "ab\xD6", -1, u"ab\u00D6"},
        {"pairs are taken greedily", "\xE9\xD6\xD0", -1, u"\u6A79\u00D0"},  // E9 D6 is a GBK pair
        {"0x80 is not a pair byte", "\x80\xD6\xD0", -1, u"\u20AC\u4E2D"},
        {"another Western code page", "a\xB1", 932, u"a\uFF71"},
        {"1252 named", "a\xB1", 1252, u"a\u00B1"},
        {"empty", "", -1, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AString s = MixedToUiText(c.bytes.data(), static_cast<int>(c.bytes.size()), c.codePage);
        EXPECT_EQ(c.units, Units(s));
    }
    // A negative length reads up to the zero byte; a zero length is empty.
    EXPECT_EQ(
        u"\u00E9"
        "a\u4E2D",
        Units(MixedToUiText("\xE9"
                            "a" GBK_ZHONG "\0" GBK_WEN,
                            -1)));
    EXPECT_TRUE(MixedToUiText("abc", 0).IsEmpty());
    // The byte after the given length does not make the last byte a pair.
    EXPECT_EQ(u"ab\u00D6", Units(MixedToUiText("ab" GBK_ZHONG, 3)));
}

TEST(GbkCharToUnicode, PairsAndNonPairs) {
    struct Case {
        const char* pair;
        char16_t unit;
    };
    const Case cases[] = {
        {GBK_ZHONG, u'\u4E2D'},
        {GBK_WEN, u'\u6587'},
        {"\x81\x40", u'\u4E02'},  // first GBK code
        {"\xA1\xA1", u'\u3000'},
        {"\xAA\xA1", u'\uE000'},  // user-defined area
        {"ab", 0},
        {"\x81\x7F", 0},
        {"\x81\x30", 0},  // not one character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.unit, GbkCharToUnicode(c.pair)) << c.pair;
        EXPECT_EQ(c.unit, GbkCharToUnicodeCached(c.pair)) << c.pair;
    }
    EXPECT_EQ(0, GbkCharToUnicode(nullptr));
    EXPECT_EQ(0, GbkCharToUnicodeCached(nullptr));
}

TEST(GbkCharToUnicode, CachedFormStoresEachCharacterOnce) {
    const char* pairs[] = {"\x8A\x8A", "\x8A\x7F"};  // used by no other test; the second does not convert
    for (const char* pair : pairs) {
        int before = GbkCharCacheCount();
        char16_t first = GbkCharToUnicodeCached(pair);
        EXPECT_EQ(before + 1, GbkCharCacheCount());
        for (int i = 0; i < 3; ++i) EXPECT_EQ(first, GbkCharToUnicodeCached(pair));
        EXPECT_EQ(before + 1, GbkCharCacheCount());
        EXPECT_EQ(GbkCharToUnicode(pair), first);
    }
}

TEST(GbkCharToUnicode, CachedFormFromTwoThreadsAtOnce) {
    // GB2312 rows B0..CD (no other test uses them), converted directly, then by
    // two threads through the cache in the same order, so that they ask for the
    // same characters at the same time.
    std::vector<std::string> pairs;
    std::vector<char16_t> expected;
    for (int lead = 0xB0; lead <= 0xCD; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            pairs.push_back({static_cast<char>(lead), static_cast<char>(trail)});
            expected.push_back(GbkCharToUnicode(pairs.back().c_str()));
        }
    int before = GbkCharCacheCount();
    std::atomic<int> ready{0}, wrong{0};
    auto work = [&] {
        ++ready;
        while (ready.load() < 2) std::this_thread::yield();
        for (size_t i = 0; i < pairs.size(); ++i)
            if (GbkCharToUnicodeCached(pairs[i].c_str()) != expected[i]) ++wrong;
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(0, wrong.load());
    int added = GbkCharCacheCount() - before;
    EXPECT_EQ(static_cast<int>(pairs.size()), added);  // each character once
    for (size_t i = 0; i < pairs.size(); ++i) ASSERT_EQ(expected[i], GbkCharToUnicodeCached(pairs[i].c_str()));
    EXPECT_EQ(before + added, GbkCharCacheCount());
}

TEST(ScriptOfWideText, FirstEastAsianUnitDecides) {
    struct Case {
        std::u16string text;
        int expected;
    };
    const Case cases[] = {
        {u"", 0},
        {u"Hello, world", 0},
        {u"abc\u4E2D", 1},
        {u"\u3042\u4E2D", 4},  // kana first, Chinese after
        {u"\u4E2D\u3042", 1},
        {u"x\uD55C\u4E2D", 5},
        {u"\u3400", 0},
        {u"\u3401", 1},
        {u"\u9FA5", 1},
        {u"\u9FA6", 0},
        {u"\uF90D", 0},
        {u"\uF90E", 1},
        {u"\uFA2D", 1},
        {u"\uFA2E", 0},
        {u"\u303F", 0},
        {u"\u3040", 4},
        {u"\u30FF", 4},
        {u"\u31EF", 0},
        {u"\u31F0", 4},
        {u"\u31FF", 4},
        {u"\u10FF", 0},
        {u"\u1100", 5},
        {u"\u11FF", 5},
        {u"\u1200", 0},
        {u"\u312F", 0},
        {u"\u3130", 5},
        {u"\u318F", 5},
        {u"\u3190", 0},
        {u"\uABFF", 0},
        {u"\uAC00", 5},
        {u"\uD7A3", 5},
        {u"\uD7A4", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScriptOfWideText(c.text.data(), (int)c.text.size()), c.expected)
            << std::hex << (c.text.empty() ? 0 : +c.text[0]);
    EXPECT_EQ(ScriptOfWideText(u"ab\u4E2D", 2), 0);  // count is respected
    EXPECT_EQ(ScriptOfWideText(nullptr, 5), 0);
}

TEST(Utf8ToUtf16, DecodesAsTheSystemDecoderDoes) {
    struct Case {
        const char* name;
        std::string bytes;
        bool terminate;
        std::u16string units;
    };
    const Case cases[] = {
        {"ASCII", "abc", false, u"abc"},
        {"2-byte", "\xC3\xA9", false, u"\u00E9"},
        {"3-byte", "\xE4\xB8\xAD", false, u"\u4E2D"},
        {"mixed",
         "a\xC3\xA9\xE4\xB8\xAD"
         "b",
         false, u"a\u00E9\u4E2Db"},
        {"lone continuation byte", "\xA9", false, u"\u00A9"},
        {"stray continuation bytes",
         "\x80"
         "a\xBF",
         false, u"\u0080a\u00BF"},
        {"4-byte lead taken as 3-byte", "\xF0\x9F\x98\x80", false, u"\u07D8\u0080"},
        {"continuations not checked",
         "\xC3"
         "A",
         false, u"\u00C1"},
        {"overlong zero", "\xC0\x80", false, u"\0"s},
        {"all ones", "\xFF\xFF\xFF", false, u"\uFFFF"},
        {"zero byte", "a\0b"s, false, u"a\0b"s},
        {"truncated 3-byte", "a\xE4\xB8", false, u"a"},
        {"truncated 2-byte", "\xE4\xB8\xAD\xC3", false, u"\u4E2D"},
        {"ends in a lead byte", "ab\xF0", false, u"ab"},
        {"terminate", "ab", true, u"ab\0"s},
        {"terminate after truncation", "a\xE4", true, u"a\0"s},
        {"terminate empty", "", true, u"\0"s},
        {"empty", "", false, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AString s = Utf8ToUtf16(AString::FromBytes(c.bytes.data(), static_cast<int>(c.bytes.size())), c.terminate);
        EXPECT_EQ(c.units, Units(s));
        EXPECT_EQ(!c.units.empty(), s.IsWide());

        // An exact-size heap copy, so that a read past the end shows under the sanitizer.
        auto exact = std::make_unique<char[]>(c.bytes.size());
        std::memcpy(exact.get(), c.bytes.data(), c.bytes.size());
        EXPECT_EQ(c.units, Units(Utf8ToUtf16(exact.get(), static_cast<int>(c.bytes.size()), c.terminate)));
    }
}
