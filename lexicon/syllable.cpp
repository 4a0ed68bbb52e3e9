#include "lexicon/syllable.h"

#include <string_view>

namespace {

struct Rewrite {
    const char* from;
    const char* to;
};

constexpr Rewrite kFirst[] = {
    {"ag", "ang"}, {"eg", "eng"}, {"ig", "ing"}, {"og", "ong"},
    {"jv", "ju"},  {"qv", "qu"},  {"xv", "xu"},  {"yv", "yu"},
};

// True when some rewrite applies: the text changes only through one, so the
// patterns of the stored text decide. Most stored readings are standard.
bool HasCompactPattern(const char* s, int len) {
    bool endsInO = len > 2 && s[len - 1] == 'o';
    for (int i = 1; i < len; i++) {
        char prev = s[i - 1], c = s[i];
        if (c == 'g' && std::string_view("aeiou").find(prev) != std::string_view::npos) return true;
        if (c == 'v' && std::string_view("jqxy").find(prev) != std::string_view::npos) return true;
        if (c == 'o' && prev == 'i' && endsInO) return true;
    }
    return false;
}

}  // namespace

int ExpandSyllable(AString& syllable) {
    if (!HasCompactPattern(syllable.GetString(), syllable.GetLength())) return 0;
    int count = 0;
    for (const Rewrite& r : kFirst) count += syllable.Replace(r.from, r.to);
    int len = syllable.GetLength();
    if (len > 2 && syllable[len - 1] == 'o') count += syllable.Replace("io", "iao");
    count += syllable.Replace("ug", "uang");
    return count;
}
