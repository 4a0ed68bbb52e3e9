// An application for the capture tests to copy from, which puts on the clipboard
// what its mode says, well or badly:
//
//   capture_helper <main class> <focus class> <mode> [number] [--then <class>]
//
// One top-level window of <main class> holds a child of <focus class> that has
// the focus. A copy request (WM_COPY, or Ctrl+Insert typed into the child) is
// answered by the mode:
//   report        CF_UNICODETEXT "WM_COPY", or "keystroke <scan> <extended>"
//   messageonly   as report, but the keystroke is ignored
//   none          nothing at all
//   unterminated  CF_UNICODETEXT of <number> units 中 and no terminating zero
//   surrogate     CF_UNICODETEXT "a", a lone high surrogate, "b"
//   big           CF_UNICODETEXT of <number> bytes, terminated
//   big5          CF_TEXT 中文 in Big5 with CF_LOCALE traditional Chinese
//   hang          sleeps <number> ms in the copy request, then copies "late"
//   holdcopy      after the copy request, holds the clipboard open for <number> ms
//   holdstart     holds the clipboard open from before its window exists for <number> ms
// With --then, a Shift key press moves the focus to a second child of <class>.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

std::wstring Mode;
long Number = 0;
HWND Main = nullptr, First = nullptr, Second = nullptr;
constexpr UINT kHold = WM_APP + 1;

void Put(UINT format, const void* bytes, SIZE_T size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!h) return;
    void* p = GlobalLock(h);
    std::memcpy(p, bytes, size);
    GlobalUnlock(h);
    if (!SetClipboardData(format, h)) GlobalFree(h);
}

void PutText(const std::wstring& text) { Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * 2); }

void Copy(HWND self, const std::wstring& how) {
    if (Mode == L"none") return;
    if (Mode == L"holdcopy") {
        PostMessageW(self, kHold, 0, 0);
        return;
    }
    if (Mode == L"hang") Sleep(static_cast<DWORD>(Number));
    if (!OpenClipboard(self)) return;
    EmptyClipboard();
    if (Mode == L"report" || Mode == L"messageonly") {
        PutText(how);
    } else if (Mode == L"hang") {
        PutText(L"late");
    } else if (Mode == L"unterminated") {
        std::wstring units(static_cast<size_t>(Number), L'\x4E2D');
        Put(CF_UNICODETEXT, units.data(), units.size() * 2);
    } else if (Mode == L"surrogate") {
        const wchar_t units[] = {L'a', 0xD800, L'b', 0};
        Put(CF_UNICODETEXT, units, sizeof units);
    } else if (Mode == L"big") {
        std::wstring units(static_cast<size_t>(Number / 2 - 1), L'\x6587');
        PutText(units);
    } else if (Mode == L"big5") {
        const char text[] = "\xA4\xA4\xA4\xE5";
        const LCID locale = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), SORT_DEFAULT);
        Put(CF_TEXT, text, sizeof text);
        Put(CF_LOCALE, &locale, sizeof locale);
    }
    CloseClipboard();
}

LRESULT CALLBACK ChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case WM_COPY: Copy(h, L"WM_COPY"); return 0;
        case WM_KEYDOWN:
            if (w == VK_INSERT && GetKeyState(VK_CONTROL) < 0 && Mode != L"messageonly") {
                wchar_t how[64];
                swprintf(how, 64, L"keystroke %02X %d", static_cast<unsigned>((l >> 16) & 0xFF),
                         static_cast<int>((l >> 24) & 1));
                Copy(h, how);
                return 0;
            }
            if (w == VK_SHIFT && h == First && Second) SetFocus(Second);
            return 0;
        case kHold:
            if (OpenClipboard(h)) {
                EmptyClipboard();
                PutText(L"held");
                Sleep(static_cast<DWORD>(Number));
                CloseClipboard();
            }
            return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

LRESULT CALLBACK MainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case WM_TIMER:
            KillTimer(h, w);
            CloseClipboard();
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

void Register(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 4) return 2;
    Mode = argv[3];
    if (argc > 4 && argv[4][0] != L'-') Number = std::wcstol(argv[4], nullptr, 10);
    const wchar_t* thenClass = nullptr;
    for (int i = 4; i + 1 < argc; ++i)
        if (std::wcscmp(argv[i], L"--then") == 0) thenClass = argv[i + 1];

    if (Mode == L"holdstart" && !OpenClipboard(nullptr)) return 3;
    Register(argv[1], MainProc);
    Register(argv[2], ChildProc);
    if (thenClass) Register(thenClass, ChildProc);
    Main = CreateWindowExW(0, argv[1], L"capture helper", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 200, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
    First = CreateWindowExW(0, argv[2], L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 180, 60, Main, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (thenClass)
        Second = CreateWindowExW(0, thenClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 200, 10, 180, 60, Main, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!Main || !First) return 4;
    SetForegroundWindow(Main);
    SetFocus(First);
    if (Mode == L"holdstart") SetTimer(Main, 1, static_cast<UINT>(Number), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
