#include "lexicon/segment.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "lexicon/pinyin_text.h"
#include "lexicon_fixture.h"

namespace {

using Seg = std::tuple<int, int, int, std::string>;

// An in-memory lexicon: characters with readings (ch2pypz1 records), the
// component table and a few words.
class Segmentation : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* ch :
             {"我", "们", "去", "银", "行", "上", "面", "临", "时", "危", "你", "好", "中", "文", "华", "人", "民"})
            AddChar(ch, "a", 0x01);
        for (const char* w :
             {"我们", "银行", "上面", "面临", "临时", "你好", "中文", "中华", "中华人民", "中华人民共和国"})
            AddWord(w, "x1 y2", "def");
    }
    void AddChar(const char* ch, const char* reading, std::uint8_t mask) {
        typArrPYs& r = dict.ToneMaskRecords[Key(ch)];
        r.readings.Add(reading);
        r.ToneMask[r.readings.GetSize() - 1] = mask;
        dict.ComponentTable.SetAt(Gbk(ch), Gbk(ch));
    }
    void AddWord(const char* w, const char* pinyin, const char* defs) {
        CedictEntry& e = dict.WordDictionary[Gbk(w)];
        e.pinyin = pinyin;
        e.definitions = defs;
    }
    std::vector<Seg> Segments(const std::string& gbk) {
        std::vector<typWordSegment> out;
        const int n = SegmentText(dict, FromBytes(gbk), out);
        EXPECT_EQ(n, static_cast<int>(out.size()));
        std::vector<Seg> v;
        for (const typWordSegment& s : out) v.emplace_back(s.kind, s.first, s.end, Bytes(s.text));
        return v;
    }
    CDict dict;
};

// An expected segment, its text given in UTF-8.
Seg GbkSegment(int kind, int first, int end, const char* text) { return {kind, first, end, GbkBytes(text)}; }

