#pragma once
// The speech engine: one main voice owned by the speech thread, a pending
// command written by the callers, the voice catalogue, and the preparation of
// text for the voices with word synchronisation (the scan of speech_scan.h).
// Callers hand it text and commands; it reports to the owner window through
// the notify target.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "speech/notify_target.h"
#include "speech/speech_messages.h"
#include "speech/speech_scan.h"
#include "speech/speech_settings.h"
#include "speech/speech_sync.h"
#include "speech/voice.h"
#include "text/aarray.h"
#include "text/astring.h"

class CDictTop;

// The pending command; a value above 8 means that the engine is stopping.
enum SpeechCommand : int {
    SC_GO = 0,
    SC_REWIND = 3,
    SC_PAUSE = 5,
    SC_REQUEUE = 6,
    SC_RATE = 7,
    SC_VOLUME = 8,
    SC_STOP = 9,
    SC_QUIT = 10,
};

inline constexpr int kMaxQueued = 70;    // Speak requests outstanding at most
inline constexpr int kRefillQueued = 39; // the queue is refilled when this many remain
inline constexpr long long kStopWaitMs = 113000;
inline constexpr long long kShutdownWaitMs = 120000;

// Where a stream's text lies: byte offset of its first unit, piece index.
struct typ2ULONGS {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
};

struct SpeechEngineConfig {
    VoiceSystem* Voices = nullptr;     // creates the main voice and lists the voices
    NotifyTarget* Notify = nullptr;    // window messages
    WindowId MainWnd = 0;              // receives ID_SPEECH_ATTACH
    const CDictTop* Dict = nullptr;    // character readings and representative map, read-only
    SpeechSettings Settings;
    int EndPauseMs = 200;              // the event pump's pause after reporting the end
    // Called on the speech thread for every piece the scan stores (tools, tests).
    std::function<void(const typStrInfo&)> OnPiece;
};

class SpeechEngine {
public:
    explicit SpeechEngine(const SpeechEngineConfig& config);
    ~SpeechEngine();  // ShutdownEngine
    SpeechEngine(const SpeechEngine&) = delete;
    SpeechEngine& operator=(const SpeechEngine&) = delete;

    // Starts the speech thread once: 1 when started now, 0 when already started.
    int StartEngine();
    // Ends the speech thread (waits at most kShutdownWaitMs); returns 1.
    int ShutdownEngine();

    // Reader window: a new UTF-16 text (units as bytes) spoken from its start
    // for owner; a different previous owner gets ID_SPEECH_DONE and the speech
    // is stopped first.
    void SpeakText(const AString& text, WindowId owner);
    // Toolbar: stop and wait, then the captured text with SC_GO.
    void SpeakNewText(const AString& text);
    void StopAndWait();
    void StopAndWaitUrgent();
    int SetRate(int rate);
    int SetVolume(int volume);
    static void SetVolumeClamped(Voice& voice, std::atomic<int>& volume);
    int IsSpeaking();

    int GetState();
    int SetState(int command);  // unless State is SC_QUIT; returns the new value
    bool IsStopping();
    // Sets State (unless SC_QUIT) and wakes the speech thread.
    void Signal(int command);
    // Reader window: the next SC_REQUEUE resumes in word-synchronised mode.
    void SetSyncResume(bool sync) { SyncResume = sync; }

    // The main window's part of ID_SPEECH_ATTACH: the interest mask and the
    // notification that events are waiting (it then calls EventPump).
    void AttachVoiceEvents(std::function<void()> notify);
    // Voice events, on the user-interface thread.
    void EventPump();

    // Speech options: a new voice for one language (the old one is released).
    void ReplaceVoiceToken(bool chinese, VoiceTokenPtr token);
    VoiceTokenPtr GetVoiceToken(bool chinese);
    VoiceTokenPtr FindVoiceByName(const AString& name);
    // The display names the catalogue listed.
    void GetVoiceNames(AStringArray& western, AStringArray& chinese);

    std::shared_ptr<Voice> GetMainVoice();
    bool ThreadRunning() const { return Running; }
    bool IsInitialising() const { return Initialising; }
    // The speech thread has started up and carries out commands.
    bool CommandLoopRunning() const { return LoopRunning; }
    bool IsIdle();
    WindowId GetNotifyWnd() const { return NotifyWnd; }
    void SetNotifyWnd(WindowId window) { NotifyWnd = window; }

    // A copy of the pieces made so far.
    std::vector<typStrInfo> Pieces();

