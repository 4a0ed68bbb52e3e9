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

// The pending command, State. A caller writes it under StateLock and sets
// CommandEvent; the speech thread takes it into Cmd, carries it out (Dispatch,
// CommandLoop) and writes SC_GO back unless a caller wrote State again in the
// meantime (WriteBack). Once written, SC_QUIT is never replaced.
//
//   command     written by                        the speech thread does, and then
//   SC_GO       SpeakText, SpeakNewText; the      a speak step: scan the text, or hand stored pieces
//               speech thread after a command     to the voice again (refill, replay); a paused voice
//                                                 resumes first
//   SC_REWIND   ActOnEnd, at the end of a text    ResetPosition; the speak step then scans the text
//               while SoundPlayLoop is on         again from its start
//   SC_PAUSE    toolbar, reader window (Signal)   pauses the voice (Suspended; the next SC_GO resumes
//                                                 it), in word-synchronised mode purges it instead;
//                                                 then waits for the next command
//   SC_REQUEUE  reader window (Signal, after      Requeue: speaks again from a little before the
//               SetSyncResume)                    highlighted word; a speak step when no piece is stored
//   SC_RATE     SetRate                           SoundPlaySpeed to the voice, then a speak step
//   SC_VOLUME   SetVolume                         SoundPlayVol, clamped, to the voice, then a speak step
//   SC_STOP     StopAndWait, StopAndWaitUrgent,   forgets the text, purges the voice, back to SC_GO; sets
//               ActOnEnd at the end of a text     Idle and IdleEvent and counts StopsDone for the waiters
//   SC_QUIT     ShutdownEngine                    leaves the command loop; the thread releases its
//                                                 voice and ends
//
// Only the order of the values matters (1, 2 and 4 are unused). Every command
// up to SC_VOLUME lets speaking go on; the two above it end speaking. So one
// comparison, State > SC_VOLUME (IsStopping), tells work in progress to give
// up: the scan, the queue and SpeakPiece read the atomic State between two
// steps, without StateLock, and stop as soon as a stop or a quit is written;
// the event pump then posts no more word positions.
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

inline constexpr int kMaxQueued = 70;                 // Speak requests outstanding at most
inline constexpr int kRefillQueued = 39;              // the queue is refilled when this many remain
inline constexpr long long kStopWaitMs = 113000;      // a stop-and-wait gives up after this long
inline constexpr long long kShutdownWaitMs = 120000;  // ShutdownEngine waits this long for the thread

// Where a stream's text lies: byte offset of its first unit, piece index.
struct typ2ULONGS {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
};

struct SpeechEngineConfig {
    VoiceSystem* Voices = nullptr;   // creates the main voice and lists the voices
    NotifyTarget* Notify = nullptr;  // window messages
    WindowId MainWnd = 0;            // receives ID_SPEECH_ATTACH
    const CDictTop* Dict = nullptr;  // character readings and representative map, read-only
    const PolyphoneModel* Model = nullptr;  // for ContextReadings; null: words and rules only
    SpeechSettings Settings;
    int EndPauseMs = 200;  // the event pump's pause after reporting the end
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
    VoiceSystem* GetVoiceSystem() const { return Config.Voices; }
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
    // The word reported last: piece index (-1: none), start and end unit in the piece's text.
    struct HighlightInfo {
        int piece = -1, start = 0, end = 0;
    };
    // Where a re-queue resumes: piece index, unit in that piece's text.
    struct ResumePoint {
        int piece = 0, start = 0;
    };
    // What the end of a stream means for the text (DecideEndLocked, ActOnEnd).
    enum EndDecision { kNoEnd, kTextEnded, kRefill };

    // Speech thread: start-up, command loop, commands (speech_engine_thread.cpp).
    void ThreadMain();
    bool StartUp();
    void CommandLoop();
    int Dispatch(int command, int& commandVar);
    void Purge();
    int ResumeIfPaused();  // returns the previous Suspended
    bool VoiceDone();
    void WriteBack(int value);

    // Callers' wait for a stop (speech_engine.cpp).
    void WaitForStop(std::uint64_t stopsBefore);

    // Speech thread: the speak step, the scan and the queue (speech_engine_speak.cpp).
    void SpeakStep(bool rateOrVolume);
    void Scan(const AString& text, std::uint64_t generation);
    void Replay(bool wasSuspended, bool wasPaused, bool done, bool rateOrVolume);
    void SpeakPiece(int isChinese, const AString& text, int offset);
    bool QueueLocked(const typStrInfo& piece, int index, int offset, const AString& text);
    void DrainQueue();
    void SelectVoice(int isChinese);
    void FinishScan(std::uint64_t generation);
    int Setting(std::atomic<int>* field, int fallback) const { return field ? field->load() : fallback; }

    // Speech thread: re-queue (speech_engine_requeue.cpp).
    bool Requeue(bool sync);  // false when no piece was stored to speak again
    static ResumePoint WalkBack(const std::vector<typStrInfo>& pieces, const HighlightInfo& h, int back);
    int ResumeStart(const typStrInfo& piece, int start) const;

    // Text state and the end of a text, any thread (speech_engine_speak.cpp).
    void ClearText();
    void ClearTextOf(std::uint64_t generation);  // only while that text is current
    void ResetPosition();
    void RewindQueueLocked();  // the hand-over back to the first piece; MapLock held
    void SetTextBuffer(const AString& text);
    void ReportEnd();
    EndDecision DecideEndLocked();
    void ActOnEnd(EndDecision decision, bool uiThread);
    WindowId OwnerWindow() const;

