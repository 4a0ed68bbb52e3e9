#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lexicon/char_data_files.h"
#include "lexicon_fixture.h"

namespace {

std::vector<std::pair<std::string, std::string>> Pairs(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    ParseComponentText(text, [&](std::string_view k, std::string_view v) { out.push_back({std::string(k), std::string(v)}); });
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
        {"longer lines in 1023-byte pieces", std::string(2100, 'm') + "\n",
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
    const std::string zhong = Gbk(u"中"), hao = Gbk(u"好");
    const Case cases[] = {
        {"records", zhong + "12" + hao + "345", {{Key(u"中"), 12}, {Key(u"好"), 345}}},
        {"no digits", zhong + hao + "7", {{Key(u"中"), 0}, {Key(u"好"), 7}}},
        {"leading ASCII skipped, trail byte below 0x80", "99\x81\x40" "5", {{MakeCharKey(0x81, 0x40), 5}}},
        {"first 15 digits count", zhong + "1234567890123456789", {{Key(u"中"), 0x7FFFFFFF}}},
        {"digits then other ASCII", zhong + "42\r\n" + hao + "-3", {{Key(u"中"), 42}, {Key(u"好"), -3}}},
        {"lone lead byte at the end", zhong + "1\xB0", {{Key(u"中"), 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<CharKey, std::int32_t>> got;
        ParseSortText(c.text, [&](CharKey k, std::int32_t n) { got.push_back({k, n}); });
        EXPECT_EQ(c.records, got);
    }
}

TEST(CharDataWriters, RefuseWhatTheFormatCannotHold) {
    TempDir dir;
    const std::string path = dir.File("out");
    EXPECT_FALSE(WriteComponentFile(path, {{"a", "b\nc"}}));
    EXPECT_FALSE(WriteComponentFile(path, {{"a\r", "b"}}));
    EXPECT_FALSE(WriteComponentFile(path, {{"a ", "b"}}));
    EXPECT_FALSE(WriteComponentFile(path, {{std::string(1023, 'a'), "b"}}));
    EXPECT_FALSE(WriteDefinitionFile(path, {{Key(u"好"), "good\nbad"}}));
    EXPECT_FALSE(WriteDefinitionFile(path, {{MakeCharKey('\n', 0x41), "x"}}));
    EXPECT_FALSE(WriteUsageFile(path, {Key(u"好"), MakeCharKey('a', 'b')}));
    EXPECT_FALSE(WriteSortFile(path, {{MakeCharKey('1', 0xA1), 3}}));
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(WriteComponentFile(path, {{std::string(1022, 'a'), ""}}));
    EXPECT_EQ((PairList{{std::string(1022, 'a'), ""}}), Pairs(ReadBytes(path)));
}

TEST(CharDataWriters, DefinitionsAreScrambled) {
    TempDir dir;
    const std::string path = dir.File(kDefinitionFile);
    const std::string def = Gbk(u"好的，美好的；这是一条长于五十五个字节的定义，用来覆盖整个密钥的循环。");
    ASSERT_GT(def.size(), 60u);
    ASSERT_TRUE(WriteDefinitionFile(path, {{Key(u"好"), def}, {Key(u"中"), ""}}));
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(std::string::npos, bytes.find(def.substr(0, 8)));
    ScrambleDefinitions(bytes);
    EXPECT_EQ(Gbk(u"好") + " " + def + "\n" + Gbk(u"中") + " \n", bytes);
    std::vector<std::pair<CharKey, std::string>> got;
    ParseDefinitionText(bytes, [&](CharKey k, std::string_view t) { got.push_back({k, std::string(t)}); });
    EXPECT_EQ((std::vector<std::pair<CharKey, std::string>>{{Key(u"好"), def}, {Key(u"中"), ""}}), got);
}

// ---- a whole data folder through LoadLexicon ----

// 好 中 了(also ordered) in ch2pypz1.bin; 了 为 in ch2pypz2.bin.
class CharData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteToneReadingFile(dir.File(kToneMaskFile),
                                         {{Key(u"好"), {"hao"}, {0x0C}, 1},
                                          {Key(u"中"), {"zhog"}, {0x09}, 2},
                                          {Key(u"了"), {"le"}, {0x10}, 0}},
                                         false));
        ASSERT_TRUE(WriteToneReadingFile(dir.File(kToneOrderFile),
                                         {{Key(u"了"), {"liao", "le"}, {0x02, 0x05}, 3}, {Key(u"为"), {"wei"}, {0x14}, 1}},
                                         true));
        ASSERT_TRUE(WriteGbReadingFile(dir.File(kGbReadingFile), {{Key(u"中"), {"zhong"}}}));
        ASSERT_TRUE(WriteDefinitionFile(dir.File(kDefinitionFile), {{Key(u"好"), Gbk(u"美好")},
                                                                    {Key(u"了"), Gbk(u"完毕")},
                                                                    {Key(u"他"), Gbk(u"第三人称")}}));
        // 稀 and 罕 have no record.
        ASSERT_TRUE(WriteUsageFile(dir.File(kUsageFile), {Key(u"稀"), Key(u"罕"), Key(u"好"), Key(u"了"), Key(u"中")}));
        ASSERT_TRUE(WriteSortFile(dir.File(kSortFile), {{Key(u"好"), 120}, {Key(u"中"), 7}}));
        ASSERT_TRUE(WriteComponentFile(dir.File(kComponentFile),
                                       {{Gbk(u"口"), Gbk(u"口")},           // basic
                                        {Gbk(u"好"), Gbk(u"女子")},
                                        {Gbk(u"女"), Gbk(u"女")},
                                        {Gbk(u"子"), Gbk(u"子")},
                                        {Gbk(u"雷"), "R" + Gbk(u"田")},     // R for 雨
                                        {Gbk(u"田"), Gbk(u"口十")},
                                        {Gbk(u"十"), Gbk(u"十")},
                                        {"X", Gbk(u"丿") + "Y"},            // letters are keys
                                        {"Y", Gbk(u"乀")},
                                        {Gbk(u"叉"), "X" + Gbk(u"丶")},
                                        {Gbk(u"空"), ""},                   // empty value
                                        {Gbk(u"甲"), Gbk(u"乙")},           // cycle 甲 乙 甲
                                        {Gbk(u"乙"), Gbk(u"甲") + Gbk(u"十")},
                                        {"P", "Q"},                         // letter cycle
                                        {"Q", "P"}}));
        ASSERT_TRUE(WriteComponentFile(dir.File(kBaseComponentFile),
                                       {{Gbk(u"吕"), Gbk(u"口口")}, {Gbk(u"丶"), Gbk(u"丶")}, {Gbk(u"空"), Gbk(u"工")}}));
        ASSERT_TRUE(WriteBytes(dir.File(kWordListFile), Utf8(u"好 好 [hao3] /good/\n你好 你好 [ni3 hao3] /hello/\n"
                                                             u"他 他 [ta1] /he/\n為 为 [wei4] /for/\n")));
        CDictTop::LexiconLoaded = false;
        EXPECT_TRUE(dict.LoadLexicon(dir.Path()));
        EXPECT_TRUE(CDictTop::LexiconLoaded);
        CDictTop::LexiconLoaded = false;
        EXPECT_TRUE(reports.reports.empty());
    }

    std::string Parts(const char16_t* text, bool depth) { return Bytes(dict.GetParts(G(text), depth)); }
    std::string Parts(const char* text, bool depth) { return Bytes(dict.GetParts(AString(text), depth)); }

    TempDir dir;
    ReportRecorder reports;
    CDict dict;
};

TEST_F(CharData, DefinitionsGoToTheOrderedRecordFirst) {
    EXPECT_EQ(Gbk(u"美好"), Bytes(dict.ToneMaskRecords.Find(Key(u"好"))->definition));
    EXPECT_EQ(Gbk(u"完毕"), Bytes(dict.ToneOrderRecords.Find(Key(u"了"))->definition));
    EXPECT_TRUE(dict.ToneMaskRecords.Find(Key(u"了"))->definition.IsEmpty());
    const typArrPYs* ta = dict.ToneMaskRecords.Find(Key(u"他"));  // created for its definition
    ASSERT_NE(nullptr, ta);
    EXPECT_EQ(Gbk(u"第三人称"), Bytes(ta->definition));
    EXPECT_EQ(0, ta->readings.GetSize());
    EXPECT_EQ(0, ta->ToneMask[0]);
    EXPECT_EQ(0, ta->CommonFlags);
}

// The score falls by one per listed character, found or not.
TEST_F(CharData, UsageScores) {
    EXPECT_EQ(31998, dict.ToneMaskRecords.Find(Key(u"好"))->UsageScore);
    EXPECT_EQ(31997, dict.ToneOrderRecords.Find(Key(u"了"))->UsageScore);
    EXPECT_EQ(0, dict.ToneMaskRecords.Find(Key(u"了"))->UsageScore);
    EXPECT_EQ(31996, dict.ToneMaskRecords.Find(Key(u"中"))->UsageScore);
    EXPECT_EQ(0, dict.ToneOrderRecords.Find(Key(u"为"))->UsageScore);
}

TEST_F(CharData, SortNumbersAndTables) {
    EXPECT_EQ(2, dict.SortNumbers.GetCount());
    EXPECT_EQ(120, *dict.SortNumbers.Find(Key(u"好")));
    EXPECT_EQ(15, dict.ComponentTable.GetCount());
    EXPECT_EQ(3, dict.BaseComponentTable.GetCount());
    EXPECT_EQ(4, dict.WordDictionary.GetCount());
    EXPECT_TRUE(Exists(dir.File(kWordCacheFile)));
}

TEST_F(CharData, GetDefinition) {
    struct Case {
        const char16_t* text;
        const char16_t* definition;
        int commonness;  // -1: left untouched
    };
    const Case cases[] = {
        {u"好", u"美好", 1},          // a character definition wins over the headword 好
        {u"了", u"完毕", 3},          // the ordered record
        {u"为", u"", 1},              // a record without definition
        {u"他", u"第三人称", 0},      // the record created for the definition
        {u"你好", u"hello", -1},      // 你 has no record: the word
        {u"好人", u"美好", 1},        // the first character decides
        {u"天", u"", -1},
        {u"", u"", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Gbk(c.text));
        AString def("stale");
        int common = -1;
        dict.GetDefinition(G(c.text), def, &common);
        EXPECT_EQ(Gbk(c.definition), Bytes(def));
        EXPECT_EQ(c.commonness, common);
    }
    AString def;
    dict.GetDefinition(G(u"你好"), def);  // no commonness asked
    EXPECT_EQ("hello", Bytes(def));
}

TEST_F(CharData, Words) {
    CedictEntry e;
    EXPECT_TRUE(dict.LookupWord(G(u"你好"), e));
    EXPECT_EQ("ni3 hao3", Bytes(e.pinyin));
    EXPECT_EQ("hello", Bytes(e.definitions));
    EXPECT_FALSE(dict.LookupWord(G(u"再见"), e));
    EXPECT_EQ(nullptr, dict.FindWord(G(u"再见")));
}

TEST_F(CharData, GetParts) {
    struct Case {
        const char16_t* text;
        bool depth;
        const char16_t* parts;
    };
    const Case cases[] = {
        {u"口", false, u"口"},          // basic component
        {u"口", true, u"口"},           // also with depth: no endless expansion
        {u"好", false, u"女子"},
        {u"雷", false, u"雨田"},        // R
        {u"雷", true, u"雨口十"},
        {u"叉", false, u"丿乀丶"},      // letters expand even without depth
        {u"吕", false, u"吕"},          // base table only with depth
        {u"吕", true, u"口口"},
        {u"空", false, u"空"},          // empty value: base table with depth
        {u"空", true, u"工"},
        {u"天", true, u"天"},           // in neither table
        {u"甲", false, u"乙"},
        {u"甲", true, u"甲十"},         // cycle: the key met again stays itself
        {u"乙", true, u"乙十"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Gbk(c.text) + (c.depth ? " depth" : ""));
        EXPECT_EQ(Gbk(c.parts), Parts(c.text, c.depth));
    }
    EXPECT_EQ("P", Parts("P", false));
    EXPECT_EQ("P", Parts("P", true));
    EXPECT_EQ("?", Parts("?", true));
}

}  // namespace

namespace {

// Missing files leave their tables empty; only the reading files are reported.
TEST(CharDataMissing, EmptyFolder) {
    TempDir dir;
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
    dict.GetDefinition(G(u"好"), def);
    EXPECT_TRUE(def.IsEmpty());
}

}  // namespace
