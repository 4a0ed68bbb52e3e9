#pragma once
// zhorvan-cli speak and wav (Linux): the speech engine with the espeak-ng voice.
#include <ostream>
#include <string>

#include "lexicon/dict.h"
#include "text/astring.h"

class EspeakVoiceSystem;
class PolyphoneModel;

// Speaks the UTF-16 text through the speech engine. With wavPath, the speech
// goes to that WAV file; otherwise to the sound device, with the word being
// spoken shown on out (the line with the word highlighted when out is a
// terminal). Ctrl+C stops the speech. Returns 0, 1 when the speech did not
// end, 2 when the voice cannot start (message on standard error).
// system: the voices to use (tests); null for a voice system of its own.
// context: readings from the sentence (the model when given, words, rules).
int SpeakText(const CDict& dict, const AString& wideText, const std::string& wavPath, std::ostream& out,
              EspeakVoiceSystem* system = nullptr, bool context = false, const PolyphoneModel* model = nullptr);
