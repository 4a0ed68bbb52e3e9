#include "text/code_pages.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "text/amap.h"
#include "text/codepage.h"
#include "text/utf8.h"

int CodePageFor(int value, bool isScript) {
    if (isScript) {
        switch (value) {
            case 2: return kCodePageBig5;
            case 3: return kCodePageWestern;
            case 4: return kCodePageJapanese;
            case 5: return kCodePageKorean;
            default: return kCodePageGbk;
        }
    }
    switch (value) {
        case 128: return kCodePageJapanese;  // SHIFTJIS_CHARSET
        case 129: return kCodePageKorean;    // HANGEUL_CHARSET
        case 134: return kCodePageGbk;       // GB2312_CHARSET
        case 136: return kCodePageBig5;      // CHINESEBIG5_CHARSET
        default: return kCodePageWestern;
    }
}

int CharsetFor(int value, bool isScript) {
    if (isScript) {
        switch (value) {
            case 0: return 0;
            case 2: return 136;
            case 4: return 128;
            case 5: return 129;
            default: return 134;
        }
    }
    switch (value) {
        case kCodePageJapanese: return 128;
        case kCodePageKorean: return 129;
        case kCodePageBig5: return 136;
        default: return 134;
    }
}

int ScriptOfWideText(const char16_t* units, int count) {
    for (int i = 0; units && i < count; ++i) {
        const char16_t u = units[i];
        if ((u >= 0xF90E && u <= 0xFA2D) || (u >= 0x3401 && u <= 0x9FA5)) return 1;
        if ((u >= 0x3040 && u <= 0x30FF) || (u >= 0x31F0 && u <= 0x31FF)) return 4;
        if ((u >= 0x1100 && u <= 0x11FF) || (u >= 0x3130 && u <= 0x318F) || (u >= 0xAC00 && u <= 0xD7A3)) return 5;
    }
    return 0;
}

namespace {

// Appends the conversion of `length` bytes; nothing on failure.
void AppendConverted(std::u16string& out, int codePage, const char* bytes, int length) {
    if (length <= 0) return;
    int units = MultiByteToUtf16(codePage, bytes, length, nullptr, 0);
    if (units <= 0) return;
    std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(units));
    units = MultiByteToUtf16(codePage, bytes, length, out.data() + at, units);
    out.resize(at + static_cast<std::size_t>(units > 0 ? units : 0));
}

AString Wide(const std::u16string& units) {
    return units.empty() ? AString() : AString(units.data(), static_cast<int>(units.size()));
}

bool InHighRange(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

}  // namespace

AString GbkToUiText(const char* bytes, int length, int codePage) {
    if (!bytes) return AString();
    if (length <= 0) length = static_cast<int>(std::strlen(bytes));
    std::u16string units;
    AppendConverted(units, codePage < 0 ? kCodePageGbk : codePage, bytes, length);
    return Wide(units);
}

AString MixedToUiText(const char* bytes, int length, int westernCodePage) {
    if (!bytes) return AString();
    if (length < 0) length = static_cast<int>(std::strlen(bytes));
    if (westernCodePage < 0) westernCodePage = kCodePageWestern;
    auto* s = reinterpret_cast<const unsigned char*>(bytes);
    std::u16string units;
    int runStart = 0;
    bool runDouble = false;
    for (int i = 0; i < length;) {
        bool isDouble = i + 1 < length && InHighRange(s[i]) && InHighRange(s[i + 1]);
        if (isDouble != runDouble) {
            AppendConverted(units, runDouble ? kCodePageGbk : westernCodePage, bytes + runStart, i - runStart);
            runStart = i;
            runDouble = isDouble;
        }
        i += isDouble ? 2 : 1;
    }
    AppendConverted(units, runDouble ? kCodePageGbk : westernCodePage, bytes + runStart, length - runStart);
    return Wide(units);
}

char16_t GbkCharToUnicode(const char* pair) {
    if (!pair) return 0;
    char16_t units[2] = {};
    // Two units mean two single bytes; '?' is what an invalid pair becomes.
    if (MultiByteToUtf16(kCodePageGbk, pair, 2, units, 2) != 1 || units[0] == u'?') return 0;
    return units[0];
}

namespace {

// Converted characters, keyed by their two bytes; the value is the unit. The
// cache lives for the process and is never destroyed, so that a conversion on
// another thread during exit still finds it.
std::mutex gbkCharCacheLock;  // guards GbkCharCache()
AMapStringToPtr& GbkCharCache() {
    static AMapStringToPtr* cache = new AMapStringToPtr(64);
    return *cache;
}

}  // namespace

char16_t GbkCharToUnicodeCached(const char* pair) {
    if (!pair) return 0;
    AString key = AString::FromBytes(pair, 2);
    std::lock_guard<std::mutex> hold(gbkCharCacheLock);
    AMapStringToPtr& cache = GbkCharCache();
    void* value = nullptr;
    if (!cache.Lookup(key, value)) {
        value = reinterpret_cast<void*>(static_cast<std::uintptr_t>(GbkCharToUnicode(pair)));
        cache[key] = value;
    }
    return static_cast<char16_t>(reinterpret_cast<std::uintptr_t>(value));
}

int GbkCharCacheCount() {
    std::lock_guard<std::mutex> hold(gbkCharCacheLock);
    return GbkCharCache().GetCount();
}

AString Utf8ToUtf16(const AString& utf8, bool terminate) {
    if (utf8.IsWide()) return utf8;
    return Utf8ToUtf16(utf8.GetString(), utf8.GetLength(), terminate);
}

AString Utf8ToUtf16(const char* bytes, int length, bool terminate) {
    if (!bytes || length < 0) length = 0;
    const std::string_view s(bytes, static_cast<std::size_t>(length));
    std::u16string units;
    for (std::size_t at = 0; at < s.size();) {
        const char32_t cp = DecodeUtf8(s, at, Utf8Decoding::System);
        if (cp == kBadUtf8) break;  // a sequence that runs past the end
        units += static_cast<char16_t>(cp);
    }
    if (terminate) units += u'\0';
    return Wide(units);
}
