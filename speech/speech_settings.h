#pragma once
// The settings the speech engine reads and writes, by the names of their keys.
// The engine works through SpeechSettings, pointers to the fields of a record:
// SpeechSettingsRecord for portable programs and tests, the application's own
// settings record on Windows (AppSpeechSettings, engine_settings_win.cpp).
#include <atomic>

#include "text/astring.h"

struct SpeechSettingsRecord {
    std::atomic<int> SoundPlayLoop{0};
    std::atomic<int> SoundPlayReadType{3};
    std::atomic<int> SoundPlaySpeed{-9999};  // below -500: not set
    std::atomic<int> SoundPlayVol{-9999};    // below -500: not set
    std::atomic<int> SoundPaySyncWord_Dialog{1};
    AString SoundVoiceEng;  // GBK display names of the chosen voices
    AString SoundVoiceChn;
    std::atomic<int> ContextReadings{0};  // 1: readings from the sentence (model, words, rules)
};

// The voice names are written by the speech thread while it starts
// (SpeechEngine::NamesLock guards them then).
struct SpeechSettings {
    std::atomic<int>* SoundPlayLoop = nullptr;
    std::atomic<int>* SoundPlayReadType = nullptr;
    std::atomic<int>* SoundPlaySpeed = nullptr;
    std::atomic<int>* SoundPlayVol = nullptr;
    std::atomic<int>* SoundPaySyncWord_Dialog = nullptr;
    AString* SoundVoiceEng = nullptr;
    AString* SoundVoiceChn = nullptr;
    std::atomic<int>* ContextReadings = nullptr;  // null reads as 0
};

inline SpeechSettings BindSpeechSettings(SpeechSettingsRecord& r) {
    return {&r.SoundPlayLoop, &r.SoundPlayReadType, &r.SoundPlaySpeed, &r.SoundPlayVol,
            &r.SoundPaySyncWord_Dialog, &r.SoundVoiceEng, &r.SoundVoiceChn, &r.ContextReadings};
}

// The application's settings record (Windows program only).
SpeechSettings AppSpeechSettings();
