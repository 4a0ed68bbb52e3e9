// The speech thread: start-up, the command loop and the commands it carries
// out, and its own write-back of State.
#include <memory>

#include "speech/speech_engine.h"
#include "speech/voice_catalogue.h"

namespace {

constexpr std::uint32_t kPurgeWaitMs = 30000;

}  // namespace

// ---- Life of the thread ----

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

int SpeechEngine::Dispatch(int command, int& commandVar) {
    std::shared_ptr<Voice> voice = GetMainVoice();
    switch (command) {
        case SC_QUIT: return SC_QUIT;
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
        default: return 0;
    }
}

// The speech thread's own write of State: it never replaces a command that a
// caller wrote after the thread took Cmd, nor SC_QUIT.
void SpeechEngine::WriteBack(int value) {
    std::lock_guard<std::recursive_mutex> hold(StateLock);
    if (StateSerial == TakenSerial && State != SC_QUIT) State = value;
}

// ---- The voice ----

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
