// Owner-drawn buttons, the splitter and hyperlink statics under Wine, in a
// modeless dialog driven with real messages through the dialog's routing.
#include "ui/buttons.h"

#include <windowsx.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "app/environment.h"
#include "app/settings.h"
#include "res/resource_ids.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "tests/ui/button_dialogs.h"
#include "tests/ui/interface_language.h"
#include "ui/glyph_text.h"
#include "ui/ui_strings.h"

namespace fs = std::filesystem;

namespace {

TEST(DimColour, EachComponentHalvedFromItsFarSide) {
    struct Case {
        COLORREF in, out;
    } cases[] = {
        {RGB(0, 0, 0), RGB(127, 127, 127)},        // black text turns mid grey
        {RGB(255, 255, 255), RGB(127, 127, 127)},  //
        {RGB(128, 127, 1), RGB(64, 64, 127)},      // the 128 boundary: kept vs mirrored
        {RGB(0, 0, 255), RGB(127, 127, 127)},      //
        {RGB(200, 50, 100), RGB(100, 102, 77)},    //
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DimColour(c.in), c.out) << std::hex << c.in;
    }
}

struct Command {
    int id;
    int code;
    LPARAM control;
};

struct Drag {
    int dx, dy;
};

class DragLog : public SplitterListener {
public:
    std::vector<Drag> drags;
    void OnSplitterDrag(int dx, int dy) override { drags.push_back({dx, dy}); }
};

// The test dialog with every control taken over as the dialog base would:
// links by the hyperlink class, splitters by the splitter, the rest by CODBtn2.
class ButtonsDialog : public Dialog {
public:
    ButtonsDialog() : Dialog(IDD_BUTTONS_TEST) {}

    std::vector<Command> commands;
    std::vector<std::unique_ptr<CODBtn2>> buttons;
    CStaticHotlink link, emptyLink;
    CSplitterBtn splitter, vsplitter;
    DragLog drags;

    CODBtn2* Button(int id) {
        for (auto& b : buttons)
            if (b->Hwnd() == Item(id)) return b.get();
        return nullptr;
    }

protected:
    BOOL OnInitDialog() override {
        link.Attach(*this, Item(IDC_BT_LINK));
        emptyLink.Attach(*this, Item(IDC_BT_LINK_EMPTY));
        splitter.Attach(*this, Item(IDC_BT_SPLITTER));
        vsplitter.Attach(*this, Item(IDC_BT_VSPLITTER));
        splitter.Listener = vsplitter.Listener = &drags;
        for (int id : {IDC_BT_LABEL, IDC_BT_RIGHT, IDC_BT_VERSION, IDC_BT_CHECK, IDC_BT_RADIO1, IDC_BT_RADIO2,
                       IDC_BT_PUSH, IDC_BT_DISABLED, IDOK, IDCANCEL}) {
            auto b = std::make_unique<CODBtn2>();
            b->Owner = this;
            EXPECT_TRUE(b->AttachControl(Item(id))) << id;
            buttons.push_back(std::move(b));
        }
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND control) override {
        commands.push_back({id, code, reinterpret_cast<LPARAM>(control)});
        return true;  // the dialog stays open
    }
};

