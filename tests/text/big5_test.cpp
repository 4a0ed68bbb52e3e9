#include "text/big5.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/text_literals.h"
#include "text/codepage.h"
#include "text/data_file.h"
#include "text/gbk_bytes.h"

namespace {

using Code = DoubleByteCode;

// The code of a character in a code page, first byte high; a single byte as is.
Code CodeIn(int codePage, char16_t ch) {
    if (ch == 0) return Code();
    char b[4] = {};
    int n = Utf16ToMultiByte(codePage, &ch, 1, b, sizeof b);
    EXPECT_TRUE(n == 1 || n == 2) << static_cast<int>(ch);
    return n == 2 ? Code(static_cast<unsigned char>(b[0]), static_cast<unsigned char>(b[1]))
                  : Code(0, static_cast<unsigned char>(b[0]));
}
Code GbkCode(char16_t ch) { return CodeIn(kCodePageGbk, ch); }
Code Big5Code(char16_t ch) { return CodeIn(kCodePageBig5, ch); }

// The entry's byte offset as the file format describes it.
size_t FormatOffset(unsigned lead, unsigned trail) { return ((lead - 0x81) * 191 + (trail - 0x40)) * 2; }

std::string ReadAll(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// Collects data-file reports while alive.
class HookCapture {
public:
    HookCapture() {
        previous_ =
            SetDataFileHook([this](const std::string& path, DataFileProblem p) { reports.emplace_back(path, p); });
    }
    ~HookCapture() { SetDataFileHook(std::move(previous_)); }
    std::vector<std::pair<std::string, DataFileProblem>> reports;

private:
    DataFileHook previous_;
};

// A small table whose entries differ from what the rules give, so that each
// result shows whether a rule or the table answered.
class Big5Rules : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::uint8_t> table = NewBig5Table();
        const std::pair<char16_t, char16_t> entries[] = {
            {u'中', u'中'}, {u'系', u'繫'}, {u'係', u'繫'}, {u'后', u'后'}, {u'後', u'後'}, {u'里', u'裡'},
            {u'面', u'麵'}, {u'注', u'注'}, {u'註', u'注'}, {u'赞', u'贊'}, {u'讚', u'贊'},
        };
        for (auto [gbk, big5] : entries) ASSERT_TRUE(SetBig5TableEntry(table, GbkCode(gbk), Big5Code(big5)));
        ASSERT_TRUE(SetBig5TableEntry(table, GbkCode(u'文'), Code(0x7F41)));  // first byte below 0x80: no form
        ASSERT_TRUE(SetBig5TableEntry(table, Code(0x817F), Code(0xA4A4)));    // the slot of a non-pair
        ASSERT_TRUE(WriteBig5Table(dir_.File(kBig5TableFile), table));
        ASSERT_TRUE(LoadBig5Table(dir_.Path()));
    }
    void TearDown() override { ReleaseBig5Table(); }

    ScratchFolder dir_;
};

struct RuleCase {
    char16_t prev2, prev, c, next, next2;
    char16_t result;  // its Big5 code is expected; 0: none (the white square)
};

void Check(const RuleCase& k) {
    bool found = !k.result;
    Code got = GbkToBig5(GbkCode(k.c), GbkCode(k.prev), GbkCode(k.prev2), GbkCode(k.next), GbkCode(k.next2), &found);
    char where[64];  // the context as Unicode code points, c in brackets
    std::snprintf(where, sizeof where, "%04X %04X [%04X] %04X %04X", unsigned(k.prev2), unsigned(k.prev), unsigned(k.c),
                  unsigned(k.next), unsigned(k.next2));
    EXPECT_EQ(k.result ? Big5Code(k.result) : kBig5WhiteSquare, got) << where;
    EXPECT_EQ(k.result != 0, found) << where;
}

}  // namespace

