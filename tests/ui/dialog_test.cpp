#include "ui/dialog.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/screenshot.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "tests/ui/test_dialogs.h"
#include "ui/window.h"

namespace {

constexpr UINT kRun = WM_APP + 50;  // posted to the dialog: runs FormDialog::inLoop inside the modal loop

struct Form {
    int check = BST_CHECKED;
    int listIndex = 2;
    AString comboText = Gbk("银行");
    AString editText = Gbk("中文 text");
};

// Paints its owner-drawn button red and records what it was asked to draw.
class Swatch : public DialogChild {
public:
    std::vector<DRAWITEMSTRUCT> drawn;
    UINT measuredId = 0;
    void MeasureItem(MEASUREITEMSTRUCT& item) override {
        measuredId = item.CtlID;
        item.itemHeight = 19;
    }
    void DrawItem(const DRAWITEMSTRUCT& item) override {
        drawn.push_back(item);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(item.hDC, &item.rcItem, red);
        DeleteObject(red);
    }
};

// The test form: members bound to its controls, hooks for each test.
class FormDialog : public Dialog {
public:
    FormDialog() : Dialog(IDD_TEST_FORM) {}

    Form form;
    int inits = 0, oks = 0, cancels = 0;
    std::vector<WPARAM> keysSeen;  // WM_KEYDOWN keys, as PreTranslateMessage saw them
    WPARAM swallowKey = 0;
    std::function<void(FormDialog&)> atInit;  // after the members went into the controls
    std::function<void(FormDialog&)> inLoop;  // once kRun arrives
    Swatch swatch, decoy;

    void PostRun() { PostMessageW(Hwnd(), kRun, 0, 0); }
    void PostKey(WPARAM key) {
        PostMessageW(Item(IDC_TEST_EDIT), WM_KEYDOWN, key, 1);
        PostMessageW(Item(IDC_TEST_EDIT), WM_KEYUP, key, 0xC0000001);
    }

protected:
    BOOL OnInitDialog() override {
        ++inits;
        for (const char* item : {"零", "一", "二", "三"}) {
            SendMessageW(Item(IDC_TEST_LIST), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(reinterpret_cast<const wchar_t*>(Utf16(item).c_str())));
        }
        AddChild(Item(IDC_TEST_SWATCH), swatch);
        AddChild(Item(IDC_TEST_CHECK), decoy);
        const BOOL focus = Dialog::OnInitDialog();
        if (atInit) atInit(*this);
        return focus;
    }
    void DoDataExchange(DataExchange& dx) override {
        dx.Check(IDC_TEST_CHECK, form.check);
        dx.ComboIndex(IDC_TEST_LIST, form.listIndex);
        dx.ComboText(IDC_TEST_COMBO, form.comboText);
        dx.Text(IDC_TEST_EDIT, form.editText);
    }
    void OnOK() override {
        ++oks;
        Dialog::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message != WM_KEYDOWN) return false;
        keysSeen.push_back(msg.wParam);
        return msg.wParam == swallowKey;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kRun && inLoop) {
            inLoop(*this);
            return 0;
        }
        return Dialog::OnMessage(message, wParam, lParam);
    }
};

std::u16string Text(HWND h) { return WindowTextUtf16(h); }

// A visible top-level window to own the dialogs, with an edit child that has the focus.
class Owner : public Window {
public:
    Owner() {
        WindowArgs a;
        a.className = L"ZhDialogTestOwner";
        a.title = L"owner";
        a.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        a.x = a.y = 20;
        a.width = 300;
        a.height = 200;
        Create(a);
        edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, Hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        SetActiveWindow(Hwnd());
        SetFocus(edit);
    }
    HWND edit = nullptr;
};

