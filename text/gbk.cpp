#include "text/gbk.h"

#include "text/codepage.h"
#include "text/utf8.h"

CharKey WideCharToGbk(char16_t unit) {
    char buf[8];
    const int n = Utf16ToMultiByte(kCodePageGbk, &unit, 1, buf, sizeof(buf));
    // The converter writes its default character '?' for a unit it cannot encode.
    if (n <= 0 || (n == 1 && buf[0] == '?' && unit != u'?')) return 0;
    return MakeCharKey(static_cast<unsigned char>(buf[0]), n >= 2 ? static_cast<unsigned char>(buf[1]) : 0);
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

AString GbkFromUtf8(std::string_view utf8) {
    std::u16string units = Utf8ToUnits(utf8);
    for (char16_t& u : units)
        if (u == 0xFFFD) u = u'?';
    return GbkFromUtf16(units);
}

std::string GbkToUtf8(const AString& text) { return Utf16ToUtf8(Utf16FromGbk(text)); }
