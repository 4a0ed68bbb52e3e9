#include "ui/buttons.h"

#include <windowsx.h>

#include <algorithm>
#include <shellapi.h>

#include "app/settings.h"
#include "res/resource_ids.h"
#include "text/gbk.h"
#include "ui/glyph_text.h"
#include "ui/ui_strings.h"

namespace {

constexpr int kCell = 16;  // the glyph text cell of every caption

int KindOf(HWND control) { return static_cast<int>(GetWindowLongW(control, GWL_STYLE) & 0xFF); }

bool InWindowRect(HWND hwnd, POINT screen) {
    RECT r;
    return GetWindowRect(hwnd, &r) && PtInRect(&r, screen);
}

bool CursorInside(HWND hwnd) {
    POINT p;
    return GetCursorPos(&p) && InWindowRect(hwnd, p);
}

std::u16string U16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }

// The caption as the system would show it: a mnemonic '&' is dropped, "&&" is one '&'.
std::u16string WithoutMnemonic(const std::u16string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] == u'&' && i + 1 < text.size()) i++;
        out += text[i];
    }
    return out;
}

// Undoes SetTextColor and SetBkMode when it goes.
class SavedTextState {
public:
    explicit SavedTextState(HDC dc) : dc_(dc), colour_(GetTextColor(dc)), mode_(GetBkMode(dc)) {}
    ~SavedTextState() {
        SetTextColor(dc_, colour_);
        SetBkMode(dc_, mode_);
    }
    SavedTextState(const SavedTextState&) = delete;
    SavedTextState& operator=(const SavedTextState&) = delete;

private:
    HDC dc_;
    COLORREF colour_;
    int mode_;
};

void ShellOpen(const AString& target) {
    const std::u16string wide = Utf16FromGbk(target);
    ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(wide.c_str()), nullptr, nullptr, SW_SHOWNORMAL);
}

HotlinkLaunch hotlinkLaunch = ShellOpen;

}  // namespace

COLORREF DimColour(COLORREF colour) {
    auto dim = [](int c) { return static_cast<BYTE>((c >= 128 ? c : 255 - c) / 2); };
    return RGB(dim(GetRValue(colour)), dim(GetGValue(colour)), dim(GetBValue(colour)));
}

// ---- CODBtn2 ----

CODBtn2::~CODBtn2() {
    // A live control means a live dialog: leave its registry.
    if (Owner && Hwnd()) Owner->RemoveChild(Hwnd());
}

bool CODBtn2::AttachControl(HWND control) {
    if (!control || (Hwnd() && Hwnd() != control)) return false;
    wchar_t cls[81] = {};
    GetClassNameW(control, cls, 81);
    IsStatic = lstrcmpiW(cls, L"STATIC") == 0;
    TextBottom = 0;
    if (!Hwnd() && !Attach(control)) return false;
    ShowsFocusCues = true;
    const std::u16string text = WindowTextUtf16(control);
    SetCaption(U16(TranslateUiTextW(std::wstring(text.begin(), text.end()))));
    IsPushButton = !IsStatic && !IsCheckBox() && !IsRadioButton();
    Pressed = false;
    if (IsCheckBox() || IsRadioButton()) SetWindowTextW(control, L"");  // the system draws no text
    PointerInside = false;
    if (Owner) Owner->AddChild(control, *this);
    return true;
}

void CODBtn2::SetCaption(const std::u16string& text) {
    Caption = WithoutMnemonic(text);
    if (Hwnd()) Invalidate();
}

bool CODBtn2::IsCheckBox() const {
    const int kind = KindOf(Hwnd());
    return !IsStatic && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX);
}

bool CODBtn2::IsRadioButton() const {
    const int kind = KindOf(Hwnd());
    return !IsStatic && (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON);
}

HWND CODBtn2::CommandTarget() const {
    if (Owner && Owner->Hwnd()) return Owner->Hwnd();
    return GetParent(Hwnd());
}

bool CODBtn2::PreTranslateMessage(MSG& msg) {
    if (msg.hwnd != Hwnd()) return false;
    if (msg.message == WM_KEYDOWN && IsPushButton && (msg.wParam == VK_RETURN || msg.wParam == VK_SPACE)) {
        SendMessageW(CommandTarget(), WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID(Hwnd())), 0);
        return true;
    }
    if (msg.message == WM_MOUSEMOVE && Pressed) {
        POINT p;
        GetCursorPos(&p);
        const bool inside = InWindowRect(Hwnd(), p);
        if (inside != PointerInside) Invalidate();
        PointerInside = inside;
    }
    return false;
}

LRESULT CODBtn2::DefaultRepainted(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT r = Default(message, wParam, lParam);
    Invalidate();
    return r;
}