TEST(Dialog, MembersGoIntoTheControlsAndEnterSavesThemBack) {
    FormDialog d;
    Form shown;
    d.atInit = [&](FormDialog& dlg) {
        shown.check = IsDlgButtonChecked(dlg.Hwnd(), IDC_TEST_CHECK);
        shown.listIndex = static_cast<int>(SendMessageW(dlg.Item(IDC_TEST_LIST), CB_GETCURSEL, 0, 0));
        EXPECT_EQ(Text(dlg.Item(IDC_TEST_COMBO)), Utf16("银行"));
        EXPECT_EQ(Text(dlg.Item(IDC_TEST_EDIT)), Utf16("中文 text"));
        EXPECT_EQ(Text(dlg.Item(IDC_TEST_CHINESE)), Utf16("汉字阅读：中文文本"));  // the UTF-8 template text
        // The user's changes, then Enter.
        CheckDlgButton(dlg.Hwnd(), IDC_TEST_CHECK, BST_UNCHECKED);
        SendMessageW(dlg.Item(IDC_TEST_LIST), CB_SETCURSEL, 3, 0);
        SetWindowTextW(dlg.Item(IDC_TEST_COMBO), reinterpret_cast<const wchar_t*>(Utf16("行长").c_str()));
        SetWindowTextW(dlg.Item(IDC_TEST_EDIT), reinterpret_cast<const wchar_t*>(Utf16("汉字abc").c_str()));
        dlg.PostKey(VK_RETURN);
    };
    EXPECT_EQ(d.DoModal(nullptr), IDOK);
    EXPECT_EQ(d.inits, 1);
    EXPECT_EQ(d.oks, 1);
    EXPECT_EQ(d.cancels, 0);
    EXPECT_EQ(shown.check, BST_CHECKED);
    EXPECT_EQ(shown.listIndex, 2);
    EXPECT_EQ(d.form.check, BST_UNCHECKED);
    EXPECT_EQ(d.form.listIndex, 3);
    EXPECT_EQ(Bytes(d.form.comboText), GbkBytes("行长"));
    EXPECT_EQ(Bytes(d.form.editText), GbkBytes("汉字abc"));
    EXPECT_EQ(d.Hwnd(), nullptr);  // destroyed at the end
}

TEST(Dialog, EscapeCancelsAndLeavesTheMembers) {
    FormDialog d;
    d.atInit = [](FormDialog& dlg) {
        SetWindowTextW(dlg.Item(IDC_TEST_EDIT), L"typed");
        dlg.PostKey(VK_ESCAPE);
    };
    EXPECT_EQ(d.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(d.cancels, 1);
    EXPECT_EQ(d.oks, 0);
    EXPECT_EQ(Bytes(d.form.editText), GbkBytes("中文 text"));
}

TEST(Dialog, PreTranslateMessageSeesKeysBeforeTheDialogDoes) {
    FormDialog d;
    d.swallowKey = VK_RETURN;
    d.atInit = [](FormDialog& dlg) {
        dlg.PostKey(VK_RETURN);  // swallowed: never becomes IDOK
        dlg.PostKey(VK_ESCAPE);
    };
    EXPECT_EQ(d.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(d.oks, 0);
    EXPECT_EQ(d.keysSeen, (std::vector<WPARAM>{VK_RETURN, VK_ESCAPE}));
}

// Takes the Enter key of the control it is registered for.
class EnterEater : public DialogChild {
public:
    int eaten = 0;
    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
        ++eaten;
        return true;
    }
};

TEST(Dialog, TheControlsObjectPreTranslatesBeforeTheDialog) {
    FormDialog d;
    EnterEater eater;
    d.atInit = [&](FormDialog& dlg) {
        dlg.AddChild(dlg.Item(IDC_TEST_EDIT), eater);
        dlg.PostKey(VK_RETURN);
        dlg.PostKey(VK_ESCAPE);
    };
    EXPECT_EQ(d.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(eater.eaten, 1);
    EXPECT_EQ(d.oks, 0);
    EXPECT_EQ(d.keysSeen, std::vector<WPARAM>{VK_ESCAPE});  // Enter never reached the dialog
}

TEST(Dialog, ComboTextSelectsTheItemOfADropDownList) {
    struct Case {
        const char* text;
        int index;
    };
    for (const Case& c : {Case{"三", 3}, Case{"零", 0}, Case{"四", -1}}) {
        FormDialog d;
        int selected = -2;
        d.atInit = [&](FormDialog& dlg) {
            AString text = Gbk(c.text);
            DataExchange load(dlg.Hwnd(), false);
            load.ComboText(IDC_TEST_LIST, text);
            selected = static_cast<int>(SendMessageW(dlg.Item(IDC_TEST_LIST), CB_GETCURSEL, 0, 0));
            AString back;
            DataExchange save(dlg.Hwnd(), true);
            save.ComboText(IDC_TEST_LIST, back);
            EXPECT_EQ(Bytes(back), c.index < 0 ? std::string() : GbkBytes(c.text));
            EXPECT_FALSE(load.Failed() || save.Failed());
            dlg.EndDialog(IDCANCEL);
        };
        d.DoModal(nullptr);
        EXPECT_EQ(selected, c.index) << c.text;
    }
}

TEST(Dialog, AMissingControlFailsTheExchangeAndKeepsTheValue) {
    FormDialog d;
    d.atInit = [](FormDialog& dlg) {
        int check = 5;
        AString text = Gbk("留");
        DataExchange save(dlg.Hwnd(), true);
        save.Check(4242, check);
        save.Text(4243, text);
        EXPECT_TRUE(save.Failed());
        EXPECT_EQ(check, 5);
        EXPECT_EQ(Bytes(text), GbkBytes("留"));
        dlg.EndDialog(IDCANCEL);
    };
    d.DoModal(nullptr);
}

TEST(Dialog, OwnerIsDisabledWhileItRunsAndGetsItsFocusBack) {
    Owner owner;
    ASSERT_NE(owner.Hwnd(), nullptr);
    ASSERT_EQ(GetFocus(), owner.edit);
    FormDialog d;
    bool enabledDuring = true;
    HWND ownerOfDialog = nullptr;
    d.atInit = [](FormDialog& dlg) { dlg.PostRun(); };
    d.inLoop = [&](FormDialog& dlg) {
        enabledDuring = IsWindowEnabled(owner.Hwnd());
        ownerOfDialog = GetWindow(dlg.Hwnd(), GW_OWNER);
        dlg.EndDialog(1234);
    };
    EXPECT_EQ(d.DoModal(owner.edit), 1234);  // a child given as owner: its top-level window is used
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(ownerOfDialog, owner.Hwnd());
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));
    EXPECT_EQ(GetFocus(), owner.edit);
}

