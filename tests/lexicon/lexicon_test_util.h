#pragma once
// Helpers of the lexicon tests: GBK text from UTF-16 literals, a scratch
// data folder, whole-file bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "lexicon/reading_files.h"
#include "text/aarray.h"
#include "text/astring.h"
#include "text/gbk_bytes.h"

inline std::string Gbk(const char16_t* text) {
    AString s(text, -1);
    s.ToNarrow(936);
    return std::string(s.GetString(), static_cast<size_t>(s.GetLength()));
}

inline CharKey Key(const char16_t* ch) {
    std::string g = Gbk(ch);
    return g.size() == 2 ? MakeCharKey(static_cast<unsigned char>(g[0]), static_cast<unsigned char>(g[1])) : 0;
}

inline std::string Bytes(const AString& s) { return std::string(s.GetString(), static_cast<size_t>(s.GetLength())); }

inline std::vector<std::string> ToVector(const AStringArray& a) {
    std::vector<std::string> v;
    for (int i = 0; i < a.GetSize(); i++) v.push_back(Bytes(a[i]));
    return v;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(ReadStatus::Ok, ReadFileBytes(path, bytes)) << path;
    return bytes;
}

inline bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// A fresh folder under the temp path, removed with its contents.
class TempDir {
public:
    TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        static std::mt19937_64 rng(std::random_device{}() ^
                                   static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
        path_ = (fs::temp_directory_path(ec) / ("zh_lexicon_" + std::to_string(rng()))).string();
        fs::create_directories(path_, ec);
        EXPECT_FALSE(ec) << path_;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const char* name) const { return DataFilePath(path_, name); }

private:
    std::string path_;
};

inline bool operator==(const ToneReadingRecord& a, const ToneReadingRecord& b) {
    return a.key == b.key && a.readings == b.readings && a.toneData == b.toneData && a.commonFlags == b.commonFlags;
}
inline bool operator==(const GbReadingRecord& a, const GbReadingRecord& b) {
    return a.key == b.key && a.readings == b.readings;
}
