// The compiled resources: every dialog template, the menu, the pictures, the
// icon and the cursor load and hold what the code relies on.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/support/pump_messages.h"
#include "tests/support/screenshot.h"

namespace {

using namespace std::chrono_literals;

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// What a control must be: its class, the bits of its style that make its
// kind, its text when the dialog gives one, and whether it starts visible.
struct Control {
    int id;
    const wchar_t* cls;
    DWORD kindMask;
    DWORD kind;
    const wchar_t* text = nullptr;
    bool visible = true;
};

constexpr DWORD kButtonKind = BS_TYPEMASK;
constexpr DWORD kComboKind = 3 | CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
constexpr DWORD kOwnerList = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
constexpr DWORD kBitmapCheck = BS_TYPEMASK | BS_PUSHLIKE | BS_BITMAP;
constexpr DWORD kBitmapCheckKind = BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_BITMAP;
constexpr DWORD kBitmapPush = BS_TYPEMASK | BS_BITMAP;
constexpr DWORD kRichReadOnly = ES_MULTILINE | ES_READONLY;

const wchar_t kButton[] = L"Button";
const wchar_t kStatic[] = L"Static";
const wchar_t kCombo[] = L"ComboBox";
const wchar_t kRich[] = L"RichEdit20W";

struct Template {
    int id;
    const char* name;
    bool child;  // an extension template of the file dialog
    std::vector<Control> controls;
};

// The reader templates share most controls.
std::vector<Control> ReaderControls(bool large) {
    std::vector<Control> c = {
        {IDC_TEXT_PANE, kRich, kRichReadOnly, ES_MULTILINE},
        {IDC_INFO_PANE, kRich, kRichReadOnly, kRichReadOnly},
        {IDC_SPEAK, kButton, kButtonKind, BS_OWNERDRAW},
        {IDC_SPEECH_SYNC, kButton, kBitmapCheck, kBitmapCheckKind},
        {IDC_SYNC_LABEL, kStatic, 0, 0, L"Synch"},
        {IDC_LOOP, kButton, kBitmapCheck, kBitmapCheckKind},
        {IDC_AUTO_SPEAK, kButton, kButtonKind, BS_AUTOCHECKBOX, L"Auto Speak"},
        {IDC_LAYOUT_VERT, kButton, kBitmapCheck, kBitmapCheckKind, nullptr, large},
    };
    if (large) {
        c.push_back({IDOK, kButton, kBitmapPush, BS_PUSHBUTTON | BS_BITMAP});
        c.push_back({IDC_RATE_DOWN, kButton, kBitmapPush, BS_PUSHBUTTON | BS_BITMAP, L"-"});
        c.push_back({IDC_RATE_UP, kButton, kBitmapPush, BS_PUSHBUTTON | BS_BITMAP, L"+"});
        c.push_back({IDC_RATE_ICON, kButton, kBitmapPush, BS_PUSHBUTTON | BS_BITMAP, L"spd"});
        c.push_back({IDC_SPEED_VALUE, kStatic, 0, 0});
        c.push_back({IDC_SHOW_PINYIN, kButton, kButtonKind, BS_AUTOCHECKBOX, L"Show Pinyin"});
        c.push_back({IDC_SPLITTER, kButton, kButtonKind, BS_OWNERDRAW});
    } else {
        c.push_back({IDOK, kButton, kBitmapPush, BS_PUSHBUTTON, L"Close"});
        c.push_back({IDC_READER_LABEL, kStatic, 0, 0, L"VirAz"});
    }
    return c;
}

std::vector<Control> FileExtraControls(const wchar_t* extraLabel) {
    return {
        {IDC_FOLDER_LABEL, kStatic, 0, 0, L"Used Folders"},
        {IDC_FOLDER_LIST, kCombo, 3, CBS_DROPDOWNLIST},
        {IDC_EXTRA_LABEL, kStatic, 0, 0, extraLabel},
        {IDC_EXTRA_LIST, kCombo, kComboKind, kOwnerList, nullptr, false},
    };
}

const std::vector<Template>& Templates() {
    static const std::vector<Template> all = {
        {IDD_WELCOME,
         "welcome",
         false,
         {
             {IDOK, kButton, kButtonKind, BS_DEFPUSHBUTTON, L"Continue"},
             {IDC_NO_STOP_AT_START, kButton, kButtonKind, BS_AUTOCHECKBOX, L"Do not stop here next time"},
         }},
        {IDD_ABOUT,
         "about",
         false,
         {
             {IDC_CREDITS, kButton, kButtonKind, BS_PUSHBUTTON, L"Credits"},
             {IDOK, kButton, kButtonKind, BS_DEFPUSHBUTTON, L"OK"},
             {IDC_VERSION, kStatic, SS_TYPEMASK, SS_LEFT},
             {IDC_YEAR_LINE, kStatic, SS_TYPEMASK, SS_LEFT},
             {IDC_LINK_HOME, kStatic, SS_TYPEMASK | SS_NOTIFY, SS_RIGHT | SS_NOTIFY},
             {IDC_LINK_CONTACT, kStatic, SS_TYPEMASK | SS_NOTIFY, SS_RIGHT | SS_NOTIFY},
         }},
        {IDD_FIND,
         "find",
         false,
         {
             {IDC_STATIC, kStatic, 0, 0, L"Text:"},
             {IDC_FIND_TEXT, kCombo, kComboKind | CBS_AUTOHSCROLL,
              CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_AUTOHSCROLL},
             {IDC_MATCH_CASE, kButton, kButtonKind, BS_AUTOCHECKBOX, L"&Match Case"},
             {IDC_UP_FINDING, kButton, kButtonKind, BS_AUTOCHECKBOX, L"&Up Finding"},
             {IDC_FIND_FROM_TOP, kButton, kButtonKind, BS_PUSHBUTTON, L"Find From &Top"},
             {IDC_FIND_FROM_BOTTOM, kButton, kButtonKind, BS_PUSHBUTTON, L"Find From &Bottom", false},
             {IDOK, kButton, kButtonKind, BS_DEFPUSHBUTTON, L"&Find"},
             {IDCANCEL, kButton, kButtonKind, BS_PUSHBUTTON, L"&Done"},
         }},
        {IDD_MESSAGE,
         "message",
         false,
         {
             {IDOK, kButton, 0, 0, L"OK", false},
             {IDYES, kButton, 0, 0, L"&Yes", false},
             {IDNO, kButton, 0, 0, L"&No", false},
             {IDCANCEL, kButton, 0, 0, L"&Cancel", false},
         }},
        {IDD_SYSTEM_OPTIONS,
         "system_options",
         false,
         {
             {IDC_STARTUP_AT_BOOT, kButton, kButtonKind, BS_AUTOCHECKBOX, L"Start Up At Boot"},
             {IDC_UI_LANGUAGE, kCombo, kComboKind, kOwnerList},
             {IDOK, kButton, 0, 0, L"OK"},
             {IDCANCEL, kButton, 0, 0, L"Cancel"},
         }},
        {IDD_SPEECH_OPTIONS,
         "speech_options",
         false,
         {
             {IDC_VOLUME_LABEL, kStatic, 0, 0, L"Volume"},
             {IDC_VOLUME_SLIDER, kButton, kButtonKind, BS_OWNERDRAW},
             {IDC_VOLUME_VALUE, kStatic, 0, 0, L"50"},
             {IDC_RATE_LABEL, kStatic, 0, 0, L"Speed"},
             {IDC_RATE_SLIDER, kButton, kButtonKind, BS_OWNERDRAW},
             {IDC_RATE_VALUE, kStatic, 0, 0, L"0"},
             {IDC_TEST_SPEECH, kButton, kButtonKind, BS_PUSHBUTTON, L"Test"},
             {IDC_WESTERN_VOICE_LABEL, kStatic, 0, 0, L"Select Western Voice:"},
             {IDC_WESTERN_VOICE, kCombo, kComboKind, kOwnerList},
             {IDC_CHINESE_VOICE_LABEL, kStatic, 0, 0, L"Select Chinese Voice:"},
             {IDC_CHINESE_VOICE, kCombo, kComboKind, kOwnerList},
             {IDC_CONTENT_LABEL, kStatic, 0, 0, L"Speech Content"},
             {IDC_SPEECH_CONTENT, kCombo, kComboKind, kOwnerList},
             {IDC_SYNC_WORD, kButton, kButtonKind, BS_AUTOCHECKBOX, L"Synchronise Word When Playing Document"},
             {IDC_CONTEXT_READINGS, kButton, kButtonKind, BS_AUTOCHECKBOX, L"Choose Readings From Context"},
             {IDOK, kButton, 0, 0, L"OK"},
             {IDCANCEL, kButton, 0, 0, L"Cancel"},
         }},
        {IDD_READER_SMALL, "reader_small", false, ReaderControls(false)},
        {IDD_READER_LARGE, "reader_large", false, ReaderControls(true)},
        {IDD_FILE_SAVE_EXTRA, "file_save_extra", true, FileExtraControls(L"Voice")},
        {IDD_FILE_OPEN_EXTRA, "file_open_extra", true, FileExtraControls(L"Encoding")},
    };
    return all;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

std::wstring TextOf(HWND w) {
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    return text;
}

// A plain top-level window to hold the child templates.
HWND MakeHost() {
    static const ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = Module();
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"ResTestHost";
        return RegisterClassW(&wc);
    }();
    return CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), L"Host", WS_POPUP | WS_CAPTION,
                           20, 20, 640, 120, nullptr, nullptr, Module(), nullptr);
}

