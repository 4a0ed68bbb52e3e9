// The UTF-8 decoder in both ways of reading, and the GBK helpers.
#include <gtest/gtest.h>
#include <string>
#include <string_view>

#include "text/code_pages.h"
#include "text/gbk.h"
#include "text/utf8.h"

namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    char32_t strict, system;  // the first code point in each reading (kBadUtf8: malformed)
    size_t strictLength, systemLength;
};

TEST(Utf8, StrictAndSystemReadingsOfOneSequence) {
    const DecodeCase cases[] = {
        {"ASCII", "A", 'A', 'A', 1, 1},
        {"two bytes", "\xC2\xA9", 0xA9, 0xA9, 2, 2},
        {"three bytes", "\xE4\xB8\xAD", 0x4E2D, 0x4E2D, 3, 3},
        {"four bytes: the system takes three", "\xF0\x9F\x98\x80", 0x1F600, 0x07D8, 4, 3},
        {"stray continuation byte", "\xA9", kBadUtf8, 0xA9, 0, 1},
        {"overlong slash", "\xC0\xAF", kBadUtf8, 0x2F, 0, 2},
        {"overlong three bytes", "\xE0\x80\xAF", kBadUtf8, 0x2F, 0, 3},
        {"surrogate", "\xED\xA0\x80", kBadUtf8, 0xD800, 0, 3},
        {"above U+10FFFF", "\xF4\x90\x80\x80", kBadUtf8, 0x4400, 0, 3},
        {"continuation bytes not checked", "\xE4\x41\x42", kBadUtf8, 0x4042, 0, 3},
        {"truncated", "\xE4\xB8", kBadUtf8, kBadUtf8, 0, 0},
        {"0xFF leads three bytes", "\xFF\x41", kBadUtf8, kBadUtf8, 0, 0},
        {"NUL is a character", std::string(1, '\0'), 0, 0, 1, 1},
    };
    for (const DecodeCase& c : cases) {
        size_t at = 0;
        EXPECT_EQ(c.strict, DecodeUtf8(c.bytes, at, Utf8Decoding::Strict)) << c.name;
        EXPECT_EQ(c.strictLength, at) << c.name;
        at = 0;
        EXPECT_EQ(c.system, DecodeUtf8(c.bytes, at, Utf8Decoding::System)) << c.name;
        EXPECT_EQ(c.systemLength, at) << c.name;
    }
    size_t past = 3;
    EXPECT_EQ(kBadUtf8, DecodeUtf8("abc", past));
    EXPECT_EQ(3u, past);
}

