// The start-up picture and the welcome window under Wine, with real windows.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>

#include "app/environment.h"
#include "app/settings.h"
#include "app/splash_wnd.h"
#include "app/startup_picture.h"
#include "res/resource_ids.h"
#include "tests/support/pump_messages.h"
#include "tests/support/screenshot.h"
#include "tests/ui/interface_language.h"
#include "ui/gdi.h"

namespace {

using namespace std::chrono_literals;

void Pump(std::chrono::milliseconds time) {
    PumpMessagesUntil([] { return false; }, time);
}

// ---- start-up picture ----

class StartupPicture : public ::testing::Test {
protected:
    void TearDown() override {
        DestroyStartupPicture();
        if (foreground_) DestroyWindow(foreground_);
    }
    // A window of the test that holds the foreground and the focus.
    HWND MakeForeground() {
        foreground_ = CreateWindowExW(0, L"EDIT", L"foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 160,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(foreground_);
        SetFocus(foreground_);
        Pump(100ms);
        return foreground_;
    }
    HWND foreground_ = nullptr;
};

TEST_F(StartupPicture, CentredTopmostDisabledWithoutTakingTheFocus) {
    const HWND user = MakeForeground();
    ASSERT_EQ(GetForegroundWindow(), user);
    ASSERT_EQ(ShowStartupPicture(GetModuleHandleW(nullptr)), 1);
    const HWND h = StartupPictureWindow();
    ASSERT_TRUE(h);
    EXPECT_EQ(FindWindowA("SplashWndClass", "TorviImeSplash"), h);

    const LONG style = GetWindowLongW(h, GWL_STYLE), ex = GetWindowLongW(h, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_DISABLED | WS_CAPTION | WS_THICKFRAME),
              WS_POPUP | WS_VISIBLE | WS_DISABLED);
    EXPECT_EQ(ex & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowEnabled(h));

    const RECT work = ScreenRect(false);
    RECT r{};
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, (work.right - work.left - 420) / 2);
    EXPECT_EQ(r.top, (work.bottom - work.top - 240) / 2);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 240);

    Pump(150ms);
    EXPECT_EQ(GetForegroundWindow(), user);
    EXPECT_EQ(GetFocus(), user);
}

TEST_F(StartupPicture, ShowsBitmap177AndIsDestroyed) {
    ASSERT_EQ(ShowStartupPicture(GetModuleHandleW(nullptr)), 1);
    const HWND h = StartupPictureWindow();
    ASSERT_TRUE(h);
    Pump(150ms);

    DibSection expected(420, 240);
    {
        Gdi<HBITMAP> bitmap(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SPLASH)));
        ASSERT_TRUE(bitmap);
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 420);
        EXPECT_EQ(info.bmHeight, 240);
        MemoryDc memory;
        Selected selected(memory, bitmap);
        BitBlt(expected.Dc(), 0, 0, 420, 240, memory, 0, 0, SRCCOPY);
    }
    const std::unique_ptr<DibSection> shown = CaptureWindow(h);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->Width(), 420);
    ASSERT_EQ(shown->Height(), 240);
    int different = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 420; ++x) different += shown->Pixel(x, y) != expected.Pixel(x, y);
    EXPECT_EQ(different, 0);
    SaveScreenshot(h, "startup/picture");

    DestroyStartupPicture();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(StartupPictureWindow(), nullptr);
    DestroyStartupPicture();  // nothing left to destroy
    // Shown again after the class was registered once.
    EXPECT_EQ(ShowStartupPicture(GetModuleHandleW(nullptr)), 1);
    EXPECT_TRUE(IsWindow(StartupPictureWindow()));
}

// ---- welcome window ----

constexpr COLORREF kQuadrants[4] = {RGB(200, 30, 40), RGB(30, 160, 60), RGB(40, 60, 200), RGB(230, 200, 30)};

// A 24-bit BMP of w x h pixels in four quadrants split at (w / 2, h / 2):
// kQuadrants[0] top left, [1] top right, [2] bottom left, [3] bottom right.
std::string QuadrantBmp(int w, int h) {
    const int stride = (w * 3 + 3) / 4 * 4;
    std::string b = "BM";
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b += static_cast<char>(v >> (8 * i) & 0xFF);
    };
    le(54 + stride * h, 4), le(0, 4), le(54, 4);
    le(40, 4), le(w, 4), le(h, 4), le(1, 2), le(24, 2), le(0, 4), le(stride * h, 4), le(3780, 4), le(3780, 4);
    le(0, 4), le(0, 4);
    for (int y = h - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const COLORREF c = kQuadrants[(y >= h / 2) * 2 + (x >= w / 2)];
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        b += row;
    }
    return b;
}

