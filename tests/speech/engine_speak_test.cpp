// Speaking a text: pieces handed to the voice, voices by read type, word
// positions, the queue limit, looping and re-queueing.
#include <gtest/gtest.h>

#include "engine_test_util.h"

namespace {

// Starts the engine at instant pace (the catalogue's trial phrases need it),
// then switches the voice to the pace of the test.
void StartAt(EngineHarness& h, SimulatedPace pace, int delayMs = 1) {
    ASSERT_TRUE(h.Start());
    ASSERT_TRUE(h.Engine->CommandLoopRunning());
    h.Voice()->SetPace(pace, delayMs);
}

// The test thread plays the user-interface thread: one voice event, then the pump.
void StepAndPump(EngineHarness& h, int events) {
    for (int i = 0; i < events; ++i) {
        h.Voice()->Step(1);
        h.Engine->EventPump();
    }
}

TEST(EngineSpeakTest, WordPositionsCountFromTheOwnersText) {
    EngineHarness h;
    StartAt(h, SimulatedPace::Manual);
    h.Engine->SpeakText(Wide(u"你好world"), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return h.Spoken().size() == 2; }));
    EXPECT_EQ(h.Spoken()[0].Text, u"你好");
    EXPECT_EQ(h.Spoken()[1].Text, u"world");

    StepAndPump(h, 7);  // start, 你, 好, end, start, world, end
    EXPECT_EQ(h.Words(kReaderWnd), (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 7}}));
    EXPECT_EQ(h.DoneCount(kReaderWnd), 1);
    // The end stops the engine and forgets the text.
    EXPECT_TRUE(WaitUntil([&] { return h.Engine->IsIdle(); }));
    EXPECT_TRUE(h.Engine->Pieces().empty());
}

TEST(EngineSpeakTest, PolyphoneReplacedWithPositionsUnchanged) {
    EngineHarness h;
    StartAt(h, SimulatedPace::Manual);
    h.Engine->SpeakText(Wide(u"他在银行OK"), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return h.Spoken().size() == 1; }));
    EXPECT_EQ(h.Spoken()[0].Text, u"他在银航OK");
    StepAndPump(h, 7);  // start and five words (OK is one), end
    EXPECT_EQ(h.Words(kReaderWnd), (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 6}}));
}

TEST(EngineSpeakTest, VoiceOfEachPieceByReadType) {
    const std::u16string western = SimulatedStandardTokens()[1].Id, chinese = SimulatedStandardTokens()[2].Id;
    struct Case {
        int readType;
        std::u16string first, second;  // token of 你好 and of world; empty: as before
    };
    for (const Case& c : {Case{1, chinese, chinese}, Case{2, western, western}, Case{3, chinese, western},
                          Case{7, chinese, western}, Case{0, u"", u""}}) {
        EngineHarness h;
        h.Settings.SoundPlayReadType = c.readType;
        h.StartPumpThread();
        StartAt(h, SimulatedPace::Instant);
        const size_t setVoiceCalls = h.Voice()->Calls().size();
        h.Engine->SpeakText(Wide(u"你好world"), kReaderWnd);
        ASSERT_TRUE(h.WaitDone(kReaderWnd)) << c.readType;
        const std::vector<SimulatedSpeakCall> spoken = h.Spoken();
        ASSERT_EQ(spoken.size(), 2u);
        if (c.first.empty()) {
            int selections = 0;
            const std::vector<std::string> calls = h.Voice()->Calls();
            for (size_t i = setVoiceCalls; i < calls.size(); ++i) selections += calls[i].rfind("SetVoice", 0) == 0;
            EXPECT_EQ(selections, 0);
            EXPECT_EQ(spoken[0].TokenId, spoken[1].TokenId);
        } else {
            EXPECT_EQ(spoken[0].TokenId, c.first) << c.readType;
            EXPECT_EQ(spoken[1].TokenId, c.second) << c.readType;
        }
    }
}

TEST(EngineSpeakTest, MoreThanSeventyPiecesAreAllSpoken) {
    EngineHarness h;
    StartAt(h, SimulatedPace::Manual);
    std::u16string text;
    for (int i = 0; i < 100; ++i) text += u"中a";  // 200 pieces
    h.Engine->SpeakText(Wide(text), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return h.Engine->Pieces().size() == 200; }));
    // The first 70 are queued at once, the rest when the queue runs low.
    EXPECT_EQ(h.Spoken().size(), 70u);
    h.StartPumpThread();
    h.Voice()->SetPace(SimulatedPace::Instant);
    ASSERT_TRUE(h.WaitDone(kReaderWnd));
    EXPECT_EQ(h.Spoken().size(), 200u);
    EXPECT_EQ(h.SpokenText(), text);
}