LRESULT CODBtn2::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_KILLFOCUS:
            if (IsPushButton) return 0;  // a push button's keys are the dialog's (PreTranslateMessage)
            return DefaultRepainted(message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            const LRESULT r = DefaultRepainted(message, wParam, lParam);
            Pressed = message == WM_LBUTTONDOWN;
            return r;
        }
        case WM_SETFOCUS:
        // The button class paints these changes at once, with its own face and text.
        case BM_SETSTATE:
        case BM_SETSTYLE:
        case BM_SETCHECK:
        case WM_ENABLE:
        case WM_UPDATEUISTATE:
            return DefaultRepainted(message, wParam, lParam);
        case WM_PAINT: {
            PaintDc paint(Hwnd());
            RECT client;
            GetClientRect(Hwnd(), &client);
            BufferedDc buffer(paint, client);
            Paint(buffer, client);
            return 0;
        }
    }
    return Default(message, wParam, lParam);
}

void CODBtn2::DrawItem(const DRAWITEMSTRUCT& item) {
    BufferedDc buffer(item.hDC, item.rcItem);
    DrawPushButtonFace(buffer, item.rcItem);
}

void CODBtn2::Paint(HDC dc, const RECT& client) {
    if (IsPushButton) {
        DrawPushButtonFace(dc, client);
        return;
    }
    RECT around = client;
    InflateRect(&around, 2, 2);
    FillRect(dc, &around, GetSysColorBrush(COLOR_BTNFACE));
    const bool checked = SendMessageW(Hwnd(), BM_GETCHECK, 0, 0) != 0;
    const bool box = IsCheckBox() || IsRadioButton();
    RECT boxRect{};
    if (box) {
        const int s = std::min(GetSystemMetrics(SM_CXMENUCHECK), GetDeviceCaps(dc, LOGPIXELSY) * 10 / 72);
        const int top = client.top + (client.bottom - client.top - s) / 2;
        boxRect = {client.left, top, client.left + s, top + s};
        UINT state = IsRadioButton() ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
        if (checked) state |= DFCS_CHECKED;
        if (!IsWindowEnabled(Hwnd())) state |= DFCS_INACTIVE;
        DrawFrameControl(dc, &boxRect, DFC_BUTTON, state);
    }
    SavedTextState saved(dc);
    if (IsStatic && GetDlgCtrlID(Hwnd()) == kVersionStaticId) {
        const int language = AppSettings.UILanguage;
        AString line;
        line.Format("%s %d.%02d", IsLatinUiLanguage(language) ? "Version" : "版本"_gbk.GetString(), 5, 31);
        if (language != 0) line = TranslateUiText(line);
        Caption = Utf16FromGbk(line);
        SetTextColor(dc, RGB(0, 0, 255));
    }
    Selected font(dc, GetStockObject(DEFAULT_GUI_FONT));
    if (TextBottom == 0) {
        const SIZE extent = MeasureGlyphText(dc, Caption, kCell, kCell);
        if (box) {
            TextTop = client.top + 3;
            TextLeft = boxRect.right + (boxRect.right - boxRect.left) / 3;
            TextBottom = std::max(GetSystemMetrics(SM_CXMENUCHECK), 16) + TextTop;
        } else {
            TextTop = 0;
            const bool right = (GetWindowLongW(Hwnd(), GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
            TextLeft = right ? std::max<int>(0, client.right - extent.cx - 2) : 0;
            TextBottom = 16;
        }
        TextRight = std::min<int>(TextLeft + extent.cx + 2, client.right - 1);
    }
    DrawGlyphText(dc, TextLeft, TextTop, Caption, -1, 0, kCell, kCell, 1, kGlyphFontAuto, 1);
    if (box && GetFocus() == Hwnd()) {
        const RECT focus{TextLeft - 1, TextTop - 1, TextRight + 1, TextBottom};
        DrawFocusRect(dc, &focus);
    }
}

void CODBtn2::DrawPushButtonFace(HDC dc, const RECT& r) {
    const bool focused = GetFocus() == Hwnd();
    const bool pressed = Pressed && CursorInside(Hwnd());
    const bool disabled = !IsWindowEnabled(Hwnd());
    RECT face = r;
    const LRESULT defId = SendMessageW(CommandTarget(), DM_GETDEFID, 0, 0);
    if (HIWORD(defId) == DC_HASDEFID && LOWORD(defId) == GetDlgCtrlID(Hwnd())) {
        Selected pen(dc, GetStockObject(BLACK_PEN));
        Selected brush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        InflateRect(&face, -1, -1);
    }
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    if (!Caption.empty()) {
        Selected font(dc, GetStockObject(DEFAULT_GUI_FONT));
        const SIZE extent = MeasureGlyphText(dc, Caption, kCell, kCell);
        const int shift = pressed ? 1 : 0;
        const int x = std::max<int>(0, (r.right - r.left - extent.cx) / 2) + shift;
        const int y = std::max<int>(0, (r.bottom - r.top - extent.cy) / 2) + shift;
        SavedTextState saved(dc);
        SetBkMode(dc, TRANSPARENT);
        if (disabled) SetTextColor(dc, DimColour(GetTextColor(dc)));
        DrawGlyphText(dc, r.left + x, r.top + y, Caption, -1, 0, kCell, kCell, 1, kGlyphFontAuto, 1);
    }
    if (!disabled && focused) {
        const int w = r.right - r.left, h = r.bottom - r.top;
        const int smaller = std::min(w, h);
        const int inset = (smaller & ~3) < 13 ? smaller / 4 : 3;
        RECT focus = r;
        InflateRect(&focus, -inset, -inset);
        DrawFocusRect(dc, &focus);
    }
}

// ---- CSplitterBtn ----

CSplitterBtn::~CSplitterBtn() {
    if (dialog_ && Hwnd()) dialog_->RemoveChild(Hwnd());
}

bool CSplitterBtn::Attach(Dialog& dialog, HWND control) {
    if (!Subclass::Attach(control)) return false;
    dialog_ = &dialog;
    dialog.AddChild(control, *this);
    return true;
}

bool CSplitterBtn::Wide() const {
    RECT r;
    GetWindowRect(Hwnd(), &r);
    return r.right - r.left > r.bottom - r.top;
}

void CSplitterBtn::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemAction != ODA_DRAWENTIRE) return;
    const bool wide = item.rcItem.right - item.rcItem.left > item.rcItem.bottom - item.rcItem.top;
    Gdi<HBITMAP>& bitmap = wide ? horizontal_ : vertical_;
    BITMAP& info = wide ? horizontalInfo_ : verticalInfo_;
    if (!bitmap) {
        bitmap.Reset(LoadBitmapW(GetModuleHandleW(nullptr),
                                 MAKEINTRESOURCEW(wide ? IDB_SPLITTER_HORZ : IDB_SPLITTER_VERT)));
        if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return;
    }
    // The bitmap is the buffer: one copy to the screen.
    MemoryDc source(item.hDC);
    Selected picture(source, bitmap);
    BitBlt(item.hDC, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
}

LRESULT CSplitterBtn::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            PressPoint = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            SetCapture(Hwnd());
            InvalidateRect(Hwnd(), nullptr, FALSE);
            return Default(message, wParam, lParam);
        case WM_MOUSEMOVE: {
            const LRESULT r = Default(message, wParam, lParam);
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (GetCapture() == Hwnd() && (p.x != PressPoint.x || p.y != PressPoint.y) && Listener)
                Listener->OnSplitterDrag(p.x - PressPoint.x, p.y - PressPoint.y);
            return r;
        }
        case WM_LBUTTONUP:
            ReleaseCapture();
            InvalidateRect(Hwnd(), nullptr, FALSE);
            return Default(message, wParam, lParam);
        case WM_SETCURSOR:
            SetCursor(SystemCursor(Wide() ? IDC_SIZENS : IDC_SIZEWE));
            return TRUE;
    }
    return Default(message, wParam, lParam);
}

