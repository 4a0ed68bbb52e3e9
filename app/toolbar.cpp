#include "app/toolbar.h"

#include <shellapi.h>

#include <cstdlib>
#include <map>

#include "app/capture.h"
#include "app/quick_guide.h"
#include "app/environment.h"
#include "app/requests.h"
#include "app/save_speech.h"
#include "app/settings.h"
#include "res/resource_ids.h"
#include "app/speech_attach.h"
#include "speech/speech_engine.h"
#include "ui/gdi.h"
#include "ui/window.h"
#include "ui/glyph_text.h"
#include "ui/ui_strings.h"

ToolbarStateRecord ToolbarState;
HWND ToolbarWindow = nullptr, TipWindow = nullptr, StatusWindow = nullptr;
CMainFrame* MainFrame = nullptr;

namespace {

constexpr int kButtonLeft = 9, kButtonEnd = 46;  // hit zones, fixed whatever the bitmap's size
constexpr int kRowHeight = 16;
constexpr int kMoveArmed = 1, kMoveMoving = 2;  // second extra value of the toolbar window
constexpr int kMoveFlagsOffset = 4;
constexpr COLORREF kHatchColour = RGB(210, 212, 192);
constexpr COLORREF kTipTextColour = RGB(154, 0, 155);
constexpr COLORREF kStatusTextColour = RGB(0, 0, 255);
constexpr COLORREF kStatusFirstColour = RGB(122, 125, 235);
constexpr const char* kTipButtonText = "Right Button:VirAz, Left Button:Speech, Right Click:Menu";

Gdi<HBRUSH> HatchBrush;
Gdi<HBITMAP> ToolbarBitmap;
HICON TrayIcon = nullptr;
ToolbarCommandHook CommandHook = nullptr;
std::map<int, ToolbarDialogRunner> DialogRunners;

int Language() { return AppSettings.UILanguage.load(); }

std::wstring Widen(const AString& text, int codePage) {
    const int n = MultiByteToWideChar(codePage, 0, text.GetString(), text.GetLength(), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.GetString(), text.GetLength(), wide.data(), n);
    return wide;
}
// The code page of the tip's and the status line's texts.
int TextCodePage() { return Language() == 1 || Language() == 2 ? 936 : -1; }

void SetMoveFlags(int flags) { SetWindowLongA(ToolbarWindow, kMoveFlagsOffset, flags); }
int MoveFlags() { return GetWindowLongA(ToolbarWindow, kMoveFlagsOffset); }

void PaintNow(int flags, int half) {
    WindowDc dc(ToolbarWindow);
    if (dc) PaintToolbar(dc, flags, half);
}

POINT Cursor() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

void TakeDragStart(POINT pointer) {
    GetWindowRect(ToolbarWindow, &ToolbarState.DragRect);
    ToolbarState.DragOffset = {pointer.x - ToolbarState.DragRect.left, pointer.y - ToolbarState.DragRect.top};
    ToolbarState.DragWidth = ToolbarState.DragRect.right - ToolbarState.DragRect.left;
    ToolbarState.DragHeight = ToolbarState.DragRect.bottom - ToolbarState.DragRect.top;
}

void MoveWindowWithPointer(POINT pointer) {
    ToolbarStateRecord& s = ToolbarState;
    const int flags = MoveFlags();
    if (flags & kMoveMoving) {
        s.DragRect.left = pointer.x - s.DragOffset.x;
        s.DragRect.top = pointer.y - s.DragOffset.y;
        s.DragRect.right = s.DragRect.left + s.DragWidth;
        s.DragRect.bottom = s.DragRect.top + s.DragHeight;
    } else if (flags & kMoveArmed) {
        SetMoveFlags(flags | kMoveMoving);
    } else {
        return;
    }
    SetWindowPos(ToolbarWindow, nullptr, s.DragRect.left, s.DragRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Press, moves, release ----

LRESULT OnSetCursor(LPARAM lParam) {
    ToolbarStateRecord& s = ToolbarState;
    const POINT pointer = Cursor();
    if (HIWORD(lParam) == WM_LBUTTONDOWN) {
        s.HoverElapsed = kTipLifeMs;
        s.TipState = 1;
        SetCapture(ToolbarWindow);
        TakeDragStart(pointer);
        SetMoveFlags(kMoveArmed);
        s.PressedPart = HitTest(ToolbarWindow, pointer, &s.CurrentHalf);
        if (s.PressedPart == kPartGripper) s.DragState = 2;
        s.CurrentPart = s.PressedPart | kPartPressed;
        PaintNow(s.CurrentPart, s.CurrentHalf);
        s.ButtonDown = 1;
        return 0;
    }
    s.CurrentPart = HitTest(ToolbarWindow, pointer);
    SetCursor(SystemCursor(s.CurrentPart == kPartGripper ? IDC_SIZEALL : IDC_ARROW));
    return 1;
}

void OnMouseMove() {
    ToolbarStateRecord& s = ToolbarState;
    const POINT pointer = Cursor();
    if (s.DragState == 2) {  // a gripper drag moves the window and nothing else
        MoveWindowWithPointer(pointer);
        return;
    }
    if (s.ButtonDown) {
        s.CurrentPart = HitTest(ToolbarWindow, pointer, &s.CurrentHalf);
        if (s.CurrentPart != s.PressedPart) {
            if (s.DragState == 0) {
                PaintNow(s.PressedPart, s.CurrentHalf);
                TakeDragStart(pointer);
                SetMoveFlags(kMoveArmed);
            }
            s.DragState = 1;
            MoveWindowWithPointer(pointer);
        } else if (s.DragState != 0) {
            PaintNow(s.PressedPart | kPartPressed, s.CurrentHalf);
            SetMoveFlags(kMoveArmed);
            s.DragState = 0;
            MoveWindowWithPointer(pointer);
        }
        return;
    }
    int half = 0;
    const int part = HitTest(ToolbarWindow, pointer, &half);
    s.CurrentPart = part;
    s.CurrentHalf = half;
    if (part == s.HoverPart) return;
    if (s.HoverPart == 0) {
        SetTimer(ToolbarWindow, kHoverTimer, kHoverTimerMs, nullptr);
        s.HoverElapsed = 0;
        s.TipState = 0;
    }
    if (part != 0 && s.TipState != 0) {
        s.HoverElapsed = kTipDelayMs;
        s.TipState = 0;
    }
    s.HoverPart = part;
}

void OnLButtonUp() {
    ToolbarStateRecord& s = ToolbarState;
    ReleaseCapture();
    const DWORD now = GetTickCount();
    const DWORD elapsed = now >= s.MenuClosedTick ? now - s.MenuClosedTick : s.MenuClosedTick - now;
    if (!s.ButtonDown) return;
    s.ButtonDown = 0;
    if (s.DragState != 0) {
        SetCursor(SystemCursor(IDC_ARROW));
    } else if (elapsed >= kMenuClickGuardMs && (s.CurrentPart & ~kPartPressed) == kPartButton) {
        WPARAM command;
        if (ToolbarSpeaking)
            command = s.CurrentHalf == 0 ? ID_SPEECH_PAUSE : ID_SPEECH_DONE;
        else
            command = s.CurrentHalf == 0 ? ID_SPEECH_SPEAK : kCmdReader;
        PostMessageA(ToolbarWindow, WM_COMMAND, command, 0);
    }
    s.PressedPart &= ~kPartPressed;
    PaintNow(s.PressedPart, s.CurrentHalf);
    SetMoveFlags(0);
    s.DragState = 0;
}

// ---- Tip and timers ----

void PlaceTip(POINT pointer) {
    ToolbarStateRecord& s = ToolbarState;
    SIZE size{};
    {
        WindowDc dc(TipWindow);
        const std::wstring text = Widen(s.TipText, TextCodePage() < 0 ? UiFileCodePage(Language()) : 936);
        size = MeasureGlyphText(dc, std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
    }
    const int w = size.cx + 10, h = size.cy + 6;
    const RECT work = ScreenRect(false);
    RECT bar{};
    GetWindowRect(ToolbarWindow, &bar);
    int x, y;
    if (bar.bottom + h < work.bottom) {
        y = bar.bottom;
        x = pointer.x + 12;
    } else {
        y = bar.top - h;
        x = pointer.x;
    }
    if (x + w > work.right) x = work.right - w;
    SetWindowPos(TipWindow, HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(TipWindow, nullptr, TRUE);
    UpdateWindow(TipWindow);
}

void OnHoverTimer() {
    ToolbarStateRecord& s = ToolbarState;
    s.HoverElapsed += kHoverTimerMs;
    const POINT pointer = Cursor();
    int half = 0;
    const int part = HitTest(ToolbarWindow, pointer, &half);
    if (part == 0) {
        KillTimer(ToolbarWindow, kHoverTimer);
        s.HoverElapsed = 0;
        s.TipState = -1;
        s.HoverPart = 0;
        ShowWindow(TipWindow, SW_HIDE);
    } else if (s.TipState == 0 && s.HoverElapsed > kTipDelayMs) {
        SetTimer(ToolbarWindow, kHoverTimer, kHoverTimerMs, nullptr);
        s.TipState = 1;
        s.HoverElapsed = 0;
        s.TipText = part == kPartButton ? TranslateUiText(AString(kTipButtonText)) : AString();
        if (!s.TipText.IsEmpty()) PlaceTip(pointer);
    } else if (s.TipState == 1 && s.HoverElapsed > kTipLifeMs) {
        ShowWindow(TipWindow, SW_HIDE);
        s.HoverElapsed = 0;
        s.TipState = 2;
    }
}

void OnSecondTimer() {
    ToolbarStateRecord& s = ToolbarState;
    if (++s.SecondCounter > 9) {
        s.SecondCounter = 0;
        ShowWindow(StatusWindow, SW_HIDE);
        InvalidateRect(ToolbarWindow, nullptr, TRUE);
    }
    KeepToolbarOnTop();
}

// ---- Notification-area icon ----

LRESULT OnTrayMessage(LPARAM lParam) {
    ToolbarStateRecord& s = ToolbarState;
    switch (static_cast<UINT>(lParam)) {
        case WM_MOUSEMOVE:
            if (IsWindowVisible(ToolbarWindow)) KeepToolbarOnTop();
            return 0;
        case WM_LBUTTONDOWN: {
            const DWORD now = GetTickCount(), t1 = s.TrayClickTicks[0], t2 = s.TrayClickTicks[1];
            if (now - t2 > 500 || t2 - t1 <= 500) {
                if (IsWindowVisible(ToolbarWindow))
                    HideToolbar();
                else
                    ShowToolbar();
            }
            s.TrayClickTicks[0] = t2;
            s.TrayClickTicks[1] = now;
            return 0;
        }
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
            ShowPopupMenu(IsWindowVisible(ToolbarWindow) ? IDM_POPUP_TRAY_SHOWN : IDM_POPUP_TRAY_HIDDEN);
            return 1;
    }
    return 0;
}

// ---- Commands ----

void OnCommand(WPARAM id, LPARAM lParam) {
    if (CommandHook) CommandHook(id, lParam);
    switch (id) {
        case kCmdToolbarMenu: ShowPopupMenu(IDM_POPUP_OPTIONS); break;
        case IDM_QUICK_GUIDE: ShowQuickGuide(); break;
        case IDM_ABOUT: RunToolbarDialog(IDM_ABOUT); break;
        case IDM_SYSTEM_PREFERENCES: RunToolbarDialog(IDD_SYSTEM_OPTIONS); break;
        case IDM_SPEECH_OPTIONS: RunToolbarDialog(IDD_SPEECH_OPTIONS); break;
        case IDM_LOOP:
            AppSettings.SoundPlayLoop = !AppSettings.SoundPlayLoop;
            UpdateLoopCheck();
            break;
        case IDM_SHOW_TOOLBAR: ShowToolbar(); break;
        case IDM_HIDE_TOOLBAR: HideToolbar(); break;
        case IDM_SHUTDOWN: PostMessageA(ToolbarWindow, WM_QUIT, 0, 0); break;
        case ID_SPEECH_ATTACH:
            // Sent by the speech thread, which waits for the answer; the voice
            // may need that thread, so the attach waits until it has returned.
            PostMessageA(ToolbarWindow, kAttachVoiceMessage, 0, 0);
            break;
        case ID_SPEECH_SPEAK: SpeakRequest(); break;
        case kCmdReader: ReaderRequest(lParam); break;
        case ID_SPEECH_DONE: StopRequest(); break;
        case ID_SPEECH_PAUSE: PauseRequest(); break;
        case IDM_SAVE_SPEECH: SaveSpeechFile(); break;
        default: break;
    }
}

// ---- Window procedures ----

LRESULT CALLBACK ToolbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            ToolbarWindow = hwnd;
            SetTimer(hwnd, kSecondTimer, kSecondTimerMs, nullptr);
            return 0;
        case WM_DESTROY:
            ToolbarBitmap.Reset();
            KillTimer(hwnd, kSecondTimer);
            KillTimer(hwnd, kHoverTimer);
            return 0;
        case WM_NCDESTROY:
            if (ToolbarWindow == hwnd) ToolbarWindow = nullptr;
            break;
        case WM_MOVE:
            if (StatusWindow) {
                RECT r{};
                GetWindowRect(hwnd, &r);
                SetWindowPos(StatusWindow, HWND_TOPMOST, r.left, r.bottom, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
            }
            return 0;
        case WM_PAINT: {
            PaintDc dc(hwnd);
            const ToolbarStateRecord& s = ToolbarState;
            PaintToolbar(dc, 0, s.CurrentHalf);
            // A repaint during a press keeps the pressed part pressed.
            if (s.ButtonDown && s.DragState == 0 && s.PressedPart)
                PaintToolbar(dc, s.PressedPart | kPartPressed, s.CurrentHalf);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_SETCURSOR: return OnSetCursor(lParam);
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_MOUSEMOVE: OnMouseMove(); return 0;
        case WM_LBUTTONUP: OnLButtonUp(); return 0;
        case WM_RBUTTONUP: PostMessageA(hwnd, WM_COMMAND, kCmdToolbarMenu, 0); return 0;
        case WM_MEASUREITEM: {
            auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (MainFrame && m->CtlType == ODT_MENU && m->CtlID == 0) MainFrame->Menus().OnMeasureItem(hwnd, *m);
            return 0;
        }
        case WM_DRAWITEM: {
            auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (MainFrame && d->CtlType == ODT_MENU && d->CtlID == 0) MainFrame->Menus().OnDrawItem(*d);
            return 0;
        }
        case WM_TIMER:
            if (ToolbarState.ModalBusy) return 0;
            if (wParam == kHoverTimer) OnHoverTimer();
            if (wParam == kSecondTimer) OnSecondTimer();
            return 0;
        case WM_COMMAND: OnCommand(wParam, lParam); return 0;
        case kTrayMessage: return OnTrayMessage(lParam);
        case WM_SPEECH_EVENT: TheSpeechEngine().EventPump(); return 0;
        case kAttachVoiceMessage: AttachVoiceEventsTo(hwnd); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintDc dc(hwnd);
        const std::wstring text =
            Widen(ToolbarState.TipText, TextCodePage() < 0 ? UiFileCodePage(Language()) : 936);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kTipTextColour);
        DrawGlyphText(dc, 3, 2, std::wstring_view(text));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintDc dc(hwnd);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, kStatusTextColour);
            DrawGlyphText(dc, 3, 2, std::wstring_view(ToolbarState.StatusText));
            return 0;
        }
        case WM_SETCURSOR:
            if (HIWORD(lParam) == WM_LBUTTONDOWN) ShowWindow(hwnd, SW_HIDE);
            return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_NCDESTROY:
            if (StatusWindow == hwnd) StatusWindow = nullptr;
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool Register(HINSTANCE instance, const char* name, WNDPROC proc, int extra, HBRUSH background) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extra;
    wc.hInstance = instance;
    wc.hCursor = SystemCursor(IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

HWND CreateCompanion(HINSTANCE instance, const char* className) {
    return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, "",
                           WS_POPUP | WS_BORDER | WS_DISABLED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

NOTIFYICONDATAW TrayData() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = ToolbarWindow;
    data.uID = 1;
    return data;
}

}  // namespace

// ---- Frame object ----

bool CMainFrame::Attach(HWND toolbar) {
    hwnd_ = toolbar;
    MainFrame = this;
    if (!menus_.Load()) return false;
    menus_.BuildOwnerDrawMenu(false);
    return true;
}

void CMainFrame::Detach() {
    if (MainFrame == this) MainFrame = nullptr;
    hwnd_ = nullptr;
}

// ---- Classes and windows ----

bool RegisterToolbarClasses(HINSTANCE instance) {
    if (!HatchBrush) HatchBrush.Reset(CreateHatchBrush(HS_FDIAGONAL, kHatchColour));
    return Register(instance, kToolbarClass, ToolbarProc, 12, nullptr) &&
           Register(instance, kTipClass, TipProc, 0, HatchBrush) &&
           Register(instance, kStatusClass, StatusProc, 4, HatchBrush);
}

void UnregisterToolbarClasses(HINSTANCE instance) {
    for (const char* name : {kToolbarClass, kTipClass, kStatusClass}) UnregisterClassA(name, instance);
    HatchBrush.Reset();
}

HWND CreateStatusLine(HINSTANCE instance) { return StatusWindow = CreateCompanion(instance, kStatusClass); }

HWND CreateTipWindow(HINSTANCE instance) { return TipWindow = CreateCompanion(instance, kTipClass); }

HWND CreateToolbarWindow(HINSTANCE instance, int left, int top) {
    ToolbarState = ToolbarStateRecord{};
    ToolbarBitmap.Reset(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_TOOLBAR)));
    BITMAP bm{};
    if (!ToolbarBitmap || !GetObjectA(ToolbarBitmap, sizeof bm, &bm)) {
        bm.bmWidth = 46;
        bm.bmHeight = 64;
    }
    const HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_DLGMODALFRAME,
                                      kToolbarClass, "", WS_POPUP, left, top, bm.bmWidth + 6,
                                      bm.bmHeight / 4 + 6, nullptr, nullptr, instance, nullptr);
    if (!hwnd) ToolbarBitmap.Reset();
    return hwnd;
}

void AddTrayIcon() {
    if (OsInfo().IsNT3 || !ToolbarWindow) return;
    NOTIFYICONDATAW data = TrayData();
    if (!TrayIcon)
        TrayIcon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, 0));
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = TrayIcon;
    wcscpy(data.szTip, L"Zhorvan");
    Shell_NotifyIconW(NIM_ADD, &data);
}

