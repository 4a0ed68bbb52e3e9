#include "text/astring.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "text/astring_pool.h"
#include "text/code_pages.h"
#include "text/codepage.h"
#include "text/gbk_bytes.h"

namespace {

constexpr int kHeaderSize = sizeof(AStringHeader);

// The shared empty value: never allocated and never freed. Its count starts at
// 2, so every modification of it makes a buffer of its own first.
struct EmptyBlock {
    AStringHeader header;
    char text[5];  // room for capacity (16 | 3) and the two zero bytes
};
constinit EmptyBlock gEmpty{{2, 0, kHeaderSize | 3, 0, 0, 0}, {}};

char* TakeEmpty() {
    gEmpty.header.refs.fetch_add(1, std::memory_order_relaxed);
    return gEmpty.text;
}

AStringHeader* HeaderOf(char* text) { return reinterpret_cast<AStringHeader*>(text - kHeaderSize); }

// Code pages that do not fit the 16-bit field are recorded as none.
std::int16_t CodePageField(int codePage) {
    return static_cast<std::int16_t>(codePage < INT16_MIN || codePage > INT16_MAX ? -1 : codePage);
}

int TextLength(const char* text) {
    std::size_t n = text ? std::strlen(text) : 0;
    if (n > static_cast<std::size_t>(AString::kMaxLength)) std::abort();
    return static_cast<int>(n);
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
char16_t FoldUnit(char16_t u) { return u >= 'A' && u <= 'Z' ? static_cast<char16_t>(u + 32) : u; }

bool InSet(unsigned c, const char* set) { return set && c && c < 256 && std::strchr(set, static_cast<int>(c)); }

bool UnitsMatch(const char16_t* a, const char16_t* b, int n, bool ignoreCase) {
    if (!ignoreCase) return std::memcmp(a, b, 2 * static_cast<std::size_t>(n)) == 0;
    for (int i = 0; i < n; ++i)
        if (FoldUnit(a[i]) != FoldUnit(b[i])) return false;
    return true;
}

}  // namespace

// ---- Buffer management ----

char* AString::Allocate(int bytes, bool wide, int codePage) {
    if (bytes < 0 || bytes > kMaxLength) std::abort();
    int capacity = (bytes + kHeaderSize) | 3;
    auto* h = new (AStringPool::Alloc(capacity + 2))
        AStringHeader{1, 0, capacity, static_cast<std::uint8_t>(wide), 0, CodePageField(codePage)};
    char* text = reinterpret_cast<char*>(h + 1);
    text[0] = text[1] = 0;
    return text;
}

void AString::Release() {
    AStringHeader* h = Header();
    if (h->refs.fetch_sub(1, std::memory_order_acq_rel) == 1 && h != &gEmpty.header)
        AStringPool::Free(h, h->capacity + 2);
}

bool AString::Owns(const char* p) const {
    std::less_equal<const char*> le;
    return p && le(text_, p) && le(p, text_ + GetLength() + 1);
}

// Makes the buffer unique with room for `bytes` text bytes, keeping its first
// `keep` bytes (at most the room it has), its flags and its code page.
char* AString::Reserve(int bytes, int keep) {
    AStringHeader* h = Header();
    if (h->refs.load(std::memory_order_acquire) == 1 && bytes <= Room()) return text_;
    bool fromEmpty = h == &gEmpty.header;
    char* text = Allocate(std::max(bytes, keep), h->wide, fromEmpty ? -1 : h->codePage);
    AStringHeader* nh = HeaderOf(text);
    nh->reserved = h->reserved;
    nh->length = keep;
    std::memcpy(text, text_, static_cast<std::size_t>(keep));
    text[keep] = text[keep + 1] = 0;
    Release();
    text_ = text;
    return text;
}

// Reserve for an append: a buffer of our own that grows leaves room for more.
char* AString::GrowTo(long long length) {
    if (length > kMaxLength) std::abort();
    int len = GetLength();
    long long want = length;
    if (want > Room() && Header()->refs.load(std::memory_order_acquire) == 1)
        want = std::min<long long>(kMaxLength, std::max<long long>(want, len + len / 2));
    return Reserve(static_cast<int>(want), len);
}

// Sets the length of a unique buffer and writes the two zero bytes; an empty
// result attaches to the shared empty value.
void AString::SetLength(int length) {
    if (length == 0) return Empty();
    Header()->length = length;
    text_[length] = text_[length + 1] = 0;
}

AString AString::Slice(int byteStart, int byteCount) const {
    if (byteCount <= 0) return AString();
    if (byteStart == 0 && byteCount == GetLength()) return *this;
    AString r(AdoptBuffer{}, Allocate(byteCount, IsWide(), GetCodePage()));
    std::memcpy(r.text_, text_ + byteStart, static_cast<std::size_t>(byteCount));
    r.SetLength(byteCount);
    return r;
}

// ---- Construction and assignment ----

AString::AString() : text_(TakeEmpty()) {}

AString::AString(const char* text, int minCapacity) : text_(TakeEmpty()) {
    int len = TextLength(text);
    if (len == 0 && minCapacity <= 0) return;
    char* d = Reserve(std::max(len, minCapacity), 0);
    if (len) {
        std::memcpy(d, text, static_cast<std::size_t>(len));
        SetLength(len);
    }
}

AString::AString(char byte, int count) : text_(TakeEmpty()) {
    if (count <= 0) return;
    std::memset(Reserve(count, 0), byte, static_cast<std::size_t>(count));
    SetLength(count);
}

AString::AString(const char16_t* units, int count) : text_(TakeEmpty()) {
    if (!units) return;
    if (count < 0)
        for (count = 0; count < kMaxLength / 2 && units[count]; ++count) {}
    if (count == 0) return;
    if (count > kMaxLength / 2) std::abort();
    std::memcpy(Reserve(2 * count, 0), units, 2 * static_cast<std::size_t>(count));
    Header()->wide = 1;
    SetLength(2 * count);
}

AString AString::FromBytes(const char* bytes, int length) {
    AString s;
    s.AppendRaw(bytes, length);
    return s;
}

AString::AString(const AString& other) : text_(other.text_) { Header()->refs.fetch_add(1, std::memory_order_relaxed); }

AString::AString(AString&& other) noexcept : text_(std::exchange(other.text_, TakeEmpty())) {}

AString& AString::operator=(const AString& other) {
    AString copy(other);
    std::swap(text_, copy.text_);
    return *this;
}

AString& AString::operator=(AString&& other) noexcept {
    std::swap(text_, other.text_);
    return *this;
}

AString::~AString() { Release(); }

// Reuses an unshared buffer that is large enough; `bytes` may lie in it.
AString& AString::Assign(const char* bytes, int length) {
    if (!bytes || length <= 0) {
        Empty();
        return *this;
    }
    AStringHeader* h = Header();
    if (h->refs.load(std::memory_order_acquire) == 1 && h->capacity >= length + kHeaderSize) {
        std::memmove(text_, bytes, static_cast<std::size_t>(length));
        h->wide = 0;
        h->codePage = -1;
    } else {
        char* text = Allocate(length, false, -1);
        std::memcpy(text, bytes, static_cast<std::size_t>(length));
        Release();
        text_ = text;
    }
    SetLength(length);
    return *this;
}

AString& AString::operator=(const char* text) { return Assign(text, TextLength(text)); }
AString& AString::operator=(char byte) { return Assign(&byte, 1); }

// ---- Access and state ----

void AString::Empty() {
    if (text_ == gEmpty.text) return;
    Release();
    text_ = TakeEmpty();
}

char AString::GetAt(int i) const { return i >= 0 && i < GetLength() ? text_[i] : 0; }

bool AString::HasCodePage() const {
    int cp = GetCodePage();
    return cp > 0 && cp != kCodePageWestern;
}

void AString::SetCodePage(int codePage) {
    if (CodePageField(codePage) == GetCodePage()) return;
    MakeUnique();
    Header()->codePage = CodePageField(codePage);
}

char* AString::GetBuffer(int minLength) {
    int len = GetLength();
    return Reserve(std::max(minLength, len), len);
}

void AString::ReleaseBuffer(int length) {
    char* d = MakeUnique();
    int room = Room();
    if (length < 0 && IsWide()) {
        for (length = 0; length + 1 < room && (d[length] || d[length + 1]);) length += 2;
    } else if (length < 0) {
        const void* zero = std::memchr(d, 0, static_cast<std::size_t>(room));
        length = zero ? static_cast<int>(static_cast<const char*>(zero) - d) : room;
    }
    if (IsWide()) length &= ~1;  // no half units
    if (length > room) {         // keep what the caller wrote, zero the rest
        d = Reserve(length, room);
        std::memset(d + room, 0, static_cast<std::size_t>(length - room));
    }
    SetLength(length);
}

void AString::SetAt(int i, char byte) {
    if (i >= 0 && i < GetLength()) MakeUnique()[i] = byte;
}

// ---- Comparison ----

bool AString::Equals(const AString& other) const {
    return text_ == other.text_ || (GetLength() == other.GetLength() &&
                                    std::memcmp(text_, other.text_, static_cast<std::size_t>(GetLength())) == 0);
}

bool AString::Equals(const char* text) const {
    std::size_t n = text ? std::strlen(text) : 0;
    return n == static_cast<std::size_t>(GetLength()) && std::memcmp(text_, text ? text : "", n) == 0;
}

// ---- Concatenation ----

AString& AString::AppendRaw(const char* bytes, int length) {
    if (!bytes || length <= 0) return *this;
    AString pin;  // keeps `bytes` valid when they lie in our own buffer
    if (Owns(bytes)) pin = *this;
    int len = GetLength();
    std::memcpy(GrowTo(static_cast<long long>(len) + length) + len, bytes, static_cast<std::size_t>(length));
    SetLength(len + length);
    return *this;
}

AString& AString::AppendWidened(const char* bytes, int length) {
    if (!bytes || length <= 0) return *this;
    AString pin;
    if (Owns(bytes)) pin = *this;
    if (!IsWide()) ToWide();  // 8-bit contents become UTF-16 first
    int len = GetLength();
    char* d = GrowTo(len + 2LL * length) + len;
    for (int i = 0; i < length; ++i) {
        d[2 * i] = bytes[i];
        d[2 * i + 1] = 0;
    }
    Header()->wide = 1;
    SetLength(len + 2 * length);
    return *this;
}

AString& AString::Append(const AString& other) {
    if (other.IsEmpty()) return *this;
    if (!IsWide() && other.IsWide()) ToWide();
    if (IsEmpty()) return *this = other;
    if (IsWide() && !other.IsWide()) return AppendWidened(other.text_, other.GetLength());
    return AppendRaw(other.text_, other.GetLength());
}

AString& AString::Append(const char* text) { return Append(text, TextLength(text)); }

AString& AString::Append(const char* text, int length) {
    return IsWide() ? AppendWidened(text, length) : AppendRaw(text, length);
}

AString& AString::Append(char byte) { return Append(&byte, 1); }

namespace {
template <class A, class B>
AString Concat(const A& a, const B& b) {
    AString r(a);
    r.Append(b);
    return r;
}
}  // namespace

AString operator+(const AString& a, const AString& b) { return Concat(a, b); }
AString operator+(const AString& a, const char* b) { return Concat(a, b); }
AString operator+(const char* a, const AString& b) { return Concat(a, b); }
AString operator+(const AString& a, char b) { return Concat(a, b); }
AString operator+(char a, const AString& b) { return Concat(AString(a, 1), b); }

// ---- Search ----

int AString::Find(const char* text, int start) const {
    auto* s = reinterpret_cast<const unsigned char*>(text_);
    int len = GetLength();
    for (int i = std::max(start, 0); i < len;) {
        int n = FindBytes(text, i);
        if (n < 0) return -1;
        while (i < n) i += i + 1 < len && IsGbkPair(s[i], s[i + 1]) ? 2 : 1;
        if (i == n) return n;  // else n was a trail byte: search on from i
    }
    return -1;
}

int AString::FindBytes(const char* text, int start) const {
    start = std::max(start, 0);
    if (!text || !*text || start >= GetLength()) return -1;
    std::string_view view(text_, static_cast<std::size_t>(GetLength()));
    std::size_t p = view.find(text, static_cast<std::size_t>(start));
    return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

int AString::FindNoCase(const char* text, int start) const {
    int n = TextLength(text), last = GetLength() - n;
    if (n == 0) return -1;
    for (int p = std::max(start, 0); p <= last; ++p) {
        int k = 0;
        while (k < n && FoldAscii(text_[p + k]) == FoldAscii(text[k])) ++k;
        if (k == n) return p;
    }
    return -1;
}

int AString::FindOneOf(const char* set, int start) const {
    for (int i = std::max(start, 0); i < GetLength(); ++i)
        if (InSet(static_cast<unsigned char>(text_[i]), set)) return i;
    return -1;
}

int AString::FindGbkChar(const char* pair) const {
    if (!pair || !IsGbkLeadByte(static_cast<unsigned char>(pair[0]))) return -1;
    auto* s = reinterpret_cast<const unsigned char*>(text_);
    int len = GetLength();
    for (int i = 0; i < len;) {
        if (!IsGbkLeadByte(s[i])) {
            ++i;
            continue;
        }
        if (i + 1 == len) return -1;
        if (IsGbkTrailByte(s[i + 1]) && text_[i] == pair[0] && text_[i + 1] == pair[1]) return i;
        i += 2;
    }
    return -1;
}

int AString::FindWord16(const char* pair) const {
    if (!pair) return -1;
    for (int p = 0; p < GetLength() - 1; p += 2)
        if (text_[p] == pair[0] && text_[p + 1] == pair[1]) return p;
    return -1;
}

int AString::FindWide(const AString& pattern, int start, bool ignoreCase) const {
    int m = pattern.GetLength() / 2, n = GetLength() / 2;
    if (m == 0) return -1;
    for (int p = std::max(start, 0); p <= n - m; ++p)
        if (UnitsMatch(WideData() + p, pattern.WideData(), m, ignoreCase)) return p;
    return -1;
}

int AString::ReverseFindWide(const AString& pattern, int start, bool ignoreCase) const {
    int m = pattern.GetLength() / 2, n = GetLength() / 2;
    if (m == 0 || n == 0) return -1;
    for (int e = start < 0 ? n - 1 : std::min(start, n - 1); e >= m - 1; --e)
        if (UnitsMatch(WideData() + e - m + 1, pattern.WideData(), m, ignoreCase)) return e;
    return -1;
}

// ---- Extraction and modification ----

AString AString::Mid(int start, int count) const {
    int total = GetCharCount(), unit = IsWide() ? 2 : 1;
    start = std::max(start, 0);
    if (start >= total || count <= 0) return AString();
    count = std::min(count, total - start);
    return Slice(start * unit, count * unit);
}

AString AString::Mid(int start) const { return Mid(start, INT_MAX); }
AString AString::Left(int count) const { return Mid(0, count); }

void AString::Delete(int index, int count) {
    int total = GetCharCount(), unit = IsWide() ? 2 : 1;
    index = std::max(index, 0);
    if (index >= total || count <= 0) return;
    count = std::min(count, total - index);
    int len = GetLength(), from = index * unit, n = count * unit;
    char* d = MakeUnique();
    std::memmove(d + from, d + from + n, static_cast<std::size_t>(len - from - n));
    SetLength(len - n);
}

int AString::Remove(char byte) {
    int len = GetLength();
    auto* first = static_cast<const char*>(std::memchr(text_, byte, static_cast<std::size_t>(len)));
    if (!first) return 0;
    int at = static_cast<int>(first - text_);
    char* d = MakeUnique();
    int kept = static_cast<int>(std::remove(d + at, d + len, byte) - d);
    SetLength(kept);
    return len - kept;
}

int AString::Replace(char oldByte, char newByte) {
    int len = GetLength(), count = static_cast<int>(std::count(text_, text_ + len, oldByte));
    if (count && oldByte != newByte) {
        char* d = MakeUnique();
        std::replace(d, d + len, oldByte, newByte);
    }
    return count;
}

// Collects the matches, then rebuilds in one pass: in place when the new text
// is not longer, else into a buffer of the final length.
int AString::Replace(const char* oldText, const char* newText) {
    int oldLen = TextLength(oldText), newLen = TextLength(newText);
    if (oldLen == 0) return 0;
    std::vector<int> hits;
    for (int p = FindBytes(oldText, 0); p >= 0; p = FindBytes(oldText, p + oldLen)) hits.push_back(p);
    if (hits.empty()) return 0;
    int len = GetLength();
    long long total = len + static_cast<long long>(hits.size()) * (newLen - oldLen);
    if (total > kMaxLength) std::abort();
    AString pin;  // keeps newText valid when it lies in our own buffer
    if (Owns(newText)) pin = *this;
    bool grows = newLen > oldLen;
    AString grown(AdoptBuffer{}, grows ? Allocate(static_cast<int>(total), IsWide(), GetCodePage()) : TakeEmpty());
    char* d = grows ? grown.text_ : MakeUnique();
    const char* s = text_;
    int r = 0, w = 0;
    for (int p : hits) {
        std::memmove(d + w, s + r, static_cast<std::size_t>(p - r));
        w += p - r;
        if (newLen) std::memcpy(d + w, newText, static_cast<std::size_t>(newLen));
        w += newLen;
        r = p + oldLen;
    }
    std::memmove(d + w, s + r, static_cast<std::size_t>(len - r));
    if (grows) std::swap(text_, grown.text_);
    SetLength(w + len - r);
    return static_cast<int>(hits.size());
}

AString& AString::TrimLeft(const char* set) {
    int total = GetCharCount(), n = 0;
    while (n < total && InSet(CharAt(n), set)) ++n;
    Delete(0, n);
    return *this;
}

AString& AString::TrimRight(const char* set) {
    int total = GetCharCount(), n = total;
    while (n > 0 && InSet(CharAt(n - 1), set)) --n;
    Delete(n, total - n);
    return *this;
}

AString& AString::MakeLower() {
    if (IsWide()) return *this;
    int len = GetLength();
    const char* upper = std::find_if(text_, text_ + len, [](char c) { return c >= 'A' && c <= 'Z'; });
    if (upper == text_ + len) return *this;
    int i = static_cast<int>(upper - text_);
    char* d = MakeUnique();
    std::transform(d + i, d + len, d + i, FoldAscii);
    return *this;
}

unsigned AString::CharAt(int i) const { return IsWide() ? WideData()[i] : static_cast<unsigned char>(text_[i]); }

// ---- Code pages ----

int AString::ToWide(int codePage) {
    if (IsEmpty() || IsWide()) return 0;
    if (codePage <= 0) codePage = HasCodePage() ? GetCodePage() : kCodePageGbk;
    int len = GetLength(), units = MultiByteToUtf16(codePage, text_, len, nullptr, 0);
    if (units > kMaxLength / 2) std::abort();
    AString wide(AdoptBuffer{}, units > 0 ? Allocate(2 * units, true, GetCodePage()) : TakeEmpty());
    if (units > 0) units = MultiByteToUtf16(codePage, text_, len, reinterpret_cast<char16_t*>(wide.text_), units);
    std::swap(text_, wide.text_);
    SetLength(2 * std::max(units, 0));
    return 1;
}

int AString::ToNarrow(int codePage) {
    if (!IsWide()) return 0;
    int units = GetLength() / 2;
    if (codePage <= 0 && HasCodePage()) codePage = GetCodePage();
    if (codePage <= 0) {
        int script = ScriptOfWideText(WideData(), units);
        codePage = script == 4 ? kCodePageJapanese : script == 5 ? kCodePageKorean : kCodePageGbk;
    }
    int bytes = Utf16ToMultiByte(codePage, WideData(), units, nullptr, 0);
    AString narrow(AdoptBuffer{}, bytes > 0 ? Allocate(bytes, false, GetCodePage()) : TakeEmpty());
    if (bytes > 0) bytes = Utf16ToMultiByte(codePage, WideData(), units, narrow.text_, bytes);
    std::swap(text_, narrow.text_);
    SetLength(std::max(bytes, 0));
    return 1;
}

// ---- Format ----

namespace {

// Walks the packed arguments; past the end every argument reads as None.
struct ArgCursor {
    const FormatArg* args;
    int count, next = 0;
    const FormatArg& Next() {
        static const FormatArg none{};
        return next < count ? args[next++] : none;
    }
};

// The integer value of a numeric argument and whether it has 64 bits; false
// for texts and missing arguments. Doubles are truncated (clamped, NaN is 0).
bool IntegerOf(const FormatArg& a, unsigned long long& value, bool& is64) {
    is64 = a.kind != FormatArg::Int32 && a.kind != FormatArg::Uint32;
    switch (a.kind) {
        case FormatArg::Int32:
        case FormatArg::Int64: value = static_cast<unsigned long long>(a.i); return true;
        case FormatArg::Uint32:
        case FormatArg::Uint64: value = a.u; return true;
        case FormatArg::Pointer: value = reinterpret_cast<std::uintptr_t>(a.p); return true;
        case FormatArg::Double:
            value = static_cast<unsigned long long>(a.d != a.d       ? 0
                                                    : a.d >= 9.2e18  ? LLONG_MAX
                                                    : a.d <= -9.2e18 ? LLONG_MIN
                                                                     : static_cast<long long>(a.d));
            return true;
        default: return false;
    }
}

bool DoubleOf(const FormatArg& a, double& d) {
    switch (a.kind) {
        case FormatArg::Double: d = a.d; return true;
        case FormatArg::Int32:
        case FormatArg::Int64: d = static_cast<double>(a.i); return true;
        case FormatArg::Uint32:
        case FormatArg::Uint64: d = static_cast<double>(a.u); return true;
        default: return false;
    }
}

// '*' takes the next argument as an int, as in C, and writes its digits into
// the conversion spec. A negative precision, or a missing or non-numeric
// argument, leaves that width or precision out (a precision's '.' goes too).
void PutStar(char* spec, int& n, const FormatArg& arg) {
    unsigned long long v;
    bool is64, precision = spec[n - 1] == '.';
    bool numeric = IntegerOf(arg, v, is64);
    long long value = is64 ? static_cast<long long>(v) : static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    value = std::clamp<long long>(value, -INT_MAX, INT_MAX);
    if (!numeric || (precision && value < 0)) {
        if (precision) --n;
        return;
    }
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    int k = static_cast<int>(end - digits);
    if (n + k < 64) {
        std::memcpy(spec + n, digits, static_cast<std::size_t>(k));
        n += k;
    }
}

// The conversion spec without length modifiers, followed by `modifier` and `conv`.
void CSpec(const char* spec, const char* modifier, char conv, char (&out)[72]) {
    int n = 0;
    for (const char* c = spec; *c; ++c)
        if (*c != 'h' && *c != 'l' && *c != 'L') out[n++] = *c;
    while (*modifier) out[n++] = *modifier++;
    out[n++] = conv;
    out[n] = 0;
}

// The precision ".N" of a conversion spec, or -1 when it has none.
int PrecisionOf(const char* spec) {
    const char* dot = std::strrchr(spec, '.');
    if (!dot) return -1;
    long long n = 0;
    for (const char* c = dot + 1; *c >= '0' && *c <= '9'; ++c) n = std::min<long long>(n * 10 + (*c - '0'), INT_MAX);
    return static_cast<int>(n);
}

// One of "cCdiouxX" or 'p' through the C runtime. 32-bit arguments print as
// 32-bit values (-1 with %x gives ffffffff), 64-bit ones in full; 'h' and 'hh'
// narrow as in C; 'l' and 'L' are dropped. %C prints like %c (one byte).
bool FormatInteger(const char* spec, char conv, const FormatArg& a, char (&out)[64]) {
    char cspec[72];
    unsigned long long v;
    bool is64;
    if (conv == 'p') {
        const void* p;
        if (a.kind == FormatArg::Text)
            p = a.s;
        else if (a.kind == FormatArg::String)
            p = a.a;
        else if (IntegerOf(a, v, is64))
            p = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(v));
        else
            return false;
        CSpec(spec, "", 'p', cspec);
        return std::snprintf(out, sizeof out, cspec, p) >= 0;
    }
    if (!IntegerOf(a, v, is64)) return false;
    if (conv == 'c' || conv == 'C') {
        CSpec(spec, "", 'c', cspec);
        return std::snprintf(out, sizeof out, cspec, static_cast<int>(static_cast<unsigned char>(v))) >= 0;
    }
    bool isSigned = conv == 'd' || conv == 'i';
    long long sv = is64 ? static_cast<long long>(v) : static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    unsigned long long uv = is64 ? v : static_cast<std::uint32_t>(v);
    const char* h = std::strchr(spec, 'h');
    if (h && h[1] == 'h') {
        sv = static_cast<signed char>(sv);
        uv = static_cast<unsigned char>(uv);
    } else if (h) {
        sv = static_cast<short>(sv);
        uv = static_cast<unsigned short>(uv);
    }
    CSpec(spec, "ll", conv, cspec);
    return (isSigned ? std::snprintf(out, sizeof out, cspec, sv) : std::snprintf(out, sizeof out, cspec, uv)) >= 0;
}

// One of "eEfgG" through the C runtime; integers convert to double.
bool FormatDouble(const char* spec, char conv, const FormatArg& a, char (&out)[256]) {
    double d;
    if (!DoubleOf(a, d)) return false;
    char cspec[72];
    CSpec(spec, "", conv, cspec);
    return std::snprintf(out, sizeof out, cspec, d) >= 0;
}

}  // namespace

// Follows the C-style format, reading each argument by its recorded kind:
// - %s takes a text (an AString gives its zero-terminated text); width and
//   flags are ignored, ".N" cuts to N bytes. %! appends an AString (or text).
// - Integer and floating conversions accept any numeric argument (converted)
//   and a pointer for %p; a text given to them, or a number given to %s or %!,
//   appends nothing. A conversion with no argument left appends nothing.
// - '*' consumes the next argument as an int (see PutStar).
// - %S and %n stop formatting (nothing is written through %n) and the rest of
//   the format is appended literally; a format that ends inside a
//   conversion spec stops there; any other character after '%' is appended.
// The result is built apart and then taken, so arguments may refer to *this.
AString& AString::FormatArgs(const char* format, const FormatArg* args, int count) {
    AString out;
    ArgCursor cursor{args, count};
    const char* p = format ? format : "";
    while (const char* percent = std::strchr(p, '%')) {
        out.Append(p, static_cast<int>(percent - p));
        p = percent + 1;
        char spec[64] = "%";
        int n = 1;
        for (; *p && std::strchr("-+0 #*.123456789hlL", *p); ++p) {
            if (*p == '*')
                PutStar(spec, n, cursor.Next());
            else if (n < 63)
                spec[n++] = *p;
        }
        spec[n] = 0;
        if (!*p) break;
        char conv = *p++;
        if (conv == 's') {
            const FormatArg& a = cursor.Next();
            const char* text = a.kind == FormatArg::Text            ? a.s
                               : a.kind == FormatArg::String && a.a ? a.a->GetString()
                                                                    : nullptr;
            int len = TextLength(text), precision = PrecisionOf(spec);
            out.Append(text, precision >= 0 && precision < len ? precision : len);
        } else if (conv == '!') {
            const FormatArg& a = cursor.Next();
            if (a.kind == FormatArg::String && a.a) out.Append(*a.a);
            if (a.kind == FormatArg::Text) out.Append(a.s);
        } else if (std::strchr("cCdiouxXp", conv)) {
            char buffer[64];
            if (FormatInteger(spec, conv, cursor.Next(), buffer)) out.Append(buffer);
        } else if (std::strchr("eEfgG", conv)) {
            char buffer[256];
            if (FormatDouble(spec, conv, cursor.Next(), buffer)) out.Append(buffer);
        } else if (conv == 'S' || conv == 'n') {
            break;
        } else {
            out.Append(conv);
        }
    }
    out.Append(p);
    std::swap(text_, out.text_);
    return *this;
}