constexpr UINT kRun = WM_APP + 50;  // posted at start: runs inLoop inside the modal loop

// The welcome window with a hook that runs once it is open.
class ProbeWelcome : public CSplashWnd {
public:
    std::function<void(ProbeWelcome&)> inLoop;
    HWND Button() const { return Item(IDOK); }
    HWND CheckBox() const { return Item(IDC_NO_STOP_AT_START); }
    // A control's rectangle in the dialog's client coordinates.
    RECT Place(HWND control) const {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    void Continue() { SendMessageW(Button(), BM_CLICK, 0, 0); }

protected:
    BOOL OnInitDialog() override {
        const BOOL r = CSplashWnd::OnInitDialog();
        PostMessageW(Hwnd(), kRun, 0, 0);
        return r;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kRun) {
            if (inLoop) inLoop(*this);
            return 0;
        }
        return CSplashWnd::OnMessage(message, wParam, lParam);
    }
};

class WelcomeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        static const HRESULT ole = OleInitialize(nullptr);  // once: start-up initialises OLE once
        ASSERT_TRUE(SUCCEEDED(ole));
        std::strcpy(savedSettings_, SettingsFile);
        language_ = std::make_unique<InterfaceLanguage>(0);
        const std::string settings = language_->Folder().File("Zhorvan.INI");
        ASSERT_LT(settings.size(), sizeof SettingsFile);
        std::strcpy(SettingsFile, settings.c_str());
        AppSettings.NoStopAtUsageDlgOnStart = 0;
    }
    void TearDown() override {
        language_.reset();
        std::strcpy(SettingsFile, savedSettings_);
    }
    void WritePicture(const std::string& bytes) { std::ofstream(CSplashWnd::PictureFile(), std::ios::binary) << bytes; }
    // Runs the window; `inLoop` checks it, then Continue closes it.
    INT_PTR Run(std::function<void(ProbeWelcome&)> inLoop) {
        ProbeWelcome w;
        w.inLoop = [&](ProbeWelcome& d) {
            inLoop(d);
            d.Continue();
        };
        return w.DoModal();
    }
    int StoredNoStop() const {
        return static_cast<int>(GetPrivateProfileIntA("Config", "NoStopAtUsageDlgOnStart", -1, SettingsFile));
    }

    std::unique_ptr<InterfaceLanguage> language_;
    char savedSettings_[MAX_PATH] = {};
};

RECT WindowRectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

int Height(const RECT& r) { return r.bottom - r.top; }
int Width(const RECT& r) { return r.right - r.left; }

// The layout below a 500 x 300 picture in each kind of interface language:
// the check box sits 1 pixel lower than 0.56 button heights in a Western
// language, 7 in an East Asian one.
struct LayoutCase {
    int language;
    int checkOffset;
};

