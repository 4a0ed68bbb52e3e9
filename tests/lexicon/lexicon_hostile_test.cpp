// Damaged and hostile data files: loading never crashes or hangs and keeps
// what was read completely. Run under the sanitizer build as well.
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "lexicon/char_data_files.h"
#include "lexicon_fixture.h"

namespace {

std::string RandomBytes(std::mt19937& rng, size_t n, bool textLike) {
    static const char kPieces[] = "[]/ ,;\r\n\t#Rx1";
    std::string s(n, '\0');
    for (char& c : s) {
        unsigned r = rng();
        c = textLike && r % 3 == 0 ? kPieces[(r >> 8) % (sizeof kPieces - 1)] : static_cast<char>(r >> 16);
    }
    return s;
}

void PutLe(std::string& s, std::uint32_t v, int n) {
    for (int i = 0; i < n; i++) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

const char* const kAllFiles[] = {kWordListFile,   kWordCacheFile, kComponentFile, kBaseComponentFile,
                                 kDefinitionFile, kUsageFile,     kSortFile};

// Every data file of the lexicon filled with random or text-like bytes.
TEST(LexiconHostile, RandomFilesLoad) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 40; round++) {
        SCOPED_TRACE(round);
        ScratchFolder dir;
        for (const char* name : kAllFiles)
            ASSERT_TRUE(WriteBytes(dir.File(name), RandomBytes(rng, rng() % 3000, round % 2 == 0)));
        CDict dict;
        dict.LoadLexicon(dir.Path());
        for (const char* t : {"R", "X", "\xB0\xA1", "\xB0", ""}) dict.GetParts(AString(t), true);
        AString def;
        dict.GetDefinition(AString("\xB0\xA1"), def);
    }
    CDictTop::LexiconLoaded = false;
}

// A cache cut at every byte, and caches whose lengths and counts lie.
TEST(LexiconHostile, DamagedCaches) {
    ScratchFolder dir;
    WordMap words;
    CedictEntry e;
    e.pinyin = "ni3 hao3";
    e.definitions = "hello/hi";
    for (const char* w : {"\xC4\xE3\xBA\xC3", "\xD6\xD0\xB9\xFA", "\xBA\xC3", "ab", "cd"}) words[AString(w)] = e;
    const std::string cache = dir.File(kWordCacheFile);
    ASSERT_TRUE(WriteWordCache(cache, words, WordListStamp{3, 4}));
    const std::string full = ReadBytes(cache);
    for (size_t cut = 0; cut < full.size(); cut++) {
        if (cut == full.size() - 24) continue;  // entries without the stamp: a valid cache
        ASSERT_TRUE(WriteBytes(cache, full.substr(0, cut)));
        WordMap back;
        EXPECT_EQ(CacheRead::Damaged, ReadWordCache(cache, nullptr, back)) << cut;
        EXPECT_LE(back.GetCount(), 5);
    }

    std::string big;  // entry count 0xFFFFFFFF, one entry of bytes
    PutLe(big, 0xFFFF, 2), PutLe(big, 0xFFFFFFFF, 4);
    PutLe(big, 2, 4), big += "ab", big += '\0', PutLe(big, 0, 2);
    PutLe(big, 0, 4), PutLe(big, 0xFFFFFFFF, 4);  // negative length: empty
    std::string lengths[] = {
        big,
        std::string("\x01\x00\xFF\xFF\xFF\x7F", 6) + "abc",  // 2 GB headword
        std::string("\x02\x00\x00\x00\x00\x80", 6) + std::string(40, '\x7F'),
        std::string("\xFF\xFF", 2),
        "ZhWLstmp" + std::string(16, '\0'),  // a stamp alone
    };
    for (const std::string& bytes : lengths) {
        ASSERT_TRUE(WriteBytes(cache, bytes));
        WordMap back;
        EXPECT_EQ(CacheRead::Damaged, ReadWordCache(cache, nullptr, back));
        EXPECT_LE(back.GetCount(), 1);
    }
}

// 100,000 lines of one headword make one entry, quickly.
TEST(LexiconHostile, IdenticalHeadwords) {
    ScratchFolder dir;
    std::string list;
    const std::string line = std::string("你好 你好 [ni3 hao3] /hello/\n");
    for (int i = 0; i < 100000; i++) list += line;
    ASSERT_TRUE(WriteBytes(dir.File(kWordListFile), list));
    auto start = std::chrono::steady_clock::now();
    CDict dict;
    EXPECT_TRUE(dict.LoadWordDictionary(dir.Path()));
    EXPECT_EQ(1, dict.WordDictionary.GetCount());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

// Components whose values double at every level (a -> bb, b -> cc, ...):
// the expansion is cut off instead of growing to 2^24 bytes.
TEST(LexiconHostile, DoublingComponents) {
    CDict dict;
    for (char c = 'a'; c < 'y'; c++) dict.ComponentTable.SetAt(AString(c, 1), AString(static_cast<char>(c + 1), 2));
    const auto start = std::chrono::steady_clock::now();
    for (bool depth : {false, true}) {
        const AString parts = dict.GetParts(AString("a"), depth);
        EXPECT_GE(parts.GetLength(), 1024);
        EXPECT_LE(parts.GetLength(), 4096);
        EXPECT_EQ(std::string(static_cast<size_t>(parts.GetLength()), 'y'), Bytes(parts));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Lines without separators, one very long line, lone lead bytes.
TEST(LexiconHostile, MalformedText) {
    ScratchFolder dir;
    const std::string huge(100000, '\xB0');
    ASSERT_TRUE(WriteBytes(dir.File(kWordListFile),
                           huge + "\n" + std::string("你好你好ni3hao3/hi/\n[]\n][\n你[\n你]]]\n") + huge));
    ASSERT_TRUE(WriteBytes(dir.File(kComponentFile), huge + "\nR\nR\nRRR\n\xB0\n\xB0"));
    ASSERT_TRUE(WriteBytes(dir.File(kDefinitionFile), std::string("\n\n\x01\n", 4)));
    ASSERT_TRUE(WriteBytes(dir.File(kUsageFile), "\xB0"));
    ASSERT_TRUE(WriteBytes(dir.File(kSortFile), huge));
    CDict dict;
    dict.LoadLexicon(dir.Path());
    CDictTop::LexiconLoaded = false;
    EXPECT_EQ(0, dict.WordDictionary.GetCount());
    // The 98 pieces of the long line pair up under one key; then R -> R and
    // RRR -> a lone lead byte.
    EXPECT_EQ(3, dict.ComponentTable.GetCount());
    EXPECT_EQ("R", Bytes(dict.GetParts(AString("R"), true)));
    EXPECT_EQ("\xB0", Bytes(dict.GetParts(AString("RRR"), true)));
    EXPECT_EQ(1, dict.SortNumbers.GetCount());  // one key, 50,000 times
}

// The 32001st listed character and later ones get 0, not a wrapped score.
TEST(LexiconHostile, UsageScoreDoesNotWrap) {
    ScratchFolder dir;
    ASSERT_TRUE(WriteToneReadingFile(dir.File(kToneMaskFile), {{Key("好"), {"hao"}, {0x0C}, 1}}, false));
    std::vector<CharKey> usage(32005, MakeCharKey(0x81, 0x40));
    usage.push_back(Key("好"));
    ASSERT_TRUE(WriteUsageFile(dir.File(kUsageFile), usage));
    CDict dict;
    dict.LoadToneReadings(dir.Path());
    EXPECT_EQ(0, dict.ToneMaskRecords.Find(Key("好"))->UsageScore);
}

}  // namespace
