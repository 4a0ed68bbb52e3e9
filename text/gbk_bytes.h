#pragma once
#include <cstdint>
// Code-page numbers, byte tests for GBK and Big5 double-byte characters, and
// the two 16-bit forms of a double-byte character. Constant expressions only;
// the helpers that work on text are in text/gbk.h.

inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageBig5 = 950;
inline constexpr int kCodePageJapanese = 932;
inline constexpr int kCodePageKorean = 949;
inline constexpr int kCodePageWestern = 1252;

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
// The hash maps and the data files key characters by it.
using CharKey = std::uint16_t;

constexpr CharKey MakeCharKey(unsigned char lead, unsigned char trail) {
    return static_cast<CharKey>(lead | (trail << 8));
}
constexpr unsigned char CharKeyLead(CharKey k) { return static_cast<unsigned char>(k & 0xFF); }
constexpr unsigned char CharKeyTrail(CharKey k) { return static_cast<unsigned char>(k >> 8); }

// A double-byte code as it is written: lead byte in the high 8 bits (中, GBK
// bytes D6 D0, is 0xD6D0; its Big5 code is 0xA4A4). A type of its own, so that
// it is never taken for a CharKey: the two convert only by name.
struct DoubleByteCode {
    std::uint16_t value = 0;  // 0: no character

    constexpr DoubleByteCode() = default;
    constexpr explicit DoubleByteCode(std::uint16_t code) : value(code) {}
    constexpr DoubleByteCode(unsigned char lead, unsigned char trail)
        : value(static_cast<std::uint16_t>(lead << 8 | trail)) {}
    constexpr unsigned char Lead() const { return static_cast<unsigned char>(value >> 8); }
    constexpr unsigned char Trail() const { return static_cast<unsigned char>(value & 0xFF); }
    friend constexpr bool operator==(DoubleByteCode, DoubleByteCode) = default;
};

constexpr DoubleByteCode ToDoubleByteCode(CharKey k) { return DoubleByteCode(CharKeyLead(k), CharKeyTrail(k)); }
constexpr CharKey ToCharKey(DoubleByteCode c) { return MakeCharKey(c.Lead(), c.Trail()); }
