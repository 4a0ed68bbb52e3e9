#include "ui/window.h"

namespace {

HINSTANCE ModuleOf(HINSTANCE given) { return given ? given : GetModuleHandleW(nullptr); }

}  // namespace

Window::~Window() { Destroy(); }

void Window::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND Window::Create(const WindowArgs& a) {
    if (hwnd_) return nullptr;
    const HINSTANCE instance = ModuleOf(a.instance);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // The system keeps the registration: a class name is registered once per module.
    if (!GetClassInfoExW(instance, a.className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = a.classStyle;
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.hIcon = a.icon;
        wc.hIconSm = a.smallIcon;
        wc.hCursor = a.cursor ? a.cursor : SystemCursor(IDC_ARROW);
        wc.hbrBackground = a.background ? a.background : reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = a.className;
        if (!RegisterClassExW(&wc)) return nullptr;
    } else if (wc.lpfnWndProc != Proc) {
        return nullptr;  // a class of someone else's: it would never bind this object
    }
    const HMENU menu = (a.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(a.childId)) : nullptr;
    CreateWindowExW(a.exStyle, a.className, a.title, a.style, a.x, a.y, a.width, a.height, a.parent, menu, instance,
                    this);
    return hwnd_;  // set at WM_NCCREATE; cleared again when creation failed later
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after WM_NCDESTROY.
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;  // never destroyed twice
    }
    return result;
}
