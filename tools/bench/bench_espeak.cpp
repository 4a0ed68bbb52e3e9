// Speech on Linux through espeak-ng: time from SpeakText to the first sound
// (the first samples the voice delivers) for texts of 100, 10,000 and
// 1,000,000 characters, the real speech engine driving the espeak-ng voice.
// Usage: bench_espeak [DATA_FOLDER]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "speech/espeak_voice.h"
#include "speech/speech_engine.h"
#include "tools/bench/speech_bench.h"

using namespace speech_bench;

int main(int argc, char** argv) {
    CDict dict;
    if (argc > 1) {
        dict.LoadToneReadings(argv[1]);
        dict.LoadGbReadings(argv[1]);
    }
    BuildRepresentativeMap();

    EspeakVoiceSystem voices;
    if (!voices.Ready()) {
        std::fprintf(stderr, "bench_espeak: espeak-ng or its voices are missing\n");
        return 2;
    }
    std::atomic<bool> heard{false};
    // A device that takes the samples as fast as they come.
    voices.SetAudioSink([&](const short*, int count) {
        if (count > 0) heard = true;
        return true;
    });
    NullTarget target;
    SpeechSettingsRecord settings;
    SpeechEngineConfig config;
    config.Voices = &voices;
    config.Notify = &target;
    config.Dict = &dict;
    config.Settings = BindSpeechSettings(settings);
    SpeechEngine engine(config);
    engine.StartEngine();
    while (!engine.CommandLoopRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::shared_ptr<Voice> voice = engine.GetMainVoice();
    if (voice) voice->WaitUntilDone(kVoiceInfinite);  // the start-up's trial phrases
    // Median of 7 runs a size.
    for (size_t units : {100u, 10000u, 1000000u}) {
        const std::u16string t = MakeText(units);
        const AString text(t.data(), static_cast<int>(t.size()));
        std::vector<double> times;
        for (int run = 0; run < 7; run++) {
            engine.StopAndWait();
            if (voice) voice->WaitUntilDone(kVoiceInfinite);
            heard = false;
            const auto t0 = Clock::now();
            engine.SpeakText(text, 1);
            while (!heard && Seconds(t0) < 60) std::this_thread::yield();
            times.push_back(Seconds(t0));
        }
        const double first = times[0];
        std::sort(times.begin(), times.end());
        std::printf("first sound after SpeakText, %8zu units: median %.2f ms, first run %.2f ms\n", units,
                    times[times.size() / 2] * 1e3, first * 1e3);
    }
    engine.StopAndWait();
    engine.ShutdownEngine();
    return 0;
}
