#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "lexicon/char_report.h"
#include "lexicon/info_pane_content.h"
#include "lexicon/plain_report_pane.h"
#include "lexicon_fixture.h"

namespace {

std::u16string Text(const PlainReportPane& pane) { return pane.Text(); }

// A lexicon in memory: 好 (女 子), 中 and 你 with readings, a basic component
// with a ｖ stroke, and the word 你好.
class Reports : public ::testing::Test {
protected:
    void SetUp() override {
        AddChar("好", {{"hao", {3, 4}}}, "good", 1);
        AddChar("中", {{"zhog", {1, 4}}}, "middle", 0);
        AddChar("你", {{"ni", {3}}}, "you", 1);
        AddChar("弋", {{"yi", {4}}}, "shoot", 0);
        dict.GbReadingMap[Key("中")].Add("zhong");
        Parts("好", GbkBytes("女子"));
        Parts("你", GbkBytes("亻尔"));
        Parts("女", "");
        Parts("子", "");
        Parts("弋", "");
        dict.BaseComponentTable.SetAt(Gbk("女"), "531");
        dict.BaseComponentTable.SetAt(Gbk("子"), "521");
        dict.BaseComponentTable.SetAt(Gbk("弋"), FromBytes("1" + GbkBytes("ｖ") + "4"));
        CedictEntry& e = dict.WordDictionary[Gbk("你好")];
        e.pinyin = "ni3 hao3";
        e.definitions = "hello/hi";
    }
    void AddChar(const char* ch, std::vector<std::pair<const char*, std::vector<int>>> readings, const char* def,
                 int common) {
        typArrPYs& r = dict.ToneMaskRecords[Key(ch)];
        for (size_t i = 0; i < readings.size(); i++) {
            r.readings.Add(readings[i].first);
            r.ToneMask[i] = MakeToneMask(readings[i].second);
        }
        r.definition = def;
        r.CommonFlags = static_cast<std::uint8_t>(common);
        dict.ComponentTable.SetAt(Gbk(ch), Gbk(ch));
    }
    void Parts(const char* ch, const std::string& value) { dict.ComponentTable.SetAt(Gbk(ch), FromBytes(value)); }

    static int Pos(const std::u16string& text, const char16_t* what) { return static_cast<int>(text.find(what)); }

