#include "app/startup_picture.h"

#include "app/environment.h"
#include "res/resource_ids.h"
#include "ui/gdi.h"

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 240;
constexpr char kClassName[] = "SplashWndClass";
constexpr char kTitle[] = "TorviImeSplash";

// The picture's window, destroyed by DestroyStartupPicture (start-up calls it
// once the lexicon has loaded) or with the thread that made it.
HWND pictureWindow = nullptr;

// The window's bitmap, loaded on WM_CREATE and deleted on WM_DESTROY.
Gdi<HBITMAP> picture;

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            picture.Reset(
                LoadBitmapA(reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance, MAKEINTRESOURCEA(IDB_SPLASH)));
            return 0;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_PAINT: {
            PaintDc dc(hwnd);
            if (picture) {
                MemoryDc memory(dc);
                Selected selected(memory, picture);
                BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
            }
            return 0;
        }
        case WM_DESTROY:
            picture.Reset();
            if (pictureWindow == hwnd) pictureWindow = nullptr;
            return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int ShowStartupPicture(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PictureProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;
    DestroyStartupPicture();
    const RECT work = ScreenRect(false);
    // Created hidden and then shown without activation: a window created
    // visible takes the foreground under some systems despite WS_EX_NOACTIVATE.
    pictureWindow =
        CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, kTitle, WS_POPUP | WS_DISABLED,
                        (work.right - work.left - kWidth) / 2, (work.bottom - work.top - kHeight) / 2, kWidth, kHeight,
                        nullptr, nullptr, instance, nullptr);
    if (!pictureWindow) return 0;
    SetWindowPos(pictureWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(pictureWindow, nullptr, FALSE);
    UpdateWindow(pictureWindow);
    EnableWindow(pictureWindow, FALSE);
    return 1;
}

void DestroyStartupPicture() {
    if (pictureWindow) DestroyWindow(pictureWindow);
    pictureWindow = nullptr;
}

HWND StartupPictureWindow() { return pictureWindow; }