// Delivers the thread's pending messages through the dialog's routing, then its painting.
void Pump(ButtonsDialog& d) {
    for (int round = 0; round < 3; round++) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (d.RouteMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        RedrawWindow(d.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(5);
    }
}

LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

POINT CentreOnScreen(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Darkness test for text pixels on a light face.
bool Dark(std::uint32_t p, int limit = 300) {
    return int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF) < limit;
}
bool Blue(std::uint32_t p) { return (p & 0xFF) > 150 && ((p >> 16) & 0xFF) < 110 && ((p >> 8) & 0xFF) < 110; }

// The box around the pixels for which `take` holds, inside `inset` of the picture's edges.
template <class F>
RECT BoxOf(const DibSection& pic, int inset, F take) {
    RECT box{pic.Width(), pic.Height(), -1, -1};
    for (int y = inset; y < pic.Height() - inset; y++)
        for (int x = inset; x < pic.Width() - inset; x++)
            if (take(pic.Pixel(x, y))) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

RECT TextBox(HWND control) {
    auto pic = CaptureWindow(control);
    EXPECT_TRUE(pic);
    if (!pic) return {};
    return BoxOf(*pic, 4, [](std::uint32_t p) { return Dark(p); });
}

// The shipped strings files and the shared fonts (InterfaceLanguage), and the open dialog.
class Buttons : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(language_.FontsReady()); }
    void TearDown() override { dialog_.reset(); }
    void Use(int language) { language_.Use(language); }
    ButtonsDialog& Open() {
        dialog_ = std::make_unique<ButtonsDialog>();
        EXPECT_TRUE(dialog_->Create(nullptr));
        SetWindowPos(dialog_->Hwnd(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog_->Hwnd());
        SetActiveWindow(dialog_->Hwnd());
        Pump(*dialog_);
        return *dialog_;
    }
    void Focus(ButtonsDialog& d, int id) {
        SetFocus(d.Item(id));
        Pump(d);
        ASSERT_EQ(GetFocus(), d.Item(id));
    }

    InterfaceLanguage language_{0};
    std::unique_ptr<ButtonsDialog> dialog_;
};

TEST_F(Buttons, CheckBoxAndRadioKeepTheirStateWithTheCaptionDrawnInstead) {
    ButtonsDialog& d = Open();
    const HWND check = d.Item(IDC_BT_CHECK);
    EXPECT_EQ(WindowTextUtf16(check), u"");  // the system draws no text
    EXPECT_EQ(d.Button(IDC_BT_CHECK)->Caption, u"Match Case");  // drawn as the system would show it
    d.Button(IDC_BT_CHECK)->SetCaption(u"R&&D &notes&");
    EXPECT_EQ(d.Button(IDC_BT_CHECK)->Caption, u"R&D notes&");
    d.Button(IDC_BT_CHECK)->SetCaption(u"&Match Case");
    EXPECT_FALSE(d.Button(IDC_BT_CHECK)->IsPushButton);
    EXPECT_TRUE(d.Button(IDC_BT_PUSH)->IsPushButton);
    EXPECT_TRUE(d.Button(IDC_BT_LABEL)->IsStatic);
    EXPECT_EQ(WindowTextUtf16(d.Item(IDC_BT_PUSH)), u"Find From &Top");  // push buttons keep theirs

    auto box = [&] {
        auto pic = CaptureWindow(check);
        std::vector<std::uint32_t> px;
        for (int y = 0; y < pic->Height(); y++)
            for (int x = 0; x < 14; x++) px.push_back(pic->Pixel(x, y));
        return px;
    };
    const auto unchecked = box();
    Focus(d, IDC_BT_CHECK);
    struct Step {
        const char* what;
        UINT down, up;
        WPARAM key;
        LPARAM at;
        UINT expected;
    } steps[] = {
        {"Space", WM_KEYDOWN, WM_KEYUP, VK_SPACE, 0x00390001, BST_CHECKED},
        {"click", WM_LBUTTONDOWN, WM_LBUTTONUP, 0, ClientPoint(5, 5), BST_UNCHECKED},
        {"Space again", WM_KEYDOWN, WM_KEYUP, VK_SPACE, 0x00390001, BST_CHECKED},
    };
    for (const Step& s : steps) {
        const bool mouse = s.down == WM_LBUTTONDOWN;
        PostMessageW(check, s.down, mouse ? MK_LBUTTON : s.key, s.at);
        PostMessageW(check, s.up, mouse ? 0 : s.key, mouse ? s.at : (s.at | 0xC0000000));
        Pump(d);
        EXPECT_EQ(IsDlgButtonChecked(d.Hwnd(), IDC_BT_CHECK), s.expected) << s.what;
        EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), static_cast<LRESULT>(s.expected)) << s.what;
        EXPECT_EQ(box() != unchecked, s.expected == BST_CHECKED) << s.what << ": the drawn box follows the state";
    }
    EXPECT_FALSE(d.Button(IDC_BT_CHECK)->Pressed);

    // Automatic radio buttons of one group: a click moves the check.
    CheckRadioButton(d.Hwnd(), IDC_BT_RADIO1, IDC_BT_RADIO2, IDC_BT_RADIO1);
    PostMessageW(d.Item(IDC_BT_RADIO2), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(5, 5));
    PostMessageW(d.Item(IDC_BT_RADIO2), WM_LBUTTONUP, 0, ClientPoint(5, 5));
    Pump(d);
    EXPECT_EQ(IsDlgButtonChecked(d.Hwnd(), IDC_BT_RADIO2), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d.Hwnd(), IDC_BT_RADIO1), BST_UNCHECKED);
    EXPECT_EQ(WindowTextUtf16(d.Item(IDC_BT_RADIO2)), u"");
}

