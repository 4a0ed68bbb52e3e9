#include "rules/reading_rules.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/reading_files.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "text/gbk.h"
#include "text/gbk_bytes.h"

namespace {

// ---- Helpers ----

// The GBK bytes of each character of a UTF-8 text.
std::vector<std::string> GbkChars(std::string_view utf8) {
    std::vector<std::string> chars;
    for (const char16_t unit : Utf16(utf8)) chars.push_back(Bytes(GbkFromUtf16(std::u16string_view(&unit, 1))));
    return chars;
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

// The character in brackets of a text like "不醉不[还]钱" asked as the
// speech side asks: every character before it one history entry, the (at most
// three) characters after it as next1..next3, null where the text has ended.
// The outputs start as a fresh empty syllable and a tone of 9.
Decision Ask(const CDictTop& dict, std::string_view text, int allowFallback = 0) {
    const size_t open = text.find('['), close = text.find(']');
    AStringArray history;
    for (const std::string& before : GbkChars(text.substr(0, open))) history.Add(before.c_str());
    const std::string ch = GbkBytes(text.substr(open + 1, close - open - 1));
    const std::vector<std::string> next = GbkChars(text.substr(close + 1));
    const char* nextPtr[3] = {nullptr, nullptr, nullptr};
    for (size_t k = 0; k < 3 && k < next.size(); k++) nextPtr[k] = next[k].c_str();
    AString pinyin;
    int tone = 9;
    int r = ApplyReadingRules(dict, AString(ch.c_str()), history, nextPtr[0], nextPtr[1], nextPtr[2], pinyin, tone,
                              allowFallback);
    return {r, std::string(pinyin.GetString(), static_cast<size_t>(pinyin.GetLength())), tone};
}

struct Case {
    const char* text;  // the character asked about in brackets
    int result;
    const char* syllable;
    int tone;
    int allowFallback = 0;
};

void ExpectCases(const CDictTop& dict, const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(Ask(dict, c.text, c.allowFallback), (Decision{c.result, c.syllable, c.tone}))
            << c.text << " allowFallback " << c.allowFallback;
}

// A small lexicon: readings with tone masks (tones ascending) or tone orders
// (tones as stored). "lig" and "zhog" are the compact spellings of ling and
// zhong.
class ReadingRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ordered("一", {{"yi", {1, 2, 4}}});
        Masked("三", {{"san", {1}}});
        Masked("五", {{"wu", {}}});  // a reading without a tone
        Masked("六", {{"liu", {4}}, {"lu", {4}}});
        Masked("十", {{"shi", {2}}});
        Ordered("Ｏ", {{"lig", {2, 1}}});
        Masked("陆", {{"lu", {4}}, {"liu", {4}}});
        Masked("乾", {{"gan", {1}}, {"qian", {2}}});
        Ordered("中", {{"zhog", {4, 1}}});
        Masked("甲", {{"jia", {}}});
        // Characters with rules: their readings must not matter.
        Masked("重", {{"zhong", {4}}, {"chong", {2}}});
        Masked("呢", {{"ni", {2}}, {"ne", {5}}});
        Masked("量", {{"liang", {2, 4}}});
    }

