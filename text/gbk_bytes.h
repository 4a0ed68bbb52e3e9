#pragma once
#include <cstdint>
// Byte tests for GBK and Big5 double-byte characters.

constexpr bool IsGbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsGbkTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
constexpr bool IsBig5LeadByte(unsigned char b) { return b >= 0xA1 && b <= 0xFA; }
constexpr bool IsBig5TrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE; }

constexpr bool IsGbkPair(unsigned char lead, unsigned char trail) {
    return IsGbkLeadByte(lead) && IsGbkTrailByte(trail);
}
constexpr bool IsBig5Pair(unsigned char lead, unsigned char trail) {
    return IsBig5LeadByte(lead) && IsBig5TrailByte(trail);
}



// A GBK character as a 16-bit key: lead byte in the low 8 bits, trail byte in
// the high 8 bits (the order of the bytes in memory and in the data files).
using CharKey = std::uint16_t;

constexpr CharKey MakeCharKey(unsigned char lead, unsigned char trail) {
    return static_cast<CharKey>(lead | (trail << 8));
}
constexpr unsigned char CharKeyLead(CharKey k) { return static_cast<unsigned char>(k & 0xFF); }
constexpr unsigned char CharKeyTrail(CharKey k) { return static_cast<unsigned char>(k >> 8); }
