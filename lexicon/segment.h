#pragma once
#include <vector>

#include "lexicon/dict.h"
#include "text/aarray.h"
#include "text/astring.h"
// Segmentation of GBK text into runs of other text and dictionary words.
// Character indices count characters: a double-byte character and a single
// byte are one character each, from the start of the segmented text.

enum WordSegmentKind : int { kOtherText = 0, kDictWord = 1, kSingleChar = 2 };

// One segment of a text: a run of other text, a dictionary word or a single character.
struct typWordSegment {
    int kind = kOtherText;
    int first = -1;  // index of the first character; -1 for other text
    int end = -1;    // index after the last character; -1 for other text
    AString text;    // GBK
};

// Splits a run of double-byte characters by forward maximum matching (words of
// up to five characters; a character matched by no word is a word of its own).
// Returns the number of words appended to `words`.
int SplitWords(const CDictTop& dict, const char* run, int count, AStringArray& words);

// Appends the segments of the text in text order: trimmed runs of other text,
// dictionary words and single characters. Leading symbols and white space are
// skipped but counted; a separator after a Chinese character is passed over
// when the readable character after it is the last one or is followed by one
// without readings (see the .cpp). Returns the number of segments in `out`.
int SegmentText(const CDictTop& dict, const AString& text, std::vector<typWordSegment>& out);
