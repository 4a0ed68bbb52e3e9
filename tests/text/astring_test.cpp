#include "text/astring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "text_test_util.h"

using namespace std::string_literals;

namespace {

const char* const kSharedEmpty = AString().GetString();

bool IsSharedEmpty(const AString& s) { return s.GetString() == kSharedEmpty; }

}  // namespace

TEST(AStringEmpty, EveryEmptyResultIsTheSharedTerminatedValue) {
    AString e;
    EXPECT_EQ(0, e.GetLength());
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_EQ(0, e.GetString()[0]);
    EXPECT_EQ(0, e.GetString()[1]);
    EXPECT_FALSE(e.IsWide());
    EXPECT_EQ(0, e.GetCodePage());

    const AString results[] = {
        AString(""), AString(static_cast<const char*>(nullptr)), AString('x', 0), AString('x', -3),
        AString(static_cast<const char16_t*>(nullptr), 4), AString(u"abc", 0), AString::FromBytes("abc", 0),
        AString::FromBytes(nullptr, 3), AString("abc").Mid(3), AString("abc").Left(0), AString(e),
    };
    for (const AString& r : results) EXPECT_TRUE(IsSharedEmpty(r));
}

TEST(AStringEmpty, CountsItsUsersAndIsNeverChanged) {
    auto refs = [] { return AString().GetHeader()->refs.load() - 1; };  // minus the probe itself
    int before = refs();
    EXPECT_GE(before, 2);
    {
        AString a, b(a), c;
        c = b;
        EXPECT_EQ(before + 3, refs());
    }
    EXPECT_EQ(before, refs());

    // Operations with nothing to do leave the shared value alone.
    AString e;
    e.MakeLower();
    e.TrimLeft();
    e.TrimRight();
    e.Delete(0, 2);
    EXPECT_EQ(0, e.Remove('a'));
    EXPECT_EQ(0, e.Replace("a", "b"));
    EXPECT_EQ(0, e.Replace('a', 'b'));
    e.SetAt(0, 'x');
    e += "";
    e += AString();
    EXPECT_TRUE(IsSharedEmpty(e));
    EXPECT_EQ(0, kSharedEmpty[0]);
}

TEST(AStringSharing, CopiesShareOneBuffer) {
    AString a("hello");
    AString b(a), c, d;
    c = b;
    d = std::move(c);
    EXPECT_EQ(a.GetString(), b.GetString());
    EXPECT_EQ(a.GetString(), d.GetString());
    EXPECT_TRUE(IsSharedEmpty(c));
    EXPECT_EQ(3, a.GetHeader()->refs.load());
    EXPECT_EQ(a.GetString(), a.Mid(0, 5).GetString());
    EXPECT_EQ(a.GetString(), a.Left(99).GetString());
    EXPECT_NE(a.GetString(), a.Mid(1).GetString());
}

