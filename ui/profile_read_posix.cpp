#include <cstdio>
#include <string>
#include <string_view>

#include "ui/profile_read.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

bool ReadWhole(const char* path, std::string& out) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char chunk[16384];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, n);
    std::fclose(f);
    return true;
}

AString Cut(std::string_view value, int bufferSize) {
    if (value.size() > static_cast<std::size_t>(bufferSize - 1)) value = value.substr(0, bufferSize - 1);
    return AString::FromBytes(value.data(), static_cast<int>(value.size()));
}

// The value of `key` in `section` of the file's text; false when absent.
bool FindValue(std::string_view text, std::string_view section, std::string_view key, std::string_view& value) {
    bool inSection = false;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = Trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            inSection = SameNoCase(name, section);
            continue;
        }
        if (!inSection) continue;
        std::size_t eq = line.find('=');
        if (!SameNoCase(Trim(line.substr(0, eq)), key)) continue;
        value = eq == std::string_view::npos ? std::string_view() : Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return true;
    }
    return false;
}

}  // namespace

AString ReadProfileString(const char* section, const char* key, const char* def, int bufferSize, const char* file) {
    if (bufferSize < 1 || !file || !key) return AString();
    std::string text;
    std::string_view value;
    if (ReadWhole(file, text) && FindValue(text, section ? section : "", Trim(key), value))
        return Cut(value, bufferSize);
    std::string_view d = def ? def : "";
    while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
    return Cut(d, bufferSize);
}
