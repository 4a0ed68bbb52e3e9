#pragma once
// Saving the speech of a text as a WAV file (toolbar command IDM_SAVE_SPEECH):
// the selection of the user's window, else the text of the open reader
// window, rendered by the auxiliary voice into the file and voice chosen in
// the save dialog. User-interface thread only.
#include <string>
#include <vector>

#include "text/aarray.h"
#include "text/astring.h"

// The save dialog's voice list: the Chinese voices, then the Western ones,
// and the entry preselected for a Chinese or another text (the last one
// named so; -1 when none is).
struct SpeechFileVoices {
    AStringArray names;  // GBK display names
    int preselected = -1;
};
SpeechFileVoices SpeechFileVoiceList(const AStringArray& western, const AStringArray& chinese,
                                     const AString& westernName, const AString& chineseName, bool chineseText);

// What a save came to, for the message shown afterwards.
enum class SpeechFileResult { NothingToSave, NoVoice, Cancelled, Saved, NotWritten, Busy };

// Runs the whole command and shows its message; returns what happened.
SpeechFileResult SaveSpeechFile();