void RemoveTrayIcon() {
    if (OsInfo().IsNT3 || !ToolbarWindow) return;
    NOTIFYICONDATAW data = TrayData();
    Shell_NotifyIconW(NIM_DELETE, &data);
    if (TrayIcon) DestroyIcon(TrayIcon);
    TrayIcon = nullptr;
}

// ---- Hit test and painting ----

int HitTest(HWND window, POINT screen, int* half) {
    POINT p = screen;
    ScreenToClient(window, &p);
    RECT client{};
    GetClientRect(window, &client);
    if (!PtInRect(&client, p)) return kPartNone;
    int part, start, end;
    if (p.x < kButtonLeft) {
        part = kPartGripper, start = 0, end = kButtonLeft;
    } else if (p.x < kButtonEnd) {
        part = kPartButton, start = kButtonLeft, end = kButtonEnd;
    } else {
        return kPartNone;
    }
    if (half) *half = p.x >= end - (end - start) / 2 ? 1 : 0;
    return part;
}

void PaintToolbar(HDC dc, int flags, int half) {
    if (!ToolbarBitmap) return;
    MemoryDc memory(dc);
    Selected picture(memory, ToolbarBitmap);
    const bool pressed = (flags & kPartPressed) != 0;
    if (flags == 0 || (flags & kPartGripper)) BitBlt(dc, 0, 0, kButtonLeft, kRowHeight, memory, 0, 0, SRCCOPY);
    if (flags == 0 || (flags & kPartButton)) {
        const int width = kButtonEnd - kButtonLeft, piece = width / 2;
        if (ToolbarSpeaking) {
            const int leftRow = pressed && half == 0 ? 3 : 2, rightRow = pressed && half == 1 ? 3 : 2;
            BitBlt(dc, kButtonLeft, 0, piece, kRowHeight, memory, kButtonLeft, leftRow * kRowHeight, SRCCOPY);
            BitBlt(dc, kButtonLeft + piece, 0, width - piece, kRowHeight, memory, kButtonLeft + piece,
                   rightRow * kRowHeight, SRCCOPY);
        } else {
            BitBlt(dc, kButtonLeft, 0, width, kRowHeight, memory, kButtonLeft, (pressed ? 1 : 0) * kRowHeight,
                   SRCCOPY);
        }
    }
}

