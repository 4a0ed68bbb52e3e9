// Checks the word list, component, definition, usage and sort files that the
// data builder made, read back through the lexicon.
#include <fstream>
#include <gtest/gtest.h>
#include <string>

#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"
#include "rules/char_class.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "text/astring.h"

namespace {

template <class F>
void ForEachGbkHanzi(F f) {
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (IsGbkHanzi(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)))
                f(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
}

bool IsGb2312(unsigned char lead, unsigned char trail) {
    return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE && !(lead == 0xD7 && trail >= 0xFA);
}

class CharData : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dict_ = new CDict;
        ASSERT_TRUE(dict_->LoadToneReadings(ZH_DATA_DIR));  // with definitions and usage scores
        ASSERT_TRUE(dict_->LoadComponentTable(ZH_DATA_DIR, true));
        ASSERT_TRUE(dict_->LoadComponentTable(ZH_DATA_DIR, false));
        ASSERT_TRUE(dict_->LoadSortNumbers(ZH_DATA_DIR));
    }
    static void TearDownTestSuite() { delete dict_; }

    static std::string Definition(const char* ch) {
        AString d;
        dict_->GetDefinition(Gbk(ch), d);
        return Bytes(d);
    }
    static int CommonFlags(CharKey key) {
        if (const typArrPYsDiaoInOrder* r = dict_->ToneOrderRecords.Find(key)) return r->CommonFlags;
        if (const typArrPYs* r = dict_->ToneMaskRecords.Find(key)) return r->CommonFlags;
        return -1;
    }
    static int UsageScore(CharKey key) {
        if (const typArrPYsDiaoInOrder* r = dict_->ToneOrderRecords.Find(key)) return r->UsageScore;
        if (const typArrPYs* r = dict_->ToneMaskRecords.Find(key)) return r->UsageScore;
        return -1;
    }
    static CDict* dict_;
};
CDict* CharData::dict_ = nullptr;

TEST(WordList, IsACedictReleaseWithItsCache) {
    std::ifstream in(std::string(ZH_DATA_DIR) + kWordListFile, std::ios::binary);
    ASSERT_TRUE(in);
    std::string line, first, last;
    bool nihao = false;
    int entries = 0;
    while (std::getline(in, line)) {
        if (first.empty()) first = line;
        nihao = nihao || (line.rfind("你好 你好 [ni3 hao3] /", 0) == 0 && line.find("hello") != std::string::npos);
        entries += !line.empty() && line[0] != '#';
        last = line;
    }
    EXPECT_EQ(first, "# CC-CEDICT");
    EXPECT_TRUE(nihao);
    EXPECT_GT(entries, 120000);
    EXPECT_NE(last.find(" ["), std::string::npos);  // the last line is an entry, complete
    EXPECT_EQ(last.back(), '/');

    CDict dict;
    WordListStamp stamp;
    ASSERT_TRUE(GetWordListStamp(std::string(ZH_DATA_DIR) + kWordListFile, stamp));
    WordMap cached{kWordNodesPerBlock};
    EXPECT_EQ(ReadWordCache(std::string(ZH_DATA_DIR) + kWordCacheFile, &stamp, cached), CacheRead::Fresh);
    const CedictEntry* e = cached.Find(Gbk("你好"));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Bytes(e->pinyin), "ni3 hao3");
    EXPECT_EQ(Bytes(e->definitions).rfind("hello", 0), 0u);
    EXPECT_GT(cached.GetCount(), 100000);
}

TEST_F(CharData, EveryGbkChineseCharacterHasComponents) {
    int keys = 0;
    ForEachGbkHanzi([&](unsigned char lead, unsigned char trail) {
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const bool found = dict_->ComponentTable.Find(AString::FromBytes(bytes, 2)) != nullptr;
        EXPECT_TRUE(found) << std::hex << +lead << +trail;
        keys += found;
    });
    EXPECT_EQ(keys, dict_->ComponentTable.GetCount());
    EXPECT_GT(keys, 21000);
}

