#include "text/code_pages.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "text/amap.h"
#include "text/codepage.h"

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
    auto* s = reinterpret_cast<const unsigned char*>(bytes);
    auto SequenceLength = [](unsigned char b) { return b < 0xC0 ? 1 : (b & 0x20) ? 3 : 2; };

    int count = 0;
    for (int i = 0; i < length;) {
        int n = SequenceLength(s[i]);
        if (n > length - i) break;
        ++count;
        i += n;
    }

    std::u16string units(static_cast<std::size_t>(count) + (terminate ? 1 : 0), u'\0');
    for (int i = 0, u = 0; u < count; ++u) {
        unsigned b1 = s[i];
        switch (SequenceLength(s[i])) {
            case 1:
                units[u] = static_cast<char16_t>(b1);
                i += 1;
                break;
            case 2:
                units[u] = static_cast<char16_t>(((b1 & 0x1F) << 6) | (s[i + 1] & 0x3F));
                i += 2;
                break;
            default:
                units[u] = static_cast<char16_t>(((b1 & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F));
                i += 3;
                break;
        }
    }
    return Wide(units);
}

std::string Utf16ToUtf8(const char16_t* u, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        char32_t cp = u[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (u[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}