void RepaintToolbar(bool erase) {
    if (ToolbarWindow) InvalidateRect(ToolbarWindow, nullptr, erase);
}

// ---- Operations ----

int ShowToolbar() {
    if (!IsWindowVisible(ToolbarWindow)) {
        ToolbarSpeaking = 0;
        TheSpeechEngine().StartEngine();
        ShowWindow(ToolbarWindow, SW_SHOWNOACTIVATE);
    }
    return 1;
}

int HideToolbar() {
    if (IsWindowVisible(ToolbarWindow)) {
        ToolbarSpeaking = 0;
        TheSpeechEngine().ShutdownEngine();
        ShowWindow(ToolbarWindow, SW_HIDE);
        ShowWindow(TipWindow, SW_HIDE);
    }
    return 1;
}

void RestoreFocus(HWND window) {
    if (!window || !IsWindow(window)) return;
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return;
    const DWORD self = GetCurrentThreadId();
    AttachThreadInput(self, thread, TRUE);
    SetFocus(window);
    AttachThreadInput(self, thread, FALSE);
}

int ShowPopupMenu(int position) {
    ToolbarStateRecord& s = ToolbarState;
    const HMENU popup = MainFrame ? MainFrame->Menus().Popup(position) : nullptr;
    if (!popup || s.ModalBusy) return 0;
    const HWND fg = GetForegroundWindow();
    TheSpeechEngine().SetState(SC_STOP);
    if (fg && fg != ToolbarWindow) {
        TargetWindow = fg;
        TargetFocus = TargetActive = nullptr;
        const DWORD thread = GetWindowThreadProcessId(fg, nullptr), self = GetCurrentThreadId();
        if (thread != self && AttachThreadInput(self, thread, TRUE)) {
            TargetFocus = GetFocus();
            TargetActive = GetActiveWindow();
            AttachThreadInput(self, thread, FALSE);
        }
    }
    const POINT pointer = Cursor();
    SetForegroundWindow(ToolbarWindow);
    if (!OsInfo().IsNT) Sleep(130);
    const int command = static_cast<int>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, pointer.x,
                                                        pointer.y + 13, 0, ToolbarWindow, nullptr));
    s.MenuClosedTick = GetTickCount();
    PostMessageA(ToolbarWindow, WM_NULL, 0, 0);
    ShowWindow(StatusWindow, SW_HIDE);
    if (fg) {
        SetForegroundWindow(fg);
        const HWND front = GetForegroundWindow();
        if (front == ToolbarWindow) {
            MessageBeep(static_cast<UINT>(-1));
        } else if (front == fg && TargetFocus) {
            const DWORD thread = GetWindowThreadProcessId(fg, nullptr), self = GetCurrentThreadId();
            if (thread != self && AttachThreadInput(self, thread, TRUE)) {
                SetFocus(TargetFocus);
                AttachThreadInput(self, thread, FALSE);
            }
        }
    }
    if (command) PostMessageA(ToolbarWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return 1;
}