    void Masked(const char* ch, const std::vector<std::pair<const char*, std::vector<int>>>& readings) {
        typArrPYs& rec = dict.ToneMaskRecords[Key(ch)];
        for (size_t i = 0; i < readings.size(); i++) {
            rec.readings.Add(readings[i].first);
            rec.ToneMask[i] = MakeToneMask(readings[i].second);
        }
    }
    void Ordered(const char* ch, const std::vector<std::pair<const char*, std::vector<int>>>& readings) {
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
    {"[陶]", 1, "tao", 2},
    {"子[弹]", 1, "dan", 4},
    {"空[弹]", 1, "dan", 4},
    {"[弹]无虚发", 1, "dan", 4},
    {"[弹]无", 1, "tan", 2},
    {"[弹]琴", 1, "tan", 2},
    {"[父]", 1, "fu", 4},
    {"[个]", 1, "ge", 4},
    // 5 重
    {"[重]复", 1, "chong", 2},
    {"[重]擎", 1, "chong", 2},
    {"[重]来", 1, "chong", 2},
    {"[重]做", 1, "chong", 2},
    {"着[重]写", 0, "", 0},
    {"[重]要", 0, "", 0},
    // 6 还
    {"每[还]", 1, "huan", 2},
    {"偿[还]", 1, "huan", 2},
    {"都不[还]", 1, "huan", 2},
    {"全不[还]", 1, "huan", 2},
    {"不醉不[还]", 1, "huan", 2},
    {"醉不[还]", 0, "", 0},
    {"[还]钱", 1, "huan", 2},
    {"[还]3", 1, "huan", 2},
    {"[还]十", 1, "huan", 2},
    {"[还]３", 1, "huan", 2},  // a numeral, though in no list
    {"[还]百", 1, "huan", 2},  // in the number characters, not a numeral
    {"[还]两", 1, "huan", 2},
    {"[还]a", 0, "", 0},
    {"[还]是", 0, "", 0},
    // 7 量: declines leaving liang0
    {"数[量]", 1, "liang", 4},
    {"水[量]", 1, "liang", 4},
    {"增长[量]", 1, "liang", 4},
    {"增持[量]", 1, "liang", 4},
    {"偏转[量]", 1, "liang", 4},
    {"旋转[量]", 1, "liang", 4},
    {"转[量]", 0, "liang", 0},
    {"供应[量]", 1, "liang", 4},
    {"应[量]", 0, "liang", 0},
    {"[量]不够", 1, "liang", 4},
    {"[量]极小", 1, "liang", 4},
    {"[量]很大", 0, "liang", 0},
    {"商[量]", 0, "liang", 0},
    // 8 行
    {"[行]行好", 1, "xing", 2},
    {"一[行]行好", 1, "xing", 2},  // before the counting step
    {"行[行]好", 1, "xing", 2},    // the same as the last column
    {"一[行]", 1, "hang", 2},
    {"每[行]", 1, "hang", 2},
    {"一[行]人", 1, "xing", 2},
    {"两[行]房", 1, "xing", 2},
    {"央[行]", 1, "hang", 2},
    {"中央[行]", 1, "xing", 2},
    {"[行]业", 1, "hang", 2},
    {"[行]情", 1, "hang", 2},
    {"银[行]", 1, "hang", 2},
    {"銀[行]", 1, "hang", 2},
    {"老本[行]", 1, "hang", 2},
    {"亏老本[行]", 1, "xing", 2},
    {"排成[行]", 1, "hang", 2},
    {"排百[行]", 1, "hang", 2},
    {"百[行]", 1, "xing", 2},
    {"各[行]其", 1, "hang", 2},
    {"各[行]各", 1, "hang", 2},
    {"各[行]路", 1, "xing", 2},
    {"[行]", 1, "xing", 2},
    // 9 教: declines leaving jiao1
    {"[教]宗", 1, "jiao", 4},
    {"[教]育", 1, "jiao", 4},
    {"[教]唆", 1, "jiao", 4},
    {"[教]长", 1, "jiao", 4},
    {"[教]科书", 1, "jiao", 4},
    {"[教]科", 0, "jiao", 1},
    {"[教]化", 1, "jiao", 4},
    {"[教]化学", 0, "jiao", 1},
    {"[教]民", 1, "jiao", 4},
    {"[教]民众", 0, "jiao", 1},
    {"[教]堂", 1, "jiao", 4},
    {"[教]堂课", 0, "jiao", 1},
    {"[教]徒", 1, "jiao", 4},
    {"[教]徒弟", 0, "jiao", 1},
    {"信[教]", 1, "jiao", 4},
    {"不信[教]", 0, "jiao", 1},
    {"斯兰[教]", 1, "jiao", 4},
    {"兰[教]", 0, "jiao", 1},
    {"佛[教]", 1, "jiao", 4},
    {"[教]书", 0, "jiao", 1},
    // 10 藏: declines leaving cang2
    {"[藏]南", 1, "zang", 4},
    {"[藏]布江", 1, "zang", 4},
    {"[藏]布", 0, "cang", 2},
    {"[藏]文", 1, "zang", 4},
    {"[藏]獒", 1, "zang", 4},
    {"[藏]区", 1, "zang", 4},
    {"躲[藏]民", 0, "cang", 2},
    {"西[藏]民", 1, "zang", 4},
    // 11 只
    {"一[只]", 1, "zhi", 1},
    {"万一[只]", 1, "zhi", 3},
    {"两[只]", 1, "zhi", 1},
    {"Ｏ[只]", 1, "zhi", 1},
    {"[只]", 1, "zhi", 3},
    // 12 散: declines leaving san0
    {"太[散]", 1, "san", 3},
    {"[散]仙", 1, "san", 3},
    {"[散]得很", 1, "san", 3},
    {"[散]得", 0, "san", 0},
    // 13-15
    {"[调]侃", 1, "tiao", 2},
    {"[调]控", 1, "tiao", 2},
    {"协[调]", 1, "tiao", 2},
    {"失[调]", 1, "tiao", 2},
    {"[调]查", 0, "", 0},
    {"供[应]", 1, "ying", 4},
    {"[应]该", 0, "", 0},
    {"[转]一", 1, "zhuan", 4},
    {"[转]Ｏ", 1, "zhuan", 4},
    {"旋[转]一", 0, "", 0},
    {"辗[转]两", 0, "", 0},
    {"[转]百", 0, "", 0},
    // 16 朝
    {"[朝]夕", 1, "zhao", 1},
    {"[朝]阳升", 1, "zhao", 1},
    {"[朝]阳公", 1, "chao", 2},
    {"[朝]阳", 0, "", 0},
    // 17-20
    {"供[给]", 1, "ji", 3},
    {"补[给]", 1, "ji", 3},
    {"[给]养", 1, "ji", 3},
    {"自[给]自足", 1, "ji", 3},
    {"自[给]", 1, "gei", 3},
    {"影[片]", 1, "pian", 1},
    {"巨[片]", 1, "pian", 1},
    {"[片]酬", 1, "pian", 1},
    {"幻灯[片]", 1, "pian", 1},
    {"黑白[片]", 1, "pian", 1},
    {"灯[片]", 1, "pian", 4},
    {"[待]会", 1, "dai", 1},
    {"交[待]会", 1, "dai", 4},
    {"[待]", 1, "dai", 4},
    {"茶[几]", 1, "ji", 1},
    {"[几]乎", 1, "ji", 1},
    {"[几]", 1, "ji", 3},
    // 21 了
    {"未[了]", 1, "liao", 3},
    {"[了]解", 1, "liao", 3},
    {"[了]断", 1, "liao", 3},
    {"干得[了]", 1, "liao", 3},
    {"受不[了]", 1, "liao", 3},
    {"不[了]", 1, "liao", 3},
    {"再不[了]", 1, "le", 5},
    {"也不[了]", 1, "le", 5},
    {"好[了]", 1, "le", 5},
    // 22 长
    {"排[长]队", 1, "chang", 2},
    {"排[长]", 1, "zhang", 3},
    {"委员[长]", 1, "zhang", 3},
    {"董事[长]", 1, "zhang", 3},
    {"参谋[长]", 1, "zhang", 3},
    {"秘书[长]", 1, "zhang", 3},
    {"审判[长]", 1, "zhang", 3},
    {"我们研究所[长]", 1, "zhang", 3},
    {"究所[长]", 1, "chang", 2},
    {"厂[长]", 1, "zhang", 3},
    {"船[长]", 1, "zhang", 3},
    {"委员[长]期", 1, "chang", 2},
    {"董事[长]时", 1, "chang", 2},
    {"校[长]得很", 1, "chang", 2},
    {"省[长]期", 1, "zhang", 3},  // past the title step, an office unit
    {"增[长]", 1, "zhang", 3},
    {"为他[长]脸", 1, "zhang", 3},
    {"给人[长]脸", 1, "zhang", 3},
    {"他[长]脸", 1, "chang", 2},
    {"成[长]过", 1, "zhang", 3},
    {"家[长]脸", 1, "zhang", 3},
    {"己[长]脸", 1, "zhang", 3},
    {"[长]得美", 1, "zhang", 3},
    {"[长]很骚", 1, "zhang", 3},
    {"[长]得快", 1, "chang", 2},
    {"[长]大成", 1, "zhang", 3},
    {"[长]大后", 1, "zhang", 3},
    {"我[长]大", 1, "zhang", 3},
    {"树[长]大", 1, "zhang", 3},
    {"打[长]大", 1, "zhang", 3},
    {"[长]大", 1, "chang", 2},
    {"[长]者", 1, "zhang", 3},
    {"较[长]者", 1, "chang", 2},
    {"成[长]为", 1, "zhang", 3},
    {"部[长]", 1, "zhang", 3},
    {"官[长]", 1, "zhang", 3},
    {"很[长]", 1, "chang", 2},
    {"[长]", 1, "chang", 2},
    // 23-26
    {"睡[觉]", 1, "jiao", 4},
    {"睡大[觉]", 1, "jiao", 4},
    {"睡几[觉]", 1, "jiao", 4},
    {"大[觉]", 1, "jue", 2},
    {"感[觉]", 1, "jue", 2},
    {"[占]卦", 1, "zhan", 1},
    {"[占]卜", 1, "zhan", 1},
    {"[占]领", 1, "zhan", 4},
    {"[恶]心", 1, "e", 3},
    {"厌[恶]", 1, "wu", 4},
    {"好[恶]", 1, "wu", 4},
    {"[恶]", 1, "e", 4},
    {"[地]", 1, "di", 4},
    // 27 的: declines leaving de0
    {"目[的]", 1, "di", 4},
    {"项目[的]", 0, "de", 0},
    {"无[的]放", 1, "di", 4},
    {"无[的]", 0, "de", 0},
    {"箭中[的]", 1, "di", 4},
    {"[的]确", 1, "di", 2},
    {"[的]的", 1, "di", 2},
    {"我[的]", 0, "de", 0},
    // 28 得
    {"干嘛非[得]", 1, "dei", 3},
    {"干嘛非[得]快", 1, "dei", 3},
    {"嘛非[得]快", 1, "de", 2},
    {"[得]分析", 1, "dei", 3},
    {"[得]琢磨", 1, "dei", 3},
    {"[得]研究", 1, "dei", 3},
    {"[得]适当", 1, "dei", 3},
    {"能[得]研究", 1, "de", 2},
    {"[得]忍", 1, "dei", 3},
    {"跑[得]快", 1, "de", 2},
    {"就[得]和", 1, "dei", 3},
    {"就[得]快", 1, "de", 2},
    {"[得]参", 1, "dei", 3},
    {"[得]", 1, "de", 2},
    // 29-33
    {"[仇]", 1, "chou", 2},
    {"[宁]得很", 1, "ning", 4},
    {"[宁]得", 0, "", 0},
    {"[乾]坤", 1, "qian", 2},
    {"[乾]陵", 1, "qian", 2},
    {"[乾]隆", 0, "", 0},
    {"[什]锦", 1, "shi", 2},
    {"[什]刹", 1, "shi", 2},
    {"[什]么", 1, "shen", 2},
    {"[相]册", 1, "xiang", 4},
    {"[相]信", 0, "", 0},
    // 34-37
    {"打过[分]", 1, "fen", 1},
    {"过[分]", 0, "", 0},
    {"声大[喝]", 1, "he", 4},
    {"大[喝]", 0, "", 0},
    {"花旗[参]", 1, "shen", 1},
    {"西洋[参]", 1, "shen", 1},
    {"[参]战", 1, "can", 1},
    {"[参]演", 1, "can", 1},
    {"[参]加", 0, "", 0},
    {"惩[处]", 1, "chu", 3},
    {"杂[处]", 1, "chu", 3},
    {"设身[处]", 1, "chu", 3},
    {"[处]理", 1, "chu", 3},
    {"[处]置", 1, "chu", 3},
    {"到[处]", 1, "chu", 4},
    // 38-40
    {"因[为]", 1, "wei", 2},
    {"作[为]", 1, "wei", 2},
    {"以[为]啥", 1, "wei", 4},
    {"人满[为]患", 1, "wei", 2},
    {"不足[为]据", 1, "wei", 2},
    {"不足[为]患", 1, "wei", 2},
    {"足[为]据", 1, "wei", 4},
    {"首[都]", 1, "du", 1},
    {"[都]督", 1, "du", 1},
    {"迁[都]", 1, "du", 1},
    {"搬迁[都]", 1, "dou", 1},
    {"[都]市", 1, "du", 1},
    {"我们[都]", 1, "dou", 1},
    {"[干]啥", 1, "gan", 4},
    {"[干]什么", 1, "gan", 4},
    {"烤[干]啥", 0, "", 0},
    {"晾[干]什么", 0, "", 0},
    {"[干]什", 0, "", 0},
    {"人[干]的", 1, "gan", 4},
    {"[干]老本行", 1, "gan", 4},
    {"抽[干]老本行", 0, "", 0},
    {"[干]净", 0, "", 0},
    // 41-49
    {"[要]挟", 1, "yao", 1},
    {"[要]", 1, "yao", 4},
    {"要[挟]", 1, "xie", 2},
    {"[挟]", 1, "jia", 1},
    {"[呢]", 1, "ne", 0},
    {"你好[呢]？", 1, "ne", 0},
    {"[台]", 1, "tai", 2},
    {"[查]", 1, "cha", 2},
    {"[百]", 1, "bai", 3},
    {"[兵]", 1, "bing", 1},
    {"[绝]", 1, "jue", 2},
    {"[亡]", 1, "wang", 2},
    // 50-53
    {"当[说]客", 1, "shui", 4},
    {"派[说]客", 1, "shui", 4},
    {"[说]客", 1, "shuo", 1},
    {"当[说]", 1, "shuo", 1},
    {"学[会]计", 1, "kuai", 4},
    {"做[会]计", 1, "kuai", 4},
    {"学[会]计算", 0, "", 0},
    {"[会]计", 0, "", 0},
    {"猪[圈]", 1, "juan", 4},
    {"鸡[圈]起", 0, "", 0},
    {"[圈]", 0, "", 0},
    {"[挣]扎", 1, "zheng", 1},
    {"[挣]钱", 0, "", 0},
    // 54-56
    {"挣[扎]", 1, "zha", 2},
    {"[扎]辫", 1, "za", 1},
    {"[扎]堆", 1, "za", 1},
    {"一[扎]线", 1, "za", 1},
    {"[扎]针", 1, "zha", 1},
    {"少[校]", 1, "xiao", 4},
    {"[校]正", 1, "jiao", 4},
    {"[校]验", 1, "jiao", 4},
    {"学[校]", 1, "xiao", 4},
    {"计[划]", 1, "hua", 4},
    {"笔[划]", 1, "hua", 4},
    {"[划]船", 1, "hua", 2},
    // 57 着
    {"一[着]", 1, "zhao", 1},
    {"每[着]", 1, "zhao", 1},
    {"怎么[着]", 1, "zhao", 1},
    {"着[着]", 1, "zhao", 1},
    {"[着]力", 1, "zhao", 1},
    {"[着]着", 1, "zhao", 1},
    {"用不[着]", 1, "zhao", 2},
    {"[着]急", 1, "zhao", 2},
    {"[着]火", 1, "zhao", 2},
    {"[着]了", 1, "zhao", 2},
    {"[着]手", 1, "zhuo", 2},
    {"看[着]书", 1, "zhe", 0},
    // 58-61
    {"[少]爷", 1, "shao", 4},
    {"[少]女", 1, "shao", 4},
    {"不[少]女", 1, "shao", 3},
    {"[少]数", 1, "shao", 3},
    {"[们]", 1, "men", 2},
    {"高[兴]", 1, "xing", 4},
    {"雅[兴]", 1, "xing", 4},
    {"[兴]致", 1, "xing", 4},
    {"[兴]趣", 1, "xing", 4},
    {"[兴]冲冲", 1, "xing", 4},
    {"[兴]冲", 1, "xing", 1},
    {"[兴]奋冲", 1, "xing", 1},
    {"[兴]高采烈", 1, "xing", 4},
    {"[兴]高", 1, "xing", 1},
    {"狗[种]", 1, "zhong", 3},
    {"犬[种]", 1, "zhong", 3},
    {"一[种]", 0, "", 0},
    // 62 差
    {"没[差]错", 1, "cha", 1},
    {"小[差]错", 1, "cha", 1},
    {"忒[差]", 1, "cha", 4},
    {"真[差]", 1, "cha", 4},
    {"绩[差]", 1, "cha", 4},
    {"特[差]别", 0, "", 0},
    {"[差]得很", 1, "cha", 4},
    {"[差]得少", 1, "cha", 4},
    {"[差]得远", 0, "", 0},
    {"出[差]", 0, "", 0},
    // 63-64
    {"暑[假]", 1, "jia", 4},
    {"休[假]", 1, "jia", 4},
    {"节日[假]", 1, "jia", 4},
    {"休产[假]", 1, "jia", 4},
    {"放长[假]", 1, "jia", 4},
    {"度过[假]", 1, "jia", 4},
    {"渡过[假]", 1, "jia", 4},
    {"三天[假]", 1, "jia", 4},
    {"几周[假]", 1, "jia", 4},
    {"百年[假]", 1, "jia", 4},
    {"天[假]", 1, "jia", 3},
    {"[假]期", 1, "jia", 4},
    {"[假]日", 1, "jia", 4},
    {"真[假]", 1, "jia", 3},
    {"[漂]亮", 1, "piao", 4},
    {"[漂]流", 1, "piao", 1},
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
                          {"我们都不醉不[还]", 1, "huan", 2},
                          {"不醉不我[还]", 0, "", 0},
                          {"干嘛非很[得]", 1, "de", 2},
                          {"研究所所[长]", 1, "chang", 2},
                          {"审判[长]", 1, "zhang", 3},
                          {"判审[长]", 1, "chang", 2},
                      });
}

