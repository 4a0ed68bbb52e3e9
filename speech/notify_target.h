#pragma once
// Where the speech engine sends its window messages. A window is named by a
// WindowId (an HWND's value on Windows, 0 for none). NotifyTarget is the
// narrow interface; CreateWindowNotifyTarget gives PostMessage/SendMessage on
// Windows, QueueNotifyTarget records the messages for portable tests.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "speech/speech_messages.h"

using WindowId = std::uintptr_t;

struct NotifyMessage {
    WindowId Window = 0;
    std::uint32_t Message = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    bool Sent = false;  // Send (synchronous) rather than Post
};

class NotifyTarget {
public:
    virtual ~NotifyTarget() = default;
    // Queues the message for the window's thread; false when it could not be
    // posted (no such window, window 0).
    virtual bool Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Delivers the message and waits for the answer; 0 when there is no window,
    // -1 when the window's thread did not answer in time (a window of another
    // thread is waited for at most a few seconds, so that a thread waiting for
    // the caller cannot hold it up for ever).
    virtual std::intptr_t Send(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual bool WindowExists(WindowId window) = 0;

    // WM_COMMAND with the command id in wParam and lParam 0.
    bool PostCommand(WindowId window, std::uint16_t id) { return Post(window, kWmCommand, id, 0); }
    std::intptr_t SendCommand(WindowId window, std::uint16_t id) { return Send(window, kWmCommand, id, 0); }
};

// Records every message in order (thread-safe). Windows exist unless
// DestroyWindow named them; window 0 never exists. Send calls the send
// handler on the sender's thread and returns its answer (0 without one).
class QueueNotifyTarget : public NotifyTarget {
public:
    using SendHandler = std::function<std::intptr_t(const NotifyMessage&)>;

    bool Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t Send(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool WindowExists(WindowId window) override;

    void SetSendHandler(SendHandler handler);
    void DestroyWindow(WindowId window);

    // Every message so far, posted and sent, in order.
    std::vector<NotifyMessage> Messages() const;
    // Removes and returns the oldest message not yet taken.
    std::optional<NotifyMessage> Take();
    // Waits until a message not yet taken satisfies pred (any message when
    // pred is empty); removes and returns the first such message, the others
    // stay. Empty on time-out.
    std::optional<NotifyMessage> WaitFor(std::function<bool(const NotifyMessage&)> pred,
                                         std::chrono::milliseconds timeout);
    void Clear();

private:
    mutable std::mutex Lock;  // guards everything below
    std::condition_variable Arrived;
    std::vector<NotifyMessage> All;
    std::deque<NotifyMessage> Untaken;
    std::vector<WindowId> Destroyed;
    SendHandler Handler;
};

// PostMessage/SendMessage to HWNDs (notify_target_win.cpp, Windows only).
std::unique_ptr<NotifyTarget> CreateWindowNotifyTarget();
