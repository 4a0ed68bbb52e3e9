#include "app/requests.h"

#include "app/capture.h"
#include "app/speech_attach.h"
#include "app/toolbar.h"
#include "reader/zi_info_dlg.h"
#include "res/resource_ids.h"
#include "speech/aux_voice.h"
#include "speech/speech_engine.h"
#include "text/astring.h"

int ToolbarSpeaking = 0;
int ToolbarPaused = 0;
AString PendingText;
int PendingFlag = 0;
int ReRunPending = 0;
int ReadersClosed = 0;
CZiInfoDlg* CurrentReader = nullptr;

void WaitPumping(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

namespace {

SpeechEngine& Engine() { return TheSpeechEngine(); }

// The focus and active windows of the foreground window's thread, without
// attaching to it when the system reports them.
HWND FindTargets(HWND fg) {
    TargetWindow = fg;
    TargetFocus = TargetActive = nullptr;
    const DWORD thread = GetWindowThreadProcessId(fg, nullptr), self = GetCurrentThreadId();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info)) {
        TargetFocus = info.hwndFocus;
        TargetActive = info.hwndActive;
    }
    if (!TargetFocus && thread != self && AttachThreadInput(self, thread, TRUE)) {
        TargetFocus = GetFocus();
        TargetActive = GetActiveWindow();
        AttachThreadInput(self, thread, FALSE);
    }
    return TargetFocus;
}

}  // namespace

void SpeakRequest() {
    Engine().SetNotifyWnd(reinterpret_cast<WindowId>(ToolbarWindow));
    DispatchRequest(RequestKind::Speech, false, 0);
    RepaintToolbar(false);
}

void StopRequest() {
    ReleaseAuxVoice();  // silences a test phrase still sounding
    Engine().Signal(SC_STOP);
    ToolbarPaused = 0;
    ToolbarSpeaking = 0;
    Engine().SetNotifyWnd(0);
    RepaintToolbar(false);
}

void PauseRequest() {
    if (!ToolbarPaused) Engine().Signal(SC_PAUSE);
    ToolbarPaused = 1;
    ToolbarSpeaking = 0;
    RepaintToolbar(false);
}

void ReaderRequest(LPARAM lParam) {
    const bool retry = lParam > 900;
    const int attempt = static_cast<int>(retry ? lParam - kRetryBase : lParam);
    if (!retry) {
        Engine().Signal(SC_STOP);
        if (Engine().IsSpeaking()) {
            ShowStatus(AString("Closing old speech..."));
            WaitPumping(1000);
            ShowStatus(AString());
        }
    }
    if (attempt != 0) WaitPumping(kRetryWaitMs);
    if (retry && TargetWindow) {
        SetForegroundWindow(TargetWindow);
        if (TargetFocus) RestoreFocus(TargetFocus);
    }
    DispatchRequest(RequestKind::Reader, retry, attempt);
    RepaintToolbar(false);
}

int DispatchRequest(RequestKind kind, bool retry, int attempt) {
    SpeechEngine& engine = Engine();
    if (kind == RequestKind::Speech) {
        engine.StartEngine();
        if (ToolbarSpeaking) return 0;
        if (ToolbarPaused) {
            engine.Signal(SC_GO);
            ToolbarSpeaking = 1;
            ToolbarPaused = 0;
            return 1;
        }
    }
    if (attempt != 0 && TargetWindow) {
        SetForegroundWindow(TargetWindow);
        WaitPumping(100);
    }
    const HANDLE thread = GetCurrentThread();
    const int priority = GetThreadPriority(thread);
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    const HWND fg = GetForegroundWindow();
    AString text;
    int result = 0;
    HWND ownFocus = nullptr;
    if (attempt == 0 && PendingFlag) {
        PendingFlag = 0;
        text = PendingText;
        WaitPumping(10);
        result = 1;
    } else {
        if (fg && fg != ToolbarWindow) ownFocus = FindTargets(fg);
        ShowStatus(AString("Please wait..."));
        result = CaptureSelection(TargetFocus, fg, text);
        ShowStatus(AString());
    }
    SetThreadPriority(thread, priority);
    text.TrimLeft();
    text.TrimRight();
    const bool got = result && !text.IsEmpty();
    if (!retry && !ReaderStack.empty()) {
        // A newer request: the open readers close, the outer request finishes it.
        engine.Signal(SC_STOP);
        if (got && kind == RequestKind::Reader) {
            PendingText = text;
            PendingFlag = 1;
            ReRunPending = 1;
        }
        ReadersClosed = 1;
        for (size_t n = ReaderStack.size(); n > 0 && !ReaderStack.empty(); --n) {
            const HWND reader = ReaderStack.back();
            ReaderStack.pop_back();
            SetWindowPos(reader, HWND_BOTTOM, 5700, 5000, 0, 0, SWP_NOSIZE | SWP_HIDEWINDOW | SWP_NOACTIVATE);
            EnableWindow(reader, FALSE);
            PostMessageW(reader, WM_COMMAND, IDOK, 0);
        }
        return 1;
    }
    if (got && kind == RequestKind::Speech) {
        // The speech thread's attach request times out while start-up loads the
        // lexicon; attaching again costs nothing.
        AttachVoiceEventsTo(ToolbarWindow);
        engine.SpeakNewText(text);
        ToolbarPaused = 0;
        // A voice system without a working voice ends the speech thread: nothing speaks.
        ToolbarSpeaking = engine.ThreadRunning() ? 1 : 0;
        return 1;
    }
    if (!got) {
        if (attempt < kCaptureRetries) {
            PostMessageA(ToolbarWindow, WM_COMMAND, kCmdReader, kRetryBase + attempt + 1);
            return 0;
        }
        {
            CZiInfoDlg reader(IDD_READER_LARGE, nullptr);
            CurrentReader = &reader;
            reader.DoModal();
            CurrentReader = nullptr;
        }
        // The user's window gets the keyboard back, as after a reader with text.
        if (!ReadersClosed && fg && fg != ToolbarWindow) {
            if (ownFocus) RestoreFocus(ownFocus);
            SetForegroundWindow(fg);
        }
        ReadersClosed = 0;
        return 1;
    }
    if (text.GetLength() > 1000) ShowStatus(AString("Please wait..."));
    {
        CZiInfoDlg reader(text.GetLength() <= kCompactReaderBytes ? IDD_READER_SMALL : IDD_READER_LARGE,
                          nullptr);
        reader.Text = text;
        reader.Text.ToNarrow(kCodePageGbk);
        if (reader.Text.IsEmpty()) return 1;
        CurrentReader = &reader;
        reader.DoModal();
        CurrentReader = nullptr;
    }
    if (ReRunPending) {
        ReRunPending = 0;
        if (TargetFocus) RestoreFocus(TargetFocus);
        if (TargetWindow) SetForegroundWindow(TargetWindow);
        PostMessageA(ToolbarWindow, WM_COMMAND, kCmdReader, kRetryBase);
    } else if (!ReadersClosed) {
        if (ownFocus) RestoreFocus(ownFocus);
        if (fg) SetForegroundWindow(fg);
    } else if (TargetWindow) {
        SetForegroundWindow(TargetWindow);
        PostMessageA(ToolbarWindow, WM_COMMAND, kCmdReader, kRetryBase + 1);
    }
    ReadersClosed = 0;
    return 1;
}
