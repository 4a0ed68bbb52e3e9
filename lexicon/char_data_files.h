#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/gbk_bytes.h"
// The character data files: the two component tables, the scrambled
// definitions, the usage-ordered character list and the sort numbers.
//
// ZiPartsStd2.dat, ZiPartsBaseStd2.dat: text, a key line then its value line.
//   Lines are read in pieces of at most 1023 bytes (a CR LF counts as one
//   byte, as in text mode) and lose trailing "\r\n \t"; an odd last line is
//   ignored.
// ZiDef.dic: bytes XORed with DefinitionKey repeated; the plain text is LF
//   separated lines: the character's 2 GBK bytes, a separator byte, the
//   definition (GBK).
// zi_ordered_by_usage.txt: 2-byte GBK characters, no separators, most used first.
// sort.dic: records without separators: a character (lead byte >= 0x80), then
//   a decimal number in ASCII (bytes < 0x80; the first 15 count).

inline constexpr const char* kComponentFile = "ZiPartsStd2.dat";
inline constexpr const char* kBaseComponentFile = "ZiPartsBaseStd2.dat";
inline constexpr const char* kDefinitionFile = "ZiDef.dic";
inline constexpr const char* kUsageFile = "zi_ordered_by_usage.txt";
inline constexpr const char* kSortFile = "sort.dic";
extern const unsigned char DefinitionKey[55];

inline constexpr int kComponentPieceBytes = 1023;  // a line piece, its LF included
inline constexpr int kUsageTopScore = 32000;       // score of the most used character
inline constexpr int kSortDigits = 15;             // digits of a sort number that count

// Writers for the data builder. Each refuses, writing nothing, what its
// format cannot hold: component lines with CR or LF, with trailing white space
// or longer than 1022 bytes; definitions with LF or keys with an LF byte;
// usage and sort keys whose lead byte is below 0x80.
// key line, value line; GBK text
bool WriteComponentFile(const std::string& path, const std::vector<std::pair<std::string, std::string>>& pairs);
// one line per character: the 2 GBK bytes, a space, the definition (GBK); scrambled
bool WriteDefinitionFile(const std::string& path, const std::vector<std::pair<CharKey, std::string>>& definitions);
bool WriteUsageFile(const std::string& path, const std::vector<CharKey>& mostUsedFirst);
bool WriteSortFile(const std::string& path, const std::vector<std::pair<CharKey, int>>& numbers);

// Parsers over a file's bytes; every byte sequence is accepted.
using TextPairVisitor = std::function<void(std::string_view key, std::string_view value)>;
void ParseComponentText(std::string_view bytes, const TextPairVisitor& visit);
// Descrambles in place.
void ScrambleDefinitions(std::string& bytes);
// Lines of 2 bytes or more of descrambled text: the key and the text from the
// line's fourth byte (empty when the line is shorter).
void ParseDefinitionText(std::string_view plain, const std::function<void(CharKey, std::string_view)>& visit);
void ParseSortText(std::string_view bytes, const std::function<void(CharKey, std::int32_t)>& visit);

// Text-mode line pieces: a CR LF pair is one LF, a line is handed on in
// pieces of at most `pieceBytes` bytes counting its LF; pieces come without
// their LF (the last piece may be empty when the LF alone was left).
void ForEachLinePiece(std::string_view bytes, int pieceBytes, const std::function<void(std::string_view)>& visit);
