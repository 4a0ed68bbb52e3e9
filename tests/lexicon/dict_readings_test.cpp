#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/reading_files.h"
#include "lexicon/representative.h"
#include "lexicon_test_util.h"
#include "text/big5.h"
#include "text/data_file.h"

namespace {

// Collects the reports of the data-file hook while alive.
class HookRecorder {
public:
    HookRecorder() {
        previous_ = SetDataFileHook([this](const std::string& path, DataFileProblem p) {
            reports.push_back({path, p});
        });
    }
    ~HookRecorder() { SetDataFileHook(std::move(previous_)); }
    std::vector<std::pair<std::string, DataFileProblem>> reports;

private:
    DataFileHook previous_;
};

// A small data folder: 行 中 好 了 in ch2pypz1.bin; 了 (again) 为 长 in
// ch2pypz2.bin; 啊 中 (twice, the second wins) in ch2py.bin.
class DictReadings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteToneReadingFile(dir.File(kToneMaskFile),
                                         {{Key("行"), {"xig", "hag"}, {0x0A, 0x02}, 1},
                                          {Key("中"), {"zhog"}, {0x09}, 1},
                                          {Key("好"), {"hao"}, {0x0C}, 1},
                                          {Key("了"), {"le", "liao"}, {0x10, 0x04}, 1}},
                                         false));
        ASSERT_TRUE(WriteToneReadingFile(dir.File(kToneOrderFile),
                                         {{Key("了"), {"liao", "le"}, {0x02, 0x05}, 0},
                                          {Key("为"), {"wei"}, {0x14}, 1},
                                          {Key("长"), {"chag", "zhag"}, {0x0A, 0x0B}, 1}},
                                         true));
        ASSERT_TRUE(WriteGbReadingFile(dir.File(kGbReadingFile),
                                       {{Key("啊"), {"a"}}, {Key("中"), {"zhog"}}, {Key("中"), {"zhong", "zhog"}}}));
        EXPECT_TRUE(dict.LoadToneReadings(dir.Path()));
        EXPECT_TRUE(dict.LoadGbReadings(dir.Path()));
        EXPECT_TRUE(hook.reports.empty());
    }

    std::vector<std::string> Readings(CharKey ch) {
        AStringArray out;
        out.Add("stale");
        int n = static_cast<CDictTop&>(dict).GetReadings(ch, out);
        EXPECT_EQ(n, out.GetSize());
        return ToVector(out);
    }

    ScratchFolder dir;
    HookRecorder hook;
    CDict dict;
};

const CharKey kUnknown = MakeCharKey(0x81, 0x40);  // a GBK character in no table

}  // namespace

TEST_F(DictReadings, LoadsRecordsWithDefaults) {
    EXPECT_EQ(4, dict.ToneMaskRecords.GetCount());
    EXPECT_EQ(3, dict.ToneOrderRecords.GetCount());
    EXPECT_EQ(2, dict.GbReadingMap.GetCount());
    const typArrPYs* xing = dict.ToneMaskRecords.Find(Key("行"));
    ASSERT_NE(nullptr, xing);
    EXPECT_EQ((std::vector<std::string>{"xig", "hag"}), ToVector(xing->readings));
    EXPECT_EQ(0x0A, xing->ToneMask[0]);
    EXPECT_EQ(0x02, xing->ToneMask[1]);
    EXPECT_EQ(0, xing->ToneMask[2]);
    EXPECT_EQ(1, xing->CommonFlags);
    EXPECT_EQ(0, xing->UsageScore);
    EXPECT_TRUE(xing->definition.IsEmpty());
    const typArrPYsDiaoInOrder* zhang = dict.ToneOrderRecords.Find(Key("长"));
    ASSERT_NE(nullptr, zhang);
    EXPECT_EQ((std::vector<std::string>{"chag", "zhag"}), ToVector(zhang->readings));
    EXPECT_EQ(0x0A, zhang->ToneOrder[0]);
    EXPECT_EQ(0x0B, zhang->ToneOrder[1]);
    EXPECT_EQ(1, zhang->CommonFlags);
    EXPECT_EQ(0, dict.ToneOrderRecords.Find(Key("了"))->CommonFlags);
}

