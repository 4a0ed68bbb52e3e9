#pragma once
#include "lexicon/syllable.h"
#include "text/astring.h"
// Representative characters: for each syllable and tone, a character with
// that reading only, so that a voice speaks the reading chosen for a
// polyphonic character.

struct RepresentativeRow {
    const char* syllable;  // standard spelling
    const char* chars;     // UTF-8: five characters for tones 1..5, '-' for none
};

inline constexpr int kRepresentativeRows = 403;
extern const RepresentativeRow RepresentativeTable[kRepresentativeRows];

// The representative characters (fasheng daibiao zi) of one syllable: one GBK character per tone.
struct typFaShegDaiBioZi {
    char syllable[16];     // standard spelling, zero-padded
    const char* tones[5];  // zero-terminated GBK text per tone 1..5; nullptr: none
};

// Fills the process-wide map from RepresentativeTable (a later row with the
// same syllable would overwrite); does nothing once it holds entries.
void BuildRepresentativeMap();
int RepresentativeMapCount();

// The entry of the expanded syllable, or nullptr.
const typFaShegDaiBioZi* FindRepresentative(const AString& syllable);

// Empties out; then, when the expanded syllable has a representative for
// tone index 0..4 (tones 1..5), out becomes that character in GBK.
void GetRepresentativeChar(AString& out, const AString& syllable, int toneIndex);
