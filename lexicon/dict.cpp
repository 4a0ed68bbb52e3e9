#include "lexicon/dict.h"

#include <filesystem>

#include "lexicon/char_data_files.h"
#include "lexicon/reading_files.h"
#include "lexicon/representative.h"
#include "lexicon/syllable.h"
#include "text/big5.h"
#include "text/data_file.h"
#include "text/gbk.h"

namespace {

// Expected entries of the full data set (about 20,000 characters with tone
// data, 6,763 in GB2312), for the bucket counts.
constexpr int kToneEntries = 16384;
constexpr int kGbEntries = 6763;
constexpr int kComponentEntries = 24000;  // every GBK character and some letters
constexpr int kSortEntries = 21000;

// Reads and parses one file; a problem is reported once.
template <class Parse>
bool LoadFile(const std::string& path, Parse parse) {
    std::string bytes;
    ReadStatus s = ReadFileBytes(path, bytes);
    if (s == ReadStatus::Ok) s = parse(std::string_view(bytes));
    if (s != ReadStatus::Ok)
        ReportDataFile(path, s == ReadStatus::Missing ? DataFileProblem::Missing : DataFileProblem::Damaged);
    return s == ReadStatus::Ok;
}

// A fresh record from a parsed entry; a later entry of the same key replaces it.
template <class Record, class Tone>
void FillRecord(Record& rec, const ToneReadingView& v, Tone (&tones)[6]) {
    rec = Record{};
    rec.readings.SetSize(v.count);
    for (int i = 0; i < v.count; i++) {
        rec.readings[i] = AString::FromBytes(v.readings[i].data(), static_cast<int>(v.readings[i].size()));
        tones[i] = static_cast<Tone>(v.toneData[i]);
    }
    rec.CommonFlags = v.commonFlags;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

// A file whose absence is normal; only a read error is reported.
template <class Parse>
bool LoadOptionalFile(const std::string& path, Parse parse) {
    std::string bytes;
    ReadStatus s = ReadFileBytes(path, bytes);
    if (s == ReadStatus::Damaged) ReportDataFile(path, DataFileProblem::Damaged);
    if (s != ReadStatus::Ok) return false;
    parse(bytes);
    return true;
}

}  // namespace

CDictTop::CDictTop() {
    ToneMaskRecords.InitHashTable(AHashTableSizeFor(kToneEntries));
    ToneOrderRecords.InitHashTable(AHashTableSizeFor(kToneEntries));
    GbReadingMap.InitHashTable(AHashTableSizeFor(kGbEntries));
    ComponentTable.InitHashTable(AHashTableSizeFor(kComponentEntries));
    WordDictionary.InitHashTable(AHashTableSizeFor(kExpectedWords));
    SortNumbers.InitHashTable(AHashTableSizeFor(kSortEntries));
}

CDictTop::~CDictTop() = default;
CDict::~CDict() = default;

void CDictTop::InitOnce(const std::string& dataFolder) {
    if (LexiconLoaded) return;
    if (!IsBig5TableLoaded()) LoadBig5Table(dataFolder);
    BuildRepresentativeMap();
}

void CDictTop::ReleaseCodeTables() {
    ReleaseBig5Table();
    LexiconLoaded = false;
}

bool CDictTop::LoadToneReadings(const std::string& dataFolder) {
    ToneMaskRecords.RemoveAll();
    ToneOrderRecords.RemoveAll();
    bool masks = LoadFile(DataFilePath(dataFolder, kToneMaskFile), [&](std::string_view bytes) {
        return ParseToneReadings(bytes, false, [&](const ToneReadingView& v) {
            typArrPYs& rec = ToneMaskRecords[v.key];
            FillRecord(rec, v, rec.ToneMask);
        });
    });
    bool orders = LoadFile(DataFilePath(dataFolder, kToneOrderFile), [&](std::string_view bytes) {
        return ParseToneReadings(bytes, true, [&](const ToneReadingView& v) {
            typArrPYsDiaoInOrder& rec = ToneOrderRecords[v.key];
            FillRecord(rec, v, rec.ToneOrder);
        });
    });
    LoadDefinitions(dataFolder);
    LoadUsageScores(dataFolder);
    return masks && orders;
}

bool CDictTop::LoadGbReadings(const std::string& dataFolder) {
    GbReadingMap.RemoveAll();
    return LoadFile(DataFilePath(dataFolder, kGbReadingFile), [&](std::string_view bytes) {
        return ParseGbReadings(bytes, [&](CharKey key, const std::vector<std::string_view>& readings) {
            AStringArray& slot = GbReadingMap[key];  // a later entry replaces all
            slot.SetSize(static_cast<int>(readings.size()));
            for (size_t i = 0; i < readings.size(); i++)
                slot[static_cast<int>(i)] =
                    AString::FromBytes(readings[i].data(), static_cast<int>(readings[i].size()));
        });
    });
}

bool CDictTop::LoadLexicon(const std::string& dataFolder) {
    bool ok = LoadToneReadings(dataFolder);
    ok = Exists(DataFilePath(dataFolder, kDefinitionFile)) && Exists(DataFilePath(dataFolder, kUsageFile)) && ok;
    ok = LoadGbReadings(dataFolder) && ok;
    ok = LoadComponentTable(dataFolder, true) && ok;
    ok = LoadComponentTable(dataFolder, false) && ok;
    ok = LoadWordDictionary(dataFolder) && ok;
    ok = LoadSortNumbers(dataFolder) && ok;
    LexiconLoaded = true;
    return ok;
}

bool CDictTop::LoadDefinitions(const std::string& dataFolder) {
    return LoadOptionalFile(DataFilePath(dataFolder, kDefinitionFile), [&](std::string& bytes) {
        ScrambleDefinitions(bytes);
        ParseDefinitionText(bytes, [&](CharKey ch, std::string_view text) {
            AString def = AString::FromBytes(text.data(), static_cast<int>(text.size()));
            if (typArrPYsDiaoInOrder* rec = ToneOrderRecords.Find(ch))
                rec->definition = def;
            else
                ToneMaskRecords[ch].definition = def;  // a new record has no readings
        });
    });
}

bool CDictTop::LoadUsageScores(const std::string& dataFolder) {
    return LoadOptionalFile(DataFilePath(dataFolder, kUsageFile), [&](std::string& bytes) {
        int score = kUsageTopScore;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2, score--) {
            CharKey ch = CharKeyAt(bytes, i);
            auto value = static_cast<std::uint16_t>(score > 0 ? score : 0);  // no wrap past the 32000th
            if (typArrPYsDiaoInOrder* rec = ToneOrderRecords.Find(ch))
                rec->UsageScore = value;
            else if (typArrPYs* rec = ToneMaskRecords.Find(ch))
                rec->UsageScore = value;
        }
    });
}