// ---- Numerals ----

TEST_F(ReadingRulesTest, NumeralsTakeTheirDigitCharactersReading) {
    ExpectCases(dict, {
                          {"[壹]", 1, "yi", 1},  // 壹 itself has no readings here
                          {"[一]", 1, "yi", 1},
                          {"[叁]", 1, "san", 1},
                          {"[三]", 1, "san", 1},
                          {"[３]", 1, "san", 1},
                          {"[十]", 1, "shi", 2},
                          {"[拾]", 1, "shi", 2},
                          // Value 0: the digit character Ｏ, stored "lig" with tones 2, 1.
                          {"[零]", 1, "ling", 2},
                          {"[Ｏ]", 1, "ling", 2},
                          {"[０]", 1, "ling", 2},
                          // The digit character has no tone: tone 0, still decided.
                          {"[伍]", 1, "wu", 0},
                          // The digit character has no readings at all.
                          {"[玖]", 1, "", 0},
                          // Decided without the fallback, and before any row.
                          {"[叁]", 1, "san", 1, 1},
                          // 陆 is left to the fallback: its own first reading, not that of 六.
                          {"[陆]", 1, "lu", 4, 1},
                          {"[陆]", 0, "", 0, 0},
                      });
}

// ---- Fallback ----

TEST_F(ReadingRulesTest, Fallback) {
    ExpectCases(dict, {
                          // First reading as stored (compact), first tone as stored.
                          {"[中]", 1, "zhog", 4, 1},
                          {"[中]", 0, "", 0, 0},
                          // 乾 without 陵 or 坤 passes on to the fallback.
                          {"[乾]隆", 1, "gan", 1, 1},
                          {"[乾]隆", 0, "", 0, 0},
                          {"[乾]坤", 1, "qian", 2, 1},
                          // A reading without a tone declines but keeps the syllable.
                          {"[甲]", 0, "jia", 0, 1},
                          // Unknown character.
                          {"[乙]", 0, "", 0, 1},
                          // Rows that decline or decide never reach the fallback.
                          {"[重]要", 0, "", 0, 1},
                          {"商[量]", 0, "liang", 0, 1},
                          {"[呢]", 1, "ne", 0, 1},
                      });
}

