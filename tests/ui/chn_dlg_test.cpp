// The dialog base under Wine: caption zones and buttons, the caption band,
// decoration of the program's own templates, key cues and the size grip.
#include "ui/chn_dlg.h"

#include <windowsx.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/environment.h"
#include "app/settings.h"
#include "res/resource_ids.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "tests/support/text_literals.h"
#include "tests/ui/dialog_base_fixture.h"
#include "ui/glyph_text.h"
#include "ui/info_pane.h"
#include "ui/ui_strings.h"
#include "ui/window.h"

namespace {

class TestDlg : public CChnDlg {
public:
    explicit TestDlg(int id) : CChnDlg(id, nullptr) {}
    std::function<void(TestDlg&)> beforeInit;
    int relayouts = 0;
    bool Decorated(int id) const { return ButtonOf(Item(id)) != nullptr; }

protected:
    BOOL OnInitDialog() override {
        if (beforeInit) beforeInit(*this);
        return CChnDlg::OnInitDialog();
    }
    void RelayoutControls() override { relayouts++; }
};

void Pump(Dialog& d) {
    for (int round = 0; round < 3; round++) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (d.Hwnd() && d.RouteMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (d.Hwnd()) RedrawWindow(d.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        Sleep(5);
    }
}

class ChnDlgTest : public DialogBaseFixture {
protected:
    void TearDown() override {
        dialog_.reset();
        DialogBaseFixture::TearDown();
    }
    TestDlg& Open(int id, std::function<void(TestDlg&)> configure = {}) {
        dialog_ = std::make_unique<TestDlg>(id);
        if (configure) configure(*dialog_);
        EXPECT_TRUE(dialog_->Create(nullptr));
        SetWindowPos(dialog_->Hwnd(), HWND_TOPMOST, 60, 60, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog_->Hwnd());
        SetActiveWindow(dialog_->Hwnd());
        Pump(*dialog_);
        return *dialog_;
    }
    std::unique_ptr<TestDlg> dialog_;
};

// The caption buttons as placed by their rules, window coordinates.
struct Geometry {
    RECT close, max, info;
};
Geometry Expected(HWND h) {
    RECT wr;
    GetWindowRect(h, &wr);
    const int s = static_cast<int>(GetSystemMetrics(SM_CYSIZE) * 0.8), c = GetSystemMetrics(SM_CYCAPTION);
    const int top = (5 * GetSystemMetrics(SM_CXEDGE) + c - s) / 2 + 1;
    const int right = (wr.right - wr.left) - 11 * GetSystemMetrics(SM_CYBORDER);
    Geometry g;
    g.close = {right - s, top, right, top + s};
    g.max = g.close;
    OffsetRect(&g.max, -(s + 1), 0);
    g.info = g.close;
    OffsetRect(&g.info, -(2 * s + 23), 0);
    return g;
}
POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
POINT ScreenOf(HWND h, POINT windowPoint) {
    RECT wr;
    GetWindowRect(h, &wr);
    return {wr.left + windowPoint.x, wr.top + windowPoint.y};
}
// A press on the caption at a window point and the release at another.
void Click(Dialog& d, POINT pressAt, POINT releaseAt) {
    const HWND h = d.Hwnd();
    const POINT press = ScreenOf(h, pressAt);
    SendMessageW(h, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(press.x, press.y));
    POINT release = ScreenOf(h, releaseAt);
    ScreenToClient(h, &release);
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(release.x, release.y));
    Pump(d);
}

TEST_F(ChnDlgTest, CaptionZonesFollowTheButtonsOnOffer) {
    struct Case {
        bool max, info;
        int atClose, atMax, atInfo;
    } cases[] = {
        {false, false, 1, 2, 2},
        {true, false, 1, 3, 2},
        {false, true, 1, 2, 4},
        {true, true, 1, 3, 4},
    };
    for (int language : {0, 1}) {
        Use(language);
        for (const Case& c : cases) {
            TestDlg& d = Open(IDD_FIND, [&](TestDlg& t) {
                t.HasMaxButton = c.max;
                t.InfoNumber = c.info ? kInfoNumber : 0;
            });
            const Geometry g = Expected(d.Hwnd());
            const std::string what = "language " + std::to_string(language) + " max " + std::to_string(c.max) +
                                     " info " + std::to_string(c.info);
            EXPECT_EQ(d.CaptionZone(Centre(g.close)), c.atClose) << what;
            EXPECT_EQ(d.CaptionZone(Centre(g.max)), c.atMax) << what;
            EXPECT_EQ(d.CaptionZone(Centre(g.info)), c.atInfo) << what;
            EXPECT_EQ(d.CaptionZone({g.close.right - 1, g.close.bottom - 1}), 1) << what;  // its last pixel
            EXPECT_EQ(d.CaptionZone({g.close.right, g.close.top}), 2) << what;             // just outside
            EXPECT_EQ(d.CaptionZone({g.close.left - 1, g.close.top}), 2) << what;          // the gap to max
            EXPECT_EQ(d.CaptionZone({Centre(g.close).x, g.close.bottom}), 2) << what;
            EXPECT_EQ(d.CaptionZone({20, 8}), 2) << what;
        }
    }
}

TEST_F(ChnDlgTest, ReleasedElsewhereDoesNotCloseOnMaxItMaximisesOnCloseItCloses) {
    Use(1);
    TestDlg& d = Open(IDD_FIND, [](TestDlg& t) { t.HasMaxButton = true; });
    const Geometry g = Expected(d.Hwnd());
    const int relayoutsBefore = d.relayouts;

    Click(d, Centre(g.close), {40, 80});
    EXPECT_TRUE(IsWindow(d.Hwnd()));
    EXPECT_EQ(d.PressedZone, 0);
    EXPECT_NE(GetCapture(), d.Hwnd());

    Click(d, Centre(g.close), Centre(g.max));
    ASSERT_TRUE(d.Hwnd());
    EXPECT_TRUE(d.Maximised);
    EXPECT_TRUE(IsZoomed(d.Hwnd()));
    EXPECT_GT(d.relayouts, relayoutsBefore);  // WM_SIZE with a maximise button

    const Geometry zoomed = Expected(d.Hwnd());
    Click(d, Centre(zoomed.max), Centre(zoomed.max));
    ASSERT_TRUE(d.Hwnd());
    EXPECT_FALSE(d.Maximised);
    EXPECT_FALSE(IsZoomed(d.Hwnd()));

    // A double click on the rest of the caption toggles as well.
    const POINT caption = ScreenOf(d.Hwnd(), {30, 8});
    SendMessageW(d.Hwnd(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    Pump(d);
    EXPECT_TRUE(d.Maximised);
    EXPECT_TRUE(IsZoomed(d.Hwnd()));
    SendMessageW(d.Hwnd(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    Pump(d);
    EXPECT_FALSE(d.Maximised);

    Click(d, Centre(g.close), Centre(g.close));
    EXPECT_EQ(d.Hwnd(), nullptr);  // WM_CLOSE ended the (modeless) dialog
}

TEST_F(ChnDlgTest, HitTestWhileHeldReportsTheZoneUnderThePointer) {
    Use(1);
    TestDlg& d = Open(IDD_FIND);
    const Geometry g = Expected(d.Hwnd());
    const HWND h = d.Hwnd();
    const POINT onClose = ScreenOf(h, Centre(g.close)), off = ScreenOf(h, {30, 8});
    SendMessageW(h, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(onClose.x, onClose.y));
    EXPECT_EQ(GetCapture(), h);
    EXPECT_EQ(d.PressedZone, 1);
    EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(off.x, off.y)), 2);
    EXPECT_EQ(d.HoverZone, 2);
    EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(onClose.x, onClose.y)), 1);
    EXPECT_EQ(d.HoverZone, 1);
    POINT client = off;
    ScreenToClient(h, &client);
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    EXPECT_NE(GetCapture(), h);
    EXPECT_TRUE(IsWindow(h));

    // A press whose capture is taken away is void: the release on the button does nothing.
    SendMessageW(h, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(onClose.x, onClose.y));
    ASSERT_EQ(d.PressedZone, 1);
    ReleaseCapture();
    EXPECT_EQ(d.PressedZone, 0);
    client = onClose;
    ScreenToClient(h, &client);
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    Pump(d);
    EXPECT_TRUE(IsWindow(h));
}

// Pixels of the window picture for which `take` holds inside the rectangle.
template <class F>
int CountIn(const DibSection& pic, const RECT& r, F take) {
    int n = 0;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            if (take(pic.Pixel(x, y))) n++;
    return n;
}

TEST_F(ChnDlgTest, InformationButtonDrawnWhenWideOpensThePaneEvenWhenNarrow) {
    Use(1);
    for (bool narrow : {false, true}) {
        TestDlg& d = Open(IDD_FIND, [](TestDlg& t) {
            t.InfoNumber = kInfoNumber;
            t.beforeInit = [](TestDlg& self) { SetWindowTextW(self.Hwnd(), L""); };  // no title over the button
        });
        ASSERT_EQ(d.InfoText, Utf16("Help one\r\nhelp two"));
        if (narrow) {
            SetWindowPos(d.Hwnd(), nullptr, 0, 0, 110, 120, SWP_NOMOVE | SWP_NOZORDER);
            Pump(d);
        }
        const Geometry g = Expected(d.Hwnd());
        const int s = static_cast<int>(GetSystemMetrics(SM_CYSIZE) * 0.8);
        ASSERT_EQ(4 * s >= g.info.left, narrow);
        auto pic = CaptureWindow(d.Hwnd());
        ASSERT_TRUE(pic);
        const int notBand = CountIn(*pic, g.info, [](std::uint32_t p) { return p != Rgb(RGB(56, 45, 198)); });
        if (narrow)
            EXPECT_EQ(notBand, 0) << "no bitmap in the narrow caption";
        else
            EXPECT_GT(notBand, 0) << "the bitmap is drawn";

        Click(d, Centre(g.info), Centre(g.info));
        EXPECT_TRUE(InfoPaneHasText()) << narrow;
        EXPECT_EQ(InfoPane().PaneText, d.InfoText);
        EXPECT_TRUE(IsWindowVisible(InfoPane().PaneWindow));

        // A press on the caption hides it; destroying the dialog releases its decorations.
        // (HTNOWHERE: the system's own move loop would wait for a real mouse.)
        const POINT caption = ScreenOf(d.Hwnd(), {10, 8});
        SendMessageW(d.Hwnd(), WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(caption.x, caption.y));
        EXPECT_FALSE(IsWindowVisible(InfoPane().PaneWindow));
        Click(d, Centre(g.info), Centre(g.info));
        EXPECT_TRUE(IsWindowVisible(InfoPane().PaneWindow));
        EXPECT_FALSE(d.Buttons.empty());
        DestroyWindow(d.Hwnd());
        EXPECT_TRUE(d.Buttons.empty());
        EXPECT_FALSE(InfoPaneHasText());
        EXPECT_FALSE(IsWindowVisible(InfoPane().PaneWindow));
    }
}

TEST_F(ChnDlgTest, MissingInformationTextMeansNoInformationButton) {
    TestDlg& d = Open(IDD_FIND, [](TestDlg& t) { t.InfoNumber = 4712; });
    EXPECT_EQ(d.InfoNumber, 0);
    EXPECT_EQ(d.CaptionZone(Centre(Expected(d.Hwnd()).info)), 2);
}

TEST_F(ChnDlgTest, CaptionBandColourFollowsActivationInTheTranslatedInterfaceOnly) {
    Window other;
    ASSERT_TRUE(other.Create({.title = L"other",
                              .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              .x = 700,
                              .y = 500,
                              .width = 200,
                              .height = 100}));
    for (int language : {1, 0}) {
        Use(language);
        TestDlg& d = Open(IDD_FIND);
        const Geometry g = Expected(d.Hwnd());
        // Right of the title, left of the close button, in the middle of the band.
        const int b = GetSystemMetrics(SM_CXBORDER);
        const int bandTop = 2 * b + 2, bandBottom = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) - b;
        const POINT p{g.close.left - 6, (bandTop + bandBottom) / 2};
        auto active = CaptureWindow(d.Hwnd());
        ASSERT_TRUE(active);
        EXPECT_TRUE(d.Active);
        SetForegroundWindow(other.Hwnd());
        SetActiveWindow(other.Hwnd());
        Pump(d);
        EXPECT_FALSE(d.Active);
        auto inactive = CaptureWindow(d.Hwnd());
        ASSERT_TRUE(inactive);
        if (language == 1) {
            EXPECT_EQ(active->Pixel(p.x, p.y), Rgb(RGB(56, 45, 198)));
            EXPECT_EQ(inactive->Pixel(p.x, p.y), Rgb(RGB(156, 145, 78)));
        } else {
            EXPECT_NE(active->Pixel(p.x, p.y), Rgb(RGB(56, 45, 198)));
            EXPECT_NE(inactive->Pixel(p.x, p.y), Rgb(RGB(156, 145, 78)));
        }
        dialog_.reset();
    }
}

