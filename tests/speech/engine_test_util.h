#pragma once
// The speech engine on the simulated voice, a queue notify target, a settings
// record and a small lexicon; the test thread or a helper thread plays the
// user-interface thread that runs the event pump.
#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "speech/simulated_voice.h"
#include "speech/speech_engine.h"
#include "tests/support/string_bytes.h"
#include "text/code_pages.h"
#include "text/gbk.h"

inline constexpr WindowId kMainWnd = 100, kReaderWnd = 200, kOtherWnd = 300;

inline std::string U8(const std::u16string& s) { return Utf16ToUtf8(s.data(), static_cast<int>(s.size())); }

inline AString Wide(const std::u16string& s) { return AString(s.data(), static_cast<int>(s.size())); }

// Polls pred every millisecond for at most ms.
inline bool WaitUntil(const std::function<bool()>& pred, int ms = 10000) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A lexicon with GB2312 entries for the characters of the tests; characters
// outside it keep their form unless a rule or the fallback decides them.
inline void FillFixtureLexicon(CDict& dict) {
    BuildRepresentativeMap();
    const char16_t* inTable = u"你好我买了线用系统他说个苹果银行长情况有一二三四五六七八九十中文字读书人们在这是的天";
    for (const char16_t* p = inTable; *p; ++p) {
        const AString g = GbkFromUtf16(std::u16string_view(p, 1));
        if (g.GetLength() != 2) continue;
        dict.GbReadingMap[CharKeyAt(g)].Add("x");
    }
}

class EngineHarness {
public:
    explicit EngineHarness(std::vector<SimulatedTokenSpec> tokens = SimulatedStandardTokens(),
                           SimulatedPace pace = SimulatedPace::Instant, int delayMs = 1)
        : Voices(std::move(tokens)) {
        FillFixtureLexicon(Dict);
        SimulatedVoiceOptions options;
        options.Pace = pace;
        options.EventDelayMs = delayMs;
        Voices.SetOptions(options);
        Notify.SetSendHandler([this](const NotifyMessage& m) -> std::intptr_t {
            if (m.Message == kWmCommand && m.WParam == ID_SPEECH_ATTACH) {
                Engine->AttachVoiceEvents([this] { Notify.Post(kMainWnd, WM_SPEECH_EVENT, 0, 0); });
                return 0;
            }
            if (m.Message == WM_SPEECH_WORDSTART) return WordStart ? WordStart(static_cast<int>(m.WParam)) : -1;
            return 0;
        });
    }
    ~EngineHarness() {
        StopPumpThread();
        if (Engine) Engine->ShutdownEngine();
    }

    // Creates the engine and starts its thread; true once the thread runs its
    // command loop (or has ended).
    bool Start() {
        SpeechEngineConfig config;
        config.Voices = &Voices;
        config.Notify = &Notify;
        config.MainWnd = kMainWnd;
        config.Dict = &Dict;
        config.Settings = BindSpeechSettings(Settings);
        config.EndPauseMs = 0;
        Engine = std::make_unique<SpeechEngine>(config);
        Engine->StartEngine();
        return WaitUntil([this] { return !Engine->ThreadRunning() || Engine->CommandLoopRunning(); });
    }

    // The user-interface thread: runs the event pump whenever events wait.
    void StartPumpThread() {
        PumpRunning = true;
        Pump = std::thread([this] {
            while (PumpRunning) {
                if (Notify.WaitFor([](const NotifyMessage& m) { return m.Message == WM_SPEECH_EVENT; },
                                   std::chrono::milliseconds(5)))
                    Engine->EventPump();
            }
        });
    }
    void StopPumpThread() {
        PumpRunning = false;
        if (Pump.joinable()) Pump.join();
    }

    std::shared_ptr<SimulatedVoice> Voice() { return Voices.VoiceCount() ? Voices.VoiceAt(0) : nullptr; }

    // Texts the main voice was given after the catalogue's trial phrases.
    std::vector<SimulatedSpeakCall> Spoken() {
        std::vector<SimulatedSpeakCall> out;
        if (!Voice()) return out;
        for (const SimulatedSpeakCall& c : Voice()->SpeakCalls())
            if (c.HasText && c.Text != u"  " && VoiceSucceeded(c.Result)) out.push_back(c);
        return out;
    }
    std::u16string SpokenText() {
        std::u16string all;
        for (const SimulatedSpeakCall& c : Spoken()) all += c.Text;
        return all;
    }

    int CountMessages(WindowId window, std::uint32_t message, std::uintptr_t wParam = ~std::uintptr_t{0}) {
        int n = 0;
        for (const NotifyMessage& m : Notify.Messages())
            if (m.Window == window && m.Message == message && (wParam == ~std::uintptr_t{0} || m.WParam == wParam)) ++n;
        return n;
    }
    int DoneCount(WindowId window) { return CountMessages(window, kWmCommand, ID_SPEECH_DONE); }
    bool WaitDone(WindowId window, int count = 1, int ms = 10000) {
        return WaitUntil([&] { return DoneCount(window) >= count; }, ms);
    }
    std::vector<std::pair<int, int>> Words(WindowId window) {
        std::vector<std::pair<int, int>> out;
        for (const NotifyMessage& m : Notify.Messages())
            if (m.Window == window && m.Message == WM_SPEECH_WORD)
                out.push_back({static_cast<int>(m.WParam), static_cast<int>(m.LParam)});
        return out;
    }

    SimulatedVoiceSystem Voices;
    QueueNotifyTarget Notify;
    SpeechSettingsRecord Settings;
    CDict Dict;
    std::unique_ptr<SpeechEngine> Engine;
    std::function<std::intptr_t(int)> WordStart;

private:
    std::thread Pump;
    std::atomic<bool> PumpRunning{false};
};
