// ch2py.bin: the parser over the bytes, the file reader, a round trip through
// the writer, and the lexicon's loader with IsGb2312Char.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "lexicon/dict.h"
#include "lexicon/reading_files.h"

namespace {

bool Same(const std::vector<GbReadingRecord>& a, const std::vector<GbReadingRecord>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].key != b[i].key || a[i].readings != b[i].readings) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view in = InputBytes(data, size);
    std::vector<GbReadingRecord> parsed;
    size_t readingCount = 0;
    const ReadStatus status = ParseGbReadings(in, [&](CharKey key, const std::vector<std::string_view>& readings) {
        GbReadingRecord& r = parsed.emplace_back();
        r.key = key;
        for (std::string_view s : readings) {
            FUZZ_CHECK(Inside(s, in) && s.size() <= kMaxReadingBytes);
            r.readings.emplace_back(s);
        }
        readingCount += readings.size();
    });
    FUZZ_CHECK(status != ReadStatus::Missing);
    // Every entry takes 4 bytes or more, every reading 4 more.
    FUZZ_CHECK(parsed.empty() || 2 + 4 * (parsed.size() + readingCount) <= size);
    if (size < 2) FUZZ_CHECK(status == ReadStatus::Damaged && parsed.empty());

    FuzzFolder& folder = FuzzFolder::Get();
    const std::string path = folder.File(kGbReadingFile);
    std::vector<GbReadingRecord> back;
    FUZZ_CHECK(WriteGbReadingFile(path, parsed));
    FUZZ_CHECK(ReadGbReadingFile(path, back) == ReadStatus::Ok && Same(parsed, back));

    folder.Put(kGbReadingFile, in);
    FUZZ_CHECK(ReadGbReadingFile(path, back) == status && Same(parsed, back));

    // The loader keeps the last entry of a key; loading twice gives the same.
    std::map<CharKey, const GbReadingRecord*> last;
    for (const GbReadingRecord& r : parsed) last[r.key] = &r;
    CDict& dict = FuzzDict();
    for (int round = 0; round < 2; round++) {
        FUZZ_CHECK(dict.LoadGbReadings(folder.Path()) == (status == ReadStatus::Ok));
        FUZZ_CHECK(dict.GbReadingMap.GetCount() == static_cast<int>(last.size()));
        for (const auto& [key, want] : last) {
            AStringArray readings;
            FUZZ_CHECK(dict.IsGb2312Char(key, &readings));
            FUZZ_CHECK(readings.GetSize() == static_cast<int>(want->readings.size()));
            for (int i = 0; i < readings.GetSize(); i++)
                FUZZ_CHECK(Bytes(readings[i]) == want->readings[static_cast<size_t>(i)]);
        }
    }
    return 0;
}
