#include "text/amap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text_test_util.h"

namespace {

std::vector<std::string> Keys(const AMapStringToString& m) {
    std::vector<std::string> keys;
    AString k, v;
    for (APosition pos = m.GetStartPosition(); pos;) {
        m.GetNextAssoc(pos, k, v);
        keys.push_back(Bytes(k));
    }
    return keys;
}

int Refs(const AString& s) { return s.GetHeader()->refs.load(); }

bool IsPrime(int n) {
    if (n < 2) return false;
    for (int d = 2; d <= n / d; d++) {
        if (n % d == 0) return false;
    }
    return true;
}

}  // namespace

TEST(AMapCore, StringHashIsTimes33PlusSignedByte) {
    struct Case {
        const char* key;
        std::uint32_t hash;
    };
    const Case cases[] = {
        {"", 0},
        {"a", 97},
        {"ab", 97 * 33 + 98},
        {"abc", (97 * 33 + 98) * 33 + 99},
        {"\xA1", 4294967296u - 95},                        // 0xA1 is -95
        {GBK_ZHONG, 4294967296u - (42 * 33 + 48)},         // D6 D0: -42, -48
    };
    for (const Case& c : cases) EXPECT_EQ(c.hash, AHashString(AString(c.key))) << c.key;
    // Bytes after a NUL count.
    EXPECT_EQ(33u * 97, AHashString(AString::FromBytes("a\0", 2)));
}

TEST(AMapCore, TableSizeForIsAPrimeLargeEnough) {
    for (int n : {0, 1, 64, 100, 7000, 120000}) {
        int size = AHashTableSizeFor(n);
        EXPECT_TRUE(IsPrime(size)) << n;
        EXPECT_GE(size, n < 64 ? 64 : n) << n;
        EXPECT_LT(size, (n < 64 ? 64 : n) + 100) << n;
    }
}

TEST(AMapStringToString, IndexOperatorInsertsOnceAndKeepsTheLastValue) {
    AMapStringToString m;
    m[AString("key")] = "first";
    m[AString("key")] = "second";
    m["other"] = GBK_ZHONG;
    EXPECT_EQ(2, m.GetCount());
    AString v;
    EXPECT_TRUE(m.Lookup(AString("key"), v));
    EXPECT_EQ("second", Bytes(v));
    EXPECT_EQ(GBK_ZHONG, Bytes(*m.Find(AString("other"))));

    // An absent key read through the index operator becomes an empty entry.
    EXPECT_TRUE(m["new"].IsEmpty());
    EXPECT_EQ(3, m.GetCount());
    EXPECT_TRUE(m.Lookup(AString("new"), v));
    EXPECT_TRUE(v.IsEmpty());
}

TEST(AMapStringToString, AbsentKeys) {
    AMapStringToString m;
    AString v("unchanged");
    EXPECT_FALSE(m.Lookup(AString("a"), v));  // before any bucket exists
    EXPECT_EQ(nullptr, m.Find(AString("a")));
    EXPECT_EQ(nullptr, m.GetStartPosition());
    m["ab"] = "1";
    m["\xA1"] = "2";  // same bucket as "a" with 64 buckets
    for (const char* key : {"a", "b", "", "ab ", "AB"}) {
        EXPECT_FALSE(m.Lookup(AString(key), v)) << key;
        EXPECT_EQ(nullptr, m.Find(AString(key))) << key;
    }
    EXPECT_EQ("unchanged", Bytes(v));
    EXPECT_EQ(2, m.GetCount());
    ASSERT_NE(nullptr, m.FindBytes("abc", 2));  // the key given as the first bytes of a buffer
    EXPECT_EQ("1", Bytes(*m.FindBytes("abc", 2)));
    EXPECT_EQ(nullptr, m.FindBytes("abc", 3));
    EXPECT_EQ(nullptr, m.FindBytes("a", 1));
}

// Bucket order, most recent first within a bucket; the buckets below were
// worked out by hand from the hash.
TEST(AMapStringToString, IterationOrder) {
    struct Case {
        int buckets;
        std::vector<std::string> expected;
    };
    // 64 buckets: A 1, \xA1 33, a 33, b 34, c 35. 7 buckets: \xA1 0, b 0, c 1, A 2, a 6.
    const Case cases[] = {
        {64, {"A", "\xA1", "a", "b", "c"}},
        {7, {"\xA1", "b", "c", "A", "a"}},
    };
    for (const Case& c : cases) {
        AMapStringToString m;
        ASSERT_TRUE(m.InitHashTable(c.buckets));
        for (const char* key : {"a", "b", "A", "\xA1", "c"}) m[key] = AString(key) + "=";
        EXPECT_EQ(c.expected, Keys(m)) << c.buckets;
        // Colliding keys are both found, with their own values.
        for (const char* key : {"a", "\xA1", "b"}) EXPECT_EQ(std::string(key) + "=", Bytes(m[key])) << key;
    }
}