int RunToolbarDialog(int id) {
    ToolbarStateRecord& s = ToolbarState;
    if (s.ModalBusy) return 0;
    const auto found = DialogRunners.find(id);
    if (found == DialogRunners.end()) return 0;  // not part of the program: the menu item does nothing
    const HWND previous = GetForegroundWindow();
    SetForegroundWindow(ToolbarWindow);
    ShowWindow(StatusWindow, SW_HIDE);
    s.ModalBusy = 1;
    if (!OsInfo().IsNT) Sleep(130);
    found->second(ToolbarWindow);
    s.ModalBusy = 0;
    PostMessageA(ToolbarWindow, WM_NULL, 0, 0);
    if (previous) SetForegroundWindow(previous);
    return 1;
}

void SetToolbarDialog(int id, ToolbarDialogRunner run) {
    if (run)
        DialogRunners[id] = run;
    else
        DialogRunners.erase(id);
}

void ShowStatus(const AString& text) {
    ToolbarStateRecord& s = ToolbarState;
    std::wstring wide = Widen(text, 936);
    wide.erase(0, wide.find_first_not_of(L" \t\r\n"));
    if (wide.empty() || wide.find_first_not_of(L" \t\r\n") == std::wstring::npos) {
        s.StatusText.clear();
        ShowWindow(StatusWindow, SW_HIDE);
        return;
    }
    s.StatusText = TranslateUiTextW(wide, false, TextCodePage());
    SIZE size{};
    {
        WindowDc dc(StatusWindow);
        size = MeasureGlyphText(dc, std::u16string_view(reinterpret_cast<const char16_t*>(s.StatusText.data()),
                                                        s.StatusText.size()));
    }
    const int width = size.cx + 6, height = size.cy + 6 > 17 ? size.cy + 6 : 17;
    SetWindowPos(StatusWindow, HWND_TOPMOST, 0, 0, width, height, SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    {
        WindowDc dc(StatusWindow);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kStatusFirstColour);
        DrawGlyphText(dc, 3, (height - size.cy) / 2, std::wstring_view(s.StatusText));
    }
    InvalidateRect(StatusWindow, nullptr, TRUE);
}

void UpdateLoopCheck() {
    if (!MainFrame) return;
    const UINT state = AppSettings.SoundPlayLoop ? MF_CHECKED : MF_UNCHECKED;
    for (int position : {IDM_POPUP_OPTIONS, IDM_POPUP_TRAY_HIDDEN, IDM_POPUP_TRAY_SHOWN}) {
        const HMENU popup = MainFrame->Menus().Popup(position);
        for (int i = 0; popup && i < GetMenuItemCount(popup); i++)
            if (GetMenuItemID(popup, i) == IDM_LOOP) CheckMenuItem(popup, i, MF_BYPOSITION | state);
    }
}

void KeepToolbarOnTop() {
    SetWindowPos(ToolbarWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetToolbarCommandHook(ToolbarCommandHook hook) { CommandHook = hook; }
