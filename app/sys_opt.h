#pragma once
// The system preferences dialog (template IDD_SYSTEM_OPTIONS): start at logon
// and the interface language, and what its confirmation changes: the strings
// file, the toolbar's menus, the start-up shortcut and the settings file.
#include <windows.h>

#include "ui/chn_dlg.h"
#include "ui/combo_mru.h"

class CSysOpt : public CChnDlg {
public:
    explicit CSysOpt(HWND parent);

    int StartupAtBoot = 0;  // check box 1112, a copy of the setting
    int Language = 0;       // the chosen language index, set by OK
    CComboMRU LanguageBox;  // combo box 1121, no history

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(DataExchange& dx) override;
};

// The offered languages in their order (0, 3, 1, 2); German only when its
// strings file exists.
int OfferedUiLanguages(int (&languages)[4]);

// The changes of a confirmed dialog: a new language (strings file, menus
// rebuilt, loop check), StartupAtBoot with the toolbar repainted, the
// start-up shortcut created or deleted, the settings saved.
void ApplySystemOptions(int language, int startupAtBoot);

// Runs the dialog and applies it on OK (the toolbar's dialog runner).
void RunSystemOptions(HWND owner);
