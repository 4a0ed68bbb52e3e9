#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "lexicon/pinyin_text.h"
#include "lexicon/segment.h"
#include "lexicon_fixture.h"

namespace {

using Seg = std::tuple<int, int, int, std::string>;

// An in-memory lexicon: characters with readings (ch2pypz1 records), the
// component table and a few words.
class Segmentation : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* ch : {u"我", u"们", u"去", u"银", u"行", u"上", u"面", u"临", u"时", u"危", u"你",
                                   u"好", u"中", u"文", u"华", u"人", u"民"})
            AddChar(ch, "a", 0x01);
        for (const char16_t* w : {u"我们", u"银行", u"上面", u"面临", u"临时", u"你好", u"中文", u"中华", u"中华人民",
                                  u"中华人民共和国"})
            AddWord(w, "x1 y2", "def");
    }
    void AddChar(const char16_t* ch, const char* reading, std::uint8_t mask) {
        typArrPYs& r = dict.ToneMaskRecords[Key(ch)];
        r.readings.Add(reading);
        r.ToneMask[r.readings.GetSize() - 1] = mask;
        dict.ComponentTable.SetAt(G(ch), G(ch));
    }
    void AddWord(const char16_t* w, const char* pinyin, const char* defs) {
        CedictEntry& e = dict.WordDictionary[G(w)];
        e.pinyin = pinyin;
        e.definitions = defs;
    }
    std::vector<Seg> Segments(const std::string& gbk) {
        std::vector<typWordSegment> out;
        const int n = SegmentText(dict, A(gbk), out);
        EXPECT_EQ(n, static_cast<int>(out.size()));
        std::vector<Seg> v;
        for (const typWordSegment& s : out) v.emplace_back(s.kind, s.first, s.end, Bytes(s.text));
        return v;
    }
    CDict dict;
};

Seg S(int kind, int first, int end, const char16_t* text) { return {kind, first, end, Gbk(text)}; }

