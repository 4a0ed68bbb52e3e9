#pragma once
// Walks the double-byte characters of GBK.
#include "text/codepage.h"
#include "text/gbk_bytes.h"

// Calls f(lead, trail, unit) for every GBK pair that decodes (kCodePageGbk)
// to one UTF-16 unit, in code order.
template <class F>
void ForEachGbkChar(F f) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const auto l = static_cast<unsigned char>(lead), t = static_cast<unsigned char>(trail);
            if (!IsGbkPair(l, t)) continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char16_t unit[2];
            if (MultiByteToUtf16(kCodePageGbk, bytes, 2, unit, 2) == 1) f(l, t, unit[0]);
        }
    }
}
