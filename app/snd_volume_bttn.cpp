#include "app/snd_volume_bttn.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "res/resource_ids.h"
#include "ui/gdi.h"

namespace {

// Draws a resource bitmap at (x, y) with `rop`; its height, or 0 when missing.
void DrawBitmap(HDC dc, int id, int x, int y, DWORD rop, bool bottomAt = false) {
    Gdi<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return;
    if (bottomAt) y = std::max(0, y - static_cast<int>(info.bmHeight));  // y is the bottom edge
    MemoryDc source(dc);
    Selected use(source, bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, rop);
}

void Frame(HDC dc, COLORREF colour, int l, int t, int r, int b) {
    Gdi<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    Selected usePen(dc, pen);
    Selected useBrush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, l, t, r, b);
}

bool IsDialogWindow(HWND w) {
    wchar_t name[16] = {};
    return w && GetClassNameW(w, name, 16) && lstrcmpW(name, L"#32770") == 0;
}

}  // namespace

bool CSndVolumeBttn::Attach(Dialog& dialog, HWND control) {
    if (!Subclass::Attach(control)) return false;
    dialog.AddChild(control, *this);
    return true;
}

int CSndVolumeBttn::ThumbX() const {
    const double span = Maximum - Minimum;
    const double f = span != 0 ? (Value - Minimum) / span : 0.0;
    return static_cast<int>(std::floor(TrackWidth * f));
}

RECT CSndVolumeBttn::ThumbRect() const {
    RECT client{};
    if (Hwnd()) GetClientRect(Hwnd(), &client);
    const int x = ThumbX(), h = ThumbHalfWidth;
    return {x - h + 2, client.top - 1, x + h + 3, TrackHeight + 1};
}

void CSndVolumeBttn::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!(item.itemAction & ODA_DRAWENTIRE)) return;
    const RECT& r = item.rcItem;
    if (IsDialogWindow(GetParent(Hwnd()))) {
        RightMargin = 7;
        InDialog = 1;
    }
    BufferedDc dc(item.hDC, r);
    // The parent's background first: the wedge and the thumb cover only part of the item.
    HBRUSH back = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(Hwnd()), WM_CTLCOLORBTN,
                                                        reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
                                                        reinterpret_cast<LPARAM>(Hwnd())));
    FillRect(dc, &r, back ? back : GetSysColorBrush(COLOR_BTNFACE));
    const RECT strip{r.left, r.bottom - 3, r.right, r.bottom};
    FillRect(dc, &strip, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawBitmap(dc, IDB_SLIDER_TRACK, 0, r.bottom - 3, SRCCOPY, true);

    TrackHeight = r.bottom - 1 - r.top;
    TrackWidth = r.right - RightMargin - r.left;
    const double span = Maximum - Minimum;
    const double f = span != 0 ? (Value - Minimum) / span : 0.0;
    const int x = ThumbX(), h = ThumbHalfWidth;
    const int level = static_cast<int>((TrackHeight - 2) * f);
    if (RateMode) DrawBitmap(dc, IDB_RATE, 1, 1, SRCAND);

    Frame(dc, RGB(131, 132, 161), x - h + 3, r.top, x + h + 2, TrackHeight);
    Frame(dc, RGB(191, 192, 231), x - h + 4, r.top + 1, x + h + 1, TrackHeight - 1);
    const RECT face{x - h + 5, r.top + 2, x + h, TrackHeight - 2};
    Gdi<HBRUSH> faceBrush(CreateSolidBrush(RGB(233, 233, 239)));
    FillRect(dc, &face, faceBrush);

    const POINT bar[] = {{x - 1, std::max(3, TrackHeight - level - 1)},
                         {x + 4, std::max(3, TrackHeight - level - 2)},
                         {x + 4, TrackHeight - 4},
                         {x - 1, TrackHeight - 4}};
    Gdi<HPEN> barPen(CreatePen(PS_SOLID, 1, RGB(133, 244, 133)));
    Gdi<HBRUSH> barBrush(CreateSolidBrush(RGB(133, 244, 133)));
    Selected usePen(dc, barPen);
    Selected useBrush(dc, barBrush);
    Polygon(dc, bar, 4);
}

void CSndVolumeBttn::Report() {
    SendMessageW(GetParent(Hwnd()), WM_HSCROLL, MAKEWPARAM(GetDlgCtrlID(Hwnd()), static_cast<WORD>(Value)), 0);
}

void CSndVolumeBttn::MoveThumb(int a, bool absolute) {
    const double h = ThumbHalfWidth, span = Maximum - Minimum;
    const double s = TrackWidth - h * 0.5;
    if (s <= 0) return;  // not painted yet
    double v;
    if (absolute) {
        v = span * ((a - h * 0.5) / s) + Minimum;
    } else {
        if (a == 0) return;
        double c = a / s * span;
        if (a > 0) c = std::max(c, 1.0);
        if (a < 0) c = std::min(c, -1.0);
        v = PressValue + c;
    }
    // A click in the first pixels of the track would give a value below Minimum.
    v = std::clamp(v, static_cast<double>(Minimum), static_cast<double>(Maximum));
    const RECT before = ThumbRect();
    Value = static_cast<int>(v);  // toward zero
    Report();
    const RECT after = ThumbRect();
    RECT both;
    UnionRect(&both, &before, &after);
    InvalidateRect(Hwnd(), &both, TRUE);
}

LRESULT CSndVolumeBttn::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            PressValue = Value;
            PressX = p.x;
            PressY = p.y;
            const RECT thumb = ThumbRect();
            if (PtInRect(&thumb, p)) {
                SetCapture(Hwnd());
            } else if (p.x < TrackWidth) {
                PressX = kNoDrag;
                MoveThumb(p.x, true);
            }
            return Default(message, wParam, lParam);
        }
        case WM_MOUSEMOVE: {
            const LRESULT result = Default(message, wParam, lParam);
            if (GetCapture() == Hwnd() && PressX > kNoDrag) MoveThumb(p.x - PressX, false);
            return result;
        }
        case WM_LBUTTONUP: {
            if (GetCapture() == Hwnd()) ReleaseCapture();
            const RECT thumb = ThumbRect();
            if (PressX > kNoDrag && PtInRect(&thumb, p)) {
                MoveThumb(p.x - PressX, false);
            } else if (p.x >= TrackWidth && PressX >= TrackWidth) {
                // Pressed and released right of the track: the maximum, reported
                // so that the value label follows.
                Value = Maximum;
                InvalidateRect(Hwnd(), nullptr, TRUE);
                Report();
            }
            return Default(message, wParam, lParam);
        }
        case WM_GETDLGCODE: return Default(message, wParam, lParam) | DLGC_WANTARROWS;
        case WM_KEYDOWN: {
            // With the focus: the arrows move one step, Home and End to the ends.
            int to = Value;
            switch (wParam) {
                case VK_LEFT:
                case VK_DOWN: to = Value - 1; break;
                case VK_RIGHT:
                case VK_UP: to = Value + 1; break;
                case VK_HOME: to = Minimum; break;
                case VK_END: to = Maximum; break;
                default: return Default(message, wParam, lParam);
            }
            SetValue(to);
            return 0;
        }
        default: return Default(message, wParam, lParam);
    }
}

void CSndVolumeBttn::SetValue(int value) {
    value = std::clamp(value, Minimum, Maximum);
    if (value == Value) return;
    const RECT before = ThumbRect();
    Value = value;
    Report();
    const RECT after = ThumbRect();
    RECT both;
    UnionRect(&both, &before, &after);
    InvalidateRect(Hwnd(), &both, TRUE);
}
