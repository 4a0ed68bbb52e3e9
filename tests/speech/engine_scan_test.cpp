// The scan of a text into Chinese and Western pieces, and the reading step.
#include <gtest/gtest.h>
#include <sstream>

#include "engine_test_util.h"
#include "lexicon/reading_files.h"
#include "speech/speech_scan.h"
#include "tests/support/text_literals.h"

namespace {

struct Piece {
    int isChinese;
    int offsetUnits;
    std::u16string text;
};

std::string Describe(const std::vector<Piece>& pieces) {
    std::ostringstream out;
    for (const Piece& p : pieces) out << "[" << p.isChinese << " " << p.offsetUnits << " " << U8(p.text) << "]";
    return out.str();
}

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillFixtureLexicon(dict);
        // 銀 lies outside the GB2312 table: its first reading is taken.
        typArrPYs& rec = dict.ToneMaskRecords[Key("銀")];
        rec.readings.Add("yin");
        rec.ToneMask[0] = MakeToneMask({2});
    }

    std::vector<Piece> Scan(const std::u16string& text) {
        std::vector<Piece> out;
        for (const typStrInfo& p : ScanPieces(dict, Wide(text)))
            out.push_back({p.isChinese, p.offset / 2, Units(p.text)});
        return out;
    }

    void Expect(const std::u16string& text, const std::vector<Piece>& expected) {
        EXPECT_EQ(Describe(Scan(text)), Describe(expected)) << U8(text);
    }

    CDict dict;
};

TEST_F(ScanTest, LatinRunsInsideChineseText) {
    Expect(u"你好world", {{1, 0, u"你好"}, {0, 2, u"world"}});
    // Exactly two letters go with the Chinese voice; three capitals do not.
    Expect(u"我买了AB线", {{1, 0, u"我买了AB线"}});
    Expect(u"我买了USB线", {{1, 0, u"我买了"}, {0, 3, u"USB"}, {1, 6, u"线"}});
    // A capital followed by a lower-case letter starts a Western word.
    Expect(u"我用Windows系统", {{1, 0, u"我用"}, {0, 2, u"Windows"}, {1, 9, u"系统"}});
    // A capital before spaces: the letter after the spaces decides.
    Expect(u"这是A book", {{1, 0, u"这是"}, {0, 2, u"A book"}});
    Expect(u"这是A 书", {{1, 0, u"这是A 书"}});
    // A capital directly before a Chinese character stays Chinese.
    Expect(u"中A书", {{1, 0, u"中A书"}});
    // Two capitals, then three lower-case letters: the capitals stay Chinese.
    Expect(u"中ABcde", {{1, 0, u"中AB"}, {0, 3, u"cde"}});
    // A lower-case letter after Chinese text starts a Western piece.
    Expect(u"中abc", {{1, 0, u"中"}, {0, 1, u"abc"}});
    // A letter that ends the text after Chinese text is Western.
    Expect(u"中文x", {{1, 0, u"中文"}, {0, 2, u"x"}});
}

TEST_F(ScanTest, PunctuationDigitsAndLineEnds) {
    // ASCII clause punctuation after Chinese becomes the full-width comma.
    Expect(u"他说,好", {{1, 0, u"他说，好"}});
    Expect(u"他说.好!", {{1, 0, u"他说，好，"}});
    Expect(u"Hello, world", {{0, 0, u"Hello, world"}});
    // A carriage return becomes a comma; the line feed stays in the piece.
    Expect(u"你好\r\n你好", {{1, 0, u"你好，\n你好"}});
    Expect(u"ab\r\ncd", {{0, 0, u"ab,\ncd"}});
    // A digit at position 0 goes with the Chinese text after it; inside
    // Western text it stays Western.
    // (个 is read ge4, whose representative is 各.)
    Expect(u"3个苹果", {{1, 0, u"3各苹果"}});
    Expect(u"I have 3 apples", {{0, 0, u"I have 3 apples"}});
    // Digits and spaces after Chinese text stay in the Chinese piece.
    Expect(u"我有 3天", {{1, 0, u"我有 3天"}});
}

