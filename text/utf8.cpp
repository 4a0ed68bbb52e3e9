#include "text/utf8.h"

namespace {

char32_t DecodeStrict(std::string_view s, std::size_t& at) {
    const unsigned char b = s[at];
    if (b < 0x80) {
        ++at;
        return b;
    }
    int extra;
    char32_t cp, min;
    if ((b & 0xE0) == 0xC0) {
        extra = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
        return kBadUtf8;
    }
    if (s.size() - at <= static_cast<std::size_t>(extra)) return kBadUtf8;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char c = s[at + k];
        if ((c & 0xC0) != 0x80) return kBadUtf8;
        cp = cp << 6 | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kBadUtf8;
    at += extra + 1;
    return cp;
}

char32_t DecodeSystem(std::string_view s, std::size_t& at) {
    const unsigned char b1 = s[at];
    const std::size_t n = b1 < 0xC0 ? 1 : (b1 & 0x20) ? 3 : 2;
    if (s.size() - at < n) return kBadUtf8;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data()) + at;
    at += n;
    if (n == 1) return b1;
    if (n == 2) return (b1 & 0x1F) << 6 | (p[1] & 0x3F);
    return (b1 & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
}

}  // namespace

char32_t DecodeUtf8(std::string_view bytes, std::size_t& at, Utf8Decoding how) {
    if (at >= bytes.size()) return kBadUtf8;
    return how == Utf8Decoding::Strict ? DecodeStrict(bytes, at) : DecodeSystem(bytes, at);
}

char32_t SingleCodePoint(std::string_view bytes) {
    std::size_t at = 0;
    const char32_t cp = DecodeUtf8(bytes, at);
    return at == bytes.size() ? cp : kBadUtf8;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();)
        if (DecodeUtf8(bytes, at) == kBadUtf8) return false;
    return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    out += static_cast<char>((0xFF00 >> (extra + 1) & 0xFF) | cp >> (6 * extra));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | (cp >> (6 * k) & 0x3F));
}

std::string Utf16ToUtf8(const char16_t* u, int n) {
    std::string out;
    for (int i = 0; u && i < n; ++i) {
        char32_t cp = u[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (u[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view units) { return Utf16ToUtf8(units.data(), static_cast<int>(units.size())); }

std::u16string Utf8ToUnits(std::string_view bytes) {
    std::u16string units;
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t cp = DecodeUtf8(bytes, at);
        if (cp == kBadUtf8) {
            cp = 0xFFFD;
            ++at;
        }
        if (cp >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
    }
    return units;
}
