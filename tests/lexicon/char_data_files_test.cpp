#include "lexicon/char_data_files.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "lexicon_fixture.h"

namespace {

std::vector<std::pair<std::string, std::string>> Pairs(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    ParseComponentText(text, [&](std::string_view k, std::string_view v) {
        out.push_back({std::string(k), std::string(v)});
    });
    return out;
}

using PairList = std::vector<std::pair<std::string, std::string>>;

TEST(ComponentText, PairsLines) {
    struct Case {
        const char* name;
        std::string text;
        PairList pairs;
    };
    const std::string long1023(1023, 'k');
    const Case cases[] = {
        {"pairs, white space trimmed", "a \t\r\nb c \r\nkey\nvalue", {{"a", "b c"}, {"key", "value"}}},
        {"odd last line ignored", "a\nb\nc\n", {{"a", "b"}}},
        {"empty lines count", "\n\nk\nv\n", {{"", ""}, {"k", "v"}}},
        {"1022 bytes and LF: one line", std::string(1022, 'k') + "\nv\n", {{std::string(1022, 'k'), "v"}}},
        {"CR LF counts as one byte", std::string(1022, 'k') + "\r\nv\r\n", {{std::string(1022, 'k'), "v"}}},
        // 1023 bytes fill a piece; the LF alone makes an empty line and the
        // pairing shifts.
        {"1023 bytes split", long1023 + "\nv\nw\n", {{long1023, ""}, {"v", "w"}}},
        {"longer lines in 1023-byte pieces",
         std::string(2100, 'm') + "\n",
         {{std::string(1023, 'm'), std::string(1023, 'm')}}},  // the 54-byte tail is the odd last line
        {"no final LF", "k\nv", {{"k", "v"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.pairs, Pairs(c.text));
    }
}

TEST(SortText, Records) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::pair<CharKey, std::int32_t>> records;
    };
    const std::string zhong = GbkBytes("中"), hao = GbkBytes("好");
    const Case cases[] = {
        {"records", zhong + "12" + hao + "345", {{Key("中"), 12}, {Key("好"), 345}}},
        {"no digits", zhong + hao + "7", {{Key("中"), 0}, {Key("好"), 7}}},
        {"leading ASCII skipped, trail byte below 0x80",
         "99\x81\x40"
         "5",
         {{MakeCharKey(0x81, 0x40), 5}}},
        {"first 15 digits count", zhong + "1234567890123456789", {{Key("中"), 0x7FFFFFFF}}},
        {"digits then other ASCII", zhong + "42\r\n" + hao + "-3", {{Key("中"), 42}, {Key("好"), -3}}},
        {"lone lead byte at the end", zhong + "1\xB0", {{Key("中"), 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<CharKey, std::int32_t>> got;
        ParseSortText(c.text, [&](CharKey k, std::int32_t n) { got.push_back({k, n}); });
        EXPECT_EQ(c.records, got);
    }
}

TEST(CharDataWriters, RefuseWhatTheFormatCannotHold) {
    ScratchFolder dir;
    const std::string path = dir.File("out");
    EXPECT_FALSE(WriteComponentFile(path, {{"a", "b\nc"}}));
    EXPECT_FALSE(WriteComponentFile(path, {{"a\r", "b"}}));
    EXPECT_FALSE(WriteComponentFile(path, {{"a ", "b"}}));
    EXPECT_FALSE(WriteComponentFile(path, {{std::string(1023, 'a'), "b"}}));
    EXPECT_FALSE(WriteDefinitionFile(path, {{Key("好"), "good\nbad"}}));
    EXPECT_FALSE(WriteDefinitionFile(path, {{MakeCharKey('\n', 0x41), "x"}}));
    EXPECT_FALSE(WriteUsageFile(path, {Key("好"), MakeCharKey('a', 'b')}));
    EXPECT_FALSE(WriteSortFile(path, {{MakeCharKey('1', 0xA1), 3}}));
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(WriteComponentFile(path, {{std::string(1022, 'a'), ""}}));
    EXPECT_EQ((PairList{{std::string(1022, 'a'), ""}}), Pairs(ReadBytes(path)));
}

TEST(CharDataWriters, DefinitionsAreScrambled) {
    ScratchFolder dir;
    const std::string path = dir.File(kDefinitionFile);
    const std::string def = GbkBytes("好的，美好的；这是一条长于五十五个字节的定义，用来覆盖整个密钥的循环。");
    ASSERT_GT(def.size(), 60u);
    ASSERT_TRUE(WriteDefinitionFile(path, {{Key("好"), def}, {Key("中"), ""}}));
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(std::string::npos, bytes.find(def.substr(0, 8)));
    ScrambleDefinitions(bytes);
    EXPECT_EQ(GbkBytes("好") + " " + def + "\n" + GbkBytes("中") + " \n", bytes);
    std::vector<std::pair<CharKey, std::string>> got;
    ParseDefinitionText(bytes, [&](CharKey k, std::string_view t) { got.push_back({k, std::string(t)}); });
    EXPECT_EQ((std::vector<std::pair<CharKey, std::string>>{{Key("好"), def}, {Key("中"), ""}}), got);
}

// ---- a whole data folder through LoadLexicon ----

// 好 中 了(also ordered) in ch2pypz1.bin; 了 为 in ch2pypz2.bin.
class CharData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteToneReadingFile(
            dir.File(kToneMaskFile),
            {{Key("好"), {"hao"}, {0x0C}, 1}, {Key("中"), {"zhog"}, {0x09}, 2}, {Key("了"), {"le"}, {0x10}, 0}},
            false));
        ASSERT_TRUE(WriteToneReadingFile(
            dir.File(kToneOrderFile), {{Key("了"), {"liao", "le"}, {0x02, 0x05}, 3}, {Key("为"), {"wei"}, {0x14}, 1}},
            true));
        ASSERT_TRUE(WriteGbReadingFile(dir.File(kGbReadingFile), {{Key("中"), {"zhong"}}}));
        ASSERT_TRUE(WriteDefinitionFile(
            dir.File(kDefinitionFile),
            {{Key("好"), GbkBytes("美好")}, {Key("了"), GbkBytes("完毕")}, {Key("他"), GbkBytes("第三人称")}}));
        // 稀 and 罕 have no record.
        ASSERT_TRUE(WriteUsageFile(dir.File(kUsageFile), {Key("稀"), Key("罕"), Key("好"), Key("了"), Key("中")}));
        ASSERT_TRUE(WriteSortFile(dir.File(kSortFile), {{Key("好"), 120}, {Key("中"), 7}}));
        ASSERT_TRUE(WriteComponentFile(dir.File(kComponentFile), {{GbkBytes("口"), GbkBytes("口")},  // basic
                                                                  {GbkBytes("好"), GbkBytes("女子")},
                                                                  {GbkBytes("女"), GbkBytes("女")},
                                                                  {GbkBytes("子"), GbkBytes("子")},
                                                                  {GbkBytes("雷"), "R" + GbkBytes("田")},  // R for 雨
                                                                  {GbkBytes("田"), GbkBytes("口十")},
                                                                  {GbkBytes("十"), GbkBytes("十")},
                                                                  {"X", GbkBytes("丿") + "Y"},  // letters are keys
                                                                  {"Y", GbkBytes("乀")},
                                                                  {GbkBytes("叉"), "X" + GbkBytes("丶")},
                                                                  {GbkBytes("空"), ""},              // empty value
                                                                  {GbkBytes("甲"), GbkBytes("乙")},  // cycle 甲 乙 甲
                                                                  {GbkBytes("乙"), GbkBytes("甲") + GbkBytes("十")},
                                                                  {"P", "Q"},  // letter cycle
                                                                  {"Q", "P"}}));
        ASSERT_TRUE(WriteComponentFile(
            dir.File(kBaseComponentFile),
            {{GbkBytes("吕"), GbkBytes("口口")}, {GbkBytes("丶"), GbkBytes("丶")}, {GbkBytes("空"), GbkBytes("工")}}));
        ASSERT_TRUE(
            WriteBytes(dir.File(kWordListFile), std::string("好 好 [hao3] /good/\n你好 你好 [ni3 hao3] /hello/\n"
                                                            "他 他 [ta1] /he/\n為 为 [wei4] /for/\n")));
        CDictTop::LexiconLoaded = false;
        EXPECT_TRUE(dict.LoadLexicon(dir.Path()));
        EXPECT_TRUE(CDictTop::LexiconLoaded);
        CDictTop::LexiconLoaded = false;
        EXPECT_TRUE(reports.reports.empty());
    }

    std::string Parts(const char* text, bool depth) { return Bytes(dict.GetParts(Gbk(text), depth)); }

    ScratchFolder dir;
    ReportRecorder reports;
    CDict dict;
};

TEST_F(CharData, DefinitionsGoToTheOrderedRecordFirst) {
    EXPECT_EQ(GbkBytes("美好"), Bytes(dict.ToneMaskRecords.Find(Key("好"))->definition));
    EXPECT_EQ(GbkBytes("完毕"), Bytes(dict.ToneOrderRecords.Find(Key("了"))->definition));
    EXPECT_TRUE(dict.ToneMaskRecords.Find(Key("了"))->definition.IsEmpty());
    const typArrPYs* ta = dict.ToneMaskRecords.Find(Key("他"));  // created for its definition
    ASSERT_NE(nullptr, ta);
    EXPECT_EQ(GbkBytes("第三人称"), Bytes(ta->definition));
    EXPECT_EQ(0, ta->readings.GetSize());
    EXPECT_EQ(0, ta->ToneMask[0]);
    EXPECT_EQ(0, ta->CommonFlags);
}

// The score falls by one per listed character, found or not.
TEST_F(CharData, UsageScores) {
    EXPECT_EQ(31998, dict.ToneMaskRecords.Find(Key("好"))->UsageScore);
    EXPECT_EQ(31997, dict.ToneOrderRecords.Find(Key("了"))->UsageScore);
    EXPECT_EQ(0, dict.ToneMaskRecords.Find(Key("了"))->UsageScore);
    EXPECT_EQ(31996, dict.ToneMaskRecords.Find(Key("中"))->UsageScore);
    EXPECT_EQ(0, dict.ToneOrderRecords.Find(Key("为"))->UsageScore);
}

TEST_F(CharData, SortNumbersAndTables) {
    EXPECT_EQ(2, dict.SortNumbers.GetCount());
    EXPECT_EQ(120, *dict.SortNumbers.Find(Key("好")));
    EXPECT_EQ(15, dict.ComponentTable.GetCount());
    EXPECT_EQ(3, dict.BaseComponentTable.GetCount());
    EXPECT_EQ(4, dict.WordDictionary.GetCount());
    EXPECT_TRUE(Exists(dir.File(kWordCacheFile)));
}

TEST_F(CharData, GetDefinition) {
    struct Case {
        const char* text;
        const char* definition;
        int commonness;  // -1: left untouched
    };
    const Case cases[] = {
        {"好", "美好", 1},      // a character definition wins over the headword 好
        {"了", "完毕", 3},      // the ordered record
        {"为", "", 1},          // a record without definition
        {"他", "第三人称", 0},  // the record created for the definition
        {"你好", "hello", -1},  // 你 has no record: the word
        {"好人", "美好", 1},    // the first character decides
        {"天", "", -1},        {"", "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GbkBytes(c.text));
        AString def("stale");
        int common = -1;
        dict.GetDefinition(Gbk(c.text), def, &common);
        EXPECT_EQ(GbkBytes(c.definition), Bytes(def));
        EXPECT_EQ(c.commonness, common);
    }
    AString def;
    dict.GetDefinition(Gbk("你好"), def);  // no commonness asked
    EXPECT_EQ("hello", Bytes(def));
}

TEST_F(CharData, Words) {
    CedictEntry e;
    EXPECT_TRUE(dict.LookupWord(Gbk("你好"), e));
    EXPECT_EQ("ni3 hao3", Bytes(e.pinyin));
    EXPECT_EQ("hello", Bytes(e.definitions));
    EXPECT_FALSE(dict.LookupWord(Gbk("再见"), e));
    EXPECT_EQ(nullptr, dict.FindWord(Gbk("再见")));
}

TEST_F(CharData, GetParts) {
    struct Case {
        const char* text;
        bool depth;
        const char* parts;
    };
    const Case cases[] = {
        {"口", false, "口"},                              // basic component
        {"口", true, "口"},                               // also with depth: no endless expansion
        {"好", false, "女子"},  {"雷", false, "雨田"},    // R
        {"雷", true, "雨口十"}, {"叉", false, "丿乀丶"},  // letters expand even without depth
        {"吕", false, "吕"},                              // base table only with depth
        {"吕", true, "口口"},   {"空", false, "空"},      // empty value: base table with depth
        {"空", true, "工"},     {"天", true, "天"},       // in neither table
        {"甲", false, "乙"},    {"甲", true, "甲十"},     // cycle: the key met again stays itself
        {"乙", true, "乙十"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GbkBytes(c.text) + (c.depth ? " depth" : ""));
        EXPECT_EQ(GbkBytes(c.parts), Parts(c.text, c.depth));
    }
    EXPECT_EQ("P", Parts("P", false));
    EXPECT_EQ("P", Parts("P", true));
    EXPECT_EQ("?", Parts("?", true));
}

}  // namespace

namespace {

// Missing files leave their tables empty; only the reading files are reported.
TEST(CharDataMissing, EmptyFolder) {
    ScratchFolder dir;
    ReportRecorder reports;
    CDict dict;
    CDictTop::LexiconLoaded = false;
    EXPECT_FALSE(dict.LoadLexicon(dir.Path()));
    EXPECT_TRUE(CDictTop::LexiconLoaded);
    CDictTop::LexiconLoaded = false;
    EXPECT_EQ(3u, reports.reports.size());
    EXPECT_EQ(0, dict.ComponentTable.GetCount() + dict.BaseComponentTable.GetCount() + dict.WordDictionary.GetCount() +
                     dict.SortNumbers.GetCount() + dict.ToneMaskRecords.GetCount());
    EXPECT_EQ("X", Bytes(dict.GetParts(AString("X"), true)));
    AString def("stale");
    dict.GetDefinition(Gbk("好"), def);
    EXPECT_TRUE(def.IsEmpty());
}

}  // namespace
