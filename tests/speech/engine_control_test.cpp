// The command protocol: settings applied at start, stops, owners, shutdown.
#include <gtest/gtest.h>

#include "engine_test_util.h"

namespace {

using Clock = std::chrono::steady_clock;

bool HasCall(EngineHarness& h, const std::string& call) {
    for (const std::string& c : h.Voice()->Calls())
        if (c == call) return true;
    return false;
}

TEST(EngineControlTest, RateAndVolumeAtStart) {
    struct Case {
        int speed, volume;
        int storedSpeed, storedVolume;
        const char* rateCall;    // nullptr: the voice's rate is read
        const char* volumeCall;  // nullptr: the voice's volume is read
    };
    for (const Case& c : {Case{-9999, 150, 0, 100, nullptr, "SetVolume 100"},
                          Case{12, -3, 12, 0, "SetRate 12", "SetVolume 0"},
                          Case{-4, -9999, -4, 100, "SetRate -4", nullptr}}) {
        EngineHarness h;
        h.Settings.SoundPlaySpeed = c.speed;
        h.Settings.SoundPlayVol = c.volume;
        ASSERT_TRUE(h.Start());
        EXPECT_EQ(h.Settings.SoundPlaySpeed, c.storedSpeed);
        EXPECT_EQ(h.Settings.SoundPlayVol, c.storedVolume);
        if (c.rateCall) {
            EXPECT_TRUE(HasCall(h, c.rateCall)) << c.rateCall;
        }
        if (c.volumeCall) {
            EXPECT_TRUE(HasCall(h, c.volumeCall)) << c.volumeCall;
        }
    }
}

TEST(EngineControlTest, SetRateAndVolumeReachTheVoice) {
    EngineHarness h;
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.Engine->SetVolume(150), 1);
    EXPECT_TRUE(WaitUntil([&] { return HasCall(h, "SetVolume 100"); }));
    EXPECT_EQ(h.Settings.SoundPlayVol, 100);
    EXPECT_EQ(h.Engine->SetRate(12), 1);  // passed on unclamped
    EXPECT_TRUE(WaitUntil([&] { return HasCall(h, "SetRate 12"); }));
}

TEST(EngineControlTest, DefaultVoiceNamesStoredAtFirstStart) {
    EngineHarness h;
    ASSERT_TRUE(h.Start());
    EXPECT_STREQ(h.Settings.SoundVoiceEng.GetString(), "Sim David");
    EXPECT_STREQ(h.Settings.SoundVoiceChn.GetString(), "Sim Huihui - Chinese (Simplified)");
    AStringArray western, chinese;
    h.Engine->GetVoiceNames(western, chinese);
    EXPECT_EQ(western.GetSize(), 2);
    EXPECT_EQ(chinese.GetSize(), 1);
    EXPECT_EQ(h.Engine->GetVoiceToken(false)->Id(), SimulatedStandardTokens()[1].Id);
}

TEST(EngineControlTest, NoVoiceLeavesTheEngineMute) {
    EngineHarness h(std::vector<SimulatedTokenSpec>{});
    ASSERT_TRUE(h.Start());
    EXPECT_FALSE(h.Engine->ThreadRunning());
    EXPECT_EQ(h.Engine->IsSpeaking(), 0);
    const auto t0 = Clock::now();
    h.Engine->StopAndWait();  // nothing to wait for
    h.Engine->SpeakText(Wide(u"你好"), kReaderWnd);
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(2));
    EXPECT_EQ(h.Voices.ThreadInits(), 0);
}

TEST(EngineControlTest, SpeakTextTwiceFromOneWindow) {
    EngineHarness h;
    h.StartPumpThread();
    ASSERT_TRUE(h.Start());
    h.Voice()->SetPace(SimulatedPace::Timed, 2);
    const auto t0 = Clock::now();
    h.Engine->SpeakText(Wide(u"你好你好你好你好"), kReaderWnd);
    h.Engine->SpeakText(Wide(u"world"), kReaderWnd);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
    EXPECT_EQ(h.DoneCount(kReaderWnd), 0);
    ASSERT_TRUE(h.WaitDone(kReaderWnd));
    EXPECT_EQ(h.Spoken().back().Text, u"world");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(h.DoneCount(kReaderWnd), 1);
}

