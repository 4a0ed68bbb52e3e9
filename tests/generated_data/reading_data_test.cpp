// Checks the reading files that the data builder made from Unihan.
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "text/aarray.h"
#include "text/astring.h"

namespace {

std::vector<std::string> Readings(const CDict& dict, const char* ch) {
    AStringArray a;
    dict.GetReadings(Key(ch), a);
    std::vector<std::string> v;
    for (int i = 0; i < a.GetSize(); ++i) v.emplace_back(a[i].GetString(), a[i].GetLength());
    return v;
}

std::string Tones(const CDict& dict, const char* ch, const char* syllable) {
    AString out;
    if (!dict.GetToneSymbols(Key(ch), AString(syllable), out, true)) return "?";
    return out.GetString();
}

class ReadingData : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dict_ = new CDict;
        ASSERT_TRUE(dict_->LoadToneReadings(ZH_DATA_DIR));
        ASSERT_TRUE(dict_->LoadGbReadings(ZH_DATA_DIR));
    }
    static void TearDownTestSuite() { delete dict_; }
    static CDict* dict_;
};
CDict* ReadingData::dict_ = nullptr;

TEST_F(ReadingData, EveryGb2312CharacterHasReadings) {
    int count = 0;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail >= 0xFA) continue;
            const CharKey key = MakeCharKey(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            AStringArray gb, all;
            EXPECT_TRUE(dict_->IsGb2312Char(key, &gb)) << std::hex << lead << trail;
            EXPECT_GT(gb.GetSize(), 0) << std::hex << lead << trail;
            EXPECT_GT(dict_->GetReadings(key, all), 0) << std::hex << lead << trail;
            ++count;
        }
    }
    EXPECT_EQ(count, 6763);
    EXPECT_EQ(dict_->GbReadingMap.GetCount(), 6763);
    EXPECT_FALSE(dict_->IsGb2312Char(MakeCharKey(0x81, 0x40)));  // GBK, not GB2312
    EXPECT_GT(Readings(*dict_, "丂").size(), 0u);                // but it has readings
}

// The first reading and its first tone: toned, but neutral for particles.
TEST_F(ReadingData, FirstReadingIsTonedUnlessAParticle) {
    const struct {
        const char* ch;
        const char* syllable;
        char tone;
    } cases[] = {{"儿", "er", '2'}, {"子", "zi", '3'}, {"识", "shi", '2'}, {"头", "tou", '2'},
                 {"的", "de", '5'}, {"了", "le", '5'}, {"么", "me", '5'}, {"着", "zhe", '5'}};
    for (const auto& c : cases) {
        const std::vector<std::string> r = Readings(*dict_, c.ch);
        ASSERT_FALSE(r.empty()) << c.ch;
        EXPECT_EQ(r[0], c.syllable) << c.ch;
        EXPECT_EQ(Tones(*dict_, c.ch, c.syllable)[0], c.tone) << c.ch;
    }
}

TEST_F(ReadingData, PolyphonesInUsageOrder) {
    const std::vector<std::string> xing = Readings(*dict_, "行");
    ASSERT_GE(xing.size(), 2u);
    EXPECT_EQ(xing[0], "xing");
    EXPECT_EQ(xing[1], "hang");
    EXPECT_EQ(Tones(*dict_, "行", "xing")[0], '2');
    EXPECT_EQ(Tones(*dict_, "行", "hang")[0], '2');

    const std::vector<std::string> le = Readings(*dict_, "了");
    ASSERT_FALSE(le.empty());
    EXPECT_EQ(le[0], "le");
    EXPECT_EQ(Tones(*dict_, "了", "le")[0], '5');

    const std::vector<std::string> zhang = Readings(*dict_, "长");
    EXPECT_NE(std::find(zhang.begin(), zhang.end(), "chang"), zhang.end());
    EXPECT_NE(std::find(zhang.begin(), zhang.end(), "zhang"), zhang.end());

    const std::string wei = Tones(*dict_, "为", "wei");
    ASSERT_NE(wei.find('4'), std::string::npos);
    ASSERT_NE(wei.find('2'), std::string::npos);
    EXPECT_LT(wei.find('4'), wei.find('2'));

    const std::string hao = Tones(*dict_, "好", "hao");
    ASSERT_NE(hao.find('3'), std::string::npos);
    ASSERT_NE(hao.find('4'), std::string::npos);
    EXPECT_LT(hao.find('3'), hao.find('4'));

    EXPECT_EQ(Tones(*dict_, "女", "nv")[0], '3');  // ü written v after n
}

TEST_F(ReadingData, RepresentativeCharacters) {
    BuildRepresentativeMap();
    AString out;
    GetRepresentativeChar(out, AString("ma"), 4);
    EXPECT_EQ(std::string(out.GetString()), GbkBytes("嘛"));
    GetRepresentativeChar(out, AString("xiang"), 4);
    EXPECT_TRUE(out.IsEmpty());
}

}  // namespace
