// cedict_ts.u8: the line parser on the whole input and on every line piece,
// the whole-list parser, and the lexicon's loader, whose cache must give back
// the dictionary parsed from the list.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "fuzz_util.h"
#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"
#include "lexicon/word_dict.h"

namespace {

using Entry = std::tuple<std::uint8_t, std::uint16_t, std::string, std::string>;

Entry Fields(const CedictEntry& e) { return {e.reserved, e.reservedValue, Bytes(e.pinyin), Bytes(e.definitions)}; }

bool IsWhite(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }

// A parsed line: pinyin lower case, inside the brackets, trimmed; the
// definitions trimmed.
void CheckLine(std::string_view line, const AString& headword, const CedictEntry& e) {
    const std::string pinyin = Bytes(e.pinyin), defs = Bytes(e.definitions);
    FUZZ_CHECK(e.reserved == 0 && e.reservedValue == 0);
    FUZZ_CHECK(pinyin.size() <= line.size() && pinyin.find(']') == std::string::npos);
    for (char c : pinyin) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
    FUZZ_CHECK(pinyin.empty() || !IsWhite(pinyin.back()));
    FUZZ_CHECK(defs.empty() || (!IsWhite(defs.front()) && !IsWhite(defs.back())));
    FUZZ_CHECK(line.find('[') != std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view in = InputBytes(data, size);
    AString headword;
    CedictEntry entry;
    if (ParseWordListLine(in, headword, entry)) CheckLine(in, headword, entry);

    // The list parser stores each parsed piece, the last of a headword winning.
    std::map<std::string, Entry> want;
    ForEachLinePiece(in, kWordLinePieceBytes, [&](std::string_view line) {
        FUZZ_CHECK(Inside(line, in) && line.size() <= static_cast<size_t>(kWordLinePieceBytes));
        AString h;
        CedictEntry e;
        if (!ParseWordListLine(line, h, e)) return;
        CheckLine(line, h, e);
        want[Bytes(h)] = Fields(e);
    });
    WordMap words(64);
    ParseWordList(in, words);
    FUZZ_CHECK(Snapshot(words, Fields) == want);
    ParseWordList(in, words);
    FUZZ_CHECK(Snapshot(words, Fields) == want);

    // The loader parses the list and writes the cache; the next load (from the
    // cache when it holds enough entries) gives the same dictionary.
    FuzzFolder& folder = FuzzFolder::Get();
    folder.Put(kWordListFile, in);
    folder.Remove(kWordCacheFile);
    CDict& dict = FuzzDict();
    for (int round = 0; round < 2; round++) {
        FUZZ_CHECK(dict.LoadWordDictionary(folder.Path()));
        FUZZ_CHECK(Snapshot(dict.WordDictionary, Fields) == want);
    }
    return 0;
}