TEST(Dialog, AnOwnerDisabledBeforeStaysDisabled) {
    Owner owner;
    EnableWindow(owner.Hwnd(), FALSE);  // as under another modal dialog
    FormDialog d;
    d.atInit = [](FormDialog& dlg) { dlg.PostKey(VK_ESCAPE); };
    EXPECT_EQ(d.DoModal(owner.Hwnd()), IDCANCEL);
    EXPECT_FALSE(IsWindowEnabled(owner.Hwnd()));
}

TEST(Dialog, EndDialogDuringInitEndsWithoutShowing) {
    FormDialog d;
    bool everVisible = false;
    d.atInit = [](FormDialog& dlg) { dlg.EndDialog(77); };
    d.inLoop = [&](FormDialog&) { everVisible = true; };
    EXPECT_EQ(d.DoModal(nullptr), 77);
    EXPECT_FALSE(everVisible);
    EXPECT_EQ(d.Hwnd(), nullptr);
}

TEST(Dialog, AMissingTemplateReturnsMinusOne) {
    class Missing : public Dialog {
    public:
        Missing() : Dialog(9999) {}
    } d;
    EXPECT_EQ(d.DoModal(nullptr), -1);
}

TEST(Dialog, QuitEndsTheModalLoopAndStaysQueued) {
    FormDialog d;
    d.atInit = [](FormDialog&) { PostQuitMessage(3); };
    EXPECT_EQ(d.DoModal(nullptr), IDCANCEL);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(Dialog, DrawItemReachesTheObjectOfTheItemsWindow) {
    FormDialog d;
    std::unique_ptr<DibSection> picture;
    RECT swatchInWindow{};
    d.atInit = [](FormDialog& dlg) { dlg.PostRun(); };
    d.inLoop = [&](FormDialog& dlg) {
        UpdateWindow(dlg.Hwnd());
        picture = CaptureWindow(dlg.Hwnd());
        RECT window, swatch;
        GetWindowRect(dlg.Hwnd(), &window);
        GetWindowRect(dlg.Item(IDC_TEST_SWATCH), &swatch);
        swatchInWindow = {swatch.left - window.left, swatch.top - window.top, swatch.right - window.left,
                          swatch.bottom - window.top};
        dlg.EndDialog(IDOK);
    };
    d.DoModal(nullptr);
    ASSERT_FALSE(d.swatch.drawn.empty());
    EXPECT_EQ(d.swatch.drawn.front().CtlID, static_cast<UINT>(IDC_TEST_SWATCH));
    EXPECT_EQ(d.swatch.drawn.front().CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_TRUE(d.decoy.drawn.empty());
    ASSERT_NE(picture, nullptr);
    const int cx = (swatchInWindow.left + swatchInWindow.right) / 2;
    const int cy = (swatchInWindow.top + swatchInWindow.bottom) / 2;
    EXPECT_EQ(picture->Pixel(cx, cy), 0xFF0000u);  // the swatch's paint is on the screen
}

TEST(Dialog, MeasureItemReachesTheObjectOfTheItemsId) {
    FormDialog d;
    ASSERT_NE(d.Create(nullptr), nullptr);
    MEASUREITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = IDC_TEST_SWATCH;
    EXPECT_TRUE(SendMessageW(d.Hwnd(), WM_MEASUREITEM, IDC_TEST_SWATCH, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.itemHeight, 19u);
    EXPECT_EQ(d.swatch.measuredId, static_cast<UINT>(IDC_TEST_SWATCH));
    EXPECT_EQ(d.decoy.measuredId, 0u);
    // A menu item's measure is not a control's: it goes to the default processing.
    MEASUREITEMSTRUCT menuItem{};
    menuItem.CtlType = ODT_MENU;
    menuItem.CtlID = IDC_TEST_SWATCH;
    SendMessageW(d.Hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&menuItem));
    EXPECT_EQ(menuItem.itemHeight, 0u);
}

// Paints the Chinese static on green: a colour message answered by the procedure's return value.
class GreenStatic : public FormDialog {
public:
    GreenStatic() : brush_(CreateSolidBrush(RGB(0, 128, 0))) {}
    ~GreenStatic() override { DeleteObject(brush_); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(IDC_TEST_CHINESE)) {
            Default(message, wParam, lParam);  // the system's colours first, then ours
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(0, 128, 0));
            return reinterpret_cast<LRESULT>(brush_);
        }
        return FormDialog::OnMessage(message, wParam, lParam);
    }

private:
    HBRUSH brush_;
};