TEST_F(Buttons, EnterAndSpaceOnAPushButtonSendItsCommandOnceAndNeverReachTheButton) {
    ButtonsDialog& d = Open();
    const HWND push = d.Item(IDC_BT_PUSH);
    Focus(d, IDC_BT_PUSH);
    for (WPARAM key : {VK_RETURN, VK_SPACE}) {
        d.commands.clear();
        PostMessageW(push, WM_KEYDOWN, key, 1);
        PostMessageW(push, WM_KEYUP, key, 0xC0000001);
        Pump(d);
        ASSERT_EQ(d.commands.size(), 1u) << key;  // not also the default button's IDOK, nor the button's own click
        EXPECT_EQ(d.commands[0].id, IDC_BT_PUSH);
        EXPECT_EQ(d.commands[0].control, 0) << "sent by the object, not by the button";
        EXPECT_EQ(SendMessageW(push, BM_GETSTATE, 0, 0) & BST_PUSHED, 0) << key;
    }
    // Sent straight to the button, the key is swallowed: no push, no command.
    d.commands.clear();
    SendMessageW(push, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(push, WM_KEYUP, VK_SPACE, 0xC0000001);
    Pump(d);
    EXPECT_TRUE(d.commands.empty());
    // A check box is no push button: Enter goes on to the dialog (its default button).
    Focus(d, IDC_BT_CHECK);
    PostMessageW(d.Item(IDC_BT_CHECK), WM_KEYDOWN, VK_RETURN, 1);
    Pump(d);
    ASSERT_EQ(d.commands.size(), 1u);
    EXPECT_EQ(d.commands[0].id, IDOK);
}

TEST_F(Buttons, APressedFaceShiftsItsCaptionOnePixelWhileThePointerIsOnIt) {
    ButtonsDialog& d = Open();
    const HWND push = d.Item(IDC_BT_PUSH);
    RECT client;
    GetClientRect(push, &client);
    const RECT released = TextBox(push);
    ASSERT_GT(released.right, released.left) << "no caption drawn";

    const POINT centre = CentreOnScreen(push);
    RECT dlg;
    GetWindowRect(d.Hwnd(), &dlg);
    const POINT off{dlg.left + 10, dlg.bottom - 10};
    auto moveTo = [&](POINT p) {
        SetCursorPos(p.x, p.y);
        ScreenToClient(push, &p);
        PostMessageW(push, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(p.x, p.y));
        Pump(d);
    };
    SetCursorPos(centre.x, centre.y);
    PostMessageW(push, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(client.right / 2, client.bottom / 2));
    Pump(d);
    ASSERT_TRUE(d.Button(IDC_BT_PUSH)->Pressed);
    // Focused from here on, so each picture has the same focus rectangle.
    struct Expect {
        const char* what;
        POINT pointer;
        int shift;
    } steps[] = {{"pressed", centre, 1}, {"dragged off", off, 0}, {"back on", centre, 1}};
    for (const Expect& s : steps) {
        moveTo(s.pointer);
        const RECT now = TextBox(push);
        EXPECT_EQ(now.left, released.left + s.shift) << s.what;
        EXPECT_EQ(now.top, released.top + s.shift) << s.what;
        EXPECT_EQ(now.right, released.right + s.shift) << s.what;
        EXPECT_EQ(now.bottom, released.bottom + s.shift) << s.what;
    }
    PostMessageW(push, WM_LBUTTONUP, 0, ClientPoint(client.right / 2, client.bottom / 2));
    Pump(d);
    EXPECT_FALSE(d.Button(IDC_BT_PUSH)->Pressed);
    const RECT after = TextBox(push);
    EXPECT_EQ(after.left, released.left);
    EXPECT_EQ(after.top, released.top);
}

TEST_F(Buttons, DefaultFrameFocusCuesAndDisabledText) {
    ButtonsDialog& d = Open();
    auto pic = [&](int id) { return CaptureWindow(d.Item(id)); };
    const std::uint32_t face = Rgb(GetSysColor(COLOR_BTNFACE));
    {
        auto ok = pic(IDOK), cancel = pic(IDCANCEL);
        EXPECT_EQ(ok->Pixel(0, ok->Height() / 2), 0u) << "the default button's black frame";
        EXPECT_NE(cancel->Pixel(0, cancel->Height() / 2), 0u);
    }
    // Focus rectangles: a push button's 3 pixels in, a check box's around its text.
    auto rowChanges = [](const DibSection& a, const DibSection& b, int y, int from, int to) {
        int n = 0;
        for (int x = from; x < to; x++) n += a.Pixel(x, y) != b.Pixel(x, y);
        return n;
    };
    Focus(d, IDC_BT_RADIO1);
    auto cancelPlain = pic(IDCANCEL);
    auto checkPlain = pic(IDC_BT_CHECK);
    Focus(d, IDCANCEL);
    auto cancelFocused = pic(IDCANCEL);
    EXPECT_GT(rowChanges(*cancelPlain, *cancelFocused, 3, 4, cancelPlain->Width() - 4), 5);
    EXPECT_EQ(rowChanges(*cancelPlain, *cancelFocused, 1, 4, cancelPlain->Width() - 4), 0);
    Focus(d, IDC_BT_CHECK);
    auto checkFocused = pic(IDC_BT_CHECK);
    const CODBtn2& check = *d.Button(IDC_BT_CHECK);
    ASSERT_GT(check.TextBottom, 0);
    EXPECT_GT(rowChanges(*checkPlain, *checkFocused, check.TextTop - 1, check.TextLeft, check.TextRight), 5);
    for (int x = check.TextLeft; x < check.TextRight; x++)
        EXPECT_EQ(checkPlain->Pixel(x, check.TextTop - 1), face) << x;

    // A disabled caption is drawn in DimColour of black: no pixel darker than mid grey.
    auto darkest = [](const DibSection& p) {
        int least = 3 * 255;
        for (int y = 4; y < p.Height() - 4; y++)
            for (int x = 4; x < p.Width() - 4; x++) {
                const std::uint32_t v = p.Pixel(x, y);
                least = std::min(least, int((v >> 16) & 0xFF) + int((v >> 8) & 0xFF) + int(v & 0xFF));
            }
        return least;
    };
    EXPECT_LT(darkest(*pic(IDC_BT_PUSH)), 3 * 60);
    const int dim = darkest(*pic(IDC_BT_DISABLED));
    EXPECT_GE(dim, 3 * 120);
    EXPECT_LT(dim, 3 * 200) << "a caption is still drawn";
}

TEST_F(Buttons, StaticsAlignAndTheVersionLineIsBlue) {
    struct Case {
        int language;
        const char16_t* version;
    } cases[] = {{0, u"Version 5.31"}, {1, u"版本 5.31"}};
    for (const Case& c : cases) {
        Use(c.language);
        ButtonsDialog& d = Open();
        EXPECT_EQ(d.Button(IDC_BT_VERSION)->Caption, c.version) << "whatever the template text";
        auto version = CaptureWindow(d.Item(IDC_BT_VERSION));
        const RECT blue = BoxOf(*version, 0, Blue);
        EXPECT_GT(blue.right - blue.left, 30) << c.language;
        EXPECT_LE(blue.left, 2);

        auto left = CaptureWindow(d.Item(IDC_BT_LABEL));
        auto right = CaptureWindow(d.Item(IDC_BT_RIGHT));
        const RECT l = BoxOf(*left, 0, [](std::uint32_t p) { return Dark(p); });
        const RECT r = BoxOf(*right, 0, [](std::uint32_t p) { return Dark(p); });
        ASSERT_GT(l.right, l.left);
        ASSERT_GT(r.right, r.left);
        EXPECT_LE(l.left, 2) << "left-aligned";
        EXPECT_GE(r.right, right->Width() - 6) << "SS_RIGHT: the text ends 2 pixels from the edge";
        EXPECT_GT(r.left, right->Width() / 2);
    }
}

TEST_F(Buttons, ChineseCaptionsAreTranslatedAndDrawn) {
    Use(1);
    ButtonsDialog& d = Open();
    struct Case {
        int id;
        const char* text;
    } cases[] = {{IDC_BT_CHECK, "区分大小写"}, {IDC_BT_PUSH, "从头查找"}, {IDOK, "确定"}, {IDC_BT_RADIO1, "中西文都读"}};
    for (const Case& c : cases) {
        EXPECT_EQ(d.Button(c.id)->Caption, Utf16(c.text)) << c.text;
        auto pic = CaptureWindow(d.Item(c.id));
        const RECT ink = BoxOf(*pic, 0, [](std::uint32_t p) { return Dark(p, 200); });
        EXPECT_GT(ink.right - ink.left, 20) << c.text;
    }
}

TEST_F(Buttons, PictureOfEachKindInEnglishAndChinese) {
    for (int language : {0, 1}) {
        Use(language);
        ButtonsDialog& d = Open();
        CheckDlgButton(d.Hwnd(), IDC_BT_CHECK, BST_CHECKED);
        CheckRadioButton(d.Hwnd(), IDC_BT_RADIO1, IDC_BT_RADIO2, IDC_BT_RADIO1);
        Focus(d, IDC_BT_PUSH);
        Pump(d);
        const std::string path = SaveScreenshot(d.Hwnd(), language ? "buttons_zh" : "buttons_en");
        EXPECT_FALSE(path.empty());
    }
}

// Launches recorded instead of opened.
std::vector<std::string> launched;
void RecordLaunch(const AString& target) { launched.push_back(Bytes(target)); }

TEST_F(Buttons, HotlinkIsBlueUnderlinedShowsTheHandAndOpensItsTarget) {
    ButtonsDialog& d = Open();
    const HotlinkLaunch before = SetHotlinkLaunch(RecordLaunch);
    launched.clear();
    const HWND link = d.Item(IDC_BT_LINK), empty = d.Item(IDC_BT_LINK_EMPTY);
    EXPECT_EQ(d.ChildOf(link), static_cast<DialogChild*>(&d.link)) << "one owner: the hyperlink";

    const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDCUR_HAND));
    ASSERT_TRUE(hand);
    EXPECT_EQ(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), hand);
    EXPECT_EQ(SendMessageW(empty, WM_SETCURSOR, reinterpret_cast<WPARAM>(empty), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              FALSE);
    EXPECT_NE(GetCursor(), hand);

    auto pic = CaptureWindow(link);
    const RECT blue = BoxOf(*pic, 0, Blue);
    ASSERT_GT(blue.right - blue.left, 20) << "blue text";
    int longestRun = 0;  // the underline: one row blue across the text
    for (int y = blue.top; y < blue.bottom; y++) {
        int run = 0;
        for (int x = blue.left; x < blue.right; x++) {
            run = Blue(pic->Pixel(x, y)) ? run + 1 : 0;
            longestRun = std::max(longestRun, run);
        }
    }
    EXPECT_GE(longestRun, (blue.right - blue.left) * 9 / 10);
    EXPECT_TRUE(d.link.LinkFont);

    auto click = [&](HWND h) {
        PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(pic->Width() - 5, 3));
        PostMessageW(h, WM_LBUTTONUP, 0, ClientPoint(pic->Width() - 5, 3));
        Pump(d);
    };
    click(link);
    d.link.IsMail = true;
    click(link);
    d.link.IsMail = false;
    d.link.Url = "http://example.org/z";
    click(link);
    click(empty);
    EXPECT_EQ(launched, (std::vector<std::string>{"Home page", "mailto:Home page", "http://example.org/z"}));
    EXPECT_TRUE(d.commands.empty()) << "the click is the link's, not the dialog's";
    SetHotlinkLaunch(before);
}

