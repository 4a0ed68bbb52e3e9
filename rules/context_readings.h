#pragma once
// Readings of polyphonic characters from their sentence, for speech: the
// polyphone model for the characters it was trained on, else the longest
// dictionary word covering the character that gives it one reading.
#include <cstdint>
#include <utility>
#include <vector>

#include "lexicon/dict.h"
#include "rules/polyphone_model.h"
#include "text/astring.h"

// Below this margin of the model a decision of the rules stands.
inline constexpr float kRulesStandBelowMargin = 4.0f;

struct ContextChoice {
    enum Source : std::uint8_t { None, Model, Word };
    Source source = None;
    AString pinyin;      // toneless syllable, v for u-umlaut
    int tone = 0;        // 1..5 (5 neutral)
    float margin = 0;    // model: best score minus the second best among the candidates
};

// The readings of a character in the data: syllable and tone, in data order,
// each pair once.
using CharReadings = std::vector<std::pair<AString, int>>;
void GetCharReadings(const CDictTop& dict, CharKey key, CharReadings& out);

// Choices for the units of one sentence s[0..n); a character with fewer than
// two readings, or that neither the model nor a word decides, gets None.
// model may be null or empty (words only). dict must hold the character
// readings; words come from its word dictionary when that is loaded.
void ChooseContextReadings(const CDictTop& dict, const PolyphoneModel* model, const char16_t* s, int n,
                           std::vector<ContextChoice>& out);
