// workdata2.bin: the cache reader with and without a stamp to compare, a
// round trip through the writer, and the lexicon's loader without a word list.
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>

#include "fuzz_util.h"
#include "lexicon/dict.h"
#include "lexicon/word_dict.h"

namespace {

auto Entry(const CedictEntry& e) {
    return std::make_tuple(e.reserved, e.reservedValue, Bytes(e.pinyin), Bytes(e.definitions));
}

std::uint64_t Le64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; i++) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzFolder& folder = FuzzFolder::Get();
    const std::string path = folder.File(kWordCacheFile);
    folder.Put(kWordCacheFile, InputBytes(data, size));

    WordMap words(64), again(64);
    const CacheRead read = ReadWordCache(path, nullptr, words);
    FUZZ_CHECK(read == CacheRead::Fresh || read == CacheRead::Damaged);
    FUZZ_CHECK(ReadWordCache(path, nullptr, again) == read);
    const auto snapshot = Snapshot(words, Entry);
    FUZZ_CHECK(Snapshot(again, Entry) == snapshot);
    for (const auto& [headword, e] : snapshot) {
        FUZZ_CHECK(std::get<0>(e) == 0);
        FUZZ_CHECK(headword.size() <= size && std::get<2>(e).size() <= size && std::get<3>(e).size() <= size);
    }

    // A stamped cache is read only for its own word list.
    if (size >= 24 && std::memcmp(data + size - 24, "ZhWLstmp", 8) == 0) {
        const WordListStamp made{Le64(data + size - 16), static_cast<std::int64_t>(Le64(data + size - 8))};
        WordListStamp other = made;
        other.size++;
        WordMap none(64), same(64);
        FUZZ_CHECK(ReadWordCache(path, &other, none) == CacheRead::Stale && none.IsEmpty());
        FUZZ_CHECK(ReadWordCache(path, &made, same) == read && Snapshot(same, Entry) == snapshot);
    }

    // What was read survives the writer.
    const std::string copy = folder.File("roundtrip.bin");
    const WordListStamp stamp{7, 8};
    WordMap back(64);
    FUZZ_CHECK(WriteWordCache(copy, words, stamp));
    FUZZ_CHECK(ReadWordCache(copy, &stamp, back) == CacheRead::Fresh && Snapshot(back, Entry) == snapshot);

    // Without a word list the loader keeps what the cache held.
    folder.Remove(kWordListFile);
    CDict& dict = FuzzDict();
    const bool loaded = dict.LoadWordDictionary(folder.Path());
    FUZZ_CHECK(loaded == (read == CacheRead::Fresh && words.GetCount() >= kCacheMinEntries));
    FUZZ_CHECK(Snapshot(dict.WordDictionary, Entry) == snapshot);
    return 0;
}
