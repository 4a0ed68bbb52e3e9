#include <iconv.h>

#include <bit>
#include <climits>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "text/codepage.h"
#include "text/gbk_bytes.h"

static_assert(std::endian::native == std::endian::little, "UTF-16LE is read as char16_t");

// glibc iconv with the gaps filled the way Windows fills them: an invalid or
// unmapped sequence becomes the code page's default character (a lead byte
// takes the byte after it along unless that is zero), and the single bytes and
// private-use areas that Windows maps but glibc does not are mapped here.
// Checked against Wine for every byte, byte pair and BMP unit of the five code
// pages: the only differences left are Windows' best-fit conversions to 8-bit
// (A-macron to 'A' and the like), which give '?' here.

namespace {

struct CodePage {
    int id;
    const char* name;
    char16_t defaultUnit;                              // for invalid 8-bit input
    unsigned char leadLo1, leadHi1, leadLo2, leadHi2;  // lead byte ranges
};

constexpr CodePage kCodePages[] = {
    {kCodePageGbk, "CP936", u'?', 0x81, 0xFE, 1, 0},
    {kCodePageBig5, "CP950", u'?', 0x81, 0xFE, 1, 0},
    {kCodePageJapanese, "CP932", u'\u30FB', 0x81, 0x9F, 0xE0, 0xFC},
    {kCodePageKorean, "CP949", u'?', 0x81, 0xFE, 1, 0},
    {kCodePageWestern, "CP1252", u'?', 1, 0, 1, 0},
};

// Single bytes that Windows maps and glibc does not.
struct ByteUnit {
    int codePage;
    unsigned char byte;
    char16_t unit;
};

constexpr ByteUnit kExtraBytes[] = {
    {kCodePageGbk, 0xFF, 0xF8F5},      {kCodePageBig5, 0x80, 0x0080},     {kCodePageBig5, 0xFF, 0xF8F8},
    {kCodePageJapanese, 0x80, 0x0080}, {kCodePageJapanese, 0xA0, 0xF8F0}, {kCodePageJapanese, 0xFD, 0xF8F1},
    {kCodePageJapanese, 0xFE, 0xF8F2}, {kCodePageJapanese, 0xFF, 0xF8F3}, {kCodePageKorean, 0x80, 0x0080},
    {kCodePageKorean, 0xFF, 0xF8F7},   {kCodePageWestern, 0x81, 0x0081},  {kCodePageWestern, 0x8D, 0x008D},
    {kCodePageWestern, 0x8F, 0x008F},  {kCodePageWestern, 0x90, 0x0090},  {kCodePageWestern, 0x9D, 0x009D},
};

// Double-byte codes that Windows maps onto the private use area (user-defined
// areas, and GBK codes left unassigned), row by row from firstUnit: every lead
// byte of a run takes the trail bytes lo1..hi1, then lo2..hi2.
struct PuaRun {
    int codePage;
    unsigned char leadFirst, leadLast, lo1, hi1, lo2, hi2;
    char16_t firstUnit;

