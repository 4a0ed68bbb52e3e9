#include "rules/char_class.h"

#include "text/gbk.h"
#include "text/gbk_bytes.h"

int ContainsDoubleByteChar(const char* s, bool big5) {
    if (!s) return 0;
    for (; s[0] && s[1]; ++s) {
        auto lead = (unsigned char)s[0], trail = (unsigned char)s[1];
        if (big5 ? IsBig5Pair(lead, trail) : IsGbkPair(lead, trail)) return 1;
    }
    return 0;
}

bool IsGbkWideChar(char16_t u) {
    const CharKey k = WideCharToGbk(u);  // a one-byte form has trail 0, no GBK trail byte
    return IsGbkPair(CharKeyLead(k), CharKeyTrail(k));
}

bool IsHanziCode(unsigned char lead, unsigned char trail, bool big5) {
    if (big5) {
        if (lead <= 0xA3) return false;
        if ((lead == 0xF9 || lead == 0xFA) && trail > 0xDC && trail != 0xFF) return false;
        return true;
    }
    return lead > 0xB0 || (lead == 0xB0 && trail > 0xA0);
}

namespace {

struct TrailRange {
    unsigned char lo, hi;  // inclusive; hi 0 ends a row
};

struct GapRow {
    unsigned char leadFirst, leadLast;
    TrailRange trails[5];
};

// Unassigned and user-defined GBK codes, by lead byte.
constexpr GapRow kGapRows[] = {
    {0xA1, 0xA1, {{0x00, 0xA1}}},
    {0xA2, 0xA2, {{0x00, 0xA0}, {0xAB, 0xB0}, {0xE3, 0xE4}, {0xEF, 0xEF}, {0xFD, 0xFE}}},
    {0xA3, 0xA3, {{0x00, 0xA0}, {0xFF, 0xFF}}},
    {0xA4, 0xA4, {{0x00, 0xA0}, {0xF4, 0xFF}}},
    {0xA5, 0xA5, {{0x00, 0xA0}, {0xF7, 0xFF}}},
    {0xA6, 0xA6, {{0x00, 0xA0}, {0xB9, 0xC0}, {0xD9, 0xDF}, {0xE3, 0xE3}, {0xF6, 0xFF}}},
    {0xA7, 0xA7, {{0x00, 0xA0}, {0xC2, 0xD0}, {0xF2, 0xFF}}},
    {0xA8, 0xA8, {{0x96, 0xA0}, {0xC1, 0xC4}, {0xEA, 0xFF}}},
    {0xA9, 0xA9, {{0x5B, 0x5B}, {0x5D, 0x5F}, {0x97, 0xA3}, {0xF0, 0xFF}}},
    {0xAA, 0xAF, {{0xA1, 0xFF}}},
    {0xD7, 0xD7, {{0xFA, 0xFF}}},
    {0xF8, 0xFE, {{0xA1, 0xFF}}},
};

constexpr bool IsSymbolRow(unsigned char lead) { return lead >= 0xA1 && lead <= 0xA9; }

}  // namespace

bool IsGbkGap(unsigned char lead, unsigned char trail) {
    for (const GapRow& row : kGapRows) {
        if (lead < row.leadFirst || lead > row.leadLast) continue;
        for (const TrailRange& r : row.trails) {
            if (r.hi == 0) break;
            if (trail >= r.lo && trail <= r.hi) return true;
        }
        return false;
    }
    return false;
}

bool IsSymbolChar(unsigned char lead, unsigned char trail, bool big5) {
    if (big5) {
        if (!IsBig5Pair(lead, trail)) return false;
        return (lead >= 0xA1 && lead <= 0xA3) || ((lead == 0xF9 || lead == 0xFA) && trail >= 0xDD && trail <= 0xFE);
    }
    return IsGbkPair(lead, trail) && (IsGbkGap(lead, trail) || IsSymbolRow(lead));
}

bool IsGbkHanzi(unsigned char lead, unsigned char trail) {
    return IsGbkPair(lead, trail) && !IsGbkGap(lead, trail) && !IsSymbolRow(lead);
}

bool LooksLikeWidenedGbk(const char16_t* units, int count) {
    if (!units || count <= 1) return false;
    int good = 0, bad = 0;
    // The last unit is only ever looked at as the second of a pair.
    for (int i = 0; i + 1 < count;) {
        const char16_t u = units[i], next = units[i + 1];
        if (u >= 0x100) return false;
        if (u < 0x80) {
            ++i;
        } else if (next >= 0x100) {
            return false;
        } else if (IsGbkPair((unsigned char)u, (unsigned char)next)) {
            ++good;
            i += 2;
        } else {
            ++bad;
            ++i;
        }
    }
    return good > 0 && (count <= 4 || bad < count / 2);
}

bool IsMostlyWideText(const void* bytes, int byteLen) {
    constexpr int kWindow = 28, kMaxWindows = 4;
    const auto* p = static_cast<const unsigned char*>(bytes);
    if (!p || byteLen < 0) return false;
    if (byteLen == 0) {
        // Past 4 full windows the length no longer changes the answer.
        while (byteLen < kWindow * kMaxWindows && (p[byteLen] || p[byteLen + 1])) byteLen += 2;
    }
    if (byteLen < 2) return false;

    int sum = 0, start = 0;
    for (int windows = 1;; ++windows) {
        const int end = start + kWindow < byteLen ? start + kWindow : byteLen;
        for (int i = start; i + 1 < end; i += 2)
            if (p[i + 1]) sum += 2;
        const int w = end - start;
        if (sum >= (2 * w) / 3) return true;
        if (sum <= w / 3) return false;
        if (windows == kMaxWindows || end >= byteLen - 4) return false;
        start = end;
    }
}
