#pragma once
#include <atomic>
#include <cstdint>
#include <type_traits>

// AString: reference-counted, copy-on-write 8-bit text (in practice GBK) that
// can also hold UTF-16 text (the wide flag). The object is one pointer to the
// first text byte; the header lies in front of it and two zero bytes always
// follow the text. Indices and lengths count bytes (UTF-16 units where a
// function says so).

struct AStringHeader {
    std::atomic<std::int32_t> refs;  // AString objects sharing the buffer
    std::int32_t length;             // text bytes (2 x units for UTF-16)
    std::int32_t capacity;           // header + text bytes usable: (wanted + 16) | 3
    std::uint8_t wide;               // 1: the text is UTF-16 little-endian units
    std::uint8_t reserved;           // always 0
    std::int16_t codePage;           // <= 0 or kCodePageWestern: none
};
static_assert(sizeof(AStringHeader) == 16);

class AString;

// One Format argument with its kind, so that the engine never reads a value
// as the wrong type. Unsupported argument types do not compile.
struct FormatArg {
    enum Kind : std::uint8_t { None, Int32, Uint32, Int64, Uint64, Double, Text, String, Pointer };
    Kind kind = None;
    union {
        long long i = 0;
        unsigned long long u;
        double d;
        const char* s;
        const AString* a;
        const void* p;
    };

    FormatArg() = default;
    template <class T>
    requires std::is_integral_v<T> || std::is_enum_v<T> FormatArg(T v) {
        using U = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::type_identity<T>>::type;
        if constexpr (std::is_signed_v<U>) {
            kind = sizeof(U) > 4 ? Int64 : Int32;
            i = static_cast<long long>(v);
        } else {
            kind = sizeof(U) > 4 ? Uint64 : Uint32;
            u = static_cast<unsigned long long>(v);
        }
    }
    FormatArg(double v) : kind(Double), d(v) {}
    FormatArg(const char* v) : kind(Text), s(v) {}
    FormatArg(const AString& v) : kind(String), a(&v) {}
    FormatArg(const AString* v) : kind(String), a(v) {}
    FormatArg(const void* v) : kind(Pointer), p(v) {}
    FormatArg(std::nullptr_t) : kind(Pointer), p(nullptr) {}
};

class AString {
public:
    static constexpr int kMaxLength = 0x3FFFFFFF;  // larger requests abort like out-of-memory

    AString();  // the shared empty value
    AString(const char* text, int minCapacity = 0);
    AString(char byte, int count);                            // byte repeated
    AString(const char16_t* units, int count);                // UTF-16, wide flag set; count < 0: up to a zero unit
    static AString FromBytes(const char* bytes, int length);  // 8-bit bytes, may contain NULs
    AString(const AString& other);
    AString(AString&& other) noexcept;
    AString& operator=(const AString& other);
    AString& operator=(AString&& other) noexcept;
    AString& operator=(const char* text);
    AString& operator=(char byte);
    ~AString();

    // Access and state.
    int GetLength() const { return Header()->length; }
    int GetCharCount() const { return IsWide() ? GetLength() / 2 : GetLength(); }
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();
    const char* GetString() const { return text_; }
    char operator[](int i) const { return GetAt(i); }
    char GetAt(int i) const;  // 0 when i is out of range
    bool IsWide() const { return Header()->wide != 0; }
    const char16_t* WideData() const { return reinterpret_cast<const char16_t*>(text_); }
    int GetCodePage() const { return Header()->codePage; }  // as recorded; see HasCodePage
    void SetCodePage(int codePage);
    const AStringHeader* GetHeader() const { return Header(); }
    char* GetBuffer(int minLength);       // unique, contents kept, room for minLength bytes
    void ReleaseBuffer(int length = -1);  // -1: up to the first zero byte (unit); UTF-16: even
    void SetAt(int i, char byte);         // ignored when i is out of range

    // Comparison: byte lengths and bytes (not the wide flag or code page).
    bool Equals(const AString& other) const;
    bool Equals(const char* text) const;
    bool operator==(const AString& other) const { return Equals(other); }
    bool operator==(const char* text) const { return Equals(text); }