TEST(EngineControlTest, SpeakTextFromAnotherWindowStopsTheFirst) {
    EngineHarness h;
    h.StartPumpThread();
    ASSERT_TRUE(h.Start());
    h.Voice()->SetPace(SimulatedPace::Timed, 5);
    std::u16string longText;
    for (int i = 0; i < 50; ++i) longText += u"你好world";
    h.Engine->SpeakText(Wide(longText), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return h.Words(kReaderWnd).size() >= 1; }));
    h.Engine->SpeakText(Wide(u"中文"), kOtherWnd);
    // The first owner was told before the new text started; its speech was purged.
    EXPECT_EQ(h.DoneCount(kReaderWnd), 1);
    EXPECT_FALSE(h.Voice()->SpeakCalls().back().HasText && h.Spoken().size() > 100);
    ASSERT_TRUE(h.WaitDone(kOtherWnd));
    EXPECT_EQ(h.Spoken().back().Text, u"中文");
    EXPECT_LT(h.Spoken().size(), 100u);
}

TEST(EngineControlTest, UrgentStopWaitsOnlyWhenNotIdle) {
    EngineHarness h;
    ASSERT_TRUE(h.Start());
    h.Engine->StopAndWait();
    ASSERT_TRUE(h.Engine->IsIdle());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the speech thread waits for a command
    h.Engine->StopAndWaitUrgent();
    // Idle: the stop was written but the speech thread was not woken.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(h.Engine->GetState(), SC_STOP);
    EXPECT_FALSE(h.Engine->IsIdle());
    // Not idle: the speech thread carries the stop out before the call returns.
    h.Voice()->SetPace(SimulatedPace::Manual);
    h.Engine->SpeakText(Wide(u"你好world"), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return h.Spoken().size() == 2; }));
    h.Engine->StopAndWaitUrgent();
    EXPECT_EQ(h.Engine->GetState(), SC_GO);
    EXPECT_FALSE(h.Voice()->SpeakCalls().back().HasText);  // purged
    EXPECT_TRUE(h.Engine->Pieces().empty());
}

TEST(EngineControlTest, StopDuringALongScanIsCarriedOut) {
    EngineHarness h;
    ASSERT_TRUE(h.Start());
    h.Voice()->SetPace(SimulatedPace::Manual);
    std::u16string text;
    for (int i = 0; i < 40000; ++i) text += u"中文ab Word ";
    h.Engine->SpeakText(Wide(text), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return !h.Engine->Pieces().empty(); }));
    const auto t0 = Clock::now();
    h.Engine->StopAndWait();
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(10));
    EXPECT_TRUE(h.Engine->IsIdle());
    EXPECT_TRUE(h.Engine->Pieces().empty());
    // And a quit written during a scan ends the thread.
    h.Engine->SpeakText(Wide(text), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return !h.Engine->Pieces().empty(); }));
    const auto t1 = Clock::now();
    EXPECT_EQ(h.Engine->ShutdownEngine(), 1);
    EXPECT_LT(Clock::now() - t1, std::chrono::seconds(10));
    EXPECT_FALSE(h.Engine->ThreadRunning());
}

TEST(EngineControlTest, VoiceReplacedByTheOptions) {
    EngineHarness h;
    h.StartPumpThread();
    ASSERT_TRUE(h.Start());
    h.Engine->ReplaceVoiceToken(false, h.Engine->FindVoiceByName(AString("Sim Anna")));
    h.Engine->SpeakText(Wide(u"world"), kReaderWnd);
    ASSERT_TRUE(h.WaitDone(kReaderWnd));
    EXPECT_EQ(h.Spoken().back().TokenId, SimulatedStandardTokens()[0].Id);
}

TEST(EngineControlTest, ShutdownReleasesAndRestarts) {
    EngineHarness h;
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.Engine->StartEngine(), 0);
    EXPECT_EQ(h.Engine->ShutdownEngine(), 1);
    EXPECT_FALSE(h.Engine->ThreadRunning());
    EXPECT_EQ(h.Engine->GetMainVoice(), nullptr);
    EXPECT_EQ(h.Voices.ThreadInits(), 0);
    EXPECT_EQ(h.Engine->StartEngine(), 1);
    EXPECT_TRUE(WaitUntil([&] { return h.Engine->CommandLoopRunning(); }));
    h.StartPumpThread();
    h.Engine->SpeakText(Wide(u"你好"), kReaderWnd);
    EXPECT_TRUE(h.WaitDone(kReaderWnd));
}

}  // namespace
