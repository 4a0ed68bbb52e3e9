#include "rules/reading_rules.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>

#include "lexicon/syllable.h"
#include "rules/pinyin_spelling.h"
#include "text/gbk.h"

namespace {

// ---- Shared character lists ----

constexpr const char* kReadingListsUtf8[kReadingListCount] = {
    "不很真太忒特极",                                // DegreeWords
    "天日周月年",                                    // TimeUnits
    "一二三四五六七八九零Ｏ十每两",                  // Counting
    "二三四五六七八九零Ｏ十每两",                    // CountingWithoutOne
    "一二三四五六七八九零Ｏ十百千万亿几两",          // Numbers
    "Ｏ一二三四五六七八九十",                        // DigitsByValue
    "丑美俊靓帅漂健肥胖瘦大小高低矮壮弱骚",          // Appearance
    "我咱俺你您他她谁人",                            // Persons
    "部厅局县市省军师旅团营连排班首快慢官",          // OfficeUnits
    "人儿女甥侄树孙子猫狗狼狸鸡鱼鸟雀鹰菌胞从自打",  // GrowingSubjects
};

// ---- Tests of the rule table ----

// s equals one of the space-separated choices (characters, or pairs and
// triples of them).
bool Is(const AString& s, const AString& choices) {
    const char* p = choices.GetString();
    const char* const end = p + choices.GetLength();
    const int n = s.GetLength();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != ' ') ++q;
        if (n > 0 && q - p == n && std::memcmp(p, s.GetString(), static_cast<std::size_t>(n)) == 0) return true;
        p = q + 1;
    }
    return false;
}

bool In(const AString& s, const AString& list) { return InReadingList(s, list); }
bool In(const AString& s, ReadingList list) { return InReadingList(s, GetReadingList(list)); }

struct ReadingContext {
    AString prev1, prev2, prev3;  // last, second-last, third-last of the history
    AString next1, next2, next3;
    AString nextPair;           // next1 next2
    AString nextTriple;         // next1 next2 next3
    bool nextIsNumber = false;  // next1 is an ASCII digit or a numeral character
};

ReadingContext MakeContext(const AStringArray& history, const char* next1, const char* next2, const char* next3) {
    ReadingContext c;
    const int n = history.GetSize();
    if (n >= 1) c.prev1 = history[n - 1];
    if (n >= 2) c.prev2 = history[n - 2];
    if (n >= 3) c.prev3 = history[n - 3];
    c.next1 = next1 ? next1 : "";
    c.next2 = next2 ? next2 : "";
    c.next3 = next3 ? next3 : "";
    c.nextPair = c.next1 + c.next2;
    c.nextTriple = c.nextPair + c.next3;
    const AString& n1 = c.next1;
    c.nextIsNumber = (n1.GetLength() == 1 && n1[0] >= '0' && n1[0] <= '9') ||
                     (n1.GetLength() >= 2 && NumeralValue(CharKeyAt(n1)) != 0);
    return c;
}

// What a row's steps, or its last column, give.
struct Outcome {
    enum Kind : unsigned char { NoMatch, Reading, Decline, PassOn };
    Kind kind = NoMatch;
    const char* syllable = nullptr;
    int tone = 0;
};
constexpr Outcome Read(const char* syllable, int tone) { return {Outcome::Reading, syllable, tone}; }
constexpr Outcome kDecline{Outcome::Decline};
constexpr Outcome kPassOn{Outcome::PassOn};  // on to the later rows and the fallback
constexpr Outcome kNoMatch{};                // no step matched: the row's last column

using RowSteps = Outcome (*)(const ReadingContext&);

// Written into the outputs before a row's steps are tested.
struct FirstWrite {
    const char* syllable = nullptr;  // nullptr: nothing written
    int tone = -1;                   // < 0: tone not written
};

struct ReadingRow {
    const char* ch;  // UTF-8
    FirstWrite first;
    RowSteps steps;  // nullptr: none
    Outcome otherwise;
};

// ---- The rows with their own step lists ----