TEST_F(ChnDlgTest, CaptionTranslatedIntoTheTitleWithAnEmptyWindowText) {
    struct Case {
        int language, id;
        std::u16string windowText, title;
    } cases[] = {
        {1, IDD_FIND, u"", Utf16("查找")},
        {1, IDD_SYSTEM_OPTIONS, u"", u"System Preferences"},  // missing: the English caption in the band
        {0, IDD_FIND, u"Find", u""},
    };
    for (const Case& c : cases) {
        Use(c.language);
        TestDlg& d = Open(c.id);
        EXPECT_EQ(WindowTextUtf16(d.Hwnd()), c.windowText) << c.id;
        EXPECT_EQ(d.Title, c.title) << c.id;
    }
    // A caption key replaces the template's caption.
    Use(0);
    TestDlg& english = Open(IDD_FIND, [](TestDlg& t) { t.CaptionKey = "Done"; });
    EXPECT_EQ(WindowTextUtf16(english.Hwnd()), u"Done");
    Use(1);
    TestDlg& translated = Open(IDD_FIND, [](TestDlg& t) { t.CaptionKey = "Done"; });
    EXPECT_EQ(translated.Title, Utf16("关闭"));
}

TEST_F(ChnDlgTest, DecorationReplacesPlainControlsInTranslatedInterfaceAndTheAboutBox) {
    struct Case {
        int language, id;
        std::vector<int> decorated, plain;
    } cases[] = {
        {0, IDD_FIND, {}, {IDC_MATCH_CASE, IDC_FIND_FROM_TOP, IDOK, IDCANCEL}},
        {1,
         IDD_FIND,
         {IDC_MATCH_CASE, IDC_UP_FINDING, IDC_FIND_FROM_TOP, IDC_FIND_FROM_BOTTOM, IDOK, IDCANCEL},
         {IDC_FIND_TEXT}},
        {0, IDD_ABOUT, {IDC_VERSION, IDC_YEAR_LINE, IDC_CREDITS, IDOK}, {IDC_LINK_HOME}},  // a hotlink is taken
        {1,
         IDD_SPEECH_OPTIONS,
         {IDC_TEST_SPEECH, IDC_VOLUME_LABEL, IDC_SYNC_WORD, IDOK, IDCANCEL},
         {IDC_VOLUME_SLIDER, IDC_RATE_SLIDER, IDC_WESTERN_VOICE}},  // owner-drawn sliders stay
        {1,
         IDD_READER_LARGE,
         {IDC_SHOW_PINYIN, IDC_AUTO_SPEAK, IDC_SYNC_LABEL},
         {IDC_RATE_DOWN, IDC_LOOP, IDC_SPEAK, IDC_SPLITTER, IDOK}},  // bitmap and owner-drawn buttons stay
    };
    for (const Case& c : cases) {
        Use(c.language);
        CStaticHotlink link;
        TestDlg& d = Open(c.id, [&](TestDlg& t) {
            t.beforeInit = [&](TestDlg& self) {
                if (c.id == IDD_ABOUT) link.Attach(self, self.Item(IDC_LINK_HOME));
            };
        });
        for (int id : c.decorated) EXPECT_TRUE(d.Decorated(id)) << c.id << " control " << id;
        for (int id : c.plain) EXPECT_FALSE(d.Decorated(id)) << c.id << " control " << id;
        if (c.id == IDD_SPEECH_OPTIONS) {  // group boxes are translated in place, never replaced
            for (HWND h = GetWindow(d.Hwnd(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
                if ((GetWindowLongW(h, GWL_STYLE) & 0x0F) == BS_GROUPBOX) {
                    EXPECT_FALSE(d.ButtonOf(h));
                }
        }
        dialog_.reset();
    }
}

TEST_F(ChnDlgTest, DecoratedGroupBoxIsTranslated) {
    Use(1);
    TestDlg& d = Open(IDD_SPEECH_OPTIONS, [](TestDlg& t) {
        t.beforeInit = [](TestDlg& self) {
            SetWindowTextW(GetWindow(self.Hwnd(), GW_CHILD), L"Volume");  // the first group box
        };
    });
    EXPECT_EQ(WindowTextUtf16(GetWindow(d.Hwnd(), GW_CHILD)), Utf16("音量"));
}

TEST_F(ChnDlgTest, DecoratedCheckBoxKeepsItsStateAndAutoToggle) {
    Use(1);
    TestDlg& d = Open(IDD_FIND);
    const HWND check = d.Item(IDC_MATCH_CASE);
    ASSERT_TRUE(d.Decorated(IDC_MATCH_CASE));
    EXPECT_EQ(d.ButtonOf(check)->Caption, Utf16("区分大小写"));
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    for (int expected : {BST_CHECKED, BST_UNCHECKED}) {
        SendMessageW(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(check, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        Pump(d);
        EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), expected);
    }
}

TEST_F(ChnDlgTest, FirstTabRedrawsTheDecoratedButtonsOnce) {
    Use(1);
    TestDlg& d = Open(IDD_FIND);
    SetFocus(d.Item(IDC_MATCH_CASE));
    Pump(d);
    const HWND done = d.Item(IDCANCEL);  // not touched by the focus moves below
    ASSERT_FALSE(GetUpdateRect(done, nullptr, FALSE));
    auto tab = [&] {
        MSG msg{GetFocus(), WM_KEYDOWN, VK_TAB, 1};
        d.RouteMessage(msg);
    };
    EXPECT_TRUE(d.KeyCuesPending);
    tab();
    EXPECT_FALSE(d.KeyCuesPending);
    EXPECT_TRUE(GetUpdateRect(done, nullptr, FALSE));
    Pump(d);
    ASSERT_FALSE(GetUpdateRect(done, nullptr, FALSE));
    tab();
    EXPECT_FALSE(GetUpdateRect(done, nullptr, FALSE));
}

TEST_F(ChnDlgTest, SetItemTextReachesTheDrawnCaption) {
    Use(1);
    TestDlg& d = Open(IDD_FIND);
    d.SetItemText(IDC_FIND_FROM_TOP, Gbk("从这里"), false);
    EXPECT_EQ(WindowTextUtf16(d.Item(IDC_FIND_FROM_TOP)), Utf16("从这里"));
    EXPECT_EQ(d.ButtonOf(d.Item(IDC_FIND_FROM_TOP))->Caption, Utf16("从这里"));
    d.SetItemText(IDC_FIND_FROM_TOP, Gbk("再来"), true);
    EXPECT_EQ(WindowTextUtf16(d.Item(IDC_FIND_FROM_TOP)), Utf16("从这里"));
    EXPECT_EQ(d.ButtonOf(d.Item(IDC_FIND_FROM_TOP))->Caption, Utf16("再来"));
    EXPECT_EQ(SendMessageW(d.Hwnd(), WM_CHN_REPAINT, 0, 0), 1);
}

TEST_F(ChnDlgTest, ResizableDialogKeepsItsSizeGripInTheCorner) {
    TestDlg& d = Open(IDD_READER_SMALL);
    ASSERT_TRUE(d.Resizable);
    ASSERT_TRUE(d.SizeGrip);
    EXPECT_TRUE(IsWindowVisible(d.SizeGrip));
    EXPECT_EQ(GetDlgCtrlID(d.SizeGrip), 0xFFFF);
    for (SIZE size : {SIZE{500, 400}, SIZE{320, 260}}) {
        SetWindowPos(d.Hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client, grip;
        GetClientRect(d.Hwnd(), &client);
        GetWindowRect(d.SizeGrip, &grip);
        MapWindowPoints(nullptr, d.Hwnd(), reinterpret_cast<POINT*>(&grip), 2);
        EXPECT_EQ(grip.right, client.right);
        EXPECT_EQ(grip.bottom, client.bottom);
        EXPECT_GT(grip.right - grip.left, 0);
    }
    Use(0);
    TestDlg& fixed = Open(IDD_FIND);
    EXPECT_FALSE(fixed.Resizable);
    EXPECT_FALSE(fixed.SizeGrip);
}

TEST_F(ChnDlgTest, PaintHookRunsFirstAndIsReplaced) {
    static int calls = 0;
    calls = 0;
    TestDlg& d = Open(IDD_FIND);
    const DialogPaintHook hook = [](HWND, HDC) { calls++; };
    EXPECT_EQ(d.SetPaintHook(hook), nullptr);
    InvalidateRect(d.Hwnd(), nullptr, TRUE);
    Pump(d);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(d.SetPaintHook(nullptr), hook);
}

}  // namespace

namespace {

TEST_F(ChnDlgTest, HiddenGroupBoxIsPaintedByTheDialog) {
    Use(1);
    TestDlg& d = Open(IDD_SPEECH_OPTIONS, [](TestDlg& t) {
        t.beforeInit = [](TestDlg& self) { SetWindowTextW(GetWindow(self.Hwnd(), GW_CHILD), L"Volume"); };
    });
    const HWND group = GetWindow(d.Hwnd(), GW_CHILD);
    ShowWindow(group, SW_HIDE);
    InvalidateRect(d.Hwnd(), nullptr, TRUE);
    Pump(d);
    RECT r, wr;
    GetWindowRect(group, &r);
    GetWindowRect(d.Hwnd(), &wr);
    OffsetRect(&r, -wr.left, -wr.top);  // window coordinates of the picture
    auto pic = CaptureWindow(d.Hwnd());
    ASSERT_TRUE(pic);
    const std::uint32_t shadow = Rgb(GetSysColor(COLOR_BTNSHADOW));
    int frame = 0;
    for (int y = r.top + 12; y < r.bottom - 3; y++)
        if (pic->Pixel(r.left, y) == shadow) frame++;
    EXPECT_GE(frame, (r.bottom - r.top) - 16) << "the left edge of the etched frame";
    const int text = CountIn(*pic, {r.left + 8, r.top, r.left + 48, r.top + 16}, [](std::uint32_t p) {
        return int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF) < 300;
    });
    EXPECT_GT(text, 10) << "the translated title in the gap";
}

}  // namespace
