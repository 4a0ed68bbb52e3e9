#include "speech/speech_engine.h"

#include <algorithm>
#include <chrono>

#include "lexicon/dict.h"
#include "speech/voice_catalogue.h"

namespace {

constexpr std::uint32_t kPurgeWaitMs = 30000;

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

// The speech thread's own write of State: it never replaces a command that a
// caller wrote after the thread took Cmd, nor SC_QUIT.
void SpeechEngine::WriteBack(int value) {
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    if (StateSerial == TakenSerial && State != SC_QUIT) State = value;
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

bool SpeechEngine::VoiceDone() {
    std::shared_ptr<Voice> voice = GetMainVoice();
    VoiceStatus status;
    return !voice || VoiceFailed(voice->GetStatus(status)) || status.RunningState == kRunStateDone;
}

// Drops every queued stream and waits (bounded) until the voice is done. A
// paused voice is resumed first, so that the purge can complete.
void SpeechEngine::Purge() {
    std::shared_ptr<Voice> voice = GetMainVoice();
    if (!voice) return;
    if (Paused) {
        voice->Resume();
        Paused = false;
    }
    if (VoiceDone()) return;
    std::uint32_t stream = 0;
    voice->Speak(nullptr, kSpeakPurgeBeforeSpeak, &stream);
    voice->WaitUntilDone(kPurgeWaitMs);
}

int SpeechEngine::ResumeIfPaused() {
    if (Paused) {
        if (std::shared_ptr<Voice> voice = GetMainVoice()) {
            voice->Resume();
            Paused = false;
        }
    }
    return Suspended.exchange(false) ? 1 : 0;
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
            if (ThreadEnded.IsSet()) SpeechThread.join(); else SpeechThread.detach();
        }
        ThreadStarted = false;
    }
    return 1;
}

void SpeechEngine::ThreadMain() {
    if (StartUp()) {
        LoopRunning = true;
        CommandLoop();
        LoopRunning = false;
    }
    ClearText();
    std::shared_ptr<Voice> voice;
    {
        std::lock_guard<std::mutex> hold(VoiceLock);
        ChineseVoiceToken.reset();
        WesternVoiceToken.reset();
        voice.swap(MainVoice);
    }
    voice.reset();
    if (Config.Voices) Config.Voices->UninitThread();
    Initialising = false;
    Running = false;
    ThreadEnded.Set();
}

// Creates the main voice, lets the main window attach to it, builds the
// catalogue and applies rate and volume. False when the thread is to end.
bool SpeechEngine::StartUp() {
    Initialising = true;
    if (!Config.Voices) {
        Initialising = false;
        return false;
    }
    Config.Voices->InitThread();
    std::unique_ptr<Voice> created;
    if (VoiceFailed(Config.Voices->CreateVoice(created)) || !created) {
        Initialising = false;
        return false;
    }
    std::shared_ptr<Voice> voice(std::move(created));
    {
        std::lock_guard<std::mutex> hold(VoiceLock);
        MainVoice = voice;
    }
    if (Config.Notify && Config.MainWnd && Config.Notify->WindowExists(Config.MainWnd))
        Config.Notify->SendCommand(Config.MainWnd, ID_SPEECH_ATTACH);

    AStringArray western, chinese;
    AString westernName, chineseName;
    {
        std::lock_guard<std::mutex> hold(NamesLock);
        if (Settings.SoundVoiceEng) westernName = *Settings.SoundVoiceEng;
        if (Settings.SoundVoiceChn) chineseName = *Settings.SoundVoiceChn;
    }
    const AString wantedWestern = westernName, wantedChinese = chineseName;
    VoiceTokenPtr westernToken, chineseToken;
    const int listed = VoiceCatalogue(*Config.Voices, voice.get(), &StreamNumber, western, chinese, westernName,
                                      chineseName, &westernToken, &chineseToken);
    {
        std::lock_guard<std::mutex> hold(NamesLock);
        WesternVoiceNames.Copy(western);
        ChineseVoiceNames.Copy(chinese);
        if (Settings.SoundVoiceEng && !(westernName == wantedWestern)) *Settings.SoundVoiceEng = westernName;
        if (Settings.SoundVoiceChn && !(chineseName == wantedChinese)) *Settings.SoundVoiceChn = chineseName;
    }
    {
        std::lock_guard<std::mutex> hold(VoiceLock);
        WesternVoiceToken = westernToken;
        ChineseVoiceToken = chineseToken;
    }
    if (listed == 0) {
        Initialising = false;
        return false;
    }

    {
        // A command or text that arrived while the thread started is kept.
        std::lock_guard<std::recursive_mutex> hold(StateLock);
        if (StateSerial == StartSerial) {
            State = SC_GO;
            CommandEvent.Reset();
            ClearText();
        }
        IdleEvent.Reset();
        Idle = false;
    }

    if (Settings.SoundPlaySpeed) {
        if (*Settings.SoundPlaySpeed < -500) {
            std::int32_t rate = 0;
            if (VoiceSucceeded(voice->GetRate(rate))) *Settings.SoundPlaySpeed = rate;
        } else {
            voice->SetRate(*Settings.SoundPlaySpeed);
        }
    }
    if (Settings.SoundPlayVol) {
        if (*Settings.SoundPlayVol < -500) {
            std::uint16_t volume = 0;
            if (VoiceSucceeded(voice->GetVolume(volume))) *Settings.SoundPlayVol = volume;
        } else {
            SetVolumeClamped(*voice, *Settings.SoundPlayVol);
        }
    }
    Initialising = false;
    return true;
}

