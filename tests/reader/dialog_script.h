#pragma once
// Drives modal dialogs of the calling thread from a timer: each step runs on a
// tick until it returns true, then the next one; a watchdog cancels whatever
// is still open after the deadline.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/dialog.h"

// The visible dialog windows of this thread, newest (topmost) first.
inline std::vector<HWND> OpenDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM out) {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h))
                reinterpret_cast<std::vector<HWND>*>(out)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

template <class T>
T* OpenDialogOf() {
    for (HWND h : OpenDialogs())
        if (auto* d = dynamic_cast<T*>(reinterpret_cast<Dialog*>(GetWindowLongPtrW(h, DWLP_USER)))) return d;
    return nullptr;
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t b[1024] = {};
    GetWindowTextW(hwnd, b, 1024);
    return b;
}

class DialogScript {
public:
    using Step = std::function<bool()>;
    explicit DialogScript(std::vector<Step> steps, UINT deadlineMs = 8000) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 40, OnTick);
        watchdog_ = SetTimer(nullptr, 0, deadlineMs, OnWatchdog);
    }
    ~DialogScript() {
        KillTimer(nullptr, timer_);
        KillTimer(nullptr, watchdog_);
        current_ = nullptr;
    }
    bool Finished() const { return next_ == steps_.size(); }
    size_t StepsDone() const { return next_; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        DialogScript* s = current_;
        if (!s || s->running_ || s->Finished()) return;
        s->running_ = true;  // a step may run a nested loop
        if (s->steps_[s->next_]()) s->next_++;
        s->running_ = false;
    }
    static void CALLBACK OnWatchdog(HWND, UINT, UINT_PTR, DWORD) {
        for (HWND h : OpenDialogs()) PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
    }
    inline static DialogScript* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    bool running_ = false;
    UINT_PTR timer_ = 0, watchdog_ = 0;
};