    int RowSize() const { return hi1 - lo1 + 1 + (hi2 >= lo2 ? hi2 - lo2 + 1 : 0); }
    int Count() const { return (leadLast - leadFirst + 1) * RowSize(); }
    int TrailIndex(unsigned char t) const {
        return t >= lo1 && t <= hi1 ? t - lo1 : t >= lo2 && t <= hi2 ? hi1 - lo1 + 1 + t - lo2 : -1;
    }
    int TrailAt(int i) const { return i <= hi1 - lo1 ? lo1 + i : lo2 + i - (hi1 - lo1 + 1); }
};

constexpr PuaRun kPuaRuns[] = {
    {kCodePageGbk, 0xAA, 0xAF, 0xA1, 0xFE, 1, 0, 0xE000},
    {kCodePageGbk, 0xF8, 0xFE, 0xA1, 0xFE, 1, 0, 0xE234},
    {kCodePageGbk, 0xA1, 0xA7, 0x40, 0x7E, 0x80, 0xA0, 0xE4C6},
    {kCodePageGbk, 0xA2, 0xA2, 0xAB, 0xB0, 1, 0, 0xE766},
    {kCodePageGbk, 0xA2, 0xA2, 0xE3, 0xE4, 1, 0, 0xE76C},
    {kCodePageGbk, 0xA2, 0xA2, 0xEF, 0xF0, 1, 0, 0xE76E},
    {kCodePageGbk, 0xA2, 0xA2, 0xFD, 0xFE, 1, 0, 0xE770},
    {kCodePageGbk, 0xA4, 0xA4, 0xF4, 0xFE, 1, 0, 0xE772},
    {kCodePageGbk, 0xA5, 0xA5, 0xF7, 0xFE, 1, 0, 0xE77D},
    {kCodePageGbk, 0xA6, 0xA6, 0xB9, 0xC0, 1, 0, 0xE785},
    {kCodePageGbk, 0xA6, 0xA6, 0xD9, 0xDF, 1, 0, 0xE78D},
    {kCodePageGbk, 0xA6, 0xA6, 0xEC, 0xED, 1, 0, 0xE794},
    {kCodePageGbk, 0xA6, 0xA6, 0xF3, 0xF3, 1, 0, 0xE796},
    {kCodePageGbk, 0xA6, 0xA6, 0xF6, 0xFE, 1, 0, 0xE797},
    {kCodePageGbk, 0xA7, 0xA7, 0xC2, 0xD0, 1, 0, 0xE7A0},
    {kCodePageGbk, 0xA7, 0xA7, 0xF2, 0xFE, 1, 0, 0xE7AF},
    {kCodePageGbk, 0xA8, 0xA8, 0x96, 0xA0, 1, 0, 0xE7BC},
    {kCodePageGbk, 0xA8, 0xA8, 0xBC, 0xBC, 1, 0, 0xE7C7},
    {kCodePageGbk, 0xA8, 0xA8, 0xBF, 0xBF, 1, 0, 0xE7C8},
    {kCodePageGbk, 0xA8, 0xA8, 0xC1, 0xC4, 1, 0, 0xE7C9},
    {kCodePageGbk, 0xA8, 0xA8, 0xEA, 0xFE, 1, 0, 0xE7CD},
    {kCodePageGbk, 0xA9, 0xA9, 0x58, 0x58, 1, 0, 0xE7E2},
    {kCodePageGbk, 0xA9, 0xA9, 0x5B, 0x5B, 1, 0, 0xE7E3},
    {kCodePageGbk, 0xA9, 0xA9, 0x5D, 0x5F, 1, 0, 0xE7E4},
    {kCodePageGbk, 0xA9, 0xA9, 0x89, 0x95, 1, 0, 0xE7E7},
    {kCodePageGbk, 0xA9, 0xA9, 0x97, 0xA3, 1, 0, 0xE7F4},
    {kCodePageGbk, 0xA9, 0xA9, 0xF0, 0xFE, 1, 0, 0xE801},
    {kCodePageGbk, 0xD7, 0xD7, 0xFA, 0xFE, 1, 0, 0xE810},
    {kCodePageGbk, 0xFE, 0xFE, 0x50, 0x7E, 0x80, 0xA0, 0xE815},
    {kCodePageKorean, 0xC9, 0xC9, 0xA1, 0xFE, 1, 0, 0xE000},
    {kCodePageKorean, 0xFE, 0xFE, 0xA1, 0xFE, 1, 0, 0xE05E},
    {kCodePageBig5, 0xFA, 0xFE, 0x40, 0x7E, 0xA1, 0xFE, 0xE000},
    {kCodePageBig5, 0x8E, 0xA0, 0x40, 0x7E, 0xA1, 0xFE, 0xE311},
    {kCodePageBig5, 0x81, 0x8D, 0x40, 0x7E, 0xA1, 0xFE, 0xEEB8},
    {kCodePageBig5, 0xC6, 0xC6, 0xA1, 0xFE, 1, 0, 0xF6B1},
    {kCodePageBig5, 0xC7, 0xC8, 0x40, 0x7E, 0xA1, 0xFE, 0xF70F},
};

// Units whose 8-bit form glibc gives differently from Windows.
struct WideOverride {
    int codePage;
    char16_t unit;
    const char* bytes;
};

constexpr WideOverride kWideOverrides[] = {
    {kCodePageBig5, 0x2550, "\xF9\xF9"}, {kCodePageBig5, 0x255E, "\xF9\xE9"}, {kCodePageBig5, 0x2561, "\xF9\xEB"},
    {kCodePageBig5, 0x256A, "\xF9\xEA"}, {kCodePageJapanese, 0x2014, "?"},    {kCodePageJapanese, 0x2016, "?"},
    {kCodePageJapanese, 0x203E, "?"},    {kCodePageJapanese, 0x2212, "?"},    {kCodePageJapanese, 0x301C, "?"},
};

bool IsLead(const CodePage& cp, unsigned char b) {
    return (b >= cp.leadLo1 && b <= cp.leadHi1) || (b >= cp.leadLo2 && b <= cp.leadHi2);
}

// What Windows gives for a character of `n` bytes (1 or 2) that glibc rejects.
char16_t MultiByteFallback(const CodePage& cp, const unsigned char* in, int n) {
    if (n == 2)
        for (const PuaRun& r : kPuaRuns)
            if (r.codePage == cp.id && in[0] >= r.leadFirst && in[0] <= r.leadLast && r.TrailIndex(in[1]) >= 0)
                return static_cast<char16_t>(r.firstUnit + (in[0] - r.leadFirst) * r.RowSize() + r.TrailIndex(in[1]));
    if (n == 1)
        for (const ByteUnit& e : kExtraBytes)
            if (e.codePage == cp.id && e.byte == in[0]) return e.unit;
    return cp.defaultUnit;
}

// The 8-bit form Windows gives for a unit glibc rejects; returns its length.
int WideFallback(const CodePage& cp, char16_t unit, unsigned char* out) {
    for (const ByteUnit& e : kExtraBytes)
        if (e.codePage == cp.id && e.unit == unit) {
            out[0] = e.byte;
            return 1;
        }
    for (const PuaRun& r : kPuaRuns) {
        int i = unit - r.firstUnit;
        if (r.codePage != cp.id || i < 0 || i >= r.Count()) continue;
        out[0] = static_cast<unsigned char>(r.leadFirst + i / r.RowSize());
        out[1] = static_cast<unsigned char>(r.TrailAt(i % r.RowSize()));
        return 2;
    }
    out[0] = '?';
    return 1;
}

// The Windows form of a unit that glibc converts differently, or -1.
int OverrideOf(const CodePage& cp, char16_t unit, char (&out)[8]) {
    for (const WideOverride& o : kWideOverrides)
        if (o.codePage == cp.id && o.unit == unit) {
            std::strcpy(out, o.bytes);
            return static_cast<int>(std::strlen(o.bytes));
        }
    return -1;
}

// One converter per thread, code page and direction, opened on first use.
iconv_t Converter(int index, bool toUtf16) {
    struct Cache {
        iconv_t cd[std::size(kCodePages)][2];
        Cache() {
            for (auto& pair : cd) pair[0] = pair[1] = reinterpret_cast<iconv_t>(-1);
        }
        ~Cache() {
            for (auto& pair : cd)
                for (iconv_t c : pair)
                    if (c != reinterpret_cast<iconv_t>(-1)) iconv_close(c);
        }
    };
    thread_local Cache cache;
    iconv_t& cd = cache.cd[index][toUtf16];
    if (cd == reinterpret_cast<iconv_t>(-1))
        cd = toUtf16 ? iconv_open("UTF-16LE", kCodePages[index].name) : iconv_open(kCodePages[index].name, "UTF-16LE");
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial state
    return cd;
}

int FindCodePage(int id) {
    for (int i = 0; i < static_cast<int>(std::size(kCodePages)); ++i)
        if (kCodePages[i].id == id) return i;
    return -1;
}

// iconv on one character: the output length, or -1 when iconv rejects it.
int ConvertOne(iconv_t cd, const char* in, std::size_t inLen, char (&out)[8]) {
    char* src = const_cast<char*>(in);
    char* dst = out;
    std::size_t room = sizeof out;
    if (iconv(cd, &src, &inLen, &dst, &room) == static_cast<std::size_t>(-1) || inLen) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return -1;
    }
    return static_cast<int>(sizeof out - room);
}

}  // namespace

