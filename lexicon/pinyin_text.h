#pragma once
#include "lexicon/dict.h"
#include "text/aarray.h"
#include "text/astring.h"
// Pinyin for display: a character's readings with tone marks, the word list
// of a selected text, and numbered word-list pinyin turned into tone marks.
// All text is GBK; tone-marked letters are GBK pinyin letters.

// The readings of the text's first character, each tone spelled with its mark
// (see FormatCharReadings); for a text whose first character has no readings,
// the word dictionary's entry of the whole text: with `prefix`, *outText
// becomes the text followed by the entry's pinyin, and the pinyin is added to
// *outList. Returns the byte length of *outText for a character, else 1 when
// the word was found and 0 when not.
int GetPinyinText(const CDictTop& dict, const AString& text, AStringArray* outList, AString* outText,
                  bool skipCompact, bool prefix, bool toneNames);

// Spells every tone of every reading of `ch` (its first two bytes) with its
// tone mark, into *outList (emptied first) and onto *outText, separated by
// ", ", each with its tone name after a space when `toneNames` is set. With
// `prefix`, *outText starts anew with the character and two spaces.
// `skipCompact` passes over the data files' compact spellings ("zhg").
// Returns the byte length of *outText (0 without one).
int FormatCharReadings(const CDictTop& dict, const AString& ch, const AStringArray& readings, AStringArray* outList,
                       AString* outText, bool skipCompact, bool prefix, bool toneNames);

// The dictionary words that begin the text (longest first, the whole text
// excluded), then every character of it, with pinyin and definitions in the
// parallel lists. Returns the number of entries.
int ListWordsAndChars(const CDictTop& dict, const AString& text, AStringArray& words, AStringArray& pinyins,
                      AStringArray& definitions);

// "ni3 hao3" as tone-marked syllables separated by single spaces; a syllable
// without a tone digit is copied as it is, "u:" is read as "v". Returns out.
AString& NumberedPinyinToMarks(AString& out, const char* pinyin, int count);