TEST_F(ReadingRulesTest, FallbackUsesASyllableAlreadyGiven) {
    const std::string ch = GbkBytes("乾"), next = GbkBytes("隆");
    AStringArray history;
    AString pinyin("qian");
    int tone = 9;
    EXPECT_EQ(ApplyReadingRules(dict, AString(ch.c_str()), history, next.c_str(), nullptr, nullptr, pinyin, tone, 1),
              1);
    EXPECT_TRUE(pinyin == "qian");
    EXPECT_EQ(tone, 2);

    // A syllable the character does not have: no tone, declined, syllable kept.
    pinyin = "bei";
    tone = 9;
    EXPECT_EQ(ApplyReadingRules(dict, AString(ch.c_str()), history, next.c_str(), nullptr, nullptr, pinyin, tone, 1),
              0);
    EXPECT_TRUE(pinyin == "bei");
    EXPECT_EQ(tone, 0);
}

// ---- Inputs ----

TEST_F(ReadingRulesTest, ShortCharacterLeavesOutputsUntouched) {
    const AString chars[] = {AString(), AString("a"), AString::FromBytes("\xB3\x00", 2)};
    AStringArray history;
    history.Add(GbkBytes("不").c_str());
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
        const char* before;
        const char* ch;
        Decision expected;
    };
    const Row rows[] = {
        {"", "得", {1, "de", 2}},                              // next1 in no list
        {"就", "得", {1, "de", 2}},   {"", "还", {0, "", 0}},  // next-is-number is false
        {"不", "了", {1, "liao", 3}}, {"", "长", {1, "chang", 2}}, {"", "干", {0, "", 0}},
    };
    for (const Row& r : rows) {
        AStringArray history;
        for (const std::string& before : GbkChars(r.before)) history.Add(before.c_str());
        const std::string ch = GbkBytes(r.ch);
        for (const char* next : {static_cast<const char*>(nullptr), ""}) {
            AString pinyin;
            int tone = 9;
            int result = ApplyReadingRules(dict, AString(ch.c_str()), history, next, next, next, pinyin, tone, 0);
            EXPECT_EQ((Decision{result, pinyin.GetString(), tone}), r.expected)
                << r.before << "|" << r.ch << (next ? " empty" : " null");
        }
    }
}

