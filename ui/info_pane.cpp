#include "ui/info_pane.h"

#include <algorithm>
#include <cmath>

#include "app/environment.h"
#include "ui/gdi.h"
#include "ui/glyph_text.h"
#include "ui/window.h"

namespace {

constexpr LONG_PTR kPaneUserData = 803;

InfoPaneState pane;

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// GbUiFont while it exists, else the device context keeps its own.
HGDIOBJ PaneFont(HDC dc) { return GbUiFont ? static_cast<HGDIOBJ>(GbUiFont.Get()) : GetCurrentObject(dc, OBJ_FONT); }

void PaintPane(HDC dc, const RECT& client) {
    SetBkMode(dc, TRANSPARENT);
    Gdi<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(131, 132, 161)));
    Gdi<HBRUSH> brush(CreateSolidBrush(RGB(254, 252, 215)));
    Selected penIn(dc, pen);
    Selected brushIn(dc, brush);
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
    if (pane.PaneClosable) {
        const int c = GetSystemMetrics(SM_CYCAPTION);
        RECT& box = pane.PaneCloseRect;
        box = {client.right - c / 8 - c / 2, c / 8, client.right - c / 8, c / 8 + c / 2};
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
        // The cross: both diagonals, 2 pixels inside the frame.
        MoveToEx(dc, box.left + 2, box.top + 2, nullptr);
        LineTo(dc, box.right - 2, box.bottom - 2);
        MoveToEx(dc, box.right - 3, box.top + 2, nullptr);
        LineTo(dc, box.left + 1, box.bottom - 2);
    }
    const int w = client.right - client.left, h = client.bottom - client.top;
    RECT text = client;
    InflateRect(&text, -(w - pane.PaneTextSize.cx) / 2, -(h - pane.PaneTextSize.cy) / 2);
    text.top -= 1;
    SetTextColor(dc, RGB(0, 0, 255));
    Selected font(dc, PaneFont(dc));
    DrawTextW(dc, Wide(pane.PaneText), static_cast<int>(pane.PaneText.size()), &text, DT_WORDBREAK);
}

LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintDc paint(hwnd);
            RECT client;
            GetClientRect(hwnd, &client);
            BufferedDc buffer(paint, client);
            PaintPane(buffer, client);
            return 0;
        }
        case WM_SETCURSOR:
            if (HIWORD(lParam) != WM_LBUTTONDOWN) {
                SetCursor(SystemCursor(IDC_ARROW));
                return 0;
            }
            // The pane is disabled: a click reaches it only this way.
            if (pane.PaneClosable) {
                POINT p;
                RECT box = pane.PaneCloseRect;
                MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&box), 2);
                if (GetCursorPos(&p) && PtInRect(&box, p)) HideInfoPane();
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) HideInfoPane();
            return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool MakePaneWindow() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(instance, L"MsgPane", &wc)) {
        wc = {};
        wc.lpfnWndProc = PaneProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"MsgPane";
        if (!RegisterClassW(&wc)) return false;
    }
    pane.PaneHeight = 100;
    pane.PaneWidth = 200;
    pane.PaneWindow = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"MsgPane", L"InfoMsgPane",
                                      WS_POPUP | WS_DISABLED, 100, 100, pane.PaneWidth, pane.PaneHeight, nullptr,
                                      nullptr, instance, nullptr);
    if (!pane.PaneWindow) return false;
    SetWindowLongPtrW(pane.PaneWindow, GWLP_USERDATA, kPaneUserData);
    return true;
}

}  // namespace

const InfoPaneState& InfoPane() { return pane; }

int InfoPaneSampleLetters(std::size_t textLength) {
    return std::max(28, static_cast<int>(std::floor(std::sqrt(static_cast<double>(textLength)) * 1.8)));
}

POINT InfoPanePosition(int x, int y, SIZE size, const RECT& workArea) {
    bool above = false;
    if (y + size.cy + 36 >= workArea.bottom) {
        y = y - size.cy + 2;
        above = true;
    }
    if (x + size.cx + 6 >= workArea.right) {
        x = workArea.right - size.cx - 36;
        if (!above) y += 36;
    }
    if (x < 2) x = 4;
    if (y < 0) y = 0;
    return {x, y};
}

bool ShowInfoPane(HWND repaint, int x, int y, std::u16string_view text, bool closable) {
    if (!IsWindow(pane.PaneWindow) && !MakePaneWindow()) return false;
    pane.PaneText.assign(text);
    pane.PaneClosable = closable;
    const RECT work = ScreenRect(false);
    {
        WindowDc dc(pane.PaneWindow);
        Selected font(dc, PaneFont(dc));
        const std::wstring sample(static_cast<std::size_t>(InfoPaneSampleLetters(text.size())), L'X');
        std::string narrow(sample.begin(), sample.end());
        SIZE s{};
        GetTextExtentPoint32A(dc, narrow.c_str(), static_cast<int>(narrow.size()), &s);
        pane.PaneLineHeight = static_cast<int>(s.cy * 1.1);
        pane.PaneWidth = std::max<int>(200, s.cx + pane.PaneLineHeight + 28);
        pane.PaneWidth = std::min<int>(pane.PaneWidth, (work.right - work.left) * 2 / 3);
        RECT wrap{0, 0, pane.PaneWidth - 10, pane.PaneHeight};
        DrawTextW(dc, Wide(pane.PaneText), static_cast<int>(pane.PaneText.size()), &wrap, DT_CALCRECT | DT_WORDBREAK);
        pane.PaneTextSize = {wrap.right - wrap.left, wrap.bottom - wrap.top};
    }
    const int c = GetSystemMetrics(SM_CYCAPTION);
    pane.PaneHeight = pane.PaneTextSize.cy + c + 4;
    pane.PaneWidth = pane.PaneTextSize.cx + c + 4;
    const POINT at = InfoPanePosition(x, y, {pane.PaneWidth, pane.PaneHeight}, work);
    if (repaint) {
        RECT old;
        GetWindowRect(pane.PaneWindow, &old);
        MapWindowPoints(nullptr, repaint, reinterpret_cast<POINT*>(&old), 2);
        InvalidateRect(repaint, &old, FALSE);
    }
    SetWindowPos(pane.PaneWindow, HWND_TOPMOST, at.x, at.y, pane.PaneWidth, pane.PaneHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(pane.PaneWindow, nullptr, TRUE);
    return true;
}

void HideInfoPane() {
    pane.PaneText.clear();
    if (pane.PaneWindow) ShowWindow(pane.PaneWindow, SW_HIDE);
}

bool InfoPaneHasText() { return !pane.PaneText.empty() && IsWindow(pane.PaneWindow); }
