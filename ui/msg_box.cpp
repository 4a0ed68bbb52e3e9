#include "ui/msg_box.h"

#include <algorithm>

#include "app/settings.h"
#include "res/resource_ids.h"
#include "text/gbk.h"
#include "ui/glyph_text.h"

namespace {

HWND messageBoxParent = nullptr;

RECT WindowRectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

}  // namespace

HWND SetMessageBoxParent(HWND parent) { return std::exchange(messageBoxParent, parent); }
HWND MessageBoxParent() { return messageBoxParent && IsWindow(messageBoxParent) ? messageBoxParent : nullptr; }

CMsgBox::CMsgBox(HWND parent) : CChnDlg(IDD_MESSAGE, parent) {}

void CMsgBox::SplitLines() {
    LineCount = 0;
    int start = 0;
    while (LineCount < kMsgBoxMaxLines) {
        const int end = Text.Find("\n", start);
        if (end < 0) {
            Lines[LineCount++] = Text.Mid(start);
            break;
        }
        Lines[LineCount++] = Text.Mid(start, end - start);
        start = end + 1;
    }
}

BOOL CMsgBox::OnInitDialog() {
    if (!CaptionKey.IsEmpty()) SetWindowTextGbk(Hwnd(), CaptionKey);
    CChnDlg::OnInitDialog();
    CreateSharedFonts();
    SplitLines();
    for (int i = 0; i < LineCount; i++) {
        LineIsGlyph[i] = false;
        if (AppSettings.UILanguage == 0) continue;
        if (Literal) {
            LineIsGlyph[i] = true;
        } else if (!Lines[i].IsEmpty()) {
            const AString found = ReadUiValue(CurrentUiStrings(), Lines[i].GetString(), "", kMsgBoxLineBuffer);
            if (!found.IsEmpty()) {
                Lines[i] = found;
                LineIsGlyph[i] = true;
            }
        }
    }

    const HWND first = Item(Type == 4 ? IDYES : IDOK);
    const HWND second = Item(Type == 4 ? IDNO : IDCANCEL);
    const RECT b = WindowRectOf(first);
    const int bw = b.right - b.left, bh = b.bottom - b.top;
    int w = 0, h = 0, total = 0;
    {
        WindowDc dc(Hwnd());
        Selected font(dc, GbUiFont);
        int y = 0;
        for (int i = 0; i < LineCount; i++) {
            SIZE size{};
            if (Lines[i].IsEmpty()) {
                // A blank line still takes the height of a line (the system measures "" as nothing).
                GetTextExtentPoint32W(dc, L" ", 1, &size);
                size.cx = 0;
            } else if (LineIsGlyph[i]) {
                size = MeasureGlyphTextGbk(dc, Lines[i], 16, 16);
            } else {
                const std::u16string wide = Utf16FromGbk(Lines[i]);
                GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(wide.c_str()), static_cast<int>(wide.size()),
                                      &size);
            }
            w = std::max<int>(w, size.cx);
            h = std::max<int>(h, size.cy);
            total += h * 3 / 2;
            y = i == 0 ? size.cy * 5 / 4 : y + size.cy * 3 / 2;
            LinePos[i] = {bh, y};
        }
    }
    const int width = w + 3 * bh, height = (5 * bh) / 2 + total + 2 * h;
    SetWindowPos(Hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, std::max(width, Type != 0 ? 3 * bw : 2 * bw), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    RECT c;
    GetClientRect(Hwnd(), &c);
    const int y = c.bottom - 3 * bh / 2;
    HWND chosen = first;
    if (Type == 0) {
        SetWindowPos(first, nullptr, (c.right - bw) / 2, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_SHOWWINDOW);
        SendMessageW(Hwnd(), DM_SETDEFID, DefaultButton == IDCANCEL ? IDCANCEL : IDOK, 0);
    } else {
        const int x = (c.right - 7 * bw / 3) / 2;
        SetWindowPos(first, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetWindowPos(second, nullptr, x + 4 * bw / 3, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_SHOWWINDOW);
        if (DefaultButton == GetDlgCtrlID(second)) chosen = second;
        SendMessageW(Hwnd(), DM_SETDEFID, static_cast<WPARAM>(GetDlgCtrlID(chosen)), 0);
    }
    SetFocus(chosen);
    return FALSE;  // the focus is set
}

void CMsgBox::OnOK() {
    Result = IDOK;
    CChnDlg::OnOK();
}

bool CMsgBox::OnCommand(int id, int code, HWND control) {
    if (id == IDYES || id == IDNO) {
        Result = id;
        CChnDlg::OnOK();
        return true;
    }
    return CChnDlg::OnCommand(id, code, control);
}

void CMsgBox::Paint(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    Selected font(dc, GbUiFont);
    for (int i = 0; i < LineCount; i++) {
        if (LineIsGlyph[i])
            DrawGlyphTextGbk(dc, LinePos[i].x, LinePos[i].y, Lines[i], -1, 0, 16, 16, 1, kGlyphFontAuto, 1);
        else
            TextOutA(dc, LinePos[i].x, LinePos[i].y, Lines[i].GetString(), Lines[i].GetLength());
    }
}

LRESULT CMsgBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintDc paint(Hwnd());
        Paint(paint);
        return 0;
    }
    return CChnDlg::OnMessage(message, wParam, lParam);
}

int ShowMessage(const AString& text, int type, bool literal, int defaultButton, const char* caption) {
    CMsgBox box(MessageBoxParent());
    box.Text = text;
    box.Type = type;
    box.Literal = literal;
    box.DefaultButton = defaultButton;
    if (caption) box.CaptionKey = caption;
    box.DoModal();
    return box.Result;
}

int ShowMessageW(std::u16string_view text, int type, bool literal, int defaultButton, const char* caption) {
    return ShowMessage(GbkFromUtf16(text), type, literal, defaultButton, caption);
}

int ShowMessageWithCaption(std::u16string_view text, int type, bool literal, int defaultButton,
                           std::u16string_view caption) {
    const AString gbkCaption = GbkFromUtf16(caption);
    return ShowMessage(GbkFromUtf16(text), type, literal, defaultButton, gbkCaption.GetString());
}