bool CDictTop::LoadComponentTable(const std::string& dataFolder, bool base) {
    AMapStringToString& table = base ? BaseComponentTable : ComponentTable;
    table.RemoveAll();
    return LoadOptionalFile(DataFilePath(dataFolder, base ? kBaseComponentFile : kComponentFile),
                            [&](std::string& bytes) {
                                ParseComponentText(bytes, [&](std::string_view key, std::string_view value) {
                                    table[AString::FromBytes(key.data(), static_cast<int>(key.size()))] =
                                        AString::FromBytes(value.data(), static_cast<int>(value.size()));
                                });
                            });
}

bool CDictTop::LoadSortNumbers(const std::string& dataFolder) {
    SortNumbers.RemoveAll();
    return LoadOptionalFile(DataFilePath(dataFolder, kSortFile), [&](std::string& bytes) {
        ParseSortText(bytes, [&](CharKey ch, std::int32_t number) { SortNumbers[ch] = number; });
    });
}

bool CDictTop::LoadWordDictionary(const std::string& dataFolder) {
    const bool ok = ReadWordDictionary(dataFolder);
    IndexWords();
    return ok;
}

bool CDictTop::ReadWordDictionary(const std::string& dataFolder) {
    WordDictionary.RemoveAll();
    const std::string listPath = DataFilePath(dataFolder, kWordListFile);
    const std::string cachePath = DataFilePath(dataFolder, kWordCacheFile);
    WordListStamp stamp;
    bool haveList = GetWordListStamp(listPath, stamp);

    CacheRead cache = ReadWordCache(cachePath, haveList ? &stamp : nullptr, WordDictionary);
    if (cache == CacheRead::Fresh && WordDictionary.GetCount() >= kCacheMinEntries) return true;

    std::string bytes;
    ReadStatus s = haveList ? ReadFileSized(listPath, bytes) : ReadStatus::Missing;
    if (s != ReadStatus::Ok) {
        if (s == ReadStatus::Damaged) ReportDataFile(listPath, DataFileProblem::Damaged);
        return false;  // what the cache held stays
    }
    if (cache == CacheRead::Damaged) WordDictionary.RemoveAll();  // rebuilt from the list alone
    ParseWordList(bytes, WordDictionary);
    std::string().swap(bytes);  // the list's bytes go before the cache is written
    return WriteWordCache(cachePath, WordDictionary, stamp);
}

