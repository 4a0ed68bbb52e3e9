#include "tools/mkdata/reading_data.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadingData, Gb2312CodeRange) {
    const struct { unsigned char lead, trail; bool gb2312; } cases[] = {
        {0xB0, 0xA1, true},  {0xF7, 0xFE, true},  {0xD7, 0xF9, true},
        {0xD7, 0xFA, false}, {0xD7, 0xFE, false}, {0xB0, 0xA0, false},
        {0xAF, 0xFE, false}, {0xF8, 0xA1, false}, {0x81, 0x40, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsGb2312Code(c.lead, c.trail), c.gb2312) << std::hex << +c.lead << +c.trail;
}

TEST(ReadingData, OrderedFileWhenTheFirstToneIsNotTheLowest) {
    EXPECT_FALSE(NeedsToneOrder({{"xing", {2, 4}}, {"hang", {2, 4}}}));
    EXPECT_TRUE(NeedsToneOrder({{"wei", {4, 2}}}));
    EXPECT_TRUE(NeedsToneOrder({{"le", {5}}, {"liao", {3, 4}}, {"hao", {3, 1}}}));
    EXPECT_FALSE(NeedsToneOrder({{"le", {5}}, {"liao", {3, 4}}}));
    EXPECT_FALSE(NeedsToneOrder({}));
}

// 行 D0D0, 为 CEAA, 了 C1CB; 丂 8140 lies outside GB2312.
TEST(ReadingData, RecordsGoToTheirFiles) {
    UnihanReadings unihan;
    unihan.AddLine("U+884C\tkHanyuPinlu\txíng(2943) háng(218)");
    unihan.AddLine("U+884C\tkXHC1983\t0442.080:háng 0443.050:hàng 0460.010:xìng");
    unihan.AddLine("U+4E3A\tkHanyuPinlu\twèi(3962) wéi(2433)");
    unihan.AddLine("U+4E86\tkHanyuPinlu\tle(30101) liǎo(654) liào(19)");
    unihan.AddLine("U+4E02\tkMandarin\tkǎo");
    const ReadingData data = BuildReadingData(unihan);

    ASSERT_EQ(data.toneMasks.size(), 3u);  // 丂, 了, 行 in GBK code order
    EXPECT_EQ(data.toneMasks[0].key, MakeCharKey(0x81, 0x40));
    const ToneReadingRecord& le = data.toneMasks[1];
    EXPECT_EQ(le.key, MakeCharKey(0xC1, 0xCB));
    EXPECT_EQ(le.readings, (std::vector<std::string>{"le", "liao"}));
    EXPECT_EQ(le.toneData, (std::vector<std::uint16_t>{0x10, 0x0C}));
    const ToneReadingRecord& xing = data.toneMasks[2];
    EXPECT_EQ(xing.readings, (std::vector<std::string>{"xing", "hang"}));
    EXPECT_EQ(xing.toneData, (std::vector<std::uint16_t>{0x0A, 0x0A}));

    ASSERT_EQ(data.toneOrders.size(), 1u);
    EXPECT_EQ(data.toneOrders[0].key, MakeCharKey(0xCE, 0xAA));
    EXPECT_EQ(data.toneOrders[0].toneData, (std::vector<std::uint16_t>{4 | 2 << 3}));

    ASSERT_EQ(data.gb2312.size(), 3u);  // 丂 is not in GB2312
    EXPECT_EQ(data.gb2312[0].key, MakeCharKey(0xC1, 0xCB));
    EXPECT_EQ(data.gb2312[2].readings, (std::vector<std::string>{"xing", "hang"}));
}

}  // namespace

namespace {

// 的 B5C4 and 一 D2BB are GB2312; 丂 8140 is GBK only; 𠀀 has no GBK form.
TEST(ReadingData, CommonCharactersAreTheFirstOfGb2312) {
    const GbkIndex gbk;
    const std::vector<char32_t> order = {U'丂', U'的', 0x20000, U'一', U'是'};
    EXPECT_EQ(CommonChars(order, gbk, 2), (std::set<CharKey>{MakeCharKey(0xB5, 0xC4), MakeCharKey(0xD2, 0xBB)}));

    ReadingData data;
    data.toneMasks = {{MakeCharKey(0x81, 0x40), {"kao"}, {4}, 0}, {MakeCharKey(0xB5, 0xC4), {"de"}, {16}, 0}};
    data.toneOrders = {{MakeCharKey(0xD2, 0xBB), {"yi"}, {1}, 0}};
    EXPECT_EQ(MarkCommonChars(data, CommonChars(order, gbk, 2)), 2u);
    EXPECT_EQ(data.toneMasks[0].commonFlags, 0);
    EXPECT_EQ(data.toneMasks[1].commonFlags, 1);
    EXPECT_EQ(data.toneOrders[0].commonFlags, 1);
}

}  // namespace