TEST_F(ScanTest, RepresentativeCharacterKeepsEveryPosition) {
    // 行 after 银 is read hang2: the representative of hang tone 2 is 航.
    Expect(u"银行", {{1, 0, u"银航"}});
    // A character outside the GB2312 table takes its first reading.
    Expect(u"銀行", {{1, 0, u"银航"}});
    // Replacement never changes the number of units or the later offsets.
    const std::vector<Piece> pieces = Scan(u"他在银行工作OK吗? yes");
    ASSERT_FALSE(pieces.empty());
    int units = 0;
    for (const Piece& p : pieces) {
        EXPECT_EQ(p.offsetUnits, units);
        units += static_cast<int>(p.text.size());
    }
    EXPECT_EQ(units, 14);
}

TEST_F(ScanTest, EdgesOfTheText) {
    EXPECT_TRUE(Scan(u"").empty());
    Expect(u"好", {{1, 0, u"好"}});
    Expect(u"a", {{0, 0, u"a"}});
    Expect(u",", {{0, 0, u","}});
    // A unit without a GBK form is spoken unchanged.
    Expect(u"你\u0E01好", {{1, 0, u"你\u0E01好"}});
}

TEST_F(ScanTest, CharactersBeyondTheBasicPlaneStayWhole) {
    // 𠮷 U+20BB7, 𩸽 U+29E3D and 😀 U+1F600: two units each, unchanged, in one piece.
    Expect(u"𠮷了", {{1, 0, u"𠮷了"}});
    Expect(u"银行𩸽行", {{1, 0, u"银航𩸽形"}});
    Expect(u"ab𩸽cd", {{0, 0, u"ab"}, {1, 2, u"𩸽cd"}});
    Expect(u"hello 😀 world", {{0, 0, u"hello "}, {1, 6, u"😀 "}, {0, 9, u"world"}});
    Expect(u"我😀USB线", {{1, 0, u"我😀"}, {0, 3, u"USB"}, {1, 6, u"线"}});
    Expect(u"abc😀", {{0, 0, u"abc"}, {1, 3, u"😀"}});
    Expect(u"😀", {{1, 0, u"😀"}});
    // A lone surrogate is passed on as it is.
    Expect(u"你\xD842", {{1, 0, u"你\xD842"}});

    // The rules see one "?" for a pair, at the pair's first unit.
    std::vector<std::pair<int, std::string>> asked;
    SpeechScan scan(dict);
    scan.SetReadingSink([&](int pos, const AString& ch, const AString&, int) { asked.emplace_back(pos, ch.GetString()); });
    scan.Start(Wide(u"𠮷了😀"));
    while (!scan.Finished()) scan.Step(nullptr);
    const std::vector<std::pair<int, std::string>> expected = {{0, "?"}, {2, "\xC1\xCB"}, {3, "?"}};
    EXPECT_EQ(asked, expected);
}

TEST(NextUnitTest, PassesOverAtMostThreeBlanks) {
    const std::u16string t = u"a \u3000\rb   c";
    int q = 1;
    EXPECT_EQ(NextUnit(t.data(), static_cast<int>(t.size()), q), 0);  // three blanks
    EXPECT_EQ(q, 4);
    q = 2;
    EXPECT_EQ(NextUnit(t.data(), static_cast<int>(t.size()), q), u'b');
    EXPECT_EQ(q, 5);
    q = 5;
    EXPECT_EQ(NextUnit(t.data(), static_cast<int>(t.size()), q), 0);
    EXPECT_EQ(q, 8);
    // A surrogate pair is one character: the look-ahead passes both units.
    const std::u16string pair = u" 𠮷b";
    q = 0;
    EXPECT_EQ(NextUnit(pair.data(), static_cast<int>(pair.size()), q), 0xD842);
    EXPECT_EQ(q, 3);
    EXPECT_EQ(NextUnit(pair.data(), static_cast<int>(pair.size()), q), u'b');
    q = 6;
    EXPECT_EQ(NextUnit(t.data(), static_cast<int>(t.size()), q), u'c');
    EXPECT_EQ(q, 9);
    EXPECT_EQ(NextUnit(t.data(), static_cast<int>(t.size()), q), 0);  // the end
}

}  // namespace
