#include "ui/subclass.h"

bool Subclass::Attach(HWND hwnd) {
    if (!hwnd || hwnd_) return false;
    if (!SetWindowSubclass(hwnd, Proc, Id(), reinterpret_cast<DWORD_PTR>(this))) return false;
    hwnd_ = hwnd;
    return true;
}

void Subclass::Detach() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, Proc, Id());
    hwnd_ = nullptr;
}

LRESULT CALLBACK Subclass::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<Subclass*>(ref);
    const LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) self->Detach();
    return result;
}
