// The auxiliary voice on the system's SAPI. Under Wine its one voice cannot
// speak: a save then reports failure and leaves no file. With a working SAPI
// the file is a whole WAV file. Every call is bounded in time.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <string>

#include "speech/aux_voice.h"
#include "speech/sapi_voice.h"
#include "speech/speech_engine.h"
#include "speech/voice_catalogue.h"

namespace {

// Runs f on a thread of its own that has COM, and fails when it does not return in time.
template <class F>
void OnComThread(VoiceSystem& voices, int seconds, F f) {
    auto done = std::async(std::launch::async, [&] {
        voices.InitThread();
        f();
        voices.UninitThread();
    });
    ASSERT_EQ(done.wait_for(std::chrono::seconds(seconds)), std::future_status::ready) << "a SAPI call hangs";
    done.get();
}

TEST(AuxVoiceOnSapi, SavedSpeechIsAWholeWavFileOrNoFileAndTheTestPhraseReturns) {
    SapiVoiceSystem voices;
    SpeechSettingsRecord settings;
    settings.SoundPlayVol = 80;
    SpeechEngineConfig config;
    config.Voices = &voices;
    config.Settings = BindSpeechSettings(settings);
    SpeechEngine engine(config);
    AuxiliaryVoice aux(engine, voices, BindSpeechSettings(settings));

    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring path = std::wstring(folder) + L"zh_aux_voice_sapi.wav";
    DeleteFileW(path.c_str());
    bool written = false;
    OnComThread(voices, 60, [&] {
        std::vector<VoiceTokenPtr> tokens;
        voices.EnumTokens(kVoiceCategoryId, nullptr, nullptr, tokens);
        const AString name = tokens.empty() ? AString() : TokenName(*tokens[0], -1);
        written = aux.SaveSpeechToWave(std::u16string(u"hello world"), name, std::u16string(path.begin(), path.end()));
        EXPECT_FALSE(aux.AuxVoice);
    });
    RecordProperty("saved", written ? 1 : 0);
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!written) {
        EXPECT_FALSE(in.is_open());
    } else {
        char head[12] = {};
        ASSERT_TRUE(in.read(head, sizeof head));
        EXPECT_EQ(std::string(head, 4), "RIFF");
        EXPECT_EQ(std::string(head + 8, 4), "WAVE");
        in.close();
        EXPECT_TRUE(DeleteFileW(path.c_str()));
    }

    OnComThread(voices, 60, [&] {
        aux.TestSpeak(AString("This is a test."), 15);
        aux.ReleaseAuxVoice();
    });
    EXPECT_EQ(engine.ShutdownEngine(), 1);
}

}  // namespace
