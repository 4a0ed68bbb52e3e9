#pragma once
// Stateless tests of single characters and whole texts by script.

// 1 Chinese, 4 Japanese kana, 5 Korean, 0 none of these: the script of the
// first unit that lies in one of the East Asian ranges.
int ScriptOfWideText(const char16_t* units, int count);
