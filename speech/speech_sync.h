#pragma once
// Win32-style events for the speech thread's command protocol, on the
// standard library.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class SpeechEvent {
public:
    // manualReset: stays set until Reset; otherwise one Wait takes it.
    SpeechEvent(bool manualReset, bool initiallySet) : manual_(manualReset), set_(initiallySet) {}
    SpeechEvent(const SpeechEvent&) = delete;
    SpeechEvent& operator=(const SpeechEvent&) = delete;

    void Set() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            set_ = true;
        }
        if (manual_) changed_.notify_all(); else changed_.notify_one();
    }
    void Reset() {
        std::lock_guard<std::mutex> hold(lock_);
        set_ = false;
    }
    bool IsSet() const {
        std::lock_guard<std::mutex> hold(lock_);
        return set_;
    }
    // True when the event was set within timeoutMs (negative: no limit).
    bool Wait(long long timeoutMs) {
        std::unique_lock<std::mutex> hold(lock_);
        if (timeoutMs < 0) {
            changed_.wait(hold, [this] { return set_; });
        } else if (!changed_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return set_; })) {
            return false;
        }
        if (!manual_) set_ = false;
        return true;
    }

private:
    const bool manual_;
    bool set_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
};

// The calling thread's priority raised to the highest normal level; the
// previous level is returned for RestoreThreadPriority (thread_priority_*.cpp).
int RaiseThreadPriority();
void RestoreThreadPriority(int previous);
