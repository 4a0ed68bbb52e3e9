#include "tools/mkdata/big5_data.h"

#include <charconv>
#include <string>

#include "text/big5.h"
#include "text/codepage.h"
#include "text/gbk_bytes.h"
#include "tools/mkdata/gbk_chars.h"

void TraditionalVariants::AddLine(std::string_view line) {
    constexpr std::string_view kField = "\tkTraditionalVariant\t";
    const size_t field = line.find(kField);
    if (line.substr(0, 2) != "U+" || field == std::string_view::npos) return;
    unsigned cp = 0;
    if (std::from_chars(line.data() + 2, line.data() + field, cp, 16).ec != std::errc()) return;
    std::vector<char32_t> forms;
    std::string_view rest = line.substr(field + kField.size());
    while (!rest.empty()) {
        const size_t space = rest.find(' ');
        const std::string_view token = rest.substr(0, space);
        unsigned v = 0;
        if (token.size() > 2 && token.substr(0, 2) == "U+" &&
            std::from_chars(token.data() + 2, token.data() + token.size(), v, 16).ec == std::errc())
            forms.push_back(v);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    if (!forms.empty()) variants_[cp] = std::move(forms);
}

void TraditionalVariants::Read(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        AddLine(line);
    }
}

const std::vector<char32_t>* TraditionalVariants::Find(char32_t cp) const {
    const auto it = variants_.find(cp);
    return it == variants_.end() ? nullptr : &it->second;
}

DoubleByteCode EncodeBig5(char32_t cp) {
    if (cp < 0x80 || cp > 0xFFFF) return {};
    const char16_t unit = static_cast<char16_t>(cp);
    char bytes[4];
    if (Utf16ToMultiByte(kCodePageBig5, &unit, 1, bytes, sizeof bytes) != 2) return {};
    char16_t back[2];
    if (MultiByteToUtf16(kCodePageBig5, bytes, 2, back, 2) != 1 || back[0] != unit) return {};
    const auto lead = static_cast<unsigned char>(bytes[0]), trail = static_cast<unsigned char>(bytes[1]);
    return IsBig5Pair(lead, trail) ? DoubleByteCode(lead, trail) : DoubleByteCode();
}

std::vector<std::uint8_t> BuildBig5Table(const TraditionalVariants& variants) {
    std::vector<std::uint8_t> table = NewBig5Table();
    ForEachGbkChar([&](unsigned char lead, unsigned char trail, char16_t unit) {
        DoubleByteCode big5;
        if (const std::vector<char32_t>* forms = variants.Find(unit))
            for (char32_t form : *forms)
                if ((big5 = EncodeBig5(form)).value != 0) break;
        if (!big5.value) big5 = EncodeBig5(unit);
        if (big5.value) SetBig5TableEntry(table, DoubleByteCode(lead, trail), big5);
    });
    return table;
}
