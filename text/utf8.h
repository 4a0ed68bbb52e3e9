#pragma once
#include <cstddef>
#include <string>
#include <string_view>
// The one UTF-8 decoder, with two ways of reading, and UTF-8 output.
//
// Strict: well-formed UTF-8 only, for text that comes from users and from
// data sources that are UTF-8 by their format: no stray continuation bytes,
// overlong forms, surrogates or code points above U+10FFFF.
// System: the system's lax decoder (Utf8ToUtf16 in text/code_pages.h), for
// files the system has always read that way: a byte below 0xC0 is one code
// point of its own value (stray continuation bytes included); a lead byte
// with bit 0x20 set starts a 3-byte sequence (so 4-byte leads are taken as
// 3-byte ones), any other lead a 2-byte sequence; continuation bytes are not
// checked. Only a sequence that runs past the end is malformed.
enum class Utf8Decoding { Strict, System };

inline constexpr char32_t kBadUtf8 = 0xFFFFFFFF;  // DecodeUtf8: malformed, or at the end

// Decodes the sequence at bytes[at] and moves `at` past it. A malformed
// sequence gives kBadUtf8 and leaves `at` where it was.
char32_t DecodeUtf8(std::string_view bytes, std::size_t& at, Utf8Decoding how = Utf8Decoding::Strict);

// The single code point that the bytes consist of (strictly), or kBadUtf8.
char32_t SingleCodePoint(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Appends the code point as UTF-8 (at most U+10FFFF; a surrogate is written
// as it is, as the data builder's sources may need).
void AppendUtf8(std::string& out, char32_t cp);

// UTF-16 units to well-formed UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const char16_t* units, int count);
std::string Utf16ToUtf8(std::u16string_view units);

// Strictly decoded UTF-8 as UTF-16 units; each malformed byte becomes U+FFFD.
std::u16string Utf8ToUnits(std::string_view bytes);
