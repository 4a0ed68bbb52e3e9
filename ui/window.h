#pragma once
// A window object that owns one HWND: bound to it at WM_NCCREATE, told of its
// messages through OnMessage, and unbound at WM_NCDESTROY.
#include <windows.h>

// A system cursor by its IDC_ id (the ids are narrow resource numbers).
inline HCURSOR SystemCursor(LPCSTR id) { return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(id)); }

struct WindowArgs {
    const wchar_t* className = L"ZhWindow";
    const wchar_t* title = L"";
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    HWND parent = nullptr;  // owner of a top-level window, parent of a child
    int childId = 0;        // the control id of a WS_CHILD window
    // Class fields, used by the first registration of the class name.
    UINT classStyle = CS_HREDRAW | CS_VREDRAW;
    HCURSOR cursor = nullptr;     // null: the arrow
    HBRUSH background = nullptr;  // null: COLOR_WINDOW
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HINSTANCE instance = nullptr;  // null: the program's module
};

class Window {
public:
    Window() = default;
    // Destroys the window; messages sent meanwhile reach only Window::OnMessage,
    // so a class whose handlers must see WM_DESTROY destroys it in its own destructor.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Registers the class when its name is new and creates the window; null when
    // creation failed or the object already has a window.
    HWND Create(const WindowArgs& args);
    // DestroyWindow, when there is a window.
    void Destroy();
    HWND Hwnd() const { return hwnd_; }

protected:
    // The window's messages from WM_NCCREATE to WM_NCDESTROY; the default is DefWindowProcW.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};