TEST(EngineSpeakTest, LoopSpeaksAgainUntilStopped) {
    EngineHarness h;
    h.Settings.SoundPlayLoop = 1;
    h.StartPumpThread();
    StartAt(h, SimulatedPace::Timed, 2);
    h.Engine->SpeakText(Wide(u"你好world"), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return h.Spoken().size() >= 6; }));  // three rounds
    EXPECT_EQ(h.SpokenText().substr(0, 21), u"你好world你好world你好world");
    EXPECT_EQ(h.DoneCount(kReaderWnd), 0);
    h.Engine->StopAndWait();
    const size_t after = h.Spoken().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(h.Spoken().size(), after);
    EXPECT_TRUE(h.Engine->Pieces().empty());
}

// A Chinese text of one piece; the owner answers the word start from
// two-character words.
class RequeueTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.Settings.SoundPaySyncWord_Dialog = 1;
        h.WordStart = [](int byteOffset) -> std::intptr_t { return (byteOffset / 4) * 4; };
        StartAt(h, SimulatedPace::Manual);
        h.Engine->SpeakText(Wide(kText), kReaderWnd);
        ASSERT_TRUE(WaitUntil([&] { return h.Spoken().size() == 1; }));
        StepAndPump(h, 8);  // stream start and the words at 0..6
        ASSERT_EQ(h.Words(kReaderWnd).back(), (std::pair<int, int>{6, 7}));
    }

    std::u16string Resume(bool sync) {
        h.Engine->Signal(SC_PAUSE);
        EXPECT_TRUE(WaitUntil([&] { return h.Voice()->SpeakCalls().back().HasText == false; }));  // the purge
        h.Engine->SetSyncResume(sync);
        h.Engine->Signal(SC_REQUEUE);
        EXPECT_TRUE(WaitUntil([&] { return h.Spoken().size() == 2; }));
        return h.Spoken().back().Text;
    }

    static constexpr const char16_t* kText = u"你好你好你好你好你好";
    EngineHarness h;
};

TEST_F(RequeueTest, SynchronisedResumeStepsBackToTheWordStart) {
    // Two units back from the highlighted unit 6 is unit 5, in the word at 4.
    EXPECT_EQ(Resume(true), u"你好你好你好");
    StepAndPump(h, 2);  // start, the word at unit 4 of the text
    EXPECT_EQ(h.Words(kReaderWnd).back(), (std::pair<int, int>{4, 5}));
}

TEST_F(RequeueTest, ReplayStepsBackFurther) {
    // Seven units back: the start of the piece.
    EXPECT_EQ(Resume(false), kText);
}

TEST(EngineRequeueTest, ResumeNeverStartsInsideASurrogatePair) {
    EngineHarness h;
    h.Settings.SoundPaySyncWord_Dialog = 1;
    h.WordStart = [](int) -> std::intptr_t { return -1; };  // the owner knows no words
    StartAt(h, SimulatedPace::Manual);
    const std::u16string text = u"你好你好你𠮷好你好你好";  // 𠮷 at units 5 and 6
    h.Engine->SpeakText(Wide(text), kReaderWnd);
    ASSERT_TRUE(WaitUntil([&] { return h.Spoken().size() == 1; }));
    StepAndPump(h, 8);  // stream start and the words at 0..5 and 7
    ASSERT_EQ(h.Words(kReaderWnd).back(), (std::pair<int, int>{7, 8}));
    h.Engine->Signal(SC_PAUSE);
    ASSERT_TRUE(WaitUntil([&] { return h.Voice()->SpeakCalls().back().HasText == false; }));
    h.Engine->SetSyncResume(true);
    h.Engine->Signal(SC_REQUEUE);
    ASSERT_TRUE(WaitUntil([&] { return h.Spoken().size() == 2; }));
    // Two units back from 好 at 7 is the second unit of 𠮷: the resume takes the whole pair.
    EXPECT_EQ(h.Spoken().back().Text, text.substr(5));
}

TEST(EngineSpeakTest, EmptyTextAndRateWhileIdleReportTheEnd) {
    EngineHarness h;
    StartAt(h, SimulatedPace::Instant);
    h.Engine->SpeakText(AString(), kReaderWnd);
    ASSERT_TRUE(h.WaitDone(kReaderWnd));
    // A speak step with no text reports to the last owner.
    h.Engine->SetRate(3);
    ASSERT_TRUE(h.WaitDone(kReaderWnd, 2));
    EXPECT_TRUE(h.Spoken().empty());
}

TEST(EngineSpeakTest, FailedRequestsDoNotHangTheEnd) {
    EngineHarness h;
    h.StartPumpThread();
    StartAt(h, SimulatedPace::Instant);
    h.Voice()->FailSpeak(kVoiceErrFail, 1);  // 你好 is refused
    h.Engine->SpeakText(Wide(u"你好world"), kReaderWnd);
    ASSERT_TRUE(h.WaitDone(kReaderWnd));
    EXPECT_EQ(h.SpokenText(), u"world");
}

}  // namespace