TEST(Dialog, AnswersReachTheSystemDirectlyOrThroughTheDefault) {
    GreenStatic d;
    LRESULT defId = 0;
    std::unique_ptr<DibSection> picture;
    POINT corner{};
    d.atInit = [](FormDialog& dlg) { dlg.PostRun(); };
    d.inLoop = [&](FormDialog& dlg) {
        defId = SendMessageW(dlg.Hwnd(), DM_GETDEFID, 0, 0);  // answered by DefDlgProcW through Default
        picture = CaptureWindow(dlg.Hwnd());
        RECT window, label;
        GetWindowRect(dlg.Hwnd(), &window);
        GetWindowRect(dlg.Item(IDC_TEST_CHINESE), &label);
        corner = {label.right - 2 - window.left, label.bottom - 2 - window.top};  // past the end of the text
        dlg.EndDialog(IDOK);
    };
    EXPECT_EQ(d.DoModal(nullptr), IDOK);
    EXPECT_EQ(LOWORD(defId), IDOK);
    EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Pixel(corner.x, corner.y), 0x008000u);
}

TEST(Dialog, ModelessDialogLivesUntilEndDialogOrItsObjectGoes) {
    {
        FormDialog d;
        const HWND h = d.Create(nullptr);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(d.inits, 1);
        EXPECT_EQ(Text(d.Item(IDC_TEST_EDIT)), Utf16("中文 text"));
        MSG key{};  // as the program's loop hands its messages over
        key.hwnd = h;
        key.message = WM_KEYDOWN;
        key.wParam = VK_ESCAPE;
        d.RouteMessage(key);
        EXPECT_EQ(d.keysSeen, std::vector<WPARAM>{VK_ESCAPE});
        EXPECT_EQ(d.cancels, 1);  // IsDialogMessage turned Escape into IDCANCEL
        EXPECT_EQ(d.Hwnd(), nullptr);
        EXPECT_FALSE(IsWindow(h));
    }
    HWND left = nullptr;
    {
        FormDialog d;
        left = d.Create(nullptr);
        ASSERT_TRUE(IsWindow(left));
    }
    EXPECT_FALSE(IsWindow(left));
}

TEST(Dialog, ScreenshotOfTheTestForm) {
    FormDialog d;
    std::string path;
    d.atInit = [](FormDialog& dlg) {
        SetWindowPos(dlg.Hwnd(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dlg.PostRun();
    };
    d.inLoop = [&](FormDialog& dlg) {
        path = SaveScreenshot(dlg.Hwnd(), "ui_framework_form");
        dlg.EndDialog(IDOK);
    };
    d.DoModal(nullptr);
    EXPECT_FALSE(path.empty());
    std::printf("screenshot: %s\n", path.c_str());
}

}  // namespace
