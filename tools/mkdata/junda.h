#pragma once
// Jun Da's character frequency list: "1<TAB>的<TAB>7922684<TAB>..." per line.
#include <string_view>
#include <vector>

// The characters of the list, most frequent first (by the rank column; a
// character listed twice keeps its first rank). Malformed lines are skipped.
std::vector<char32_t> ParseJunDa(std::string_view text);