TEST(Big5Table, WriterLayoutMatchesTheFileFormat) {
    ScratchFolder dir;
    std::vector<std::uint8_t> table = NewBig5Table();
    ASSERT_EQ(48132u, table.size());
    const std::pair<Code, Code> entries[] = {{Code(0x8140), Code(0xA440)},
                                             {Code(0xD6D0), Code(0xA4A4)},
                                             {Code(0x817F), Code(0xA1A1)},
                                             {Code(0xFEFE), Code(0xF9FE)},
                                             {Code(0xFE40), Code(0xC940)}};
    for (auto [gbk, big5] : entries) EXPECT_TRUE(SetBig5TableEntry(table, gbk, big5));
    for (Code noSlot : {Code(0x8040), Code(0xFF40), Code(0x813F), Code(0x81FF), Code(0x0041)})
        EXPECT_FALSE(SetBig5TableEntry(table, noSlot, Code(0xA440))) << noSlot.value;
    ASSERT_TRUE(WriteBig5Table(dir.File(kBig5TableFile), table));

    std::string file = ReadAll(dir.File(kBig5TableFile));
    ASSERT_EQ(48132u, file.size());
    int nonzero = 0;
    for (char b : file) nonzero += b != 0;
    EXPECT_EQ(10, nonzero);
    for (auto [gbk, big5] : entries) {
        size_t at = FormatOffset(gbk.Lead(), gbk.Trail());
        EXPECT_EQ(big5.Lead(), static_cast<unsigned char>(file[at])) << gbk.value;  // lead byte first
        EXPECT_EQ(big5.Trail(), static_cast<unsigned char>(file[at + 1])) << gbk.value;
    }

    ASSERT_TRUE(LoadBig5Table(dir.Path()));
    for (auto [gbk, big5] : entries) EXPECT_EQ(big5, Big5TableEntry(gbk)) << gbk.value;
    EXPECT_EQ(Code(), Big5TableEntry(Code(0x8141)));
    ReleaseBig5Table();
    EXPECT_FALSE(IsBig5TableLoaded());
    EXPECT_EQ(Code(), Big5TableEntry(Code(0xD6D0)));

    // A table of the wrong size is not written.
    std::vector<std::uint8_t> shortTable(48131, 0xA4);
    std::string shortPath = dir.Path() + "/short.bin";
    EXPECT_FALSE(WriteBig5Table(shortPath, shortTable));
    EXPECT_FALSE(std::filesystem::exists(shortPath));
    EXPECT_FALSE(SetBig5TableEntry(shortTable, Code(0x8140), Code(0xA440)));
}

TEST(Big5Table, MissingOrWrongSizeFileLoadsNothingAndIsReported) {
    HookCapture hook;
    ScratchFolder good, missing, shortFile, longFile;
    std::vector<std::uint8_t> table = NewBig5Table();
    ASSERT_TRUE(SetBig5TableEntry(table, Code(0xD6D0), Code(0xA4A4)));
    ASSERT_TRUE(WriteBig5Table(good.File(kBig5TableFile), table));
    std::string bytes(table.begin(), table.end());
    ASSERT_TRUE(WriteFileBytes(shortFile.File(kBig5TableFile), bytes.substr(0, 48131)));
    ASSERT_TRUE(WriteFileBytes(longFile.File(kBig5TableFile), bytes + '\xA4'));

    EXPECT_FALSE(LoadBig5Table(missing.Path()));
    EXPECT_FALSE(IsBig5TableLoaded());
    EXPECT_FALSE(LoadBig5Table(missing.Path()));  // the same problem again is not reported again
    ASSERT_EQ(1u, hook.reports.size());
    EXPECT_EQ(missing.File(kBig5TableFile), hook.reports[0].first);
    EXPECT_EQ(DataFileProblem::Missing, hook.reports[0].second);

    for (const ScratchFolder* damaged : {&shortFile, &longFile}) {
        ASSERT_TRUE(LoadBig5Table(good.Path()));
        EXPECT_EQ(Code(0xA4A4), GbkToBig5(Code(0xD6D0)));
        hook.reports.clear();
        EXPECT_FALSE(LoadBig5Table(damaged->Path()));
        EXPECT_FALSE(IsBig5TableLoaded());  // the earlier table is gone as well
        bool found = true;
        EXPECT_EQ(Code(0xA1BC), GbkToBig5(Code(0xD6D0), {}, {}, {}, {}, &found));
        EXPECT_FALSE(found);
        ASSERT_EQ(1u, hook.reports.size());
        EXPECT_EQ(damaged->File(kBig5TableFile), hook.reports[0].first);
        EXPECT_EQ(DataFileProblem::Damaged, hook.reports[0].second);
    }
    hook.reports.clear();
    ASSERT_TRUE(LoadBig5Table(good.Path()));
    EXPECT_TRUE(hook.reports.empty());
    ReleaseBig5Table();
}

