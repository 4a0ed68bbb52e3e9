#include "rules/reading_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/reading_files.h"
#include "text/gbk_bytes.h"

namespace {

// ---- Helpers ----

std::string Gbk(const char16_t* text, int count = -1) {
    AString s(text, count);
    s.ToNarrow(936);
    return std::string(s.GetString(), static_cast<size_t>(s.GetLength()));
}

CharKey Key(const char16_t* ch) {
    std::string g = Gbk(ch);
    return MakeCharKey(static_cast<unsigned char>(g[0]), static_cast<unsigned char>(g[1]));
}

std::string Utf8(const char16_t* text) {
    std::string out;
    for (; *text; ++text) {
        char32_t c = *text;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct Decision {
    int result;
    std::string syllable;
    int tone;
    bool operator==(const Decision&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Decision& d) {
    return os << d.result << " " << (d.syllable.empty() ? "\"\"" : d.syllable) << d.tone;
}

// The character in brackets of a text like u"不醉不[还]钱" asked as the
// speech side asks: every character before it one history entry, the (at most
// three) characters after it as next1..next3, null where the text has ended.
// The outputs start as a fresh empty syllable and a tone of 9.
Decision Ask(const CDictTop& dict, const char16_t* text, int allowFallback = 0) {
    std::u16string t(text);
    const size_t open = t.find(u'['), close = t.find(u']');
    AStringArray history;
    for (size_t i = 0; i < open; i++) history.Add(Gbk(&t[i], 1).c_str());
    const std::string ch = Gbk(t.substr(open + 1, close - open - 1).c_str());
    std::string next[3];
    const char* nextPtr[3] = {nullptr, nullptr, nullptr};
    for (int k = 0; k < 3 && close + 1 + k < t.size(); k++) {
        next[k] = Gbk(&t[close + 1 + k], 1);
        nextPtr[k] = next[k].c_str();
    }
    AString pinyin;
    int tone = 9;
    int r = ApplyReadingRules(dict, AString(ch.c_str()), history, nextPtr[0], nextPtr[1], nextPtr[2], pinyin, tone,
                              allowFallback);
    return {r, std::string(pinyin.GetString(), static_cast<size_t>(pinyin.GetLength())), tone};
}

struct Case {
    const char16_t* text;  // the character asked about in brackets
    int result;
    const char* syllable;
    int tone;
    int allowFallback = 0;
};

void ExpectCases(const CDictTop& dict, const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(Ask(dict, c.text, c.allowFallback), (Decision{c.result, c.syllable, c.tone}))
            << Utf8(c.text) << " allowFallback " << c.allowFallback;
}

// A small lexicon: readings with tone masks (tones ascending) or tone orders
// (tones as stored). "lig" and "zhog" are the compact spellings of ling and
// zhong.
class ReadingRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ordered(u"一", {{"yi", {1, 2, 4}}});
        Masked(u"三", {{"san", {1}}});
        Masked(u"五", {{"wu", {}}});  // a reading without a tone
        Masked(u"六", {{"liu", {4}}, {"lu", {4}}});
        Masked(u"十", {{"shi", {2}}});
        Ordered(u"Ｏ", {{"lig", {2, 1}}});
        Masked(u"陆", {{"lu", {4}}, {"liu", {4}}});
        Masked(u"乾", {{"gan", {1}}, {"qian", {2}}});
        Ordered(u"中", {{"zhog", {4, 1}}});
        Masked(u"甲", {{"jia", {}}});
        // Characters with rules: their readings must not matter.
        Masked(u"重", {{"zhong", {4}}, {"chong", {2}}});
        Masked(u"呢", {{"ni", {2}}, {"ne", {5}}});
        Masked(u"量", {{"liang", {2, 4}}});
    }

    void Masked(const char16_t* ch, const std::vector<std::pair<const char*, std::vector<int>>>& readings) {
        typArrPYs& rec = dict.ToneMaskRecords[Key(ch)];
        for (size_t i = 0; i < readings.size(); i++) {
            rec.readings.Add(readings[i].first);
            rec.ToneMask[i] = MakeToneMask(readings[i].second);
        }
    }
    void Ordered(const char16_t* ch, const std::vector<std::pair<const char*, std::vector<int>>>& readings) {
        typArrPYsDiaoInOrder& rec = dict.ToneOrderRecords[Key(ch)];
        for (size_t i = 0; i < readings.size(); i++) {
            rec.readings.Add(readings[i].first);
            rec.ToneOrder[i] = MakeToneOrder(readings[i].second);
        }
    }

    CDict dict;
};

// ---- The rule table: one case for each step of each row, and its last column ----

const std::vector<Case> kRowCases = {
    // 1-4
    {u"[陶]", 1, "tao", 2},
    {u"子[弹]", 1, "dan", 4},
    {u"空[弹]", 1, "dan", 4},
    {u"[弹]无虚发", 1, "dan", 4},
    {u"[弹]无", 1, "tan", 2},
    {u"[弹]琴", 1, "tan", 2},
    {u"[父]", 1, "fu", 4},
    {u"[个]", 1, "ge", 4},
    // 5 重
    {u"[重]复", 1, "chong", 2},
    {u"[重]擎", 1, "chong", 2},
    {u"[重]来", 1, "chong", 2},
    {u"[重]做", 1, "chong", 2},
    {u"着[重]写", 0, "", 0},
    {u"[重]要", 0, "", 0},
    // 6 还
    {u"每[还]", 1, "huan", 2},
    {u"偿[还]", 1, "huan", 2},
    {u"都不[还]", 1, "huan", 2},
    {u"全不[还]", 1, "huan", 2},
    {u"不醉不[还]", 1, "huan", 2},
    {u"醉不[还]", 0, "", 0},
    {u"[还]钱", 1, "huan", 2},
    {u"[还]3", 1, "huan", 2},
    {u"[还]十", 1, "huan", 2},
    {u"[还]３", 1, "huan", 2},  // a numeral, though in no list
    {u"[还]百", 1, "huan", 2},  // in the number characters, not a numeral
    {u"[还]两", 1, "huan", 2},
    {u"[还]a", 0, "", 0},
    {u"[还]是", 0, "", 0},
    // 7 量: declines leaving liang0
    {u"数[量]", 1, "liang", 4},
    {u"水[量]", 1, "liang", 4},
    {u"增长[量]", 1, "liang", 4},
    {u"增持[量]", 1, "liang", 4},
    {u"偏转[量]", 1, "liang", 4},
    {u"旋转[量]", 1, "liang", 4},
    {u"转[量]", 0, "liang", 0},
    {u"供应[量]", 1, "liang", 4},
    {u"应[量]", 0, "liang", 0},
    {u"[量]不够", 1, "liang", 4},
    {u"[量]极小", 1, "liang", 4},
    {u"[量]很大", 0, "liang", 0},
    {u"商[量]", 0, "liang", 0},
    // 8 行
    {u"[行]行好", 1, "xing", 2},
    {u"一[行]行好", 1, "xing", 2},  // before the counting step
    {u"行[行]好", 1, "xing", 2},   // the same as the last column
    {u"一[行]", 1, "hang", 2},
    {u"每[行]", 1, "hang", 2},
    {u"一[行]人", 1, "xing", 2},
    {u"两[行]房", 1, "xing", 2},
    {u"央[行]", 1, "hang", 2},
    {u"中央[行]", 1, "xing", 2},
    {u"[行]业", 1, "hang", 2},
    {u"[行]情", 1, "hang", 2},
    {u"银[行]", 1, "hang", 2},
    {u"銀[行]", 1, "hang", 2},
    {u"老本[行]", 1, "hang", 2},
    {u"亏老本[行]", 1, "xing", 2},
    {u"排成[行]", 1, "hang", 2},
    {u"排百[行]", 1, "hang", 2},
    {u"百[行]", 1, "xing", 2},
    {u"各[行]其", 1, "hang", 2},
    {u"各[行]各", 1, "hang", 2},
    {u"各[行]路", 1, "xing", 2},
    {u"[行]", 1, "xing", 2},
    // 9 教: declines leaving jiao1
    {u"[教]宗", 1, "jiao", 4},
    {u"[教]育", 1, "jiao", 4},
    {u"[教]唆", 1, "jiao", 4},
    {u"[教]长", 1, "jiao", 4},
    {u"[教]科书", 1, "jiao", 4},
    {u"[教]科", 0, "jiao", 1},
    {u"[教]化", 1, "jiao", 4},
    {u"[教]化学", 0, "jiao", 1},
    {u"[教]民", 1, "jiao", 4},
    {u"[教]民众", 0, "jiao", 1},
    {u"[教]堂", 1, "jiao", 4},
    {u"[教]堂课", 0, "jiao", 1},
    {u"[教]徒", 1, "jiao", 4},
    {u"[教]徒弟", 0, "jiao", 1},
    {u"信[教]", 1, "jiao", 4},
    {u"不信[教]", 0, "jiao", 1},
    {u"斯兰[教]", 1, "jiao", 4},
    {u"兰[教]", 0, "jiao", 1},
    {u"佛[教]", 1, "jiao", 4},
    {u"[教]书", 0, "jiao", 1},
    // 10 藏: declines leaving cang2
    {u"[藏]南", 1, "zang", 4},
    {u"[藏]布江", 1, "zang", 4},
    {u"[藏]布", 0, "cang", 2},
    {u"[藏]文", 1, "zang", 4},
    {u"[藏]獒", 1, "zang", 4},
    {u"[藏]区", 1, "zang", 4},
    {u"躲[藏]民", 0, "cang", 2},
    {u"西[藏]民", 1, "zang", 4},
    // 11 只
    {u"一[只]", 1, "zhi", 1},
    {u"万一[只]", 1, "zhi", 3},
    {u"两[只]", 1, "zhi", 1},
    {u"Ｏ[只]", 1, "zhi", 1},
    {u"[只]", 1, "zhi", 3},
    // 12 散: declines leaving san0
    {u"太[散]", 1, "san", 3},
    {u"[散]仙", 1, "san", 3},
    {u"[散]得很", 1, "san", 3},
    {u"[散]得", 0, "san", 0},
    // 13-15
    {u"[调]侃", 1, "tiao", 2},
    {u"[调]控", 1, "tiao", 2},
    {u"协[调]", 1, "tiao", 2},
    {u"失[调]", 1, "tiao", 2},
    {u"[调]查", 0, "", 0},
    {u"供[应]", 1, "ying", 4},
    {u"[应]该", 0, "", 0},
    {u"[转]一", 1, "zhuan", 4},
    {u"[转]Ｏ", 1, "zhuan", 4},
    {u"旋[转]一", 0, "", 0},
    {u"辗[转]两", 0, "", 0},
    {u"[转]百", 0, "", 0},
    // 16 朝
    {u"[朝]夕", 1, "zhao", 1},
    {u"[朝]阳升", 1, "zhao", 1},
    {u"[朝]阳公", 1, "chao", 2},
    {u"[朝]阳", 0, "", 0},
    // 17-20
    {u"供[给]", 1, "ji", 3},
    {u"补[给]", 1, "ji", 3},
    {u"[给]养", 1, "ji", 3},
    {u"自[给]自足", 1, "ji", 3},
    {u"自[给]", 1, "gei", 3},
    {u"影[片]", 1, "pian", 1},
    {u"巨[片]", 1, "pian", 1},
    {u"[片]酬", 1, "pian", 1},
    {u"幻灯[片]", 1, "pian", 1},
    {u"黑白[片]", 1, "pian", 1},
    {u"灯[片]", 1, "pian", 4},
    {u"[待]会", 1, "dai", 1},
    {u"交[待]会", 1, "dai", 4},
    {u"[待]", 1, "dai", 4},
    {u"茶[几]", 1, "ji", 1},
    {u"[几]乎", 1, "ji", 1},
    {u"[几]", 1, "ji", 3},
    // 21 了
    {u"未[了]", 1, "liao", 3},
    {u"[了]解", 1, "liao", 3},
    {u"[了]断", 1, "liao", 3},
    {u"干得[了]", 1, "liao", 3},
    {u"受不[了]", 1, "liao", 3},
    {u"不[了]", 1, "liao", 3},
    {u"再不[了]", 1, "le", 5},
    {u"也不[了]", 1, "le", 5},
    {u"好[了]", 1, "le", 5},
    // 22 长
    {u"排[长]队", 1, "chang", 2},
    {u"排[长]", 1, "zhang", 3},
    {u"委员[长]", 1, "zhang", 3},
    {u"董事[长]", 1, "zhang", 3},
    {u"参谋[长]", 1, "zhang", 3},
    {u"秘书[长]", 1, "zhang", 3},
    {u"审判[长]", 1, "zhang", 3},
    {u"我们研究所[长]", 1, "zhang", 3},
    {u"究所[长]", 1, "chang", 2},
    {u"厂[长]", 1, "zhang", 3},
    {u"船[长]", 1, "zhang", 3},
    {u"委员[长]期", 1, "chang", 2},
    {u"董事[长]时", 1, "chang", 2},
    {u"校[长]得很", 1, "chang", 2},
    {u"省[长]期", 1, "zhang", 3},  // past the title step, an office unit
    {u"增[长]", 1, "zhang", 3},
    {u"为他[长]脸", 1, "zhang", 3},
    {u"给人[长]脸", 1, "zhang", 3},
    {u"他[长]脸", 1, "chang", 2},
    {u"成[长]过", 1, "zhang", 3},
    {u"家[长]脸", 1, "zhang", 3},
    {u"己[长]脸", 1, "zhang", 3},
    {u"[长]得美", 1, "zhang", 3},
    {u"[长]很骚", 1, "zhang", 3},
    {u"[长]得快", 1, "chang", 2},
    {u"[长]大成", 1, "zhang", 3},
    {u"[长]大后", 1, "zhang", 3},
    {u"我[长]大", 1, "zhang", 3},
    {u"树[长]大", 1, "zhang", 3},
    {u"打[长]大", 1, "zhang", 3},
    {u"[长]大", 1, "chang", 2},
    {u"[长]者", 1, "zhang", 3},
    {u"较[长]者", 1, "chang", 2},
    {u"成[长]为", 1, "zhang", 3},
    {u"部[长]", 1, "zhang", 3},
    {u"官[长]", 1, "zhang", 3},
    {u"很[长]", 1, "chang", 2},
    {u"[长]", 1, "chang", 2},
    // 23-26
    {u"睡[觉]", 1, "jiao", 4},
    {u"睡大[觉]", 1, "jiao", 4},
    {u"睡几[觉]", 1, "jiao", 4},
    {u"大[觉]", 1, "jue", 2},
    {u"感[觉]", 1, "jue", 2},
    {u"[占]卦", 1, "zhan", 1},
    {u"[占]卜", 1, "zhan", 1},
    {u"[占]领", 1, "zhan", 4},
    {u"[恶]心", 1, "e", 3},
    {u"厌[恶]", 1, "wu", 4},
    {u"好[恶]", 1, "wu", 4},
    {u"[恶]", 1, "e", 4},
    {u"[地]", 1, "di", 4},
    // 27 的: declines leaving de0
    {u"目[的]", 1, "di", 4},
    {u"项目[的]", 0, "de", 0},
    {u"无[的]放", 1, "di", 4},
    {u"无[的]", 0, "de", 0},
    {u"箭中[的]", 1, "di", 4},
    {u"[的]确", 1, "di", 2},
    {u"[的]的", 1, "di", 2},
    {u"我[的]", 0, "de", 0},
    // 28 得
    {u"干嘛非[得]", 1, "dei", 3},
    {u"干嘛非[得]快", 1, "dei", 3},
    {u"嘛非[得]快", 1, "de", 2},
    {u"[得]分析", 1, "dei", 3},
    {u"[得]琢磨", 1, "dei", 3},
    {u"[得]研究", 1, "dei", 3},
    {u"[得]适当", 1, "dei", 3},
    {u"能[得]研究", 1, "de", 2},
    {u"[得]忍", 1, "dei", 3},
    {u"跑[得]快", 1, "de", 2},
    {u"就[得]和", 1, "dei", 3},
    {u"就[得]快", 1, "de", 2},
    {u"[得]参", 1, "dei", 3},
    {u"[得]", 1, "de", 2},
    // 29-33
    {u"[仇]", 1, "chou", 2},
    {u"[宁]得很", 1, "ning", 4},
    {u"[宁]得", 0, "", 0},
    {u"[乾]坤", 1, "qian", 2},
    {u"[乾]陵", 1, "qian", 2},
    {u"[乾]隆", 0, "", 0},
    {u"[什]锦", 1, "shi", 2},
    {u"[什]刹", 1, "shi", 2},
    {u"[什]么", 1, "shen", 2},
    {u"[相]册", 1, "xiang", 4},
    {u"[相]信", 0, "", 0},
    // 34-37
    {u"打过[分]", 1, "fen", 1},
    {u"过[分]", 0, "", 0},
    {u"声大[喝]", 1, "he", 4},
    {u"大[喝]", 0, "", 0},
    {u"花旗[参]", 1, "shen", 1},
    {u"西洋[参]", 1, "shen", 1},
    {u"[参]战", 1, "can", 1},
    {u"[参]演", 1, "can", 1},
    {u"[参]加", 0, "", 0},
    {u"惩[处]", 1, "chu", 3},
    {u"杂[处]", 1, "chu", 3},
    {u"设身[处]", 1, "chu", 3},
    {u"[处]理", 1, "chu", 3},
    {u"[处]置", 1, "chu", 3},
    {u"到[处]", 1, "chu", 4},
    // 38-40
    {u"因[为]", 1, "wei", 2},
    {u"作[为]", 1, "wei", 2},
    {u"以[为]啥", 1, "wei", 4},
    {u"人满[为]患", 1, "wei", 2},
    {u"不足[为]据", 1, "wei", 2},
    {u"不足[为]患", 1, "wei", 2},
    {u"足[为]据", 1, "wei", 4},
    {u"首[都]", 1, "du", 1},
    {u"[都]督", 1, "du", 1},
    {u"迁[都]", 1, "du", 1},
    {u"搬迁[都]", 1, "dou", 1},
    {u"[都]市", 1, "du", 1},
    {u"我们[都]", 1, "dou", 1},
    {u"[干]啥", 1, "gan", 4},
    {u"[干]什么", 1, "gan", 4},
    {u"烤[干]啥", 0, "", 0},
    {u"晾[干]什么", 0, "", 0},
    {u"[干]什", 0, "", 0},
    {u"人[干]的", 1, "gan", 4},
    {u"[干]老本行", 1, "gan", 4},
    {u"抽[干]老本行", 0, "", 0},
    {u"[干]净", 0, "", 0},
    // 41-49
    {u"[要]挟", 1, "yao", 1},
    {u"[要]", 1, "yao", 4},
    {u"要[挟]", 1, "xie", 2},
    {u"[挟]", 1, "jia", 1},
    {u"[呢]", 1, "ne", 0},
    {u"你好[呢]？", 1, "ne", 0},
    {u"[台]", 1, "tai", 2},
    {u"[查]", 1, "cha", 2},
    {u"[百]", 1, "bai", 3},
    {u"[兵]", 1, "bing", 1},
    {u"[绝]", 1, "jue", 2},
    {u"[亡]", 1, "wang", 2},
    // 50-53
    {u"当[说]客", 1, "shui", 4},
    {u"派[说]客", 1, "shui", 4},
    {u"[说]客", 1, "shuo", 1},
    {u"当[说]", 1, "shuo", 1},
    {u"学[会]计", 1, "kuai", 4},
    {u"做[会]计", 1, "kuai", 4},
    {u"学[会]计算", 0, "", 0},
    {u"[会]计", 0, "", 0},
    {u"猪[圈]", 1, "juan", 4},
    {u"鸡[圈]起", 0, "", 0},
    {u"[圈]", 0, "", 0},
    {u"[挣]扎", 1, "zheng", 1},
    {u"[挣]钱", 0, "", 0},
    // 54-56
    {u"挣[扎]", 1, "zha", 2},
    {u"[扎]辫", 1, "za", 1},
    {u"[扎]堆", 1, "za", 1},
    {u"一[扎]线", 1, "za", 1},
    {u"[扎]针", 1, "zha", 1},
    {u"少[校]", 1, "xiao", 4},
    {u"[校]正", 1, "jiao", 4},
    {u"[校]验", 1, "jiao", 4},
    {u"学[校]", 1, "xiao", 4},
    {u"计[划]", 1, "hua", 4},
    {u"笔[划]", 1, "hua", 4},
    {u"[划]船", 1, "hua", 2},
    // 57 着
    {u"一[着]", 1, "zhao", 1},
    {u"每[着]", 1, "zhao", 1},
    {u"怎么[着]", 1, "zhao", 1},
    {u"着[着]", 1, "zhao", 1},
    {u"[着]力", 1, "zhao", 1},
    {u"[着]着", 1, "zhao", 1},
    {u"用不[着]", 1, "zhao", 2},
    {u"[着]急", 1, "zhao", 2},
    {u"[着]火", 1, "zhao", 2},
    {u"[着]了", 1, "zhao", 2},
    {u"[着]手", 1, "zhuo", 2},
    {u"看[着]书", 1, "zhe", 0},
    // 58-61
    {u"[少]爷", 1, "shao", 4},
    {u"[少]女", 1, "shao", 4},
    {u"不[少]女", 1, "shao", 3},
    {u"[少]数", 1, "shao", 3},
    {u"[们]", 1, "men", 2},
    {u"高[兴]", 1, "xing", 4},
    {u"雅[兴]", 1, "xing", 4},
    {u"[兴]致", 1, "xing", 4},
    {u"[兴]趣", 1, "xing", 4},
    {u"[兴]冲冲", 1, "xing", 4},
    {u"[兴]冲", 1, "xing", 1},
    {u"[兴]奋冲", 1, "xing", 1},
    {u"[兴]高采烈", 1, "xing", 4},
    {u"[兴]高", 1, "xing", 1},
    {u"狗[种]", 1, "zhong", 3},
    {u"犬[种]", 1, "zhong", 3},
    {u"一[种]", 0, "", 0},
    // 62 差
    {u"没[差]错", 1, "cha", 1},
    {u"小[差]错", 1, "cha", 1},
    {u"忒[差]", 1, "cha", 4},
    {u"真[差]", 1, "cha", 4},
    {u"绩[差]", 1, "cha", 4},
    {u"特[差]别", 0, "", 0},
    {u"[差]得很", 1, "cha", 4},
    {u"[差]得少", 1, "cha", 4},
    {u"[差]得远", 0, "", 0},
    {u"出[差]", 0, "", 0},
    // 63-64
    {u"暑[假]", 1, "jia", 4},
    {u"休[假]", 1, "jia", 4},
    {u"节日[假]", 1, "jia", 4},
    {u"休产[假]", 1, "jia", 4},
    {u"放长[假]", 1, "jia", 4},
    {u"度过[假]", 1, "jia", 4},
    {u"渡过[假]", 1, "jia", 4},
    {u"三天[假]", 1, "jia", 4},
    {u"几周[假]", 1, "jia", 4},
    {u"百年[假]", 1, "jia", 4},
    {u"天[假]", 1, "jia", 3},
    {u"[假]期", 1, "jia", 4},
    {u"[假]日", 1, "jia", 4},
    {u"真[假]", 1, "jia", 3},
    {u"[漂]亮", 1, "piao", 4},
    {u"[漂]流", 1, "piao", 1},
};

// ---- Threads ----

// The speech and the interface threads may ask at once; this test comes
// first so that the first calls of the process race.
TEST_F(ReadingRulesTest, ConcurrentCallsAgree) {
    std::vector<Decision> expected;
    for (const Case& c : kRowCases) expected.push_back({c.result, c.syllable, c.tone});
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; round++)
                for (size_t i = 0; i < kRowCases.size(); i++)
                    if (!(Ask(dict, kRowCases[i].text) == expected[i])) failures[t]++;
        });
    }
    for (std::thread& th : threads) th.join();
    for (int t = 0; t < 4; t++) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