    // Locks are taken in this order: ThreadLock, StateLock, MapLock, then
    // VoiceLock or NamesLock (never both); a SpeechEvent's own lock is innermost.

    // ---- Configuration: set by the constructor, read-only afterwards ----
    SpeechEngineConfig Config;
    SpeechSettings& Settings;  // Config.Settings; the fields are atomics, the names under NamesLock

    // ---- Voices ----
    // VoiceLock guards MainVoice and the two tokens. The speech thread creates
    // and releases the voice and sets the tokens at start-up; the speech
    // options replace a token (ReplaceVoiceToken).
    std::mutex VoiceLock;
    std::shared_ptr<Voice> MainVoice;
    VoiceTokenPtr ChineseVoiceToken, WesternVoiceToken;
    // Display names listed by the catalogue; NamesLock, written by the speech thread at start-up.
    AStringArray ChineseVoiceNames, WesternVoiceNames;

    // ---- Command protocol ----
    // StateLock guards State, the serials, Idle and the transitions of
    // IdleEvent; State is atomic as well, since the scan and the queue read it
    // without the lock. Writers of State: the callers (SetState, Signal, the
    // stop functions, ShutdownEngine), ActOnEnd and the speech thread
    // (WriteBack, the stop, start-up).
    std::recursive_mutex StateLock;
    std::atomic<int> State{SC_GO};            // the pending SpeechCommand
    std::uint64_t StateSerial = 0;            // counts the writes of State by callers
    std::uint64_t TakenSerial = 0;            // StateSerial when the speech thread took Cmd
    std::uint64_t StartSerial = 0;            // StateSerial when the thread was started
    std::uint64_t TakenGeneration = 0;        // TextGeneration when the speech thread took Cmd
    SpeechEvent CommandEvent{false, false};   // wakes the speech thread after State was written
    SpeechEvent IdleEvent{true, true};        // set when a stop has been carried out
    bool Idle = true;                         // true after a carried-out stop until speaking is asked for again
    std::atomic<std::uint64_t> StopsDone{0};  // stops carried out by the speech thread
    // Speech thread only.
    int Cmd = SC_GO;             // the command being carried out
    bool RequeueQueued = false;  // the last Requeue found pieces to speak again

    // ---- The speech thread's life ----
    // ThreadLock guards SpeechThread and the transitions of ThreadStarted
    // (StartEngine, ShutdownEngine). The thread itself writes Running (at its
    // end), ThreadEnded, Initialising and LoopRunning.
    std::mutex ThreadLock;
    std::thread SpeechThread;
    std::atomic<bool> ThreadStarted{false};  // StartEngine ran and no ShutdownEngine since
    std::atomic<bool> Running{false};        // the speech thread exists
    SpeechEvent ThreadEnded{true, true};
    std::atomic<bool> Initialising{false};  // the thread starts up: voice, catalogue, rate and volume
    std::atomic<bool> LoopRunning{false};   // the thread carries out commands

    // ---- Pause and resume ----
    // Paused and Suspended: the speech thread, ActOnEnd, and ClearText for
    // Suspended. SyncResume: set by the reader window, taken by Dispatch.
    std::atomic<bool> Paused{false};      // the voice was paused and not resumed yet
    std::atomic<bool> Suspended{false};   // the user paused (not word-synchronised); SC_GO continues
    std::atomic<bool> SyncResume{false};  // the next SC_REQUEUE resumes word-synchronised (short step back)
    std::uint32_t StreamNumber = 0;       // speech thread: the stream of the last Speak call

    // ---- Owner windows ----
    std::atomic<WindowId> NotifyWnd{0};        // owns the current speech; SpeakText, SetNotifyWnd
    std::atomic<WindowId> StreamNotifyWnd{0};  // NotifyWnd when the current stream started; event pump

    // ---- Text state ----
    // MapLock guards the text, the pieces, the stream map, the highlight and
    // the queue bookkeeping; Queued always equals the number of streams in
    // StreamMap (accepted Speak requests whose end was not seen). Callers set
    // the text and any thread may clear it (ReportEnd does); the speech thread
    // adds pieces and streams; the event pump removes ended streams and moves
    // the highlight.
    std::recursive_mutex MapLock;
    AString SpeakTextBuffer;                        // UTF-16 units as bytes
    std::atomic<std::uint64_t> TextGeneration{0};   // changes with every new or cleared text
    std::vector<typStrInfo> PieceList;              // every piece made from the text, in text order
    std::map<std::uint32_t, typ2ULONGS> StreamMap;  // stream number -> where its text lies
    HighlightInfo Highlight;
    std::atomic<int> PieceIndex{0};  // next piece to hand to the voice; ActOnEnd rewinds it unlocked
    std::atomic<int> Queued{0};
    std::atomic<std::uint32_t> LastQueuedStream{0xFFFFFFFFu};  // 0xFFFFFFFF: none
    bool ScanComplete = false;                                 // the whole text of this generation has been scanned
    bool EndSignalled = false;                                 // the end of this text was acted on

    // ---- The speech thread's scan of the current text: speech thread only ----
    SpeechScan ScanState;
    std::uint64_t ScanGeneration = ~std::uint64_t{0};  // TextGeneration that ScanState scans
    bool ScanValid = false;                            // ScanState holds a scan of that text
    int PieceOffset = 0;                               // byte offset of the piece last handed over
    int PieceLen = 0;                                  // its byte length, rounded down to even
};

// The process-wide engine of the Windows program, created on first use with
// the configuration given then (later calls ignore it) and never destroyed.
SpeechEngine& TheSpeechEngine(const SpeechEngineConfig* config = nullptr);
