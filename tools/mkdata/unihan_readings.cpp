#include "tools/mkdata/unihan_readings.h"

#include <algorithm>
#include <charconv>

#include "text/utf8.h"

namespace {

struct MarkedLetter {
    char32_t cp;
    char letter;  // 'V' stands for ü, 'E' for ê
    int tone;     // 0: no mark
};

constexpr MarkedLetter kMarked[] = {
    {U'ā', 'a', 1}, {U'á', 'a', 2}, {U'ǎ', 'a', 3}, {U'à', 'a', 4}, {U'ē', 'e', 1}, {U'é', 'e', 2},
    {U'ě', 'e', 3}, {U'è', 'e', 4}, {U'ī', 'i', 1}, {U'í', 'i', 2}, {U'ǐ', 'i', 3}, {U'ì', 'i', 4},
    {U'ō', 'o', 1}, {U'ó', 'o', 2}, {U'ǒ', 'o', 3}, {U'ò', 'o', 4}, {U'ū', 'u', 1}, {U'ú', 'u', 2},
    {U'ǔ', 'u', 3}, {U'ù', 'u', 4}, {U'ǖ', 'V', 1}, {U'ǘ', 'V', 2}, {U'ǚ', 'V', 3}, {U'ǜ', 'V', 4},
    {U'ü', 'V', 0}, {U'ń', 'n', 2}, {U'ň', 'n', 3}, {U'ǹ', 'n', 4}, {U'ḿ', 'm', 2}, {U'ê', 'E', 0},
    {U'ế', 'E', 2}, {U'ề', 'E', 4}, {0x0304, 0, 1}, {0x0301, 0, 2}, {0x030C, 0, 3}, {0x0300, 0, 4},  // combining marks
};

}  // namespace

bool ParseMarkedSyllable(std::string_view marked, std::string& syllable, int& tone) {
    std::string letters;
    tone = 0;
    for (size_t i = 0; i < marked.size();) {
        const char32_t cp = DecodeUtf8(marked, i);
        if (cp == kBadUtf8) return false;
        if (cp >= 'a' && cp <= 'z') {
            letters += static_cast<char>(cp);
            continue;
        }
        if (cp >= 'A' && cp <= 'Z') {
            letters += static_cast<char>(cp - 'A' + 'a');
            continue;
        }
        auto m =
            std::find_if(std::begin(kMarked), std::end(kMarked), [cp](const MarkedLetter& x) { return x.cp == cp; });
        if (m == std::end(kMarked)) return false;
        if (m->letter) letters += m->letter;
        if (m->tone) {
            if (tone) return false;  // two marks
            tone = m->tone;
        }
    }
    if (letters.empty()) return false;
    // ü: v after l and n (but lue, nue), u elsewhere; ê: e.
    for (size_t i = 0; i < letters.size(); ++i) {
        if (letters[i] == 'E') letters[i] = 'e';
        if (letters[i] != 'V') continue;
        const bool afterLN = i > 0 && (letters[i - 1] == 'l' || letters[i - 1] == 'n');
        const bool beforeE = i + 1 < letters.size() && letters[i + 1] == 'e';
        letters[i] = afterLN && !beforeE ? 'v' : 'u';
    }
    syllable = std::move(letters);
    if (tone == 0) tone = 5;
    return true;
}