TEST(AStringSharing, EveryModificationLeavesTheCopyUnchanged) {
    struct Case {
        const char* name;
        std::function<void(AString&)> modify;
        std::string expect;
    };
    const Case cases[] = {
        {"Append", [](AString& s) { s += "!"; }, "Hello World!"},
        {"AppendChar", [](AString& s) { s += '?'; }, "Hello World?"},
        {"SetAt", [](AString& s) { s.SetAt(0, 'J'); }, "Jello World"},
        {"Delete", [](AString& s) { s.Delete(0, 6); }, "World"},
        {"Remove", [](AString& s) { s.Remove('l'); }, "Heo Word"},
        {"ReplaceByte", [](AString& s) { s.Replace('o', '0'); }, "Hell0 W0rld"},
        {"ReplaceShrinks", [](AString& s) { s.Replace("ll", "L"); }, "HeLo World"},
        {"ReplaceGrows", [](AString& s) { s.Replace("o", "oo"); }, "Helloo Woorld"},
        {"TrimLeft", [](AString& s) { s.TrimLeft("eH"); }, "llo World"},
        {"TrimRight", [](AString& s) { s.TrimRight("dl"); }, "Hello Wor"},
        {"MakeLower", [](AString& s) { s.MakeLower(); }, "hello world"},
        {"GetBuffer", [](AString& s) { s.GetBuffer(0)[0] = 'Y'; s.ReleaseBuffer(); }, "Yello World"},
        {"SetCodePage", [](AString& s) { s.SetCodePage(950); }, "Hello World"},
        {"ToWide", [](AString& s) { s.ToWide(936); }, "H\0e\0l\0l\0o\0 \0W\0o\0r\0l\0d\0"s},
        {"Format", [](AString& s) { s.Format("%d", 7); }, "7"},
        {"AssignText", [](AString& s) { s = "x"; }, "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AString original("Hello World");
        const char* buffer = original.GetString();
        AString copy(original);
        c.modify(copy);
        EXPECT_EQ(c.expect, Bytes(copy));
        EXPECT_NE(buffer, copy.GetString());
        EXPECT_EQ("Hello World", Bytes(original));
        EXPECT_EQ(buffer, original.GetString());
        EXPECT_EQ(-1, original.GetCodePage());
        EXPECT_FALSE(original.IsWide());
        EXPECT_EQ(1, original.GetHeader()->refs.load());
    }
}

TEST(AStringHeader, LayoutAndCapacityRule) {
    struct Case {
        AString s;
        int length, capacity;
    };
    const Case cases[] = {
        {AString("abc"), 3, 19},                 // (3 + 16) | 3
        {AString("abcd"), 4, 23},                // (4 + 16) | 3
        {AString("ab", 40), 2, 59},              // minimum capacity wins
        {AString(static_cast<const char*>(nullptr), 100), 0, 119},
        {AString('x', 365), 365, 383},
        {AString(u"ab", 2), 4, 23},
        {AString::FromBytes("a\0b", 3), 3, 19},
    };
    for (const Case& c : cases) {
        const AStringHeader* h = c.s.GetHeader();
        EXPECT_EQ(reinterpret_cast<const char*>(h) + sizeof(AStringHeader), c.s.GetString());
        EXPECT_EQ(c.length, h->length);
        EXPECT_EQ(c.capacity, h->capacity);
        EXPECT_EQ(1, h->refs.load());
        EXPECT_EQ(0, h->reserved);
        EXPECT_EQ(-1, h->codePage);
        EXPECT_EQ(0, c.s.GetString()[c.length]);
        EXPECT_EQ(0, c.s.GetString()[c.length + 1]);
    }
}

TEST(AStringConstruct, ValuesAndFlags) {
    EXPECT_EQ("xxx", Bytes(AString('x', 3)));
    EXPECT_EQ("a\0b"s, Bytes(AString::FromBytes("a\0b", 3)));
    AString wide(u"\u4E2Dz", 2);
    EXPECT_TRUE(wide.IsWide());
    EXPECT_EQ(4, wide.GetLength());
    EXPECT_EQ(2, wide.GetCharCount());
    EXPECT_EQ(u"\u4E2Dz", Units(wide));
    EXPECT_EQ(u"abc", Units(AString(u"abc", -1)));  // negative count: up to the zero unit
    AString gbk(GBK_ZHONG "a");
    EXPECT_EQ(3, gbk.GetCharCount());  // bytes for 8-bit contents
}

TEST(AStringAssign, ReusesAnUnsharedLargeEnoughBuffer) {
    AString s("hello world");
    const char* buffer = s.GetString();
    s = "hi";
    EXPECT_EQ(buffer, s.GetString());
    EXPECT_EQ("hi", Bytes(s));

    s = "a text longer than the first buffer had room for";  // too small: a new buffer
    EXPECT_NE(buffer, s.GetString());

    AString copy(s);  // shared: a new buffer, the copy keeps its text
    s = "x";
    EXPECT_NE(copy.GetString(), s.GetString());
    EXPECT_EQ("a text longer than the first buffer had room for", Bytes(copy));

    s = copy.GetString() + 2;  // from a shared buffer's own bytes
    EXPECT_EQ("text longer than the first buffer had room for", Bytes(s));
    s = s.GetString() + 5;  // from our own unshared buffer
    EXPECT_EQ("longer than the first buffer had room for", Bytes(s));

    s = 'z';
    EXPECT_EQ("z", Bytes(s));
    s = '\0';
    EXPECT_EQ("\0"s, Bytes(s));
    s = "";
    EXPECT_TRUE(IsSharedEmpty(s));
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(IsSharedEmpty(s));

    AString wide(u"ab", 2);
    wide.SetCodePage(950);
    wide = "cd";  // 8-bit text: the flag and the recorded code page go
    EXPECT_FALSE(wide.IsWide());
    EXPECT_EQ(-1, wide.GetCodePage());
}

TEST(AStringAccess, OutOfRangeIndicesAreHarmless) {
    AString s("abc");
    AString copy(s);
    EXPECT_EQ('a', s[0]);
    EXPECT_EQ('c', s.GetAt(2));
    EXPECT_EQ(0, s.GetAt(3));
    EXPECT_EQ(0, s[-1]);
    EXPECT_EQ(0, s.GetAt(1 << 30));
    s.SetAt(3, 'x');
    s.SetAt(-1, 'x');
    EXPECT_EQ(copy.GetString(), s.GetString());  // nothing written, still shared
    s.SetAt(1, 'B');
    EXPECT_EQ("aBc", Bytes(s));
    EXPECT_EQ("abc", Bytes(copy));
}

TEST(AStringCompare, BytesAndLengthOnly) {
    AString abc("abc");
    EXPECT_TRUE(abc == "abc");
    EXPECT_TRUE(abc == AString("abc"));
    EXPECT_FALSE(abc == "abcd");
    EXPECT_FALSE(abc == "ab");
    EXPECT_FALSE(abc == AString("abd"));
    EXPECT_TRUE(abc != "x");
    EXPECT_FALSE(AString::FromBytes("ab\0c", 4) == "ab");
    EXPECT_TRUE(AString::FromBytes("ab\0c", 4) == AString::FromBytes("ab\0c", 4));
    EXPECT_TRUE(AString() == static_cast<const char*>(nullptr));
    EXPECT_FALSE(abc == static_cast<const char*>(nullptr));
    // Neither the wide flag nor the code page is compared.
    AString wide(u"a", 1), narrow = AString::FromBytes("a\0", 2);
    narrow.SetCodePage(950);
    EXPECT_TRUE(wide == narrow);
}

TEST(AStringExtract, MidLeftClipTheirRange) {
    struct Case {
        int start, count;
        const char* expect;
    };
    const Case cases[] = {
        {3, 100, "de"}, {5, 1, ""}, {-2, 2, "ab"}, {1, 3, "bcd"}, {0, 5, "abcde"},
        {2, 0, ""},     {2, -1, ""}, {9, 1, ""},   {4, 1, "e"},
    };
    AString s("abcde");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Mid(" << c.start << ", " << c.count << ")");
        AString r = s.Mid(c.start, c.count);
        EXPECT_EQ(c.expect, Bytes(r));
        EXPECT_EQ(!*c.expect, IsSharedEmpty(r));
    }
    EXPECT_EQ("cde", Bytes(s.Mid(2)));
    EXPECT_EQ("abcde", Bytes(s.Mid(-7)));
    EXPECT_EQ("ab", Bytes(s.Left(2)));
    EXPECT_TRUE(IsSharedEmpty(s.Left(-1)));

    // UTF-16 contents count units; the flag and the code page travel along.
    AString wide(u"abcd", 4);
    wide.SetCodePage(950);
    AString part = wide.Mid(1, 2);
    EXPECT_EQ(u"bc", Units(part));
    EXPECT_TRUE(part.IsWide());
    EXPECT_EQ(950, part.GetCodePage());
    EXPECT_EQ(u"cd", Units(wide.Mid(2, 9)));
    EXPECT_TRUE(IsSharedEmpty(wide.Mid(4)));
}