TEST(AMapStringToString, NodesComeFromBlocks) {
    AMapStringToString m(4);
    EXPECT_EQ(0, m.GetBlockCount());
    for (int i = 0; i < 4; i++) m[AString('k', i + 1)] = "v";
    EXPECT_EQ(1, m.GetBlockCount());
    m[AString('k', 1)] = "again";  // no new node for an existing key
    EXPECT_EQ(1, m.GetBlockCount());
    m["fifth"] = "v";
    EXPECT_EQ(2, m.GetBlockCount());
    for (int i = 0; i < 4; i++) m[AString('z', i + 1)] = "v";
    EXPECT_EQ(3, m.GetBlockCount());
    EXPECT_EQ(9, m.GetCount());

    m.RemoveAll();
    EXPECT_EQ(0, m.GetBlockCount());
    EXPECT_EQ(0, m.GetCount());
    EXPECT_EQ(nullptr, m.GetStartPosition());
    EXPECT_EQ(nullptr, m.Find(AString("fifth")));
    m["fifth"] = "refilled";
    EXPECT_EQ(1, m.GetBlockCount());
    EXPECT_EQ((std::vector<std::string>{"fifth"}), Keys(m));
    EXPECT_EQ("refilled", Bytes(m["fifth"]));
}

TEST(AMapStringToString, InitHashTableOnlyWhileEmpty) {
    AMapStringToString m;
    EXPECT_EQ(64, m.GetHashTableSize());
    EXPECT_FALSE(m.InitHashTable(0));
    EXPECT_TRUE(m.InitHashTable(101));
    m["a"] = "1";
    EXPECT_FALSE(m.InitHashTable(7));
    EXPECT_EQ(101, m.GetHashTableSize());
    EXPECT_EQ("1", Bytes(m["a"]));
    m.RemoveAll();
    EXPECT_EQ(101, m.GetHashTableSize());  // kept for the next fill
    EXPECT_TRUE(m.InitHashTable(7));
    m["a"] = "2";
    EXPECT_EQ("2", Bytes(m["a"]));
}

TEST(AMapStringToString, KeysAndValuesAreReleased) {
    AString key("a key that is shared"), value("a value that is shared");
    {
        AMapStringToString m(2);
        m[key] = value;
        m[AString("second")] = value;
        m[AString("third")] = value;
        EXPECT_EQ(2, Refs(key));
        EXPECT_EQ(4, Refs(value));
        AString k, v;
        EXPECT_TRUE(m.Lookup(key, v));
        EXPECT_EQ(value.GetString(), v.GetString());  // shared, not copied
        v.Empty();
        m[key] = AString("replaced");
        EXPECT_EQ(3, Refs(value));
        m.RemoveAll();
        EXPECT_EQ(1, Refs(key));
        EXPECT_EQ(1, Refs(value));
        m[key] = value;
        EXPECT_EQ(2, Refs(value));
    }
    EXPECT_EQ(1, Refs(key));  // the destructor released the rest
    EXPECT_EQ(1, Refs(value));
}

TEST(AMapStringToPtr, PointerValues) {
    AMapStringToPtr m;
    int a = 1, b = 2;
    EXPECT_EQ(nullptr, m["absent"]);  // default value
    m["a"] = &a;
    m[AString(GBK_ZHONG)] = &b;
    m["a"] = &b;
    m.SetAt(AString("n"), reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x123456789)));
    EXPECT_EQ(4, m.GetCount());
    void* v = nullptr;
    EXPECT_TRUE(m.Lookup(AString("a"), v));
    EXPECT_EQ(&b, v);
    EXPECT_EQ(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x123456789)), *m.Find(AString("n")));
    EXPECT_FALSE(m.Lookup(AString("b"), v));
    EXPECT_EQ(nullptr, m.Find(AString("b")));

    // Iteration visits each entry once, in bucket order.
    int seen = 0;
    AString k;
    for (APosition pos = m.GetStartPosition(); pos; seen++) {
        m.GetNextAssoc(pos, k, v);
        void* expected = nullptr;
        ASSERT_TRUE(m.Lookup(k, expected));
        EXPECT_EQ(expected, v);
    }
    EXPECT_EQ(4, seen);
}

TEST(AMapStringToPtr, HundredThousandKeys) {
    constexpr int kCount = 100000;
    AMapStringToPtr m(50000);
    ASSERT_TRUE(m.InitHashTable(AHashTableSizeFor(kCount)));
    AString key;
    for (int i = 0; i < kCount; i++) m[key.Format("w%d", i)] = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i));
    EXPECT_EQ(kCount, m.GetCount());
    EXPECT_EQ(2, m.GetBlockCount());
    for (int i = 0; i < kCount; i++) {
        void* v = nullptr;
        ASSERT_TRUE(m.Lookup(key.Format("w%d", i), v)) << i;
        ASSERT_EQ(static_cast<std::uintptr_t>(i), reinterpret_cast<std::uintptr_t>(v));
    }
    void* v = nullptr;
    EXPECT_FALSE(m.Lookup(AString("w100000"), v));

    std::vector<char> seen(kCount, 0);
    int visits = 0;
    for (APosition pos = m.GetStartPosition(); pos; visits++) {
        m.GetNextAssoc(pos, key, v);
        auto i = reinterpret_cast<std::uintptr_t>(v);
        ASSERT_LT(i, static_cast<std::uintptr_t>(kCount));
        EXPECT_TRUE(key.Equals(AString().Format("w%d", static_cast<int>(i))));
        seen[i]++;
    }
    EXPECT_EQ(kCount, visits);
    EXPECT_EQ(std::vector<char>(kCount, 1), seen);
}