class WelcomeLayout : public WelcomeWindow, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(WelcomeLayout, SizedToThePictureWithTheControlsBelowIt) {
    language_->Use(GetParam().language);
    WritePicture(QuadrantBmp(500, 300));
    bool ran = false;
    const INT_PTR result = Run([&](ProbeWelcome& d) {
        ran = true;
        EXPECT_EQ(d.PictureSize().cx, 500);
        EXPECT_EQ(d.PictureSize().cy, 300);
        const RECT window = WindowRectOf(d.Hwnd());
        RECT button{};
        GetClientRect(d.Button(), &button);
        const int bh = Height(button), bw = Width(button);
        ASSERT_GT(bh, 0);
        EXPECT_EQ(Width(window), 500);
        EXPECT_EQ(Height(window), 300 + std::max(2 * bh + 14, 78));

        const RECT b = d.Place(d.Button());
        EXPECT_EQ(b.left, 500 - bw - 12);
        EXPECT_EQ(b.top, 300 + 3 + static_cast<int>(0.56 * bh));
        const RECT c = d.Place(d.CheckBox());
        EXPECT_EQ(c.left, 6);
        EXPECT_EQ(c.top, 300 + static_cast<int>(0.56 * bh) + GetParam().checkOffset);
        RECT client{};
        GetClientRect(d.Hwnd(), &client);
        EXPECT_LE(b.bottom, client.bottom);  // both wholly inside the window
        EXPECT_LE(c.bottom, client.bottom);
        EXPECT_LT(c.right, b.left);

        EXPECT_EQ(GetFocus(), d.Button());
        const RECT work = ScreenRect(false);
        EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
        EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);

        // The picture at its pixel size at the client area's top-left corner.
        Pump(150ms);
        const std::unique_ptr<DibSection> shot = CaptureWindow(d.Hwnd());
        ASSERT_TRUE(shot);
        POINT origin{0, 0};
        ClientToScreen(d.Hwnd(), &origin);
        auto at = [&](int x, int y) { return shot->Pixel(origin.x - window.left + x, origin.y - window.top + y); };
        EXPECT_EQ(at(0, 0), Rgb(kQuadrants[0]));
        EXPECT_EQ(at(249, 149), Rgb(kQuadrants[0]));
        EXPECT_EQ(at(250, 149), Rgb(kQuadrants[1]));
        EXPECT_EQ(at(249, 150), Rgb(kQuadrants[2]));
        EXPECT_EQ(at(250, 299), Rgb(kQuadrants[3]));
        EXPECT_NE(at(250, 300), Rgb(kQuadrants[3]));  // the picture ends there
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(result, IDOK);
}

INSTANTIATE_TEST_SUITE_P(Languages, WelcomeLayout,
                         ::testing::Values(LayoutCase{UiEnglish, 1}, LayoutCase{UiSimplified, 7},
                                           LayoutCase{UiTraditional, 7}, LayoutCase{UiGerman, 1}));

TEST_F(WelcomeWindow, TheCheckBoxWritesTheSettingAtOnce) {
    WritePicture(QuadrantBmp(500, 300));
    for (int language : {UiEnglish, UiSimplified}) {
        language_->Use(language);
        Run([&](ProbeWelcome& d) {
            EXPECT_EQ(StoredNoStop(), language == UiEnglish ? -1 : 0);
            SendMessageW(d.CheckBox(), BM_CLICK, 0, 0);
            EXPECT_EQ(SendMessageW(d.CheckBox(), BM_GETCHECK, 0, 0), BST_CHECKED);
            EXPECT_EQ(AppSettings.NoStopAtUsageDlgOnStart, 1);
            EXPECT_EQ(StoredNoStop(), 1);
            SendMessageW(d.CheckBox(), BM_CLICK, 0, 0);
            EXPECT_EQ(AppSettings.NoStopAtUsageDlgOnStart, 0);
            EXPECT_EQ(StoredNoStop(), 0);
        });
    }
    // Ticked and closed: the exit's save keeps it.
    Run([&](ProbeWelcome& d) { SendMessageW(d.CheckBox(), BM_CLICK, 0, 0); });
    EXPECT_EQ(StoredNoStop(), 1);
    EXPECT_TRUE(SaveSettings());
    EXPECT_EQ(StoredNoStop(), 1);
}

// RunWelcome opens the welcome window modally; Continue ends it.
TEST_F(WelcomeWindow, RunWelcomeRunsUntilContinue) {
    WritePicture(QuadrantBmp(500, 300));
    static HWND seen = nullptr;
    seen = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND active = GetActiveWindow();
        if (!active || !GetDlgItem(active, IDC_NO_STOP_AT_START)) return;
        seen = active;
        SendMessageW(GetDlgItem(active, IDOK), BM_CLICK, 0, 0);
    });
    ASSERT_NE(timer, 0u);
    RunWelcome();
    KillTimer(nullptr, timer);
    ASSERT_TRUE(seen);
    EXPECT_FALSE(IsWindow(seen));
}

// Without a usable picture the window keeps its template.
struct PlainCase {
    const char* name;
    bool write;
    std::string bytes;
};

class WelcomeWithoutPicture : public WelcomeWindow, public ::testing::WithParamInterface<PlainCase> {};

TEST_P(WelcomeWithoutPicture, ShowsThePlainTemplate) {
    if (GetParam().write) WritePicture(GetParam().bytes);
    const INT_PTR result = Run([&](ProbeWelcome& d) {
        EXPECT_EQ(d.PictureSize().cx, 0);
        RECT expected{196, 10, 196 + 58, 10 + 14};
        MapDialogRect(d.Hwnd(), &expected);
        const RECT b = d.Place(d.Button());
        EXPECT_EQ(b.left, expected.left);
        EXPECT_EQ(b.top, expected.top);
        RECT check{6, 12, 0, 0};
        MapDialogRect(d.Hwnd(), &check);
        EXPECT_EQ(d.Place(d.CheckBox()).left, check.left);
        EXPECT_EQ(d.Place(d.CheckBox()).top, check.top);
        RECT client{}, size{0, 0, 260, 34};
        GetClientRect(d.Hwnd(), &client);
        MapDialogRect(d.Hwnd(), &size);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);
        // The check box still writes the setting.
        SendMessageW(d.CheckBox(), BM_CLICK, 0, 0);
        EXPECT_EQ(StoredNoStop(), 1);
    });
    EXPECT_EQ(result, IDOK);
}