TEST(Big5Table, WithoutTableOnlyTheRulesAnswer) {
    ReleaseBig5Table();
    const RuleCase cases[] = {
        {0, u'皇', u'后', 0, 0, u'后'}, {0, u'然', u'后', 0, 0, u'後'}, {0, 0, u'面', 0, 0, u'面'},
        {0, 0, u'槃', 0, 0, u'槃'},     {0, 0, u'麺', 0, 0, u'麵'},     {0, u'这', u'里', 0, 0, u'裏'},
        {0, 0, u'系', u'中', 0, 0},     {0, u'公', u'里', u'程', 0, 0}, {0, 0, u'中', 0, 0, 0},
    };
    for (const RuleCase& k : cases) Check(k);
}

TEST_F(Big5Rules, TableAndCharactersWithoutAForm) {
    const RuleCase cases[] = {
        {0, 0, u'中', 0, 0, u'中'},
        {0, 0, u'国', 0, 0, 0},  // no entry
        {0, 0, u'文', 0, 0, 0},  // entry with a first byte below 0x80
    };
    for (const RuleCase& k : cases) Check(k);
    bool found = true;
    EXPECT_EQ(Code(0xA1BC),
              GbkToBig5(Code(0x817F), {}, {}, {}, {}, &found));  // trail 0x7F: not a pair, its slot ignored
    EXPECT_FALSE(found);
    EXPECT_EQ(Code(0xA1BC), GbkToBig5(Code(0x0041), {}, {}, {}, {}, &found));
    EXPECT_FALSE(found);
    EXPECT_EQ(Code(0xA1BC), GbkToBig5(Code()));
    EXPECT_EQ(Big5Code(u'中'), GbkToBig5(Code(0xD6D0)));  // the flag is optional
}

TEST_F(Big5Rules, XiHouPanAndMianRules) {
    const RuleCase cases[] = {
        // 系 係
        {0, u'关', u'系', 0, 0, u'係'},
        {0, u'关', u'係', u'统', 0, u'係'},  // prev decides before next
        {0, 0, u'系', u'统', 0, u'系'},
        {0, 0, u'係', u'列', 0, u'系'},
        {0, u'中', u'系', u'中', 0, u'繫'},  // table
        {u'关', u'中', u'系', 0, 0, u'繫'},  // prev2 does not count
        // 槃
        {0, 0, u'槃', 0, 0, u'槃'},
        // 后 後
        {0, u'皇', u'后', 0, 0, u'后'},
        {0, u'母', u'後', 0, 0, u'后'},
        {u'皇', u'太', u'后', 0, 0, u'后'},
        {u'中', u'太', u'后', 0, 0, u'後'},
        {u'皇', u'中', u'后', 0, 0, u'後'},
        {0, u'然', u'后', 0, 0, u'後'},
        {0, 0, u'後', 0, 0, u'後'},
        // 面 麺
        {0, 0, u'面', u'条', 0, u'麵'},
        {0, 0, u'面', u'饼', 0, u'麵'},
        {0, u'中', u'面', u'食', 0, u'麵'},
        {0, 0, u'面', u'食', 0, u'麵'},
        {0, u'前', u'面', u'食', 0, u'面'},
        {0, u'吃', u'面', 0, 0, u'麵'},
        {0, u'擀', u'面', u'中', 0, u'麵'},
        {0, u'前', u'面', u'中', 0, u'面'},
        {0, 0, u'面', 0, 0, u'面'},  // the rule, not the table's 麵
        {0, 0, u'麺', 0, 0, u'麵'},
    };
    for (const RuleCase& k : cases) Check(k);
}

