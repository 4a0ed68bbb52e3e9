#include "tools/mkdata/cedict_senses.h"

#include <algorithm>

#include "text/utf8.h"

std::map<char32_t, std::string> ReadCedictCharSenses(std::string_view cedict) {
    std::map<char32_t, std::string> senses;
    while (!cedict.empty()) {
        std::string_view line = cedict.substr(0, cedict.find('\n'));
        cedict.remove_prefix(std::min(cedict.size(), line.size() + 1));
        if (line.empty() || line[0] == '#') continue;
        const size_t space1 = line.find(' ');
        const size_t space2 = line.find(' ', space1 + 1);
        const size_t close = line.find("] /", space2);
        if (space1 == std::string_view::npos || space2 == std::string_view::npos || close == std::string_view::npos)
            continue;
        const char32_t cp = SingleCodePoint(line.substr(space1 + 1, space2 - space1 - 1));
        if (cp == kBadUtf8) continue;
        std::string_view list = line.substr(close + 3);
        while (!list.empty() && (list.back() == '\r' || list.back() == '/' || list.back() == ' '))
            list.remove_suffix(1);
        while (!list.empty()) {
            const std::string_view sense = list.substr(0, list.find('/'));
            list.remove_prefix(std::min(list.size(), sense.size() + 1));
            if (sense.empty()) continue;
            std::string& s = senses[cp];
            if (!s.empty()) s += "; ";
            s += sense;
        }
    }
    return senses;
}
