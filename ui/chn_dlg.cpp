#include "ui/chn_dlg.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "app/settings.h"
#include "res/resource_ids.h"
#include "text/code_pages.h"
#include "text/gbk.h"
#include "ui/glyph_text.h"
#include "ui/info_pane.h"
#include "ui/ui_strings.h"

namespace {

constexpr int kAboutBoxId = 100;
constexpr COLORREF kBandActive = RGB(56, 45, 198);
constexpr COLORREF kBandInactive = RGB(156, 145, 78);

bool Translated() { return AppSettings.UILanguage != 0; }

int ButtonKind(HWND h) { return static_cast<int>(GetWindowLongW(h, GWL_STYLE) & 0x0F); }

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

bool IsGroupBox(HWND h) { return lstrcmpiW(ClassOf(h).c_str(), L"BUTTON") == 0 && ButtonKind(h) == BS_GROUPBOX; }

std::u16string U16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }
std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

std::u16string Translate(const std::u16string& text) { return U16(TranslateUiTextW(W(text))); }

// The longest prefix of at most `limit` bytes that does not cut a double-byte character.
AString WholeGbkPrefix(const AString& text, int limit) {
    int at = 0;
    while (at < text.GetLength()) {
        const int step = static_cast<unsigned char>(text[at]) >= 0x81 && at + 1 < text.GetLength() ? 2 : 1;
        if (at + step > limit) break;
        at += step;
    }
    return text.Left(at);
}

bool PaneVisible() { return InfoPane().PaneWindow && IsWindowVisible(InfoPane().PaneWindow); }

}  // namespace

// ---- CChnDlgAbstract ----

bool CChnDlgAbstract::Decorates() const { return Translated() || DecoratedId == kAboutBoxId; }

void CChnDlgAbstract::Decorate(Dialog* dialog, int id) {
    DecoratedDialog = dialog;
    DecoratedId = id;
    if (!dialog || !dialog->Hwnd() || !Decorates()) return;
    for (HWND child = GetWindow(dialog->Hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring cls = ClassOf(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const bool button = lstrcmpiW(cls.c_str(), L"BUTTON") == 0;
        const int staticKind = style & SS_TYPEMASK;
        const bool textStatic =
            lstrcmpiW(cls.c_str(), L"STATIC") == 0 &&
            (staticKind == SS_LEFT || staticKind == SS_CENTER || staticKind == SS_RIGHT || staticKind == SS_SIMPLE);
        if ((!button && !textStatic) || (style & 0xFF) >= 0x80) continue;
        if (button && (style & 0x0F) == BS_GROUPBOX) {
            const std::u16string text = Translate(WindowTextUtf16(child));
            if (!text.empty()) SetWindowTextUtf16(child, text);
            continue;
        }
        if ((button && (style & 0x0F) == BS_OWNERDRAW) || (!button && staticKind == SS_SIMPLE)) continue;
        if (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) continue;
        if (dialog->ChildOf(child) || Buttons.count(child)) continue;
        auto b = std::make_unique<CODBtn2>();
        b->Owner = dialog;
        if (b->AttachControl(child)) Buttons.emplace(child, std::move(b));
    }
}

void CChnDlgAbstract::ReleaseDecorations() { Buttons.clear(); }

CODBtn2* CChnDlgAbstract::ButtonOf(HWND control) const {
    const auto it = Buttons.find(control);
    return it == Buttons.end() ? nullptr : it->second.get();
}

void CChnDlgAbstract::OnKeyCues(const MSG& msg) {
    if (!KeyCuesPending || msg.message != WM_KEYDOWN) return;
    if (msg.wParam != VK_TAB && msg.wParam != VK_UP && msg.wParam != VK_DOWN) return;
    KeyCuesPending = false;
    for (const auto& [hwnd, b] : Buttons)
        if (b->IsPushButton && b->ShowsFocusCues) InvalidateRect(hwnd, nullptr, FALSE);
}

void CChnDlgAbstract::PaintDecorations(HDC dc) {
    if (!DecoratedDialog || !Decorates()) return;
    const HWND dialog = DecoratedDialog->Hwnd();
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiW(ClassOf(child).c_str(), L"BUTTON") != 0 || !IsWindowVisible(child)) continue;
        switch (ButtonKind(child)) {
            case 2:
            case 3:
            case 4:
            case 5:
            case 6:
            case 9: UpdateWindow(child); break;
        }
    }
    SetBkMode(dc, TRANSPARENT);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsGroupBox(child)) continue;
        std::u16string text = WindowTextUtf16(child);
        if (Translated()) text = Translate(text);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (IsWindowVisible(child)) continue;
        Selected font(dc, GetStockObject(DEFAULT_GUI_FONT));
        const SIZE extent = text.empty() ? SIZE{0, 0} : DrawGlyphText(dc, r.left + 8, r.top, text, -1, 0, 16, 16, 1);
        const int top = r.top + extent.cy / 2;
        Gdi<HPEN> shadow(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
        Gdi<HPEN> light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
        const int gapFrom = r.left + 7, gapTo = r.left + extent.cx + 12;
        // The frame: a shadow line with a highlight line one pixel in and below it.
        for (int pass = 0; pass < 2; pass++) {
            Selected pen(dc, pass ? light : shadow);
            const int d = pass;
            const int left = r.left + d, t = top + d, right = r.right - 2 + d, bottom = r.bottom - 2 + d;
            if (text.empty()) {
                MoveToEx(dc, left, t, nullptr);
            } else {
                MoveToEx(dc, gapFrom, t, nullptr);
                LineTo(dc, left, t);
            }
            LineTo(dc, left, bottom);
            LineTo(dc, right, bottom);
            LineTo(dc, right, t);
            LineTo(dc, text.empty() ? left : std::min<int>(gapTo, right), t);
        }
    }
}

