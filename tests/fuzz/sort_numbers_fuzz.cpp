// sort.dic: the record parser, a round trip through the writer, and the loader.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_util.h"
#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"

namespace {

std::vector<std::pair<CharKey, int>> Parse(std::string_view bytes) {
    std::vector<std::pair<CharKey, int>> records;
    ParseSortText(bytes, [&](CharKey key, std::int32_t number) {
        FUZZ_CHECK(CharKeyLead(key) >= 0x80);
        records.emplace_back(key, number);
    });
    // A record starts at a byte of 0x80 or above and takes two bytes.
    FUZZ_CHECK(2 * records.size() <= bytes.size());
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view in = InputBytes(data, size);
    const auto records = Parse(in);

    FuzzFolder& folder = FuzzFolder::Get();
    const std::string copy = folder.File("roundtrip.dic");
    std::string bytes;
    FUZZ_CHECK(WriteSortFile(copy, records));
    FUZZ_CHECK(ReadFileBytes(copy, bytes) == ReadStatus::Ok && Parse(bytes) == records);

    std::map<CharKey, std::int32_t> want;
    for (const auto& [key, number] : records) want[key] = number;
    folder.Put(kSortFile, in);
    CDict& dict = FuzzDict();
    for (int round = 0; round < 2; round++) {
        FUZZ_CHECK(dict.LoadSortNumbers(folder.Path()));
        FUZZ_CHECK(Snapshot(dict.SortNumbers, [](std::int32_t n) { return n; }) == want);
    }
    return 0;
}
