#pragma once
// The narrow voice interface the speech engine talks to: a text-to-speech voice
// with an asynchronous speak queue of numbered streams, an event queue, voice
// tokens with their string values, and a voice system that creates voices and
// enumerates the voice category. Shaped after the SAPI 5 calls the engine makes;
// back ends: SapiVoiceSystem (COM, Windows only) and SimulatedVoiceSystem
// (portable, deterministic, for tests).
//
// Every call reports by its result (a 32-bit HRESULT value, constants below);
// nothing throws. Spoken text is UTF-16, positions in events count UTF-16 units
// of the text given to Speak.
//
// Threads: a Voice may be called from several threads at once (the speech
// thread speaks, the user-interface thread reads events and status). Each back
// end documents where the notify callback runs.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using VoiceResult = std::int32_t;

// Results. Same values as the Windows/SAPI codes; own names so that portable
// code needs no Windows header (and Windows code sees no macro clash).
inline constexpr VoiceResult kVoiceOk = 0;                                          // S_OK
inline constexpr VoiceResult kVoiceFalse = 1;                                       // S_FALSE
inline constexpr VoiceResult kVoiceErrNotImpl = static_cast<VoiceResult>(0x80004001);     // E_NOTIMPL
inline constexpr VoiceResult kVoiceErrPointer = static_cast<VoiceResult>(0x80004003);     // E_POINTER
inline constexpr VoiceResult kVoiceErrFail = static_cast<VoiceResult>(0x80004005);        // E_FAIL
inline constexpr VoiceResult kVoiceErrOutOfMemory = static_cast<VoiceResult>(0x8007000E); // E_OUTOFMEMORY
inline constexpr VoiceResult kVoiceErrInvalidArg = static_cast<VoiceResult>(0x80070057);  // E_INVALIDARG
inline constexpr VoiceResult kVoiceErrFileNotFound = static_cast<VoiceResult>(0x80070002);
inline constexpr VoiceResult kVoiceErrUnsupportedFormat = static_cast<VoiceResult>(0x80045003);  // SPERR_UNSUPPORTED_FORMAT
inline constexpr VoiceResult kVoiceErrInvalidFlags = static_cast<VoiceResult>(0x80045004);  // SPERR_INVALID_FLAGS
inline constexpr VoiceResult kVoiceErrDeviceBusy = static_cast<VoiceResult>(0x80045006);    // SPERR_DEVICE_BUSY
inline constexpr VoiceResult kVoiceErrNotFound = static_cast<VoiceResult>(0x8004503A);      // SPERR_NOT_FOUND
inline constexpr VoiceResult kVoiceErrUninitialized = static_cast<VoiceResult>(0x80045001); // SPERR_UNINITIALIZED

constexpr bool VoiceSucceeded(VoiceResult r) { return r >= 0; }
constexpr bool VoiceFailed(VoiceResult r) { return r < 0; }

// Speak flags (SPF_*).
inline constexpr std::uint32_t kSpeakDefault = 0;
inline constexpr std::uint32_t kSpeakAsync = 0x01;              // SPF_ASYNC
inline constexpr std::uint32_t kSpeakPurgeBeforeSpeak = 0x02;   // SPF_PURGEBEFORESPEAK
inline constexpr std::uint32_t kSpeakIsNotXml = 0x10;           // SPF_IS_NOT_XML

// Running states (SPRS_*).
inline constexpr std::uint32_t kRunStateDone = 1;      // SPRS_DONE: every queued stream has ended
inline constexpr std::uint32_t kRunStateSpeaking = 2;  // SPRS_IS_SPEAKING

// Event ids (SPEI_*) and interest masks.
inline constexpr std::uint16_t kEventStartInputStream = 1;  // SPEI_START_INPUT_STREAM
inline constexpr std::uint16_t kEventEndInputStream = 2;    // SPEI_END_INPUT_STREAM
inline constexpr std::uint16_t kEventWordBoundary = 5;      // SPEI_WORD_BOUNDARY
constexpr std::uint64_t EventBit(std::uint16_t id) { return std::uint64_t{1} << id; }
// Events 1..15 together with SPFEI_FLAGCHECK (bits 30 and 33).
inline constexpr std::uint64_t kVoiceInterestMask = 0x000000024000FFFEull;

inline constexpr std::uint32_t kVoiceInfinite = 0xFFFFFFFFu;  // INFINITE for WaitUntilDone

// The registry path of the voice category.
inline constexpr const char16_t* kVoiceCategoryId = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";

// SPVOICESTATUS, the fields the engine reads.
struct VoiceStatus {
    std::uint32_t CurrentStream = 0;     // ulCurrentStream: the stream being spoken (or last spoken)
    std::uint32_t LastStreamQueued = 0;  // ulLastStreamQueued
    VoiceResult LastResult = kVoiceOk;   // hrLastResult
    std::uint32_t RunningState = 0;      // dwRunningState: kRunStateDone, kRunStateSpeaking or 0
    std::uint32_t InputWordPos = 0;      // ulInputWordPos: last word boundary, UTF-16 units in its stream's text
    std::uint32_t InputWordLen = 0;      // ulInputWordLen
};

// One queued event (SPEVENT). Word boundary: InputPos/InputLen are the word's
// position and length in UTF-16 units of its stream's text (SAPI's lParam and
// wParam). Nothing in it needs freeing.
struct VoiceEvent {
    std::uint16_t Id = 0;  // kEvent*
    std::uint32_t StreamNumber = 0;
    std::uint64_t AudioOffset = 0;  // bytes of audio before the event
    std::uint32_t InputPos = 0;
    std::uint32_t InputLen = 0;
};

