#include "text/big5.h"

#include <algorithm>

#include "text/data_file.h"

namespace {

// GBK codes of the characters the context rules look at.
namespace gbk {
constexpr std::uint16_t kXi = 0xCFB5;       // 系
constexpr std::uint16_t kXiTrad = 0x8253;   // 係
constexpr std::uint16_t kGuan = 0xB9D8;     // 关
constexpr std::uint16_t kTong = 0xCDB3;     // 统
constexpr std::uint16_t kLie = 0xC1D0;      // 列
constexpr std::uint16_t kPan = 0x9884;      // 槃
constexpr std::uint16_t kHou = 0xBAF3;      // 后
constexpr std::uint16_t kHouTrad = 0xE1E1;  // 後
constexpr std::uint16_t kHuang = 0xBBCA;    // 皇
constexpr std::uint16_t kMu = 0xC4B8;       // 母
constexpr std::uint16_t kTai = 0xCCAB;      // 太
constexpr std::uint16_t kLi = 0xC0EF;       // 里
constexpr std::uint16_t kMian = 0xC3E6;     // 面
constexpr std::uint16_t kBian = 0xB1DF;     // 边
constexpr std::uint16_t kTou = 0xCDB7;      // 头
constexpr std::uint16_t kXiang = 0xCFEF;    // 巷
constexpr std::uint16_t kShi = 0xCAB3;      // 食
constexpr std::uint16_t kQian = 0xC7B0;     // 前
constexpr std::uint16_t kMianJp = 0xFC4D;   // 麺
constexpr std::uint16_t kZhu = 0xD7A2;      // 注
constexpr std::uint16_t kZhuTrad = 0xD45D;  // 註
constexpr std::uint16_t kZan = 0xD4DE;      // 赞
constexpr std::uint16_t kZanTrad = 0xD793;  // 讚
constexpr std::uint16_t kBu = 0xB2BB;       // 不
constexpr std::uint16_t kJue = 0xBEF8;      // 绝

// Before 里: 公邻多余 and the numerals 一二三四五六七八九十Ｏ百千万亿壹贰叁肆伍陆柒捌玖拾零廿卅仨俩两.
constexpr std::uint16_t kLiPrefixes[] = {
    0xB9AB, 0xC1DA, 0xB6E0, 0xD3E0, 0xD2BB, 0xB6FE, 0xC8FD, 0xCBC4, 0xCEE5, 0xC1F9, 0xC6DF, 0xB0CB,
    0xBEC5, 0xCAAE, 0xA3CF, 0xB0D9, 0xC7A7, 0xCDF2, 0xD2DA, 0xD2BC, 0xB7A1, 0xC8FE, 0xCBC1, 0xCEE9,
    0xC2BD, 0xC6E2, 0xB0C6, 0xBEC1, 0xCAB0, 0xC1E3, 0xD8A5, 0xD8A6, 0xD8ED, 0xC1A9, 0xC1BD,
};
// 面 is 麵 before 饼袋粉筋条 and after 吃酱捞麦米汤甜削擀.
constexpr std::uint16_t kNoodleNext[] = {0xB1FD, 0xB4FC, 0xB7DB, 0xBDEE, 0xCCF5};
constexpr std::uint16_t kNoodlePrev[] = {0xB3D4, 0xBDB4, 0xC0CC, 0xC2F3, 0xC3D7, 0xCCC0, 0xCCF0, 0xCFF7, 0xDFA6};
// 註 before 册脚释销 and after 附孤加.
constexpr std::uint16_t kAnnotateNext[] = {0xB2E1, 0xBDC5, 0xCACD, 0xCFFA};
constexpr std::uint16_t kAnnotatePrev[] = {0xB8BD, 0xB9C2, 0xBCD3};
// 讚 before 歌美赏颂叹许扬誉 and after 称盛.
constexpr std::uint16_t kPraiseNext[] = {0xB8E8, 0xC3C0, 0xC9CD, 0xCBCC, 0xCCBE, 0xD0ED, 0xD1EF, 0xD3FE};
constexpr std::uint16_t kPraisePrev[] = {0xB3C6, 0xCAA2};
}  // namespace gbk

// Big5 codes the rules give.
namespace big5 {
constexpr std::uint16_t kXiTrad = 0xAB59;   // 係
constexpr std::uint16_t kXi = 0xA874;       // 系
constexpr std::uint16_t kPan = 0xBA6E;      // 槃
constexpr std::uint16_t kHou = 0xA65A;      // 后
constexpr std::uint16_t kHouTrad = 0xABE1;  // 後
constexpr std::uint16_t kLiTrad = 0xF9D8;   // 裏
constexpr std::uint16_t kNoodle = 0xC4D1;   // 麵
constexpr std::uint16_t kMian = 0xADB1;     // 面
constexpr std::uint16_t kZhuTrad = 0xB5F9;  // 註
constexpr std::uint16_t kZanTrad = 0xC667;  // 讚
}  // namespace big5

template <std::size_t N>
bool OneOf(std::uint16_t c, const std::uint16_t (&set)[N]) {
    return c != 0 && std::find(set, set + N, c) != set + N;
}

// The rule's Big5 code for c, or 0 when no rule decides.
std::uint16_t ContextRule(std::uint16_t c, std::uint16_t prev, std::uint16_t prev2, std::uint16_t next,
                          std::uint16_t next2) {
    using namespace gbk;
    if (c == kXi || c == kXiTrad) {
        if (prev == kGuan) return big5::kXiTrad;
        if (next == kTong || next == kLie) return big5::kXi;
        return 0;
    }
    if (c == kPan) return big5::kPan;
    if (c == kHou || c == kHouTrad) {
        bool empress = prev == kHuang || prev == kMu || (prev == kTai && prev2 == kHuang);
        return empress ? big5::kHou : big5::kHouTrad;
    }
    if (c == kLi) {
        bool besideDoubleByte = (prev & 0xFF) >= 0x80 || (next & 0xFF) >= 0x80;
        if (!besideDoubleByte) return 0;
        bool measure = OneOf(prev, kLiPrefixes);
        if (measure && (next == kMian || next == kBian || next == kTou)) return big5::kLiTrad;
        if (!measure && next != kXiang) return big5::kLiTrad;
        return 0;
    }
    if (c == kMian) {
        bool noodle = OneOf(next, kNoodleNext) || (next == kShi && prev != kQian) || OneOf(prev, kNoodlePrev);
        return noodle ? big5::kNoodle : big5::kMian;
    }
    if (c == kMianJp) return big5::kNoodle;
    if (c == kZhu || c == kZhuTrad) {
        if (OneOf(next, kAnnotateNext) || OneOf(prev, kAnnotatePrev)) return big5::kZhuTrad;
        return 0;
    }
    if (c == kZan || c == kZanTrad) {
        if (OneOf(next, kPraiseNext) || OneOf(prev, kPraisePrev) || (next == kBu && next2 == kJue))
            return big5::kZanTrad;
        return 0;
    }
    return 0;
}

// The loaded table; empty when none is loaded.
std::vector<std::uint8_t> gBig5Table;
// The last problem reported for the table, so that a repeated attempt does
// not report it again.
std::string gBig5Reported;

void ReportOnce(const std::string& path, DataFileProblem problem) {
    std::string report = path + (problem == DataFileProblem::Missing ? "\n0" : "\n1");
    if (report == gBig5Reported) return;
    gBig5Reported = report;
    ReportDataFile(path, problem);
}

}  // namespace