TEST(AStringModify, DeleteClipsItsRange) {
    struct Case {
        int index, count;
        const char* expect;
    };
    const Case cases[] = {{1, 2, "ade"}, {3, 100, "abc"}, {-1, 2, "cde"}, {5, 1, "abcde"}, {2, 0, "abcde"}, {0, 5, ""}};
    for (const Case& c : cases) {
        AString s("abcde");
        s.Delete(c.index, c.count);
        EXPECT_EQ(c.expect, Bytes(s)) << c.index << ", " << c.count;
    }
    AString s("abcde");
    s.Delete(0, 5);
    EXPECT_TRUE(IsSharedEmpty(s));
    AString wide(u"abc", 3);
    wide.Delete(1);
    EXPECT_EQ(u"ac", Units(wide));
}

TEST(AStringModify, RemoveAndReplaceBytes) {
    AString s("hello");
    AString copy(s);
    EXPECT_EQ(0, s.Remove('z'));
    EXPECT_EQ(0, s.Replace('z', 'y'));
    EXPECT_EQ(copy.GetString(), s.GetString());  // nothing found: still shared
    EXPECT_EQ(2, s.Remove('l'));
    EXPECT_EQ("heo", Bytes(s));
    EXPECT_EQ(1, s.Replace('o', '0'));
    EXPECT_EQ("he0", Bytes(s));
    AString all("aaa");
    EXPECT_EQ(3, all.Remove('a'));
    EXPECT_TRUE(IsSharedEmpty(all));
}