TEST_F(Buttons, SplitterDrawsItsBitmapReportsDragsAndShowsTheResizeCursor) {
    ButtonsDialog& d = Open();
    const HWND h = d.Item(IDC_BT_SPLITTER), v = d.Item(IDC_BT_VSPLITTER);
    struct Case {
        HWND control;
        int bitmap;
        LPCSTR cursor;
    } cases[] = {{h, IDB_SPLITTER_HORZ, IDC_SIZENS}, {v, IDB_SPLITTER_VERT, IDC_SIZEWE}};
    for (const Case& c : cases) {
        auto pic = CaptureWindow(c.control);
        DibSection expected(pic->Width(), pic->Height());
        {
            HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c.bitmap));
            ASSERT_TRUE(bitmap);
            HDC source = CreateCompatibleDC(expected.Dc());
            HGDIOBJ old = SelectObject(source, bitmap);
            BitBlt(expected.Dc(), 0, 0, pic->Width(), pic->Height(), source, 0, 0, SRCCOPY);
            SelectObject(source, old);
            DeleteDC(source);
            DeleteObject(bitmap);
        }
        int differ = 0;
        for (int y = 0; y < pic->Height(); y++)
            for (int x = 0; x < pic->Width(); x++) differ += pic->Pixel(x, y) != expected.Pixel(x, y);
        EXPECT_EQ(differ, 0) << c.bitmap;
        EXPECT_EQ(SendMessageW(c.control, WM_SETCURSOR, reinterpret_cast<WPARAM>(c.control),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        EXPECT_EQ(GetCursor(), SystemCursor(c.cursor));
    }

    auto post = [&](UINT m, int x, int y) {
        PostMessageW(h, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, ClientPoint(x, y));
        Pump(d);
    };
    post(WM_LBUTTONDOWN, 10, 2);
    post(WM_MOUSEMOVE, 10, 2);  // no movement: nothing
    EXPECT_TRUE(d.drags.drags.empty());
    post(WM_MOUSEMOVE, 15, 9);
    post(WM_MOUSEMOVE, 12, -4);  // still from the press point
    post(WM_LBUTTONUP, 12, -4);
    post(WM_MOUSEMOVE, 30, 30);  // released: nothing
    post(WM_LBUTTONDBLCLK, 20, 1);  // a double click presses too
    post(WM_MOUSEMOVE, 18, 1);
    post(WM_LBUTTONUP, 18, 1);
    ASSERT_EQ(d.drags.drags.size(), 3u);
    EXPECT_EQ(d.drags.drags[0].dx, 5);
    EXPECT_EQ(d.drags.drags[0].dy, 7);
    EXPECT_EQ(d.drags.drags[1].dx, 2);
    EXPECT_EQ(d.drags.drags[1].dy, -6);
    EXPECT_EQ(d.drags.drags[2].dx, -2);
    EXPECT_EQ(d.drags.drags[2].dy, 0);
    EXPECT_NE(GetCapture(), h);
}

}  // namespace
