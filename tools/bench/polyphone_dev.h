#pragma once
// The labelled sentences of the polyphone development split: dev.sent holds
// one sentence a line with the labelled character between two U+2581 marks,
// dev.lb its reading ("lu:4", "nu:e4").
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "rules/polyphone_model.h"
#include "text/code_pages.h"
#include "text/data_file.h"

namespace polyphone_dev {

struct Item {
    std::u16string text;  // without the marks
    int pos = 0;          // unit position of the labelled character
    std::string label;    // syllable and tone digit in the standard spelling: "lv4", "nue4"
};

inline bool ReadItems(const std::string& folder, std::vector<Item>& items) {
    std::ifstream sent(folder + "/dev.sent"), lb(folder + "/dev.lb");
    if (!sent || !lb) return false;
    const std::string mark = "\xE2\x96\x81";  // U+2581
    std::string line, label;
    while (std::getline(sent, line) && std::getline(lb, label)) {
        const size_t a = line.find(mark);
        const size_t b = a == std::string::npos ? a : line.find(mark, a + mark.size());
        if (b == std::string::npos) continue;
        const std::string before = line.substr(0, a);
        const std::string plain =
            before + line.substr(a + mark.size(), b - a - mark.size()) + line.substr(b + mark.size());
        Item it;
        const AString w = Utf8ToUtf16(plain.data(), static_cast<int>(plain.size()));
        it.text.assign(reinterpret_cast<const char16_t*>(w.GetString()), static_cast<size_t>(w.GetLength() / 2));
        it.pos = Utf8ToUtf16(before.data(), static_cast<int>(before.size())).GetLength() / 2;
        while (!label.empty() && (label.back() == '\r' || label.back() == ' ')) label.pop_back();
        for (size_t i; (i = label.find("u:")) != std::string::npos;)
            label.replace(i, 2, i + 2 < label.size() && label[i + 2] == 'e' ? "u" : "v");
        it.label = label;
        items.push_back(std::move(it));
    }
    return !items.empty();
}

// The split of `dev`, the readings and words of `data`, the representative
// characters and the polyphone model, for the program `tool`; false after a
// message on stderr.
inline bool LoadAll(const char* tool, const std::string& data, const std::string& dev, std::vector<Item>& items,
                    CDict& dict, PolyphoneModel& model) {
    if (!ReadItems(dev, items)) {
        std::fprintf(stderr, "%s: cannot read %s/dev.sent and dev.lb\n", tool, dev.c_str());
        return false;
    }
    if (!dict.LoadToneReadings(data) || !dict.LoadGbReadings(data) || !dict.LoadWordDictionary(data)) {
        std::fprintf(stderr, "%s: cannot load the readings and words in %s\n", tool, data.c_str());
        return false;
    }
    BuildRepresentativeMap();
    std::string error;
    if (!model.Load(DataFilePath(data, kPolyphoneModelFile), error)) {
        std::fprintf(stderr, "%s: %s\n", tool, error.c_str());
        return false;
    }
    return true;
}

}  // namespace polyphone_dev