TEST_F(ReadingRulesTest, EveryStepOfEveryRow) { ExpectCases(dict, kRowCases); }

// Only the last three history entries are read, newest first.
TEST_F(ReadingRulesTest, HistoryWindow) {
    ExpectCases(dict, {
                          {u"我们都不醉不[还]", 1, "huan", 2},
                          {u"不醉不我[还]", 0, "", 0},
                          {u"干嘛非很[得]", 1, "de", 2},
                          {u"研究所所[长]", 1, "chang", 2},
                          {u"审判[长]", 1, "zhang", 3},
                          {u"判审[长]", 1, "chang", 2},
                      });
}

// ---- Numerals ----

TEST_F(ReadingRulesTest, NumeralsTakeTheirDigitCharactersReading) {
    ExpectCases(dict, {
                          {u"[壹]", 1, "yi", 1},  // 壹 itself has no readings here
                          {u"[一]", 1, "yi", 1},
                          {u"[叁]", 1, "san", 1},
                          {u"[三]", 1, "san", 1},
                          {u"[３]", 1, "san", 1},
                          {u"[十]", 1, "shi", 2},
                          {u"[拾]", 1, "shi", 2},
                          // Value 0: the digit character Ｏ, stored "lig" with tones 2, 1.
                          {u"[零]", 1, "ling", 2},
                          {u"[Ｏ]", 1, "ling", 2},
                          {u"[０]", 1, "ling", 2},
                          // The digit character has no tone: tone 0, still decided.
                          {u"[伍]", 1, "wu", 0},
                          // The digit character has no readings at all.
                          {u"[玖]", 1, "", 0},
                          // Decided without the fallback, and before any row.
                          {u"[叁]", 1, "san", 1, 1},
                          // 陆 is left to the fallback: its own first reading, not that of 六.
                          {u"[陆]", 1, "lu", 4, 1},
                          {u"[陆]", 0, "", 0, 0},
                      });
}

