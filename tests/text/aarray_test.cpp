#include "text/aarray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_test_util.h"

namespace {

std::vector<std::string> Items(const AStringArray& a) {
    std::vector<std::string> v;
    for (int i = 0; i < a.GetSize(); i++) v.push_back(Bytes(a[i]));
    return v;
}

// Array of exactly the given items with capacity == size, so that any growth
// reallocates and moves.
void Fill(AStringArray& a, const std::vector<std::string>& items) {
    a.SetSize(static_cast<int>(items.size()));
    for (int i = 0; i < a.GetSize(); i++) a.SetAt(i, AString(items[static_cast<size_t>(i)].c_str()));
}

int Refs(const AString& s) { return s.GetHeader()->refs.load(); }

}  // namespace

TEST(AStringArray, SetSizeGrowthRules) {
    constexpr int kAdd = -100;  // step: Add one element instead of SetSize
    struct Step {
        int n, growBy;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int size, capacity, growBy;
    };
    const Case cases[] = {
        {"first allocation is exact", {{5, -1}}, 5, 5, 20},
        {"first Add allocates one", {{kAdd, 0}}, 1, 1, 20},
        {"second Add grows by grow-by", {{kAdd, 0}, {kAdd, 0}}, 2, 21, 20},
        {"SetSize(0,10) then Add allocates 10", {{0, 10}, {kAdd, 0}}, 1, 10, 10},
        {"20 with grow-by 20, one more", {{20, 20}, {21, -1}}, 21, 40, 20},
        {"n beyond capacity + grow-by", {{20, 20}, {50, -1}}, 50, 50, 20},
        {"growBy -1 keeps the grow-by", {{1, 7}, {2, -1}}, 2, 8, 7},
        {"other negative growBy keeps it too", {{1, 7}, {2, -5}}, 2, 8, 7},
        {"shrinking keeps the storage", {{3, -1}, {1, -1}}, 1, 3, 20},
        {"negative n is ignored", {{3, -1}, {-1, -1}}, 3, 3, 20},
        {"growBy 0 on an empty array: 32", {{0, 0}}, 0, 0, 32},
        {"growBy 0 with 1600 elements: 100", {{1600, -1}, {1600, 0}}, 1600, 1600, 100},
        {"growBy 0 with 20000 elements: 1024", {{20000, -1}, {20000, 0}}, 20000, 20000, 1024},
        {"growBy 0 uses the size before resizing", {{1600, -1}, {3200, 0}}, 3200, 3200, 100},
    };
    for (const Case& c : cases) {
        AStringArray a;
        for (const Step& s : c.steps) {
            if (s.n == kAdd) {
                a.Add("x");
            } else {
                a.SetSize(s.n, s.growBy);
            }
        }
        EXPECT_EQ(c.size, a.GetSize()) << c.name;
        EXPECT_EQ(c.capacity, a.GetCapacity()) << c.name;
        EXPECT_EQ(c.growBy, a.GetGrowBy()) << c.name;
        for (int i = 0; i < a.GetSize(); i++) {
            if (!a[i].IsEmpty() && !a[i].Equals("x")) ADD_FAILURE() << c.name << ": element " << i;
        }
    }
}

TEST(AStringArray, GrowingKeepsElementsAndConstructsNewOnes) {
    AStringArray a;
    Fill(a, {"a", "b"});
    a.SetSize(30);
    ASSERT_EQ(30, a.GetSize());
    EXPECT_EQ("a", Bytes(a[0]));
    EXPECT_EQ("b", Bytes(a[1]));
    for (int i = 2; i < 30; i++) EXPECT_TRUE(a[i].IsEmpty()) << i;
    a[29] += "end";  // a constructed element is a usable string
    EXPECT_EQ("end", Bytes(a.GetAt(29)));
}

TEST(AStringArray, InsertAt) {
    struct Case {
        int index, count;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, 1, {"x", "a", "b", "c", "d"}},
        {2, 2, {"a", "b", "x", "x", "c", "d"}},
        {3, 1, {"a", "b", "c", "x", "d"}},
        {4, 1, {"a", "b", "c", "d", "x"}},               // at the end
        {6, 2, {"a", "b", "c", "d", "", "", "x", "x"}},  // past the end: grows to index + count
        {1, 0, {"a", "b", "c", "d"}},
        {-1, 1, {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        AStringArray a;
        Fill(a, {"a", "b", "c", "d"});
        a.InsertAt(c.index, AString("x"), c.count);
        EXPECT_EQ(c.expected, Items(a)) << c.index << "," << c.count;
    }
}

TEST(AStringArray, RemoveAt) {
    struct Case {
        int index, count;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, 1, {"b", "c", "d"}}, {1, 2, {"a", "d"}},           {3, 1, {"a", "b", "c"}},
        {2, 5, {"a", "b"}},      {4, 1, {"a", "b", "c", "d"}}, {-1, 1, {"a", "b", "c", "d"}},
        {0, 0, {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        AStringArray a;
        Fill(a, {"a", "b", "c", "d"});
        a.RemoveAt(c.index, c.count);
        EXPECT_EQ(c.expected, Items(a)) << c.index << "," << c.count;
        EXPECT_EQ(4, a.GetCapacity());
    }
}

TEST(AStringArray, SetAtGrowAndAdd) {
    AStringArray a;
    EXPECT_EQ(0, a.Add("a"));
    EXPECT_EQ(1, a.Add(AString(GBK_ZHONG)));
    a.SetAtGrow(4, AString("e"));
    a.SetAtGrow(1, AString("b"));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "", "", "e"}), Items(a));
    a.ElementAt(2) = "c";
    a.SetAt(3, AString("d"));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d", "e"}), Items(a));
}