TEST_F(Segmentation, SegmentsWithCharacterIndices) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<Seg> segments;
    };
    const Case cases[] = {
        {"longest word first", Gbk(u"我们去银行"), {S(1, 0, 2, u"我们"), S(2, 2, 3, u"去"), S(1, 3, 5, u"银行")}},
        {"上面临时 by the general rule", Gbk(u"上面临时"), {S(1, 0, 2, u"上面"), S(1, 2, 4, u"临时")}},
        {"上面临 then another character", Gbk(u"上面临危"),
         {S(2, 0, 1, u"上"), S(1, 1, 3, u"面临"), S(2, 3, 4, u"危")}},
        {"上面临 at the end", Gbk(u"上面临"), {S(2, 0, 1, u"上"), S(1, 1, 3, u"面临")}},
        {"leading symbol and spaces counted", Gbk(u"， 你好"), {S(1, 2, 4, u"你好")}},
        {"separators passed over", Gbk(u"我，好。"), {S(2, 0, 1, u"我"), S(2, 2, 3, u"好")}},
        {"a space inside a word", Gbk(u"中 文"), {S(1, 0, 3, u"中文")}},
        {"no join before a readable stretch", Gbk(u"中，文好"),
         {S(2, 0, 1, u"中"), S(0, -1, -1, u"，"), S(2, 2, 3, u"文"), S(2, 3, 4, u"好")}},
        {"other text trimmed", Gbk(u"中") + "  abc  " + Gbk(u"文"),
         {S(2, 0, 1, u"中"), S(0, -1, -1, u"abc"), S(2, 8, 9, u"文")}},
        {"spaces alone give no segment", Gbk(u"中") + "   " + Gbk(u"文"), {S(2, 0, 1, u"中"), S(2, 4, 5, u"文")}},
        {"unknown character stands alone", Gbk(u"我们鑫银行"),
         {S(1, 0, 2, u"我们"), S(2, 2, 3, u"鑫"), S(1, 3, 5, u"银行")}},
        {"five-character window", Gbk(u"中华人民共和国"),
         {S(1, 0, 4, u"中华人民"), S(2, 4, 5, u"共"), S(2, 5, 6, u"和"), S(2, 6, 7, u"国")}},
        {"only symbols and spaces", Gbk(u"，。 \r\n"), {}},
        {"empty", "", {}},
        {"lone lead byte at the end", Gbk(u"好") + "\xB0", {S(2, 0, 1, u"好"), {0, -1, -1, "\xB0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.segments, Segments(c.text));
    }
}

TEST_F(Segmentation, SplitWordsAppends) {
    AStringArray words;
    words.Add("kept");
    const std::string run = Gbk(u"上面临时");
    EXPECT_EQ(2, SplitWords(dict, run.data(), static_cast<int>(run.size()), words));
    EXPECT_EQ((std::vector<std::string>{"kept", Gbk(u"上面"), Gbk(u"临时")}), ToVector(words));
}

TEST_F(Segmentation, PrefixIndexNeverHidesWords) {
    const std::string run = Gbk(u"中华人民");
    auto split = [&] {
        AStringArray words;
        SplitWords(dict, run.data(), static_cast<int>(run.size()), words);
        return ToVector(words);
    };
    dict.WordDictionary.RemoveAll();
    AddWord(u"好人", "", "");
    dict.IndexWords();  // knows no word starting with 中华
    EXPECT_EQ((std::vector<std::string>{Gbk(u"中"), Gbk(u"华"), Gbk(u"人"), Gbk(u"民")}), split());
    AddWord(u"中华人", "", "");  // added after the index was built
    EXPECT_EQ((std::vector<std::string>{Gbk(u"中华人"), Gbk(u"民")}), split());
    dict.WordDictionary.RemoveAll();  // as many words as when indexed, but others
    AddWord(u"中华人民", "", "");
    EXPECT_EQ((std::vector<std::string>{Gbk(u"中华人民")}), split());
    dict.IndexWords();
    EXPECT_EQ((std::vector<std::string>{Gbk(u"中华人民")}), split());
}

TEST_F(Segmentation, HostileTextNeverBreaksIndices) {
    // Random bytes: every segment's indices lie inside the text and ascend.
    std::mt19937 rng(7);
    for (int round = 0; round < 300; round++) {
        std::string text;
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; i++) {
            const unsigned r = rng() % 6;
            text += r == 0 ? Gbk(u"我") : r == 1 ? Gbk(u"，") : r == 2 ? std::string(1, ' ')
                  : std::string(1, static_cast<char>(rng() & 0xFF));
        }
        std::vector<typWordSegment> out;
        SegmentText(dict, A(text), out);
        int last = 0;
        for (const typWordSegment& s : out) {
            if (s.kind == 0) continue;
            EXPECT_LE(last, s.first);
            EXPECT_LT(s.first, s.end);
            EXPECT_EQ(0, s.text.GetLength() % 2);
            EXPECT_LE(s.end, static_cast<int>(text.size()));
            last = s.end;
        }
    }
}

// Pinyin for display over a record with two tones and a compact spelling.
class DisplayPinyin : public Segmentation {
protected:
    void SetUp() override {
        Segmentation::SetUp();
        typArrPYs& zhong = dict.ToneMaskRecords[Key(u"中")];
        zhong.readings.RemoveAll();
        zhong.readings.Add("zhog");  // compact spelling of zhong
        zhong.ToneMask[0] = MakeToneMask({1, 4});
        zhong.definition = "middle";
        typArrPYs& le = dict.ToneMaskRecords[Key(u"了")];
        le.readings.Add("liao");
        le.readings.Add("le");
        le.ToneMask[0] = MakeToneMask({3});
        le.ToneMask[1] = MakeToneMask({5});
        AddWord(u"猫咪", "mao1 mi1", "kitty");
    }
    std::string Text(const char16_t* text, bool skipCompact, bool prefix, bool toneNames, int* result = nullptr) {
        AString out("old;");
        const int r = GetPinyinText(dict, G(text), nullptr, &out, skipCompact, prefix, toneNames);
        if (result) *result = r;
        return Bytes(out);
    }
};

TEST_F(DisplayPinyin, CharacterReadings) {
    int result = 0;
    const std::string full = Text(u"中", true, true, true, &result);
    EXPECT_EQ(Gbk(u"中  zhōng 阴平, zhòng 去声"), full);
    EXPECT_EQ(static_cast<int>(full.size()), result);
    EXPECT_EQ("old;" + Gbk(u"zhōng, zhòng"), Text(u"中", true, false, false));
    EXPECT_EQ(Gbk(u"中  zhōg, zhòg, zhōng, zhòng"), Text(u"中", false, true, false));
    EXPECT_EQ(Gbk(u"了  liǎo 上声, le 去声"), Text(u"了", true, true, true));

    AStringArray list;
    list.Add("stale");
    GetPinyinText(dict, G(u"中"), &list, nullptr, true, false, false);
    EXPECT_EQ((std::vector<std::string>{Gbk(u"zhōng"), Gbk(u"zhòng")}), ToVector(list));
}

TEST_F(DisplayPinyin, WordFallback) {
    int result = -1;
    EXPECT_EQ(Gbk(u"猫咪") + "mao1 mi1", Text(u"猫咪", true, true, false, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ("old;", Text(u"猫咪", true, false, false, &result));  // no prefix: untouched
    EXPECT_EQ(1, result);
    EXPECT_EQ("old;", Text(u"狗狗", true, true, false, &result));
    EXPECT_EQ(0, result);
}

TEST_F(DisplayPinyin, WordsAndChars) {
    AStringArray words, pinyins, defs;
    EXPECT_EQ(9, ListWordsAndChars(dict, G(u"中华人民共和国"), words, pinyins, defs));
    const std::vector<std::string> w = ToVector(words);
    EXPECT_EQ((std::vector<std::string>{Gbk(u"中华人民"), Gbk(u"中华"), Gbk(u"中"), Gbk(u"华")}),
              std::vector<std::string>(w.begin(), w.begin() + 4));
    EXPECT_EQ("x1 y2", Bytes(pinyins[0]));
    EXPECT_EQ(Gbk(u"zhōng,zhòng"), Bytes(pinyins[2]));
    EXPECT_EQ("middle", Bytes(defs[2]));
    EXPECT_EQ("", Bytes(pinyins[6]));  // 共: no readings
}

TEST(NumberedPinyin, ToMarks) {
    const std::pair<const char*, const char16_t*> cases[] = {
        {"ni3 hao3", u"nǐ hǎo"},     {"  zhong1   guo2 ", u"zhōng guó"}, {"nu:3 lu:4", u"nǚ lǜ"},
        {"ma5", u"ma"},             {"hao", u"hao"},                  {"3 a", u"3 a"},
        {"", u""},                  {"r5", u"r"},                     {"lve4", u"lüè"},
    };
    for (const auto& [in, expected] : cases) {
        AString out("stale");
        EXPECT_EQ(Gbk(expected), Bytes(NumberedPinyinToMarks(out, in, static_cast<int>(std::strlen(in))))) << in;
    }
    AString self("ni3 hao3");  // the text may come from the out string itself
    EXPECT_EQ(Gbk(u"nǐ hǎo"), Bytes(NumberedPinyinToMarks(self, self.GetString(), self.GetLength())));
}

}  // namespace