// A key of the token store (ISpDataKey): string values and subkeys.
class VoiceDataKey {
public:
    virtual ~VoiceDataKey() = default;
    // valueName "" (or null) reads the default value. Missing value: kVoiceErrNotFound, value emptied.
    virtual VoiceResult GetStringValue(const char16_t* valueName, std::u16string& value) const = 0;
    // Missing subkey: kVoiceErrNotFound, key reset.
    virtual VoiceResult OpenKey(const char16_t* subKeyName, std::unique_ptr<VoiceDataKey>& key) const = 0;
};

// A voice token (ISpObjectToken). Tokens are shared: the engine keeps them in
// std::shared_ptr and hands them back to SetVoice of a voice from the same system.
class VoiceToken : public VoiceDataKey {
public:
    // The token's id (its registry path for SAPI); unique within a system.
    virtual std::u16string Id() const = 0;
};

using VoiceTokenPtr = std::shared_ptr<VoiceToken>;

// A voice (ISpVoice).
class Voice {
public:
    virtual ~Voice() = default;

    // Queues text as one new stream. With kSpeakAsync it returns at once, else
    // after the stream ended. kSpeakPurgeBeforeSpeak first drops every queued
    // stream and ends the current one (which still reports its end event);
    // text may then be null (or empty) for a purge only. On success
    // *streamNumber (when not null) receives the new stream's number (streams
    // are numbered 1, 2, ... per voice); on failure it is left unchanged.
    virtual VoiceResult Speak(const char16_t* text, std::uint32_t flags, std::uint32_t* streamNumber) = 0;
    // Waits until every queued stream has ended: kVoiceOk, or kVoiceFalse when
    // timeoutMs (kVoiceInfinite for none) passed first.
    virtual VoiceResult WaitUntilDone(std::uint32_t timeoutMs) = 0;
    virtual VoiceResult Pause() = 0;
    virtual VoiceResult Resume() = 0;
    virtual VoiceResult GetStatus(VoiceStatus& status) = 0;

    // The voice token in use. SetVoice(nullptr) selects the system's default voice.
    virtual VoiceResult SetVoice(const VoiceTokenPtr& token) = 0;
    virtual VoiceResult GetVoice(VoiceTokenPtr& token) = 0;
    virtual VoiceResult SetRate(std::int32_t rate) = 0;  // -10..10
    virtual VoiceResult GetRate(std::int32_t& rate) = 0;
    virtual VoiceResult SetVolume(std::uint16_t volume) = 0;  // 0..100
    virtual VoiceResult GetVolume(std::uint16_t& volume) = 0;

    // Which events notify (eventInterest) and which are queued for GetEvents
    // (queuedInterest); masks of EventBit(id). A new voice queues nothing.
    virtual VoiceResult SetInterest(std::uint64_t eventInterest, std::uint64_t queuedInterest) = 0;
    // Called once for each event of interest after it was queued; an empty
    // function stops the notifications. The callback must not block on the
    // voice's own progress (it may call GetEvents and GetStatus).
    virtual VoiceResult SetNotifyCallback(std::function<void()> callback) = 0;
    // Takes up to count events, oldest first: kVoiceOk when count were taken,
    // kVoiceFalse when fewer (also none). *fetched may be null.
    virtual VoiceResult GetEvents(std::uint32_t count, VoiceEvent* events, std::uint32_t* fetched) = 0;

    // Speech output to a WAV file in the format of the voice's current output
    // (ISpStream bound to the file, SetOutput). Speak and WaitUntilDone, then
    // CloseWaveOutput, which closes the file and restores the previous output.
    // A format with sample rate, sample size or channel count 0 fails and
    // writes no file.
    virtual VoiceResult SetWaveFileOutput(const char16_t* path) = 0;
    virtual VoiceResult CloseWaveOutput() = 0;
};

// Creates voices and enumerates voice tokens (CLSID_SpVoice,
// CLSID_SpObjectTokenCategory).
class VoiceSystem {
public:
    virtual ~VoiceSystem() = default;

    // Per-thread set-up and tear-down for a thread that uses voices (COM for
    // SAPI: CoInitialize / CoUninitialize). Call them in pairs on that thread.
    virtual VoiceResult InitThread() = 0;
    virtual void UninitThread() = 0;

    virtual VoiceResult CreateVoice(std::unique_ptr<Voice>& voice) = 0;

    // Tokens of category categoryId (kVoiceCategoryId) in enumeration order.
    // required: "Attr=Value;Attr2=Value2" (also "Attr!=Value" and a bare
    // "Attr" for presence), every part must match; optional, same syntax:
    // tokens matching more of its parts come first, otherwise the order is
    // kept. Names and values compare without case; a value list "804;409"
    // matches any of its members. null or "" means no condition. An unknown
    // category fails; no matching token gives kVoiceOk with an empty list.
    virtual VoiceResult EnumTokens(const char16_t* categoryId, const char16_t* required,
                                   const char16_t* optional, std::vector<VoiceTokenPtr>& tokens) = 0;

    // Whether these voices say a polyphonic character in its first reading
    // (the program's reading files) unless told otherwise. Where they do, a
    // reading chosen from the sentence that is the first one leaves the
    // character as it is; otherwise its representative character is spoken.
    virtual bool SaysFirstReadings() const { return true; }
};

// interface ready
