#include "tools/mkdata/unihan_field.h"

#include <charconv>

std::map<char32_t, std::string> ReadUnihanField(std::istream& in, std::string_view field) {
    std::map<char32_t, std::string> values;
    for (std::string text; std::getline(in, text);) {
        std::string_view line = text;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t tab1 = line.find('\t');
        const size_t tab2 = line.find('\t', tab1 + 1);
        if (line.rfind("U+", 0) != 0 || tab1 == std::string_view::npos || tab2 == std::string_view::npos ||
            line.substr(tab1 + 1, tab2 - tab1 - 1) != field)
            continue;
        unsigned cp = 0;
        auto r = std::from_chars(line.data() + 2, line.data() + tab1, cp, 16);
        if (r.ptr != line.data() + tab1 || tab2 + 1 >= line.size()) continue;
        values[cp] = std::string(line.substr(tab2 + 1));
    }
    return values;
}
