#include "lexicon/word_dict.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "lexicon_fixture.h"

namespace {

namespace fs = std::filesystem;

struct LineCase {
    const char* name;
    std::string line;
    bool stored;
    const char* headword;
    const char* pinyin;
    const char* definitions;
};

TEST(WordListLine, Parses) {
    const LineCase cases[] = {
        {"plain", std::string("你好 你好 [ni3 hao3] /hello/hi/"), true, "你好", "ni3 hao3", "hello/hi"},
        {"traditional first", std::string("說話 说话 [shuo1 hua4] /to speak/to talk/\n"), true, "说话", "shuo1 hua4",
         "to speak/to talk"},
        {"leading white, CR LF, upper case", std::string(" \t\r中國 中国 [Zhong1 guo2] /China/\r\n"), true, "中国",
         "zhong1 guo2", "China"},
        {"comma ends the traditional form", std::string("妳們,你们 [ni3 men5] /you/"), true, "你们", "ni3 men5", "you"},
        {"semicolon", std::string("甲;乙丙 [yi3 bing3] /x/"), true, "乙丙", "yi3 bing3", "x"},
        {"no separator: the whole form", std::string("你好[ni3 hao3] /hi/"), true, "你好", "ni3 hao3", "hi"},
        {"spaces in the brackets", std::string("你好 你好 [  ni3 hao3  ] /hi/"), true, "你好", "ni3 hao3", "hi"},
        {"nothing after the bracket keeps leading spaces", std::string("你好 你好 [  ni3 hao3  ]"), true, "你好",
         "  ni3 hao3", ""},
        {"spaces and slashes before, white around definitions", std::string("你好 你好 [ni3] // / hello /hi /"), true,
         "你好", "ni3", "hello /hi"},
        {"one trailing slash only", std::string("你好 你好 [ni3] /hi//"), true, "你好", "ni3", "hi/"},
        {"no GBK form becomes ?", std::string("你好 你好 [ni3] /Thai \u0E01/"), true, "你好", "ni3", "Thai ?"},
        {"one-character headword", std::string("好 好 [hao3] /good/"), true, "好", "hao3", "good"},
        {"comment", std::string("# 你好 你好 [ni3 hao3] /hi/"), false, nullptr, nullptr, nullptr},
        {"Latin first", std::string("A 阿 [a1] /x/"), false, nullptr, nullptr, nullptr},
        {"blank", " \t\r\n", false, nullptr, nullptr, nullptr},
        {"no [", std::string("你好 你好 ni3 hao3 /hi/"), false, nullptr, nullptr, nullptr},
        {"no ]", std::string("你好 你好 [ni3 hao3 /hi/"), false, nullptr, nullptr, nullptr},
        {"] only before [", std::string("你好 你]好 [ni3 hao3 /hi/"), false, nullptr, nullptr, nullptr},
        {"headword of one byte", std::string("你好 x [ni3] /hi/"), false, nullptr, nullptr, nullptr},
        {"empty headword", std::string("你好  [ni3] /hi/"), false, nullptr, nullptr, nullptr},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        AString headword("stale");
        CedictEntry entry;
        entry.reservedValue = 9;
        ASSERT_EQ(c.stored, ParseWordListLine(c.line, headword, entry));
        if (!c.stored) continue;
        EXPECT_EQ(GbkBytes(c.headword), Bytes(headword));
        EXPECT_EQ(c.pinyin, Bytes(entry.pinyin));
        EXPECT_EQ(GbkBytes(c.definitions), Bytes(entry.definitions));
        EXPECT_EQ(0, entry.reservedValue);
    }
}

// Duplicates: the last line wins; a line longer than 15999 bytes is read in
// pieces, each taken as a line of its own.
TEST(WordList, LastLineWinsAndLongLinesSplit) {
    std::string list =
        std::string("你好 你好 [ni3 hao3] /hello/\n# comment\n") + std::string("你好 你好 [ni2 hao3] /hi/\n");
    std::string longLine = std::string("好好 好好 [hao3 hao3] /");
    longLine += std::string(kWordLinePieceBytes - longLine.size(), 'x');  // first piece ends here
    longLine += std::string("再见 再见 [zai4 jian4] /bye/");
    list += longLine + "\n";
    WordMap words;
    ParseWordList(list, words);
    EXPECT_EQ(3, words.GetCount());
    const CedictEntry* hello = words.Find(Gbk("你好"));
    ASSERT_NE(nullptr, hello);
    EXPECT_EQ("ni2 hao3|hi", Bytes(hello->pinyin) + "|" + Bytes(hello->definitions));
    const CedictEntry* bye = words.Find(Gbk("再见"));
    ASSERT_NE(nullptr, bye);
    EXPECT_EQ("bye", Bytes(bye->definitions));
    const CedictEntry* good = words.Find(Gbk("好好"));
    ASSERT_NE(nullptr, good);
    EXPECT_EQ(std::string(static_cast<size_t>(good->definitions.GetLength()), 'x'), Bytes(good->definitions));
    EXPECT_GT(good->definitions.GetLength(), 15900);
}

// A line of exactly 15999 bytes reads as one piece and an empty one; CR LF
// counts as one byte.
TEST(WordList, PieceBoundary) {
    std::string head = std::string("好好 好好 [hao3 hao3] /");
    for (const char* end : {"\n", "\r\n"}) {
        std::string line = head + std::string(kWordLinePieceBytes - head.size() - 1, 'y') + end;
        line += std::string("再见 再见 [zai4 jian4] /bye/");
        WordMap words;
        ParseWordList(line, words);
        EXPECT_EQ(2, words.GetCount()) << end;
        const CedictEntry* good = words.Find(Gbk("好好"));
        ASSERT_NE(nullptr, good);
        EXPECT_EQ(kWordLinePieceBytes - static_cast<int>(head.size()) - 1, good->definitions.GetLength());
    }
}

// ---- the cache and LoadWordDictionary ----

class WordCache : public ::testing::Test {
protected:
    std::string List() const { return dir.File(kWordListFile); }
    std::string Cache() const { return dir.File(kWordCacheFile); }
    WordListStamp Stamp() const {
        WordListStamp s;
        EXPECT_TRUE(GetWordListStamp(List(), s));
        return s;
    }
    void WriteList(const std::string& text) { ASSERT_TRUE(WriteBytes(List(), text)); }
    bool Load(CDict& dict) { return dict.LoadWordDictionary(dir.Path()); }
    void ShiftListTime(int seconds) {
        std::error_code ec;
        fs::last_write_time(List(), fs::last_write_time(List(), ec) + std::chrono::seconds(seconds), ec);
        ASSERT_FALSE(ec);
    }