TEST_F(Big5Rules, LiRule) {
    const RuleCase cases[] = {
        {0, u'公', u'里', u'面', 0, u'裏'}, {0, u'三', u'里', u'头', 0, u'裏'}, {0, u'两', u'里', u'边', 0, u'裏'},
        {0, u'Ｏ', u'里', u'面', 0, u'裏'}, {0, u'公', u'里', u'程', 0, u'裡'},  // 公里 not before 面边头: table
        {0, u'万', u'里', 0, 0, u'裡'},     {0, u'十', u'里', u'巷', 0, u'裡'}, {0, u'这', u'里', u'中', 0, u'裏'},
        {0, 0, u'里', u'面', 0, u'裏'},                                        // no prev
        {0, u'x', u'里', u'中', 0, u'裏'},                                     // next alone has a high second byte
        {0, u'小', u'里', u'巷', 0, u'裡'}, {0, u'a', u'里', u'b', 0, u'裡'},  // no double-byte neighbour
        {0, u'係', u'里', u'裏', 0, u'裡'},                                    // second bytes 0x53 and 0x59
        {0, 0, u'里', 0, 0, u'裡'},
    };
    for (const RuleCase& k : cases) Check(k);
    // AB C1 straddles 公邻 (B9 AB C1 DA) in the list: not a listed character.
    EXPECT_EQ(Big5Code(u'裏'), GbkToBig5(GbkCode(u'里'), Code(0xABC1), {}, GbkCode(u'中')));
}

TEST_F(Big5Rules, ZhuAndZanRules) {
    const RuleCase cases[] = {
        {0, 0, u'注', u'释', 0, u'註'},     {0, 0, u'注', u'册', 0, u'註'},     {0, 0, u'註', u'销', 0, u'註'},
        {0, u'附', u'注', 0, 0, u'註'},     {0, u'孤', u'注', 0, 0, u'註'},     {0, u'加', u'註', 0, 0, u'註'},
        {0, 0, u'注', u'意', 0, u'注'},  // table
        {0, 0, u'註', 0, 0, u'注'},      // table
        {0, 0, u'赞', u'美', 0, u'讚'},     {0, 0, u'赞', u'誉', 0, u'讚'},     {0, u'称', u'赞', 0, 0, u'讚'},
        {0, u'盛', u'讚', 0, 0, u'讚'},     {0, 0, u'赞', u'不', u'绝', u'讚'}, {0, 0, u'赞', u'不', u'中', u'贊'},
        {0, 0, u'赞', u'中', u'绝', u'贊'}, {0, 0, u'讚', 0, 0, u'贊'},
    };
    for (const RuleCase& k : cases) Check(k);
}

TEST_F(Big5Rules, EveryListedNeighbour) {
    for (char16_t m : std::u16string(u"公邻多余一二三四五六七八九十Ｏ百千万亿壹贰叁肆伍陆柒捌玖拾零廿卅仨俩两")) {
        Check({0, m, u'里', u'头', 0, u'裏'});
        Check({0, m, u'里', u'中', 0, u'裡'});  // a listed prev leaves the rest to the table
    }
    for (char16_t m : std::u16string(u"饼袋粉筋条")) Check({0, 0, u'面', m, 0, u'麵'});
    for (char16_t m : std::u16string(u"吃酱捞麦米汤甜削擀")) Check({0, m, u'面', 0, 0, u'麵'});
    for (char16_t m : std::u16string(u"册脚释销")) Check({0, 0, u'注', m, 0, u'註'});
    for (char16_t m : std::u16string(u"附孤加")) Check({0, m, u'注', 0, 0, u'註'});
    for (char16_t m : std::u16string(u"歌美赏颂叹许扬誉")) Check({0, 0, u'赞', m, 0, u'讚'});
    for (char16_t m : std::u16string(u"称盛")) Check({0, m, u'赞', 0, 0, u'讚'});
}