// ---- CChnDlg ----

CChnDlg::CChnDlg(int templateId, HWND parent)
    : Dialog(templateId), DialogId(templateId), PreviousForeground(GetForegroundWindow()), Parent(parent) {}

CChnDlg::~CChnDlg() {
    if (Hwnd()) DestroyWindow(Hwnd());
}

void CChnDlg::SetItemText(int id, const AString& gbk, bool keepWindowText) {
    const std::u16string text = Utf16FromGbk(gbk);
    const HWND control = Item(id);
    if (!keepWindowText) SetWindowTextUtf16(control, text);
    if (CODBtn2* b = ButtonOf(control)) {
        b->SetCaption(text);
        b->TextBottom = 0;  // measured again at the next painting
        InvalidateRect(control, nullptr, TRUE);
    }
}

DialogPaintHook CChnDlg::SetPaintHook(DialogPaintHook hook) { return std::exchange(PaintHook, hook); }

int CChnDlg::CaptionButtonSize() { return static_cast<int>(GetSystemMetrics(SM_CYSIZE) * 0.8); }

void CChnDlg::LayoutCaptionButtons() {
    RECT wr;
    GetWindowRect(Hwnd(), &wr);
    const int s = CaptionButtonSize(), c = GetSystemMetrics(SM_CYCAPTION), e = GetSystemMetrics(SM_CXEDGE);
    const int by = GetSystemMetrics(SM_CYBORDER);
    CloseRect.top = (5 * e + c - s) / 2 + 1;
    CloseRect.bottom = CloseRect.top + s;
    CloseRect.right = (wr.right - wr.left) - 11 * by;
    CloseRect.left = CloseRect.right - s;
    MaxRect = CloseRect;
    OffsetRect(&MaxRect, -(s + 1), 0);
    InfoRect = CloseRect;
    OffsetRect(&InfoRect, -(2 * s + 23), 0);
}

int CChnDlg::CaptionZone(POINT p) {
    LayoutCaptionButtons();
    if (PtInRect(&CloseRect, p)) return kZoneClose;
    if (HasMaxButton && PtInRect(&MaxRect, p)) return kZoneMax;
    if (InfoNumber != 0 && PtInRect(&InfoRect, p)) return kZoneInfo;
    return kZoneCaption;
}

POINT CChnDlg::WindowPointFromScreen(POINT screen) const {
    RECT wr;
    GetWindowRect(Hwnd(), &wr);
    return {screen.x - wr.left, screen.y - wr.top};
}

void CChnDlg::DrawCaptionButton(int zone, bool pushed) {
    if (!(GetWindowLongW(Hwnd(), GWL_STYLE) & WS_CAPTION)) return;
    LayoutCaptionButtons();
    WindowDc dc(Hwnd(), WindowDc::Whole);
    const UINT push = pushed ? DFCS_PUSHED : 0;
    if (zone == kZoneClose) DrawFrameControl(dc, &CloseRect, DFC_CAPTION, DFCS_CAPTIONCLOSE | push);
    if (zone == kZoneMax && HasMaxButton)
        DrawFrameControl(dc, &MaxRect, DFC_CAPTION, (Maximised ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) | push);
}

