#include <windows.h>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "tests/support/pump_messages.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr UINT kPing = WM_APP + 1;

// A message-only window that counts the kPing messages dispatched to it.
class PingWindow {
public:
    PingWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZhPumpTestWindow";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PingWindow() { DestroyWindow(hwnd_); }
    PingWindow(const PingWindow&) = delete;
    PingWindow& operator=(const PingWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    int Pings() const { return pings_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kPing) {
            if (auto* self = reinterpret_cast<PingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) ++self->pings_;
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
    int pings_ = 0;
};

TEST(PumpMessagesUntil, DispatchesAMessagePostedFromAnotherThreadWhileItWaits) {
    PingWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    std::thread poster([hwnd = window.Handle()] {
        std::this_thread::sleep_for(100ms);
        PostMessageW(hwnd, kPing, 0, 0);
    });
    const Clock::time_point start = Clock::now();
    const bool done = PumpMessagesUntil([&] { return window.Pings() == 1; }, 10s);
    const auto waited = Clock::now() - start;
    poster.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(window.Pings(), 1);
    EXPECT_LT(waited, 5s);  // woken by the message, not by the deadline
}

TEST(PumpMessagesUntil, WakesForAThreadMessage) {
    const DWORD thread = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before the post
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(100ms);
        posted = true;
        PostThreadMessageW(thread, kPing, 0, 0);
    });
    const Clock::time_point start = Clock::now();
    const bool done = PumpMessagesUntil([&] { return posted.load(); }, 10s);
    const auto waited = Clock::now() - start;
    poster.join();
    EXPECT_TRUE(done);
    EXPECT_LT(waited, 5s);                                                 // the wait ended with the message
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, kPing, kPing, PM_NOREMOVE));  // taken off the queue
}

TEST(PumpMessagesUntil, ReturnsFalseAtTheDeadline) {
    PingWindow window;
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(PumpMessagesUntil([] { return false; }, 200ms));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 5s);
}

TEST(PumpMessagesUntil, KeepsDispatchingUntilTheConditionHolds) {
    PingWindow window;
    for (int i = 0; i < 3; ++i) PostMessageW(window.Handle(), kPing, 0, 0);
    EXPECT_TRUE(PumpMessagesUntil([&] { return window.Pings() == 3; }, 5s));
    EXPECT_EQ(window.Pings(), 3);
    EXPECT_FALSE(PumpMessagesUntil([&] { return window.Pings() > 3; }, 50ms));
}

TEST(PumpMessagesUntil, StopsAtQuitAndLeavesItQueued) {
    PostQuitMessage(7);
    EXPECT_FALSE(PumpMessagesUntil([] { return false; }, 5s));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
