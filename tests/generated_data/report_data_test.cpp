// Segmentation and reports over the whole data set the data builder made.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "lexicon/char_report.h"
#include "lexicon/dict.h"
#include "lexicon/plain_report_pane.h"
#include "lexicon/segment.h"
#include "tests/support/text_literals.h"
#include "text/astring.h"

namespace {

class FullLexicon : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dict_ = new CDict;
        ASSERT_TRUE(dict_->LoadLexicon(ZH_DATA_DIR));
    }
    static void TearDownTestSuite() { delete dict_; }

    static std::vector<std::u16string> Words(const char* text) {
        std::vector<typWordSegment> segments;
        SegmentText(*dict_, Gbk(text), segments);
        std::vector<std::u16string> words;
        for (typWordSegment& s : segments) {
            s.text.ToWide(936);
            words.emplace_back(s.text.WideData(), static_cast<size_t>(s.text.GetCharCount()));
        }
        return words;
    }
    static CDict* dict_;
};
CDict* FullLexicon::dict_ = nullptr;

TEST_F(FullLexicon, SegmentsEverydayText) {
    EXPECT_EQ((std::vector<std::u16string>{u"我们", u"去", u"银行"}), Words("我们去银行"));
    EXPECT_EQ((std::vector<std::u16string>{u"上", u"面临", u"困难"}), Words("上面临困难"));
    EXPECT_EQ((std::vector<std::u16string>{u"中华", u"人民", u"共和国"}),
              Words("中华人民共和国"));  // 7 > the 5-character window
}

TEST_F(FullLexicon, CharacterReports) {
    PlainReportPane pane;
    const ReportSpan zhong = CharReport(pane, *dict_, Gbk("中"), {1});
    const std::u16string text = pane.Text();
    EXPECT_EQ(u"\n\nGB码: D6D0    Unicode: 20013(4E2D)\n", text.substr(static_cast<size_t>(zhong.end)));
    EXPECT_EQ(u"【字义】", text.substr(static_cast<size_t>(zhong.labelStart), 4));
    EXPECT_NE(std::u16string::npos, text.find(u"zhōng 阴平"));
    EXPECT_NE(std::u16string::npos, text.find(u"【2500 Common Character Set】"));

    CharReport(pane, *dict_, Gbk("好"), {1});
    EXPECT_NE(std::u16string::npos, pane.Text().find(u"【分解】女子\n【笔顺】(折丿一)(折丨一)"));
    CharReport(pane, *dict_, Gbk("好"), {0});
    EXPECT_NE(std::u16string::npos, pane.Text().find(u"【Parts】"));
    EXPECT_NE(std::u16string::npos, pane.Text().find(u"【Definition】 "));
}

TEST_F(FullLexicon, WordReport) {
    PlainReportPane pane;
    const ReportSpan span = WordReport(pane, *dict_, Gbk("银行"), {0});
    EXPECT_EQ(0u, pane.Text().find(u" 银行 yín háng\n\n【Definition】 bank"));
    EXPECT_EQ(static_cast<int>(pane.Text().size()), span.end);
}

}  // namespace
