#include <windows.h>

#include "tests/support/pump_messages.h"

bool PumpMessagesUntil(std::function<bool()> done, std::chrono::milliseconds deadline) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + deadline;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (done()) return true;
        }
        if (done()) return true;
        const Clock::time_point now = Clock::now();
        if (now >= end) return false;
        // Rounded up, so that the last wait does not end just short of the deadline.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}
