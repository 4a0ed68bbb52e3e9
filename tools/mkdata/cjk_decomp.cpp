#include "tools/mkdata/cjk_decomp.h"

void CjkDecomp::AddLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    const size_t colon = line.find(':');
    const size_t open = line.find('(', colon == std::string_view::npos ? 0 : colon);
    if (colon == 0 || colon == std::string_view::npos || open == std::string_view::npos || line.back() != ')')
        return;
    std::vector<std::string> parts;
    std::string_view list = line.substr(open + 1, line.size() - open - 2);
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view part = list.substr(0, comma);
        if (part.empty()) return;
        parts.emplace_back(part);
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
        if (list.empty()) return;  // trailing comma
    }
    parts_[std::string(line.substr(0, colon))] = std::move(parts);
}

void CjkDecomp::Read(std::istream& in) {
    for (std::string line; std::getline(in, line);) AddLine(line);
}

const std::vector<std::string>* CjkDecomp::Find(const std::string& key) const {
    auto it = parts_.find(key);
    return it == parts_.end() ? nullptr : &it->second;
}
