#include "app/sys_opt.h"

#include "app/settings.h"
#include "app/shortcut.h"
#include "app/toolbar.h"
#include "res/resource_ids.h"
#include "ui/ui_strings.h"

namespace {

struct OfferedLanguage {
    int index;
    bool untranslated;  // the display name is shown as it is
    bool needsFile;     // offered only when its strings file exists
};
constexpr OfferedLanguage kOffered[] = {
    {0, true, false},
    {3, true, true},
    {1, false, false},
    {2, false, false},
};
constexpr int kLanguageItemHeight = 18;

bool FileExists(const AString& path) {
    const DWORD attributes = GetFileAttributesA(path.GetString());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int OfferedUiLanguages(int (&languages)[4]) {
    int n = 0;
    for (const OfferedLanguage& l : kOffered)
        if (!l.needsFile || FileExists(UiStringFileName(l.index))) languages[n++] = l.index;
    return n;
}

CSysOpt::CSysOpt(HWND parent) : CChnDlg(IDD_SYSTEM_OPTIONS, parent) {
    StartupAtBoot = AppSettings.StartupAtBoot;
    Language = AppSettings.UILanguage;
}

void CSysOpt::DoDataExchange(DataExchange& dx) { dx.Check(IDC_STARTUP_AT_BOOT, StartupAtBoot); }

BOOL CSysOpt::OnInitDialog() {
    const HWND box = Item(IDC_UI_LANGUAGE);
    LanguageBox.Attach(box);
    const BOOL result = CChnDlg::OnInitDialog();
    LanguageBox.InitHistory("NoMRU", kLanguageItemHeight);
    int languages[4];
    const int count = OfferedUiLanguages(languages);
    int selected = 0;
    for (int i = 0; i < count; i++) {
        const OfferedLanguage* row = nullptr;
        for (const OfferedLanguage& l : kOffered)
            if (l.index == languages[i]) row = &l;
        const AString name(UiLanguageName(languages[i]));
        const int item = LanguageBox.AddString(row->untranslated ? name : TranslateUiText(name));
        if (item < 0) continue;
        SendMessageW(box, CB_SETITEMDATA, item, languages[i]);
        if (languages[i] == AppSettings.UILanguage) selected = item;
    }
    SendMessageW(box, CB_SETCURSEL, selected, 0);
    return result;
}

void CSysOpt::OnOK() {
    const LRESULT item = SendMessageW(Item(IDC_UI_LANGUAGE), CB_GETCURSEL, 0, 0);
    if (item != CB_ERR) Language = static_cast<int>(SendMessageW(Item(IDC_UI_LANGUAGE), CB_GETITEMDATA, item, 0));
    CChnDlg::OnOK();
}

LRESULT CSysOpt::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure.CtlID == IDC_UI_LANGUAGE && CComboMRU::MeasureItem(measure)) return TRUE;
    }
    if (message == WM_DRAWITEM) {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw.CtlType == ODT_COMBOBOX && LanguageBox.DrawItem(draw)) return TRUE;
    }
    return CChnDlg::OnMessage(message, wParam, lParam);
}

void ApplySystemOptions(int language, int startupAtBoot) {
    if (language != AppSettings.UILanguage) {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        ChooseUiStringFile();
        if (MainFrame) MainFrame->Menus().ReloadMenus();
        UpdateLoopCheck();
    }
    AppSettings.StartupAtBoot = startupAtBoot ? 1 : 0;
    if (ToolbarWindow) RepaintToolbar();
    UpdateStartupShortcut(AppSettings.StartupAtBoot != 0);
    SaveSettings();
}

void RunSystemOptions(HWND owner) {
    CSysOpt dialog(owner);
    if (dialog.DoModal() == IDOK) ApplySystemOptions(dialog.Language, dialog.StartupAtBoot);
}