// ---- Fallback ----

TEST_F(ReadingRulesTest, Fallback) {
    ExpectCases(dict, {
                          // First reading as stored (compact), first tone as stored.
                          {u"[中]", 1, "zhog", 4, 1},
                          {u"[中]", 0, "", 0, 0},
                          // 乾 without 陵 or 坤 passes on to the fallback.
                          {u"[乾]隆", 1, "gan", 1, 1},
                          {u"[乾]隆", 0, "", 0, 0},
                          {u"[乾]坤", 1, "qian", 2, 1},
                          // A reading without a tone declines but keeps the syllable.
                          {u"[甲]", 0, "jia", 0, 1},
                          // Unknown character.
                          {u"[乙]", 0, "", 0, 1},
                          // Rows that decline or decide never reach the fallback.
                          {u"[重]要", 0, "", 0, 1},
                          {u"商[量]", 0, "liang", 0, 1},
                          {u"[呢]", 1, "ne", 0, 1},
                      });
}

TEST_F(ReadingRulesTest, FallbackUsesASyllableAlreadyGiven) {
    const std::string ch = Gbk(u"乾"), next = Gbk(u"隆");
    AStringArray history;
    AString pinyin("qian");
    int tone = 9;
    EXPECT_EQ(ApplyReadingRules(dict, AString(ch.c_str()), history, next.c_str(), nullptr, nullptr, pinyin, tone, 1), 1);
    EXPECT_TRUE(pinyin == "qian");
    EXPECT_EQ(tone, 2);

    // A syllable the character does not have: no tone, declined, syllable kept.
    pinyin = "bei";
    tone = 9;
    EXPECT_EQ(ApplyReadingRules(dict, AString(ch.c_str()), history, next.c_str(), nullptr, nullptr, pinyin, tone, 1), 0);
    EXPECT_TRUE(pinyin == "bei");
    EXPECT_EQ(tone, 0);
}

