#include "lexicon/representative.h"

#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "lexicon_test_util.h"
#include "text/gbk.h"

namespace {

class Representative : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BuildRepresentativeMap(); }
};

std::string Rep(const char* syllable, int toneIndex) {
    AString out("stale");
    GetRepresentativeChar(out, AString(syllable), toneIndex);
    return Bytes(out);
}

}  // namespace

TEST_F(Representative, MapHoldsEveryRowOnce) {
    std::set<std::string> syllables;
    for (const RepresentativeRow& row : RepresentativeTable) syllables.insert(row.syllable);
    EXPECT_EQ(403u, syllables.size());
    EXPECT_EQ(403, RepresentativeMapCount());
    BuildRepresentativeMap();  // not rebuilt
    EXPECT_EQ(403, RepresentativeMapCount());
}

// Every representative is one GBK character; the table has 1224 of them, and
// only dei, lo, shei and zhei have none at all.
TEST_F(Representative, EveryRepresentativeIsOneGbkCharacter) {
    int total = 0;
    std::set<std::string> without;
    for (const RepresentativeRow& row : RepresentativeTable) {
        const typFaShegDaiBioZi* e = FindRepresentative(AString(row.syllable));
        ASSERT_NE(nullptr, e) << row.syllable;
        EXPECT_STREQ(row.syllable, e->syllable);
        int here = 0;
        for (const char* t : e->tones) {
            if (!t) continue;
            here++;
            ASSERT_EQ(2u, std::string(t).size()) << row.syllable;
            EXPECT_TRUE(IsGbkPair(static_cast<unsigned char>(t[0]), static_cast<unsigned char>(t[1]))) << row.syllable;
        }
        total += here;
        if (here == 0) without.insert(row.syllable);
    }
    EXPECT_EQ(1224, total);
    EXPECT_EQ((std::set<std::string>{"dei", "lo", "shei", "zhei"}), without);
}

// Sample rows, written out independently of the table; u'-' for none.
TEST_F(Representative, SampleRowsMatchTheTable) {
    struct Row {
        const char* syllable;
        const char16_t* chars;
    };
    const Row rows[] = {
        {"a", u"阿啊啊啊啊"}, {"e", u"屙鹅恶遏诶"},    {"o", u"喔哦---"},     {"er", u"-而尔二-"},
        {"yue", u"约--阅-"},  {"bo", u"拨驳跛檗卜"},   {"ce", u"---册-"},     {"da", u"搭达打大瘩"},
        {"dia", u"--嗲--"},   {"fo", u"-佛---"},       {"gei", u"--给--"},    {"kuang", u"筐狂夼矿-"},
        {"lv", u"-驴吕律-"},  {"lue", u"---略-"},      {"ma", u"妈麻马骂嘛"}, {"me", u"----么"},
        {"nv", u"--女恧-"},   {"nue", u"---虐-"},      {"xu", u"须徐许续蓿"}, {"zhe", u"遮哲者蔗着"},
        {"zhuo", u"桌擢---"}, {"zhuang", u"装-奘状-"}, {"shui", u"-谁水睡-"}, {"dei", u"-----"},
    };
    for (const Row& row : rows) {
        for (int t = 0; t < 5; t++) {
            const char16_t ch = row.chars[t];
            const std::string expected = ch == u'-' ? "" : Bytes(GbkFromUtf16(std::u16string_view(&ch, 1)));
            EXPECT_EQ(expected, Rep(row.syllable, t)) << row.syllable << " tone " << t + 1;
        }
    }
}

TEST_F(Representative, GetRepresentativeChar) {
    struct Case {
        const char* syllable;
        int toneIndex;
        const char* expected;  // empty: nothing
    };
    const Case cases[] = {
        {"ma", 4, "嘛"}, {"xiang", 4, ""},  {"xiang", 3, "向"}, {"zhog", 0, "终"}, {"xio", 2, "小"},
        {"jv", 0, "居"}, {"zhug", 3, "状"},  // compact spellings
        {"xyz", 0, ""},  {"", 0, ""},       {"ma", -1, ""},     {"ma", 5, ""},     {"MA", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GbkBytes(c.expected), Rep(c.syllable, c.toneIndex)) << c.syllable << " " << c.toneIndex;
}