// Each stored reading, followed by its expansion when that differs; the
// ch2pypz1 record wins over the ch2pypz2 one.
TEST_F(DictReadings, GetReadings) {
    EXPECT_EQ((std::vector<std::string>{"zhog", "zhong"}), Readings(Key("中")));
    EXPECT_EQ((std::vector<std::string>{"xig", "xing", "hag", "hang"}), Readings(Key("行")));
    EXPECT_EQ((std::vector<std::string>{"hao"}), Readings(Key("好")));
    EXPECT_EQ((std::vector<std::string>{"le", "liao"}), Readings(Key("了")));
    EXPECT_EQ((std::vector<std::string>{"chag", "chang", "zhag", "zhang"}), Readings(Key("长")));
    EXPECT_EQ((std::vector<std::string>{}), Readings(kUnknown));
    EXPECT_EQ((std::vector<std::string>{}), Readings(Key("啊")));  // ch2py.bin only
}

TEST_F(DictReadings, GetToneSymbols) {
    struct Case {
        const char* ch;
        const char* syllable;
        bool digits;
        bool found;
        const char* symbols;
    };
    const Case cases[] = {
        {"行", "xing", true, true, "24"},                                     // mask 0x0A
        {"行", "xing", false, true, "/\\"}, {"行", "xig", true, true, "24"},  // compact query
        {"行", "hang", false, true, "/"},   {"好", "hao", true, true, "34"},
        {"为", "wei", true, true, "42"},  // order 0x14: stored order
        {"为", "wei", false, true, "\\/"},  {"长", "chang", true, true, "21"},
        {"长", "zhang", false, true, "v-"}, {"了", "liao", true, true, "3"},  // from ch2pypz1.bin, not "2"
        {"了", "le", false, true, "."},     {"好", "xing", true, false, ""},  // unknown reading empties out
        {"中", "zho", true, false, ""},
    };
    for (const Case& c : cases) {
        AString out("stale");
        EXPECT_EQ(c.found, dict.GetToneSymbols(Key(c.ch), AString(c.syllable), out, c.digits)) << c.syllable;
        EXPECT_EQ(c.symbols, Bytes(out)) << c.syllable;
    }
    AString out("kept");
    EXPECT_FALSE(dict.GetToneSymbols(kUnknown, AString("a"), out, true));
    EXPECT_FALSE(dict.GetToneSymbols(Key("啊"), AString("a"), out, true));
    EXPECT_EQ("kept", Bytes(out));
}

TEST_F(DictReadings, IsGb2312Char) {
    AStringArray readings;
    EXPECT_TRUE(dict.IsGb2312Char(Key("啊"), &readings));
    EXPECT_EQ((std::vector<std::string>{"a"}), ToVector(readings));
    EXPECT_TRUE(dict.IsGb2312Char(Key("中"), &readings));
    EXPECT_EQ((std::vector<std::string>{"zhong", "zhog"}), ToVector(readings));  // the later entry
    EXPECT_TRUE(dict.IsGb2312Char(Key("中")));
    EXPECT_FALSE(dict.IsGb2312Char(Key("行"), &readings));
    EXPECT_FALSE(dict.IsGb2312Char(kUnknown));
}

TEST_F(DictReadings, ReadableCharAt) {
    // a 中 <81 40> b <A4 7F> <D6 20>
    const std::string text = "a" + GbkBytes("中") +
                             "\x81\x40"
                             "b\xA4\x7F\xD6\x20";
    const int len = static_cast<int>(text.size());
    struct Case {
        int offset;
        bool big5;
        int result;
        const char* out;  // "kept": untouched
    };
    const Case cases[] = {
        {1, false, 1, "\xD6\xD0"},  // found
        {1, true, 1, "\xD6\xD0"},   // D6 D0 is a Big5 pair as well
        {3, false, 0, "\x81\x40"},  // a pair, not found
        {3, true, 0, "kept"},       // 81 is no Big5 lead byte
        {0, false, 0, "kept"},      // ASCII
        {2, false, 0, "\xD0\x81"},  // offsets count bytes: D0 81 is a pair, not found
        {6, false, 0, "kept"},      // A4 7F: no GBK pair
        {6, true, 0, "\xA4\x7F"},   // a Big5 pair, not found
        {8, false, 0, "kept"},      // D6 20
        {len - 1, false, 0, "kept"}, {len, false, 0, "kept"}, {-1, false, 0, "kept"},
    };
    for (const Case& c : cases) {
        char out[3] = {'k', 'e', 0};
        std::string kept = "ke";
        int r = dict.ReadableCharAt(text.data(), len, c.offset, out, c.big5);
        EXPECT_EQ(c.result, r) << c.offset << " " << c.big5;
        EXPECT_EQ(std::string(c.out) == "kept" ? kept : std::string(c.out), std::string(out))
            << c.offset << " " << c.big5;
    }
}

