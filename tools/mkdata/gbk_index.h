#pragma once
// The double-byte characters of GBK by code point.
#include <map>
#include <string>

#include "text/gbk_bytes.h"

class GbkIndex {
public:
    GbkIndex();  // decodes every GBK pair (kCodePageGbk)

    // The two GBK bytes of a code point, or "" when it has no double-byte form.
    std::string Encode(char32_t cp) const;
    // The GBK bytes of UTF-8 text; a code point without a GBK form becomes '?'.
    std::string EncodeText(const std::string& utf8) const;
    // Every double-byte character: code point -> lead byte << 8 | trail byte.
    const std::map<char32_t, unsigned>& Chars() const { return chars_; }

private:
    std::map<char32_t, unsigned> chars_;
};
