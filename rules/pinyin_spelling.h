#pragma once
#include "text/astring.h"
#include "text/gbk_bytes.h"
// Pinyin with tone marks, and the Chinese numerals.

// Rewrites the toneless syllable (v for u-umlaut) with its tone mark in the GBK
// pinyin letters of row A8; tone 1..5, 5 neutral (only v is then written, as
// u-umlaut). 1 when a vowel took the tone, else 0 and the syllable is unchanged.
int MarkTone(AString& syllable, int tone);

// Nonzero when the character is a numeral (full-width digit, 十一..九Ｏ,
// 拾壹..玖零), with its value 0..10 in *value; *value is untouched otherwise.
int NumeralValue(CharKey key, int* value = nullptr);