class DialogTemplates : public ::testing::TestWithParam<Template> {
protected:
    static void SetUpTestSuite() { ASSERT_NE(LoadLibraryW(L"riched20.dll"), nullptr); }
};

TEST_P(DialogTemplates, LoadWithEveryControlOfItsKind) {
    const Template& t = GetParam();
    HWND host = t.child ? MakeHost() : nullptr;
    HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(t.id), host, PlainDialogProc, 0);
    ASSERT_NE(dlg, nullptr) << "template " << t.id << " error " << GetLastError();
    EXPECT_EQ((GetWindowLongW(dlg, GWL_STYLE) & WS_CHILD) != 0, t.child);
    for (const Control& c : t.controls) {
        SCOPED_TRACE("template " + std::to_string(t.id) + ", control " + std::to_string(c.id));
        HWND w = GetDlgItem(dlg, c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(_wcsicmp(ClassOf(w).c_str(), c.cls), 0) << "class " << ClassOf(w).size();
        const DWORD style = static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE));
        EXPECT_EQ(style & c.kindMask, c.kind) << std::hex << "style 0x" << style;
        if (c.text) {
            EXPECT_EQ(TextOf(w), c.text);
        }
        EXPECT_EQ((style & WS_VISIBLE) != 0, c.visible);
    }
    // The bitmap buttons get the bitmap of their own id, as the reader window gives them.
    std::vector<HANDLE> bitmaps;
    for (HWND w = GetWindow(dlg, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(w, GWL_STYLE) & BS_BITMAP) || _wcsicmp(ClassOf(w).c_str(), kButton) != 0) continue;
        HANDLE bmp = LoadImageW(Module(), MAKEINTRESOURCEW(GetDlgCtrlID(w)), IMAGE_BITMAP, 0, 0, 0);
        EXPECT_NE(bmp, nullptr) << "bitmap for button " << GetDlgCtrlID(w);
        SendMessageW(w, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
        bitmaps.push_back(bmp);
    }
    // A picture for people to look at: shown beside nothing else, at the top left.
    HWND top = t.child ? host : dlg;
    if (t.child) {
        RECT r;
        GetWindowRect(dlg, &r);
        SetWindowPos(host, HWND_TOP, 20, 20, r.right - r.left + 16, r.bottom - r.top + 40, SWP_SHOWWINDOW);
    } else {
        SetWindowPos(dlg, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    UpdateWindow(top);
    PumpMessagesUntil([] { return false; }, 300ms);
    EXPECT_FALSE(SaveScreenshot(top, "res/dialog_" + std::to_string(t.id) + "_" + t.name).empty());
    DestroyWindow(dlg);
    if (host) DestroyWindow(host);
    for (HANDLE b : bitmaps) DeleteObject(b);
}

INSTANTIATE_TEST_SUITE_P(Res, DialogTemplates, ::testing::ValuesIn(Templates()),
                         [](const auto& info) { return std::string(info.param.name); });

// Sizes and places that the code depends on, in dialog units.
struct UnitRect {
    int id;  // 0: the dialog's client area
    int x, y, w, h;
};

// As the dialog manager places a control: its origin and its size are each
// converted from dialog units.
RECT MappedRect(HWND dlg, const UnitRect& u) {
    RECT r = {u.x, u.y, u.w, u.h};
    MapDialogRect(dlg, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT ClientRectOf(HWND dlg, HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(DialogUnits, TemplatesHaveTheirStatedSizesAndPlaces) {
    ASSERT_NE(LoadLibraryW(L"riched20.dll"), nullptr);
    const struct {
        int dialog;
        std::vector<UnitRect> rects;
    } cases[] = {
        {IDD_FIND,
         {{0, 0, 0, 376, 101},
          {IDC_MATCH_CASE, 44, 46, 124, 10},
          {IDC_UP_FINDING, 44, 66, 129, 10},
          {IDC_FIND_FROM_TOP, 173, 43, 117, 18},
          {IDC_FIND_FROM_BOTTOM, 173, 43, 117, 18},
          {IDOK, 295, 43, 64, 18},
          {IDCANCEL, 295, 68, 64, 18}}},
        {IDD_READER_SMALL, {{0, 0, 0, 312, 247}}},
        {IDD_READER_LARGE, {{0, 0, 0, 597, 345}}},
    };
    for (const auto& c : cases) {
        HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(c.dialog), nullptr, PlainDialogProc, 0);
        ASSERT_NE(dlg, nullptr);
        for (const UnitRect& u : c.rects) {
            SCOPED_TRACE("template " + std::to_string(c.dialog) + ", control " + std::to_string(u.id));
            const RECT want = MappedRect(dlg, u);
            RECT got;
            if (u.id == 0)
                GetClientRect(dlg, &got);
            else
                got = ClientRectOf(dlg, GetDlgItem(dlg, u.id));
            EXPECT_EQ(got.left, want.left);
            EXPECT_EQ(got.top, want.top);
            EXPECT_EQ(got.right, want.right);
            EXPECT_EQ(got.bottom, want.bottom);
        }
        DestroyWindow(dlg);
    }
    // The find dialog's text label and combo box: the combo's own height is its
    // closed height, so only its left, top and width are fixed.
    HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_FIND), nullptr, PlainDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    const RECT want = MappedRect(dlg, {IDC_FIND_TEXT, 52, 9, 308, 125});
    const RECT got = ClientRectOf(dlg, GetDlgItem(dlg, IDC_FIND_TEXT));
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    DestroyWindow(dlg);
}

TEST(Menu, HoldsTheToolbarPopupsWithTheirItems) {
    struct Item {
        UINT id;  // 0: a separator
        const wchar_t* text;
    };
    const Item loop = {IDM_LOOP, L"Loop (Speech Button)"};
    const Item prefs = {IDM_SYSTEM_PREFERENCES, L"System Preferences"};
    const Item speech = {IDM_SPEECH_OPTIONS, L"Speech Button Options"};
    const Item about = {IDM_ABOUT, L"About Zhorvan"};
    const Item sep = {0, nullptr};
    const Item shutdown = {IDM_SHUTDOWN, L"Shutdown Zhorvan"};
    const struct {
        const wchar_t* title;
        std::vector<Item> items;
    } popups[] = {
        {L"Options",
         {{IDM_QUICK_GUIDE, L"Quick Guide"},
          about,
          sep,
          {IDM_SAVE_SPEECH, L"Save Speech File (wav)..."},
          sep,
          prefs,
          speech,
          loop,
          sep,
          {IDM_HIDE_TOOLBAR, L"Hide Zhorvan Toolbar"}}},
        {L"Control1",
         {about, sep, prefs, speech, loop, sep, {IDM_SHOW_TOOLBAR, L"Show Zhorvan Toolbar"}, sep, shutdown}},
        {L"Control2",
         {about, sep, prefs, speech, loop, sep, {IDM_HIDE_TOOLBAR, L"Hide Zhorvan Toolbar"}, sep, shutdown}},
    };
    HMENU menu = LoadMenuW(Module(), MAKEINTRESOURCEW(IDM_TOOLBAR_MENUS));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE("popup " + std::to_string(p));
        wchar_t text[128] = {};
        GetMenuStringW(menu, p, text, 128, MF_BYPOSITION);
        EXPECT_STREQ(text, popups[p].title);
        HMENU sub = GetSubMenu(menu, p);
        ASSERT_NE(sub, nullptr);
        ASSERT_EQ(GetMenuItemCount(sub), static_cast<int>(popups[p].items.size()));
        for (size_t i = 0; i < popups[p].items.size(); ++i) {
            SCOPED_TRACE("item " + std::to_string(i));
            const Item& want = popups[p].items[i];
            MENUITEMINFOW mi = {};
            mi.cbSize = sizeof(mi);
            mi.fMask = MIIM_FTYPE | MIIM_ID;
            ASSERT_TRUE(GetMenuItemInfoW(sub, static_cast<UINT>(i), TRUE, &mi));
            if (!want.text) {
                EXPECT_TRUE(mi.fType & MFT_SEPARATOR);
                continue;
            }
            EXPECT_EQ(mi.wID, want.id);
            GetMenuStringW(sub, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            EXPECT_STREQ(text, want.text);
        }
    }
    DestroyMenu(menu);
}

// The pixels of a loaded bitmap as 0x00RRGGBB, top row first.
std::vector<uint32_t> Pixels(HBITMAP bmp, int w, int h) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bmp, 0, h, px.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (uint32_t& p : px) p &= 0xFFFFFF;
    return px;
}

TEST(Bitmaps, LoadAtTheirStatedSizes) {
    const struct {
        int id, w, h, bits;  // bits 0: any depth
    } cases[] = {
        {IDB_CLOSE, 16, 16, 0},         {IDB_MENU_CHECK, 13, 13, 1}, {IDB_SLIDER_TRACK, 125, 20, 0},
        {IDB_RATE, 11, 11, 0},          {IDB_TOOLBAR, 46, 64, 0},    {IDB_SPLASH, 420, 240, 0},
        {IDB_PLAY_BUTTONS, 66, 51, 0},  {IDB_SIZE_GRIP, 12, 12, 0},  {IDB_SPEECH_SYNC, 16, 16, 0},
        {IDB_INFO_BUTTON, 12, 12, 0},   {IDB_LOOP, 16, 16, 0},       {IDB_LAYOUT_VERT, 16, 16, 0},
        {IDB_RATE_DOWN, 12, 12, 0},     {IDB_RATE_UP, 12, 12, 0},    {IDB_SPLITTER_HORZ, 250, 8, 0},
        {IDB_SPLITTER_VERT, 8, 250, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("bitmap " + std::to_string(c.id));
        HBITMAP bmp =
            static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(c.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bmp, nullptr);
        BITMAP b = {};
        ASSERT_TRUE(GetObjectW(bmp, sizeof(b), &b));
        EXPECT_EQ(b.bmWidth, c.w);
        EXPECT_EQ(b.bmHeight, c.h);
        if (c.bits) {
            EXPECT_EQ(b.bmBitsPixel, c.bits);
        }
        DeleteObject(bmp);
    }
}

HBITMAP LoadDib(int id) {
    return static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

TEST(Bitmaps, SpeakButtonPicturesSitOnTheButtonFace) {
    // The button paints its face RGB(233, 233, 239) and copies whole 22 x 17
    // pictures onto it: their borders must be that face, and the stopped
    // state's third part is empty.
    HBITMAP bmp = LoadDib(IDB_PLAY_BUTTONS);
    ASSERT_NE(bmp, nullptr);
    const std::vector<uint32_t> px = Pixels(bmp, 66, 51);
    const uint32_t face = 0xE9E9EF;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            SCOPED_TRACE("picture " + std::to_string(row) + "," + std::to_string(col));
            bool empty = true;
            for (int y = 0; y < 17; ++y)
                for (int x = 0; x < 22; ++x) {
                    const uint32_t p = px[static_cast<size_t>(row * 17 + y) * 66 + col * 22 + x];
                    if (x == 0 || y == 0 || x == 21 || y == 16) {
                        EXPECT_EQ(p, face) << x << "," << y;
                    }
                    empty = empty && p == face;
                }
            EXPECT_EQ(empty, row == 0 && col == 2);
        }
    DeleteObject(bmp);
}

TEST(Bitmaps, RateIconIsDrawnOnWhite) {
    // Combined with SRCAND: white leaves the slider untouched.
    HBITMAP bmp = LoadDib(IDB_RATE);
    ASSERT_NE(bmp, nullptr);
    const std::vector<uint32_t> px = Pixels(bmp, 11, 11);
    for (int i : {0, 10, 110, 120}) EXPECT_EQ(px[i], 0xFFFFFFu) << i;
    DeleteObject(bmp);
}

TEST(Bitmaps, ToolbarRowsDifferOnlyInTheButton) {
    // Row 0's gripper is the only one painted; the busy halves are copied from
    // rows 2 and 3 at their own columns, so the frame columns 9 and 45 and the
    // top and bottom lines must match in every row.
    HBITMAP bmp = LoadDib(IDB_TOOLBAR);
    ASSERT_NE(bmp, nullptr);
    const std::vector<uint32_t> px = Pixels(bmp, 46, 64);
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 46 + x]; };
    for (int row = 1; row < 4; ++row) {
        for (int y = 0; y < 16; ++y) {
            EXPECT_EQ(at(9, row * 16 + y), at(9, y)) << row << "," << y;
            EXPECT_EQ(at(45, row * 16 + y), at(45, y)) << row << "," << y;
        }
        for (int x = 9; x < 46; ++x) EXPECT_EQ(at(x, row * 16), at(x, 0)) << row << "," << x;
    }
    // Pressed and busy faces are distinct pictures.
    auto rowDiffers = [&](int a, int b) {
        for (int y = 1; y < 15; ++y)
            for (int x = 10; x < 45; ++x)
                if (at(x, a * 16 + y) != at(x, b * 16 + y)) return true;
        return false;
    };
    EXPECT_TRUE(rowDiffers(0, 1));
    EXPECT_TRUE(rowDiffers(0, 2));
    EXPECT_TRUE(rowDiffers(2, 3));
    DeleteObject(bmp);
}

SIZE IconSize(HICON icon) {
    ICONINFO ii = {};
    SIZE s = {0, 0};
    if (!GetIconInfo(icon, &ii)) return s;
    BITMAP b = {};
    GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(b), &b);
    s.cx = b.bmWidth;
    s.cy = ii.hbmColor ? b.bmHeight : b.bmHeight / 2;
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return s;
}

TEST(IconAndCursor, Load) {
    for (int size : {16, 32}) {
        SCOPED_TRACE("icon " + std::to_string(size));
        HICON icon = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        const SIZE s = IconSize(icon);
        EXPECT_EQ(s.cx, size);
        EXPECT_EQ(s.cy, size);
        DestroyIcon(icon);
    }
    HCURSOR hand = static_cast<HCURSOR>(LoadImageW(Module(), MAKEINTRESOURCEW(IDCUR_HAND), IMAGE_CURSOR, 32, 32, 0));
    ASSERT_NE(hand, nullptr);
    const SIZE s = IconSize(hand);
    EXPECT_EQ(s.cx, 32);
    EXPECT_EQ(s.cy, 32);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(hand, &ii));
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 4u);  // the tip of the finger
    EXPECT_EQ(ii.yHotspot, 0u);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyCursor(hand);
}

}  // namespace
