#include "tools/mkdata/junda.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>

#include "text/utf8.h"

std::vector<char32_t> ParseJunDa(std::string_view text) {
    std::vector<std::pair<long, char32_t>> ranked;
    while (!text.empty()) {
        std::string_view line = text.substr(0, text.find('\n'));
        text.remove_prefix(std::min(text.size(), line.size() + 1));
        const size_t tab1 = line.find('\t');
        if (tab1 == std::string_view::npos) continue;
        const size_t tab2 = line.find('\t', tab1 + 1);
        long rank = 0;
        auto r = std::from_chars(line.data(), line.data() + tab1, rank);
        const char32_t cp = SingleCodePoint(
            line.substr(tab1 + 1, tab2 == std::string_view::npos ? std::string_view::npos : tab2 - tab1 - 1));
        if (r.ptr != line.data() + tab1 || tab1 == 0 || cp == kBadUtf8) continue;
        ranked.emplace_back(rank, cp);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<char32_t> chars;
    std::set<char32_t> seen;
    for (auto& [rank, cp] : ranked)
        if (seen.insert(cp).second) chars.push_back(cp);
    return chars;
}
