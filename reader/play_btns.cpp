#include "reader/play_btns.h"

#include <windowsx.h>

#include <algorithm>

#include "res/resource_ids.h"

int ReaderPlayState = 0;

namespace {

void Line(HDC dc, COLORREF colour, const POINT* points, int count) {
    Gdi<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    Selected use(dc, pen);
    Polyline(dc, points, count);
}

void Frame(HDC dc, COLORREF colour, int l, int t, int r, int b) {
    Gdi<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    Selected usePen(dc, pen);
    Selected useBrush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, l, t, r, b);
}

}  // namespace

bool CPlayBtns::Attach(Dialog& dialog, HWND control) {
    if (!Subclass::Attach(control)) return false;
    dialog.AddChild(control, *this);
    return true;
}

void CPlayBtns::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!(item.itemAction & ODA_DRAWENTIRE)) return;
    if (!StripBitmap) {
        StripBitmap.Reset(static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_PLAY_BUTTONS), IMAGE_BITMAP, 0, 0, 0)));
        BITMAP info{};
        if (StripBitmap && GetObjectW(StripBitmap, sizeof info, &info)) {
            ImageHeight = info.bmHeight / ImageRows;
            ImageWidth = info.bmWidth / 3;
        }
    }
    const HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const int w = r.right - r.left, h = r.bottom - r.top;
    Frame(dc, RGB(131, 132, 161), r.left, r.top, r.right, r.bottom);
    Frame(dc, RGB(191, 192, 231), r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
    const RECT face{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    Gdi<HBRUSH> faceBrush(CreateSolidBrush(RGB(233, 233, 239)));
    FillRect(dc, &face, faceBrush);
    if (!StripBitmap || CellCount <= 0) return;
    const int cell = (w - 4) / CellCount;
    const int x0 = std::max(0, (cell - ImageWidth) / 2) + 2, y0 = std::max(0, (h - ImageHeight) / 2);
    {
        MemoryDc source(dc);
        Selected use(source, StripBitmap);
        for (int i = 0; i < CellCount; ++i) {
            const int shift = i == PressedCell ? 1 : 0;
            BitBlt(dc, x0 + i * cell + shift, y0 + shift, ImageWidth, ImageHeight, source, i * ImageWidth,
                   ReaderPlayState * ImageHeight, SRCCOPY);
        }
    }
    if (PressedCell >= 0 && PressedCell < CellCount) {
        const int x1 = 3 + PressedCell * cell, x2 = x1 + cell;
        const POINT dark[] = {{x1, r.bottom - 4}, {x1, r.top + 3}, {x2, r.top + 3}};
        const POINT light[] = {{x2, r.top + 3}, {x2, r.bottom - 3}, {x1, r.bottom - 3}};
        Line(dc, RGB(158, 159, 198), dark, 3);
        Line(dc, RGB(252, 254, 254), light, 3);
    }
}

int CPlayBtns::PartFromPoint(POINT p) const {
    RECT client;
    GetClientRect(Hwnd(), &client);
    if (!PtInRect(&client, p) || CellCount <= 0) return -1;
    const int cell = client.right / CellCount;
    if (cell <= 0) return -1;
    const int n = std::max(0, static_cast<int>((p.x - 2) / cell));
    const int highest = std::min(CellCount - 1, ReaderPlayState == 0 ? 1 : 2);
    return n > highest ? -1 : n;
}

void CPlayBtns::Click(int part) {
    // (state, part) -> action, new state
    static constexpr int kActions[3][3][2] = {
        {{1, 1}, {0, 1}, {-1, 0}},
        {{3, 2}, {2, 0}, {5, 1}},
        {{4, 1}, {2, 0}, {5, 1}},
    };
    const int state = std::clamp(ReaderPlayState, 0, 2);
    const auto& entry = kActions[state][part];
    if (entry[0] < 0) return;
    SpeakAction = entry[0];
    ReaderPlayState = entry[1];
    SendMessageW(GetParent(Hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Hwnd()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(Hwnd()));
}

LRESULT CPlayBtns::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            PressedCell = PartFromPoint(p);
            if (PressedCell >= 0) SetCapture(Hwnd());
            InvalidateRect(Hwnd(), nullptr, FALSE);
            // The button's own handling would draw it pushed and send BN_CLICKED.
            return 0;
        }
        case WM_MOUSEMOVE: {
            const LRESULT result = Default(message, wParam, lParam);
            if (GetCapture() == Hwnd() && PressedCell >= 0 && PartFromPoint(p) != PressedCell) {
                PressedCell = -1;
                InvalidateRect(Hwnd(), nullptr, FALSE);
            }
            return result;
        }
        case WM_LBUTTONUP: {
            const bool held = GetCapture() == Hwnd();
            if (held) ReleaseCapture();
            const int part = PressedCell;
            PressedCell = -1;
            if (held && part >= 0 && PartFromPoint(p) == part) Click(part);
            InvalidateRect(Hwnd(), nullptr, FALSE);
            return 0;
        }
        default: return Default(message, wParam, lParam);
    }
}
