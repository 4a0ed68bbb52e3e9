#pragma once
// The three reading files' records, built from Unihan readings for every
// Chinese character of GBK.
#include <set>
#include <vector>

#include "lexicon/reading_files.h"
#include "tools/mkdata/gbk_index.h"
#include "tools/mkdata/unihan_readings.h"

struct ReadingData {
    std::vector<ToneReadingRecord> toneMasks;   // ch2pypz1.bin
    std::vector<ToneReadingRecord> toneOrders;  // ch2pypz2.bin
    std::vector<GbReadingRecord> gb2312;        // ch2py.bin
};

// True for the 6763 characters of GB2312: rows B0..F7, cells A1..FE, less D7FA..D7FE.
bool IsGb2312Code(unsigned char lead, unsigned char trail);

// A character whose most frequent tone under some syllable is not its lowest
// goes to the ordered file; every other character to the mask file.
bool NeedsToneOrder(const ReadingList& readings);

// Walks every GBK pair in code order, decodes it (kCodePageGbk) and takes its
// Unihan readings.
ReadingData BuildReadingData(const UnihanReadings& unihan);

inline constexpr size_t kCommonCharCount = 2500;

// The first `count` characters of GB2312 in a most-used-first list.
std::set<CharKey> CommonChars(const std::vector<char32_t>& mostUsedFirst, const GbkIndex& gbk,
                              size_t count = kCommonCharCount);
// CommonFlags 1 for the records of those characters; the number marked.
size_t MarkCommonChars(ReadingData& data, const std::set<CharKey>& common);
