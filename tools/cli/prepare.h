#pragma once
// zhorvan-cli prepare: the speech pieces of a text, as the speech engine makes
// and speaks them.
#include <ostream>

#include "lexicon/dict.h"
#include "rules/polyphone_model.h"
#include "text/astring.h"

// Runs the speech engine with the simulated voice at instant pace on the
// UTF-16 text and prints one line per piece: 1 for a Chinese piece or 0, a
// tab, its offset in UTF-16 units, a tab, the prepared text in UTF-8.
// dict must hold the character readings. Returns 0, or 1 when the engine did
// not finish speaking the text.
int PrintPreparedPieces(const CDict& dict, const AString& wideText);
// With context, the engine runs with ContextReadings=1 and model (may be null).
int PrintPreparedPieces(const CDict& dict, const AString& wideText, std::ostream& out, bool context = false,
                        const PolyphoneModel* model = nullptr);
