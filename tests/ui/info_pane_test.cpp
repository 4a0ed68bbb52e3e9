// The information pane under Wine: its size and place, a real pop-up that is
// never activated, its painting, and the ways it is hidden.
#include "ui/info_pane.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

#include "app/environment.h"
#include "tests/support/screenshot.h"
#include "ui/glyph_text.h"

namespace {

TEST(InfoPaneLayout, SampleLettersGrowWithTheSquareRootOfTheLength) {
    struct Case {
        std::size_t length;
        int letters;
    } cases[] = {{0, 28}, {100, 28}, {250, 28}, {300, 31}, {400, 36}, {10000, 180}};
    for (const Case& c : cases) EXPECT_EQ(InfoPaneSampleLetters(c.length), c.letters) << c.length;
}

TEST(InfoPaneLayout, PlacedAboveOrLeftOfThePointNearTheWorkAreaEdges) {
    const RECT work{0, 0, 1000, 700};
    const SIZE size{300, 100};
    struct Case {
        const char* what;
        int x, y;
        POINT at;
    } cases[] = {
        {"room on every side", 100, 100, {100, 100}},
        {"near the bottom: above", 100, 600, {100, 502}},
        {"bottom edge exactly reached", 100, 564, {100, 466}},
        {"one pixel more room", 100, 563, {100, 563}},
        {"near the right: left and lower", 900, 100, {664, 136}},
        {"bottom right corner: above and left", 950, 650, {664, 552}},
        {"left of the screen", -50, 100, {4, 100}},
        {"x of 2 stays", 2, 100, {2, 100}},
        {"above the screen", 100, -20, {100, 0}},
    };
    for (const Case& c : cases) {
        const POINT p = InfoPanePosition(c.x, c.y, size, work);
        EXPECT_EQ(p.x, c.at.x) << c.what;
        EXPECT_EQ(p.y, c.at.y) << c.what;
    }
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

void Pump() {
    for (int round = 0; round < 3; round++) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

bool Blue(std::uint32_t p) { return (p & 0xFF) > 150 && ((p >> 16) & 0xFF) < 110 && ((p >> 8) & 0xFF) < 110; }

// A plain top-level window in the foreground, as a dialog would be.
class InfoPaneWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateSharedFonts());
        WNDCLASSW wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"InfoPaneOwner";
        RegisterClassW(&wc);
        owner_ = CreateWindowExW(0, L"InfoPaneOwner", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 400, 300,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(owner_);
        SetForegroundWindow(owner_);
        SetActiveWindow(owner_);
        Pump();
    }
    void TearDown() override {
        HideInfoPane();
        DestroyWindow(owner_);
    }
    HWND owner_ = nullptr;
};

TEST_F(InfoPaneWindow, ShowsWithoutTakingTheFocusAndHidesOnEscape) {
    const std::u16string text = u"Enter a Chinese word to search for it in the whole text.";
    ASSERT_TRUE(ShowInfoPane(owner_, 120, 140, text, false));
    Pump();
    const InfoPaneState& pane = InfoPane();
    const HWND h = pane.PaneWindow;
    ASSERT_TRUE(IsWindow(h));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_TRUE(InfoPaneHasText());
    EXPECT_EQ(pane.PaneText, text);
    wchar_t name[32]{};
    GetClassNameW(h, name, 32);
    EXPECT_STREQ(name, L"MsgPane");
    EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 803);
    EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowEnabled(h));
    EXPECT_EQ(GetForegroundWindow(), owner_);  // the dialog keeps the focus
    EXPECT_EQ(GetActiveWindow(), owner_);

    // Sized to the wrapped text plus a caption height and 4 each way, at the point.
    RECT r;
    GetWindowRect(h, &r);
    const int c = GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(r.right - r.left, pane.PaneTextSize.cx + c + 4);
    EXPECT_EQ(r.bottom - r.top, pane.PaneTextSize.cy + c + 4);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 140);
    EXPECT_GT(pane.PaneLineHeight, 0);

    // Shown again for the same dialog: the window is kept.
    ASSERT_TRUE(ShowInfoPane(owner_, 150, 160, u"Second text", false));
    EXPECT_EQ(InfoPane().PaneWindow, h);

    SendMessageW(h, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(IsWindowVisible(h));  // other keys are ignored
    SendMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_FALSE(InfoPaneHasText());
    EXPECT_TRUE(InfoPane().PaneText.empty());
}

