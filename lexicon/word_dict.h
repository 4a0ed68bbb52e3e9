#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "lexicon/reading_files.h"
#include "text/ahashmap.h"
#include "text/astring.h"
// The word dictionary: simplified headword (GBK) to pinyin and English
// definitions, from a CEDICT word list in UTF-8 and its binary cache.
//
// Cache, little-endian: an entry count (u16; 0xFFFF escapes to a u32 count),
// then per entry: headword, a 0 byte, u16 reserved value, pinyin,
// definitions; a string is an i32 byte length (<= 0: empty, no bytes) and its
// bytes. Last, a 24-byte stamp of the word list the cache was made from:
// "ZhWLstmp", u64 size, i64 modification time. Readers of the stampless
// layout stop after the entries and never see the stamp; a cache without a
// stamp is taken as it is.

inline constexpr const char* kWordListFile = "cedict_ts.u8";
inline constexpr const char* kWordCacheFile = "workdata2.bin";

inline constexpr int kWordLinePieceBytes = 15999;  // longer lines are read in pieces
inline constexpr int kWordNodesPerBlock = 50000;
inline constexpr int kExpectedWords = 120000;
inline constexpr int kCacheMinEntries = 4;  // a cache of fewer counts as missing

struct CedictEntry {
    std::uint8_t reserved = 0;
    std::uint16_t reservedValue = 0;  // 0 from the word list; kept through the cache
    AString pinyin;                   // lower case, "ni3 hao3"
    AString definitions;              // GBK, "/"-separated, no outer slashes
};

using WordMap = AHashMap<AString, CedictEntry>;

// The whole file, its buffer sized once from the file size.
ReadStatus ReadFileSized(const std::string& path, std::string& bytes);

// One line (or piece) of the word list: false when the line is skipped.
bool ParseWordListLine(std::string_view line, AString& headword, CedictEntry& entry);
// Every line of the word list's bytes into the map, the last line of a headword winning.
void ParseWordList(std::string_view bytes, WordMap& words);

struct WordListStamp {
    std::uint64_t size = 0;
    std::int64_t mtime = 0;  // seconds since 1970
    bool operator==(const WordListStamp&) const = default;
};
// False when the file does not exist.
bool GetWordListStamp(const std::string& path, WordListStamp& stamp);

enum class CacheRead {
    Missing,   // no cache file
    Fresh,     // complete; made from `current` or carries no stamp
    Stale,     // made from another word list; nothing was read
    Damaged,   // truncated or malformed; the entries read completely were stored
};
// Reads the cache into `words` (insert or overwrite). With current == nullptr
// a stamp is not compared.
CacheRead ReadWordCache(const std::string& path, const WordListStamp* current, WordMap& words);
// Writes a temporary file beside `path` and renames it over `path`; false,
// with nothing left behind, when that fails.
bool WriteWordCache(const std::string& path, const WordMap& words, const WordListStamp& stamp);