TEST(Utf8, WholeTexts) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("a\xE4\xB8\xAD\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("a\xE4\xB8"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_EQ(U'中', SingleCodePoint("\xE4\xB8\xAD"));
    EXPECT_EQ(kBadUtf8, SingleCodePoint("\xE4\xB8\xAD"
                                        "a"));
    EXPECT_EQ(kBadUtf8, SingleCodePoint(""));
    EXPECT_EQ(u"a\uFFFD\u4E2D\U0001F600", Utf8ToUnits("a\xFF\xE4\xB8\xAD\xF0\x9F\x98\x80"));

    // Every code point through UTF-8 and back, in both directions of the units.
    for (char32_t cp : {0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        std::string out;
        AppendUtf8(out, cp);
        EXPECT_EQ(cp, SingleCodePoint(out)) << std::hex << static_cast<unsigned>(cp);
        EXPECT_EQ(out, Utf16ToUtf8(Utf8ToUnits(out))) << std::hex << static_cast<unsigned>(cp);
    }
    EXPECT_EQ(
        "\xEF\xBF\xBD"
        "a",
        Utf16ToUtf8(u"\xD800"
                    "a"));  // a lone surrogate
}

TEST(Gbk, CharacterKeysAndTheTwoForms) {
    const AString zhong(
        "\xD6\xD0"
        "a");
    EXPECT_EQ(MakeCharKey(0xD6, 0xD0), CharKeyAt(zhong));
    EXPECT_EQ(0xD0D6, CharKeyAt(zhong));                  // lead byte low
    EXPECT_EQ(MakeCharKey('a', 0), CharKeyAt(zhong, 2));  // past the end reads as 0
    EXPECT_EQ(MakeCharKey(0xD0, 'a'), CharKeyAt(std::string_view("\xD6\xD0"
                                                                 "a"),
                                                1));
    EXPECT_EQ(0, CharKeyAt(std::string_view("ab"), 5));
    EXPECT_EQ(CharKeyAt(zhong), CharKeyAt(zhong.GetString()));

    constexpr DoubleByteCode code = ToDoubleByteCode(MakeCharKey(0xD6, 0xD0));
    static_assert(code.value == 0xD6D0 && code.Lead() == 0xD6 && code.Trail() == 0xD0);
    static_assert(ToCharKey(code) == 0xD0D6);
    static_assert(ToCharKey(ToDoubleByteCode(0x1234)) == 0x1234);

    EXPECT_EQ(MakeCharKey(0xD6, 0xD0), WideCharToGbk(u'中'));
    EXPECT_EQ(MakeCharKey(0xA1, 0xA1), WideCharToGbk(u'\u3000'));
    EXPECT_EQ(0x41, WideCharToGbk(u'A'));
    EXPECT_EQ(0x3F, WideCharToGbk(u'?'));
    EXPECT_EQ(0, WideCharToGbk(u'\u0E01'));  // Thai: no GBK form
}

TEST(Gbk, ConversionsAndLiterals) {
    EXPECT_EQ(std::string("\xD6\xD0\xCE\xC4"
                          "a"),
              GbkFromUtf16(u"中文a").GetString());
    EXPECT_FALSE(GbkFromUtf16(u"中").IsWide());
    EXPECT_EQ("a?", std::string(GbkFromUtf16(u"a\u0E01").GetString()));
    EXPECT_TRUE(GbkFromUtf16(u"").IsEmpty());
    EXPECT_EQ(u"中文a", Utf16FromGbk(AString("\xD6\xD0\xCE\xC4"
                                             "a")));
    EXPECT_EQ(u"中", Utf16FromGbk(AString(u"中", 1)));  // already UTF-16
    EXPECT_EQ(u"", Utf16FromGbk(AString()));
    EXPECT_EQ("\xD6\xD0?", std::string(GbkFromUtf8("中\xFF").GetString()));
    EXPECT_EQ("中文a", GbkToUtf8(AString("\xD6\xD0\xCE\xC4"
                                         "a")));

    const AString& literal = "中文"_gbk;
    EXPECT_STREQ("\xD6\xD0\xCE\xC4", literal.GetString());
    EXPECT_EQ(&literal, &"中文"_gbk);  // converted once
}

TEST(WideCharToGbk, KeysOfUnits) {
    EXPECT_EQ(WideCharToGbk(u'\u4E2D'), 0xD0D6);  // D6 D0, D6 in the low byte
    EXPECT_EQ(WideCharToGbk(u'\u3000'), 0xA1A1);
    EXPECT_EQ(WideCharToGbk(u'A'), 0x41);
    EXPECT_EQ(WideCharToGbk(u'?'), 0x3F);
    EXPECT_EQ(WideCharToGbk(u'\u0E01'), 0);  // Thai: not in code page 936
    EXPECT_EQ(WideCharToGbk(u'\xD800'), 0);  // lone surrogate
}

TEST(Utf8ToUtf16, ReadsTheSystemWay) {
    // A stray byte, an overlong form, a 4-byte lead read as a 3-byte one; the
    // last sequence runs past the end and stops the decoding.
    const std::string bytes = "a\xA9\xC0\xAF\xE4\xB8\xAD\xF0\x9F\x98\xE4\xB8";
    const AString wide = Utf8ToUtf16(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(u"a\u00A9\u002F\u4E2D\u07D8", std::u16string(wide.WideData(), static_cast<size_t>(wide.GetCharCount())));
}

}  // namespace
