// QueueNotifyTarget: the portable stand-in for window messages.
#include <gtest/gtest.h>

#include <thread>

#include "speech/notify_target.h"
#include "speech/simulated_voice.h"

namespace {

using namespace std::chrono_literals;

TEST(NotifyTargetTest, RecordsPostedAndSentMessagesInOrder) {
    QueueNotifyTarget target;
    target.SetSendHandler([](const NotifyMessage& m) -> std::intptr_t {
        return m.Message == WM_SPEECH_WORDSTART ? static_cast<std::intptr_t>(m.WParam) - 4 : 0;
    });
    EXPECT_TRUE(target.Post(7, WM_SPEECH_WORD, 2, 7));
    EXPECT_EQ(target.Send(7, WM_SPEECH_WORDSTART, 10, 0), 6);
    EXPECT_TRUE(target.PostCommand(9, ID_SPEECH_DONE));
    EXPECT_FALSE(target.Post(0, WM_SPEECH_WORD, 0, 0));  // no window
    EXPECT_EQ(target.Send(0, WM_SPEECH_WORDSTART, 10, 0), 0);
    target.DestroyWindow(9);
    EXPECT_FALSE(target.WindowExists(9));
    EXPECT_TRUE(target.WindowExists(7));
    EXPECT_FALSE(target.PostCommand(9, ID_SPEECH_DONE));

    auto all = target.Messages();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].Message, WM_SPEECH_WORD);
    EXPECT_EQ(all[0].WParam, 2u);
    EXPECT_EQ(all[0].LParam, 7);
    EXPECT_FALSE(all[0].Sent);
    EXPECT_TRUE(all[1].Sent);
    EXPECT_EQ(all[2].Window, 9u);
    EXPECT_EQ(all[2].Message, kWmCommand);
    EXPECT_EQ(all[2].WParam, ID_SPEECH_DONE);

    auto done = target.WaitFor([](const NotifyMessage& m) { return m.Message == kWmCommand; }, 0ms);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->WParam, ID_SPEECH_DONE);
    EXPECT_EQ(target.Take()->Message, WM_SPEECH_WORD);  // the others stay, in order
    EXPECT_EQ(target.Take()->Message, WM_SPEECH_WORDSTART);
    EXPECT_FALSE(target.Take());
    EXPECT_FALSE(target.WaitFor({}, 10ms));
}

TEST(NotifyTargetTest, MessageNumbers) {
    EXPECT_EQ(WM_SPEECH_EVENT, 0x8000u);
    EXPECT_EQ(WM_SPEECH_WORD, 0x8009u);
    EXPECT_EQ(WM_SPEECH_WORDSTART, 0x800Du);
    EXPECT_EQ(ID_SPEECH_ATTACH, 57782);
    EXPECT_EQ(ID_SPEECH_DONE, 57784);
}

// The wiring the engine uses: voice notification -> WM_SPEECH_EVENT posted to
// the main window, whose pump drains the events on its own thread.
TEST(NotifyTargetTest, VoiceNotificationsBecomePostedMessages) {
    QueueNotifyTarget target;
    SimulatedVoiceSystem system;
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(system.CreateVoice(voice), kVoiceOk);
    const WindowId mainWindow = 0x1234;
    voice->SetInterest(kVoiceInterestMask, kVoiceInterestMask);
    voice->SetNotifyCallback([&] { target.Post(mainWindow, WM_SPEECH_EVENT, 0, 0); });
    std::uint32_t n = 0;
    voice->Speak(u"你好world", kSpeakAsync, &n);
    std::vector<VoiceEvent> pumped;
    while (pumped.empty() || pumped.back().Id != kEventEndInputStream) {
        auto m = target.WaitFor({}, 5000ms);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->Window, mainWindow);
        EXPECT_EQ(m->Message, WM_SPEECH_EVENT);
        VoiceEvent e;
        while (voice->GetEvents(1, &e, nullptr) == kVoiceOk) pumped.push_back(e);
    }
    ASSERT_EQ(pumped.size(), 5u);
    EXPECT_EQ(pumped[3].Id, kEventWordBoundary);
    EXPECT_EQ(pumped[3].StreamNumber, n);
    EXPECT_EQ(pumped[3].InputPos, 2u);
    EXPECT_EQ(pumped[3].InputLen, 5u);
    // One message per event; the last may follow its event a little.
    for (int i = 0; i < 500 && target.Messages().size() < 5; ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(target.Messages().size(), 5u);
}

}  // namespace