    CDict dict;
    PlainReportPane pane;
};

TEST_F(Reports, CharacterReportWithChineseLabels) {
    const ReportSpan span = CharReport(pane, dict, Gbk("好"), {1});
    const std::u16string expected =
        u" 好  hǎo 上声, hào 去声\n\n【字义】good\n\n【分解】女子\n【笔顺】(折丿一)(折丨一)\n\n\n"
        u"【2500 Common Character Set】\n\n\n\nGB码: BAC3    Unicode: 22909(597D)\n";
    EXPECT_EQ(expected, Text(pane));
    EXPECT_EQ(Pos(expected, u"【字义】"), span.labelStart);
    EXPECT_EQ(Pos(expected, u"\n\nGB码"), span.end);
}

TEST_F(Reports, LabelsFollowTheInterfaceLanguage) {
    for (int language : {0, 1, 2, 3}) {
        SCOPED_TRACE(language);
        const bool chinese = language == 1 || language == 2;
        const ReportSpan span = CharReport(pane, dict, Gbk("中"), {language});
        const std::u16string text = Text(pane);
        EXPECT_EQ(chinese, text.find(u"【字义】middle") != std::u16string::npos);
        EXPECT_EQ(!chinese, text.find(u"【Definition】 middle") != std::u16string::npos);
        EXPECT_EQ(
            chinese ? u"\n\nGB码: D6D0    Unicode: 20013(4E2D)\n" : u"\n\nGB Code: D6D0    Unicode: 20013(4E2D)\n",
            text.substr(static_cast<size_t>(span.end)));
        EXPECT_EQ(Pos(text, u"【"), span.labelStart) << "the label is the first bracket";
        EXPECT_NE(std::u16string::npos, text.find(chinese ? u"【分解】" : u"【Parts】"));
        EXPECT_NE(std::u16string::npos, text.find(chinese ? u"【笔顺】" : u"【Stroke Order】"));
        // GB2312 without the common flag.
        EXPECT_NE(std::u16string::npos, text.find(u"【6763 Common Character Set (GB2312)】"));
    }
}

TEST_F(Reports, DepthOfTheDecompositionDependsOnTheLanguage) {
    CharReport(pane, dict, Gbk("好"), {0});
    const std::u16string text = Text(pane);
    EXPECT_NE(std::u16string::npos, text.find(u"【Parts】折丿一折丨一\n【Stroke Order】折丿一折丨一\n"))
        << "single strokes: no parentheses";
}

TEST_F(Reports, CharacterWithoutRecords) {
    const ReportLabels labels{
        1, [](const AString& english) { return english == "Not Common Character" ? Gbk("非常用字") : english; }};
    const ReportSpan span = CharReport(pane, dict, Gbk("丂"), labels);
    const std::u16string expected =
        u" 丂\n\n【字义】\n\n【分解】丂\n【笔顺】丂\n\n\n【非常用字】\n\n\n\nGB码: 8140    Unicode: 19970(4E02)\n";
    EXPECT_EQ(expected, Text(pane));
    EXPECT_EQ(Pos(expected, u"【字义】"), span.labelStart);
}

TEST_F(Reports, StrokeNoteOnlyWithTheBentStroke) {
    const ReportLabels chinese{1};
    EXPECT_EQ(GbkBytes("【笔顺】(一ｖ＼)\n\n*ｖ代表类似\"弋\"中的折笔划."),
              Bytes(StrokeOrderBlock(dict, Gbk("弋"), chinese)));
    EXPECT_EQ(GbkBytes("【笔顺】(折丿一)"), Bytes(StrokeOrderBlock(dict, Gbk("女"), chinese)));
    EXPECT_EQ(GbkBytes("【笔顺】"), Bytes(StrokeOrderBlock(dict, AString(), chinese)));
    EXPECT_EQ(GbkBytes("【分解】一丨丿＼折x女\n"), Bytes(PartsBlock(FromBytes("12345x" + GbkBytes("女")), chinese)));
}

TEST_F(Reports, WordReport) {
    const ReportSpan span = WordReport(pane, dict, Gbk("你好"), {0});
    const std::u16string expected =
        u" 你好 nǐ hǎo\n\n【Definition】 hello/hi\n\n【Parts】亻尔 女子 \n【Stroke Order】亻尔 (折丿一)(折丨一) \n\n";
    EXPECT_EQ(expected, Text(pane));
    EXPECT_EQ((ReportSpan{Pos(expected, u"【Definition】"), static_cast<int>(expected.size())}), span);

    pane.SetGbkText(FromBytes("kept"));
    EXPECT_EQ(ReportSpan{}, WordReport(pane, dict, Gbk("好你"), {0}));
    EXPECT_EQ(u"kept", Text(pane));
}

TEST_F(Reports, WordListFormats) {
    AStringArray words, pinyins, defs;
    words.Add(Gbk("你好"));
    pinyins.Add("ni3 hao3");
    defs.Add("hello");
    for (bool showPinyin : {true, false}) {
        SCOPED_TRACE(showPinyin);
        PlainReportPane list;
        list.SetGbkText(FromBytes("x"));
        AppendWordList(list, words, pinyins, defs, "Kai", "Arial", showPinyin);
        EXPECT_EQ(showPinyin ? u"x你好ni3 hao3 hello" : u"x你好 hello", Text(list));
        const auto runs = list.Runs();
        ASSERT_EQ(showPinyin ? 4u : 3u, runs.size());
        EXPECT_EQ((PaneCharFormat{true, PaneRgb(170, 0, 0), 260, 134, "Kai"}), runs[1].format);
        if (showPinyin) {
            EXPECT_EQ((PaneCharFormat{false, PaneRgb(0, 190, 0), 220, 0, "Arial"}), runs[2].format);
        }
        EXPECT_EQ((PaneCharFormat{!showPinyin, PaneRgb(30, 30, 190), 210, 134, "Kai"}), runs.back().format);
        EXPECT_EQ(1, list.UndoSteps()) << "only the definition keeps the undo history";
    }
}

TEST_F(Reports, InfoPaneReportsASingleCharacter) {
    std::vector<typWordPos> map{{1, 2, 3, 4}};
    EXPECT_EQ(1, FillInfoPane(pane, dict, Gbk("「好」"), {{1}, "Kai", true}, map));
    EXPECT_TRUE(map.empty());
    const std::u16string text = Text(pane);
    ASSERT_EQ(u" 好", text.substr(0, 2));
    EXPECT_EQ((PaneCharFormat{true, PaneRgb(255, 0, 0), 550, 134, "Kai"}), pane.FormatAt(1));
    EXPECT_EQ((PaneCharFormat{false, PaneRgb(155, 0, 23), 330, 134, "Kai"}), pane.FormatAt(2));
    const int label = Pos(text, u"【字义】"), code = Pos(text, u"\n\nGB码");
    EXPECT_EQ(PaneRgb(20, 20, 255), pane.FormatAt(label).colour);
    EXPECT_EQ(PaneRgb(155, 0, 23), pane.FormatAt(label - 1).colour);
    EXPECT_EQ(PaneRgb(20, 20, 185), pane.FormatAt(code).colour);
    EXPECT_EQ(PaneRgb(20, 20, 255), pane.FormatAt(code - 1).colour);
}

TEST_F(Reports, InfoPaneReportsAWordWithItsParts) {
    std::vector<typWordPos> map;
    EXPECT_EQ(1, FillInfoPane(pane, dict, Gbk("你好"), {{0}, "Kai", true}, map));
    const std::u16string text = Text(pane);
    EXPECT_EQ(u" 你好 nǐ hǎo", text.substr(0, 10));
    EXPECT_EQ(450, pane.FormatAt(1).twips);
    EXPECT_EQ(450, pane.FormatAt(2).twips);
    EXPECT_TRUE(pane.FormatAt(2).bold);
    EXPECT_FALSE(pane.FormatAt(3).bold);
    const size_t list = text.find(u"【Commponent Zi/Ci】 \n你nǐ you好hǎo,hào good");
    ASSERT_NE(std::u16string::npos, list) << std::string(text.begin(), text.end());
    EXPECT_EQ(list + 20, text.size() - 20) << "the word list ends the pane";
}

TEST_F(Reports, InfoPaneListsWords) {
    std::vector<typWordPos> map;
    const AString text = Gbk("你好，中abc好");
    EXPECT_EQ(1, FillInfoPane(pane, dict, text, {{0}, "Kai", true}, map));
    // The comma between readable characters is passed over (but counted).
    EXPECT_EQ(u"你好nǐ hǎo hello/hi中zhōng,zhòng middleabc好hǎo,hào good", Text(pane));
    const std::vector<typWordPos> expected = {{0, 2, 0, 2}, {3, 4, 17, 18}, {7, 8, 39, 40}};
    EXPECT_EQ(expected, map);
    EXPECT_EQ((PaneCharFormat{true, PaneRgb(100, 0, 0), 300, 134, "Kai"}), pane.FormatAt(0));
    EXPECT_EQ((PaneCharFormat{false, PaneRgb(0, 190, 0), 220, 0, "Arial"}), pane.FormatAt(2));
    EXPECT_EQ((PaneCharFormat{false, PaneRgb(30, 30, 190), 210, 0, "Arial"}), pane.FormatAt(10));
    EXPECT_EQ((PaneCharFormat{false, PaneRgb(100, 0, 0), 300, 134, "Kai"}), pane.FormatAt(36));  // abc

    EXPECT_EQ(1, FillInfoPane(pane, dict, text, {{0}, "Kai", false}, map));
    EXPECT_EQ(u"你好 hello/hi中 middleabc好 good", Text(pane));
    EXPECT_EQ(3u, map.size());
}

TEST_F(Reports, InfoPaneNeedsTwoBytes) {
    std::vector<typWordPos> map{{1, 2, 3, 4}};
    pane.SetGbkText(FromBytes("old"));
    EXPECT_EQ(0, FillInfoPane(pane, dict, FromBytes("a"), {}, map));
    EXPECT_EQ(u"", Text(pane));
    EXPECT_TRUE(map.empty());
}

}  // namespace
