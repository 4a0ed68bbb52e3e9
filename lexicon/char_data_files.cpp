#include "lexicon/char_data_files.h"

#include <cstdio>
#include <cstring>

#include "lexicon/reading_files.h"
#include "text/gbk.h"

const unsigned char DefinitionKey[55] = {
    0x93, 0xBF, 0xD6, 0x8D, 0xA9, 0x0C, 0x7B, 0x62, 0x62, 0x75, 0x7E, 0x50, 0x86, 0x5D, 0xDB, 0x16, 0x8C, 0xCA, 0xDF,
    0x80, 0xD2, 0x8A, 0x7A, 0xD8, 0x4D, 0xE4, 0x39, 0x33, 0x6C, 0xC1, 0x9D, 0x12, 0x1D, 0x58, 0x04, 0x36, 0x60, 0xAE,
    0x61, 0xBD, 0x29, 0x92, 0xC8, 0x42, 0x55, 0xFE, 0x8E, 0x37, 0x63, 0x87, 0xC5, 0x53, 0x14, 0x48, 0xB7,
};

namespace {

constexpr const char* kWhite = "\r\n \t";

std::string_view TrimRight(std::string_view s) {
    size_t end = s.find_last_not_of(kWhite);
    return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

// A component line survives the reader unchanged.
bool FitsComponentLine(const std::string& s) {
    return s.size() < static_cast<size_t>(kComponentPieceBytes) && s.find_first_of("\r\n") == std::string::npos &&
           TrimRight(s).size() == s.size();
}

void AppendKey(std::string& out, CharKey k) {
    out += static_cast<char>(CharKeyLead(k));
    out += static_cast<char>(CharKeyTrail(k));
}

}  // namespace

void ForEachLinePiece(std::string_view bytes, int pieceBytes, const std::function<void(std::string_view)>& visit) {
    if (pieceBytes < 2) pieceBytes = 2;
    const size_t piece = static_cast<size_t>(pieceBytes);
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        bool hasLf = nl != std::string_view::npos;
        size_t end = hasLf ? nl : bytes.size();
        size_t content = end - pos;
        if (hasLf && content > 0 && bytes[end - 1] == '\r') content--;  // CR LF reads as LF
        size_t translated = content + (hasLf ? 1 : 0);
        for (size_t at = 0; at < translated; at += piece) {
            size_t from = at < content ? at : content;
            size_t to = at + piece < content ? at + piece : content;
            visit(bytes.substr(pos + from, to - from));
        }
        pos = hasLf ? nl + 1 : bytes.size();
    }
}

void ParseComponentText(std::string_view bytes, const TextPairVisitor& visit) {
    std::string_view key;
    bool haveKey = false;
    ForEachLinePiece(bytes, kComponentPieceBytes, [&](std::string_view line) {
        line = TrimRight(line);
        if (!haveKey) {
            key = line;
        } else {
            visit(key, line);
        }
        haveKey = !haveKey;
    });
}

void ScrambleDefinitions(std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); i++) bytes[i] = static_cast<char>(bytes[i] ^ DefinitionKey[i % 55]);
}

void ParseDefinitionText(std::string_view plain, const std::function<void(CharKey, std::string_view)>& visit) {
    size_t pos = 0;
    while (pos < plain.size()) {
        size_t nl = plain.find('\n', pos);
        std::string_view line = plain.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? plain.size() : nl + 1;
        if (line.size() < 2) continue;
        visit(CharKeyAt(line), line.size() > 3 ? line.substr(3) : std::string_view());
    }
}

void ParseSortText(std::string_view bytes, const std::function<void(CharKey, std::int32_t)>& visit) {
    size_t i = 0, n = bytes.size();
    while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) i++;  // nothing before the first record
    while (i + 1 < n) {
        CharKey key = CharKeyAt(bytes, i);
        i += 2;
        size_t start = i;
        while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) i++;
        // The first 15 bytes as a decimal integer: a sign, then digits.
        std::string_view digits = bytes.substr(start, i - start < kSortDigits ? i - start : kSortDigits);
        size_t d = 0;
        bool negative = false;
        if (d < digits.size() && (digits[d] == '-' || digits[d] == '+')) negative = digits[d++] == '-';
        long long v = 0;
        for (; d < digits.size() && digits[d] >= '0' && digits[d] <= '9'; d++)
            if (v <= 0x7FFFFFFF) v = v * 10 + (digits[d] - '0');
        if (v > 0x7FFFFFFF) v = negative ? 0x80000000LL : 0x7FFFFFFF;
        visit(key, static_cast<std::int32_t>(negative ? -v : v));
    }
}

bool WriteComponentFile(const std::string& path, const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::string out;
    for (const auto& [key, value] : pairs) {
        if (!FitsComponentLine(key) || !FitsComponentLine(value)) return false;
        out += key + '\n' + value + '\n';
    }
    return WriteFileBytes(path, out);
}

bool WriteDefinitionFile(const std::string& path, const std::vector<std::pair<CharKey, std::string>>& definitions) {
    std::string out;
    for (const auto& [key, text] : definitions) {
        if (CharKeyLead(key) == '\n' || CharKeyTrail(key) == '\n' || text.find('\n') != std::string::npos) return false;
        AppendKey(out, key);
        out += ' ';
        out += text;
        out += '\n';
    }
    ScrambleDefinitions(out);
    return WriteFileBytes(path, out);
}

bool WriteUsageFile(const std::string& path, const std::vector<CharKey>& mostUsedFirst) {
    std::string out;
    for (CharKey key : mostUsedFirst) {
        if (CharKeyLead(key) < 0x80) return false;
        AppendKey(out, key);
    }
    return WriteFileBytes(path, out);
}

bool WriteSortFile(const std::string& path, const std::vector<std::pair<CharKey, int>>& numbers) {
    std::string out;
    for (const auto& [key, number] : numbers) {
        if (CharKeyLead(key) < 0x80) return false;
        AppendKey(out, key);
        out += std::to_string(number);
    }
    return WriteFileBytes(path, out);
}
