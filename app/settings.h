#pragma once
// The settings file (SettingsFile, an INI file) and the process-wide settings
// record. Reads of a missing or unreadable file give the defaults; failed
// writes return false and change nothing else.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "text/astring.h"

// Fields carry the names of their keys. The speech thread reads and writes
// some of them: integers are atomic words; the strings have no lock.
struct AppSettingsRecord {
    std::atomic<int16_t> UILanguage;  // 0 English, 1 simplified, 2 traditional, 3 German
    std::atomic<int> StartupAtBoot;
    std::atomic<int> NoStopAtUsageDlgOnStart;
    std::atomic<int> LayVert;
    std::atomic<int> SoundPlayLoop;
    std::atomic<int> SoundPlayReadType;
    std::atomic<int> SoundPlaySpeed;  // below -500: not set
    std::atomic<int> SoundPlayVol;    // below -500: not set
    AString SoundVoiceEng;            // GBK display names of the voices
    AString SoundVoiceChn;
    std::atomic<int> SoundPaySyncWord_Dialog;
    std::atomic<int> matchCase;
    std::atomic<int> ShowPinyin;
    std::atomic<int> AutoSpeak;
    std::atomic<int> ContextReadings;  // read at start-up; written by the speech options
    std::atomic<int> Left;  // toolbar position, section "TOPFRAME"
    std::atomic<int> Top;
};

extern AppSettingsRecord AppSettings;

int ReadSettingInt(const char* section, const char* key, int def);
// At most 511 bytes; a double-byte character cut in half by that limit is dropped.
AString ReadSettingString(const char* section, const char* key, const char* def);
bool WriteSettingInt(const char* section, const char* key, int value);
bool WriteSettingString(const char* section, const char* key, const char* value);

// Creates a new SettingsFile holding the comment line and, when the installer's
// UiBootstrapFile names a UILanguage, that value. Returns whether the file exists.
bool CreateSettingsFileIfMissing();

// UILanguage (default: the detected language), then LayVert, SoundPlayLoop,
// SoundPlayReadType, SoundPlaySpeed, SoundPlayVol, SoundVoiceEng, SoundVoiceChn,
// SoundPaySyncWord_Dialog, matchCase; and ContextReadings (default 0), which
// only the user writes.
void ReadStartupSettings(int defaultUiLanguage);
// StartupAtBoot and NoStopAtUsageDlgOnStart, read later in start-up.
void ReadStartupFlags();
// ShowPinyin and AutoSpeak, read when a reader window opens; the reader writes
// them itself with WriteSettingInt when they change.
void ReadReaderSettings();
// Writes every "Config" key but ShowPinyin and AutoSpeak, in a fixed order,
// whether changed or not. Returns false when any write failed.
bool SaveSettings();

// Left and Top of section "TOPFRAME"; defaults are screen.left + 10 and
// screen.bottom - 50.
void ReadToolbarPosition(const RECT& screen);
bool WriteToolbarPosition(int left, int top);
