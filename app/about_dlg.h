#pragma once
// The about box (template IDD_ABOUT): the program's icon, the version line
// drawn in blue by the dialog base, a line with the current year, two links
// to the maker's pages and the "Credits" button.
#include <windows.h>

#include <string>

#include "ui/buttons.h"
#include "ui/chn_dlg.h"

// The link targets of statics 1113 and 1114.
inline constexpr const char* kHomePageUrl = "https://zhorvan.example.org/";
inline constexpr const char* kContactUrl = "https://zhorvan.example.org/contact";

class CAboutDlg : public CChnDlg {
public:
    explicit CAboutDlg(HWND parent);
    ~CAboutDlg() override;

    // "Copyright (C) <year> Zhorvan", its first word translated (GBK).
    static AString YearLine(int year);
    // The text of the "Credits" message.
    static std::u16string CreditsText();

    CStaticHotlink HomeLink;     // 1113
    CStaticHotlink ContactLink;  // 1114

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
};

// Runs the about box (the toolbar's dialog runner).
void RunAboutBox(HWND owner);
