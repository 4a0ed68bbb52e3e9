#include "tools/cli/utf8.h"

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = s[i];
        int extra;
        char32_t cp, min;
        if (b < 0x80) { ++i; continue; }
        if ((b & 0xE0) == 0xC0) { extra = 1; cp = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { extra = 2; cp = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { extra = 3; cp = b & 0x07; min = 0x10000; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = s[i + k];
            if ((c & 0xC0) != 0x80) return false;
            cp = cp << 6 | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

std::string GbkToUtf8(const AString& text) {
    AString wide = text;
    wide.ToWide(936);
    return Utf16ToUtf8(wide.WideData(), wide.GetCharCount());
}