// ---- Inputs ----

TEST_F(ReadingRulesTest, ShortCharacterLeavesOutputsUntouched) {
    const AString chars[] = {AString(), AString("a"), AString::FromBytes("\xB3\x00", 2)};
    AStringArray history;
    history.Add(Gbk(u"不").c_str());
    for (const AString& ch : chars) {
        AString pinyin("keep");
        int tone = 7;
        EXPECT_EQ(ApplyReadingRules(dict, ch, history, "", nullptr, nullptr, pinyin, tone, 1), 0) << ch.GetLength();
        EXPECT_TRUE(pinyin == "keep");
        EXPECT_EQ(tone, 7);
    }
}

// Null and empty next characters are the same: both match nothing.
TEST_F(ReadingRulesTest, NullAndEmptyNextsAreEqual) {
    struct Row {
        const char16_t* before;
        const char16_t* ch;
        Decision expected;
    };
    const Row rows[] = {
        {u"", u"得", {1, "de", 2}},     // next1 in no list
        {u"就", u"得", {1, "de", 2}},
        {u"", u"还", {0, "", 0}},       // next-is-number is false
        {u"不", u"了", {1, "liao", 3}},
        {u"", u"长", {1, "chang", 2}},
        {u"", u"干", {0, "", 0}},
    };
    for (const Row& r : rows) {
        AStringArray history;
        for (const char16_t* p = r.before; *p; ++p) history.Add(Gbk(p, 1).c_str());
        const std::string ch = Gbk(r.ch);
        for (const char* next : {static_cast<const char*>(nullptr), ""}) {
            AString pinyin;
            int tone = 9;
            int result = ApplyReadingRules(dict, AString(ch.c_str()), history, next, next, next, pinyin, tone, 0);
            EXPECT_EQ((Decision{result, pinyin.GetString(), tone}), r.expected)
                << Utf8(r.before) << "|" << Utf8(r.ch) << (next ? " empty" : " null");
        }
    }
}

