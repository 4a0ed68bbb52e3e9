#include "lexicon/word_dict.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "lexicon/byte_io.h"
#include "lexicon/char_data_files.h"
#include "text/gbk.h"

namespace {

// Buckets for the expected number of words, before an empty map is filled,
// so that lookups stay O(1) whatever the size of the word list.
void SizeForWords(WordMap& words, std::uint64_t expected) {
    if (words.IsEmpty() && expected > static_cast<std::uint64_t>(words.GetHashTableSize()))
        words.InitHashTable(AHashTableSizeFor(static_cast<int>(std::min<std::uint64_t>(expected, 1u << 24))));
}

constexpr char kStampMagic[8] = {'Z', 'h', 'W', 'L', 's', 't', 'm', 'p'};
constexpr size_t kStampBytes = 24;

std::string_view TrimRight(std::string_view s, const char* set = "\r\n \t") {
    size_t end = s.find_last_not_of(set);
    return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

// A cache string: i32 length (0 or less: empty), then the bytes.
AString ReadCacheString(ByteReader& r) {
    const auto len = static_cast<std::int32_t>(r.U32());
    if (len <= 0) return AString();
    const std::string_view bytes = r.Bytes(static_cast<std::uint32_t>(len));
    return r.ok() ? AString::FromBytes(bytes.data(), len) : AString();
}

void PutLe(std::string& out, std::uint64_t v, int n) {
    for (int i = 0; i < n; i++) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutString(std::string& out, const AString& s) {
    PutLe(out, static_cast<std::uint32_t>(s.GetLength()), 4);
    out.append(s.GetString(), static_cast<size_t>(s.GetLength()));
}

std::uint64_t GetLe64(const char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; i++) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}

}  // namespace

ReadStatus ReadFileSized(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return ReadStatus::Missing;
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), ec);
    bool ok = true;
    if (!ec && size < (std::uintmax_t{1} << 31)) {
        bytes.resize(static_cast<size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    }
    char buf[1 << 14];  // whatever the size did not announce
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, got);
    ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok ? ReadStatus::Ok : ReadStatus::Damaged;
}

bool ParseWordListLine(std::string_view line, AString& headword, CedictEntry& entry) {
    line = TrimRight(line, "\r\n");
    size_t first = line.find_first_not_of("\r\n \t");
    if (first == std::string_view::npos || static_cast<unsigned char>(line[first]) < 0x80) return false;
    line.remove_prefix(first);

    size_t open = line.find('[');
    if (open == std::string_view::npos) return false;
    std::string_view forms = line.substr(0, open);
    size_t sep = forms.find_first_of(" ,;");
    std::string_view head = TrimRight(sep == std::string_view::npos ? forms : forms.substr(sep + 1));
    if (head.size() < 2) return false;

    size_t close = line.find(']', open + 1);
    if (close == std::string_view::npos) return false;
    std::string_view pinyin = line.substr(open + 1, close - open - 1);
    std::string_view rest = line.substr(close + 1);
    if (!rest.empty()) pinyin.remove_prefix(std::min(pinyin.size(), pinyin.find_first_not_of(' ')));
    pinyin = TrimRight(pinyin);

    size_t defStart = rest.find_first_not_of(" /");
    std::string_view defs = defStart == std::string_view::npos ? std::string_view() : rest.substr(defStart);
    if (!defs.empty() && defs.back() == '/') defs.remove_suffix(1);

    headword = GbkFromUtf8(head, Utf8Decoding::System);
    entry.reserved = 0;
    entry.reservedValue = 0;
    entry.pinyin = AString::FromBytes(pinyin.data(), static_cast<int>(pinyin.size()));
    entry.pinyin.MakeLower();
    entry.definitions = GbkFromUtf8(defs, Utf8Decoding::System);
    entry.definitions.TrimLeft();
    entry.definitions.TrimRight();
    return true;
}