TEST_F(InfoPaneWindow, AClickInTheCloseBoxHidesAClosablePaneAndOnlyThere) {
    ASSERT_TRUE(ShowInfoPane(owner_, 100, 100, u"A closable help text with a few words in it.", true));
    Pump();
    const HWND h = InfoPane().PaneWindow;
    RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW);
    const RECT box = InfoPane().PaneCloseRect;
    const int c = GetSystemMetrics(SM_CYCAPTION);
    RECT client;
    GetClientRect(h, &client);
    EXPECT_EQ(box.right, client.right - c / 8);
    EXPECT_EQ(box.top, c / 8);
    EXPECT_EQ(box.right - box.left, c / 2);

    auto clickAt = [&](POINT client) {
        ClientToScreen(h, &client);
        SetCursorPos(client.x, client.y);
        SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    };
    // A mouse move over the box only sets the arrow; a click outside it does nothing.
    POINT inside{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    POINT p = inside;
    ClientToScreen(h, &p);
    SetCursorPos(p.x, p.y);
    SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(InfoPaneHasText());
    clickAt({client.right / 3, client.bottom - 4});
    EXPECT_TRUE(InfoPaneHasText());
    clickAt(inside);
    EXPECT_FALSE(InfoPaneHasText());
    EXPECT_FALSE(IsWindowVisible(h));

    // Without a close box the same click keeps the pane.
    ASSERT_TRUE(ShowInfoPane(owner_, 100, 100, u"A closable help text with a few words in it.", false));
    Pump();
    clickAt(inside);
    EXPECT_TRUE(InfoPaneHasText());
}

TEST_F(InfoPaneWindow, PaintsAPaleFramedBoxWithBlueTextInChineseToo) {
    const std::u16string text =
        u"\u5728\u6587\u672C\u4E2D\u67E5\u627E\u4E00\u4E2A\u8BCD\u3002 Type the word and press Enter; "
        u"\u6309 Esc \u5173\u95ED\u3002";
    ASSERT_TRUE(ShowInfoPane(owner_, 60, 80, text, true));
    Pump();
    const HWND h = InfoPane().PaneWindow;
    auto pic = CaptureWindow(h);
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Pixel(0, 0), 0x8384A1u);                           // the frame
    EXPECT_EQ(pic->Pixel(pic->Width() / 2, 1), 0xFEFCD7u);            // the face
    EXPECT_EQ(pic->Pixel(pic->Width() - 1, pic->Height() - 1), 0x8384A1u);
    int blue = 0, left = pic->Width(), right = 0;
    for (int y = 1; y < pic->Height() - 1; y++)
        for (int x = 1; x < pic->Width() - 1; x++)
            if (Blue(pic->Pixel(x, y))) {
                blue++;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(blue, 100);
    // Centred: the text's margins differ by little (the close box sits in the right margin).
    EXPECT_LT(std::abs(left - (pic->Width() - 1 - right)), GetSystemMetrics(SM_CYCAPTION));
    EXPECT_FALSE(SaveScreenshot(h, "info_pane").empty());
}

TEST_F(InfoPaneWindow, NearTheBottomRightCornerItOpensAboveAndLeftOfThePoint) {
    const RECT work = ScreenRect(false);
    const int x = work.right - 20, y = work.bottom - 20;
    ASSERT_TRUE(ShowInfoPane(owner_, x, y, u"Help near the corner of the screen.", false));
    Pump();
    RECT r;
    GetWindowRect(InfoPane().PaneWindow, &r);
    EXPECT_LE(r.right, x);
    EXPECT_LE(r.bottom, y + 2);
    EXPECT_GE(r.left, work.left);
    EXPECT_GE(r.top, work.top);
}

}  // namespace
