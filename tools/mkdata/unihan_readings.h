#pragma once
// Mandarin readings of Unihan, turned into toneless syllables with tone numbers
// and ordered the way the reading files want them.
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct SyllableTones {
    std::string syllable;    // lower-case ASCII, v for ü after l and n
    std::vector<int> tones;  // 1..5, most used first
};

using ReadingList = std::vector<SyllableTones>;

// Splits one tone-marked syllable (UTF-8, "xíng", "lüè", "ńg", "ma") into
// its standard spelling and tone (5 when unmarked). False for anything that
// is not a syllable.
bool ParseMarkedSyllable(std::string_view marked, std::string& syllable, int& tone);

class UnihanReadings {
public:
    // Takes the lines of Unihan_Readings.txt: "U+884C<TAB>kMandarin<TAB>xíng".
    // Lines of other fields, comments and malformed lines are skipped.
    void AddLine(std::string_view line);
    void Read(std::istream& in);

    // The readings of a code point: syllables ordered by kHanyuPinlu frequency,
    // then the kMandarin reading, then kTGHZ2013, kXHC1983 and kHanyuPinyin
    // order; the tones of each syllable in the same order. At most maxSyllables.
    ReadingList Get(char32_t cp, size_t maxSyllables = 6) const;

private:
    struct Source {
        std::vector<std::pair<std::string, int>> pinlu;  // marked reading, frequency
        std::vector<std::string> ranked[4];              // kMandarin, kTGHZ2013, kXHC1983, kHanyuPinyin
    };
    std::map<char32_t, Source> sources_;
};