TEST_F(Segmentation, SegmentsWithCharacterIndices) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<Seg> segments;
    };
    const Case cases[] = {
        {"longest word first",
         GbkBytes("我们去银行"),
         {GbkSegment(1, 0, 2, "我们"), GbkSegment(2, 2, 3, "去"), GbkSegment(1, 3, 5, "银行")}},
        {"上面临时 by the general rule",
         GbkBytes("上面临时"),
         {GbkSegment(1, 0, 2, "上面"), GbkSegment(1, 2, 4, "临时")}},
        {"上面临 then another character",
         GbkBytes("上面临危"),
         {GbkSegment(2, 0, 1, "上"), GbkSegment(1, 1, 3, "面临"), GbkSegment(2, 3, 4, "危")}},
        {"上面临 at the end", GbkBytes("上面临"), {GbkSegment(2, 0, 1, "上"), GbkSegment(1, 1, 3, "面临")}},
        {"leading symbol and spaces counted", GbkBytes("， 你好"), {GbkSegment(1, 2, 4, "你好")}},
        {"separators passed over", GbkBytes("我，好。"), {GbkSegment(2, 0, 1, "我"), GbkSegment(2, 2, 3, "好")}},
        {"a space inside a word", GbkBytes("中 文"), {GbkSegment(1, 0, 3, "中文")}},
        {"no join before a readable stretch",
         GbkBytes("中，文好"),
         {GbkSegment(2, 0, 1, "中"), GbkSegment(0, -1, -1, "，"), GbkSegment(2, 2, 3, "文"),
          GbkSegment(2, 3, 4, "好")}},
        {"other text trimmed",
         GbkBytes("中") + "  abc  " + GbkBytes("文"),
         {GbkSegment(2, 0, 1, "中"), GbkSegment(0, -1, -1, "abc"), GbkSegment(2, 8, 9, "文")}},
        {"spaces alone give no segment",
         GbkBytes("中") + "   " + GbkBytes("文"),
         {GbkSegment(2, 0, 1, "中"), GbkSegment(2, 4, 5, "文")}},
        {"unknown character stands alone",
         GbkBytes("我们鑫银行"),
         {GbkSegment(1, 0, 2, "我们"), GbkSegment(2, 2, 3, "鑫"), GbkSegment(1, 3, 5, "银行")}},
        {"five-character window",
         GbkBytes("中华人民共和国"),
         {GbkSegment(1, 0, 4, "中华人民"), GbkSegment(2, 4, 5, "共"), GbkSegment(2, 5, 6, "和"),
          GbkSegment(2, 6, 7, "国")}},
        {"only symbols and spaces", GbkBytes("，。 \r\n"), {}},
        {"empty", "", {}},
        {"lone lead byte at the end", GbkBytes("好") + "\xB0", {GbkSegment(2, 0, 1, "好"), {0, -1, -1, "\xB0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.segments, Segments(c.text));
    }
}

TEST_F(Segmentation, SplitWordsAppends) {
    AStringArray words;
    words.Add("kept");
    const std::string run = GbkBytes("上面临时");
    EXPECT_EQ(2, SplitWords(dict, run.data(), static_cast<int>(run.size()), words));
    EXPECT_EQ((std::vector<std::string>{"kept", GbkBytes("上面"), GbkBytes("临时")}), ToVector(words));
}

TEST_F(Segmentation, PrefixIndexNeverHidesWords) {
    const std::string run = GbkBytes("中华人民");
    auto split = [&] {
        AStringArray words;
        SplitWords(dict, run.data(), static_cast<int>(run.size()), words);
        return ToVector(words);
    };
    dict.WordDictionary.RemoveAll();
    AddWord("好人", "", "");
    dict.IndexWords();  // knows no word starting with 中华
    EXPECT_EQ((std::vector<std::string>{GbkBytes("中"), GbkBytes("华"), GbkBytes("人"), GbkBytes("民")}), split());
    AddWord("中华人", "", "");  // added after the index was built
    EXPECT_EQ((std::vector<std::string>{GbkBytes("中华人"), GbkBytes("民")}), split());
    dict.WordDictionary.RemoveAll();  // as many words as when indexed, but others
    AddWord("中华人民", "", "");
    EXPECT_EQ((std::vector<std::string>{GbkBytes("中华人民")}), split());
    dict.IndexWords();
    EXPECT_EQ((std::vector<std::string>{GbkBytes("中华人民")}), split());
}

TEST_F(Segmentation, HostileTextNeverBreaksIndices) {
    // Random bytes: every segment's indices lie inside the text and ascend.
    std::mt19937 rng(7);
    for (int round = 0; round < 300; round++) {
        std::string text;
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; i++) {
            const unsigned r = rng() % 6;
            text += r == 0   ? GbkBytes("我")
                    : r == 1 ? GbkBytes("，")
                    : r == 2 ? std::string(1, ' ')
                             : std::string(1, static_cast<char>(rng() & 0xFF));
        }
        std::vector<typWordSegment> out;
        SegmentText(dict, FromBytes(text), out);
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
        typArrPYs& zhong = dict.ToneMaskRecords[Key("中")];
        zhong.readings.RemoveAll();
        zhong.readings.Add("zhog");  // compact spelling of zhong
        zhong.ToneMask[0] = MakeToneMask({1, 4});
        zhong.definition = "middle";
        typArrPYs& le = dict.ToneMaskRecords[Key("了")];
        le.readings.Add("liao");
        le.readings.Add("le");
        le.ToneMask[0] = MakeToneMask({3});
        le.ToneMask[1] = MakeToneMask({5});
        AddWord("猫咪", "mao1 mi1", "kitty");
    }
    std::string Text(const char* text, bool skipCompact, bool prefix, bool toneNames, int* result = nullptr) {
        AString out("old;");
        const int r = GetPinyinText(dict, Gbk(text), nullptr, &out, skipCompact, prefix, toneNames);
        if (result) *result = r;
        return Bytes(out);
    }
};

TEST_F(DisplayPinyin, CharacterReadings) {
    int result = 0;
    const std::string full = Text("中", true, true, true, &result);
    EXPECT_EQ(GbkBytes("中  zhōng 阴平, zhòng 去声"), full);
    EXPECT_EQ(static_cast<int>(full.size()), result);
    EXPECT_EQ("old;" + GbkBytes("zhōng, zhòng"), Text("中", true, false, false));
    EXPECT_EQ(GbkBytes("中  zhōg, zhòg, zhōng, zhòng"), Text("中", false, true, false));
    EXPECT_EQ(GbkBytes("了  liǎo 上声, le 去声"), Text("了", true, true, true));

    AStringArray list;
    list.Add("stale");
    GetPinyinText(dict, Gbk("中"), &list, nullptr, true, false, false);
    EXPECT_EQ((std::vector<std::string>{GbkBytes("zhōng"), GbkBytes("zhòng")}), ToVector(list));
}

TEST_F(DisplayPinyin, WordFallback) {
    int result = -1;
    EXPECT_EQ(GbkBytes("猫咪") + "mao1 mi1", Text("猫咪", true, true, false, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ("old;", Text("猫咪", true, false, false, &result));  // no prefix: untouched
    EXPECT_EQ(1, result);
    EXPECT_EQ("old;", Text("狗狗", true, true, false, &result));
    EXPECT_EQ(0, result);
}

TEST_F(DisplayPinyin, WordsAndChars) {
    AStringArray words, pinyins, defs;
    EXPECT_EQ(9, ListWordsAndChars(dict, Gbk("中华人民共和国"), words, pinyins, defs));
    const std::vector<std::string> w = ToVector(words);
    EXPECT_EQ((std::vector<std::string>{GbkBytes("中华人民"), GbkBytes("中华"), GbkBytes("中"), GbkBytes("华")}),
              std::vector<std::string>(w.begin(), w.begin() + 4));
    EXPECT_EQ("x1 y2", Bytes(pinyins[0]));
    EXPECT_EQ(GbkBytes("zhōng,zhòng"), Bytes(pinyins[2]));
    EXPECT_EQ("middle", Bytes(defs[2]));
    EXPECT_EQ("", Bytes(pinyins[6]));  // 共: no readings
}

TEST(NumberedPinyin, ToMarks) {
    const std::pair<const char*, const char*> cases[] = {
        {"ni3 hao3", "nǐ hǎo"},
        {"  zhong1   guo2 ", "zhōng guó"},
        {"nu:3 lu:4", "nǚ lǜ"},
        {"ma5", "ma"},
        {"hao", "hao"},
        {"3 a", "3 a"},
        {"", ""},
        {"r5", "r"},
        {"lve4", "lüè"},
    };
    for (const auto& [in, expected] : cases) {
        AString out("stale");
        EXPECT_EQ(GbkBytes(expected), Bytes(NumberedPinyinToMarks(out, in, static_cast<int>(std::strlen(in))))) << in;
    }
    AString self("ni3 hao3");  // the text may come from the out string itself
    EXPECT_EQ(GbkBytes("nǐ hǎo"), Bytes(NumberedPinyinToMarks(self, self.GetString(), self.GetLength())));
}

}  // namespace