    // Guards the voice name lists and the names in the settings while the
    // speech thread may write them.
    std::mutex NamesLock;

private:
    // Speech thread.
    void ThreadMain();
    bool StartUp();
    void CommandLoop();
    int Dispatch(int command, int& commandVar);
    void Purge();
    int ResumeIfPaused();
    bool VoiceDone();
    void WriteBack(int value);
    void WaitForStop(std::uint64_t stopsBefore);

    // Text preparation, speech thread.
    void SpeakStep(bool rateOrVolume);
    void Scan(const AString& text, std::uint64_t generation);
    void Replay(bool wasSuspended, bool wasPaused, bool done, bool rateOrVolume);
    void SpeakPiece(int isChinese, const AString& text, int offset);
    bool QueueLocked(const typStrInfo& piece, int index, int offset, const AString& text);
    void DrainQueue();
    void SelectVoice(int isChinese);
    bool Requeue(bool sync);  // false when no piece was stored to speak again
    void FinishScan(std::uint64_t generation);
    void ActOnEnd(int decision, bool uiThread);
    int Setting(std::atomic<int>* field, int fallback) const { return field ? field->load() : fallback; }

    // Shared.
    void ClearText();
    void ClearTextOf(std::uint64_t generation);  // only while that text is current
    void ResetPosition();
    void RewindQueueLocked();  // the hand-over back to the first piece; MapLock held
    void SetTextBuffer(const AString& text);
    void ReportEnd();
    int DecideEndLocked();
    WindowId OwnerWindow() const;

    SpeechEngineConfig Config;
    SpeechSettings& Settings;

    // Voices. VoiceLock guards MainVoice and the two tokens.
    std::mutex VoiceLock;
    std::shared_ptr<Voice> MainVoice;
    VoiceTokenPtr ChineseVoiceToken, WesternVoiceToken;
    AStringArray ChineseVoiceNames, WesternVoiceNames;  // NamesLock

    // Command protocol. StateLock guards State, its serial, Idle and the
    // transitions of IdleEvent; it is taken before MapLock.
    std::recursive_mutex StateLock;
    std::atomic<int> State{SC_GO};
    std::uint64_t StateSerial = 0;  // counts the writes of State by callers
    std::uint64_t TakenSerial = 0;  // StateSerial when the speech thread took Cmd
    std::uint64_t StartSerial = 0;  // StateSerial when the thread was started
    std::uint64_t TakenGeneration = 0;  // TextGeneration when the speech thread took Cmd
    int Cmd = SC_GO;
    bool RequeueQueued = false;
    SpeechEvent CommandEvent{false, false};
    SpeechEvent IdleEvent{true, true};
    bool Idle = true;
    std::atomic<std::uint64_t> StopsDone{0};  // stops carried out by the speech thread

    std::mutex ThreadLock;  // guards SpeechThread and ThreadStarted transitions
    std::thread SpeechThread;
    std::atomic<bool> ThreadStarted{false};
    std::atomic<bool> Running{false};  // the speech thread exists
    SpeechEvent ThreadEnded{true, true};
    std::atomic<bool> Initialising{false};
    std::atomic<bool> LoopRunning{false};
    std::atomic<bool> Paused{false};
    std::atomic<bool> Suspended{false};
    std::atomic<bool> SyncResume{false};
    std::uint32_t StreamNumber = 0;  // speech thread
    std::atomic<WindowId> NotifyWnd{0};
    std::atomic<WindowId> StreamNotifyWnd{0};

    // Text state. MapLock guards the text, the pieces, the stream map, the
    // highlight and the queue bookkeeping; Queued always equals the number of
    // streams in StreamMap (accepted Speak requests whose end was not seen).
    std::recursive_mutex MapLock;
    AString SpeakTextBuffer;
    std::atomic<std::uint64_t> TextGeneration{0};  // changes with every new or cleared text
    std::vector<typStrInfo> PieceList;
    std::map<std::uint32_t, typ2ULONGS> StreamMap;
    struct HighlightInfo {
        int piece = -1, start = 0, end = 0;
    } Highlight;
    std::atomic<int> PieceIndex{0};  // next piece to hand to the voice
    std::atomic<int> Queued{0};
    std::atomic<std::uint32_t> LastQueuedStream{0xFFFFFFFFu};
    bool ScanComplete = false;   // the whole text of this generation has been scanned
    bool EndSignalled = false;   // the end of this text was acted on

    // Speech thread's scan of the current text.
    SpeechScan ScanState;
    std::uint64_t ScanGeneration = ~std::uint64_t{0};
    bool ScanValid = false;
    int PieceOffset = 0;
    int PieceLen = 0;
};

// The process-wide engine of the Windows program, created on first use with
// the configuration given then (later calls ignore it) and never destroyed.
SpeechEngine& TheSpeechEngine(const SpeechEngineConfig* config = nullptr);
