// SimulatedVoice: event order and positions, purge, pause, failures, pace.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "speech/simulated_voice.h"

namespace {

constexpr std::uint64_t kAll = EventBit(kEventStartInputStream) | EventBit(kEventEndInputStream) |
                               EventBit(kEventWordBoundary);

struct Ev {
    std::uint16_t Id;
    std::uint32_t Stream, Pos, Len;
    bool operator==(const Ev&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Ev& e) {
    return os << "{" << e.Id << ", s" << e.Stream << ", " << e.Pos << ", " << e.Len << "}";
}

std::vector<Ev> Drain(Voice& v) {
    std::vector<Ev> out;
    VoiceEvent e;
    while (v.GetEvents(1, &e, nullptr) == kVoiceOk) out.push_back({e.Id, e.StreamNumber, e.InputPos, e.InputLen});
    return out;
}

constexpr std::uint16_t S = kEventStartInputStream, E = kEventEndInputStream, W = kEventWordBoundary;

// A system with the standard voices and a voice at the given pace, with every event queued.
struct VoiceFixture : ::testing::Test {
    SimulatedVoiceSystem System;
    std::unique_ptr<Voice> V;
    std::shared_ptr<SimulatedVoice> Sim;

    void Make(SimulatedPace pace, int delayMs = 20) {
        SimulatedVoiceOptions o;
        o.Pace = pace;
        o.EventDelayMs = delayMs;
        System.SetOptions(o);
        ASSERT_EQ(System.CreateVoice(V), kVoiceOk);
        Sim = System.VoiceAt(System.VoiceCount() - 1);
        V->SetInterest(kAll, kAll);
    }
    void TearDown() override { V.reset(); }
};

TEST(SimulatedWordsTest, SplitsChineseUnitsAndAsciiRuns) {
    struct Case {
        std::u16string Text;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> Words;
    } cases[] = {
        {u"你好world", {{0, 1}, {1, 1}, {2, 5}}},
        {u"Hello, world 42x", {{0, 5}, {7, 5}, {13, 3}}},
        {u"  ", {}},
        {u"", {}},
        {u"他说，好", {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},  // U+FF0C is above 0x2E80
        {u"a\u2E7Fb\u2E80", {{0, 1}, {2, 1}, {3, 1}}},    // the boundary of the Chinese range
        {u"x\U00020000y", {{0, 1}, {1, 2}, {3, 1}}},      // a surrogate pair is one word
        {u"\xE9t\xE9", {{1, 1}}},                         // Latin-1 letters make no word
    };
    for (const auto& c : cases) EXPECT_EQ(SimulatedWords(c.Text), c.Words) << std::string(c.Text.begin(), c.Text.end());
}

TEST_F(VoiceFixture, InstantPaceReportsStartWordsAndEndPerStream) {
    Make(SimulatedPace::Instant);
    std::uint32_t first = 0, second = 0;
    ASSERT_EQ(V->Speak(u"你好world", kSpeakAsync, &first), kVoiceOk);
    ASSERT_EQ(V->Speak(u"OK", kSpeakAsync, &second), kVoiceOk);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, 2u);
    ASSERT_EQ(V->WaitUntilDone(5000), kVoiceOk);
    std::vector<Ev> expected = {{S, 1, 0, 0}, {W, 1, 0, 1}, {W, 1, 1, 1}, {W, 1, 2, 5}, {E, 1, 0, 0},
                                {S, 2, 0, 0}, {W, 2, 0, 2}, {E, 2, 0, 0}};
    EXPECT_EQ(Drain(*V), expected);
    VoiceStatus st;
    ASSERT_EQ(V->GetStatus(st), kVoiceOk);
    EXPECT_EQ(st.RunningState, kRunStateDone);
    EXPECT_EQ(st.CurrentStream, 2u);
    EXPECT_EQ(st.LastStreamQueued, 2u);
    EXPECT_EQ(st.InputWordPos, 0u);
    EXPECT_EQ(st.InputWordLen, 2u);
}

TEST_F(VoiceFixture, QueuedInterestFiltersEventsAndGetEventsCountsFetched) {
    Make(SimulatedPace::Instant);
    V->SetInterest(kAll, EventBit(kEventEndInputStream));
    V->Speak(u"a b", kSpeakAsync, nullptr);
    V->WaitUntilDone(5000);
    VoiceEvent ev[3];
    std::uint32_t fetched = 99;
    EXPECT_EQ(V->GetEvents(3, ev, &fetched), kVoiceFalse);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(ev[0].Id, kEventEndInputStream);
    EXPECT_EQ(V->GetEvents(1, ev, &fetched), kVoiceFalse);
    EXPECT_EQ(fetched, 0u);
}

TEST_F(VoiceFixture, NewVoiceQueuesNoEventsUntilInterestIsSet) {
    ASSERT_EQ(System.CreateVoice(V), kVoiceOk);
    V->Speak(u"word", kSpeakAsync, nullptr);
    V->WaitUntilDone(5000);
    EXPECT_TRUE(Drain(*V).empty());
}

TEST_F(VoiceFixture, ManualStepsOneEventAtATimeAndStatusFollows) {
    Make(SimulatedPace::Manual);
    std::uint32_t n = 0;
    ASSERT_EQ(V->Speak(u"你好world", kSpeakAsync, &n), kVoiceOk);
    VoiceStatus st;
    V->GetStatus(st);
    EXPECT_EQ(st.RunningState, kRunStateSpeaking);
    EXPECT_EQ(V->WaitUntilDone(30), kVoiceFalse);  // nothing moves without a step
    EXPECT_TRUE(Drain(*V).empty());

    struct { std::vector<Ev> Events; std::uint32_t Pos, Len; } steps[] = {
        {{{S, n, 0, 0}}, 0, 0}, {{{W, n, 0, 1}}, 0, 1}, {{{W, n, 1, 1}}, 1, 1}, {{{W, n, 2, 5}}, 2, 5},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(Sim->Step(), 1);
        EXPECT_EQ(Drain(*V), s.Events);
        V->GetStatus(st);
        EXPECT_EQ(st.CurrentStream, n);
        EXPECT_EQ(st.InputWordPos, s.Pos);
        EXPECT_EQ(st.InputWordLen, s.Len);
        EXPECT_EQ(st.RunningState, kRunStateSpeaking);
    }
    EXPECT_EQ(Sim->Step(5), 1);  // only the end is left
    EXPECT_EQ(Drain(*V), (std::vector<Ev>{{E, n, 0, 0}}));
    V->GetStatus(st);
    EXPECT_EQ(st.RunningState, kRunStateDone);
    EXPECT_EQ(V->WaitUntilDone(0), kVoiceOk);
    EXPECT_EQ(Sim->Step(), 0);
}

TEST_F(VoiceFixture, PurgeEndsTheCurrentStreamAndDropsQueuedOnes) {
    Make(SimulatedPace::Manual);
    std::uint32_t a = 0, b = 0, c = 0;
    V->Speak(u"one two", kSpeakAsync, &a);
    V->Speak(u"three", kSpeakAsync, &b);
    Sim->Step(2);  // start of a, first word
    Drain(*V);
    std::uint32_t kept = 777;
    ASSERT_EQ(V->Speak(nullptr, kSpeakPurgeBeforeSpeak, &kept), kVoiceOk);
    EXPECT_EQ(kept, 777u);  // a purge alone makes no stream
    EXPECT_EQ(V->WaitUntilDone(1000), kVoiceOk);
    EXPECT_EQ(Drain(*V), (std::vector<Ev>{{E, a, 0, 0}}));  // b never started: no events

    // Purge together with new text: the new stream is spoken, the old queue is gone.
    V->Speak(u"x", kSpeakAsync, &b);
    ASSERT_EQ(V->Speak(u"y", kSpeakAsync | kSpeakPurgeBeforeSpeak, &c), kVoiceOk);
    EXPECT_EQ(Sim->Step(10), 3);
    EXPECT_EQ(Drain(*V), (std::vector<Ev>{{S, c, 0, 0}, {W, c, 0, 1}, {E, c, 0, 0}}));
}

TEST_F(VoiceFixture, PurgeOfAnIdleVoiceMakesNoEvent) {
    Make(SimulatedPace::Instant);
    ASSERT_EQ(V->Speak(nullptr, kSpeakPurgeBeforeSpeak, nullptr), kVoiceOk);
    ASSERT_EQ(V->WaitUntilDone(1000), kVoiceOk);
    EXPECT_TRUE(Drain(*V).empty());
}

TEST_F(VoiceFixture, PauseHoldsTheStreamUntilResume) {
    Make(SimulatedPace::Timed, 5);
    std::uint32_t n = 0;
    ASSERT_EQ(V->Pause(), kVoiceOk);
    V->Speak(u"alpha beta gamma", kSpeakAsync, &n);
    EXPECT_EQ(V->WaitUntilDone(100), kVoiceFalse);
    EXPECT_TRUE(Drain(*V).empty());
    VoiceStatus st;
    V->GetStatus(st);
    EXPECT_EQ(st.RunningState, kRunStateSpeaking);
    ASSERT_EQ(V->Resume(), kVoiceOk);
    ASSERT_EQ(V->WaitUntilDone(5000), kVoiceOk);
    EXPECT_EQ(Drain(*V).size(), 5u);
}

TEST_F(VoiceFixture, ManualStepDoesNothingWhilePausedAndPurgeStillEndsTheStream) {
    Make(SimulatedPace::Manual);
    std::uint32_t n = 0;
    V->Speak(u"alpha beta", kSpeakAsync, &n);
    Sim->Step(2);
    V->Pause();
    EXPECT_TRUE(Sim->IsPaused());
    EXPECT_EQ(Sim->Step(3), 0);
    V->Speak(nullptr, kSpeakPurgeBeforeSpeak, nullptr);
    EXPECT_EQ(V->WaitUntilDone(1000), kVoiceOk);
    EXPECT_EQ(Drain(*V), (std::vector<Ev>{{S, n, 0, 0}, {W, n, 0, 5}, {E, n, 0, 0}}));
    EXPECT_TRUE(Sim->IsPaused());  // a purge does not resume
}

TEST_F(VoiceFixture, ConfiguredSpeakFailures) {
    struct Case {
        const char* Name;
        VoiceResult Error;
        int Count;
        std::vector<VoiceResult> Results;  // of four Speak calls in a row
    } cases[] = {
        {"success", kVoiceOk, 0, {kVoiceOk, kVoiceOk, kVoiceOk, kVoiceOk}},
        {"device busy once", kVoiceErrDeviceBusy, 1, {kVoiceErrDeviceBusy, kVoiceOk, kVoiceOk, kVoiceOk}},
        {"transient twice", kVoiceErrFail, 2, {kVoiceErrFail, kVoiceErrFail, kVoiceOk, kVoiceOk}},
        {"permanent", kVoiceErrDeviceBusy, -1,
         {kVoiceErrDeviceBusy, kVoiceErrDeviceBusy, kVoiceErrDeviceBusy, kVoiceErrDeviceBusy}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Make(SimulatedPace::Instant);
        Sim->FailSpeak(c.Error, c.Count);
        std::uint32_t last = 0;
        std::vector<VoiceResult> got;
        for (int i = 0; i < 4; ++i) {
            std::uint32_t n = 4242;
            got.push_back(V->Speak(u"hi", kSpeakAsync, &n));
            if (got.back() == kVoiceOk) {
                EXPECT_EQ(n, last + 1);  // failures use up no stream number
                last = n;
            } else {
                EXPECT_EQ(n, 4242u);
            }
        }
        EXPECT_EQ(got, c.Results);
        V->WaitUntilDone(5000);
        int ok = static_cast<int>(std::count(c.Results.begin(), c.Results.end(), kVoiceOk));
        EXPECT_EQ(Drain(*V).size(), static_cast<size_t>(3 * ok));
        auto log = Sim->SpeakCalls();
        ASSERT_EQ(log.size(), 4u);
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(log[i].Result, c.Results[i]);
        // A purge alone is never failed.
        EXPECT_EQ(V->Speak(nullptr, kSpeakPurgeBeforeSpeak, nullptr), kVoiceOk);
    }
}

TEST_F(VoiceFixture, TokenFailuresFollowTheTokenInUse) {
    auto busy = MakeSimulatedToken(u"busy", u"Busy Voice", u"", u"409", u"Male");
    busy.SpeakError = kVoiceErrDeviceBusy;
    busy.SpeakErrorCount = -1;
    auto flaky = MakeSimulatedToken(u"flaky", u"Flaky Voice", u"", u"409", u"Male");
    flaky.SpeakError = kVoiceErrFail;
    flaky.SpeakErrorCount = 2;
    auto locked = MakeSimulatedToken(u"locked", u"Locked Voice", u"", u"409", u"Male");
    locked.SetVoiceResult = kVoiceErrFail;
    System.AddToken(busy);
    System.AddToken(flaky);
    System.AddToken(locked);
    Make(SimulatedPace::Instant);

    EXPECT_EQ(V->Speak(u"x", kSpeakAsync, nullptr), kVoiceOk);  // default voice
    ASSERT_EQ(V->SetVoice(System.FindToken(u"busy")), kVoiceOk);
    EXPECT_EQ(V->Speak(u"x", kSpeakAsync, nullptr), kVoiceErrDeviceBusy);
    EXPECT_EQ(V->Speak(u"x", kSpeakAsync, nullptr), kVoiceErrDeviceBusy);
    ASSERT_EQ(V->SetVoice(System.FindToken(u"flaky")), kVoiceOk);
    EXPECT_EQ(V->Speak(u"x", kSpeakAsync, nullptr), kVoiceErrFail);
    EXPECT_EQ(V->Speak(u"x", kSpeakAsync, nullptr), kVoiceErrFail);
    EXPECT_EQ(V->Speak(u"x", kSpeakAsync, nullptr), kVoiceOk);

    EXPECT_EQ(V->SetVoice(System.FindToken(u"locked")), kVoiceErrFail);
    VoiceTokenPtr current;
    ASSERT_EQ(V->GetVoice(current), kVoiceOk);
    EXPECT_EQ(current->Id(), u"flaky");  // a refused SetVoice keeps the voice

    // The counter belongs to the token: another voice sees it used up.
    std::unique_ptr<Voice> other;
    ASSERT_EQ(System.CreateVoice(other), kVoiceOk);
    other->SetVoice(System.FindToken(u"flaky"));
    EXPECT_EQ(other->Speak(u"x", kSpeakAsync, nullptr), kVoiceOk);
    other->SetVoice(nullptr);
    other->GetVoice(current);
    EXPECT_EQ(current, System.FindToken(SimulatedStandardTokens()[0].Id));
}

TEST_F(VoiceFixture, SpeakLogRecordsTextFlagsTokenRateAndVolume) {
    Make(SimulatedPace::Instant);
    auto huihui = System.FindToken(SimulatedStandardTokens()[2].Id);
    V->SetVoice(huihui);
    EXPECT_EQ(V->SetRate(-3), kVoiceOk);
    EXPECT_EQ(V->SetVolume(80), kVoiceOk);
    EXPECT_EQ(V->SetRate(12), kVoiceErrInvalidArg);
    EXPECT_EQ(V->SetVolume(101), kVoiceErrInvalidArg);
    V->Speak(u"你好", kSpeakAsync | kSpeakIsNotXml, nullptr);
    V->Speak(nullptr, kSpeakPurgeBeforeSpeak, nullptr);
    std::int32_t rate = 0;
    std::uint16_t volume = 0;
    V->GetRate(rate);
    V->GetVolume(volume);
    EXPECT_EQ(rate, -3);
    EXPECT_EQ(volume, 80);

    auto log = Sim->SpeakCalls();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].HasText);
    EXPECT_EQ(log[0].Text, u"你好");
    EXPECT_EQ(log[0].Flags, kSpeakAsync | kSpeakIsNotXml);
    EXPECT_EQ(log[0].TokenId, huihui->Id());
    EXPECT_EQ(log[0].TokenName, u"Sim Huihui - Chinese (Simplified)");
    EXPECT_EQ(log[0].Rate, -3);
    EXPECT_EQ(log[0].Volume, 80);
    EXPECT_EQ(log[0].StreamNumber, 1u);
    EXPECT_FALSE(log[1].HasText);
    EXPECT_EQ(log[1].Flags, kSpeakPurgeBeforeSpeak);
    EXPECT_EQ(log[1].StreamNumber, 0u);

