#pragma once
// The GBK-to-Big5 table, built from Unihan's traditional variants.
#include <cstdint>
#include <istream>
#include <map>
#include <string_view>
#include <vector>

#include "text/gbk_bytes.h"

// kTraditionalVariant of Unihan_Variants.txt: code point -> its traditional forms.
class TraditionalVariants {
public:
    void AddLine(std::string_view line);
    void Read(std::istream& in);
    const std::vector<char32_t>* Find(char32_t cp) const;

private:
    std::map<char32_t, std::vector<char32_t>> variants_;
};

// The Big5 bytes of one BMP character (lead byte high), or 0 when it has none:
// only an encoding that decodes back to the same character counts.
DoubleByteCode EncodeBig5(char32_t cp);

// For every GBK code: its character's first traditional form that Big5 can
// encode, else the character itself; no entry when neither encodes.
std::vector<std::uint8_t> BuildBig5Table(const TraditionalVariants& variants);
