// ZiDef.dic: descrambling, the line parser, and the loader into the reading
// records (an ordered record takes its definition before a mask record).
#include <cstdint>
#include <map>
#include <string>

#include "fuzz_util.h"
#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"
#include "text/gbk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view in = InputBytes(data, size);
    std::string plain(in);
    ScrambleDefinitions(plain);
    std::string twice = plain;
    ScrambleDefinitions(twice);
    FUZZ_CHECK(twice == in);

    std::map<CharKey, std::string> want;
    CharKey first = 0;
    ParseDefinitionText(plain, [&](CharKey key, std::string_view text) {
        FUZZ_CHECK(Inside(text, plain) && text.find('\n') == std::string_view::npos);
        // The key is the line's first two bytes; the text starts at its fourth.
        const size_t at = text.empty() ? 0 : static_cast<size_t>(text.data() - plain.data());
        FUZZ_CHECK(text.empty() || (at >= 3 && (at == 3 || plain[at - 4] == '\n') && CharKeyAt(plain, at - 3) == key));
        if (want.empty()) first = key;
        want[key] = std::string(text);
    });

    FuzzFolder& folder = FuzzFolder::Get();
    folder.Put(kDefinitionFile, in);
    CDict& dict = FuzzDict();
    for (int round = 0; round < 2; round++) {
        dict.ToneMaskRecords.RemoveAll();
        dict.ToneOrderRecords.RemoveAll();
        if (!want.empty()) dict.ToneOrderRecords[first].CommonFlags = 1;
        FUZZ_CHECK(dict.LoadDefinitions(folder.Path()));
        FUZZ_CHECK(dict.ToneMaskRecords.GetCount() == static_cast<int>(want.size()) - (want.empty() ? 0 : 1));
        for (const auto& [key, text] : want) {
            if (key == first) {
                FUZZ_CHECK(!dict.ToneMaskRecords.Find(key) &&
                           Bytes(dict.ToneOrderRecords.Find(key)->definition) == text);
                continue;
            }
            const typArrPYs* rec = dict.ToneMaskRecords.Find(key);
            FUZZ_CHECK(rec && Bytes(rec->definition) == text && rec->readings.GetSize() == 0 && rec->CommonFlags == 0);
            const char pair[2] = {static_cast<char>(CharKeyLead(key)), static_cast<char>(CharKeyTrail(key))};
            AString def;
            int commonness = -1;
            dict.GetDefinition(AString::FromBytes(pair, 2), def, &commonness);
            FUZZ_CHECK(Bytes(def) == text && commonness == 0);
        }
    }
    return 0;
}
