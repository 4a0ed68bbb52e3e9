#pragma once
// Strict UTF-8 checking and UTF-8 output for the console front end.
#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// UTF-16 units to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const char16_t* units, int count);
