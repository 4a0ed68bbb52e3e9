#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/data_file.h"
#include "text/gbk_bytes.h"
// The three reading files, little-endian throughout.
//
// ch2pypz1.bin (tone masks) and ch2pypz2.bin (tone orders): 4 ignored bytes,
// u16 entry count, then per entry: CharKey, u8 reading count (at most 6), per
// reading u8 length + spelling + tone data (u8 mask / u16 order), u8 flags.
//
// ch2py.bin (GB2312 readings): entry count, then per entry: CharKey, reading
// count, per reading u32 length (at most 255) + spelling. A count is a u16, or
// 0xFFFF followed by a u32 count.

struct ToneReadingRecord {  // one entry of ch2pypz1.bin / ch2pypz2.bin
    CharKey key = 0;
    std::vector<std::string> readings;    // stored spelling
    std::vector<std::uint16_t> toneData;  // per reading: ToneMask (pz1) or ToneOrder (pz2)
    std::uint8_t commonFlags = 0;
};
struct GbReadingRecord {  // one entry of ch2py.bin
    CharKey key = 0;
    std::vector<std::string> readings;
};
std::uint8_t MakeToneMask(const std::vector<int>& tones);    // bit t-1 per tone t
std::uint16_t MakeToneOrder(const std::vector<int>& tones);  // 3-bit fields, first in bits 0-2, at most 5
bool WriteToneReadingFile(const std::string& path, const std::vector<ToneReadingRecord>& records, bool ordered);
bool WriteGbReadingFile(const std::string& path, const std::vector<GbReadingRecord>& records);
// file names
inline constexpr const char* kToneMaskFile = "ch2pypz1.bin";
inline constexpr const char* kToneOrderFile = "ch2pypz2.bin";
inline constexpr const char* kGbReadingFile = "ch2py.bin";

inline constexpr int kMaxToneReadings = 6;  // tone slots of a record
inline constexpr int kMaxReadingBytes = 255;

// Reading (ReadStatus and the whole-file helpers are in text/data_file.h).

struct ToneReadingView {  // views into the file's bytes
    CharKey key = 0;
    int count = 0;  // 0..6
    std::string_view readings[kMaxToneReadings];
    std::uint16_t toneData[kMaxToneReadings] = {};
    std::uint8_t commonFlags = 0;
};
using ToneReadingVisitor = std::function<void(const ToneReadingView&)>;
using GbReadingVisitor = std::function<void(CharKey, const std::vector<std::string_view>&)>;

ReadStatus ParseToneReadings(std::string_view bytes, bool ordered, const ToneReadingVisitor& visit);
ReadStatus ParseGbReadings(std::string_view bytes, const GbReadingVisitor& visit);

// File readers into records (for tools and tests; the lexicon visits).
ReadStatus ReadToneReadingFile(const std::string& path, bool ordered, std::vector<ToneReadingRecord>& records);
ReadStatus ReadGbReadingFile(const std::string& path, std::vector<GbReadingRecord>& records);