// The argument may be an element of the array whose storage moves.
TEST(AStringArray, ArgumentFromTheSameArraySurvivesReallocation) {
    AStringArray a;
    Fill(a, {"first", "second"});
    a.Add(a[0]);
    a.InsertAt(0, a[1], 3);
    EXPECT_EQ((std::vector<std::string>{"second", "second", "second", "first", "second", "first"}), Items(a));

    AStringArray b;
    Fill(b, {"p"});
    b.SetAtGrow(5, b[0]);
    EXPECT_EQ((std::vector<std::string>{"p", "", "", "", "", "p"}), Items(b));
}

TEST(AStringArray, RemoveAllResetsEverything) {
    AStringArray a;
    a.SetSize(0, 100);
    for (int i = 0; i < 150; i++) a.Add("x");
    EXPECT_EQ(200, a.GetCapacity());
    a.RemoveAll();
    EXPECT_EQ(0, a.GetSize());
    EXPECT_EQ(0, a.GetCapacity());
    EXPECT_EQ(20, a.GetGrowBy());
    EXPECT_EQ(nullptr, a.GetData());
    a.Add("again");  // storage again allocated exactly
    EXPECT_EQ(1, a.GetCapacity());
    EXPECT_EQ((std::vector<std::string>{"again"}), Items(a));
}

TEST(AStringArray, CopyReplacesContents) {
    AStringArray src, dst;
    Fill(src, {"a", GBK_ZHONG GBK_WEN, ""});
    Fill(dst, {"old1", "old2", "old3", "old4", "old5"});
    dst.SetSize(5, 50);
    dst.Copy(src);
    EXPECT_EQ(Items(src), Items(dst));
    EXPECT_EQ(3, dst.GetCapacity());  // RemoveAll, then an exact first allocation
    EXPECT_EQ(20, dst.GetGrowBy());

    dst[0] += "!";  // copy-on-write: the source keeps its text
    EXPECT_EQ("a", Bytes(src[0]));
    EXPECT_EQ("a!", Bytes(dst[0]));

    dst.Copy(dst);
    EXPECT_EQ((std::vector<std::string>{"a!", GBK_ZHONG GBK_WEN, ""}), Items(dst));

    AStringArray constructed(src);
    EXPECT_EQ(Items(src), Items(constructed));
    AStringArray assigned;
    assigned.Add("z");
    assigned = src;
    EXPECT_EQ(Items(src), Items(assigned));
    assigned = AStringArray();
    EXPECT_TRUE(assigned.IsEmpty());
}

// Every operation that drops or overwrites an element releases its string.
TEST(AStringArray, ElementLifetimeFollowsReferenceCounts) {
    AString s("a shared buffer of text");
    ASSERT_EQ(1, Refs(s));
    {
        AStringArray a;
        a.Add(s);
        EXPECT_EQ(2, Refs(s));
        EXPECT_EQ(s.GetString(), a[0].GetString());  // shared, not copied
        a.InsertAt(0, s, 3);
        EXPECT_EQ(5, Refs(s));
        a.RemoveAt(0, 2);
        EXPECT_EQ(3, Refs(s));
        a.SetSize(1);
        EXPECT_EQ(2, Refs(s));
        a.SetAt(0, AString("other"));
        EXPECT_EQ(1, Refs(s));
        a.SetSize(40);  // growth moves without copying
        a.SetAtGrow(50, s);
        a.SetSize(60);
        EXPECT_EQ(2, Refs(s));
        {
            AStringArray b(a);
            EXPECT_EQ(3, Refs(s));
            b.Copy(AStringArray());
            EXPECT_EQ(2, Refs(s));
            b = a;
            EXPECT_EQ(3, Refs(s));
        }
        EXPECT_EQ(2, Refs(s));
        a.InsertAt(3, s, 2);
        EXPECT_EQ(4, Refs(s));
    }
    EXPECT_EQ(1, Refs(s));  // the destructor released the rest
    {
        AStringArray a;
        a.Add(s);
        a.RemoveAll();
        EXPECT_EQ(1, Refs(s));
    }
}
