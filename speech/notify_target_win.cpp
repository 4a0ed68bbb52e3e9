#include <windows.h>

#include "speech/notify_target.h"

namespace {

constexpr UINT kSendTimeoutMs = 2000;

class WindowNotifyTarget : public NotifyTarget {
public:
    bool Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        if (window == 0) return false;
        return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != FALSE;
    }
    // From another thread the wait is bounded: the window's thread may itself
    // be waiting for the speech thread (a stop), and neither would go on.
    std::intptr_t Send(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        if (window == 0) return 0;
        const HWND hwnd = reinterpret_cast<HWND>(window);
        if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) return SendMessageW(hwnd, message, wParam, lParam);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
            return -1;
        return static_cast<std::intptr_t>(result);
    }
    bool WindowExists(WindowId window) override {
        return window != 0 && IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
    }
};

}  // namespace

std::unique_ptr<NotifyTarget> CreateWindowNotifyTarget() { return std::make_unique<WindowNotifyTarget>(); }