INSTANTIATE_TEST_SUITE_P(Files, WelcomeWithoutPicture,
                         ::testing::Values(PlainCase{"Missing", false, ""}, PlainCase{"Empty", true, ""},
                                           PlainCase{"Garbage", true, std::string(5000, '\x5A') + "not a picture"},
                                           PlainCase{"TruncatedJpeg", true,
                                                     std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11)},
                                           PlainCase{"TruncatedBmp", true, QuadrantBmp(500, 300).substr(0, 60)}),
                         [](const ::testing::TestParamInfo<PlainCase>& info) { return std::string(info.param.name); });

// The shipped picture: beside the executable, a JPEG, a size that suits the window.
std::string ExecutableFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A picture file decoded by the system's OLE picture loader at its pixel size.
std::unique_ptr<DibSection> Decode(const std::string& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) return nullptr;
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture, picture.PutVoid())))
        return nullptr;
    OLE_XSIZE_HIMETRIC hw = 0;
    OLE_YSIZE_HIMETRIC hh = 0;
    picture->get_Width(&hw);
    picture->get_Height(&hh);
    WindowDc screen(nullptr);
    auto dib = std::make_unique<DibSection>(MulDiv(hw, GetDeviceCaps(screen, LOGPIXELSX), 2540),
                                            MulDiv(hh, GetDeviceCaps(screen, LOGPIXELSY), 2540));
    picture->Render(dib->Dc(), 0, 0, dib->Width(), dib->Height(), 0, hh, hw, -hh, nullptr);
    return dib;
}

// The shipped JPEG decodes to its uncompressed reference within JPEG's error.
TEST_F(WelcomeWindow, TheShippedJpegMatchesItsReference) {
    const std::unique_ptr<DibSection> jpeg = Decode(FileBytes(ExecutableFolder() + "welcome_tesmarel.jpg"));
    const std::unique_ptr<DibSection> reference = Decode(FileBytes(ExecutableFolder() + "welcome_reference.bmp"));
    ASSERT_TRUE(jpeg && reference);
    ASSERT_EQ(jpeg->Width(), reference->Width());
    ASSERT_EQ(jpeg->Height(), reference->Height());
    double total = 0;
    int worst = 0, distinct = 0;
    const int pixels = jpeg->Width() * jpeg->Height();
    for (int y = 0; y < jpeg->Height(); ++y)
        for (int x = 0; x < jpeg->Width(); ++x) {
            const uint32_t a = jpeg->Pixel(x, y), b = reference->Pixel(x, y);
            distinct += b != reference->Pixel(0, 0);
            int error = 0;
            for (int shift : {0, 8, 16})
                error = std::max(error, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
            total += error;
            worst = std::max(worst, error);
        }
    EXPECT_GT(distinct, pixels / 2);  // a picture, not a blank
    // Measured: a mean of 2.4 and at worst 39 levels at the edges of the text.
    EXPECT_LT(total / pixels, 4.0);
    EXPECT_LT(worst, 64);
}

TEST_F(WelcomeWindow, TheShippedPictureWithScreenshots) {
    const std::string shipped = ExecutableFolder() + "welcome_tesmarel.jpg";
    std::ifstream in(shipped, std::ios::binary);
    ASSERT_TRUE(in) << shipped;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\xFF\xD8\xFF", 3));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\xFF\xD9", 2));
    WritePicture(bytes);

    for (auto [language, name] :
         {std::pair{UiEnglish, "startup/welcome_en"}, std::pair{UiSimplified, "startup/welcome_zh"}}) {
        language_->Use(language);
        Run([&, name = name](ProbeWelcome& d) {
            const SIZE size = d.PictureSize();
            EXPECT_GE(size.cx, 500);
            EXPECT_LE(size.cx, 640);
            EXPECT_GE(size.cy, 300);
            EXPECT_LE(size.cy, 400);
            EXPECT_EQ(Width(WindowRectOf(d.Hwnd())), size.cx);
            Pump(300ms);
            const std::unique_ptr<DibSection> shot = CaptureWindow(d.Hwnd());
            ASSERT_TRUE(shot);
            POINT origin{0, 0};
            ClientToScreen(d.Hwnd(), &origin);
            const RECT window = WindowRectOf(d.Hwnd());
            // The title band of the picture: blue, as drawn.
            const uint32_t band = shot->Pixel(origin.x - window.left + 8, origin.y - window.top + 45);
            EXPECT_GT(band & 0xFF, 150u);
            EXPECT_LT(band >> 16, 110u);
            EXPECT_FALSE(SaveScreenshot(d.Hwnd(), name).empty());
        });
    }
}

}  // namespace
