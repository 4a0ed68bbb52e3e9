#pragma once
#include "text/astring.h"
// Pinyin syllables: toneless lower-case ASCII, v for u-umlaut after l and n.
// The reading files may store a compact spelling; ExpandSyllable normalises it.

// Rewrites the compact spelling in place: ag eg ig og -> ang eng ing ong,
// jv qv xv yv -> ju qu xu yu, then io -> iao when the text is longer than two
// bytes and ends in 'o', then ug -> uang; each replacement applies to every
// occurrence, in that order. Returns the number of replacements (0: the
// syllable was already standard and is unchanged).
int ExpandSyllable(AString& syllable);
