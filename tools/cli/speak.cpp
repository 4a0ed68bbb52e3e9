#include "tools/cli/speak.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include "lexicon/representative.h"
#include "speech/espeak_voice.h"
#include "speech/speech_engine.h"
#include "text/utf8.h"

namespace {

constexpr WindowId kMainWindow = 1, kOwnerWindow = 2;

std::atomic<bool> interrupted{false};
void OnInterrupt(int) { interrupted = true; }

// The main window attaches to the voice's events; the owner window receives
// the words and the end of the speech.
class SpeakTarget : public NotifyTarget {
public:
    bool Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        if (message == WM_SPEECH_EVENT) EventsWaiting.Set();
        if (window == kOwnerWindow && message == WM_SPEECH_WORD && OnWord)
            OnWord(static_cast<int>(wParam), static_cast<int>(lParam));
        if (window == kOwnerWindow && message == kWmCommand && wParam == ID_SPEECH_DONE) Done.Set();
        return window != 0;
    }
    std::intptr_t Send(WindowId, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (message == kWmCommand && wParam == ID_SPEECH_ATTACH && Attach) Attach();
        return message == WM_SPEECH_WORDSTART ? -1 : 0;
    }
    bool WindowExists(WindowId window) override { return window != 0; }

    std::function<void()> Attach;
    std::function<void(int, int)> OnWord;
    SpeechEvent EventsWaiting{false, false};
    SpeechEvent Done{true, false};
};

// The sound device through the system's player (ALSA's aplay), fed 16-bit
// mono samples. The samples go out at the pace of the sound, at most kLead
// ahead of it, so that the voice's word events (and the word shown) come when
// the word is heard rather than when the pipe and the player's buffer take it.
// Without a player the samples are dropped at the same pace.
class Player {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kLead{200};

    explicit Player(int rate) : rate_(rate) {
        if (std::system("command -v aplay >/dev/null 2>&1") != 0) {
            std::fprintf(stderr, "zhorvan-cli: no sound player (aplay): nothing is heard\n");
            return;
        }
        const std::string command = "aplay -q -t raw -f S16_LE -c 1 -r " + std::to_string(rate);
        pipe_ = popen(command.c_str(), "w");
    }
    ~Player() {
        if (pipe_) pclose(pipe_);
    }
    bool Write(const short* samples, int count) {
        if (interrupted) return false;
        const Clock::time_point now = Clock::now();
        const auto played = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(written_) / rate_));
        if (written_ == 0 || start_ + played < now)
            start_ = now - played;  // the device ran dry: its clock starts again
        std::this_thread::sleep_until(start_ + played - kLead);
        written_ += count;
        if (!pipe_) return true;
        return std::fwrite(samples, 2, static_cast<size_t>(count), pipe_) == static_cast<size_t>(count);
    }

private:
    int rate_;
    std::FILE* pipe_ = nullptr;
    long long written_ = 0;  // samples
    Clock::time_point start_;
};

}  // namespace

int SpeakText(const CDict& dict, const AString& wideText, const std::string& wavPath, std::ostream& out,
              EspeakVoiceSystem* system, bool context, const PolyphoneModel* model) {
    BuildRepresentativeMap();
    std::unique_ptr<EspeakVoiceSystem> own;
    if (!system) own = std::make_unique<EspeakVoiceSystem>();
    EspeakVoiceSystem& voices = system ? *system : *own;
    if (!voices.Ready()) {
        std::fprintf(stderr, "zhorvan-cli: espeak-ng does not start or lacks its voices %s and %s\n",
                     EspeakVoiceSystem::VoiceName(true), EspeakVoiceSystem::VoiceName(false));
        return 2;
    }
    std::unique_ptr<Player> player;
    if (wavPath.empty()) {
        player = std::make_unique<Player>(voices.Rate());
        voices.SetAudioSink([&](const short* s, int n) { return player->Write(s, n); });
    }

    const char16_t* units = wideText.WideData();
    const int count = wideText.GetCharCount();
    const bool terminal = wavPath.empty() && &out == &std::cout && isatty(STDOUT_FILENO);
    SpeakTarget target;
    target.OnWord = [&](int start, int end) {
        if (!wavPath.empty() || start < 0 || end > count || start >= end) return;
        const std::string word = Utf16ToUtf8(units + start, end - start);
        if (!terminal) {
            out << start << '\t' << word << '\n' << std::flush;
            return;
        }
        // The line holding the word, the word in reverse video.
        int a = start, b = end;
        while (a > 0 && units[a - 1] != u'\n') --a;
        while (b < count && units[b] != u'\n') ++b;
        out << "\r\x1b[2K" << Utf16ToUtf8(units + a, start - a) << "\x1b[7m" << word << "\x1b[0m"
            << Utf16ToUtf8(units + end, b - end) << std::flush;
    };

    SpeechSettingsRecord settings;
    settings.ContextReadings = context ? 1 : 0;
    SpeechEngineConfig config;
    config.Model = model;
    config.Voices = &voices;
    config.Notify = &target;
    config.MainWnd = kMainWindow;
    config.Dict = &dict;
    config.Settings = BindSpeechSettings(settings);
    config.EndPauseMs = 0;
    SpeechEngine engine(config);
    target.Attach = [&] { engine.AttachVoiceEvents([&] { target.EventsWaiting.Set(); }); };

    interrupted = false;
    auto previous = std::signal(SIGINT, OnInterrupt);
    auto previousPipe = std::signal(SIGPIPE, SIG_IGN);  // a player that went away ends the speech, not the program
    engine.StartEngine();
    while (engine.ThreadRunning() && !engine.CommandLoopRunning() && !interrupted)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::shared_ptr<Voice> voice = engine.GetMainVoice();
    bool wave = false;
    if (!wavPath.empty()) {
        const std::u16string path = Utf8ToUnits(wavPath);
        wave = voice && voice->WaitUntilDone(kVoiceInfinite) == kVoiceOk &&
               VoiceSucceeded(voice->SetWaveFileOutput(path.c_str()));
        if (!wave) {
            engine.ShutdownEngine();
            std::signal(SIGINT, previous);
            std::signal(SIGPIPE, previousPipe);
            std::fprintf(stderr, "zhorvan-cli: cannot write %s\n", wavPath.c_str());
            return 2;
        }
    }
    engine.SpeakText(wideText, kOwnerWindow);
    // This thread is the user-interface thread: it runs the event pump.
    while (!target.Done.IsSet() && engine.ThreadRunning() && !interrupted) {
        target.EventsWaiting.Wait(20);
        engine.EventPump();
    }
    if (interrupted) engine.StopAndWait();
    const bool finished = target.Done.IsSet();
    if (voice) voice->WaitUntilDone(kVoiceInfinite);
    if (wave) voice->CloseWaveOutput();
    engine.ShutdownEngine();
    std::signal(SIGINT, previous);
    std::signal(SIGPIPE, previousPipe);
    if (terminal) out << '\n';
    return finished || interrupted ? 0 : 1;
}
