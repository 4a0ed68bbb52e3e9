#include "tools/cli/prepare.h"

#include <chrono>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "lexicon/representative.h"
#include "speech/simulated_voice.h"
#include "speech/speech_engine.h"
#include "text/gbk.h"
#include "text/utf8.h"

namespace {

constexpr WindowId kMainWindow = 1, kOwnerWindow = 2;

// The windows of the run: the main window attaches to the voice's events,
// the owner window notes the end of the speech.
class PrepareTarget : public NotifyTarget {
public:
    bool Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (message == WM_SPEECH_EVENT) EventsWaiting.Set();
        if (window == kOwnerWindow && message == kWmCommand && wParam == ID_SPEECH_DONE) Done.Set();
        return window != 0;
    }
    std::intptr_t Send(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (message == kWmCommand && wParam == ID_SPEECH_ATTACH && Attach) Attach();
        return message == WM_SPEECH_WORDSTART ? -1 : 0;
    }
    bool WindowExists(WindowId window) override { return window != 0; }

    std::function<void()> Attach;
    SpeechEvent EventsWaiting{false, false};
    SpeechEvent Done{true, false};
};

}  // namespace

int PrintPreparedPieces(const CDict& dict, const AString& wideText) {
    return PrintPreparedPieces(dict, wideText, std::cout);
}

int PrintPreparedPieces(const CDict& dict, const AString& wideText, std::ostream& out, bool context,
                        const PolyphoneModel* model) {
    BuildRepresentativeMap();
    SimulatedVoiceSystem voices;
    SimulatedVoiceOptions options;
    options.Pace = SimulatedPace::Instant;
    voices.SetOptions(options);
    PrepareTarget target;
    SpeechSettingsRecord settings;
    settings.ContextReadings = context ? 1 : 0;

    std::mutex piecesLock;
    std::vector<typStrInfo> pieces;
    SpeechEngineConfig config;
    config.Voices = &voices;
    config.Notify = &target;
    config.MainWnd = kMainWindow;
    config.Dict = &dict;
    config.Model = model;
    config.Settings = BindSpeechSettings(settings);
    config.EndPauseMs = 0;
    config.OnPiece = [&](const typStrInfo& piece) {
        std::lock_guard<std::mutex> hold(piecesLock);
        pieces.push_back(piece);
    };
    SpeechEngine engine(config);
    target.Attach = [&] { engine.AttachVoiceEvents([&] { target.EventsWaiting.Set(); }); };

    engine.StartEngine();
    engine.SpeakText(wideText, kOwnerWindow);
    // The caller's thread is the user-interface thread: it runs the event pump.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    while (!target.Done.IsSet() && engine.ThreadRunning() && std::chrono::steady_clock::now() < limit) {
        target.EventsWaiting.Wait(20);
        engine.EventPump();
    }
    const bool finished = target.Done.IsSet();
    engine.ShutdownEngine();

    std::lock_guard<std::mutex> hold(piecesLock);
    for (const typStrInfo& piece : pieces) {
        out << piece.isChinese << '\t' << piece.offset / 2 << '\t'
            << Utf16ToUtf8(reinterpret_cast<const char16_t*>(piece.text.GetString()), piece.text.GetLength() / 2)
            << '\n';
    }
    return finished ? 0 : 1;
}
