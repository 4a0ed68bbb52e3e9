#include "tools/mkdata/gbk_index.h"

#include "text/utf8.h"
#include "tools/mkdata/gbk_chars.h"

GbkIndex::GbkIndex() {
    ForEachGbkChar([this](unsigned char lead, unsigned char trail, char16_t unit) {
        chars_.emplace(unit, lead << 8 | trail);  // the first code of a doubly mapped unit
    });
}

std::string GbkIndex::Encode(char32_t cp) const {
    auto it = chars_.find(cp);
    if (it == chars_.end()) return {};
    return {static_cast<char>(it->second >> 8), static_cast<char>(it->second & 0xFF)};
}

std::string GbkIndex::EncodeText(const std::string& utf8) const {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const char32_t cp = DecodeUtf8(utf8, i);
        if (cp == kBadUtf8) {
            ++i;
            out += '?';
            continue;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        const std::string g = Encode(cp);
        out += g.empty() ? std::string("?") : g;
    }
    return out;
}
