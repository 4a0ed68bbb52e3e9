#pragma once
#include <cstdint>
// Stateless tests of single characters and whole texts by script
// (ScriptOfWideText is in text/code_pages.h).

// 1 when some two adjacent bytes of the NUL-terminated string form a GBK pair
// (a Big5 pair when big5 is set); every byte position is tried, not pair by pair.
int ContainsDoubleByteChar(const char* s, bool big5);

// True when the GBK (kCodePageGbk) encoding of the unit is a GBK pair.
bool IsGbkWideChar(char16_t u);

// True when the code lies in the Chinese-character part of GBK (from B0A1 on)
// or of Big5.
bool IsHanziCode(unsigned char lead, unsigned char trail, bool big5);

// True for an unassigned or user-defined GBK code.
bool IsGbkGap(unsigned char lead, unsigned char trail);

// True for a double-byte symbol (GBK rows A1..A9, Big5 A1..A3 and F9/FA DD..FE)
// or an unassigned GBK code.
bool IsSymbolChar(unsigned char lead, unsigned char trail, bool big5);

// True for a GBK pair that is neither a symbol nor a gap.
bool IsGbkHanzi(unsigned char lead, unsigned char trail);

// True when the units look like GBK bytes widened one by one to UTF-16.
bool LooksLikeWidenedGbk(const char16_t* units, int count);

// True when most characters of the UTF-16 text (given as bytes, low byte
// first) lie outside Latin-1. Only the first 112 bytes are ever looked at.
// byteLen 0: the text ends at its first zero unit (two zero bytes at an even
// offset), of which at most the first 56 units are scanned.
bool IsMostlyWideText(const void* bytes, int byteLen);
