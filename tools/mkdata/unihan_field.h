#pragma once
// One field of a Unihan file: "U+4E2D<TAB>kTotalStrokes<TAB>4".
#include <istream>
#include <map>
#include <string>
#include <string_view>

// The values of the field, by code point. Comments, other fields and
// malformed lines are skipped.
std::map<char32_t, std::string> ReadUnihanField(std::istream& in, std::string_view field);