// Loaders start from empty tables; a missing file is reported once and
// leaves its table empty.
TEST_F(DictReadings, ReloadEmptiesAndReportsMissingFilesOnce) {
    ScratchFolder other;
    ASSERT_TRUE(WriteToneReadingFile(other.File(kToneMaskFile), {{Key("好"), {"hao"}, {0x04}, 0}}, false));
    EXPECT_FALSE(dict.LoadToneReadings(other.Path() + "/"));
    ASSERT_EQ(1u, hook.reports.size());
    EXPECT_EQ(other.Path() + "/" + kToneOrderFile, hook.reports[0].first);
    EXPECT_EQ(DataFileProblem::Missing, hook.reports[0].second);
    EXPECT_EQ(1, dict.ToneMaskRecords.GetCount());
    EXPECT_EQ(0, dict.ToneOrderRecords.GetCount());
    EXPECT_EQ((std::vector<std::string>{}), Readings(Key("行")));

    hook.reports.clear();
    EXPECT_FALSE(dict.LoadGbReadings(other.Path()));
    ASSERT_EQ(1u, hook.reports.size());
    EXPECT_EQ(other.File(kGbReadingFile), hook.reports[0].first);
    EXPECT_EQ(DataFileProblem::Missing, hook.reports[0].second);
    EXPECT_EQ(0, dict.GbReadingMap.GetCount());
    EXPECT_FALSE(dict.IsGb2312Char(Key("啊")));
}

// A damaged file keeps the entries read completely and is reported once.
TEST_F(DictReadings, DamagedFileKeepsCompleteEntries) {
    std::string bytes = ReadBytes(dir.File(kToneMaskFile));
    // Cut inside the third entry (好): 6 header bytes, 行 takes 14, 中 10.
    ASSERT_TRUE(WriteBytes(dir.File(kToneMaskFile), bytes.substr(0, 6 + 14 + 10 + 5)));
    EXPECT_FALSE(dict.LoadToneReadings(dir.Path()));
    ASSERT_EQ(1u, hook.reports.size());
    EXPECT_EQ(dir.File(kToneMaskFile), hook.reports[0].first);
    EXPECT_EQ(DataFileProblem::Damaged, hook.reports[0].second);
    EXPECT_EQ(2, dict.ToneMaskRecords.GetCount());
    EXPECT_EQ((std::vector<std::string>{"zhog", "zhong"}), Readings(Key("中")));
    EXPECT_EQ(nullptr, dict.ToneMaskRecords.Find(Key("好")));
    EXPECT_EQ(3, dict.ToneOrderRecords.GetCount());
}

TEST(DictInit, InitOnceLoadsTheCodeTablesUntilReleased) {
    ScratchFolder dir;
    std::vector<std::uint8_t> table = NewBig5Table();
    ASSERT_TRUE(SetBig5TableEntry(table, DoubleByteCode(0xC0B4), DoubleByteCode(0xA8D3)));  // 来 -> 來
    ASSERT_TRUE(WriteBig5Table(dir.File(kBig5TableFile), table));

    CDict dict;
    dict.InitOnce(dir.Path());
    EXPECT_TRUE(IsBig5TableLoaded());
    EXPECT_EQ(0xA8D3, GbkToBig5(DoubleByteCode(0xC0B4)).value);
    EXPECT_EQ(403, RepresentativeMapCount());
    AString out;
    GetRepresentativeChar(out, AString("ma"), 4);
    EXPECT_EQ(GbkBytes("嘛"), Bytes(out));

    CDictTop::LexiconLoaded = true;  // a loaded lexicon keeps its tables
    dict.InitOnce("no such folder");
    EXPECT_TRUE(IsBig5TableLoaded());

    dict.ReleaseCodeTables();
    EXPECT_FALSE(CDictTop::LexiconLoaded);
    EXPECT_FALSE(IsBig5TableLoaded());
    EXPECT_EQ(kBig5WhiteSquare.value, GbkToBig5(DoubleByteCode(0xC0B4)).value);
    dict.InitOnce(dir.Path());
    EXPECT_TRUE(IsBig5TableLoaded());
    dict.ReleaseCodeTables();
}
