#pragma once
// The floating toolbar: a 52 x 22 topmost window that never takes the focus,
// with a gripper and a two-half button painted from bitmap IDB_TOOLBAR, its
// tip and status windows, the notification-area icon and the popup menus.
// User-interface thread only.
#include <windows.h>

#include <string>

#include "text/astring.h"
#include "ui/owner_menu.h"
#include "ui/ui_messages.h"

inline constexpr const char* kToolbarClass = "Torvi_Tesmarel_MAINPANE";
inline constexpr const char* kTipClass = "Torvi_TIPPANE";
inline constexpr const char* kStatusClass = "Torvi_STATUS";
inline constexpr const char* kToolbarTitle = "Zhorvan";

// The toolbar of the process `pid`, or null: how another program (a probe, a
// timer) finds one running instance among several.
inline HWND FindToolbarOf(DWORD pid) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kToolbarClass, kToolbarTitle))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}

// Parts of the toolbar (HitTest) and the bit of a pressed part.
inline constexpr int kPartNone = 0;
inline constexpr int kPartButton = 1;
inline constexpr int kPartGripper = 0x800;
inline constexpr int kPartPressed = 0x8000;

// Toolbar commands besides the menu commands of res/resource_ids.h.
inline constexpr WPARAM kCmdToolbarMenu = 57704;
inline constexpr WPARAM kCmdReader = 57770;
inline constexpr UINT kTrayMessage = WM_USER + 1;
inline constexpr UINT kAttachVoiceMessage = kUiMessageBase + 0x20;  // posted after ID_SPEECH_ATTACH

inline constexpr UINT kHoverTimer = 1, kHoverTimerMs = 40;
inline constexpr UINT kSecondTimer = 2, kSecondTimerMs = 1000;
inline constexpr int kTipDelayMs = 1000, kTipLifeMs = 7000;
inline constexpr DWORD kMenuClickGuardMs = 600;  // a click this soon after a menu closed does nothing

struct ToolbarStateRecord {
    int DragState = 0;  // 0 none, 1 moving after leaving the pressed part, 2 pressed on the gripper
    int ButtonDown = 0;
    int PressedPart = 0;
    int CurrentPart = 0;  // kPartPressed set while pressed
    int CurrentHalf = 0;  // 0 left, 1 right
    int HoverPart = 0;
    int HoverElapsed = 0;
    int TipState = -1;  // -1 idle, 0 waiting, 1 shown, 2 expired
    POINT DragOffset{};
    RECT DragRect{};
    int DragWidth = 0, DragHeight = 0;
    DWORD MenuClosedTick = 0;
    int ModalBusy = 0;
    DWORD TrayClickTicks[2] = {};  // the click before the last, the last
    int SecondCounter = 0;
    AString TipText;
    std::wstring StatusText;
};
extern ToolbarStateRecord ToolbarState;

extern HWND ToolbarWindow, TipWindow, StatusWindow;

// The frame object attached to the toolbar window: the owner-drawn menus.
class CMainFrame {
public:
    bool Attach(HWND toolbar);  // loads and builds the menus
    void Detach();
    HWND Hwnd() const { return hwnd_; }
    OwnerDrawMenu& Menus() { return menus_; }

private:
    HWND hwnd_ = nullptr;
    OwnerDrawMenu menus_;
};
extern CMainFrame* MainFrame;

// The three window classes (8-bit) and the hatch brush; false on failure.
bool RegisterToolbarClasses(HINSTANCE instance);
void UnregisterToolbarClasses(HINSTANCE instance);  // deletes the hatch brush
HWND CreateStatusLine(HINSTANCE instance);
// Loads bitmap IDB_TOOLBAR and creates the toolbar at (left, top), hidden.
HWND CreateToolbarWindow(HINSTANCE instance, int left, int top);
HWND CreateTipWindow(HINSTANCE instance);

// Notification-area icon 1 (not on NT 3.x).
void AddTrayIcon();
void RemoveTrayIcon();

// Part under `screen` (kPartNone, kPartButton, kPartGripper); `half` gets 1 for the right half.
int HitTest(HWND window, POINT screen, int* half = nullptr);
// flags 0: everything released; else the parts named, pressed with kPartPressed.
void PaintToolbar(HDC dc, int flags, int half);
void RepaintToolbar(bool erase = false);

int ShowToolbar();
int HideToolbar();
int ShowPopupMenu(int position);
// Runs the modal dialog registered for `id` (IDD_SYSTEM_OPTIONS, IDM_ABOUT,
// IDD_SPEECH_OPTIONS) with ModalBusy set; 0 when one runs already or none is
// registered.
int RunToolbarDialog(int id);
using ToolbarDialogRunner = void (*)(HWND owner);
// The dialog behind `id` (null: none); the dialogs register themselves.
void SetToolbarDialog(int id, ToolbarDialogRunner run);
void ShowStatus(const AString& text);
void UpdateLoopCheck();
void RestoreFocus(HWND window);
// Puts the toolbar above every other topmost window, without activating it.
void KeepToolbarOnTop();

// Every WM_COMMAND of the toolbar is reported here before it is carried out (tests).
using ToolbarCommandHook = void (*)(WPARAM id, LPARAM lParam);
void SetToolbarCommandHook(ToolbarCommandHook hook);