int Big5TableOffset(DoubleByteCode gbk) {
    unsigned lead = gbk.Lead(), trail = gbk.Trail();
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE) return -1;
    return static_cast<int>(((lead - 0x81) * kBig5TableRowEntries + (trail - 0x40)) * 2);
}

std::vector<std::uint8_t> NewBig5Table() { return std::vector<std::uint8_t>(kBig5TableSize, 0); }

bool SetBig5TableEntry(std::vector<std::uint8_t>& table, DoubleByteCode gbk, DoubleByteCode big5) {
    int at = Big5TableOffset(gbk);
    if (at < 0 || table.size() != static_cast<std::size_t>(kBig5TableSize)) return false;
    table[at] = big5.Lead();
    table[at + 1] = big5.Trail();
    return true;
}

bool WriteBig5Table(const std::string& path, const std::vector<std::uint8_t>& table) {
    if (table.size() != static_cast<std::size_t>(kBig5TableSize)) return false;
    return WriteFileBytes(path, std::string(table.begin(), table.end()));
}

bool LoadBig5Table(const std::string& dataFolder) {
    gBig5Table.clear();
    gBig5Table.shrink_to_fit();
    std::string path = DataFilePath(dataFolder, kBig5TableFile);
    std::string bytes;
    ReadStatus status = ReadFileBytes(path, bytes);
    if (status == ReadStatus::Ok && bytes.size() != static_cast<std::size_t>(kBig5TableSize))
        status = ReadStatus::Damaged;
    if (status != ReadStatus::Ok) {
        ReportOnce(path, status == ReadStatus::Missing ? DataFileProblem::Missing : DataFileProblem::Damaged);
        return false;
    }
    gBig5Table.assign(bytes.begin(), bytes.end());
    gBig5Reported.clear();
    return true;
}

void ReleaseBig5Table() {
    gBig5Table.clear();
    gBig5Table.shrink_to_fit();
}

bool IsBig5TableLoaded() { return !gBig5Table.empty(); }

DoubleByteCode Big5TableEntry(DoubleByteCode gbk) {
    int at = Big5TableOffset(gbk);
    if (at < 0 || gBig5Table.empty()) return DoubleByteCode();
    return DoubleByteCode(gBig5Table[at], gBig5Table[at + 1]);
}

DoubleByteCode GbkToBig5(DoubleByteCode c, DoubleByteCode prev, DoubleByteCode prev2, DoubleByteCode next,
                         DoubleByteCode next2, bool* found) {
    std::uint16_t code = 0;
    if (IsGbkPair(c.Lead(), c.Trail())) {
        code = ContextRule(c.value, prev.value, prev2.value, next.value, next2.value);
        if (code == 0) code = Big5TableEntry(c).value;
    }
    bool hasForm = (code & 0x8000) != 0;
    if (found) *found = hasForm;
    return hasForm ? DoubleByteCode(code) : kBig5WhiteSquare;
}
