#include "ui/dialog.h"

#include <algorithm>

#include "text/gbk.h"
#include "ui/ui_messages.h"

namespace {

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

std::u16string WindowTextUtf16(HWND hwnd) {
    if (!hwnd) return {};
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)), u'\0');
    const int n = GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

AString WindowTextGbk(HWND hwnd) { return GbkFromUtf16(WindowTextUtf16(hwnd)); }

bool SetWindowTextUtf16(HWND hwnd, std::u16string_view text) {
    return hwnd && SetWindowTextW(hwnd, Wide(std::u16string(text))) != FALSE;
}

bool SetWindowTextGbk(HWND hwnd, const AString& gbk) { return hwnd && SetWindowTextW(hwnd, Wide(Utf16FromGbk(gbk))); }

HWND DataExchange::Control(int id) {
    const HWND control = GetDlgItem(dialog_, id);
    if (!control) failed_ = true;
    return control;
}

void DataExchange::Check(int id, int& state) {
    const HWND control = Control(id);
    if (!control) return;
    if (save_)
        state = static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
    else
        SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void DataExchange::ComboIndex(int id, int& index) {
    const HWND control = Control(id);
    if (!control) return;
    if (save_)
        index = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
    else
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DataExchange::ComboText(int id, AString& gbk) {
    const HWND control = Control(id);
    if (!control) return;
    if (save_) {
        gbk = WindowTextGbk(control);
    } else if ((GetWindowLongW(control, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
        const std::u16string text = Utf16FromGbk(gbk);
        const LRESULT at =
            SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Wide(text)));
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(at), 0);  // CB_ERR clears the selection
    } else {
        SetWindowTextGbk(control, gbk);
    }
}

void DataExchange::Text(int id, AString& gbk) {
    const HWND control = Control(id);
    if (!control) return;
    if (save_)
        gbk = WindowTextGbk(control);
    else
        SetWindowTextGbk(control, gbk);
}

void DataExchange::Text(int id, std::u16string& text) {
    const HWND control = Control(id);
    if (!control) return;
    if (save_)
        text = WindowTextUtf16(control);
    else
        SetWindowTextUtf16(control, text);
}

Dialog::Dialog(int templateId, HINSTANCE instance)
    : templateId_(templateId), instance_(instance ? instance : GetModuleHandleW(nullptr)) {}

Dialog::~Dialog() {
    if (hwnd_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (hwnd_) return -1;
    if (owner) owner = GetAncestor(owner, GA_ROOT);
    const HWND focus = GetFocus();
    modal_ = true;
    ended_ = false;
    result_ = IDCANCEL;  // a dialog destroyed without EndDialog
    if (!CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, Proc, reinterpret_cast<LPARAM>(this))) {
        modal_ = false;
        return -1;
    }
    const bool disabled = owner && IsWindowEnabled(owner) && !ended_;
    if (disabled) EnableWindow(owner, FALSE);
    if (!ended_ && hwnd_) ShowWindow(hwnd_, SW_SHOWNORMAL);

    while (!ended_ && hwnd_) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {  // the program is quitting: end here, the outer loop sees WM_QUIT again
            PostQuitMessage(static_cast<int>(msg.wParam));
            result_ = IDCANCEL;
            break;
        }
        if (RouteMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // The owner first, so that it takes the activation back from the closing dialog.
    if (disabled) EnableWindow(owner, TRUE);
    if (hwnd_) {
        if (owner && GetActiveWindow() == hwnd_) SetActiveWindow(owner);
        DestroyWindow(hwnd_);
    }
    if (focus && IsWindow(focus)) SetFocus(focus);
    modal_ = false;
    return result_;
}

HWND Dialog::Create(HWND owner) {
    if (hwnd_) return nullptr;
    modal_ = false;
    return CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, Proc, reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR code) {
    result_ = code;
    if (!modal_) {
        if (hwnd_) DestroyWindow(hwnd_);
        return;
    }
    ended_ = true;
    if (hwnd_) PostMessageW(hwnd_, WM_UI_END_MODAL, 0, 0);  // wakes the loop's GetMessage
}

bool Dialog::RouteMessage(MSG& msg) {
    if (!hwnd_) return false;
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
    for (HWND h = msg.hwnd; h && h != hwnd_; h = GetParent(h)) {
        if (DialogChild* child = ChildOf(h); child && child->PreTranslateMessage(msg)) return true;
    }
    if (PreTranslateMessage(msg)) return true;
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

bool Dialog::UpdateData(bool save) {
    if (!hwnd_) return false;
    DataExchange dx(hwnd_, save);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::AddChild(HWND control, DialogChild& child) {
    if (!control) return;
    RemoveChild(control);
    children_.emplace_back(control, &child);
}

void Dialog::RemoveChild(HWND control) {
    std::erase_if(children_, [&](const auto& entry) { return entry.first == control; });
}

DialogChild* Dialog::ChildOf(HWND control) const {
    for (const auto& [hwnd, child] : children_) {
        if (hwnd == control) return child;
    }
    return nullptr;
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

bool Dialog::OnCommand(int id, int code, HWND control) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

LRESULT Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            // lParam is the control for these (null for a menu or accelerator command).
            if (DialogChild* child = lParam ? ChildOf(reinterpret_cast<HWND>(lParam)) : nullptr) {
                LRESULT answer = 0;
                if (child->OnReflectedMessage(message, wParam, lParam, answer)) return answer;
            }
            if (message != WM_COMMAND) break;
            if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            break;
        case WM_DRAWITEM: {
            // The item's window is in DRAWITEMSTRUCT; for a menu item hwndItem is the menu.
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_MENU) break;
            if (DialogChild* child = ChildOf(item.hwndItem)) {
                child->DrawItem(item);
                return TRUE;
            }
            break;
        }
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_MENU) break;
            if (DialogChild* child = ChildOf(Item(static_cast<int>(item.CtlID)))) {
                child->MeasureItem(item);
                return TRUE;
            }
            break;
        }
        case WM_UI_END_MODAL: return 0;
    }
    return Default(message, wParam, lParam);
}

LRESULT Dialog::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    // DefDlgProcW first calls Proc, which answers "not handled" for this one call.
    defaulting_ = true;
    const LRESULT result = DefDlgProcW(hwnd_, message, wParam, lParam);
    defaulting_ = false;
    return result;
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    // Messages before WM_INITDIALOG (WM_SETFONT, a fixed owner-drawn item's WM_MEASUREITEM).
    if (!self) return FALSE;
    if (self->defaulting_) {
        self->defaulting_ = false;
        return FALSE;
    }
    const LRESULT result = message == WM_INITDIALOG ? self->OnInitDialog() : self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        self->children_.clear();
        if (self->modal_) self->ended_ = true;
        return TRUE;
    }
    switch (message) {
        // Answered by the procedure's return value rather than DWLP_MSGRESULT.
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON: return static_cast<INT_PTR>(result);
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
