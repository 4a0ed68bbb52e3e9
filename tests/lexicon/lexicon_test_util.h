#pragma once
// Helpers of the lexicon tests: whole-file bytes, string lists, record
// comparisons.
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "lexicon/reading_files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "text/aarray.h"
#include "text/astring.h"
#include "text/gbk_bytes.h"

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

inline bool operator==(const ToneReadingRecord& a, const ToneReadingRecord& b) {
    return a.key == b.key && a.readings == b.readings && a.toneData == b.toneData && a.commonFlags == b.commonFlags;
}
inline bool operator==(const GbReadingRecord& a, const GbReadingRecord& b) {
    return a.key == b.key && a.readings == b.readings;
}