// ---- CStaticHotlink ----

HotlinkLaunch SetHotlinkLaunch(HotlinkLaunch launch) {
    const HotlinkLaunch previous = hotlinkLaunch;
    hotlinkLaunch = launch ? launch : ShellOpen;
    return previous;
}

CStaticHotlink::~CStaticHotlink() {
    if (dialog_ && Hwnd()) dialog_->RemoveChild(Hwnd());
}

bool CStaticHotlink::Attach(Dialog& dialog, HWND control) {
    if (!Subclass::Attach(control)) return false;
    dialog_ = &dialog;
    dialog.AddChild(control, *this);
    return true;
}

AString CStaticHotlink::Target() const {
    const AString text = WindowTextGbk(Hwnd());
    if (text.IsEmpty()) return {};
    if (IsMail) return AString("mailto:") + text;
    return Url.IsEmpty() ? text : Url;
}

bool CStaticHotlink::OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_CTLCOLORSTATIC) {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        if (!LinkFont) {
            LOGFONTW lf{};
            const auto font = reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
            GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
            lf.lfUnderline = TRUE;
            LinkFont.Reset(CreateFontIndirectW(&lf));
            // Some static classes select their own font after this request: make it the link font.
            if (LinkFont) {
                SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(LinkFont.Get()), FALSE);
                InvalidateRect(Hwnd(), nullptr, TRUE);
            }
        }
        if (LinkFont) SelectObject(dc, LinkFont);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        const AString target = Target();
        if (!target.IsEmpty()) {
            const HCURSOR before = SetCursor(SystemCursor(IDC_WAIT));
            hotlinkLaunch(target);
            SetCursor(before);
        }
        result = 0;
        return true;
    }
    return false;
}

LRESULT CStaticHotlink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETCURSOR) {
        if (GetWindowTextLengthW(Hwnd()) == 0) return Default(message, wParam, lParam);  // the class cursor
        SetCursor(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDCUR_HAND)));
        return TRUE;
    }
    return Default(message, wParam, lParam);
}