TEST(AStringModify, ReplaceText) {
    struct Case {
        const char *text, *from, *to, *expect;
        int count;
    };
    const Case cases[] = {
        {"aaa", "aa", "b", "ba", 1},
        {"abcabc", "b", "XYZ", "aXYZcaXYZc", 2},
        {"abcabc", "bc", "", "aa", 2},
        {"abcabc", "abc", "xyz", "xyzxyz", 2},
        {"a.b.c", ".", "::", "a::b::c", 2},
        {"aaaa", "a", "", "", 4},
        {"abc", "", "x", "abc", 0},
        {"abc", nullptr, "x", "abc", 0},
        {"abc", "b", nullptr, "ac", 1},
        {"abc", "x", "y", "abc", 0},
        {"abc", "abcd", "y", "abc", 0},
    };
    for (const Case& c : cases) {
        AString s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.from, c.to)) << c.text;
        EXPECT_EQ(c.expect, Bytes(s)) << c.text;
    }

    // The new text may lie in the string's own buffer.
    AString grow("abc");
    EXPECT_EQ(1, grow.Replace("b", grow.GetString()));
    EXPECT_EQ("aabcc", Bytes(grow));
    AString shrink("abcabc");
    EXPECT_EQ(2, shrink.Replace("abc", shrink.GetString() + 4));
    EXPECT_EQ("bcbc", Bytes(shrink));
}

TEST(AStringModify, TrimSets) {
    struct Case {
        const char* text;
        const char* set;  // nullptr: the default set
        const char *left, *right;
    };
    const Case cases[] = {
        {" \t\r\n", nullptr, "", ""},
        {"ab \r\n", nullptr, "ab \r\n", "ab"},
        {"\n\tab c\t", nullptr, "ab c\t", "\n\tab c"},
        {"xxaxx", "x", "axx", "xxa"},
        {"abc", "", "abc", "abc"},
        {"", nullptr, "", ""},
    };
    for (const Case& c : cases) {
        AString left(c.text), right(c.text);
        if (c.set) {
            left.TrimLeft(c.set);
            right.TrimRight(c.set);
        } else {
            left.TrimLeft();
            right.TrimRight();
        }
        EXPECT_EQ(c.left, Bytes(left)) << c.text;
        EXPECT_EQ(c.right, Bytes(right)) << c.text;
        EXPECT_EQ(!*c.left, IsSharedEmpty(left));
    }
    AString wide(u" \tab ", 5);
    wide.TrimLeft();
    EXPECT_EQ(u"ab ", Units(wide));
    wide.TrimRight();
    EXPECT_EQ(u"ab", Units(wide));
    AString keep(" a ");
    keep.TrimLeft(nullptr);
    EXPECT_EQ(" a ", Bytes(keep));
}

TEST(AStringModify, MakeLowerTouchesAsciiLettersOnly) {
    AString s("HeLLo " GBK_ZHONG " \xC1\xD2 [Z]");
    s.MakeLower();
    EXPECT_EQ("hello " GBK_ZHONG " \xC1\xD2 [z]", Bytes(s));
    AString wide(u"AB", 2);
    wide.MakeLower();
    EXPECT_EQ(u"AB", Units(wide));
}

TEST(AStringBuffer, GetBufferAndReleaseBuffer) {
    AString s("ab");
    char* p = s.GetBuffer(10);
    EXPECT_GE(s.GetHeader()->capacity - 16, 10);
    std::memcpy(p, "hello", 6);
    s.ReleaseBuffer();
    EXPECT_EQ("hello", Bytes(s));

    p = s.GetBuffer(0);  // keeps the contents
    EXPECT_EQ(std::string("hello"), p);
    p[5] = 'X';
    s.ReleaseBuffer(6);
    EXPECT_EQ("helloX", Bytes(s));
    EXPECT_EQ(0, s.GetString()[6]);
    EXPECT_EQ(0, s.GetString()[7]);

    // A length past the room grows the buffer and zero-fills the new part.
    AString grown("ab");
    grown.GetBuffer(0);
    grown.ReleaseBuffer(40);
    EXPECT_EQ("ab"s + std::string(38, '\0'), Bytes(grown));

    // Measuring stops at the room when no zero byte was written.
    AString full('x', 3);  // room 3
    std::memset(full.GetBuffer(0), 'y', 3);
    full.ReleaseBuffer();
    EXPECT_EQ("yyy", Bytes(full));

    full.ReleaseBuffer(0);
    EXPECT_TRUE(IsSharedEmpty(full));

    AString shared("abc"), copy(shared);
    shared.GetBuffer(3)[0] = 'X';
    shared.ReleaseBuffer();
    EXPECT_EQ("abc", Bytes(copy));
    EXPECT_EQ("Xbc", Bytes(shared));
}

