#include "text/ahashmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/aarray.h"
#include "text_test_util.h"

namespace {

int Refs(const AString& s) { return s.GetHeader()->refs.load(); }

template <class K, class V>
std::vector<K> KeysInOrder(const AHashMap<K, V>& m) {
    std::vector<K> keys;
    const K* k;
    const V* v;
    for (APosition pos = m.GetStartPosition(); pos;) {
        m.GetNextAssoc(pos, k, v);
        keys.push_back(*k);
    }
    return keys;
}

// Objects alive, to check that nodes construct and destroy their values.
struct Tracked {
    static int live;
    int n = 0;
    Tracked() { live++; }
    Tracked(const Tracked& o) : n(o.n) { live++; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { live--; }
};
int Tracked::live = 0;

// The shape of the lexicon's reading records.
struct Record {
    AStringArray readings;
    AString gloss;
    int tone = 0;
};

// Longest chain when keys are spread over `buckets` by the map's hash.
template <class K>
int LongestChain(const std::vector<K>& keys, int buckets) {
    std::vector<int> chain(static_cast<size_t>(buckets), 0);
    for (K k : keys) chain[AHashMap<K, int>::Hash(k) % static_cast<unsigned>(buckets)]++;
    return *std::max_element(chain.begin(), chain.end());
}

std::vector<CharKey> Gb2312HanziKeys() {
    std::vector<CharKey> keys;
    for (int lead = 0xB0; lead <= 0xF7; lead++) {
        for (int trail = 0xA1; trail <= 0xFE; trail++) keys.push_back(MakeCharKey(lead, trail));
    }
    return keys;
}

}  // namespace

TEST(AHashMap, CharKeysSharingALeadByteAreBothFound) {
    AHashMap<CharKey, int> m;
    const CharKey zhong = MakeCharKey(0xD6, 0xD0), next = MakeCharKey(0xD6, 0xD1), other = MakeCharKey(0xD0, 0xD6);
    m[zhong] = 1;
    m[next] = 2;
    m[other] = 3;
    m[zhong] = 4;
    EXPECT_EQ(3, m.GetCount());
    int v = 0;
    EXPECT_TRUE(m.Lookup(zhong, v));
    EXPECT_EQ(4, v);
    EXPECT_EQ(2, *m.Find(next));
    EXPECT_EQ(3, *m.Find(other));
    EXPECT_EQ(nullptr, m.Find(MakeCharKey(0xD6, 0xD2)));
    EXPECT_FALSE(m.Lookup(MakeCharKey(0xD1, 0xD6), v));
    EXPECT_EQ(4, v);
}

// Hash of a 16-bit key: key ^ (key >> 8). With 64 buckets, worked out by hand:
// 0x0005 -> 5, 0x4100 -> 0x4141 % 64 = 1, 0x0001 -> 1, 0x0040 -> 0.
TEST(AHashMap, IterationOrderWithCharKeys) {
    AHashMap<CharKey, int> m;
    for (CharKey k : {0x0005, 0x4100, 0x0001, 0x0040}) m[k] = k;
    EXPECT_EQ((std::vector<CharKey>{0x0040, 0x0001, 0x4100, 0x0005}), KeysInOrder(m));
    EXPECT_EQ(0x4100, m[0x4100]);  // same bucket as 0x0001, both found
    EXPECT_EQ(0x0001, m[0x0001]);

    int k = 0, v = 0, n = 0;
    for (APosition pos = m.GetStartPosition(); pos; n++) {
        CharKey key;
        m.GetNextAssoc(pos, key, v);
        k = key;
        EXPECT_EQ(k, v);
    }
    EXPECT_EQ(4, n);
}

// Same string hash and chain order as AMapCore: with 7 buckets \xA1 0, b 0, c 1, A 2, a 6.
TEST(AHashMap, IterationOrderWithStringKeys) {
    AHashMap<AString, int> m;
    ASSERT_TRUE(m.InitHashTable(7));
    int i = 0;
    for (const char* key : {"a", "b", "A", "\xA1", "c"}) m[AString(key)] = i++;
    std::vector<std::string> keys;
    for (const AString& k : KeysInOrder(m)) keys.push_back(Bytes(k));
    EXPECT_EQ((std::vector<std::string>{"\xA1", "b", "c", "A", "a"}), keys);
    EXPECT_EQ(3, m[AString("\xA1")]);
    EXPECT_EQ(1, m[AString("b")]);
}

// The GBK lead byte alone takes 72 values over the GB2312 hanzi; the hash
// must use both bytes so that a table sized for them has short chains.
TEST(AHashMap, CharKeyHashSpreadsGb2312Hanzi) {
    const std::vector<CharKey> keys = Gb2312HanziKeys();
    ASSERT_EQ(6768u, keys.size());
    for (int buckets : {AHashTableSizeFor(static_cast<int>(keys.size())), 8192, 4096}) {
        EXPECT_LE(LongestChain(keys, buckets), 8) << buckets;
    }
    EXPECT_LE(LongestChain(keys, 64), 2 * 6768 / 64) << 64;

    AHashMap<CharKey, int> m(128);
    ASSERT_TRUE(m.InitHashTable(AHashTableSizeFor(static_cast<int>(keys.size()))));
    for (CharKey k : keys) m[k] = k + 1;
    EXPECT_EQ(6768, m.GetCount());
    for (CharKey k : keys) ASSERT_EQ(k + 1, *m.Find(k)) << k;
    EXPECT_EQ(6768u, KeysInOrder(m).size());
}

TEST(AHashMap, HundredThousandStringKeys) {
    constexpr int kCount = 100000;
    AHashMap<AString, int> m(50000);
    ASSERT_TRUE(m.InitHashTable(AHashTableSizeFor(kCount)));
    AString key;
    for (int i = 0; i < kCount; i++) m[key.Format("%d" GBK_ZHONG "%d", i, i % 7)] = i;
    EXPECT_EQ(kCount, m.GetCount());
    EXPECT_EQ(2, m.GetBlockCount());
    for (int i = 0; i < kCount; i++) {
        const int* v = m.Find(key.Format("%d" GBK_ZHONG "%d", i, i % 7));
        ASSERT_NE(nullptr, v) << i;
        ASSERT_EQ(i, *v);
    }
    EXPECT_EQ(nullptr, m.Find(key.Format("%d" GBK_ZHONG "%d", 5, 6)));
    // The same keys given as bytes, also from the middle of a longer buffer.
    const std::string buffer = "xx123" GBK_ZHONG "4yy";
    ASSERT_NE(nullptr, m.FindBytes(buffer.data() + 2, 6));
    EXPECT_EQ(123, *m.FindBytes(buffer.data() + 2, 6));
    EXPECT_EQ(nullptr, m.FindBytes(buffer.data() + 2, 5));
    EXPECT_EQ(nullptr, m.FindBytes(buffer.data(), 0));

    std::vector<char> seen(kCount, 0);
    const AString* k;
    const int* v;
    for (APosition pos = m.GetStartPosition(); pos;) {
        m.GetNextAssoc(pos, k, v);
        ASSERT_TRUE(*v >= 0 && *v < kCount);
        seen[static_cast<size_t>(*v)]++;
    }
    EXPECT_EQ(std::vector<char>(kCount, 1), seen);
}

TEST(AHashMap, NodesComeFromBlocksAndStartDefault) {
    AHashMap<CharKey, int> m(3);
    EXPECT_EQ(nullptr, m.Find(1));
    EXPECT_EQ(nullptr, m.GetStartPosition());
    for (CharKey k = 1; k <= 7; k++) m[k] = 0x5A5A5A5A;
    EXPECT_EQ(3, m.GetBlockCount());
    m[1] = 0x5A5A5A5A;
    EXPECT_EQ(3, m.GetBlockCount());
    m.RemoveAll();
    EXPECT_EQ(0, m.GetBlockCount());
    EXPECT_EQ(0, m.GetCount());
    EXPECT_EQ(nullptr, m.Find(1));
    EXPECT_EQ(nullptr, m.GetStartPosition());
    // Fresh nodes, possibly in recycled memory, hold a value-initialised V.
    for (CharKey k = 100; k < 110; k++) EXPECT_EQ(0, m[k]) << k;
    EXPECT_EQ(4, m.GetBlockCount());
}

TEST(AHashMap, StorageOrderVisitsEveryEntryOnce) {
    // Counts around the block size of 4: empty, partial, full and several blocks.
    for (int count : {0, 1, 3, 4, 5, 8, 13}) {
        AHashMap<int, int> m(4);
        for (int i = 0; i < count; i++) m[i * 7] = i;
        if (count > 0) m[0] = 0;  // a present key adds no node
        std::vector<int> seen(static_cast<size_t>(count), 0);
        m.ForEachInStorageOrder([&](const int& key, const int& value) {
            ASSERT_EQ(key, value * 7);
            seen[static_cast<size_t>(value)]++;
        });
        EXPECT_EQ(std::vector<int>(static_cast<size_t>(count), 1), seen) << count;
        m.RemoveAll();
        int after = 0;
        m.ForEachInStorageOrder([&](const int&, const int&) { after++; });
        EXPECT_EQ(0, after);
    }
}

TEST(AHashMap, RevisionChangesWithTheKeySet) {
    AHashMap<AString, int> m;
    const std::uint32_t r0 = m.Revision();
    m[AString("a")] = 1;
    const std::uint32_t r1 = m.Revision();
    EXPECT_NE(r0, r1);
    m[AString("a")] = 2;  // a new value for a present key: same keys
    EXPECT_EQ(r1, m.Revision());
    m.RemoveAll();
    m[AString("b")] = 1;  // as many keys as before, but others
    EXPECT_NE(r1, m.Revision());
}

TEST(AHashMap, InitHashTableOnlyWhileEmpty) {
    AHashMap<CharKey, int> m;
    EXPECT_EQ(64, m.GetHashTableSize());
    EXPECT_FALSE(m.InitHashTable(-3));
    EXPECT_TRUE(m.InitHashTable(8191));
    m[7] = 1;
    EXPECT_FALSE(m.InitHashTable(64));
    EXPECT_EQ(8191, m.GetHashTableSize());
    m.RemoveAll();
    EXPECT_EQ(8191, m.GetHashTableSize());
    EXPECT_TRUE(m.InitHashTable(13));
    m[7] = 2;
    EXPECT_EQ(2, m[7]);
}

TEST(AHashMap, NodesConstructAndDestroyTheirValues) {
    ASSERT_EQ(0, Tracked::live);
    {
        AHashMap<AString, Tracked> m(4);
        for (int i = 0; i < 10; i++) m[AString('k', i + 1)].n = i;
        m[AString("k")].n = 42;  // existing key: no new value
        EXPECT_EQ(10, Tracked::live);
        Tracked out;
        EXPECT_TRUE(m.Lookup(AString("k"), out));
        EXPECT_EQ(42, out.n);
        EXPECT_EQ(11, Tracked::live);
        m.RemoveAll();
        EXPECT_EQ(1, Tracked::live);
        m[AString("again")].n = 1;
        EXPECT_EQ(2, Tracked::live);
    }
    EXPECT_EQ(0, Tracked::live);  // the destructor destroyed the last value
}

// Values holding strings and arrays of strings release them (ASan reports any
// leak or double release).
TEST(AHashMap, RecordValuesReleaseTheirStrings) {
    AString shared("a reading shared by many records");
    {
        AHashMap<CharKey, Record> m(5);
        for (CharKey k = 0; k < 12; k++) {
            Record& r = m[MakeCharKey(0xB0 + k, 0xA1)];
            r.readings.Add(shared);
            r.readings.Add("zhong1");
            r.gloss = shared;
            r.tone = k;
        }
        EXPECT_EQ(1 + 24, Refs(shared));

        Record copy;
        EXPECT_TRUE(m.Lookup(MakeCharKey(0xB3, 0xA1), copy));
        EXPECT_EQ(3, copy.tone);
        EXPECT_EQ("zhong1", Bytes(copy.readings[1]));
        EXPECT_EQ(1 + 26, Refs(shared));

        const CharKey* k;
        const Record* r;
        int n = 0;
        for (APosition pos = m.GetStartPosition(); pos; n++) {
            m.GetNextAssoc(pos, k, r);
            EXPECT_EQ(CharKeyLead(*k) - 0xB0, r->tone);
        }
        EXPECT_EQ(12, n);
        EXPECT_EQ(1 + 26, Refs(shared));  // iteration by pointer copies nothing

        m.RemoveAll();
        EXPECT_EQ(1 + 2, Refs(shared));
        m[1].readings.Add(shared);
        EXPECT_EQ(1 + 3, Refs(shared));
    }
    EXPECT_EQ(1, Refs(shared));
}