    auto calls = Sim->Calls();
    auto has = [&](const std::string& c) { return std::find(calls.begin(), calls.end(), c) != calls.end(); };
    EXPECT_TRUE(has("SetRate 12"));  // refused calls are traced with their argument
    EXPECT_TRUE(has("SetVolume 101"));
    EXPECT_TRUE(has("SetVoice HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\SimHuihui"));
}

TEST_F(VoiceFixture, SynchronousSpeakReturnsAfterTheStreamEnded) {
    Make(SimulatedPace::Timed, 2);
    ASSERT_EQ(V->Speak(u"one two three", kSpeakDefault, nullptr), kVoiceOk);
    VoiceStatus st;
    V->GetStatus(st);
    EXPECT_EQ(st.RunningState, kRunStateDone);
    EXPECT_EQ(Drain(*V).size(), 5u);
}

TEST_F(VoiceFixture, RejectsUnknownFlagsAndSpeaksNothingWithoutAVoice) {
    Make(SimulatedPace::Instant);
    EXPECT_EQ(V->Speak(u"x", 0x1000, nullptr), kVoiceErrInvalidFlags);
    SimulatedVoiceSystem empty(std::vector<SimulatedTokenSpec>{});
    std::unique_ptr<Voice> mute;
    ASSERT_EQ(empty.CreateVoice(mute), kVoiceOk);
    VoiceTokenPtr token;
    EXPECT_EQ(mute->GetVoice(token), kVoiceErrNotFound);
    EXPECT_EQ(mute->Speak(u"x", kSpeakAsync, nullptr), kVoiceErrNotFound);
}

TEST_F(VoiceFixture, CallbackRunsOncePerEventOfInterestOnTheVoiceThread) {
    Make(SimulatedPace::Manual);
    std::atomic<int> calls{0};
    std::atomic<bool> otherThread{true};
    auto testThread = std::this_thread::get_id();
    V->SetInterest(EventBit(kEventWordBoundary) | EventBit(kEventEndInputStream), kAll);
    V->SetNotifyCallback([&] {
        ++calls;
        if (std::this_thread::get_id() == testThread) otherThread = false;
    });
    V->Speak(u"a b", kSpeakAsync, nullptr);
    EXPECT_EQ(Sim->Step(1), 1);  // start: no notification
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(Sim->Step(1), 1);  // Step returns after the callback ran
    EXPECT_EQ(calls, 1);
    Sim->Step(10);
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(otherThread);

    // A callback that reads the events and status from inside the notification.
    std::vector<Ev> seen;
    V->SetNotifyCallback([&] {
        for (auto& e : Drain(*V)) seen.push_back(e);
        VoiceStatus st;
        V->GetStatus(st);
    });
    Drain(*V);
    std::uint32_t n = 0;
    V->Speak(u"z", kSpeakAsync, &n);
    Sim->Step(10);
    EXPECT_EQ(seen, (std::vector<Ev>{{S, n, 0, 0}, {W, n, 0, 1}, {E, n, 0, 0}}));
}

TEST_F(VoiceFixture, PaceCanChangeWhileStreamsWait) {
    Make(SimulatedPace::Manual);
    V->Speak(u"one two three", kSpeakAsync, nullptr);
    EXPECT_EQ(V->WaitUntilDone(30), kVoiceFalse);
    Sim->SetPace(SimulatedPace::Instant);
    EXPECT_EQ(V->WaitUntilDone(5000), kVoiceOk);
    EXPECT_EQ(Drain(*V).size(), 5u);
    EXPECT_EQ(Sim->Step(), 0);  // no stepping outside the manual pace
}

TEST_F(VoiceFixture, ManualPaceCanRunWhileSomeoneWaits) {
    SimulatedVoiceOptions o;
    o.Pace = SimulatedPace::Manual;
    o.ManualRunsWhenWaited = true;
    System.SetOptions(o);
    ASSERT_EQ(System.CreateVoice(V), kVoiceOk);
    Sim = System.VoiceAt(0);
    V->SetInterest(kAll, kAll);
    std::uint32_t trial = 0, later = 0;
    V->Speak(u"  ", kSpeakAsync, &trial);
    EXPECT_EQ(V->WaitUntilDone(5000), kVoiceOk);  // a trial phrase and its wait
    EXPECT_EQ(Drain(*V), (std::vector<Ev>{{S, trial, 0, 0}, {E, trial, 0, 0}}));
    V->Speak(u"ab", kSpeakAsync, &later);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(Drain(*V).empty());  // without a waiter, steps again
    EXPECT_EQ(Sim->Step(), 1);
    EXPECT_EQ(Drain(*V), (std::vector<Ev>{{S, later, 0, 0}}));
}

TEST_F(VoiceFixture, ShutdownWithQueuedStreamsEndsCleanly) {
    Make(SimulatedPace::Manual);
    for (int i = 0; i < 20; ++i) V->Speak(u"queued text", kSpeakAsync, nullptr);
    std::thread waiter([&] { EXPECT_EQ(V->WaitUntilDone(kVoiceInfinite), kVoiceOk); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Sim->Shutdown();
    waiter.join();
    EXPECT_EQ(V->Speak(u"x", kSpeakAsync, nullptr), kVoiceErrUninitialized);
    V.reset();  // releasing after a shutdown is fine
    EXPECT_EQ(Sim->SpeakCalls().size(), 21u);
}

TEST_F(VoiceFixture, ConcurrentSpeakersAndReadersKeepStreamsWhole) {
    Make(SimulatedPace::Instant);
    std::atomic<bool> stop{false};
    std::vector<Ev> all;
    std::thread reader([&] {
        while (!stop) {
            for (auto& e : Drain(*V)) all.push_back(e);
            VoiceStatus st;
            V->GetStatus(st);
        }
    });
    std::vector<std::thread> speakers;
    for (int t = 0; t < 3; ++t)
        speakers.emplace_back([&] {
            for (int i = 0; i < 50; ++i) V->Speak(u"ab 你", kSpeakAsync, nullptr);
        });
    for (auto& s : speakers) s.join();
    ASSERT_EQ(V->WaitUntilDone(10000), kVoiceOk);
    stop = true;
    reader.join();
    for (auto& e : Drain(*V)) all.push_back(e);
    ASSERT_EQ(all.size(), 150u * 4);
    for (size_t i = 0; i < all.size(); i += 4) {  // start, two words, end of one stream, streams in order
        std::uint32_t n = static_cast<std::uint32_t>(i / 4 + 1);
        EXPECT_EQ(all[i], (Ev{S, n, 0, 0}));
        EXPECT_EQ(all[i + 1], (Ev{W, n, 0, 2}));
        EXPECT_EQ(all[i + 2], (Ev{W, n, 3, 1}));
        EXPECT_EQ(all[i + 3], (Ev{E, n, 0, 0}));
    }
}

std::vector<unsigned char> ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST_F(VoiceFixture, WaveOutputWritesAWavFileOfTheSpokenWords) {
    Make(SimulatedPace::Instant);
    auto path = std::filesystem::temp_directory_path() / "zh_voice_sim_test.wav";
    std::filesystem::remove(path);
    ASSERT_EQ(V->SetWaveFileOutput(path.u16string().c_str()), kVoiceOk);
    EXPECT_EQ(V->SetWaveFileOutput(path.u16string().c_str()), kVoiceErrFail);  // one file at a time
    V->Speak(u"你好world", kSpeakAsync | kSpeakIsNotXml, nullptr);
    V->WaitUntilDone(5000);
    ASSERT_EQ(V->CloseWaveOutput(), kVoiceOk);
    EXPECT_EQ(V->CloseWaveOutput(), kVoiceFalse);
    auto bytes = ReadFile(path);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(bytes, 24), 16000u);                       // sample rate
    EXPECT_EQ(Le32(bytes, 40), 3u * 3200);                    // three words of 100 ms, 16 bit mono
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(bytes.size(), 44u + 3 * 3200);
    // Speech after closing goes to the voice's own output again.
    V->Speak(u"more", kSpeakAsync, nullptr);
    V->WaitUntilDone(5000);
    EXPECT_EQ(ReadFile(path).size(), 44u + 3 * 3200);
    std::filesystem::remove(path);
}

TEST(SimulatedWaveTest, UnusableFormatOrPathWritesNoFile) {
    SimulatedVoiceSystem system;
    SimulatedVoiceOptions o;
    o.SampleRate = 0;
    system.SetOptions(o);
    std::unique_ptr<Voice> v;
    ASSERT_EQ(system.CreateVoice(v), kVoiceOk);
    auto path = std::filesystem::temp_directory_path() / "zh_voice_sim_bad.wav";
    std::filesystem::remove(path);
    EXPECT_EQ(v->SetWaveFileOutput(path.u16string().c_str()), kVoiceErrUnsupportedFormat);
    EXPECT_FALSE(std::filesystem::exists(path));

    system.SetOptions(SimulatedVoiceOptions());
    ASSERT_EQ(system.CreateVoice(v), kVoiceOk);
    auto missing = std::filesystem::temp_directory_path() / "zh_no_such_folder" / "x.wav";
    EXPECT_LT(v->SetWaveFileOutput(missing.u16string().c_str()), 0);
    EXPECT_EQ(v->SetWaveFileOutput(nullptr), kVoiceErrInvalidArg);
}

}  // namespace
