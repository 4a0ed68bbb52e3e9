// The speech engine on the system's SAPI. Under Wine the voice category lists
// a voice that cannot speak: the trial phrase drops it and the engine stays
// mute, without hanging. With a working SAPI the voices stay listed.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "lexicon/dict.h"
#include "speech/notify_target.h"
#include "speech/sapi_voice.h"
#include "speech/speech_engine.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(EngineOnSapi, StartsSpeaksAndStopsWithinBoundedTime) {
    SapiVoiceSystem voices;
    QueueNotifyTarget notify;
    CDict dict;
    SpeechSettingsRecord settings;
    SpeechEngineConfig config;
    config.Voices = &voices;
    config.Notify = &notify;
    config.MainWnd = 1;
    config.Dict = &dict;
    config.Settings = BindSpeechSettings(settings);
    config.EndPauseMs = 0;

    const auto t0 = Clock::now();
    SpeechEngine engine(config);
    EXPECT_EQ(engine.StartEngine(), 1);
    while (engine.ThreadRunning() && !engine.CommandLoopRunning() && Clock::now() - t0 < std::chrono::seconds(60))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_LT(Clock::now() - t0, std::chrono::seconds(60)) << "the start-up hangs";

    AStringArray western, chinese;
    engine.GetVoiceNames(western, chinese);
    RecordProperty("voices_listed", western.GetSize() + chinese.GetSize());
    if (western.GetSize() + chinese.GetSize() == 0) {
        // No voice passed the trial phrase: the speech thread ended and the engine is mute.
        EXPECT_FALSE(engine.ThreadRunning());
        EXPECT_EQ(engine.IsSpeaking(), 0);
    }
    const AString text(u"\u4F60\u597D", 2);  // 你好
    engine.SpeakText(text, 2);
    engine.StopAndWait();
    EXPECT_EQ(engine.ShutdownEngine(), 1);
    EXPECT_FALSE(engine.ThreadRunning());
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(90));
}

}  // namespace
