#pragma once
// The senses of the one-character words of a CC-CEDICT list:
// "好 好 [hao3] /good/well/" gives 好 -> "good; well".
#include <map>
#include <string>
#include <string_view>

// By the simplified form's code point; the senses of all its lines, in file
// order, joined with "; ". Comments and malformed lines are skipped.
std::map<char32_t, std::string> ReadCedictCharSenses(std::string_view cedict);
