#pragma once
// A data folder with small fixture files and a lexicon to load from it.
#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "text/data_file.h"
#include "lexicon/dict.h"
#include "lexicon/word_dict.h"
#include "text/code_pages.h"
#include "lexicon_test_util.h"

// Collects the reports of the data-file hook while alive.
class ReportRecorder {
public:
    ReportRecorder() {
        previous_ = SetDataFileHook([this](const std::string& path, DataFileProblem p) { reports.push_back({path, p}); });
    }
    ~ReportRecorder() { SetDataFileHook(std::move(previous_)); }
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;
    std::vector<std::pair<std::string, DataFileProblem>> reports;

private:
    DataFileHook previous_;
};

inline std::string Utf8(const char16_t* text) {
    return Utf16ToUtf8(text, static_cast<int>(std::char_traits<char16_t>::length(text)));
}

inline AString A(const std::string& bytes) { return AString::FromBytes(bytes.data(), static_cast<int>(bytes.size())); }
inline AString G(const char16_t* text) { return A(Gbk(text)); }

// headword (GBK) -> "pinyin|definitions" of a word map, for comparisons.
inline std::vector<std::pair<std::string, std::string>> Entries(const WordMap& words) {
    std::vector<std::pair<std::string, std::string>> out;
    for (APosition pos = words.GetStartPosition(); pos;) {
        const AString* key;
        const CedictEntry* e;
        words.GetNextAssoc(pos, key, e);
        out.push_back({Bytes(*key), Bytes(e->pinyin) + "|" + Bytes(e->definitions)});
    }
    std::sort(out.begin(), out.end());
    return out;
}

inline std::string Entry(const CDictTop& dict, const char16_t* headword) {
    const CedictEntry* e = dict.FindWord(G(headword));
    return e ? Bytes(e->pinyin) + "|" + Bytes(e->definitions) : "<none>";
}
