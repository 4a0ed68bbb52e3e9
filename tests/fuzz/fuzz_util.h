#pragma once
// Helpers of the fuzz targets: invariant checks that trap, a per-process
// scratch data folder, and byte views of the fuzz input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "lexicon/dict.h"
#include "lexicon/reading_files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/string_bytes.h"
#include "text/ahashmap.h"
#include "text/amap.h"
#include "text/astring.h"
#include "text/data_file.h"

// A broken invariant is a fault the fuzzer must report, like a crash.
#define FUZZ_CHECK(cond)                                                                      \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond); \
            __builtin_trap();                                                                 \
        }                                                                                     \
    } while (0)

inline std::string_view InputBytes(const std::uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A view lies inside the buffer it was cut from.
inline bool Inside(std::string_view part, std::string_view whole) {
    if (part.empty()) return true;
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// The process's scratch data folder, made once and removed at exit (a
// crashed run leaves it); the data-file hook is silenced, reports are
// expected here.
class FuzzFolder {
public:
    static FuzzFolder& Get() {
        static FuzzFolder folder;
        return folder;
    }
    const std::string& Path() const { return folder_.Path(); }
    std::string File(const char* name) const { return folder_.File(name); }

    // Writes `bytes` as the data file `name`; traps when it cannot.
    void Put(const char* name, std::string_view bytes) const {
        FUZZ_CHECK(WriteFileBytes(File(name), std::string(bytes)));
    }
    void Remove(const char* name) const { std::remove(File(name).c_str()); }

private:
    FuzzFolder() : folder_("zh_fuzz") { SetDataFileHook({}); }
    ScratchFolder folder_;
};

// Map contents as ordered standard containers, for comparing two loads.
template <class K, class V, class F>
auto Snapshot(const AHashMap<K, V>& map, F value) {
    std::map<K, decltype(value(std::declval<const V&>()))> out;
    for (APosition pos = map.GetStartPosition(); pos;) {
        const K* key;
        const V* v;
        map.GetNextAssoc(pos, key, v);
        out.emplace(*key, value(*v));
    }
    return out;
}

template <class V, class F>
auto Snapshot(const AHashMap<AString, V>& map, F value) {
    std::map<std::string, decltype(value(std::declval<const V&>()))> out;
    for (APosition pos = map.GetStartPosition(); pos;) {
        const AString* key;
        const V* v;
        map.GetNextAssoc(pos, key, v);
        out.emplace(Bytes(*key), value(*v));
    }
    return out;
}

inline std::map<std::string, std::string> Snapshot(const AMapStringToString& map) {
    std::map<std::string, std::string> out;
    for (APosition pos = map.GetStartPosition(); pos;) {
        AString key, value;
        map.GetNextAssoc(pos, key, value);
        out.emplace(Bytes(key), Bytes(value));
    }
    return out;
}

// The process's lexicon object, its tables with few buckets: fuzz inputs are
// small, and large tables would be allocated and cleared on every load.
inline CDict& FuzzDict() {
    static CDict* dict = [] {
        static CDict d;
        constexpr int kBuckets = 61;
        d.ToneMaskRecords.InitHashTable(kBuckets);
        d.ToneOrderRecords.InitHashTable(kBuckets);
        d.GbReadingMap.InitHashTable(kBuckets);
        d.ComponentTable.InitHashTable(kBuckets);
        d.BaseComponentTable.InitHashTable(kBuckets);
        d.WordDictionary.InitHashTable(kBuckets);
        d.SortNumbers.InitHashTable(kBuckets);
        return &d;
    }();
    return *dict;
}