// Next-is-number: one ASCII digit byte, or a numeral character.
TEST_F(ReadingRulesTest, NextIsNumber) {
    const std::vector<std::pair<const char*, int>> nexts = {
        {"0", 1}, {"3", 1}, {"9", 1}, {"35", 0}, {"a", 0}, {"/", 0}, {":", 0}, {"", 0},
    };
    const std::string ch = Gbk(u"还");
    AStringArray history;
    for (const auto& [next, expected] : nexts) {
        AString pinyin;
        int tone = 9;
        EXPECT_EQ(ApplyReadingRules(dict, AString(ch.c_str()), history, next, nullptr, nullptr, pinyin, tone, 0), expected)
            << next;
        EXPECT_EQ(tone, expected ? 2 : 0) << next;
    }
    ExpectCases(dict, {{u"[还]十", 1, "huan", 2}, {u"[还]拾", 1, "huan", 2}, {u"[还]０", 1, "huan", 2},
                       {u"[还]陆", 1, "huan", 2}});  // as the next character 陆 counts
}

// History entries that are not one GBK character take part by their bytes.
TEST_F(ReadingRulesTest, OddHistoryEntries) {
    auto ask = [&](std::vector<std::string> entries, const char16_t* ch, const char16_t* next1 = u"") {
        AStringArray history;
        for (const std::string& e : entries) history.Add(AString::FromBytes(e.data(), static_cast<int>(e.size())));
        AString pinyin;
        int tone = 9;
        const std::string c = Gbk(ch), n = Gbk(next1);
        int r = ApplyReadingRules(dict, AString(c.c_str()), history, n.c_str(), nullptr, nullptr, pinyin, tone, 0);
        return Decision{r, pinyin.GetString(), tone};
    };
    // A single byte is not empty, and in no list.
    EXPECT_EQ(ask({"a"}, u"得", u"和"), (Decision{1, "de", 2}));
    EXPECT_EQ(ask({""}, u"得", u"和"), (Decision{1, "dei", 3}));
    EXPECT_EQ(ask({"3"}, u"只"), (Decision{1, "zhi", 3}));
    // In a list by the first character; "is" needs the whole entry.
    EXPECT_EQ(ask({Gbk(u"两个")}, u"只"), (Decision{1, "zhi", 1}));
    EXPECT_EQ(ask({Gbk(u"一个")}, u"只"), (Decision{1, "zhi", 3}));
}