TEST_F(CharData, PartsAndStrokeOrder) {
    EXPECT_EQ(Bytes(dict_->GetParts(Gbk("好"), false)), Bytes(Gbk("女子")));
    EXPECT_EQ(Bytes(dict_->GetParts(Gbk("女"), true)), "531");
    EXPECT_EQ(Bytes(dict_->GetParts(Gbk("子"), true)), "521");
    EXPECT_EQ(Bytes(dict_->GetParts(Gbk("女"), false)), Bytes(Gbk("女")));
    // Every depth expansion of a character with known parts ends in stroke digits.
    for (const char* ch : {"中", "你", "想", "我", "国", "爱", "的"}) {
        const std::string strokes = Bytes(dict_->GetParts(Gbk(ch), true));
        EXPECT_EQ(strokes.find_first_not_of("12345"), std::string::npos) << strokes;
    }
    EXPECT_EQ(Bytes(dict_->GetParts(Gbk("中"), true)), "2512");
    EXPECT_EQ(Bytes(dict_->GetParts(Gbk("我"), true)), "3121534");
}

// The depth expansion of a GB2312 character is its stroke sequence: digits
// only, as many as Unihan counts strokes.
TEST_F(CharData, DepthExpansionIsTheStrokeSequence) {
    int characters = 0, digitsOnly = 0, countAgrees = 0;
    ForEachGbkHanzi([&](unsigned char lead, unsigned char trail) {
        if (!IsGb2312(lead, trail)) return;
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const std::string strokes = Bytes(dict_->GetParts(AString::FromBytes(bytes, 2), true));
        const std::int32_t* n = dict_->SortNumbers.Find(MakeCharKey(lead, trail));
        ++characters;
        if (strokes.find_first_not_of("12345") != std::string::npos) return;
        ++digitsOnly;
        countAgrees += n && static_cast<size_t>(*n) == strokes.size();
    });
    EXPECT_EQ(characters, 6763);
    EXPECT_GE(digitsOnly, 6750);
    EXPECT_GE(countAgrees, 6700);
}

TEST_F(CharData, Definitions) {
    EXPECT_FALSE(Definition("中").empty());
    EXPECT_NE(Definition("好").find("good"), std::string::npos);
    int gb2312 = 0, gbk = 0;
    ForEachGbkHanzi([&](unsigned char lead, unsigned char trail) {
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        AString d;
        dict_->GetDefinition(AString::FromBytes(bytes, 2), d);
        if (d.IsEmpty()) return;
        ++gbk;
        gb2312 += IsGb2312(lead, trail);
    });
    EXPECT_GE(gb2312, 6755);
    EXPECT_GE(gbk, 15000);
}

TEST_F(CharData, UsageOrder) {
    EXPECT_EQ(UsageScore(Key("的")), kUsageTopScore);
    EXPECT_GT(UsageScore(Key("一")), kUsageTopScore - 5);
    EXPECT_GT(UsageScore(Key("是")), UsageScore(Key("想")));
    EXPECT_GT(UsageScore(Key("想")), UsageScore(Key("鴒")));
}

TEST_F(CharData, StrokeCounts) {
    const struct {
        const char* ch;
        int strokes;
    } cases[] = {{"中", 4}, {"一", 1}, {"好", 6}, {"龘", 48}};
    for (const auto& c : cases) {
        const std::int32_t* n = dict_->SortNumbers.Find(Key(c.ch));
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(*n, c.strokes);
    }
    EXPECT_GT(dict_->SortNumbers.GetCount(), 20000);
}

TEST_F(CharData, TwoThousandFiveHundredCommonCharacters) {
    int common = 0;
    ForEachGbkHanzi([&](unsigned char lead, unsigned char trail) {
        if (CommonFlags(MakeCharKey(lead, trail)) <= 0) return;
        ++common;
        EXPECT_TRUE(IsGb2312(lead, trail)) << std::hex << +lead << +trail;
    });
    EXPECT_EQ(common, 2500);
    for (const char* ch : {"的", "一", "好", "中"}) EXPECT_EQ(CommonFlags(Key(ch)), 1);
    EXPECT_EQ(CommonFlags(Key("亍")), 0);  // GB2312, rare
}

}  // namespace
