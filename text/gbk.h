#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "text/astring.h"
#include "text/gbk_bytes.h"
#include "text/utf8.h"
// GBK text helpers for every layer: the character key at a position of a
// text, GBK from UTF-16 and UTF-8 and back, and "中文"_gbk literals. The
// code-page numbers, byte tests and 16-bit forms are in text/gbk_bytes.h.

// The key of the character whose bytes start at byte position `at`; a byte
// past the end reads as 0.
inline CharKey CharKeyAt(std::string_view bytes, std::size_t at = 0) {
    const auto byte = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    return MakeCharKey(byte(at), byte(at + 1));
}
inline CharKey CharKeyAt(const AString& text, int at = 0) {
    return MakeCharKey(static_cast<unsigned char>(text[at]), static_cast<unsigned char>(text[at + 1]));
}
// The key of a pair of bytes (lead, trail).
inline CharKey CharKeyAt(const char* pair) {
    return MakeCharKey(static_cast<unsigned char>(pair[0]), static_cast<unsigned char>(pair[1]));
}

// The GBK bytes (kCodePageGbk) of one unit as a key (a one-byte result in the low
// byte); 0 when the unit has no encoding.
CharKey WideCharToGbk(char16_t unit);

// UTF-16 to GBK; a unit without a GBK form becomes '?'.
AString GbkFromUtf16(std::u16string_view units);
// GBK to UTF-16 units; text that is already UTF-16 is copied.
std::u16string Utf16FromGbk(const AString& text);
// UTF-8 to GBK. Strict: a malformed byte becomes '?'. System: the system's
// decoder, whose only malformed input, a sequence that runs past the end,
// ends the text. ASCII text is the same in both and skips the conversion.
AString GbkFromUtf8(std::string_view utf8, Utf8Decoding how = Utf8Decoding::Strict);
// GBK (or UTF-16) text as UTF-8.
std::string GbkToUtf8(const AString& text);

template <std::size_t N>
struct Utf8Literal {
    char text[N];
    constexpr Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; i++) text[i] = s[i];
    }
};

// "子 炮"_gbk: the UTF-8 literal in GBK, converted once on first use (each
// literal is its own instantiation with its own thread-safe static).
template <Utf8Literal L>
const AString& operator""_gbk() {
    static const AString gbk = GbkFromUtf8(std::string_view(L.text, sizeof L.text - 1));
    return gbk;
}
