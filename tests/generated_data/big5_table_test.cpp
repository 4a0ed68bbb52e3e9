// Checks the GBK-to-Big5 table that the data builder made from Unihan.
#include <gtest/gtest.h>

#include "text/big5.h"

namespace {

TEST(Big5TableData, TraditionalFormsOfGbkCharacters) {
    ASSERT_TRUE(LoadBig5Table(ZH_DATA_DIR));
    const struct {
        std::uint16_t gbk, big5;
    } cases[] = {
        {0xC0B4, 0xA8D3},  // 来 -> 來
        {0xB9FA, 0xB0EA},  // 国 -> 國
        {0xD6D0, 0xA4A4},  // 中 stays 中
        {0xBAF3, 0xA65A},  // 后: its first traditional form 后 encodes in Big5
        {0xB7A2, 0xB56F},  // 发: 發 comes before 髮
    };
    for (const auto& c : cases) EXPECT_EQ(Big5TableEntry(DoubleByteCode(c.gbk)).value, c.big5) << std::hex << c.gbk;
    EXPECT_EQ(Big5TableEntry(DoubleByteCode(0xA1A1)).value, 0xA140);  // the ideographic space
    bool found = true;
    EXPECT_EQ(GbkToBig5(DoubleByteCode(0xFE50), {}, {}, {}, {}, &found).value,
              kBig5WhiteSquare.value);  // a GBK radical without a Big5 form
    EXPECT_FALSE(found);
    ReleaseBig5Table();
}

}  // namespace
