// ZiPartsStd2.dat and ZiPartsBaseStd2.dat: the input up to its first NUL byte
// is the component table, the rest (when there is a NUL) the base table.
// The text parser, a round trip through the writer, the loader, and
// GetParts with and without depth on every key of the tables.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_util.h"
#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"

namespace {

bool IsWhite(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }

// The parser's pairs, checked, with the later value of a key winning.
std::map<std::string, std::string> Parse(std::string_view bytes) {
    std::map<std::string, std::string> pairs;
    ParseComponentText(bytes, [&](std::string_view key, std::string_view value) {
        for (std::string_view s : {key, value}) {
            FUZZ_CHECK(Inside(s, bytes) && s.size() <= static_cast<size_t>(kComponentPieceBytes));
            FUZZ_CHECK(s.find('\n') == std::string_view::npos && (s.empty() || !IsWhite(s.back())));
        }
        pairs[std::string(key)] = std::string(value);
    });
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view in = InputBytes(data, size);
    const size_t nul = in.find('\0');
    const std::string_view files[2] = {in.substr(0, nul),
                                       nul == std::string_view::npos ? std::string_view() : in.substr(nul + 1)};
    const char* const names[2] = {kComponentFile, kBaseComponentFile};

    FuzzFolder& folder = FuzzFolder::Get();
    CDict& dict = FuzzDict();
    std::map<std::string, std::string> want[2];
    for (int base = 0; base < 2; base++) {
        want[base] = Parse(files[base]);
        // Pairs the writer accepts read back the same.
        std::vector<std::pair<std::string, std::string>> pairs(want[base].begin(), want[base].end());
        const std::string copy = folder.File("roundtrip.dat");
        std::string bytes;
        if (WriteComponentFile(copy, pairs)) {
            FUZZ_CHECK(ReadFileBytes(copy, bytes) == ReadStatus::Ok && Parse(bytes) == want[base]);
        }

        if (base && nul == std::string_view::npos)
            folder.Remove(names[base]);
        else
            folder.Put(names[base], files[base]);
        const bool present = !base || nul != std::string_view::npos;
        for (int round = 0; round < 2; round++) {
            FUZZ_CHECK(dict.LoadComponentTable(folder.Path(), base) == present);
            FUZZ_CHECK(Snapshot(base ? dict.BaseComponentTable : dict.ComponentTable) == want[base]);
        }
    }

    // Decomposition of every key ends; it is the same when asked again; a
    // text in neither table, or a basic component without depth, is itself.
    for (const auto& table : want)
        for (const auto& [key, value] : table)
            for (bool depth : {false, true}) {
                const AString parts = dict.GetParts(FromBytes(key), depth);
                FUZZ_CHECK(parts == dict.GetParts(FromBytes(key), depth));
                FUZZ_CHECK(!parts.IsEmpty() || key.empty());
                FUZZ_CHECK(parts.GetLength() <= 64 * 1024);  // expansions are capped, not exponential
                if (!depth && value == key && &table == &want[0]) FUZZ_CHECK(Bytes(parts) == key);
            }
    const AString stranger("\xFF\xFF\xFF");
    if (!want[0].count(Bytes(stranger)) && !want[1].count(Bytes(stranger)))
        FUZZ_CHECK(dict.GetParts(stranger, true) == stranger);
    return 0;
}
