#pragma once
// The modal "Find" dialog of the annotated rich-edit control: the search text
// with its history ("FindText"), case matching and where the search starts.
// It does not search; the caller reads its members back and searches.
#include <windows.h>

#include <string>

#include "ui/chn_dlg.h"
#include "ui/combo_mru.h"

class CFindText : public CChnDlg {
public:
    explicit CFindText(HWND parent);
    ~CFindText() override = default;

    int MatchCase = 0;  // check box 1035
    CComboMRU HistoryBox;
    int Up = 0;  // check box 1036: start at the bottom and search backwards
    int StartButtonUsed = 0;  // ended with "Find From &Top" or "Find From &Bottom"
    std::u16string PatternText;
    // The folder of the history file (ending in a separator); empty: ModuleFolder.
    std::string HistoryFolder;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(DataExchange& dx) override;

private:
    void ShowStartButton();
};