    // Concatenation. 8-bit onto UTF-16 widens each byte (AppendWidened);
    // UTF-16 onto 8-bit converts this string with ToWide first.
    AString& Append(const AString& other);
    AString& Append(const char* text);
    AString& Append(const char* text, int length);  // `length` bytes of 8-bit text
    AString& Append(char byte);
    AString& AppendWidened(const char* bytes, int length);  // each byte one unit, result UTF-16
    AString& operator+=(const AString& other) { return Append(other); }
    AString& operator+=(const char* text) { return Append(text); }
    AString& operator+=(char byte) { return Append(byte); }

    // Search: a byte position (unit index for the *Wide functions) or -1.
    // A null or empty needle is never found.
    int Find(const char* text, int start = 0) const;        // GBK-aligned
    int FindBytes(const char* text, int start = 0) const;   // plain byte-wise
    int FindNoCase(const char* text, int start = 0) const;  // ASCII letters fold
    int FindOneOf(const char* set, int start = 0) const;
    int FindGbkChar(const char* pair) const;  // pair: lead and trail byte
    int FindWord16(const char* pair) const;   // the two bytes at an even position
    int FindWide(const AString& pattern, int start = 0, bool ignoreCase = false) const;
    int ReverseFindWide(const AString& pattern, int start = -1, bool ignoreCase = false) const;

    // Extraction and modification; positions in units for UTF-16 contents.
    AString Mid(int start, int count) const;
    AString Mid(int start) const;
    AString Left(int count) const;
    void Delete(int index, int count = 1);
    int Remove(char byte);
    int Replace(char oldByte, char newByte);
    int Replace(const char* oldText, const char* newText);
    AString& TrimLeft(const char* set = "\r\n \t");
    AString& TrimRight(const char* set = "\r\n \t");
    AString& MakeLower();

    // Replaces the contents with the formatted result. Each argument is packed
    // with its kind; FormatArgs (the engine) describes how kinds and
    // conversions meet.
    template <class... Args>
    AString& Format(const char* format, const Args&... args) {
        const FormatArg packed[] = {FormatArg(args)..., FormatArg()};
        return FormatArgs(format, packed, static_cast<int>(sizeof...(Args)));
    }
    AString& FormatArgs(const char* format, const FormatArg* args, int count);

    // Conversion between 8-bit and UTF-16 contents. A code page <= 0 means the
    // string's own; when it has none, ToWide uses GBK and ToNarrow picks GBK,
    // Japanese or Korean (text/gbk_bytes.h) by the script of the text.
    // Nothing produced: empty, still 1.
    int ToWide(int codePage = -1);    // 0 when empty or already UTF-16, else 1
    int ToNarrow(int codePage = -1);  // 0 when not UTF-16, else 1
    bool HasCodePage() const;         // the recorded code page is not "none"

private:
    struct AdoptBuffer {};
    AString(AdoptBuffer, char* text) : text_(text) {}  // takes over a fresh buffer
    AStringHeader* Header() const { return reinterpret_cast<AStringHeader*>(text_ - sizeof(AStringHeader)); }
    int Room() const { return Header()->capacity - static_cast<int>(sizeof(AStringHeader)); }
    static char* Allocate(int bytes, bool wide, int codePage);
    void Release();
    bool Owns(const char* p) const;
    char* Reserve(int bytes, int keep);
    char* MakeUnique() { return Reserve(GetLength(), GetLength()); }
    char* GrowTo(long long length);
    void SetLength(int length);
    unsigned CharAt(int i) const;  // byte, or unit of UTF-16 contents
    AString& Assign(const char* bytes, int length);
    AString& AppendRaw(const char* bytes, int length);
    AString Slice(int byteStart, int byteCount) const;

    char* text_;
};

AString operator+(const AString& a, const AString& b);
AString operator+(const AString& a, const char* b);
AString operator+(const char* a, const AString& b);
AString operator+(const AString& a, char b);
AString operator+(char a, const AString& b);