    static std::string FiveLines() {
        return std::string(
            "你好 你好 [ni3 hao3] /hello/hi/\n中國 中国 [Zhong1 guo2] /China/\n"
            "說話 说话 [shuo1 hua4] /to speak/\n再見 再见 [zai4 jian4] /goodbye/\n"
            "好 好 [hao3] /good/\n");
    }

    ScratchFolder dir;
    ReportRecorder reports;
};

TEST_F(WordCache, FirstLoadParsesAndWritesCacheThatTheNextLoadReads) {
    WriteList(FiveLines());
    CDict first;
    EXPECT_TRUE(Load(first));
    EXPECT_EQ(5, first.WordDictionary.GetCount());
    EXPECT_EQ("ni3 hao3|hello/hi", Entry(first, "你好"));
    ASSERT_TRUE(Exists(Cache()));
    EXPECT_FALSE(Exists(Cache() + ".tmp"));

    // The cache alone (its stamp matches) gives the same dictionary: make the
    // list unreadable as a list without changing its size or time.
    WordListStamp stamp = Stamp();
    std::string same(static_cast<size_t>(stamp.size), '#');
    WriteList(same);
    std::error_code ec;
    const std::chrono::sys_seconds made{std::chrono::seconds(stamp.mtime)};
    fs::last_write_time(List(), std::chrono::file_clock::from_sys(made), ec);
    ASSERT_FALSE(ec);
    CDict second;
    EXPECT_TRUE(Load(second));
    EXPECT_EQ(Entries(first.WordDictionary), Entries(second.WordDictionary));
    EXPECT_TRUE(reports.reports.empty());
}

TEST_F(WordCache, RoundTripKeepsEveryField) {
    WriteList(FiveLines());
    WordMap words;
    CedictEntry e;
    e.reservedValue = 0xBEEF;
    e.pinyin = "a1";
    e.definitions = Gbk("甲/乙");
    words[Gbk("甲乙")] = e;
    words[AString()] = e;  // empty headword
    e.pinyin = AString();  // empty strings are written as length 0
    e.definitions = AString();
    words[Gbk("丙丁")] = e;
    words[Gbk("戊己")] = e;
    ASSERT_TRUE(WriteWordCache(Cache(), words, Stamp()));
    WordMap back;
    EXPECT_EQ(CacheRead::Fresh, ReadWordCache(Cache(), nullptr, back));
    EXPECT_EQ(Entries(words), Entries(back));
    ASSERT_NE(nullptr, back.Find(Gbk("甲乙")));
    EXPECT_EQ(0xBEEF, back.Find(Gbk("甲乙"))->reservedValue);
    CDict dict;  // four entries and a matching stamp: the list is not read
    EXPECT_TRUE(Load(dict));
    EXPECT_EQ(Entries(words), Entries(dict.WordDictionary));
}

TEST_F(WordCache, LargeCountsEscapeTo32Bits) {
    for (int n : {65534, 65535, 70000}) {
        SCOPED_TRACE(n);
        WordMap words{kWordNodesPerBlock};
        words.InitHashTable(AHashTableSizeFor(n));
        CedictEntry e;
        e.pinyin = "x1";
        for (int i = 0; i < n; i++) {
            e.definitions.Format("def %d", i);
            words[AString().Format("w%d", i)] = e;
        }
        ASSERT_TRUE(WriteWordCache(Cache(), words, WordListStamp{1, 2}));
        std::string bytes = ReadBytes(Cache());
        ASSERT_GE(bytes.size(), 6u);
        auto u8 = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); };
        if (n < 0xFFFF) {
            EXPECT_EQ(static_cast<unsigned>(n), u8(0) | u8(1) << 8);
        } else {
            EXPECT_EQ(0xFFFFu, u8(0) | u8(1) << 8);
            EXPECT_EQ(static_cast<unsigned>(n), u8(2) | u8(3) << 8 | u8(4) << 16 | u8(5) << 24);
        }
        WordMap back{kWordNodesPerBlock};
        back.InitHashTable(AHashTableSizeFor(n));
        WordListStamp stamp{1, 2};
        EXPECT_EQ(CacheRead::Fresh, ReadWordCache(Cache(), &stamp, back));
        EXPECT_EQ(n, back.GetCount());
        const CedictEntry* last = back.Find(AString().Format("w%d", n - 1));
        ASSERT_NE(nullptr, last);
        EXPECT_EQ(AString().Format("def %d", n - 1), last->definitions);
    }
}