Outcome ZhangSteps(const ReadingContext& c) {
    // 1
    if (Is(c.prev1, "排"_gbk) && Is(c.next1, "队"_gbk)) return Read("chang", 2);
    // 2: a title, unless a time or degree follows.
    const bool title =
        (Is(c.prev2, "委"_gbk) && Is(c.prev1, "员"_gbk)) || (Is(c.prev2, "董"_gbk) && Is(c.prev1, "事"_gbk)) ||
        (Is(c.prev2, "参"_gbk) && Is(c.prev1, "谋"_gbk)) || (Is(c.prev2, "秘"_gbk) && Is(c.prev1, "书"_gbk)) ||
        (Is(c.prev2, "审"_gbk) && Is(c.prev1, "判"_gbk)) ||
        (Is(c.prev3, "研"_gbk) && Is(c.prev2, "究"_gbk) && Is(c.prev1, "所"_gbk)) || In(c.prev1, "厂场校司船处省"_gbk);
    if (title && !(Is(c.next1, "期 时"_gbk) || Is(c.nextPair, "得很"_gbk))) return Read("zhang", 3);
    // 3
    if (Is(c.prev1, "增"_gbk)) return Read("zhang", 3);
    // 4
    if (Is(c.prev2, "为 给"_gbk) && In(c.prev1, ReadingList::Persons) && Is(c.next1, "脸"_gbk)) return Read("zhang", 3);
    // 5
    if (Is(c.prev1, "成"_gbk) && Is(c.next1, "过"_gbk)) return Read("zhang", 3);
    // 6
    if (Is(c.prev1, "家 们 己"_gbk) && Is(c.next1, "脸"_gbk)) return Read("zhang", 3);
    // 7
    if (Is(c.next1, "得 很"_gbk) && In(c.next2, ReadingList::Appearance)) return Read("zhang", 3);
    // 8
    if (Is(c.next1, "大"_gbk) &&
        (Is(c.next2, "成 后 前"_gbk) || In(c.prev1, ReadingList::Persons) || In(c.prev1, ReadingList::GrowingSubjects)))
        return Read("zhang", 3);
    // 9
    if (Is(c.next1, "者"_gbk) && !Is(c.prev1, "较"_gbk)) return Read("zhang", 3);
    // 10
    if (Is(c.prev1, "成"_gbk) && Is(c.next1, "为"_gbk)) return Read("zhang", 3);
    // 11
    if (In(c.prev1, ReadingList::OfficeUnits)) return Read("zhang", 3);
    // 12: the row's last column, chang2
    return kNoMatch;
}

Outcome DeSteps(const ReadingContext& c) {
    // 1
    if (Is(c.prev3, "干"_gbk) && Is(c.prev2, "嘛"_gbk) && Is(c.prev1, "非"_gbk)) return Read("dei", 3);
    // 2
    if (Is(c.nextPair, "分析 琢磨"_gbk)) return Read("dei", 3);
    // 3
    if (!In(c.prev1, "不获取争夺能"_gbk) && Is(c.nextPair, "研究 继续 不断 仔细 适合 适当"_gbk)) return Read("dei", 3);
    // 4
    if (Is(c.next1, "忍"_gbk)) return Read("dei", 3);
    // 5
    if (!c.prev1.IsEmpty() && !In(c.prev1, "还也就非必更却不都"_gbk)) return Read("de", 2);
    // 6
    if (!In(c.next1, "和同于与会把将讲还参"_gbk)) return Read("de", 2);
    // 7
    return Read("dei", 3);
}

// ---- The rule table, in order: the first row of the character applies ----

using C = ReadingContext;

