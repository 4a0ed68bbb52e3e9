// Speech preparation: time from SpeakText to the voice's first Speak call for
// texts of 100, 10,000 and 1,000,000 characters (with ContextReadings 0 and
// 1), and the scan's throughput.
// Usage: bench_speech [DATA_FOLDER]   (without it the lexicon is empty; the
// reading rules still run for every unit)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "rules/polyphone_model.h"
#include "text/data_file.h"
#include "speech/simulated_voice.h"
#include "speech/speech_engine.h"
#include "tools/bench/speech_bench.h"

using namespace speech_bench;

namespace {

AString Wide(const std::u16string& s) { return AString(s.data(), static_cast<int>(s.size())); }

}  // namespace

int main(int argc, char** argv) {
    CDict dict;
    PolyphoneModel model;
    if (argc > 1) {
        dict.LoadToneReadings(argv[1]);
        dict.LoadGbReadings(argv[1]);
        dict.LoadWordDictionary(argv[1]);
        std::string error;
        if (!model.Load(DataFilePath(argv[1], kPolyphoneModelFile), error)) std::printf("no model: %s\n", error.c_str());
    }
    BuildRepresentativeMap();

    // Scan throughput.
    for (size_t units : {10000u, 1000000u}) {
        const AString text = Wide(MakeText(units));
        const auto t0 = Clock::now();
        const std::vector<typStrInfo> pieces = ScanPieces(dict, text);
        const double s = Seconds(t0);
        std::printf("scan %8zu units: %.3f s, %.2f M units/s, %zu pieces\n", units, s, units / s / 1e6, pieces.size());
    }

    // SpeakText to the first Speak call, the voice not speaking (manual pace).
    SimulatedVoiceSystem voices;
    NullTarget target;
    SpeechSettingsRecord settings;
    SpeechEngineConfig config;
    config.Voices = &voices;
    config.Notify = &target;
    config.Dict = &dict;
    config.Model = &model;
    config.Settings = BindSpeechSettings(settings);
    SpeechEngine engine(config);
    engine.StartEngine();
    while (!engine.CommandLoopRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::shared_ptr<SimulatedVoice> voice = voices.VoiceAt(0);
    voice->SetPace(SimulatedPace::Manual);
    // Median of 7 runs a size; the first run of a size also pays for the
    // scan's first copy of the text into fresh memory.
    for (int context : {0, 1})
    for (size_t units : {100u, 10000u, 1000000u}) {
        settings.ContextReadings = context;
        const AString text = Wide(MakeText(units));
        std::vector<double> times;
        for (int run = 0; run < 7; run++) {
            engine.StopAndWait();
            const size_t calls = voice->SpeakCallCount();
            const auto t0 = Clock::now();
            engine.SpeakText(text, 1);
            while (voice->SpeakCallCount() == calls && Seconds(t0) < 60) {}
            times.push_back(Seconds(t0));
        }
        const double first = times[0];
        std::sort(times.begin(), times.end());
        std::printf("first Speak after SpeakText, ContextReadings=%d, %8zu units: median %.3f ms, first run %.3f ms\n",
                    context, units, times[times.size() / 2] * 1e3, first * 1e3);
    }
    engine.StopAndWait();
    engine.ShutdownEngine();
    return 0;
}