// ---- The list test ----

TEST(InReadingList, ScansCharacterByCharacter) {
    const AString list(Gbk(u"天日周月年").c_str());
    const std::string tian = Gbk(u"天"), ri = Gbk(u"日"), nian = Gbk(u"年");
    struct Row {
        std::string tested;
        bool expected;
    };
    const Row rows[] = {
        {tian, true},
        {nian, true},
        {Gbk(u"时"), false},
        {tian + "x", true},             // the first two bytes count
        {Gbk(u"日子"), true},
        {tian.substr(1) + ri.substr(0, 1), false},  // straddles two list characters
        {"", false},
        {tian.substr(0, 1), false},     // a lead byte alone
        {"ab", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(InReadingList(AString::FromBytes(r.tested.data(), static_cast<int>(r.tested.size())), list), r.expected)
            << r.tested;

    // Single bytes of the list are stepped over one at a time.
    const AString mixed(("x" + tian + "ab" + ri + "c").c_str());
    EXPECT_TRUE(InReadingList(AString(tian.c_str()), mixed));
    EXPECT_TRUE(InReadingList(AString(ri.c_str()), mixed));
    EXPECT_FALSE(InReadingList(AString("ab"), mixed));
    EXPECT_FALSE(InReadingList(AString(("b" + ri.substr(0, 1)).c_str()), mixed));
}

TEST(GetReadingList, DigitsByValueStartWithFullWidthO) {
    const AString& digits = GetReadingList(ReadingList::DigitsByValue);
    ASSERT_EQ(digits.GetLength(), 22);
    EXPECT_EQ(static_cast<unsigned char>(digits[0]), 0xA3);
    EXPECT_EQ(static_cast<unsigned char>(digits[1]), 0xCF);
    EXPECT_EQ(std::string(digits.GetString() + 20, 2), Gbk(u"十"));
}

}  // namespace
