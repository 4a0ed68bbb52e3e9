#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "lexicon/word_dict.h"
// A bit set over the first two characters (four bytes) of every headword
// longer than two characters. Segmentation asks it before looking up words of
// three to five characters: most character pairs start no such word, and the
// set (128 KB) stays in the cache where the dictionary does not.

class WordPrefixFilter {
public:
    void Build(const WordMap& words) {
        bits_.assign(kWords, 0);
        words.ForEachInStorageOrder([this](const AString& key, const CedictEntry&) {
            if (key.GetLength() > 4) Set(Slot(key.GetString()));
        });
        revision_ = words.Revision();
        built_ = true;
    }
    // False only when no headword of more than two characters starts with the
    // four bytes at p; true as well when the filter was not built for the
    // present contents of `words`.
    bool MayStartLongWord(const WordMap& words, const char* p) const {
        if (!built_ || revision_ != words.Revision()) return true;
        const std::uint32_t s = Slot(p);
        return (bits_[s >> 6] >> (s & 63)) & 1;
    }

private:
    static constexpr int kBits = 20;
    static constexpr std::size_t kWords = (std::size_t{1} << kBits) / 64;

    static std::uint32_t Slot(const char* p) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return (v * 0x9E3779B1u) >> (32 - kBits);
    }
    void Set(std::uint32_t s) { bits_[s >> 6] |= std::uint64_t{1} << (s & 63); }

    std::vector<std::uint64_t> bits_;
    std::uint32_t revision_ = 0;
    bool built_ = false;
};