TEST(AStringBuffer, ReleaseBufferOfUtf16Contents) {
    AString w(u"ab", 2);
    auto* units = reinterpret_cast<char16_t*>(w.GetBuffer(16));
    units[0] = u'x';
    units[1] = u'\u4E2D';
    units[2] = u'z';
    units[3] = 0;
    w.ReleaseBuffer();  // measured up to the zero unit
    EXPECT_EQ(u"x\u4E2Dz", Units(w));
    EXPECT_EQ(6, w.GetLength());
    w.ReleaseBuffer(5);  // odd: no half units
    EXPECT_EQ(4, w.GetLength());
    EXPECT_EQ(u"x\u4E2D", Units(w));
    EXPECT_TRUE(w.IsWide());
}

TEST(AStringAppend, BytesUnitsAndMixing) {
    AString s("ab");
    s += "cd";
    s += 'e';
    s += AString("fg");
    s.Append("hij", 2);
    EXPECT_EQ("abcdefghi", Bytes(s));
    s.Append('\0');
    EXPECT_EQ("abcdefghi\0"s, Bytes(s));

    // 8-bit text onto UTF-16: each byte becomes a unit, no conversion.
    AString wide(u"\u4E2D", 1);
    wide += "ab";
    wide += '\xD6';
    wide += AString("c");
    EXPECT_TRUE(wide.IsWide());
    EXPECT_EQ(u"\u4E2Dab\u00D6c", Units(wide));

    // UTF-16 onto 8-bit: this string is converted first (its code page, else 936).
    AString gbk(GBK_ZHONG);
    gbk += AString(u"\u6587", 1);
    EXPECT_TRUE(gbk.IsWide());
    EXPECT_EQ(u"\u4E2D\u6587", Units(gbk));
    AString big5("\xA4\xA4");
    big5.SetCodePage(950);
    big5 += AString(u"!", 1);
    EXPECT_EQ(u"\u4E2D!", Units(big5));

    // An empty string takes the other value as it is.
    AString empty;
    AString w2(u"xy", 2);
    empty += w2;
    EXPECT_EQ(w2.GetString(), empty.GetString());
    EXPECT_TRUE(empty.IsWide());

    // UTF-16 onto UTF-16 appends the units.
    w2 += AString(u"z", 1);
    EXPECT_EQ(u"xyz", Units(w2));
}

TEST(AStringAppend, ItselfAndItsOwnBytes) {
    AString s("abc");
    s += s;
    EXPECT_EQ("abcabc", Bytes(s));
    s.Append(s.GetString() + 4);
    EXPECT_EQ("abcabcbc", Bytes(s));
    for (int i = 0; i < 6; ++i) s += s;  // grows through reallocations
    EXPECT_EQ(8 << 6, s.GetLength());
    EXPECT_EQ("abcabcbcabcabcbc", Bytes(s.Left(16)));

    AString w(u"ab", 2);
    w += w;
    EXPECT_EQ(u"abab", Units(w));
    AString n("xy");
    AString wide(u"!", 1);
    wide.AppendWidened(wide.GetString(), 1);  // its own byte, widened
    EXPECT_EQ(u"!!", Units(wide));
    n.AppendWidened(n.GetString(), 2);  // 8-bit contents become UTF-16 first
    EXPECT_EQ(u"xyxy", Units(n));
}

TEST(AStringAppend, ConcatLeavesOperandsUnchanged) {
    const AString a("ab"), b("cd"), w(u"\u4E2D", 1);
    EXPECT_EQ("abcd", Bytes(a + b));
    EXPECT_EQ("abx", Bytes(a + "x"));
    EXPECT_EQ("xab", Bytes("x" + a));
    EXPECT_EQ("ab!", Bytes(a + '!'));
    EXPECT_EQ("!ab", Bytes('!' + a));
    EXPECT_EQ(u"\u4E2Dab", Units(w + a));
    EXPECT_EQ(u"ab\u4E2D", Units(a + w));
    EXPECT_EQ("ab", Bytes(a));
    EXPECT_EQ("cd", Bytes(b));
    EXPECT_EQ(u"\u4E2D", Units(w));
    EXPECT_EQ(a.GetString(), (a + AString()).GetString());
    EXPECT_EQ(a.GetString(), (AString() + a).GetString());
}
