// zi_ordered_by_usage.txt: the loader gives the character at place p (from 0)
// the score 32000 - p, never below 0, the last place of a character winning,
// on its ordered record before its mask record.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "fuzz_util.h"
#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzFolder& folder = FuzzFolder::Get();
    folder.Put(kUsageFile, InputBytes(data, size));

    // Records for every listed character: ordered ones for odd trail bytes and
    // those divisible by 4, mask ones for even trail bytes (so some have both).
    std::map<CharKey, int> want;
    for (size_t i = 0; i + 1 < size; i += 2)
        want[MakeCharKey(data[i], data[i + 1])] = std::max(0, kUsageTopScore - static_cast<int>(i / 2));
    CDict& dict = FuzzDict();
    for (int round = 0; round < 2; round++) {
        dict.ToneMaskRecords.RemoveAll();
        dict.ToneOrderRecords.RemoveAll();
        for (const auto& [key, score] : want) {
            const unsigned trail = CharKeyTrail(key);
            if (trail & 1 || trail % 4 == 0) dict.ToneOrderRecords[key];
            if (!(trail & 1)) dict.ToneMaskRecords[key];
        }
        FUZZ_CHECK(dict.LoadUsageScores(folder.Path()));
        for (const auto& [key, score] : want) {
            const typArrPYsDiaoInOrder* ordered = dict.ToneOrderRecords.Find(key);
            const typArrPYs* mask = dict.ToneMaskRecords.Find(key);
            FUZZ_CHECK(ordered || mask);
            if (ordered) FUZZ_CHECK(ordered->UsageScore == score);
            if (mask) FUZZ_CHECK(mask->UsageScore == (ordered ? 0 : score));
        }
    }
    return 0;
}
