#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "lexicon/word_dict.h"
#include "lexicon/word_prefix_filter.h"
#include "text/aarray.h"
#include "text/ahashmap.h"
#include "text/amap.h"
#include "text/astring.h"
#include "text/gbk_bytes.h"
// The lexicon object: every lexicon table, loaded once at start-up and
// read-only afterwards (the speech thread reads it without a lock).

// A character of ch2pypz1.bin (typArrPYs: its pinyin readings): readings with the tones possible for each.
struct typArrPYs {
    AStringArray readings;          // file order, stored spelling
    std::uint8_t ToneMask[6] = {};  // reading i: bit j set = tone j+1
    std::uint8_t CommonFlags = 0;   // bits 0-1 nonzero: a common character
    std::uint16_t UsageScore = 0;   // set by the usage list
    AString definition;             // set by the definitions file
    std::uint8_t reserved = 0;
    AStringArray reservedList;
};

// A character of ch2pypz2.bin: readings with their tones (diao) in preferred order.
struct typArrPYsDiaoInOrder {
    AStringArray readings;            // file order, stored spelling
    std::uint16_t ToneOrder[6] = {};  // reading i: 3-bit tone fields from bit 0, 0 ends
    std::uint8_t CommonFlags = 0;
    std::uint16_t UsageScore = 0;
    AString definition;
    std::uint8_t reserved = 0;
    AStringArray reservedList;
};

// The lexicon: character readings and tones, definitions, components, sort numbers and the word dictionary.
class CDictTop {
public:
    CDictTop();
    CDictTop(const CDictTop&) = delete;
    CDictTop& operator=(const CDictTop&) = delete;

    // Virtual operations, in slot order.
    virtual ~CDictTop();
    // Unless the lexicon is loaded: loads the GBK to Big5 table from the data
    // folder and builds the representative-character map.
    virtual void InitOnce(const std::string& dataFolder);
    virtual void ReleaseCodeTables();  // frees the Big5 table, clears the loaded flag
    // The character's readings (ch2pypz1 record, else ch2pypz2), each stored
    // spelling followed by its expansion when that differs. 0 and empty when
    // the character is unknown.
    virtual int GetReadings(CharKey ch, AStringArray& out) const;

    // The start-up load, in order: tone readings (with definitions and usage
    // scores), GB2312 readings, base component table, component table, word
    // dictionary, sort numbers; then sets the loaded flag. True when every
    // file was read.
    bool LoadLexicon(const std::string& dataFolder);

    // Loaders; the data folder may end in a separator or not. Each empties its
    // tables first. A missing or damaged reading file is reported once through
    // the data-file hook; what was read completely stays. True when all was read.
    bool LoadToneReadings(const std::string& dataFolder);  // ch2pypz1.bin, ch2pypz2.bin, then the two below
    bool LoadGbReadings(const std::string& dataFolder);    // ch2py.bin
    // Into the existing records; a missing file changes nothing (no report).
    bool LoadDefinitions(const std::string& dataFolder);                // ZiDef.dic
    bool LoadUsageScores(const std::string& dataFolder);                // zi_ordered_by_usage.txt
    bool LoadComponentTable(const std::string& dataFolder, bool base);  // ZiPartsStd2.dat / ZiPartsBaseStd2.dat
    bool LoadSortNumbers(const std::string& dataFolder);                // sort.dic

    // The word dictionary from the cache when it holds more than 3 entries and
    // was made from the present word list (or carries no stamp, or the list
    // is missing); otherwise the word list is parsed over what the cache
    // left (a stale or damaged cache leaves nothing) and the cache rewritten,
    // atomically and silently. True when the dictionary came from a current
    // cache or from the word list with the cache written afterwards.
    bool LoadWordDictionary(const std::string& dataFolder);
    // Rebuilds the index of long-word prefixes after the word dictionary was
    // changed by hand (loading does it); without it lookups are only slower.
    void IndexWords() { LongWordPrefixes.Build(WordDictionary); }

    const CedictEntry* FindWord(const AString& headword) const { return WordDictionary.Find(headword); }
    const CedictEntry* FindWord(const char* headword, int length) const {
        return WordDictionary.FindBytes(headword, length);
    }
    bool LookupWord(const AString& headword, CedictEntry& entry) const {
        return WordDictionary.Lookup(headword, entry);
    }
    // The definition of the text's first character (ordered record first,
    // then mask record, with its CommonFlags in *commonness), else the word
    // definitions of the whole text, else empty with *commonness untouched.
    void GetDefinition(const AString& text, AString& definition, int* commonness = nullptr) const;

    // The decomposition of a character or letter into components: its
    // component-table value, expanded further with the depth flag (then the
    // base table serves keys the component table lacks). A basic component,
    // or a key met again through a cycle in the data, yields itself.
    AString GetParts(const AString& text, bool depth) const;

    // The tone symbols of a reading ("12345" digits, else "-/v\\." marks):
    // ascending for a mask, stored order for an ordered record. False with
    // out untouched for an unknown character; false with out empty for an
    // unknown reading.
    bool GetToneSymbols(CharKey ch, const AString& syllable, AString& out, bool digits) const;

    // The character is one of GB2312's 6763 (in ch2py.bin); its readings are
    // copied to *readings when asked for and found.
    bool IsGb2312Char(CharKey ch, AStringArray* readings = nullptr) const;

    // 0 when no double-byte character (GBK, or Big5 with the flag; the lead
    // byte has its high bit set) starts at offset, with out untouched.
    // Otherwise out (3 bytes) receives the pair and a zero, and the result is
    // 1 when the character has readings in either tone table.
    int ReadableCharAt(const char* buffer, int length, int offset, char* out, bool big5) const;

    static inline bool LexiconLoaded = false;  // process-wide: the lexicon was loaded

    AMapStringToString ComponentTable{256};                        // ZiPartsStd2.dat
    AMapStringToString BaseComponentTable{64};                     // ZiPartsBaseStd2.dat
    WordMap WordDictionary{kWordNodesPerBlock};                    // cedict_ts.u8 / workdata2.bin
    WordPrefixFilter LongWordPrefixes;                             // built over WordDictionary
    AHashMap<CharKey, std::int32_t> SortNumbers{128};              // sort.dic
    AHashMap<CharKey, typArrPYs> ToneMaskRecords{256};             // ch2pypz1.bin
    AHashMap<CharKey, typArrPYsDiaoInOrder> ToneOrderRecords{12};  // ch2pypz2.bin
    AHashMap<CharKey, AStringArray> GbReadingMap{128};             // ch2py.bin

private:
    bool ReadWordDictionary(const std::string& dataFolder);
    const AStringArray* StoredReadings(CharKey ch) const;
    AString ExpandParts(const AString& value, bool depth, std::vector<AString>& path) const;
    AString PartsOf(const AString& text, bool depth, std::vector<AString>& path) const;
};

// The lexicon object the program creates: CDictTop with its own destructor.
class CDict : public CDictTop {
public:
    ~CDict() override;
};
