#pragma once
// The welcome window shown once start-up is complete: the welcome picture
// from the program's folder, "Continue" and "Do not stop here next time"
// below it.
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <string>

#include "ui/chn_dlg.h"
#include "ui/gdi.h"

class CSplashWnd : public CChnDlg {
public:
    explicit CSplashWnd(HWND parent = nullptr);

    // The picture's file: ModuleFolder + "welcome_tesmarel.jpg".
    static std::string PictureFile();
    // The picture's size in pixels; zero when no picture was loaded.
    SIZE PictureSize() const { return pictureSize_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool LoadPicture();
    void LayOutBelowPicture();

    ComPtr<IPicture> picture_;
    SIZE pictureHimetric_{};
    SIZE pictureSize_{};
};

// Runs the welcome window modally (start-up calls it unless
// NoStopAtUsageDlgOnStart is set).
void RunWelcome();
