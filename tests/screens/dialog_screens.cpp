// Pictures of every dialog template of the program, in English and in
// simplified Chinese, through the dialog base; the message box with one and
// with eight lines; the information pane next to a dialog. They go to
// build/screens/dialogs/ for a person to look at; the checks here only make
// sure that each window opened and was saved.
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/environment.h"
#include "app/settings.h"
#include "res/resource_ids.h"
#include "tests/support/scratch_folder.h"
#include "tests/ui/interface_language.h"
#include "tests/support/screenshot.h"
#include "tests/support/text_literals.h"
#include "tools/png/png.h"
#include "ui/chn_dlg.h"
#include "ui/glyph_text.h"
#include "ui/info_pane.h"
#include "ui/msg_box.h"
#include "ui/ui_strings.h"
#include "ui/window.h"

namespace fs = std::filesystem;

namespace {

void Pump(HWND dialogWindow, Dialog* d) {
    for (int round = 0; round < 4; round++) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (d && d->Hwnd() && d->RouteMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (dialogWindow) RedrawWindow(dialogWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        Sleep(10);
    }
}

const char* Suffix(int language) { return language ? "zh" : "en"; }

class Screens : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(language_.FontsReady());
        LoadLibraryW(L"riched20.dll");  // the reader templates' panes
    }
    void TearDown() override {
        HideInfoPane();
        Use(0);
    }
    void Use(int language) { language_.Use(language); }
    InterfaceLanguage language_{0};
};

TEST_F(Screens, EveryDialogTemplateInBothLanguages) {
    for (int language : {0, 1}) {
        Use(language);
        for (int id : {IDD_WELCOME, IDD_ABOUT, IDD_FIND, IDD_MESSAGE, IDD_SYSTEM_OPTIONS, IDD_SPEECH_OPTIONS,
                       IDD_READER_SMALL, IDD_READER_LARGE}) {
            CChnDlg d(id, nullptr);
            ASSERT_TRUE(d.Create(nullptr)) << id;
            if (id == IDD_MESSAGE)  // its buttons are hidden until the box places them
                for (int b : {IDOK, IDYES, IDNO, IDCANCEL}) ShowWindow(d.Item(b), SW_SHOW);
            SetWindowPos(d.Hwnd(), HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
            SetForegroundWindow(d.Hwnd());
            Pump(d.Hwnd(), &d);
            const std::string name = "dialogs/" + std::to_string(id) + "_" + Suffix(language);
            EXPECT_FALSE(SaveScreenshot(d.Hwnd(), name).empty()) << name;
        }
        // File dialog extensions: child templates in a plain host window.
        for (int id : {IDD_FILE_SAVE_EXTRA, IDD_FILE_OPEN_EXTRA}) {
            Window host;
            ASSERT_TRUE(host.Create({.title = L"host",
                                     .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     .x = 20,
                                     .y = 20,
                                     .width = 520,
                                     .height = 140}));
            CChnDlg d(id, nullptr);
            ASSERT_TRUE(d.Create(host.Hwnd())) << id;
            ShowWindow(d.Item(IDC_EXTRA_LIST), SW_SHOW);
            SetWindowPos(host.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            Pump(host.Hwnd(), &d);
            const std::string name = "dialogs/" + std::to_string(id) + "_" + Suffix(language);
            EXPECT_FALSE(SaveScreenshot(host.Hwnd(), name).empty()) << name;
            DestroyWindow(d.Hwnd());
        }
    }
}

// Saves the open message box, then closes it.
std::string boxName;
void CALLBACK SaveBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM out) {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (lstrcmpW(cls, L"#32770") || !IsWindowVisible(h)) return TRUE;
            *reinterpret_cast<HWND*>(out) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, id);
    Pump(box, nullptr);
    EXPECT_FALSE(SaveScreenshot(box, boxName).empty()) << boxName;
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(Screens, MessageBoxWithOneAndEightLines) {
    for (int language : {0, 1}) {
        Use(language);
        struct Case {
            const char* name;
            AString text;
            int type;
        } cases[] = {
            {"msgbox_1line", "Text not found!", 0},
            {"msgbox_8lines",
             Gbk("File already exists. Overwrite it?\nSaved as %s.\nThere is no text to save.\nPlease wait\n"
                 "Text not found!\nClosing old speech\n中文一行：朗读、拼音与释义\nThe last line, 8"),
             4},
        };
        for (const Case& c : cases) {
            boxName = std::string("dialogs/") + c.name + "_" + Suffix(language);
            const UINT_PTR timer = SetTimer(nullptr, 0, 100, SaveBox);
            EXPECT_EQ(ShowMessage(c.text, c.type, false, -1, "Zhorvan"), IDCANCEL);
            KillTimer(nullptr, timer);
        }
    }
}

TEST_F(Screens, InformationPaneNextToADialog) {
    for (int language : {0, 1}) {
        Use(language);
        CChnDlg d(IDD_FIND, nullptr);
        d.InfoNumber = 1010;
        ASSERT_TRUE(d.Create(nullptr));
        SetWindowPos(d.Hwnd(), HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        Pump(d.Hwnd(), &d);
        ASSERT_NE(d.InfoNumber, 0);
        d.LayoutCaptionButtons();
        RECT wr;
        GetWindowRect(d.Hwnd(), &wr);
        const POINT at{wr.left + (d.InfoRect.left + d.InfoRect.right) / 2,
                       wr.top + (d.InfoRect.top + d.InfoRect.bottom) / 2};
        SendMessageW(d.Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
        POINT client = at;
        ScreenToClient(d.Hwnd(), &client);
        SendMessageW(d.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
        Pump(d.Hwnd(), &d);
        ASSERT_TRUE(InfoPaneHasText());
        const HWND pane = InfoPane().PaneWindow;
        RedrawWindow(pane, nullptr, nullptr, RDW_UPDATENOW);
        RECT pr, all;
        GetWindowRect(pane, &pr);
        UnionRect(&all, &wr, &pr);
        DibSection pic(all.right - all.left, all.bottom - all.top);
        const HDC screen = GetDC(nullptr);
        BitBlt(pic.Dc(), 0, 0, pic.Width(), pic.Height(), screen, all.left, all.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        const std::string path = ScreensFolder() + "/dialogs/info_pane_" + Suffix(language) + ".png";
        EXPECT_TRUE(WritePng(path, pic.Width(), pic.Height(), pic.Pixels())) << path;
        HideInfoPane();
    }
}

}  // namespace
