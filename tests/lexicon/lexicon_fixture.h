#pragma once
// A data folder with small fixture files and a lexicon to load from it.
#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/word_dict.h"
#include "lexicon_test_util.h"
#include "text/code_pages.h"
#include "text/data_file.h"

// Collects the reports of the data-file hook while alive.
class ReportRecorder {
public:
    ReportRecorder() {
        previous_ = SetDataFileHook([this](const std::string& path, DataFileProblem p) {
            reports.push_back({path, p});
        });
    }
    ~ReportRecorder() { SetDataFileHook(std::move(previous_)); }
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;
    std::vector<std::pair<std::string, DataFileProblem>> reports;

private:
    DataFileHook previous_;
};

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

inline std::string Entry(const CDictTop& dict, std::string_view headword) {
    const CedictEntry* e = dict.FindWord(Gbk(headword));
    return e ? Bytes(e->pinyin) + "|" + Bytes(e->definitions) : "<none>";
}