void CChnDlg::PaintCaption() {
    const HWND h = Hwnd();
    if (!(GetWindowLongW(h, GWL_STYLE) & WS_CAPTION)) return;
    RECT wr;
    GetWindowRect(h, &wr);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&wr), 2);
    const int b = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
    const int s = CaptionButtonSize(), c = GetSystemMetrics(SM_CYCAPTION);
    WindowDc dc(h, WindowDc::Whole);
    if (Translated()) {
        RECT band{wr.left + 5 * b + 2, 2 * b + 2, wr.right - 3 * by, GetSystemMetrics(SM_CYFRAME) + c - b};
        if (band.right > band.left && band.bottom > band.top) {
            BufferedDc buffer(dc, band);
            Gdi<HBRUSH> fill(CreateSolidBrush(Active ? kBandActive : kBandInactive));
            FillRect(buffer, &band, fill);
            const int bandHeight = band.bottom - band.top;
            int left = band.left;
            if (const auto icon = reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, ICON_SMALL, 0))) {
                DrawIconEx(buffer, left + 1, band.top, icon, bandHeight - 2, bandHeight - 2, 0, nullptr, DI_NORMAL);
                left += 2 * bandHeight;
            }
            if (!Title.empty()) {
                const int oldMode = SetBkMode(buffer, TRANSPARENT);
                const COLORREF oldColour = SetTextColor(buffer, RGB(255, 255, 255));
                DrawGlyphText(buffer, left + 8, band.top + 1, Title, -1, 0, bandHeight - 2, bandHeight - 2, 1);
                SetTextColor(buffer, oldColour);
                SetBkMode(buffer, oldMode);
            }
        }
    }
    LayoutCaptionButtons();
    DrawFrameControl(dc, &CloseRect, DFC_CAPTION,
                     DFCS_CAPTIONCLOSE | (PressedZone == kZoneClose && HoverZone == kZoneClose ? DFCS_PUSHED : 0));
    if (HasMaxButton) DrawFrameControl(dc, &MaxRect, DFC_CAPTION, Maximised ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX);
    if (InfoNumber != 0 && 4 * s < InfoRect.left) {
        const auto bitmap = reinterpret_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_INFO_BUTTON), IMAGE_BITMAP, 0, 0, 0));
        if (bitmap) {
            Gdi<HBITMAP> owned(bitmap);
            BITMAP info{};
            GetObjectW(bitmap, sizeof info, &info);
            MemoryDc memory(dc);
            Selected in(memory, bitmap);
            const int x = (InfoRect.left + InfoRect.right - info.bmWidth) / 2;
            const int y = (InfoRect.top + InfoRect.bottom - info.bmHeight) / 2;
            BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        }
    }
}

void CChnDlg::PlaceSizeGrip() {
    if (!SizeGrip) return;
    RECT client;
    GetClientRect(Hwnd(), &client);
    SetWindowPos(SizeGrip, nullptr, client.right - SizeGripInfo.bmWidth, client.bottom - SizeGripInfo.bmHeight,
                 SizeGripInfo.bmWidth, SizeGripInfo.bmHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CChnDlg::ToggleMaximised() {
    Maximised = !Maximised;
    ShowWindow(Hwnd(), Maximised ? SW_MAXIMIZE : SW_RESTORE);
}

BOOL CChnDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    const HWND h = Hwnd();
    if (GetWindowLongW(h, GWL_STYLE) & WS_THICKFRAME) {
        Resizable = true;
        SizeGripBitmap.Reset(reinterpret_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SIZE_GRIP), IMAGE_BITMAP, 0, 0, 0)));
        if (SizeGripBitmap) GetObjectW(SizeGripBitmap, sizeof SizeGripInfo, &SizeGripInfo);
        SizeGrip = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | SS_BITMAP, 0, 0, SizeGripInfo.bmWidth,
                                   SizeGripInfo.bmHeight, h, reinterpret_cast<HMENU>(0xFFFF), GetModuleHandleW(nullptr),
                                   nullptr);
        if (SizeGrip) {
            SetWindowLongW(SizeGrip, GWL_EXSTYLE, GetWindowLongW(SizeGrip, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
            SendMessageW(SizeGrip, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(SizeGripBitmap.Get()));
            PlaceSizeGrip();
            ShowWindow(SizeGrip, SW_SHOW);
        }
    }
    if (Translated()) {
        AString key = CaptionKey;
        if (key.IsEmpty()) {
            key = WindowTextGbk(h);
            key = WholeGbkPrefix(key, kCaptionBuffer - 1);
        }
        if (!key.IsEmpty()) {
            const UiStrings strings = CurrentUiStrings();
            const AString value = ReadUiValue(strings, key.GetString(), key.GetString(), kCaptionBuffer);
            if (!value.IsEmpty()) {
                // In the strings file's own code page: the German file's is Western.
                Title = Utf16FromGbk(
                    GbkToUiText(value.GetString(), value.GetLength(), UiFileCodePage(strings.language)));
                SetWindowTextW(h, L"");
            }
        }
    } else if (!CaptionKey.IsEmpty()) {
        SetWindowTextGbk(h, CaptionKey);
    }
    if (InfoNumber != 0) {
        AString key;
        key.Format("%d", InfoNumber);
        AString text = ReadUiValue(CurrentUiStrings(), key.GetString(), "", kMessageBuffer);
        text.Replace("\\n", "\r\n");
        InfoText = text.IsEmpty() ? std::u16string() : Utf16FromGbk(MixedToUiText(text.GetString(), text.GetLength()));
        if (InfoText.empty()) InfoNumber = 0;
    }
    SetForegroundWindow(h);
    Decorate(this, DialogId);
    if (Decorates()) {
        SetForegroundWindow(h);
        PostMessageW(h, WM_CHN_REPAINT, 0, 0);
    }
    return TRUE;
}

