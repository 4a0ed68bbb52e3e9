#include "reader/find_text.h"

#include "res/resource_ids.h"
#include "ui/msg_box.h"
#include "ui/ui_strings.h"

namespace {
constexpr int kFindItemHeight = 18;
constexpr int kPleaseGiveFindText = 60;
}  // namespace

CFindText::CFindText(HWND parent) : CChnDlg(IDD_FIND, parent) {}

void CFindText::DoDataExchange(DataExchange& dx) {
    dx.Check(IDC_MATCH_CASE, MatchCase);
    dx.Check(IDC_UP_FINDING, Up);
}

void CFindText::ShowStartButton() {
    ShowWindow(Item(IDC_FIND_FROM_TOP), Up ? SW_HIDE : SW_SHOW);
    ShowWindow(Item(IDC_FIND_FROM_BOTTOM), Up ? SW_SHOW : SW_HIDE);
}

BOOL CFindText::OnInitDialog() {
    const HWND box = Item(IDC_FIND_TEXT);
    HistoryBox.Attach(box);
    const BOOL result = CChnDlg::OnInitDialog();
    StartButtonUsed = 0;
    UpdateData(true);
    ShowStartButton();
    if (!HistoryFolder.empty()) HistoryBox.SetHistoryFolder(HistoryFolder);
    HistoryBox.InitHistory("FindText", kFindItemHeight);
    if (!PatternText.empty()) SetWindowTextUtf16(box, PatternText);
    PostMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_FIND_TEXT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    return result;
}

void CFindText::OnOK() {
    UpdateData(true);
    HistoryBox.AddCurrentText();
    PatternText = WindowTextUtf16(Item(IDC_FIND_TEXT));
    if (PatternText.empty()) {
        ShowMessage(UiString(kPleaseGiveFindText), 0, true, -1, nullptr);
        StartButtonUsed = 0;
        return;
    }
    HistoryBox.SaveHistory();
    CChnDlg::OnOK();
}

bool CFindText::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_UP_FINDING:
        if (code != BN_CLICKED) return false;
        UpdateData(true);
        ShowStartButton();
        return true;
    case IDC_FIND_FROM_TOP:
    case IDC_FIND_FROM_BOTTOM:
        if (code != BN_CLICKED) return false;
        StartButtonUsed = 1;
        OnOK();
        return true;
    case IDC_FIND_TEXT:
        if (code != CBN_SELCHANGE) return false;
        if (CEditEx& edit = HistoryBox.Edit(); edit.Hwnd()) {
            edit.RedrawPending = true;
            PostMessageW(edit.Hwnd(), WM_KEYDOWN, VK_PAUSE, 0);
        }
        return true;
    default:
        return CChnDlg::OnCommand(id, code, control);
    }
}

LRESULT CFindText::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure.CtlID == IDC_FIND_TEXT && CComboMRU::MeasureItem(measure)) return TRUE;
    }
    if (message == WM_DRAWITEM) {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw.CtlType == ODT_COMBOBOX && HistoryBox.DrawItem(draw)) return TRUE;
    }
    return CChnDlg::OnMessage(message, wParam, lParam);
}
