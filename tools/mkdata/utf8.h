#pragma once
// UTF-8 code points, for the text sources.
#include <string>
#include <string_view>

// Decodes the sequence at s[i] and moves i past it; 0 (i unchanged) on
// malformed input.
inline char32_t DecodeUtf8(std::string_view s, size_t& i) {
    const unsigned char b = s[i];
    const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) return 0;
    char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char c = s[i + k];
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    i += extra + 1;
    return cp;
}

inline void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    out += static_cast<char>((0xFF00 >> (extra + 1) & 0xFF) | cp >> (6 * extra));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | (cp >> (6 * k) & 0x3F));
}

// The single code point that s consists of, or 0.
inline char32_t SingleCodePoint(std::string_view s) {
    size_t i = 0;
    if (s.empty()) return 0;
    const char32_t cp = DecodeUtf8(s, i);
    return i == s.size() ? cp : 0;
}
