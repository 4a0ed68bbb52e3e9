// zhorvan-cli prepare: the pieces the engine speaks, one line each.
#include <gtest/gtest.h>

#include <sstream>

#include "engine_test_util.h"
#include "tools/cli/prepare.h"

namespace {

std::string Prepare(const std::u16string& text, int* status = nullptr) {
    CDict dict;
    FillFixtureLexicon(dict);
    std::ostringstream out;
    const int r = PrintPreparedPieces(dict, Wide(text), out);
    if (status) *status = r;
    return out.str();
}

TEST(PreparePiecesTest, OneLinePerPiece) {
    int status = -1;
    EXPECT_EQ(Prepare(u"我买了USB线", &status), U8(u"1\t0\t我买了\n0\t3\tUSB\n1\t6\t线\n"));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Prepare(u"他在银行,OK?"), U8(u"1\t0\t他在银航，OK，\n"));
    EXPECT_EQ(Prepare(u"Hello, 世界"), U8(u"0\t0\tHello, \n1\t7\t世界\n"));
    EXPECT_EQ(Prepare(u""), "");
}

TEST(PreparePiecesTest, ManyPiecesInTextOrder) {
    std::u16string text;
    std::string expected;
    for (int i = 0; i < 90; ++i) {
        text += u"中ab";
        expected += "1\t" + std::to_string(3 * i) + "\t" + U8(u"中ab") + "\n";
    }
    // Two letters after Chinese text stay in the Chinese piece: one piece.
    EXPECT_EQ(Prepare(text), "1\t0\t" + U8(text) + "\n");
    text.clear();
    expected.clear();
    for (int i = 0; i < 90; ++i) {
        text += u"中abc";
        expected += "1\t" + std::to_string(4 * i) + "\t" + U8(u"中") + "\n0\t" + std::to_string(4 * i + 1) + "\tabc\n";
    }
    EXPECT_EQ(Prepare(text), expected);
}

}  // namespace
