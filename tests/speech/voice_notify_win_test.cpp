// The window notify target: PostMessage and SendMessage to a real window.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>
#include <vector>

#include "speech/notify_target.h"

namespace {

std::vector<NotifyMessage> Received;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kWmCommand || msg >= WM_SPEECH_EVENT) {
        Received.push_back({reinterpret_cast<WindowId>(hwnd), msg, wParam, lParam, InSendMessage() != FALSE});
        return msg == WM_SPEECH_WORDSTART ? static_cast<LRESULT>(wParam) - 4 : 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(WindowNotifyTargetTest, PostsAndSendsToAWindow) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZhNotifyTestWindow";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(hwnd);
    const WindowId id = reinterpret_cast<WindowId>(hwnd);
    auto target = CreateWindowNotifyTarget();
    Received.clear();

    EXPECT_TRUE(target->WindowExists(id));
    EXPECT_FALSE(target->WindowExists(0));
    EXPECT_TRUE(target->Post(id, WM_SPEECH_WORD, 2, 7));
    EXPECT_TRUE(target->PostCommand(id, ID_SPEECH_DONE));
    EXPECT_FALSE(target->Post(0, WM_SPEECH_WORD, 0, 0));
    EXPECT_TRUE(Received.empty());  // posted: not yet delivered
    MSG msg;
    while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    ASSERT_EQ(Received.size(), 2u);
    EXPECT_EQ(Received[0].Message, WM_SPEECH_WORD);
    EXPECT_EQ(Received[0].WParam, 2u);
    EXPECT_EQ(Received[0].LParam, 7);
    EXPECT_EQ(Received[1].Message, kWmCommand);
    EXPECT_EQ(Received[1].WParam, ID_SPEECH_DONE);

    // Sent from another thread, as the speech thread does: answered by the window's thread.
    std::intptr_t answer = 0;
    std::thread sender([&] { answer = target->Send(id, WM_SPEECH_WORDSTART, 20, 0); });
    DWORD start = GetTickCount();
    while (Received.size() < 3 && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    sender.join();
    ASSERT_EQ(Received.size(), 3u);
    EXPECT_TRUE(Received[2].Sent);
    EXPECT_EQ(answer, 16);

    DestroyWindow(hwnd);
    EXPECT_FALSE(target->WindowExists(id));
    EXPECT_FALSE(target->Post(id, WM_SPEECH_WORD, 0, 0));
    EXPECT_EQ(target->Send(0, WM_SPEECH_WORDSTART, 20, 0), 0);
}

}  // namespace
