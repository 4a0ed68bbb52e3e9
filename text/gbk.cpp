#include "text/gbk.h"

#include <algorithm>

#include "text/codepage.h"
#include "text/utf8.h"

CharKey WideCharToGbk(char16_t unit) {
    char buf[8];
    const int n = Utf16ToMultiByte(kCodePageGbk, &unit, 1, buf, sizeof(buf));
    // The converter writes its default character '?' for a unit it cannot encode.
    if (n <= 0 || (n == 1 && buf[0] == '?' && unit != u'?')) return 0;
    return CharKeyAt(std::string_view(buf, static_cast<std::size_t>(n)));  // a one-byte result: trail 0
}

AString GbkFromUtf16(std::u16string_view units) {
    if (units.empty()) return AString();
    AString text(units.data(), static_cast<int>(units.size()));
    text.ToNarrow(kCodePageGbk);
    return text;
}

std::u16string Utf16FromGbk(const AString& text) {
    AString wide = text;
    wide.ToWide(kCodePageGbk);
    if (!wide.IsWide()) return {};
    return std::u16string(wide.WideData(), static_cast<std::size_t>(wide.GetCharCount()));
}

AString GbkFromUtf8(std::string_view utf8, Utf8Decoding how) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return AString::FromBytes(utf8.data(), static_cast<int>(utf8.size()));
    std::u16string units;
    if (how == Utf8Decoding::Strict) {
        units = Utf8ToUnits(utf8);
        for (char16_t& u : units)
            if (u == 0xFFFD) u = u'?';
    } else {
        // System code points are at most 0xFFFF: one unit each.
        for (std::size_t at = 0; at < utf8.size();) {
            const char32_t cp = DecodeUtf8(utf8, at, Utf8Decoding::System);
            if (cp == kBadUtf8) break;
            units += static_cast<char16_t>(cp);
        }
    }
    return GbkFromUtf16(units);
}

std::string GbkToUtf8(const AString& text) { return Utf16ToUtf8(Utf16FromGbk(text)); }
