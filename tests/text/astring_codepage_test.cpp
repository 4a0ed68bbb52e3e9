#include <gtest/gtest.h>

#include <string>

#include "text/astring.h"
#include "text/codepage.h"
#include "text_test_util.h"

using namespace std::string_literals;

namespace {

std::u16string Decode(int codePage, const std::string& bytes) {
    int n = MultiByteToUtf16(codePage, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string units(static_cast<size_t>(n), u'\0');
    EXPECT_EQ(n, MultiByteToUtf16(codePage, bytes.data(), static_cast<int>(bytes.size()), units.data(), n));
    return units;
}

std::string Encode(int codePage, const std::u16string& units) {
    int n = Utf16ToMultiByte(codePage, units.data(), static_cast<int>(units.size()), nullptr, 0);
    std::string bytes(static_cast<size_t>(n), '\0');
    EXPECT_EQ(n, Utf16ToMultiByte(codePage, units.data(), static_cast<int>(units.size()), bytes.data(), n));
    return bytes;
}

}  // namespace

TEST(AStringCodePage, ToWideAndToNarrowRoundTrip) {
    struct Case {
        int codePage;
        std::string bytes;
        std::u16string units;
    };
    const Case cases[] = {
        {936, GBK_ZHONG GBK_WEN "a", u"\u4E2D\u6587a"},
        {936, "\x80\xAA\xA1\xFE\xFE\xA2\xAB", u"\u20AC\uE000\uE4C5\uE766"},  // euro, private use
        {950, "\xA4\xA4\xA4\xE5", u"\u4E2D\u6587"},
        {950, "\xFA\x40", u"\uE000"},
        {932, "\x92\x86\x82\xA0\xB1", u"\u4E2D\u3042\uFF71"},
        {949, "\xF1\xE9\xB0\xA1", u"\u4E2D\uAC00"},
        {1252, "\xE9\x80\xFF\x81", u"\u00E9\u20AC\u00FF\u0081"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        AString s = AString::FromBytes(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(1, s.ToWide(c.codePage));
        EXPECT_TRUE(s.IsWide());
        EXPECT_EQ(c.units, Units(s));
        EXPECT_EQ(-1, s.GetCodePage());  // conversion does not record a code page
        EXPECT_EQ(1, s.ToNarrow(c.codePage));
        EXPECT_FALSE(s.IsWide());
        EXPECT_EQ(c.bytes, Bytes(s));
    }
}

TEST(AStringCodePage, NegativeArgumentMeansOwnCodePageElseDefault) {
    struct ToWideCase {
        int recorded;
        std::string bytes;
        std::u16string units;
    };
    const ToWideCase toWide[] = {
        {-1, GBK_ZHONG, u"\u4E2D"},  {0, GBK_ZHONG, u"\u4E2D"},  {1252, GBK_ZHONG, u"\u4E2D"},  // none: 936
        {-5, GBK_ZHONG, u"\u4E2D"},  {950, "\xA4\xA4", u"\u4E2D"}, {932, "\x82\xA0", u"\u3042"},
    };
    for (const ToWideCase& c : toWide) {
        AString s(c.bytes.c_str());
        s.SetCodePage(c.recorded);
        EXPECT_EQ(1, s.ToWide(-1));
        EXPECT_EQ(c.units, Units(s)) << c.recorded;
        EXPECT_EQ(c.recorded, s.GetCodePage());
    }

    // Without a code page of its own, ToNarrow picks one by the text's script.
    struct ToNarrowCase {
        int recorded;
        std::u16string units;
        std::string bytes;
    };
    const ToNarrowCase toNarrow[] = {
        {-1, u"\u4E2D", GBK_ZHONG},
        {-1, u"\u3042\u4E2D", "\x82\xA0\x92\x86"},    // kana first: 932
        {-1, u"\u4E2D\u3042", GBK_ZHONG "\xA4\xA2"},  // Chinese first: 936
        {-1, u"\uAC00", "\xB0\xA1"},                  // hangul: 949
        {-1, u"abc", "abc"},                          // none of these: 936
        {1252, u"\u4E2D", GBK_ZHONG},
        {950, u"\u4E2D", "\xA4\xA4"},
    };
    for (const ToNarrowCase& c : toNarrow) {
        AString s(c.units.data(), static_cast<int>(c.units.size()));
        s.SetCodePage(c.recorded);
        EXPECT_EQ(1, s.ToNarrow(-1));
        EXPECT_EQ(c.bytes, Bytes(s)) << c.recorded;
    }
}

TEST(AStringCodePage, NothingToDoOrNothingProduced) {
    AString empty, wide(u"a", 1), narrow("a");
    EXPECT_EQ(0, empty.ToWide());
    EXPECT_FALSE(empty.IsWide());
    EXPECT_EQ(0, wide.ToWide());
    EXPECT_EQ(u"a", Units(wide));
    EXPECT_EQ(0, narrow.ToNarrow());
    EXPECT_EQ(0, empty.ToNarrow());
    EXPECT_EQ("a", Bytes(narrow));

    // A code page the platform does not know produces nothing.
    AString a("abc"), w(u"abc", 3);
    EXPECT_EQ(1, a.ToWide(12345));
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(1, w.ToNarrow(12345));
    EXPECT_TRUE(w.IsEmpty());
    EXPECT_FALSE(w.IsWide());
}

TEST(AStringCodePage, InvalidBytesGiveDefaultCharacters) {
    AString s("\x81 a\xFE");
    EXPECT_EQ(1, s.ToWide());
    EXPECT_EQ(u"?a?", Units(s));  // a lead byte takes the next byte along; alone at the end
    struct Case {
        int codePage;
        std::string bytes;
        std::u16string units;
    };
    const Case cases[] = {
        {936, "\x81\0b"s, u"?\0b"s},  // ... but never a zero byte
        {936, "\xFF", u"\uF8F5"},
        {936, "\xA1\x40", u"\uE4C6"},
        {932, "\x81 ", u"\u30FB"},
        {932, "\xA0\xFD", u"\uF8F0\uF8F1"},
        {950, "\x80\xFF", u"\u0080\uF8F8"},
        {949, "\xA2\xE8" "a", u"?a"},
        {949, "\xC9\xA1", u"\uE000"},
        {1252, "\x81\x8D", u"\u0081\u008D"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.units, Decode(c.codePage, c.bytes)) << c.codePage;
}

TEST(AStringCodePage, UnitsWithoutAFormBecomeQuestionMarks) {
    struct Case {
        int codePage;
        std::u16string units;
        std::string bytes;
    };
    const Case cases[] = {
        {936, u"\U0001F600", "??"},  // each surrogate on its own
        {936, std::u16string{char16_t(0xD800), u'a'}, "?a"},  // a lone surrogate
        {936, u"\uAC00", "?"},
        {936, u"\uE000\uE766", "\xAA\xA1\xA2\xAB"},
        {950, u"\u2550", "\xF9\xF9"},
        {932, u"\u2014\u30FB", "?\x81\x45"},
        {1252, u"\u0081\u4E2D", "\x81?"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.bytes, Encode(c.codePage, c.units)) << c.codePage;
}

TEST(AStringCodePage, PrimitivesFollowTheWin32Conventions) {
    char16_t units[8];
    char bytes[8];
    EXPECT_EQ(2, MultiByteToUtf16(936, GBK_ZHONG "a", 3, nullptr, 0));  // measures
    EXPECT_EQ(0, MultiByteToUtf16(936, GBK_ZHONG "a", 3, units, 1));    // does not fit
    EXPECT_EQ(3, MultiByteToUtf16(936, GBK_ZHONG "a", -1, units, 8));   // with the terminator
    EXPECT_EQ(0, units[2]);
    EXPECT_EQ(0, MultiByteToUtf16(936, nullptr, 3, units, 8));
    EXPECT_EQ(0, MultiByteToUtf16(936, "a", 0, units, 8));
    EXPECT_EQ(3, Utf16ToMultiByte(936, u"\u4E2Da", 2, nullptr, 0));
    EXPECT_EQ(0, Utf16ToMultiByte(936, u"\u4E2Da", 2, bytes, 2));
    EXPECT_EQ(4, Utf16ToMultiByte(936, u"\u4E2Da", -1, bytes, 8));
    EXPECT_EQ(GBK_ZHONG "a"s + '\0', std::string(bytes, 4));
    EXPECT_EQ(0, Utf16ToMultiByte(936, nullptr, 2, bytes, 8));
}
