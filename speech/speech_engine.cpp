// The engine object and its callers' side: start and shutdown of the speech
// thread, State, the voices, and the commands of the windows (speak, stop,
// rate, volume). The speech thread's side is in speech_engine_thread.cpp.
#include "speech/speech_engine.h"

#include <algorithm>
#include <chrono>

#include "lexicon/dict.h"
#include "speech/voice_catalogue.h"

namespace {

const CDictTop& DictOrEmpty(const CDictTop* dict) {
    static const CDictTop* empty = new CDictTop();
    return dict ? *dict : *empty;
}

}  // namespace

SpeechEngine::SpeechEngine(const SpeechEngineConfig& config)
    : Config(config), Settings(Config.Settings), ScanState(DictOrEmpty(config.Dict)) {}

SpeechEngine::~SpeechEngine() {
    ShutdownEngine();
    if (SpeechThread.joinable()) SpeechThread.detach();
}

SpeechEngine& TheSpeechEngine(const SpeechEngineConfig* config) {
    static SpeechEngine* engine = new SpeechEngine(config ? *config : SpeechEngineConfig{});
    return *engine;
}

// ---- Starting and ending ----

int SpeechEngine::StartEngine() {
    std::lock_guard<std::mutex> hold(ThreadLock);
    if (ThreadStarted) return 0;
    ThreadStarted = true;
    if (SpeechThread.joinable()) SpeechThread.join();  // a thread that ended before a shutdown
    {
        std::lock_guard<std::recursive_mutex> state(StateLock);
        if (State == SC_QUIT) State = SC_GO;  // left by an earlier shutdown
        StartSerial = TakenSerial = StateSerial;
    }
    Running = true;
    ThreadEnded.Reset();
    SpeechThread = std::thread([this] { ThreadMain(); });
    return 1;
}

int SpeechEngine::ShutdownEngine() {
    std::lock_guard<std::mutex> hold(ThreadLock);
    if (ThreadStarted) {
        if (Running) {
            {
                std::lock_guard<std::recursive_mutex> state(StateLock);
                State = SC_QUIT;
                ++StateSerial;
            }
            CommandEvent.Set();
            ThreadEnded.Wait(kShutdownWaitMs);
        }
        if (SpeechThread.joinable()) {
            if (ThreadEnded.IsSet())
                SpeechThread.join();
            else
                SpeechThread.detach();
        }
        ThreadStarted = false;
    }
    return 1;
}

// ---- State ----

int SpeechEngine::GetState() {
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    return State;
}

int SpeechEngine::SetState(int command) {
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    if (State != SC_QUIT) {
        State = command;
        ++StateSerial;
    }
    return State;
}

bool SpeechEngine::IsStopping() {
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    return State > SC_VOLUME;
}

void SpeechEngine::Signal(int command) {
    SetState(command);
    CommandEvent.Set();
}

bool SpeechEngine::IsIdle() {
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    return Idle;
}

// ---- Voices ----

std::shared_ptr<Voice> SpeechEngine::GetMainVoice() {
    std::lock_guard<std::mutex> hold(VoiceLock);
    return MainVoice;
}

void SpeechEngine::ReplaceVoiceToken(bool chinese, VoiceTokenPtr token) {
    std::lock_guard<std::mutex> hold(VoiceLock);
    (chinese ? ChineseVoiceToken : WesternVoiceToken) = std::move(token);
}

VoiceTokenPtr SpeechEngine::GetVoiceToken(bool chinese) {
    std::lock_guard<std::mutex> hold(VoiceLock);
    return chinese ? ChineseVoiceToken : WesternVoiceToken;
}

VoiceTokenPtr SpeechEngine::FindVoiceByName(const AString& name) {
    return Config.Voices ? ::FindVoiceByName(*Config.Voices, name) : nullptr;
}

void SpeechEngine::GetVoiceNames(AStringArray& western, AStringArray& chinese) {
    std::lock_guard<std::mutex> hold(NamesLock);
    western.Copy(WesternVoiceNames);
    chinese.Copy(ChineseVoiceNames);
}

