#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "text/astring.h"
#include "text_test_util.h"

namespace {

// The text Format makes of the arguments, replacing earlier contents.
template <class... Args>
std::string Formatted(const char* format, const Args&... args) {
    AString s("previous contents");
    s.Format(format, args...);
    return Bytes(s);
}

}  // namespace

TEST(AStringFormat, TextConversions) {
    AString cd("cd");
    EXPECT_EQ("[ab]", Formatted("[%5s]", "ab"));  // width and flags are ignored
    EXPECT_EQ("[ab]", Formatted("[%-08s]", "ab"));
    EXPECT_EQ("xy", Formatted("%.2s", "xyz"));
    EXPECT_EQ("xyz", Formatted("%.3s", "xyz"));
    EXPECT_EQ("xyz", Formatted("%.9s", "xyz"));
    EXPECT_EQ("", Formatted("%.0s", "xyz"));
    EXPECT_EQ("", Formatted("%.s", "xyz"));
    EXPECT_EQ("ab-cd-cd", Formatted("%s-%!-%!", "ab", cd, &cd));
    EXPECT_EQ("c", Formatted("%.1s", cd));  // an AString given to %s gives its text
    EXPECT_EQ("100%", Formatted("%d%%", 100));
    EXPECT_EQ("%", Formatted("%5%"));
    EXPECT_EQ("q", Formatted("%q"));  // any other character stands for itself
    EXPECT_EQ("plain", Formatted("plain"));
    EXPECT_EQ(GBK_ZHONG "=" GBK_WEN, Formatted(GBK_ZHONG "=%s", GBK_WEN));
}

TEST(AStringFormat, NumbersThroughTheCRuntime) {
    EXPECT_EQ("42|   42|42   |0042", Formatted("%d|%5d|%-5d|%04d", 42, 42, 42, 42));
    EXPECT_EQ("ff FF 0xff 377", Formatted("%x %X %#x %o", 255, 255, 255, 255));
    EXPECT_EQ("-7 +7 7", Formatted("%i %+d %u", -7, 7, 7u));
    EXPECT_EQ("ffffffff 4294967295", Formatted("%x %u", -1, -1));  // 32-bit arguments stay 32-bit
    EXPECT_EQ("-1", Formatted("%d", 0xFFFFFFFFu));
    EXPECT_EQ("12345678901 ffffffffffffffff", Formatted("%d %x", std::int64_t{12345678901}, std::uint64_t(-1)));
    EXPECT_EQ("12345678901", Formatted("%lld", std::int64_t{12345678901}));
    EXPECT_EQ("4464 255 -1", Formatted("%hd %hhu %hhd", 70000, 511, 255));
    EXPECT_EQ("A|  B", Formatted("%c|%3c", 'A', 'B'));
    EXPECT_EQ("3.500000 3.14 0.5 1.234500e+03", Formatted("%f %.2f %g %e", 3.5, 3.14159, 0.5, 1234.5));
    EXPECT_EQ("  2.5", Formatted("%5.1f", 2.5f));
    int local = 0;
    EXPECT_FALSE(Formatted("%p", &local).empty());  // the C runtime's own spelling
    EXPECT_EQ(Formatted("%p", &local), Formatted("%p", reinterpret_cast<std::uintptr_t>(&local)));
}

TEST(AStringFormat, StarTakesTheNextIntegerArgument) {
    EXPECT_EQ("   42", Formatted("%*d", 5, 42));
    EXPECT_EQ("7   |", Formatted("%-*d|", 4, 7));
    EXPECT_EQ("7   |", Formatted("%*d|", -4, 7));  // a negative width left-aligns
    EXPECT_EQ("3.14", Formatted("%.*f", 2, 3.14159));
    EXPECT_EQ("2.500000", Formatted("%.*f", -1, 2.5));  // a negative precision is dropped
    EXPECT_EQ("xy", Formatted("%.*s", 2, "xyz"));
    EXPECT_EQ("42", Formatted("%*d", "not a number", 42));  // dropped, but consumed
    EXPECT_EQ("", Formatted("%*d"));
}

TEST(AStringFormat, MismatchedOrMissingArgumentsAreSafe) {
    EXPECT_EQ("[]", Formatted("[%d]", "text"));  // text to a number: nothing
    EXPECT_EQ("[]", Formatted("[%f]", "text"));
    EXPECT_EQ("[]", Formatted("[%s]", 42));  // number to a text: nothing
    EXPECT_EQ("[]", Formatted("[%!]", 42));
    EXPECT_EQ("[x]", Formatted("[%!]", "x"));  // a text given to %! is appended
    EXPECT_EQ("[]", Formatted("[%s]", static_cast<const char*>(nullptr)));
    EXPECT_EQ("[]", Formatted("[%!]", static_cast<const AString*>(nullptr)));
    EXPECT_EQ("2.000000", Formatted("%f", 2));  // numbers convert between each other
    EXPECT_EQ("2 -3", Formatted("%d %d", 2.9, -3.9));
    EXPECT_EQ("0", Formatted("%d", std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ("9223372036854775807", Formatted("%d", 1e300));
    EXPECT_EQ("a|||b", Formatted("a|%d|%s|b"));  // no argument left: nothing
    EXPECT_EQ("1|", Formatted("%d|%d", 1));
    EXPECT_EQ("1", Formatted("%d", 1, 2, "extra"));  // extra arguments are ignored
}

TEST(AStringFormat, StopsAndEnds) {
    int target = 7;
    EXPECT_EQ("abcd%d", Formatted("ab%ncd%d", &target, 5));  // %n stops; nothing is written
    EXPECT_EQ(7, target);
    EXPECT_EQ("xy%s", Formatted("x%Sy%s", "z"));
    EXPECT_EQ("abc", Formatted("abc%-5"));  // ends inside a conversion spec
    EXPECT_EQ("", Formatted("%"));
    EXPECT_EQ("", Formatted(nullptr));
    // A conversion spec keeps 63 characters; the width past them is lost.
    EXPECT_EQ("42", Formatted(("%" + std::string(70, '0') + "5d").c_str(), 42));
    // The C runtime's output is cut to its 64-byte buffer.
    EXPECT_EQ(63u, Formatted("%200d", 1).size());
    EXPECT_EQ(255u, Formatted("%400f", 1.0).size());
}

TEST(AStringFormat, ArgumentsMayReferToTheTarget) {
    AString s("abc");
    s.Format("%s-%!-%.1s", s.GetString(), s, s);
    EXPECT_EQ("abc-abc-a", Bytes(s));
}

TEST(AStringFormat, Utf16PiecesMixLikeAppend) {
    AString wide(u"\u4E2D", 1);
    AString s;
    s.Format("<%!%s>", wide, "ab");
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(u"<\u4E2Dab>", Units(s));  // '<' converted, the rest widened
}
