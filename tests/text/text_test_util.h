#pragma once
#include <string>

#include "text/astring.h"

// The bytes and the UTF-16 units of a string, for comparisons in tests.
inline std::string Bytes(const AString& s) { return std::string(s.GetString(), static_cast<size_t>(s.GetLength())); }
inline std::u16string Units(const AString& s) {
    return std::u16string(s.WideData(), static_cast<size_t>(s.GetLength() / 2));
}

// GBK (code page 936) bytes of a few characters.
#define GBK_ZHONG "\xD6\xD0"   // 中 U+4E2D
#define GBK_WEN "\xCE\xC4"     // 文 U+6587
#define GBK_SHANG "\xC9\xCF"   // 上
#define GBK_MIAN "\xC3\xE6"    // 面
