// Random command sequences from two threads against the simulated voice:
// every call returns in bounded time and the last text still reports its end.
#include <gtest/gtest.h>

#include <random>

#include "engine_test_util.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(EngineStressTest, TwoThreadsOfRandomCommands) {
    for (int sync = 0; sync < 2; ++sync) {
        EngineHarness h;
        h.Settings.SoundPaySyncWord_Dialog = sync;
        h.StartPumpThread();
        ASSERT_TRUE(h.Start());
        h.Voice()->SetPace(SimulatedPace::Timed, 1);
        std::atomic<long long> slowest{0};

        auto worker = [&](unsigned seed, WindowId window) {
            std::mt19937 rng(seed);
            const std::u16string texts[] = {u"你好world", u"我买了USB线,他说好", u"", u"3个苹果 I have 3 apples",
                                            std::u16string(300, u'中') + u"abc Def"};
            for (int i = 0; i < 150; ++i) {
                const auto t0 = Clock::now();
                switch (rng() % 12) {
                case 0: case 1: case 2: h.Engine->SpeakText(Wide(texts[rng() % 5]), window); break;
                case 3: h.Engine->Signal(SC_PAUSE); break;
                case 4: h.Engine->Signal(SC_GO); break;
                case 5: h.Engine->SetSyncResume(rng() % 2); h.Engine->Signal(SC_REQUEUE); break;
                case 6: h.Engine->SetRate(static_cast<int>(rng() % 21) - 10); break;
                case 7: h.Engine->SetVolume(static_cast<int>(rng() % 150) - 20); break;
                case 8: h.Engine->StopAndWait(); break;
                case 9: h.Engine->StopAndWaitUrgent(); break;
                case 10: h.Engine->Signal(SC_STOP); break;
                case 11:
                    if (rng() % 4 == 0) {
                        h.Engine->ShutdownEngine();
                        h.Engine->StartEngine();
                    }
                    break;
                }
                const long long ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
                long long prev = slowest;
                while (ms > prev && !slowest.compare_exchange_weak(prev, ms)) {}
                std::this_thread::sleep_for(std::chrono::microseconds(rng() % 2000));
            }
        };
        std::thread a(worker, 11 + sync, kReaderWnd), b(worker, 29 + sync, kOtherWnd);
        a.join();
        b.join();
        EXPECT_LT(slowest.load(), 10000) << "a call blocked";

        // The engine still speaks a text to its end.
        ASSERT_TRUE(WaitUntil([&] { return h.Engine->CommandLoopRunning(); }));
        h.Engine->StopAndWait();
        h.Engine->Signal(SC_GO);  // undo a pause left by the workers
        const int before = h.DoneCount(kMainWnd + 1);
        h.Engine->SpeakText(Wide(u"最后world"), kMainWnd + 1);
        EXPECT_TRUE(h.WaitDone(kMainWnd + 1, before + 1, 20000))
            << "sync " << sync << " state " << h.Engine->GetState() << " pieces " << h.Engine->Pieces().size()
            << " voice paused " << h.Voice()->IsPaused() << " pending events " << h.Voice()->PendingEvents()
            << " speaking " << h.Engine->IsSpeaking() << " last spoken " << U8(h.Spoken().back().Text)
            << " loop " << h.Engine->CommandLoopRunning();
    }
}

}  // namespace
