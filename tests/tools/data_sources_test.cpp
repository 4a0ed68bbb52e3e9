// Parsers of the data builder's text sources, on small fixtures.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tools/mkdata/cedict_senses.h"
#include "tools/mkdata/cjk_decomp.h"
#include "tools/mkdata/js_template.h"
#include "tools/mkdata/junda.h"
#include "tools/mkdata/stroke_dict.h"
#include "tools/mkdata/unihan_field.h"

namespace {

TEST(TemplateLiteral, UndoesEscapes) {
    const struct { const char* js; const char* text; } cases[] = {
        {"module.exports = `a\nb`;\n", "a\nb"},
        {"module.exports = `tick \\` and back\\\\slash`;", "tick ` and back\\slash"},
        {"module.exports = `cost \\${x} $5 {y}`", "cost ${x} $5 {y}"},
        {"`\\t\\n\\r\\'\\\"\\q`", "\t\n\r'\"q"},
        {"`\\x41\\u4E2D\\u{20BB7}\\uD842\\uDFB7`", "A\xE4\xB8\xAD\xF0\xA0\xAE\xB7\xF0\xA0\xAE\xB7"},
        {"`one \\\ntwo`", "one two"},
        {"`crlf\r\nline`", "crlf\nline"},
        {"``;", ""},
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_TRUE(UnwrapTemplateLiteral(c.js, text)) << c.js;
        EXPECT_EQ(text, c.text) << c.js;
    }
}

TEST(TemplateLiteral, RefusesWhatIsNotOneLiteral) {
    const char* bad[] = {
        "module.exports = 'plain';",  // no template
        "module.exports = `open",     // not closed
        "`a ${b} c`",                 // substitution
        "`a` + `b`",                  // more than one literal
        "`\\x4`", "`\\u{110000}`", "`\\u12`",  // broken escapes
    };
    for (const char* js : bad) {
        std::string text;
        EXPECT_FALSE(UnwrapTemplateLiteral(js, text)) << js;
    }
}

TEST(CjkDecomp, ReadsComponentLists) {
    std::istringstream in("好:a(女,子)\n10018:rrefl(㇉)\r\n一:c()\n10017:d/t(一,10018)\nbroken line\n:a(x)\n坏:a(土,)\n");
    CjkDecomp d;
    d.Read(in);
    EXPECT_EQ(d.Size(), 4u);
    ASSERT_NE(d.Find("好"), nullptr);
    EXPECT_EQ(*d.Find("好"), (std::vector<std::string>{"女", "子"}));
    EXPECT_EQ(*d.Find("10017"), (std::vector<std::string>{"一", "10018"}));
    EXPECT_EQ(*d.Find("10018"), (std::vector<std::string>{"㇉"}));
    ASSERT_NE(d.Find("一"), nullptr);
    EXPECT_TRUE(d.Find("一")->empty());
    EXPECT_EQ(d.Find("坏"), nullptr);
    EXPECT_EQ(d.Find("子"), nullptr);
}

TEST(StrokeDict, MainlandSequenceListedLastWins) {
    std::istringstream in(
        "# header\n---\nname: stroke\n女\tnot read: still header\n...\n\n"
        "好\tzphzzh\n子\tzzh\n好\tzphzsh\n子\tzsh\n中\tszhs\t100\n坏\thsx\n一\th\r\n");
    StrokeDict s;
    s.Read(in);
    EXPECT_EQ(s.Get(U'好'), "531521");
    EXPECT_EQ(s.Get(U'子'), "521");
    EXPECT_EQ(s.Get(U'中'), "2512");
    EXPECT_EQ(s.Get(U'一'), "1");
    EXPECT_EQ(s.Get(U'坏'), "");  // a letter that is no stroke
    EXPECT_EQ(s.Get(U'女'), "");  // header lines are not entries
    EXPECT_EQ(s.Size(), 4u);
}

TEST(JunDa, CharactersInRankOrder) {
    const std::string text =
        "2\t一\t3050722\t5.67\tyi1\tone\n"
        "1\t的\t7922684\t4.09\tde\tof\n"
        "x\t坏\t1\n"
        "3\t是是\t1\n"
        "4\t一\t9\n"
        "5\t了\t2128528\t9.27";
    EXPECT_EQ(ParseJunDa(text), (std::vector<char32_t>{U'的', U'一', U'了'}));
}

TEST(UnihanField, TakesOneField) {
    std::istringstream in(
        "# comment\nU+4E2D\tkTotalStrokes\t4\nU+4E2D\tkRSUnicode\t2.3\n"
        "U+20000\tkTotalStrokes\t7 8\r\nU+XYZ\tkTotalStrokes\t1\nU+4E00\tkTotalStrokes\t\n");
    const auto v = ReadUnihanField(in, "kTotalStrokes");
    EXPECT_EQ(v.size(), 2u);
    EXPECT_EQ(v.at(0x4E2D), "4");
    EXPECT_EQ(v.at(0x20000), "7 8");
}

TEST(CedictSenses, OneCharacterWordsOnly) {
    const std::string list =
        "# CC-CEDICT\n"
        "好 好 [hao3] /good/well/\n"
        "你好 你好 [ni3 hao3] /hello/hi/\n"
        "好 好 [hao4] /to be fond of/\r\n"
        "後 后 [hou4] /back/behind/\n"
        "broken\n";
    const auto s = ReadCedictCharSenses(list);
    EXPECT_EQ(s.size(), 2u);
    EXPECT_EQ(s.at(U'好'), "good; well; to be fond of");
    EXPECT_EQ(s.at(U'后'), "back; behind");  // by the simplified form
}

}  // namespace