bool CChnDlg::PreTranslateMessage(MSG& msg) {
    OnKeyCues(msg);
    return Dialog::PreTranslateMessage(msg);
}

LRESULT CChnDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND h = Hwnd();
    switch (message) {
        case WM_NCPAINT: {
            const LRESULT r = Default(message, wParam, lParam);
            PaintCaption();
            return r;
        }
        case WM_NCACTIVATE: {
            Active = wParam != FALSE;
            Default(message, wParam, lParam);  // the system's frame and caption in its new state
            PaintCaption();
            return TRUE;
        }
        case WM_NCHITTEST: {
            if (GetCapture() != h || PressedZone == 0) break;
            const int zone = CaptionZone(WindowPointFromScreen({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
            if (zone != HoverZone) {
                HoverZone = zone;
                DrawCaptionButton(PressedZone, zone == PressedZone);
            }
            return zone;
        }
        case WM_NCLBUTTONDOWN: {
            if (PaneVisible()) HideInfoPane();
            const int zone = CaptionZone(WindowPointFromScreen({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
            if (zone == kZoneClose || zone == kZoneMax || zone == kZoneInfo) {
                // Held here rather than by the system, whose own tracking would take the release.
                DrawCaptionButton(zone, true);
                PressedZone = HoverZone = zone;
                SetCapture(h);
                return 0;
            }
            break;
        }
        case WM_NCLBUTTONDBLCLK: {
            const int zone = CaptionZone(WindowPointFromScreen({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
            if (zone == kZoneCaption && HasMaxButton) {
                ToggleMaximised();
                return 0;
            }
            break;
        }
        case WM_LBUTTONUP: {
            if (PressedZone == 0) break;
            const int held = PressedZone;
            PressedZone = 0;
            DrawCaptionButton(held, false);
            POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            POINT screen = client;
            ClientToScreen(h, &screen);
            const int zone = CaptionZone(WindowPointFromScreen(screen));
            if (GetCapture() == h) ReleaseCapture();
            if (zone == kZoneClose) {
                SendMessageW(h, WM_CLOSE, 0, 0);
            } else if (zone == kZoneMax) {
                ToggleMaximised();
            } else if (zone == kZoneInfo && InfoNumber != 0) {
                POINT at{client.x / 3, client.y};
                ClientToScreen(h, &at);
                ShowInfoPane(h, at.x, at.y, InfoText, false);
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (PressedZone != 0 && reinterpret_cast<HWND>(lParam) != h) {  // taken away: the press is void
                const int held = std::exchange(PressedZone, 0);
                DrawCaptionButton(held, false);
            }
            break;
        case WM_ACTIVATE: {
            const HWND pane = InfoPane().PaneWindow;
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (PaneVisible()) ShowWindow(pane, SW_HIDE);
            } else if (pane && InfoPaneHasText()) {
                ShowWindow(pane, SW_SHOWNOACTIVATE);
            }
            break;
        }
        case WM_SIZE: {
            if (Resizable) PlaceSizeGrip();
            if (HasMaxButton) RelayoutControls();
            break;
        }
        case WM_PAINT: {
            PaintDc paint(h);
            if (PaintHook) PaintHook(h, paint);
            PaintDecorations(paint);
            return 0;
        }
        case WM_DESTROY:
            ReleaseDecorations();
            HideInfoPane();
            break;
        case WM_CHN_REPAINT: InvalidateRect(h, nullptr, TRUE); return 1;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}