void CDictTop::GetDefinition(const AString& text, AString& definition, int* commonness) const {
    if (text.GetLength() >= 2 && !text.IsWide()) {
        CharKey ch = CharKeyAt(text);
        if (const typArrPYsDiaoInOrder* rec = ToneOrderRecords.Find(ch)) {
            definition = rec->definition;
            if (commonness) *commonness = rec->CommonFlags;
            return;
        }
        if (const typArrPYs* rec = ToneMaskRecords.Find(ch)) {
            definition = rec->definition;
            if (commonness) *commonness = rec->CommonFlags;
            return;
        }
    }
    const CedictEntry* word = WordDictionary.Find(text);
    definition = word ? word->definitions : AString();
}

const AStringArray* CDictTop::StoredReadings(CharKey ch) const {
    if (const typArrPYs* rec = ToneMaskRecords.Find(ch)) return &rec->readings;
    if (const typArrPYsDiaoInOrder* rec = ToneOrderRecords.Find(ch)) return &rec->readings;
    return nullptr;
}

int CDictTop::GetReadings(CharKey ch, AStringArray& out) const {
    const AStringArray* stored = StoredReadings(ch);
    if (!stored) {
        out.RemoveAll();
        return 0;
    }
    out.Copy(*stored);
    for (int i = out.GetSize() - 1; i >= 0; i--) {
        AString expanded = out[i];
        if (ExpandSyllable(expanded) > 0) out.InsertAt(i + 1, expanded);
    }
    return out.GetSize();
}

bool CDictTop::GetToneSymbols(CharKey ch, const AString& syllable, AString& out, bool digits) const {
    const char* symbols = digits ? "12345" : "-/v\\.";
    const typArrPYs* masks = ToneMaskRecords.Find(ch);
    const typArrPYsDiaoInOrder* orders = masks ? nullptr : ToneOrderRecords.Find(ch);
    if (!masks && !orders) return false;
    AString wanted = syllable;
    ExpandSyllable(wanted);
    out.Empty();
    const AStringArray& readings = masks ? masks->readings : orders->readings;
    for (int i = 0; i < readings.GetSize(); i++) {
        AString spelling = readings[i];
        ExpandSyllable(spelling);
        if (!(spelling == wanted)) continue;
        if (i >= 6) return true;  // no tone slot
        if (masks) {
            for (int t = 0; t < 5; t++)
                if ((masks->ToneMask[i] >> t) & 1) out += symbols[t];
        } else {
            for (int f = 0; f < 5; f++) {
                int tone = (orders->ToneOrder[i] >> (3 * f)) & 7;
                if (tone == 0) break;
                if (tone <= 5) out += symbols[tone - 1];
            }
        }
        return true;
    }
    return false;
}

bool CDictTop::IsGb2312Char(CharKey ch, AStringArray* readings) const {
    const AStringArray* found = GbReadingMap.Find(ch);
    if (found && readings) readings->Copy(*found);
    return found != nullptr;
}

int CDictTop::ReadableCharAt(const char* buffer, int length, int offset, char* out, bool big5) const {
    if (!buffer || offset < 0 || static_cast<long long>(offset) + 1 >= length) return 0;
    auto lead = static_cast<unsigned char>(buffer[offset]), trail = static_cast<unsigned char>(buffer[offset + 1]);
    if (!(big5 ? IsBig5Pair(lead, trail) : IsGbkPair(lead, trail))) return 0;  // lead bytes have the high bit
    out[0] = buffer[offset];
    out[1] = buffer[offset + 1];
    out[2] = 0;
    return StoredReadings(MakeCharKey(lead, trail)) ? 1 : 0;
}
