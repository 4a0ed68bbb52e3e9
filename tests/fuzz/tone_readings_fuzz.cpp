// ch2pypz1.bin (tone masks) or, built with ZH_FUZZ_ORDERED, ch2pypz2.bin
// (tone orders): the parser over the bytes, the file reader, a round trip
// through the writer, and the lexicon's loader with its queries.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"
#include "lexicon/reading_files.h"

namespace {

#ifdef ZH_FUZZ_ORDERED
constexpr bool kOrdered = true;
constexpr const char* kFile = kToneOrderFile;
constexpr const char* kOtherFile = kToneMaskFile;
#else
constexpr bool kOrdered = false;
constexpr const char* kFile = kToneMaskFile;
constexpr const char* kOtherFile = kToneOrderFile;
#endif

bool Same(const ToneReadingRecord& a, const ToneReadingRecord& b) {
    return a.key == b.key && a.readings == b.readings && a.toneData == b.toneData && a.commonFlags == b.commonFlags;
}

bool Same(const std::vector<ToneReadingRecord>& a, const std::vector<ToneReadingRecord>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (!Same(a[i], b[i])) return false;
    return true;
}

// The loaded record of a key against the last parsed entry of that key.
template <class Record, class Tone>
void CheckRecord(const Record& rec, const Tone (&tones)[6], const ToneReadingRecord& want) {
    FUZZ_CHECK(rec.readings.GetSize() == static_cast<int>(want.readings.size()));
    for (int i = 0; i < rec.readings.GetSize(); i++) {
        FUZZ_CHECK(Bytes(rec.readings[i]) == want.readings[static_cast<size_t>(i)]);
        FUZZ_CHECK(tones[i] == want.toneData[static_cast<size_t>(i)]);
    }
    for (size_t i = want.readings.size(); i < 6; i++) FUZZ_CHECK(tones[i] == 0);
    FUZZ_CHECK(rec.CommonFlags == want.commonFlags && rec.UsageScore == 0 && rec.definition.IsEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view in = InputBytes(data, size);
    std::vector<ToneReadingRecord> parsed;
    const ReadStatus status = ParseToneReadings(in, kOrdered, [&](const ToneReadingView& v) {
        FUZZ_CHECK(v.count >= 0 && v.count <= kMaxToneReadings);
        ToneReadingRecord& r = parsed.emplace_back();
        r.key = v.key;
        r.commonFlags = v.commonFlags;
        for (int i = 0; i < v.count; i++) {
            FUZZ_CHECK(Inside(v.readings[i], in) && v.readings[i].size() <= kMaxReadingBytes);
            FUZZ_CHECK(kOrdered || v.toneData[i] <= 0xFF);
            r.readings.emplace_back(v.readings[i]);
            r.toneData.push_back(v.toneData[i]);
        }
    });
    FUZZ_CHECK(status != ReadStatus::Missing);
    // Header of 6 bytes, at least 4 per entry; Ok exactly when every declared entry came.
    FUZZ_CHECK(parsed.empty() || 6 + 4 * parsed.size() <= size);
    if (size < 6) {
        FUZZ_CHECK(status == ReadStatus::Damaged && parsed.empty());
    } else {
        const size_t declared = data[4] | static_cast<size_t>(data[5]) << 8;
        FUZZ_CHECK(status == ReadStatus::Ok ? parsed.size() == declared : parsed.size() < declared);
    }

    // What was read survives the writer and the file reader unchanged.
    FuzzFolder& folder = FuzzFolder::Get();
    const std::string path = folder.File(kFile);
    std::vector<ToneReadingRecord> back;
    FUZZ_CHECK(WriteToneReadingFile(path, parsed, kOrdered));
    FUZZ_CHECK(ReadToneReadingFile(path, kOrdered, back) == ReadStatus::Ok && Same(parsed, back));

    // The file reader agrees with the parser.
    folder.Put(kFile, in);
    FUZZ_CHECK(ReadToneReadingFile(path, kOrdered, back) == status && Same(parsed, back));

    // The loader: one record per key, the last entry winning; twice the same.
    for (const char* other : {kOtherFile, kGbReadingFile, kDefinitionFile, kUsageFile}) folder.Remove(other);
    std::map<CharKey, const ToneReadingRecord*> last;
    for (const ToneReadingRecord& r : parsed) last[r.key] = &r;
    CDict& dict = FuzzDict();
    for (int round = 0; round < 2; round++) {
        FUZZ_CHECK(!dict.LoadToneReadings(folder.Path()));  // the other file is missing
        FUZZ_CHECK((kOrdered ? dict.ToneMaskRecords.GetCount() : dict.ToneOrderRecords.GetCount()) == 0);
        FUZZ_CHECK((kOrdered ? dict.ToneOrderRecords.GetCount() : dict.ToneMaskRecords.GetCount()) ==
                   static_cast<int>(last.size()));
        for (const auto& [key, want] : last) {
            if constexpr (kOrdered) {
                const typArrPYsDiaoInOrder* rec = dict.ToneOrderRecords.Find(key);
                FUZZ_CHECK(rec);
                CheckRecord(*rec, rec->ToneOrder, *want);
            } else {
                const typArrPYs* rec = dict.ToneMaskRecords.Find(key);
                FUZZ_CHECK(rec);
                CheckRecord(*rec, rec->ToneMask, *want);
            }
        }
    }

    // Queries on every loaded key: each stored reading is found with its tones.
    for (const auto& [key, want] : last) {
        AStringArray readings;
        FUZZ_CHECK(dict.GetReadings(key, readings) >= static_cast<int>(want->readings.size()));
        for (const std::string& reading : want->readings) {
            AString symbols;
            FUZZ_CHECK(dict.GetToneSymbols(key, AString::FromBytes(reading.data(), static_cast<int>(reading.size())),
                                           symbols, true));
            FUZZ_CHECK(symbols.GetLength() <= 5);
        }
        const char pair[2] = {static_cast<char>(CharKeyLead(key)), static_cast<char>(CharKeyTrail(key))};
        char out[3];
        dict.ReadableCharAt(pair, 2, 0, out, false);
    }
    return 0;
}
