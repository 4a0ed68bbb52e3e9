#pragma once
// A voice back end on espeak-ng (Linux only). Two tokens: a Mandarin voice
// (Language 804) that reads Han characters as Mandarin syllables and an
// English voice (Language 409, male, vendor preferred). Each voice speaks its
// queued streams on its own thread; espeak-ng itself is one per process, so
// the synthesis of every voice goes through one lock. Events, status, the
// notify callback and the audio output happen on the voice's thread, while
// espeak-ng runs its synthesis callback there.
//
// Word boundaries come from espeak-ng's word events, mapped from its
// character positions to UTF-16 units of the stream's text. Rate -10..10 maps
// to 175 words a minute times 3^(rate/10); volume 0..100 to espeak-ng's 0..100.
// Audio goes to the WAV file while one is set, else to the output sink of the
// system (16-bit mono samples; the sink may block to pace the speech), else
// nowhere.
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "speech/voice.h"

// Receives synthesised samples; false stops the current stream.
using EspeakAudioSink = std::function<bool(const short* samples, int count)>;

class EspeakVoiceSystem;

class EspeakVoice : public Voice {
public:
    EspeakVoice(EspeakVoiceSystem& system, VoiceTokenPtr token);
    ~EspeakVoice() override;

    VoiceResult Speak(const char16_t* text, std::uint32_t flags, std::uint32_t* streamNumber) override;
    VoiceResult WaitUntilDone(std::uint32_t timeoutMs) override;
    VoiceResult Pause() override;
    VoiceResult Resume() override;
    VoiceResult GetStatus(VoiceStatus& status) override;
    VoiceResult SetVoice(const VoiceTokenPtr& token) override;
    VoiceResult GetVoice(VoiceTokenPtr& token) override;
    VoiceResult SetRate(std::int32_t rate) override;
    VoiceResult GetRate(std::int32_t& rate) override;
    VoiceResult SetVolume(std::uint16_t volume) override;
    VoiceResult GetVolume(std::uint16_t& volume) override;
    VoiceResult SetInterest(std::uint64_t eventInterest, std::uint64_t queuedInterest) override;
    VoiceResult SetNotifyCallback(std::function<void()> callback) override;
    VoiceResult GetEvents(std::uint32_t count, VoiceEvent* events, std::uint32_t* fetched) override;
    VoiceResult SetWaveFileOutput(const char16_t* path) override;
    VoiceResult CloseWaveOutput() override;

    // Called by the synthesis callback on the voice's thread.
    int OnSynth(short* samples, int count, void* events);

private:
    struct Stream {
        std::uint32_t Number = 0;
        std::u16string Text;
        VoiceTokenPtr Token;
        std::int32_t Rate = 0;
        std::uint16_t Volume = 100;
    };

    void Run();
    void Emit(std::uint16_t id, std::uint32_t stream, std::uint32_t pos, std::uint32_t len);  // under Lock
    void Notify(std::unique_lock<std::mutex>& lock);
    void Synthesize(const Stream& stream);

    EspeakVoiceSystem& System;
    mutable std::mutex Lock;          // guards every field below
    std::condition_variable Wake;     // the thread: work, resume, shutdown
    std::condition_variable Progress; // waiters: streams ended
    VoiceTokenPtr Token;
    std::int32_t Rate = 0;
    std::uint16_t Volume = 100;
    std::deque<Stream> Queue;  // front is the current stream while Speaking
    bool Speaking = false;
    bool Abort = false;  // ends the current stream
    bool Paused = false;
    bool Stopping = false;
    std::uint32_t NextStreamNumber = 1;
    std::uint32_t CurrentStream = 0, LastQueued = 0;
    std::uint32_t WordPos = 0, WordLen = 0;
    std::uint64_t AudioBytes = 0;
    std::vector<std::uint32_t> UnitOfChar;  // current stream: espeak-ng character index to UTF-16 unit
    std::uint64_t NotifyInterest = 0, QueuedInterest = 0;
    std::function<void()> Callback;
    int NotifyPending = 0;
    std::deque<VoiceEvent> Events;
    std::FILE* Wave = nullptr;
    std::uint32_t WaveDataBytes = 0;
    std::thread Worker;
};

class EspeakVoiceSystem : public VoiceSystem {
public:
    EspeakVoiceSystem();
    // Whether espeak-ng started and found both voices; otherwise every call fails.
    bool Ready() const { return SampleRate > 0; }
    int Rate() const { return SampleRate; }
    // The espeak-ng voice names of the two tokens.
    static const char* VoiceName(bool mandarin);
    void SetAudioSink(EspeakAudioSink sink);
    EspeakAudioSink AudioSink() const;

    VoiceResult InitThread() override { return Ready() ? kVoiceOk : kVoiceErrUninitialized; }
    // espeak-ng reads from a dictionary of its own, which gives many
    // polyphonic characters another reading than their first.
    bool SaysFirstReadings() const override { return false; }
    void UninitThread() override {}
    VoiceResult CreateVoice(std::unique_ptr<Voice>& voice) override;
    VoiceResult EnumTokens(const char16_t* categoryId, const char16_t* required, const char16_t* optional,
                           std::vector<VoiceTokenPtr>& tokens) override;

    // Every stream synthesised so far, in order: whether the Mandarin voice
    // spoke it, and its text.
    std::vector<std::pair<bool, std::u16string>> Spoken() const;
    void NoteSpoken(bool mandarin, const std::u16string& text);

    static inline std::mutex SynthLock;  // espeak-ng is one per process: held around every synthesis

private:
    int SampleRate = 0;
    std::vector<VoiceTokenPtr> Tokens;
    mutable std::mutex SinkLock;  // guards Sink and Log
    EspeakAudioSink Sink;
    std::vector<std::pair<bool, std::u16string>> Log;
};

// Whether the token is the Mandarin one.
bool IsEspeakMandarin(const VoiceTokenPtr& token);
