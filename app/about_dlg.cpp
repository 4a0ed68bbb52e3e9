#include "app/about_dlg.h"

#include <ctime>

#include "res/resource_ids.h"
#include "text/gbk.h"
#include "ui/msg_box.h"
#include "ui/ui_strings.h"

namespace {

constexpr char16_t kCredits[] =
    u"This program accesses the freely available open source dictionary file CEDICT,\n"
    u"which we provide here without any cost to end user.\n"
    u"These files may be freely used by individuals, and may be accessed by software\n"
    u"belonging to, or operated by, such individuals.\n"
    u"We thank all the dictionary's contributors (We are one of them) for their work\n"
    u"which enables the easier learning of Chinese language.";

struct Link {
    int id;
    const char* text;
    const char* url;
    CStaticHotlink CAboutDlg::*member;
};
constexpr Link kLinks[] = {
    {IDC_LINK_HOME, UiText("Home page"), kHomePageUrl, &CAboutDlg::HomeLink},
    {IDC_LINK_CONTACT, UiText("Contact"), kContactUrl, &CAboutDlg::ContactLink},
};

HICON AppIcon(int metricX, int metricY) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0));
}

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    char year[8] = {};
    std::strftime(year, sizeof year, "%Y", &local);
    return std::atoi(year);
}

}  // namespace

CAboutDlg::CAboutDlg(HWND parent) : CChnDlg(IDD_ABOUT, parent) {}

CAboutDlg::~CAboutDlg() {
    if (Hwnd()) DestroyWindow(Hwnd());  // the icons outlive the window that shows them
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

AString CAboutDlg::YearLine(int year) {
    AString line;
    line.Format("%s (C) %d Zhorvan", TranslateUiText(AString(UiText("Copyright"))).GetString(), year);
    return line;
}

std::u16string CAboutDlg::CreditsText() { return kCredits; }

BOOL CAboutDlg::OnInitDialog() {
    // The links are taken first, so that the dialog base leaves them to their one owner.
    for (const Link& l : kLinks) {
        CStaticHotlink& link = this->*l.member;
        link.Url = l.url;
        SetWindowTextW(Item(l.id), TranslateUiTextW(std::wstring(l.text, l.text + std::strlen(l.text))).c_str());
        link.Attach(*this, Item(l.id));
    }
    const BOOL result = CChnDlg::OnInitDialog();
    SetItemText(IDC_YEAR_LINE, YearLine(CurrentYear()), false);
    bigIcon_ = AppIcon(SM_CXICON, SM_CYICON);
    smallIcon_ = AppIcon(SM_CXSMICON, SM_CYSMICON);
    if (bigIcon_) SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    if (smallIcon_) SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    return result;
}

bool CAboutDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_CREDITS && code == BN_CLICKED) {
        ShowMessageWithCaption(kCredits, MB_OK, true, -1, u"Credits");
        return true;
    }
    return CChnDlg::OnCommand(id, code, control);
}

void RunAboutBox(HWND owner) {
    CAboutDlg about(owner);
    about.DoModal();
}
