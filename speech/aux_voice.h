#pragma once
// The auxiliary voice: a second voice, beside the engine's main voice, for the
// test phrase of the speech options and for rendering a text into a WAV file.
// It never touches the engine's queue. User-interface thread only.
#include <functional>
#include <memory>
#include <string>

#include "speech/speech_settings.h"
#include "speech/voice.h"
#include "text/astring.h"

class SpeechEngine;

class AuxiliaryVoice {
public:
    // voices creates the auxiliary voice and lists the voices; the engine is
    // started by TestSpeak; the settings give names, rate and volume.
    AuxiliaryVoice(SpeechEngine& engine, VoiceSystem& voices, SpeechSettings settings)
        : Engine(engine), Voices(voices), Settings(settings) {}
    ~AuxiliaryVoice() { ReleaseAuxVoice(); }
    AuxiliaryVoice(const AuxiliaryVoice&) = delete;
    AuxiliaryVoice& operator=(const AuxiliaryVoice&) = delete;

    // Speaks a short GBK phrase (length bytes) asynchronously: a mostly wide
    // text with the voice named SoundVoiceChn, else with SoundVoiceEng; a
    // phrase still sounding is cut off first. Says nothing when no voice
    // matches or the voice cannot be made ready.
    void TestSpeak(const AString& text, int length);
    // Releases the auxiliary voice, which silences a phrase still sounding.
    void ReleaseAuxVoice();
    // Renders UTF-16 text with the voice named voiceName (GBK; no match: the
    // system's default voice) into a WAV file at path in the voice's output
    // format, blocking until done. Returns true only when the whole speech was
    // written and the file closed; on false no file of this call is left.
    bool SaveSpeechToWave(const std::u16string& text, const AString& voiceName, const std::u16string& path);
    // The same for a GBK text or a UTF-16 one (wide flag).
    bool SaveSpeechToWave(const AString& text, const AString& voiceName, const std::u16string& path);

    // Called with true before and false after the blocking render (the wait cursor).
    std::function<void(bool busy)> OnBusy;

    // null when not in use.
    std::unique_ptr<Voice> AuxVoice;

private:
    bool PrepareNames();  // false when no voice is listed
    void ApplyVolume(Voice& voice);

    SpeechEngine& Engine;
    VoiceSystem& Voices;
    SpeechSettings Settings;
};

// The Windows program's auxiliary voice, on the process-wide engine, its voices
// and the application's settings (aux_voice_win.cpp); the render shows the
// wait cursor.
AuxiliaryVoice& TheAuxVoice();
void TestSpeak(const AString& text, int length);
void ReleaseAuxVoice();
// Renders text (GBK, or UTF-16 with the wide flag) with the voice named
// voiceName into the WAV file at path. Returns true when the file was
// written; false when nothing was written (no voice, unusable output format,
// a file that cannot be created, or speech that failed: no file is left).
bool SaveSpeechToWave(const AString& text, const AString& voiceName, const std::wstring& path);
