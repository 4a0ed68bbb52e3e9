#pragma once
// A portable, deterministic voice for tests. It "speaks" its queued streams on
// its own thread: stream start, one word boundary per word, stream end. A word
// is one UTF-16 unit >= 0x2E80 (a surrogate pair counts as one word of two
// units) or a run of ASCII letters and digits; nothing else makes a word.
//
// Pace: Instant (as fast as the thread runs), Timed (a delay before each
// event) or Manual (one event per credit given by Step). Events, status, the
// notify callback and the WAV output all happen on the voice's thread.
//
// Failures are configured per token (SimulatedTokenSpec) or per voice
// (FailSpeak); they apply to Speak calls that carry text, never to a purge
// alone. A failed Speak neither purges nor queues and leaves the stream number
// unchanged. A new voice reports kRunStateDone.
#include <condition_variable>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "speech/voice.h"

// One voice token of a SimulatedVoiceSystem.
struct SimulatedTokenSpec {
    std::u16string Id;                                // unique; also the token's registry-style id
    std::map<std::u16string, std::u16string> Values;  // "" default value, "409", "804", ...
    bool HasAttributes = true;                        // subkey "Attributes" exists
    std::map<std::u16string, std::u16string> Attributes;  // "Language" ("804;409"), "Name", "Gender", "VendorPreferred", ...
    VoiceResult SetVoiceResult = kVoiceOk;  // what SetVoice with this token answers
    VoiceResult SpeakError = kVoiceOk;      // what Speak answers while this token is in use ...
    int SpeakErrorCount = 0;                // ... this many times (then success); -1: always
};

// A token spec with the usual values: default value and "409" = nameEn (when
// not empty), "804" = nameZh (when not empty), Attributes Name = nameEn or
// nameZh, Language = language, Gender = gender, and VendorPreferred (empty
// value) when vendorPreferred.
SimulatedTokenSpec MakeSimulatedToken(std::u16string id, std::u16string nameEn, std::u16string nameZh,
                                      std::u16string language, std::u16string gender,
                                      bool vendorPreferred = false);

// Three voices: "Sim Anna" (409, female), "Sim David" (409, male, vendor
// preferred), "Sim Huihui" / "模拟慧慧" (804, female).
std::vector<SimulatedTokenSpec> SimulatedStandardTokens();

enum class SimulatedPace { Instant, Timed, Manual };

struct SimulatedVoiceOptions {
    SimulatedPace Pace = SimulatedPace::Instant;
    int EventDelayMs = 20;  // Timed: delay before each event
    // Manual: while a thread waits in WaitUntilDone (or a synchronous Speak),
    // the voice runs without steps, as at the Instant pace. Lets a start-up
    // that speaks trial phrases and waits for them run under the manual pace.
    bool ManualRunsWhenWaited = false;
    std::int32_t Rate = 0;
    std::uint16_t Volume = 100;
    // Format of the voice's own output, used by SetWaveFileOutput: a WAV file
    // gets 100 ms of a tone for each word spoken.
    std::uint32_t SampleRate = 16000;
    std::uint16_t BitsPerSample = 16;
    std::uint16_t Channels = 1;
};

// One Speak call as the voice saw it.
struct SimulatedSpeakCall {
    bool HasText = false;  // false for a null text (purge only)
    std::u16string Text;
    std::uint32_t Flags = 0;
    std::u16string TokenId;    // token in use when called; empty for none
    std::u16string TokenName;  // its default value
    std::int32_t Rate = 0;
    std::uint16_t Volume = 0;
    VoiceResult Result = kVoiceOk;
    std::uint32_t StreamNumber = 0;  // 0 when no stream was queued
};

class SimulatedVoice : public Voice {
public:
    SimulatedVoice(VoiceTokenPtr defaultToken, SimulatedVoiceOptions options);
    ~SimulatedVoice() override;  // Shutdown()

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