void UnihanReadings::AddLine(std::string_view line) {
    if (line.size() < 3 || line.substr(0, 2) != "U+") return;
    const size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
    if (tab1 == std::string_view::npos || tab2 == std::string_view::npos) return;
    unsigned cp = 0;
    if (std::from_chars(line.data() + 2, line.data() + tab1, cp, 16).ec != std::errc()) return;
    const std::string_view field = line.substr(tab1 + 1, tab2 - tab1 - 1);
    std::string_view value = line.substr(tab2 + 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) value.remove_suffix(1);

    static constexpr std::string_view kRanked[] = {"kMandarin", "kTGHZ2013", "kXHC1983", "kHanyuPinyin"};
    const bool pinlu = field == "kHanyuPinlu";
    const auto rank = std::find(std::begin(kRanked), std::end(kRanked), field) - std::begin(kRanked);
    if (!pinlu && rank == 4) return;
    Source& src = sources_[cp];

    // Space-separated tokens; location-prefixed sources hold "loc:r1,r2".
    size_t pos = 0;
    while (pos < value.size()) {
        size_t end = value.find(' ', pos);
        if (end == std::string_view::npos) end = value.size();
        std::string_view token = value.substr(pos, end - pos);
        pos = end + 1;
        if (token.empty()) continue;
        if (pinlu) {
            const size_t open = token.find('(');
            int freq = 0;
            if (open == std::string_view::npos ||
                std::from_chars(token.data() + open + 1, token.data() + token.size(), freq).ec != std::errc())
                continue;
            src.pinlu.emplace_back(std::string(token.substr(0, open)), freq);
            continue;
        }
        if (const size_t colon = token.find(':'); colon != std::string_view::npos) token.remove_prefix(colon + 1);
        while (!token.empty()) {
            const size_t comma = token.find(',');
            src.ranked[rank].emplace_back(token.substr(0, comma));
            token = comma == std::string_view::npos ? std::string_view() : token.substr(comma + 1);
        }
    }
}

void UnihanReadings::Read(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) AddLine(line);
}

namespace {

// A neutral reading leads only for a particle: its kHanyuPinlu frequency at
// least this many times that of all toned readings together.
constexpr int kParticleRatio = 10;

// An erhua "r" never leads; a neutral reading leads only for a particle (or
// when there are no frequencies to tell); otherwise the first toned reading of seq (the most frequent one) moves to
// the front, the others keeping their order.
void PutTonedReadingFirst(std::vector<std::string_view>& seq, const std::vector<std::pair<std::string, int>>& pinlu) {
    std::string syllable;
    int tone = 0;
    const auto toned = [&](std::string_view m) { return ParseMarkedSyllable(m, syllable, tone) && tone != 5 && syllable != "r"; };
    if (seq.empty() || toned(seq.front())) return;
    ParseMarkedSyllable(seq.front(), syllable, tone);
    if (syllable != "r") {
        long long neutral = 0, tonedSum = 0;
        for (const auto& [marked, freq] : pinlu) {
            if (!ParseMarkedSyllable(marked, syllable, tone)) continue;
            (tone == 5 ? neutral : tonedSum) += freq;
        }
        // Without frequencies the dictionaries' order stands.
        if (pinlu.empty() || neutral >= kParticleRatio * tonedSum) return;
    }
    const auto first = std::find_if(seq.begin(), seq.end(), toned);
    if (first != seq.end()) std::rotate(seq.begin(), first, first + 1);
}

}  // namespace

ReadingList UnihanReadings::Get(char32_t cp, size_t maxSyllables) const {
    ReadingList out;
    const auto it = sources_.find(cp);
    if (it == sources_.end()) return out;
    const Source& src = it->second;

    // One sequence of marked readings in priority order; first appearance wins.
    auto pinlu = src.pinlu;
    std::stable_sort(pinlu.begin(), pinlu.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::string_view> seq;
    for (const auto& p : pinlu) seq.push_back(p.first);
    for (const auto& list : src.ranked)
        for (const auto& r : list) seq.push_back(r);
    PutTonedReadingFirst(seq, pinlu);

    for (std::string_view marked : seq) {
        std::string syllable;
        int tone;
        if (!ParseMarkedSyllable(marked, syllable, tone)) continue;
        auto s = std::find_if(out.begin(), out.end(), [&](const SyllableTones& x) { return x.syllable == syllable; });
        if (s == out.end()) {
            if (out.size() >= maxSyllables) continue;
            out.push_back({std::move(syllable), {}});
            s = out.end() - 1;
        }
        if (std::find(s->tones.begin(), s->tones.end(), tone) == s->tones.end()) s->tones.push_back(tone);
    }
    return out;
}