// Both directions go one character at a time, with the character boundaries
// Windows uses (a lead byte and the byte after it, unless zero, make one
// character), so that glibc's own resynchronisation after an invalid sequence
// does not matter.

int MultiByteToUtf16(int codePage, const char* src, int srcLen, char16_t* dst, int dstCap) {
    int index = FindCodePage(codePage);
    if (index < 0 || !src || srcLen == 0 || dstCap < 0 || (dstCap > 0 && !dst)) return 0;
    iconv_t cd = Converter(index, true);
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    const CodePage& cp = kCodePages[index];
    auto* s = reinterpret_cast<const unsigned char*>(src);
    std::size_t len = srcLen < 0 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcLen), units = 0;
    for (std::size_t i = 0; i < len;) {
        int n = IsLead(cp, s[i]) && i + 1 < len && s[i + 1] ? 2 : 1;
        char out[8];
        int k = ConvertOne(cd, src + i, static_cast<std::size_t>(n), out) / 2;
        if (k <= 0) {
            char16_t unit = MultiByteFallback(cp, s + i, n);
            std::memcpy(out, &unit, 2);
            k = 1;
        }
        if (dstCap) {
            if (units + static_cast<std::size_t>(k) > static_cast<std::size_t>(dstCap)) return 0;
            std::memcpy(dst + units, out, 2 * static_cast<std::size_t>(k));
        }
        units += static_cast<std::size_t>(k);
        i += static_cast<std::size_t>(n);
    }
    return static_cast<int>(units);
}

int Utf16ToMultiByte(int codePage, const char16_t* src, int srcLen, char* dst, int dstCap) {
    int index = FindCodePage(codePage);
    if (index < 0 || !src || srcLen == 0 || dstCap < 0 || (dstCap > 0 && !dst)) return 0;
    iconv_t cd = Converter(index, false);
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    const CodePage& cp = kCodePages[index];
    std::size_t units = 0, bytes = 0;
    if (srcLen < 0)
        while (src[units++]) {}
    else
        units = static_cast<std::size_t>(srcLen);
    for (std::size_t i = 0; i < units; ++i) {
        char out[8];
        int k = OverrideOf(cp, src[i], out);
        if (k <= 0) k = ConvertOne(cd, reinterpret_cast<const char*>(src + i), 2, out);
        if (k <= 0) k = WideFallback(cp, src[i], reinterpret_cast<unsigned char*>(out));
        if (dstCap) {
            if (bytes + static_cast<std::size_t>(k) > static_cast<std::size_t>(dstCap)) return 0;
            std::memcpy(dst + bytes, out, static_cast<std::size_t>(k));
        }
        bytes += static_cast<std::size_t>(k);
    }
    return bytes > INT_MAX ? 0 : static_cast<int>(bytes);
}