void ParseWordList(std::string_view bytes, WordMap& words) {
    SizeForWords(words, static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    AString headword;
    CedictEntry entry;
    ForEachLinePiece(bytes, kWordLinePieceBytes, [&](std::string_view line) {
        if (!ParseWordListLine(line, headword, entry)) return;
        words[headword] = std::move(entry);
    });
}

bool GetWordListStamp(const std::string& path, WordListStamp& stamp) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p(path);
    if (!fs::is_regular_file(p, ec)) return false;
    std::uintmax_t size = fs::file_size(p, ec);
    if (ec) return false;
    fs::file_time_type time = fs::last_write_time(p, ec);
    if (ec) return false;
    stamp.size = static_cast<std::uint64_t>(size);
    // Seconds since 1970, so that a cache made on one system (the data
    // builder) is recognised on another (the program on Windows).
    const auto sys = std::chrono::file_clock::to_sys(time);
    stamp.mtime = std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
    return true;
}

CacheRead ReadWordCache(const std::string& path, const WordListStamp* current, WordMap& words) {
    std::string bytes;
    ReadStatus s = ReadFileSized(path, bytes);
    if (s == ReadStatus::Missing) return CacheRead::Missing;
    if (s != ReadStatus::Ok) return CacheRead::Damaged;

    std::string_view body(bytes);
    if (body.size() >= kStampBytes && std::memcmp(body.data() + body.size() - kStampBytes, kStampMagic, 8) == 0) {
        const char* p = body.data() + body.size() - kStampBytes + 8;
        WordListStamp made{GetLe64(p), static_cast<std::int64_t>(GetLe64(p + 8))};
        if (current && !(made == *current)) return CacheRead::Stale;
        body.remove_suffix(kStampBytes);
    }

    ByteReader r(body);
    const std::uint32_t count = r.Count();
    // An entry takes at least 15 bytes, which bounds what a damaged count may ask for.
    SizeForWords(words, std::min<std::uint64_t>(count, body.size() / 15));
    for (std::uint32_t i = 0; i < count && r.ok(); i++) {
        AString headword = ReadCacheString(r);
        r.U8();
        auto reservedValue = static_cast<std::uint16_t>(r.U16());
        AString pinyin = ReadCacheString(r);
        AString definitions = ReadCacheString(r);
        if (!r.ok()) break;
        CedictEntry& e = words[headword];
        e.reserved = 0;
        e.reservedValue = reservedValue;
        e.pinyin = std::move(pinyin);
        e.definitions = std::move(definitions);
    }
    return r.ok() && r.AtEnd() ? CacheRead::Fresh : CacheRead::Damaged;
}

bool WriteWordCache(const std::string& path, const WordMap& words, const WordListStamp& stamp) {
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    std::string out;
    auto flush = [&](size_t above) {
        if (out.size() <= above) return;
        ok = ok && std::fwrite(out.data(), 1, out.size(), f) == out.size();
        out.clear();
    };
    auto n = static_cast<std::uint32_t>(words.GetCount());
    if (n < 0xFFFF) {
        PutLe(out, n, 2);
    } else {
        PutLe(out, 0xFFFF, 2);
        PutLe(out, n, 4);
    }
    for (APosition pos = words.GetStartPosition(); pos;) {
        const AString* headword;
        const CedictEntry* e;
        words.GetNextAssoc(pos, headword, e);
        PutString(out, *headword);
        out += '\0';
        PutLe(out, e->reservedValue, 2);
        PutString(out, e->pinyin);
        PutString(out, e->definitions);
        flush(1 << 16);
    }
    out.append(kStampMagic, 8);
    PutLe(out, stamp.size, 8);
    PutLe(out, static_cast<std::uint64_t>(stamp.mtime), 8);
    flush(0);
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) std::filesystem::rename(std::filesystem::path(temp), std::filesystem::path(path), ec);
    if (!ok || ec) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
