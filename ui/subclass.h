#pragma once
// Takes over an existing window (a dialog's control) with SetWindowSubclass:
// its messages go to OnMessage first, Default passes them on to the control.
#include <windows.h>
// after windows.h
#include <commctrl.h>

class Subclass {
public:
    Subclass() = default;
    virtual ~Subclass() { Detach(); }
    Subclass(const Subclass&) = delete;
    Subclass& operator=(const Subclass&) = delete;

    // False when the window is null, the object already holds one or the system refused.
    bool Attach(HWND hwnd);
    // Gives the window back to its own procedure; also done at WM_NCDESTROY.
    void Detach();
    HWND Hwnd() const { return hwnd_; }

protected:
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefSubclassProc(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }  // several objects may share one window
    HWND hwnd_ = nullptr;
};