// A cache of 3 entries counts as missing: its entries stay, the list is read
// over them and the cache is rewritten with all of them.
TEST_F(WordCache, SmallCacheIsCompletedFromTheList) {
    WriteList(FiveLines());
    WordMap small;
    CedictEntry e;
    e.pinyin = "old";
    e.definitions = "old";
    small[Gbk("你好")] = e;
    small[Gbk("旧词")] = e;
    small[Gbk("中国")] = e;
    ASSERT_TRUE(WriteWordCache(Cache(), small, Stamp()));
    CDict dict;
    EXPECT_TRUE(Load(dict));
    EXPECT_EQ(6, dict.WordDictionary.GetCount());
    EXPECT_EQ("ni3 hao3|hello/hi", Entry(dict, "你好"));  // the list overwrote it
    EXPECT_EQ("old|old", Entry(dict, "旧词"));            // kept
    WordMap rewritten;
    EXPECT_EQ(CacheRead::Fresh, ReadWordCache(Cache(), nullptr, rewritten));
    EXPECT_EQ(Entries(dict.WordDictionary), Entries(rewritten));
}

// A cache made from another list (size or time differs) is not used.
TEST_F(WordCache, StaleCacheIsRebuilt) {
    for (bool sameSize : {false, true}) {
        SCOPED_TRACE(sameSize);
        WriteList(FiveLines());
        CDict first;
        EXPECT_TRUE(Load(first));
        std::string changed = FiveLines();
        if (sameSize) {
            changed.replace(changed.find("goodbye"), 7, "farewel");
        } else {
            changed += std::string("谢谢 谢谢 [xie4 xie5] /thanks/\n");
        }
        WriteList(changed);
        if (sameSize) ShiftListTime(5);
        WordMap stale;
        WordListStamp now = Stamp();
        EXPECT_EQ(CacheRead::Stale, ReadWordCache(Cache(), &now, stale));
        EXPECT_EQ(0, stale.GetCount());
        CDict second;
        EXPECT_TRUE(Load(second));
        EXPECT_EQ(sameSize ? "zai4 jian4|farewel" : "zai4 jian4|goodbye", Entry(second, "再见"));
        EXPECT_EQ(sameSize ? "<none>" : "xie4 xie5|thanks", Entry(second, "谢谢"));
        WordMap rewritten;
        EXPECT_EQ(CacheRead::Fresh, ReadWordCache(Cache(), &now, rewritten));
        EXPECT_EQ(Entries(second.WordDictionary), Entries(rewritten));
    }
}