void SpeechEngine::AttachVoiceEvents(std::function<void()> notify) {
    std::shared_ptr<Voice> voice = GetMainVoice();
    if (!voice) return;
    voice->SetInterest(kVoiceInterestMask, kVoiceInterestMask);
    voice->SetNotifyCallback(std::move(notify));
}

void SpeechEngine::SetVolumeClamped(Voice& voice, std::atomic<int>& volume) {
    int v = volume;
    v = v < 1 ? 0 : std::min(v, 100);
    volume = v;
    voice.SetVolume(static_cast<std::uint16_t>(v));
}

int SpeechEngine::IsSpeaking() {
    std::shared_ptr<Voice> voice = GetMainVoice();
    VoiceStatus status;
    return voice && VoiceSucceeded(voice->GetStatus(status)) && status.RunningState != kRunStateDone ? 1 : 0;
}

// ---- Speaking and stopping ----

void SpeechEngine::SpeakText(const AString& text, WindowId owner) {
    const WindowId old = NotifyWnd;
    if (old && old != owner) {
        if (Config.Notify) Config.Notify->PostCommand(old, ID_SPEECH_DONE);
        StopAndWaitUrgent();
    }
    NotifyWnd = owner;
    ClearText();
    {
        std::lock_guard<std::recursive_mutex> hold(StateLock);
        IdleEvent.Reset();
        Idle = false;
    }
    SetTextBuffer(text);
    SetState(SC_GO);
    if (Running) CommandEvent.Set();
}

void SpeechEngine::SpeakNewText(const AString& text) {
    StopAndWait();
    SetTextBuffer(text);
    Signal(SC_GO);
}

// Waits until the speech thread has carried out a stop requested after
// stopsBefore, at most kStopWaitMs, and not when the thread has ended. A stop
// that another caller replaced by a new command before the speech thread took
// it is written again.
void SpeechEngine::WaitForStop(std::uint64_t stopsBefore) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
    while (Running && StopsDone == stopsBefore && std::chrono::steady_clock::now() < limit) {
        if (IdleEvent.Wait(50)) {
            if (StopsDone != stopsBefore) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // set by an earlier stop
        }
        bool rewrite = false;
        {
            std::lock_guard<std::recursive_mutex> hold(StateLock);
            if (StopsDone == stopsBefore && State != SC_STOP && State != SC_QUIT) {
                State = SC_STOP;
                ++StateSerial;
                rewrite = true;
            }
        }
        if (rewrite) CommandEvent.Set();
    }
}

void SpeechEngine::StopAndWait() {
    std::uint64_t before;
    {
        std::lock_guard<std::recursive_mutex> hold(StateLock);
        IdleEvent.Reset();
        before = StopsDone;
    }
    Signal(SC_STOP);
    WaitForStop(before);
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    IdleEvent.Reset();
}

void SpeechEngine::StopAndWaitUrgent() {
    const int priority = RaiseThreadPriority();
    SetState(SC_STOP);
    bool idle;
    std::uint64_t before;
    {
        std::lock_guard<std::recursive_mutex> hold(StateLock);
        idle = Idle;
        before = StopsDone;
    }
    if (!idle) {
        SetState(SC_STOP);
        if (Running) {
            CommandEvent.Set();
            WaitForStop(before);
        }
    }
    RestoreThreadPriority(priority);
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    IdleEvent.Reset();
    Idle = false;
}

int SpeechEngine::SetRate(int rate) {
    if (Settings.SoundPlaySpeed) *Settings.SoundPlaySpeed = rate;
    SetState(SC_RATE);
    if (Running) CommandEvent.Set();
    return 1;
}

int SpeechEngine::SetVolume(int volume) {
    if (Settings.SoundPlayVol) *Settings.SoundPlayVol = volume;
    SetState(SC_VOLUME);
    if (Running) CommandEvent.Set();
    return 1;
}
