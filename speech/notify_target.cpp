#include "speech/notify_target.h"

#include <algorithm>

bool QueueNotifyTarget::Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> hold(Lock);
    if (window == 0 || std::find(Destroyed.begin(), Destroyed.end(), window) != Destroyed.end()) return false;
    NotifyMessage m{window, message, wParam, lParam, false};
    All.push_back(m);
    Untaken.push_back(m);
    Arrived.notify_all();
    return true;
}

std::intptr_t QueueNotifyTarget::Send(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    NotifyMessage m{window, message, wParam, lParam, true};
    SendHandler handler;
    {
        std::lock_guard<std::mutex> hold(Lock);
        if (window == 0 || std::find(Destroyed.begin(), Destroyed.end(), window) != Destroyed.end()) return 0;
        All.push_back(m);
        Untaken.push_back(m);
        handler = Handler;
        Arrived.notify_all();
    }
    return handler ? handler(m) : 0;  // outside the lock: the handler may post
}

bool QueueNotifyTarget::WindowExists(WindowId window) {
    std::lock_guard<std::mutex> hold(Lock);
    return window != 0 && std::find(Destroyed.begin(), Destroyed.end(), window) == Destroyed.end();
}

void QueueNotifyTarget::SetSendHandler(SendHandler handler) {
    std::lock_guard<std::mutex> hold(Lock);
    Handler = std::move(handler);
}

void QueueNotifyTarget::DestroyWindow(WindowId window) {
    std::lock_guard<std::mutex> hold(Lock);
    Destroyed.push_back(window);
}

std::vector<NotifyMessage> QueueNotifyTarget::Messages() const {
    std::lock_guard<std::mutex> hold(Lock);
    return All;
}

std::optional<NotifyMessage> QueueNotifyTarget::Take() {
    std::lock_guard<std::mutex> hold(Lock);
    if (Untaken.empty()) return std::nullopt;
    NotifyMessage m = Untaken.front();
    Untaken.pop_front();
    return m;
}

std::optional<NotifyMessage> QueueNotifyTarget::WaitFor(std::function<bool(const NotifyMessage&)> pred,
                                                        std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> hold(Lock);
    std::optional<NotifyMessage> found;
    Arrived.wait_for(hold, timeout, [&] {
        auto it = std::find_if(Untaken.begin(), Untaken.end(),
                               [&](const NotifyMessage& m) { return !pred || pred(m); });
        if (it == Untaken.end()) return false;
        found = *it;
        Untaken.erase(it);
        return true;
    });
    return found;
}

void QueueNotifyTarget::Clear() {
    std::lock_guard<std::mutex> hold(Lock);
    All.clear();
    Untaken.clear();
}