// A cache cut anywhere is Damaged and rebuilt from the list alone; without a
// list its complete entries stay.
TEST_F(WordCache, TruncatedCacheIsRebuilt) {
    WriteList(FiveLines());
    CDict reference;
    ASSERT_TRUE(Load(reference));
    const std::string full = ReadBytes(Cache());
    ASSERT_GT(full.size(), 30u);
    for (size_t cut : {size_t{1}, size_t{7}, full.size() / 2, full.size() - 25, full.size() - 1}) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(WriteBytes(Cache(), full.substr(0, cut)));
        WordMap partial;
        EXPECT_EQ(CacheRead::Damaged, ReadWordCache(Cache(), nullptr, partial));
        if (cut < full.size() - 24) {
            EXPECT_LT(partial.GetCount(), 5);  // the cut entry is not stored
        } else {
            EXPECT_EQ(5, partial.GetCount());  // entries complete, stamp cut
        }
        CDict dict;
        EXPECT_TRUE(Load(dict));
        EXPECT_EQ(Entries(reference.WordDictionary), Entries(dict.WordDictionary));
        EXPECT_EQ(full.size(), ReadBytes(Cache()).size());
    }
    ASSERT_TRUE(WriteBytes(Cache(), full.substr(0, full.size() / 2)));
    std::remove(List().c_str());
    CDict noList;
    EXPECT_FALSE(Load(noList));
    EXPECT_GT(noList.WordDictionary.GetCount(), 0);
    EXPECT_LT(noList.WordDictionary.GetCount(), 5);
}

// When the cache cannot be created, the words still load; nothing is written
// and nothing is reported.
TEST_F(WordCache, UnwritableCacheLeavesNothingBehind) {
    WriteList(FiveLines());
    std::error_code ec;
    fs::create_directory(Cache() + ".tmp", ec);  // the temporary file cannot be created
    ASSERT_FALSE(ec);
    CDict dict;
    EXPECT_FALSE(Load(dict));
    EXPECT_EQ(5, dict.WordDictionary.GetCount());
    EXPECT_FALSE(Exists(Cache()));
    EXPECT_TRUE(reports.reports.empty());
}

TEST_F(WordCache, MissingListAndCacheGiveAnEmptyDictionary) {
    CDict dict;
    EXPECT_FALSE(Load(dict));
    EXPECT_EQ(0, dict.WordDictionary.GetCount());
    EXPECT_FALSE(Exists(Cache()));
}

}  // namespace