    // Test controls; all thread-safe.
    void SetPace(SimulatedPace pace, int eventDelayMs = 20);
    // Manual pace: lets the thread make up to n events and waits until it did
    // (or can make no more: nothing queued, paused, shut down). Returns the
    // events made, including their notify callbacks.
    int Step(int n = 1);
    // The next count Speak calls with text fail with error (count -1: all).
    void FailSpeak(VoiceResult error, int count);
    std::vector<SimulatedSpeakCall> SpeakCalls() const;
    std::size_t SpeakCallCount() const;  // SpeakCalls().size() without the copy
    // Every interface call in order, e.g. "Speak 3", "Pause", "Resume",
    // "SetRate 12", "SetVolume 80", "SetVoice <id>", "WaitUntilDone".
    std::vector<std::string> Calls() const;
    bool IsPaused() const;
    std::size_t PendingEvents() const;  // queued for GetEvents
    // Stops the thread: queued streams are dropped without events, waiters
    // return, calls fail afterwards with kVoiceErrUninitialized. Idempotent;
    // not to be called from the notify callback.
    void Shutdown();

private:
    struct Stream {
        std::uint32_t Number = 0;
        std::u16string Text;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> Words;  // position, length
        std::size_t NextWord = 0;
        bool Started = false;
        bool Sync = false;  // a synchronous Speak waits for it
    };

    void Run();
    bool CanAdvance() const;     // under Lock
    bool AdvanceOne();           // under Lock: makes one event; false when nothing to do
    void Emit(std::uint16_t id, std::uint32_t stream, std::uint32_t pos, std::uint32_t len);  // under Lock
    void DeliverNotifications(std::unique_lock<std::mutex>& lock);
    void Trace(std::string call);  // under Lock
    void WriteAudio(std::uint32_t bytes, std::size_t word);  // under Lock

    mutable std::mutex Lock;            // guards every field below
    std::condition_variable Wake;       // the thread: work, credits, shutdown
    std::condition_variable Progress;   // waiters: events made, streams ended
    SimulatedVoiceOptions Options;
    VoiceTokenPtr DefaultToken;
    VoiceTokenPtr Token;
    std::deque<Stream> Queue;  // front is the current stream once started
    std::uint32_t NextStreamNumber = 1;
    std::uint32_t CurrentStream = 0;
    std::uint32_t LastQueued = 0;
    std::uint32_t WordPos = 0, WordLen = 0;
    std::uint64_t AudioBytes = 0;
    bool Paused = false;
    bool Stopping = false;
    int Credits = 0;
    int Waiters = 0;  // threads in WaitUntilDone or a synchronous Speak
    std::uint64_t EventsMade = 0;
    std::uint64_t NotifyEventInterest = 0, QueuedInterest = 0;
    std::function<void()> Callback;
    int NotifyPending = 0;
    bool Notifying = false;
    std::deque<VoiceEvent> Events;
    VoiceResult FailError = kVoiceOk;
    int FailCount = 0;
    std::vector<SimulatedSpeakCall> Log;
    std::vector<std::string> CallTrace;
    std::ofstream Wave;
    std::uint32_t WaveDataBytes = 0;
    std::thread Worker;
};

class SimulatedVoiceSystem : public VoiceSystem {
public:
    explicit SimulatedVoiceSystem(std::vector<SimulatedTokenSpec> tokens = SimulatedStandardTokens());

    VoiceResult InitThread() override;
    void UninitThread() override;
    VoiceResult CreateVoice(std::unique_ptr<Voice>& voice) override;
    VoiceResult EnumTokens(const char16_t* categoryId, const char16_t* required, const char16_t* optional,
                           std::vector<VoiceTokenPtr>& tokens) override;

    // Configuration; thread-safe. Tokens keep their order of addition.
    void AddToken(SimulatedTokenSpec spec);
    void SetDefaultToken(const std::u16string& id);  // default: the first token
    void SetOptions(const SimulatedVoiceOptions& options);  // for voices created later
    void SetCreateVoiceResult(VoiceResult result);
    void SetEnumTokensResult(VoiceResult result);
    VoiceTokenPtr FindToken(const std::u16string& id) const;

    // Voices created so far, in order; they stay readable after the owner
    // released them (then shut down).
    std::size_t VoiceCount() const;
    std::shared_ptr<SimulatedVoice> VoiceAt(std::size_t index) const;
    int ThreadInits() const;  // InitThread calls not yet matched by UninitThread

private:
    mutable std::mutex Lock;  // guards every field below
    std::vector<VoiceTokenPtr> Tokens;
    std::u16string DefaultId;
    SimulatedVoiceOptions Options;
    VoiceResult CreateResult = kVoiceOk;
    VoiceResult EnumResult = kVoiceOk;
    std::vector<std::shared_ptr<SimulatedVoice>> Voices;
    int Inits = 0;
};

// Splits text into the simulated voice's words: (position, length) in UTF-16 units.
std::vector<std::pair<std::uint32_t, std::uint32_t>> SimulatedWords(const std::u16string& text);