// Next-is-number: one ASCII digit byte, or a numeral character.
TEST_F(ReadingRulesTest, NextIsNumber) {
    const std::vector<std::pair<const char*, int>> nexts = {
        {"0", 1}, {"3", 1}, {"9", 1}, {"35", 0}, {"a", 0}, {"/", 0}, {":", 0}, {"", 0},
    };
    const std::string ch = GbkBytes("还");
    AStringArray history;
    for (const auto& [next, expected] : nexts) {
        AString pinyin;
        int tone = 9;
        EXPECT_EQ(ApplyReadingRules(dict, AString(ch.c_str()), history, next, nullptr, nullptr, pinyin, tone, 0),
                  expected)
            << next;
        EXPECT_EQ(tone, expected ? 2 : 0) << next;
    }
    ExpectCases(dict, {{"[还]十", 1, "huan", 2},
                       {"[还]拾", 1, "huan", 2},
                       {"[还]０", 1, "huan", 2},
                       {"[还]陆", 1, "huan", 2}});  // as the next character 陆 counts
}

// History entries that are not one GBK character take part by their bytes.
TEST_F(ReadingRulesTest, OddHistoryEntries) {
    auto ask = [&](std::vector<std::string> entries, const char* ch, const char* next1 = "") {
        AStringArray history;
        for (const std::string& e : entries) history.Add(AString::FromBytes(e.data(), static_cast<int>(e.size())));
        AString pinyin;
        int tone = 9;
        const std::string c = GbkBytes(ch), n = GbkBytes(next1);
        int r = ApplyReadingRules(dict, AString(c.c_str()), history, n.c_str(), nullptr, nullptr, pinyin, tone, 0);
        return Decision{r, pinyin.GetString(), tone};
    };
    // A single byte is not empty, and in no list.
    EXPECT_EQ(ask({"a"}, "得", "和"), (Decision{1, "de", 2}));
    EXPECT_EQ(ask({""}, "得", "和"), (Decision{1, "dei", 3}));
    EXPECT_EQ(ask({"3"}, "只"), (Decision{1, "zhi", 3}));
    // In a list by the first character; "is" needs the whole entry.
    EXPECT_EQ(ask({GbkBytes("两个")}, "只"), (Decision{1, "zhi", 1}));
    EXPECT_EQ(ask({GbkBytes("一个")}, "只"), (Decision{1, "zhi", 3}));
}

// ---- The list test ----

TEST(InReadingList, ScansCharacterByCharacter) {
    const AString list(GbkBytes("天日周月年").c_str());
    const std::string tian = GbkBytes("天"), ri = GbkBytes("日"), nian = GbkBytes("年");
    struct Row {
        std::string tested;
        bool expected;
    };
    const Row rows[] = {
        {tian, true},
        {nian, true},
        {GbkBytes("时"), false},
        {tian + "x", true},  // the first two bytes count
        {GbkBytes("日子"), true},
        {tian.substr(1) + ri.substr(0, 1), false},  // straddles two list characters
        {"", false},
        {tian.substr(0, 1), false},  // a lead byte alone
        {"ab", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(InReadingList(AString::FromBytes(r.tested.data(), static_cast<int>(r.tested.size())), list),
                  r.expected)
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
    EXPECT_EQ(std::string(digits.GetString() + 20, 2), GbkBytes("十"));
}

}  // namespace