constexpr ReadingRow kReadingRows[] = {
    /* 1 */ {"陶", {}, nullptr, Read("tao", 2)},
    /* 2 */ {"弹", {},
             [](const C& c) {
                 if (Is(c.prev1, "子 炮 枪 臭 脏 实 装 中 炸 彩 拆 甲 防 流 榴 导 核 泪 爆 假 哑 空"_gbk))
                     return Read("dan", 4);
                 if (Is(c.next1, "无"_gbk) && Is(c.next2, "虚"_gbk)) return Read("dan", 4);
                 return kNoMatch;
             },
             Read("tan", 2)},
    /* 3 */ {"父", {}, nullptr, Read("fu", 4)},
    /* 4 */ {"个", {}, nullptr, Read("ge", 4)},
    /* 5 */ {"重", {},
             [](const C& c) {
                 if (Is(c.next1, "复 複 归 新 擎"_gbk)) return Read("chong", 2);
                 if (!Is(c.prev1, "着"_gbk) && Is(c.next1, "写 来 做"_gbk)) return Read("chong", 2);
                 return kNoMatch;
             },
             kDecline},
    /* 6 */ {"还", {},
             [](const C& c) {
                 if (Is(c.prev1, "每 偿"_gbk)) return Read("huan", 2);
                 if (Is(c.prev2, "都 全"_gbk) && Is(c.prev1, "不"_gbk)) return Read("huan", 2);
                 if (Is(c.prev3, "不"_gbk) && Is(c.prev2, "醉"_gbk) && Is(c.prev1, "不"_gbk)) return Read("huan", 2);
                 if (Is(c.next1, "钱"_gbk)) return Read("huan", 2);
                 if (c.nextIsNumber) return Read("huan", 2);
                 if (In(c.next1, ReadingList::Numbers)) return Read("huan", 2);
                 return kNoMatch;
             },
             kDecline},
    /* 7 */ {"量", {"liang", 0},
             [](const C& c) {
                 if (Is(c.prev1, "数 力 增 存 加 减 用 发 移 水"_gbk)) return Read("liang", 4);
                 if (Is(c.prev2, "增"_gbk) && Is(c.prev1, "长 持"_gbk)) return Read("liang", 4);
                 if (Is(c.prev1, "转"_gbk) && Is(c.prev2, "偏 旋"_gbk)) return Read("liang", 4);
                 if (Is(c.prev2, "供"_gbk) && Is(c.prev1, "应"_gbk)) return Read("liang", 4);
                 if (In(c.next1, ReadingList::DegreeWords) && Is(c.next2, "小 多 足 够"_gbk)) return Read("liang", 4);
                 return kNoMatch;
             },
             kDecline},
    /* 8 */ {"行", {"xing"},
             [](const C& c) {
                 if (Is(c.next1, "行"_gbk) && Is(c.next2, "好"_gbk)) return Read("xing", 2);
                 if (Is(c.prev1, "行"_gbk) && Is(c.next1, "好"_gbk)) return Read("xing", 2);
                 if (!Is(c.next1, "房 使 事 人"_gbk) &&
                     (In(c.prev1, ReadingList::Counting) || (Is(c.prev1, "央"_gbk) && !Is(c.prev2, "中"_gbk))))
                     return Read("hang", 2);
                 if (Is(c.next1, "业"_gbk)) return Read("hang", 2);
                 if (Is(c.next1, "情"_gbk)) return Read("hang", 2);
                 if (Is(c.prev1, "银 銀"_gbk)) return Read("hang", 2);
                 if (Is(c.prev2, "老"_gbk) && Is(c.prev1, "本"_gbk) && !In(c.prev3, "亏损砸用投"_gbk))
                     return Read("hang", 2);
                 if (Is(c.prev2, "排"_gbk) && (Is(c.prev1, "成"_gbk) || In(c.prev1, ReadingList::Numbers)))
                     return Read("hang", 2);
                 if (Is(c.prev1, "各"_gbk) && Is(c.next1, "各 其"_gbk)) return Read("hang", 2);
                 return kNoMatch;
             },
             Read("xing", 2)},
    /* 9 */ {"教", {"jiao", 1},
             [](const C& c) {
                 if (Is(c.next1, "宗 案 主 鞭 程 材 刑 席 职 泽 学 育 杖 导 诲 范 坊 父 母 改 工 官 规 皇 具 练 龄 "
                                 "令 门 派 师 士 室 授 唆 坛 条 廷 头 务 训 言 研 养 义 益 谕 员 长"_gbk))
                     return Read("jiao", 4);
                 if (Is(c.next1, "科"_gbk) && Is(c.next2, "书"_gbk)) return Read("jiao", 4);
                 if (Is(c.next1, "化"_gbk) && !Is(c.next2, "学"_gbk)) return Read("jiao", 4);
                 if (Is(c.next1, "民"_gbk) && !Is(c.next2, "众"_gbk)) return Read("jiao", 4);
                 if (Is(c.next1, "堂"_gbk) && !Is(c.next2, "课"_gbk)) return Read("jiao", 4);
                 if (Is(c.next1, "徒"_gbk) && !Is(c.next2, "弟"_gbk)) return Read("jiao", 4);
                 if (Is(c.prev1, "信"_gbk) && !Is(c.prev2, "不"_gbk)) return Read("jiao", 4);
                 if (Is(c.prev2, "斯"_gbk) && Is(c.prev1, "兰"_gbk)) return Read("jiao", 4);
                 if (Is(c.prev1, "佛"_gbk)) return Read("jiao", 4);
                 return kNoMatch;
             },
             kDecline},
    /* 10 */ {"藏", {"cang", 2},
              [](const C& c) {
                  if (Is(c.next1, "南"_gbk)) return Read("zang", 4);
                  if (Is(c.next1, "布"_gbk) && Is(c.next2, "江"_gbk)) return Read("zang", 4);
                  if (Is(c.next1, "文 语 獒"_gbk)) return Read("zang", 4);
                  if (!Is(c.prev1, "躲"_gbk) && Is(c.next1, "区 民"_gbk)) return Read("zang", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 11 */ {"只", {},
              [](const C& c) {
                  if (Is(c.prev1, "一"_gbk) && !Is(c.prev2, "万"_gbk)) return Read("zhi", 1);
                  if (In(c.prev1, ReadingList::CountingWithoutOne)) return Read("zhi", 1);
                  return kNoMatch;
              },
              Read("zhi", 3)},
    /* 12 */ {"散", {"san"},
              [](const C& c) {
                  if (Is(c.prev1, "太"_gbk)) return Read("san", 3);
                  if (Is(c.next1, "仙"_gbk)) return Read("san", 3);
                  if (Is(c.next1, "得"_gbk) && Is(c.next2, "很"_gbk)) return Read("san", 3);
                  return kNoMatch;
              },
              kDecline},
    /* 13 */ {"调", {},
              [](const C& c) {
                  if (Is(c.next1, "侃 控"_gbk)) return Read("tiao", 2);
                  if (Is(c.prev1, "协 失"_gbk)) return Read("tiao", 2);
                  return kNoMatch;
              },
              kDecline},
    /* 14 */ {"应", {},
              [](const C& c) {
                  if (Is(c.prev1, "供"_gbk)) return Read("ying", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 15 */ {"转", {},
              [](const C& c) {
                  if (!Is(c.prev1, "旋 辗"_gbk) && In(c.next1, ReadingList::Counting)) return Read("zhuan", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 16 */ {"朝", {},
              [](const C& c) {
                  if (Is(c.next1, "夕"_gbk)) return Read("zhao", 1);
                  if (Is(c.nextPair, "阳升"_gbk)) return Read("zhao", 1);
                  if (Is(c.nextPair, "阳公"_gbk)) return Read("chao", 2);
                  return kNoMatch;
              },
              kDecline},
    /* 17 */ {"给", {},
              [](const C& c) {
                  if (Is(c.prev1, "供 补"_gbk)) return Read("ji", 3);
                  if (Is(c.next1, "养"_gbk)) return Read("ji", 3);
                  if (Is(c.prev1, "自"_gbk) && Is(c.next1, "自"_gbk)) return Read("ji", 3);
                  return kNoMatch;
              },
              Read("gei", 3)},
    /* 18 */ {"片", {},
              [](const C& c) {
                  if (Is(c.prev1, "影 枪 巨"_gbk)) return Read("pian", 1);
                  if (Is(c.next1, "酬"_gbk)) return Read("pian", 1);
                  if (Is(c.prev2, "幻"_gbk) && Is(c.prev1, "灯"_gbk)) return Read("pian", 1);
                  if (Is(c.prev2, "黑"_gbk) && Is(c.prev1, "白"_gbk)) return Read("pian", 1);
                  return kNoMatch;
              },
              Read("pian", 4)},
    /* 19 */ {"待", {},
              [](const C& c) {
                  if (Is(c.next1, "会"_gbk) && !Is(c.prev1, "交"_gbk)) return Read("dai", 1);
                  return kNoMatch;
              },
              Read("dai", 4)},
    /* 20 */ {"几", {},
              [](const C& c) {
                  if (Is(c.prev1, "茶"_gbk)) return Read("ji", 1);
                  if (Is(c.next1, "乎"_gbk)) return Read("ji", 1);
                  return kNoMatch;
              },
              Read("ji", 3)},
    /* 21 */ {"了", {},
              [](const C& c) {
                  if (Is(c.prev1, "未"_gbk)) return Read("liao", 3);
                  if (Is(c.next1, "解 断"_gbk)) return Read("liao", 3);
                  if (Is(c.prev2, "干"_gbk) && Is(c.prev1, "得"_gbk)) return Read("liao", 3);
                  if (Is(c.prev1, "不"_gbk) && !In(c.prev2, "再可那就也"_gbk)) return Read("liao", 3);
                  return kNoMatch;
              },
              Read("le", 5)},
    /* 22 */ {"长", {}, ZhangSteps, Read("chang", 2)},
    /* 23 */ {"觉", {},
              [](const C& c) {
                  if (Is(c.prev1, "睡"_gbk)) return Read("jiao", 4);
                  if (Is(c.prev2, "睡"_gbk) && In(c.prev1, "大一好个几"_gbk)) return Read("jiao", 4);
                  return kNoMatch;
              },
              Read("jue", 2)},
    /* 24 */ {"占", {},
              [](const C& c) {
                  if (Is(c.next1, "卦 卜"_gbk)) return Read("zhan", 1);
                  return kNoMatch;
              },
              Read("zhan", 4)},
    /* 25 */ {"恶", {},
              [](const C& c) {
                  if (Is(c.next1, "心"_gbk)) return Read("e", 3);
                  if (Is(c.prev1, "厌 好"_gbk)) return Read("wu", 4);
                  return kNoMatch;
              },
              Read("e", 4)},
    /* 26 */ {"地", {}, nullptr, Read("di", 4)},
    /* 27 */ {"的", {"de"},
              [](const C& c) {
                  if (Is(c.prev1, "目"_gbk) && !Is(c.prev2, "项"_gbk)) return Read("di", 4);
                  if (Is(c.prev1, "无"_gbk) && Is(c.next1, "放"_gbk)) return Read("di", 4);
                  if (Is(c.prev2, "箭"_gbk) && Is(c.prev1, "中"_gbk)) return Read("di", 4);
                  if (Is(c.next1, "确 的"_gbk)) return Read("di", 2);
                  return kNoMatch;
              },
              kDecline},
    // The steps of 得 end in an unconditional step, so its last column is
    // never reached.
    /* 28 */ {"得", {"de"}, DeSteps, Read("de", 2)},
    /* 29 */ {"仇", {}, nullptr, Read("chou", 2)},
    /* 30 */ {"宁", {},
              [](const C& c) {
                  if (Is(c.nextPair, "得很"_gbk)) return Read("ning", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 31 */ {"乾", {},
              [](const C& c) {
                  if (Is(c.next1, "陵 坤"_gbk)) return Read("qian", 2);
                  return kNoMatch;
              },
              kPassOn},
    /* 32 */ {"什", {},
              [](const C& c) {
                  if (Is(c.next1, "锦 刹"_gbk)) return Read("shi", 2);
                  return kNoMatch;
              },
              Read("shen", 2)},
    /* 33 */ {"相", {},
              [](const C& c) {
                  if (Is(c.next1, "册"_gbk)) return Read("xiang", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 34 */ {"分", {},
              [](const C& c) {
                  if (Is(c.prev2, "打"_gbk) && Is(c.prev1, "过"_gbk)) return Read("fen", 1);
                  return kNoMatch;
              },
              kDecline},
    /* 35 */ {"喝", {},
              [](const C& c) {
                  if (Is(c.prev2, "声"_gbk) && Is(c.prev1, "大"_gbk)) return Read("he", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 36 */ {"参", {},
              [](const C& c) {
                  if (Is(c.prev2, "花"_gbk) && Is(c.prev1, "旗"_gbk)) return Read("shen", 1);
                  if (Is(c.prev2, "西"_gbk) && Is(c.prev1, "洋"_gbk)) return Read("shen", 1);
                  if (In(c.next1, "战考观阅谋议军政赞训演"_gbk)) return Read("can", 1);
                  return kNoMatch;
              },
              kDecline},
    /* 37 */ {"处", {},
              [](const C& c) {
                  if (Is(c.prev1, "惩 相 杂"_gbk)) return Read("chu", 3);
                  if (Is(c.prev2, "设"_gbk) && Is(c.prev1, "身"_gbk)) return Read("chu", 3);
                  if (Is(c.next1, "理 分 女 在 置"_gbk)) return Read("chu", 3);
                  return kNoMatch;
              },
              Read("chu", 4)},
    /* 38 */ {"为", {},
              [](const C& c) {
                  if (Is(c.prev1, "因 作 以"_gbk) && !Is(c.next1, "啥 什"_gbk)) return Read("wei", 2);
                  if (Is(c.prev2, "人"_gbk) && Is(c.prev1, "满"_gbk) && Is(c.next1, "患"_gbk)) return Read("wei", 2);
                  if (Is(c.prev2, "不"_gbk) && Is(c.prev1, "足"_gbk) && Is(c.next1, "据 患"_gbk)) return Read("wei", 2);
                  return kNoMatch;
              },
              Read("wei", 4)},
    /* 39 */ {"都", {},
              [](const C& c) {
                  if (Is(c.prev1, "首"_gbk)) return Read("du", 1);
                  if (Is(c.next1, "督"_gbk)) return Read("du", 1);
                  if (Is(c.prev1, "迁"_gbk) && !Is(c.prev2, "拆 搬"_gbk)) return Read("du", 1);
                  if (Is(c.next1, "市"_gbk)) return Read("du", 1);
                  return kNoMatch;
              },
              Read("dou", 1)},
    /* 40 */ {"干", {},
              [](const C& c) {
                  if ((Is(c.next1, "啥"_gbk) || Is(c.nextPair, "什么"_gbk)) && !In(c.prev1, "榨烘烤晒热晾"_gbk))
                      return Read("gan", 4);
                  if (Is(c.prev1, "人"_gbk) && Is(c.next1, "的"_gbk)) return Read("gan", 4);
                  if (Is(c.nextTriple, "老本行"_gbk) && !In(c.prev1, "吸抽榨"_gbk)) return Read("gan", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 41 */ {"要", {},
              [](const C& c) {
                  if (Is(c.next1, "挟"_gbk)) return Read("yao", 1);
                  return kNoMatch;
              },
              Read("yao", 4)},
    /* 42 */ {"挟", {},
              [](const C& c) {
                  if (Is(c.prev1, "要"_gbk)) return Read("xie", 2);
                  return kNoMatch;
              },
              Read("jia", 1)},
    /* 43 */ {"呢", {}, nullptr, Read("ne", 0)},
    /* 44 */ {"台", {}, nullptr, Read("tai", 2)},
    /* 45 */ {"查", {}, nullptr, Read("cha", 2)},
    /* 46 */ {"百", {}, nullptr, Read("bai", 3)},
    /* 47 */ {"兵", {}, nullptr, Read("bing", 1)},
    /* 48 */ {"绝", {}, nullptr, Read("jue", 2)},
    /* 49 */ {"亡", {}, nullptr, Read("wang", 2)},
    /* 50 */ {"说", {},
              [](const C& c) {
                  if (Is(c.prev1, "当 做 作 请 要 派"_gbk) && Is(c.next1, "客"_gbk)) return Read("shui", 4);
                  return kNoMatch;
              },
              Read("shuo", 1)},
    /* 51 */ {"会", {},
              [](const C& c) {
                  if (In(c.prev1, "学当做"_gbk) && Is(c.next1, "计"_gbk) && !In(c.next2, "算量较"_gbk))
                      return Read("kuai", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 52 */ {"圈", {},
              [](const C& c) {
                  if (In(c.prev1, "鸡猪"_gbk) && !Is(c.next1, "起"_gbk)) return Read("juan", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 53 */ {"挣", {},
              [](const C& c) {
                  if (Is(c.next1, "扎"_gbk)) return Read("zheng", 1);
                  return kNoMatch;
              },
              kDecline},
    /* 54 */ {"扎", {},
              [](const C& c) {
                  if (Is(c.prev1, "挣"_gbk)) return Read("zha", 2);
                  if (Is(c.next1, "辫 腿 堆"_gbk)) return Read("za", 1);
                  if (Is(c.prev1, "一"_gbk) && Is(c.next1, "线"_gbk)) return Read("za", 1);
                  return kNoMatch;
              },
              Read("zha", 1)},
    /* 55 */ {"校", {},
              [](const C& c) {
                  if (Is(c.prev1, "少"_gbk)) return Read("xiao", 4);
                  if (Is(c.next1, "正 验"_gbk)) return Read("jiao", 4);
                  return kNoMatch;
              },
              Read("xiao", 4)},
    /* 56 */ {"划", {},
              [](const C& c) {
                  if (Is(c.prev1, "策 计 比 规 笔"_gbk)) return Read("hua", 4);
                  return kNoMatch;
              },
              Read("hua", 2)},
    /* 57 */ {"着", {},
              [](const C& c) {
                  if (In(c.prev1, ReadingList::Counting)) return Read("zhao", 1);
                  if (Is(c.prev2, "怎"_gbk) && Is(c.prev1, "么"_gbk)) return Read("zhao", 1);
                  if (Is(c.prev1, "着"_gbk)) return Read("zhao", 1);
                  if (Is(c.next1, "力 着"_gbk)) return Read("zhao", 1);
                  if (Is(c.prev2, "用"_gbk) && Is(c.prev1, "不"_gbk)) return Read("zhao", 2);
                  if (Is(c.next1, "火 急 了"_gbk)) return Read("zhao", 2);
                  if (Is(c.next1, "手"_gbk)) return Read("zhuo", 2);
                  return kNoMatch;
              },
              Read("zhe", 0)},
    /* 58 */ {"少", {},
              [](const C& c) {
                  if (In(c.next1, "爷东年小帅将校尉女"_gbk) && !Is(c.prev1, "不"_gbk)) return Read("shao", 4);
                  return kNoMatch;
              },
              Read("shao", 3)},
    /* 59 */ {"们", {}, nullptr, Read("men", 2)},
    /* 60 */ {"兴", {},
              [](const C& c) {
                  if (Is(c.prev1, "高 雅"_gbk)) return Read("xing", 4);
                  if (Is(c.next1, "致 趣"_gbk)) return Read("xing", 4);
                  if (Is(c.next1, "冲"_gbk) && Is(c.next2, "冲"_gbk)) return Read("xing", 4);
                  if (Is(c.next1, "高"_gbk) && Is(c.next2, "采"_gbk)) return Read("xing", 4);
                  return kNoMatch;
              },
              Read("xing", 1)},
    /* 61 */ {"种", {},
              [](const C& c) {
                  if (In(c.prev1, "狗猫犬"_gbk)) return Read("zhong", 3);
                  return kNoMatch;
              },
              kDecline},
    /* 62 */ {"差", {},
              [](const C& c) {
                  if (Is(c.prev1, "出 无 没 有 大 小"_gbk) && Is(c.next1, "错"_gbk)) return Read("cha", 1);
                  if (Is(c.prev1, "忒"_gbk)) return Read("cha", 4);
                  if (Is(c.prev1, "还 真 没 稍 常 要 特 不 极 绩"_gbk) && !Is(c.next1, "别"_gbk)) return Read("cha", 4);
                  if (Is(c.next1, "得"_gbk) && Is(c.next2, "很 多 少"_gbk)) return Read("cha", 4);
                  return kNoMatch;
              },
              kDecline},
    /* 63 */ {"假", {},
              [](const C& c) {
                  if (Is(c.prev1, "渡 度 寒 暑 休"_gbk)) return Read("jia", 4);
                  if (Is(c.prev2, "节"_gbk)) return Read("jia", 4);
                  if (Is(c.prev2, "休"_gbk) && Is(c.prev1, "产"_gbk)) return Read("jia", 4);
                  if (Is(c.prev2, "放"_gbk) && Is(c.prev1, "长"_gbk)) return Read("jia", 4);
                  if (Is(c.prev2, "度 渡"_gbk) && Is(c.prev1, "过"_gbk)) return Read("jia", 4);
                  if (In(c.prev2, ReadingList::Numbers) && In(c.prev1, ReadingList::TimeUnits)) return Read("jia", 4);
                  if (Is(c.next1, "期 日"_gbk)) return Read("jia", 4);
                  return kNoMatch;
              },
              Read("jia", 3)},
    /* 64 */ {"漂", {},
              [](const C& c) {
                  if (Is(c.next1, "亮"_gbk)) return Read("piao", 4);
                  return kNoMatch;
              },
              Read("piao", 1)},
};
constexpr int kReadingRowCount = static_cast<int>(std::size(kReadingRows));

// The GBK character of each row, built once.
const AString& RowChar(int row) {
    static const auto chars = [] {
        std::array<AString, kReadingRowCount> a;
        for (int i = 0; i < kReadingRowCount; i++) a[i] = GbkFromUtf8(kReadingRows[i].ch);
        return a;
    }();
    return chars[row];
}

// The first tone digit of the character under the syllable, or 0.
int FirstTone(const CDictTop& dict, CharKey key, const AString& syllable) {
    AString tones;
    if (!dict.GetToneSymbols(key, syllable, tones, true) || tones.IsEmpty()) return 0;
    return tones[0] - '0';
}

// A numeral takes the first reading and first tone of its digit character.
int ReadNumeral(const CDictTop& dict, int value, AString& pinyin, int& tone) {
    const AString& digits = GetReadingList(ReadingList::DigitsByValue);
    const CharKey digit = CharKeyAt(digits, 2 * value);
    AStringArray readings;
    if (dict.GetReadings(digit, readings) > 0) {
        tone = FirstTone(dict, digit, readings[0]);
        pinyin = readings[0];
        ExpandSyllable(pinyin);
    }
    return 1;
}

}  // namespace

const AString& GetReadingList(ReadingList list) {
    static const auto lists = [] {
        std::array<AString, kReadingListCount> a;
        for (int i = 0; i < kReadingListCount; i++) a[i] = GbkFromUtf8(kReadingListsUtf8[i]);
        return a;
    }();
    return lists[static_cast<int>(list)];
}

bool InReadingList(const AString& s, const AString& list) {
    if (s.GetLength() < 2) return false;
    const char* p = list.GetString();
    const int n = list.GetLength();
    for (int i = 0; i < n;) {
        if ((static_cast<unsigned char>(p[i]) & 0x80) == 0) {
            i += 1;
            continue;
        }
        if (i + 1 < n && p[i] == s[0] && p[i + 1] == s[1]) return true;
        i += 2;
    }
    return false;
}

int ApplyReadingRules(const CDictTop& dict, AString ch, const AStringArray& history, const char* next1,
                      const char* next2, const char* next3, AString& pinyin, int& tone, int allowFallback) {
    if (ch.GetLength() < 2 || ch[1] == 0) return 0;
    tone = 0;
    const ReadingContext context = MakeContext(history, next1, next2, next3);
    const CharKey key = CharKeyAt(ch);

    int value = 0;
    if (NumeralValue(key, &value) && key != CharKeyAt("陆"_gbk)) return ReadNumeral(dict, value, pinyin, tone);

    for (int i = 0; i < kReadingRowCount; i++) {
        if (!(RowChar(i) == ch)) continue;
        const ReadingRow& row = kReadingRows[i];
        if (row.first.syllable) pinyin = row.first.syllable;
        if (row.first.tone >= 0) tone = row.first.tone;
        Outcome outcome = row.steps ? row.steps(context) : kNoMatch;
        if (outcome.kind == Outcome::NoMatch) outcome = row.otherwise;
        if (outcome.kind == Outcome::PassOn) continue;
        if (outcome.kind == Outcome::Decline) return 0;
        pinyin = outcome.syllable;
        tone = outcome.tone;
        return 1;
    }

    // Fallback: the first reading with its first tone.
    if (!allowFallback) return 0;
    if (pinyin.IsEmpty()) {
        AStringArray readings;
        if (dict.GetReadings(key, readings) > 0) pinyin = readings[0];
    }
    if (pinyin.IsEmpty()) return 0;
    tone = FirstTone(dict, key, pinyin);
    return tone != 0 ? 1 : 0;
}