// ---- Commands ----

int SpeechEngine::Dispatch(int command, int& commandVar) {
    std::shared_ptr<Voice> voice = GetMainVoice();
    switch (command) {
    case SC_QUIT:
        return SC_QUIT;
    case SC_STOP: {
        ClearTextOf(TakenGeneration);  // a text handed over after the stop was taken stays
        if (Paused) {
            if (voice) voice->Resume();
            Paused = false;
        }
        Suspended = false;
        Purge();
        std::lock_guard<std::recursive_mutex> hold(StateLock);
        if (StateSerial == TakenSerial && State != SC_QUIT) {
            State = SC_GO;
            CommandEvent.Reset();
        }
        ++StopsDone;
        IdleEvent.Set();
        Idle = true;
        return SC_STOP;
    }
    case SC_VOLUME:
        if (voice && Settings.SoundPlayVol) SetVolumeClamped(*voice, *Settings.SoundPlayVol);
        commandVar = SC_GO;
        return 0;
    case SC_RATE:
        if (voice && Settings.SoundPlaySpeed) voice->SetRate(*Settings.SoundPlaySpeed);
        commandVar = SC_GO;
        return 0;
    case SC_PAUSE:
        if (Settings.SoundPaySyncWord_Dialog && *Settings.SoundPaySyncWord_Dialog) {
            Purge();
            Paused = false;
            Suspended = false;
        } else {
            if (voice && !VoiceDone() && !Paused) {
                voice->Pause();
                Paused = true;
            }
            Suspended = true;
        }
        return SC_PAUSE;
    case SC_REQUEUE:
        if (SyncResume.exchange(false)) {
            RequeueQueued = Requeue(true);
        } else {
            ResumeIfPaused();
            RequeueQueued = Requeue(false);
        }
        return SC_REQUEUE;
    case SC_REWIND:
        ResumeIfPaused();
        ResetPosition();
        return 0;
    default:
        return 0;
    }
}

void SpeechEngine::CommandLoop() {
    for (;;) {
        int state;
        {
            std::lock_guard<std::recursive_mutex> hold(StateLock);
            state = State;
            if (state == SC_STOP) {
                TakenSerial = StateSerial;
                TakenGeneration = TextGeneration;
            }
        }
        if (state >= SC_QUIT) return;
        if (state == SC_STOP) {  // a stop written during the last step
            int var = state;
            Dispatch(SC_STOP, var);
        }

        int result = 0;
        bool rateOrVolume = false;
        do {
            if (!CommandEvent.Wait(-1)) return;
            {
                std::lock_guard<std::recursive_mutex> hold(StateLock);
                if (State == SC_QUIT) return;
                Cmd = State;
                TakenSerial = StateSerial;
                TakenGeneration = TextGeneration;
            }
            rateOrVolume = Cmd == SC_RATE || Cmd == SC_VOLUME;
            result = Dispatch(Cmd, Cmd);
        } while (Cmd == SC_PAUSE);

        if (result == SC_REQUEUE) {
            Cmd = SC_GO;
            WriteBack(SC_GO);
            if (!RequeueQueued) SpeakStep(false);  // nothing stored yet: speak the text
        } else if (result == SC_QUIT) {
            Purge();
            return;
        } else if (result > 0) {
            if (result != SC_PAUSE) Purge();
            if (Cmd == SC_STOP) Cmd = SC_GO;
            WriteBack(Cmd);
        } else {
            SpeakStep(rateOrVolume);
        }
    }
}

// ---- Callers ----

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
