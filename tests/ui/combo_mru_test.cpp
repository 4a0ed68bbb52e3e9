// The history combo box and its edit field under Wine: a real owner-drawn
// combo box in a real window, history files in scratch folders, the
// drop-down list, and double-clicks in the edit field.
#include "ui/combo_mru.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "tests/support/pump_messages.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "tests/ui/interface_language.h"
#include "ui/edit_ex.h"
#include "ui/gdi.h"
#include "ui/glyph_text.h"
#include "ui/subclass.h"
#include "ui/window.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::wstring W(std::string_view utf8) {
    const std::u16string u = Utf16(utf8);
    return std::wstring(u.begin(), u.end());
}

constexpr int kComboId = 131;

// A top-level window holding one CBS_DROPDOWN owner-drawn combo box, which
// passes the owner-draw messages to the box.
class ComboHost : public Window {
public:
    explicit ComboHost(int comboWidth = 220, const CDictTop* lexicon = nullptr, int hostWidth = 0) : combo(lexicon) {
        WindowArgs a;
        a.className = L"ZhComboHost";
        a.style = WS_POPUP | WS_BORDER;
        a.x = 50, a.y = 50, a.width = hostWidth ? hostWidth : comboWidth + 20, a.height = 260;
        Create(a);
        box = CreateWindowExW(0, L"COMBOBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_OWNERDRAWFIXED |
                                  CBS_HASSTRINGS | CBS_AUTOHSCROLL,
                              10, 10, comboWidth, 200, Hwnd(), reinterpret_cast<HMENU>(kComboId),
                              GetModuleHandleW(nullptr), nullptr);
        combo.Attach(box);
    }
    ~ComboHost() override { Destroy(); }

    CComboMRU combo;
    HWND box = nullptr;
    int measuredHeight = 0;

protected:
    LRESULT OnMessage(UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_MEASUREITEM) {
            auto& mi = *reinterpret_cast<MEASUREITEMSTRUCT*>(l);
            if (mi.CtlID == kComboId && CComboMRU::MeasureItem(mi)) return measuredHeight = mi.itemHeight, TRUE;
        }
        if (m == WM_DRAWITEM && combo.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l))) return TRUE;
        return Default(m, w, l);
    }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::wstring> Items(HWND box) {
    std::vector<std::wstring> items;
    const int n = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; i++) {
        wchar_t b[2048] = {};
        SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(b));
        items.push_back(b);
    }
    return items;
}

COMBOBOXINFO ComboInfo() {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return info;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t b[2048] = {};
    GetWindowTextW(hwnd, b, 2048);
    return b;
}

// A combo box in a host window whose history lives in a scratch folder.
class ComboMru : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.box);
        host_.combo.SetHistoryFolder(folder_.Path() + "\\");
    }
    std::string File(const std::string& name) const { return folder_.File("combomru" + name + ".bin"); }
    CComboMRU& Combo() { return host_.combo; }

    ScratchFolder folder_{"zh_combo"};
    ComboHost host_;
};

TEST_F(ComboMru, ListIsCaseSensitiveFileIsNot) {
    Combo().InitHistory("FindText", 18);
    EXPECT_EQ(Combo().HistoryFile(), File("FindText"));
    EXPECT_FALSE(fs::exists(File("FindText")));  // nothing to load, nothing written
    EXPECT_TRUE(Combo().AddToTop(L"ABC"));
    EXPECT_TRUE(Combo().AddToTop(L"abc"));
    EXPECT_EQ(Items(host_.box), (std::vector<std::wstring>{L"abc", L"ABC"}));
    EXPECT_EQ(WindowText(host_.box), L"abc");
    EXPECT_EQ(ReadFile(File("FindText")), "abc\r\nABC\r\n");
    EXPECT_EQ(Combo().FindExact(0, L"ABC"), 1);
    EXPECT_EQ(Combo().FindExact(-5, L"abc"), 0);
    EXPECT_EQ(Combo().FindExact(1, L"abc"), -1);
    EXPECT_EQ(Combo().FindExact(0, L"Abc"), -1);
    EXPECT_TRUE(Combo().SaveHistory("abc"));
    EXPECT_EQ(ReadFile(File("FindText")), "abc\r\n");
    // The first line written once, in the given case, even when the list holds it otherwise.
    EXPECT_TRUE(Combo().SaveHistory("aBc"));
    EXPECT_EQ(ReadFile(File("FindText")), "aBc\r\n");
    // Adding an existing text moves it to the top; an empty one does nothing.
    EXPECT_TRUE(Combo().AddToTop(L"ABC"));
    EXPECT_EQ(Items(host_.box), (std::vector<std::wstring>{L"ABC", L"abc"}));
    EXPECT_FALSE(Combo().AddToTop(L""));
    EXPECT_EQ(Items(host_.box).size(), 2u);
}

TEST_F(ComboMru, SeventeenthTextDropsTheOldest) {
    Combo().InitHistory("Seventeen", 18);
    for (int i = 1; i <= 16; i++) ASSERT_TRUE(Combo().AddToTop(L"t" + std::to_wstring(i)));
    ASSERT_EQ(Items(host_.box).size(), 16u);
    ASSERT_TRUE(Combo().AddToTop(L"t17"));
    const auto items = Items(host_.box);
    ASSERT_EQ(items.size(), 16u);
    EXPECT_EQ(items.front(), L"t17");
    EXPECT_EQ(items.back(), L"t2");
    EXPECT_EQ(Combo().FindExact(0, L"t1"), -1);
    std::string want;
    for (int i = 17; i >= 2; i--) want += "t" + std::to_string(i) + "\r\n";
    EXPECT_EQ(ReadFile(File("Seventeen")), want);
}

TEST_F(ComboMru, LongTextAndChineseRoundTrip) {
    Combo().InitHistory("Long", 18);
    ASSERT_TRUE(Combo().AddToTop(std::wstring(1500, L'x')));
    EXPECT_EQ(Items(host_.box).front().size(), 1024u);
    ASSERT_TRUE(Combo().AddToTop(W("银行行长")));
    EXPECT_EQ(Bytes(Combo().GetItemText(0)), GbkBytes("银行行长"));
    EXPECT_EQ(ReadFile(File("Long")), GbkBytes("银行行长") + "\r\n" + std::string(1024, 'x') + "\r\n");
    SendMessageW(host_.box, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(Bytes(Combo().GetItemText(-1)), std::string(1024, 'x'));
    EXPECT_EQ(Bytes(Combo().GetItemText(7)), "");
    // The file reads back in the same order: the long line in pieces of 1023 bytes.
    ComboHost again;
    again.combo.SetHistoryFolder(folder_.Path() + "\\");
    again.combo.InitHistory("Long", 18);
    EXPECT_EQ(Items(again.box), (std::vector<std::wstring>{W("银行行长"), std::wstring(1023, L'x'), L"x"}));
}

struct LoadCase {
    const char* name;
    std::string file;  // bytes of the history file; "-" none
    std::vector<std::wstring> items;
};

TEST_F(ComboMru, LoadsHistoryFiles) {
    std::string seventeen;
    std::vector<std::wstring> sixteen;
    for (int i = 0; i < 17; i++) {
        seventeen += "n" + std::to_string(i) + "\n";
        if (i < 16) sixteen.push_back(L"n" + std::to_wstring(i));
    }
    const LoadCase cases[] = {
        {"blank lines and CR LF", "one\r\n\r\n\r\ntwo\r\n\n  \r\nthree\r\r\n", {L"one", L"two", L"  ", L"three"}},
        {"no final newline", "alpha\nbeta", {L"alpha", L"beta"}},
        {"GBK text", GbkBytes("中文\r\n") + "x\r\n", {W("中文"), L"x"}},
        {"line of 1500 bytes",
         std::string(1500, 'a') + "\nb\n",
         {std::wstring(1023, L'a'), std::wstring(477, L'a'), L"b"}},
        {"more than the maximum", seventeen, sixteen},
        {"empty file", "", {}},
        {"missing file", "-", {}},
    };
    for (const LoadCase& c : cases) {
        ScratchFolder folder("zh_combo_load");
        if (c.file != "-") WriteFile(folder.File("combomruH.bin"), c.file);
        ComboHost host;
        host.combo.SetHistoryFolder(folder.Path() + "\\");
        host.combo.InitHistory("H", 18);
        EXPECT_EQ(Items(host.box), c.items) << c.name;
        EXPECT_EQ(SendMessageW(host.box, CB_GETCURSEL, 0, 0), c.items.empty() ? CB_ERR : 0) << c.name;
        EXPECT_EQ(SendMessageW(host.box, CB_GETITEMHEIGHT, 0, 0), 18) << c.name;
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(host.box, WM_GETFONT, 0, 0)),
                  GetStockObject(DEFAULT_GUI_FONT));
    }
}

TEST_F(ComboMru, NamesAndTheNoHistoryBox) {
    const struct {
        const char* name;
        const char* file;  // null: none written
    } cases[] = {
        {"", "combomrutemp.bin"}, {"FindText", "combomruFindText.bin"}, {"NoMRU", nullptr}, {"nomru", nullptr}};
    for (const auto& c : cases) {
        ScratchFolder folder("zh_combo_names");
        WriteFile(folder.File("combomruNoMRU.bin"), "old\n");
        WriteFile(folder.File("combomrunomru.bin"), "old\n");
        {
            ComboHost host;
            host.combo.SetHistoryFolder(folder.Path() + "\\");
            host.combo.InitHistory(c.name, 18);
            EXPECT_EQ(host.combo.NoHistory(), c.file == nullptr) << c.name;
            if (!c.file) {
                EXPECT_TRUE(Items(host.box).empty()) << c.name;
            }
            EXPECT_TRUE(host.combo.AddToTop(L"entered")) << c.name;
            SetWindowTextW(host.box, L"typed");
        }  // destroyed: saves unless "NoMRU"
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(folder.Path())) files.push_back(e.path().filename().string());
        std::sort(files.begin(), files.end());
        std::vector<std::string> want = {"combomruNoMRU.bin"};  // the folder's files compare case-insensitively
        if (c.file) want.push_back(c.file), std::sort(want.begin(), want.end());
        EXPECT_EQ(files, want) << c.name;
        EXPECT_EQ(ReadFile(folder.File("combomruNoMRU.bin")), "old\n") << c.name;
        if (c.file) {
            EXPECT_EQ(ReadFile(folder.File(c.file)), "typed\r\nentered\r\n") << c.name;
        }
    }
    // A box that never got a name writes combomru.bin.
    ScratchFolder folder("zh_combo_unnamed");
    {
        ComboHost host;
        host.combo.SetHistoryFolder(folder.Path() + "\\");
        SetWindowTextW(host.box, L"plain");
    }
    EXPECT_EQ(ReadFile(folder.File("combomru.bin")), "plain\r\n");
}

TEST_F(ComboMru, DestroySavesTypedTextFirstAndHidesTheFile) {
    Combo().InitHistory("FindText", 18);
    ASSERT_TRUE(Combo().AddToTop(L"older"));
    ASSERT_TRUE(Combo().AddToTop(L"Typed"));
    const std::string path = File("FindText");
    DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    // Typed but never added: it becomes the first line, its other case is not repeated.
    SetWindowTextW(host_.box, L"typed");
    DestroyWindow(host_.Hwnd());
    EXPECT_EQ(ReadFile(path), "typed\r\nolder\r\n");
    attributes = GetFileAttributesA(path.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN));
}

TEST_F(ComboMru, UnwritableHistoryIsSilent) {
    host_.combo.SetHistoryFolder(folder_.Path() + "\\missing\\");
    Combo().InitHistory("FindText", 18);
    EXPECT_TRUE(Items(host_.box).empty());
    EXPECT_TRUE(Combo().AddToTop(L"kept"));
    EXPECT_EQ(Items(host_.box), std::vector<std::wstring>{L"kept"});
    EXPECT_FALSE(Combo().SaveHistory("x"));
    EXPECT_FALSE(fs::exists(folder_.Path() + "/missing"));
}

TEST_F(ComboMru, FindsItemDataAndSelectsText) {
    Combo().InitHistory("NoMRU", 18);
    for (const wchar_t* s : {L"zero", L"one", L"two"})
        SendMessageW(host_.box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendMessageW(host_.box, CB_SETITEMDATA, 1, 77);
    SendMessageW(host_.box, CB_SETITEMDATA, 2, 77);
    EXPECT_EQ(Combo().FindItemData(77), 1);
    EXPECT_EQ(Combo().FindItemData(5), -1);
    EXPECT_EQ(Combo().SelectText(L"two", 0), 2);
    EXPECT_EQ(SendMessageW(host_.box, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Combo().SelectText(L"TWO", 1), 1);
    EXPECT_EQ(SendMessageW(host_.box, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Combo().AddString(Gbk("中文")), 3);
    EXPECT_EQ(Items(host_.box).back(), W("中文"));
    SetWindowTextW(host_.box, L"current");
    EXPECT_TRUE(Combo().AddCurrentText());
    EXPECT_EQ(Items(host_.box).front(), L"current");
}

int GlyphWidth(HWND box, const std::wstring& s) {
    WindowDc dc(box);
    Selected f(dc, GetStockObject(DEFAULT_GUI_FONT));
    return MeasureGlyphText(dc, std::u16string(s.begin(), s.end()), 16, 16).cx;
}

TEST(ComboMruDrop, WidthFollowsTheLongestItemUpToTheCap) {
    InterfaceLanguage language(0);
    ScratchFolder folder("zh_combo_drop");
    ComboHost host(120);
    host.combo.SetHistoryFolder(folder.Path() + "\\");
    host.combo.InitHistory("NoMRU", 18);
    RECT r;
    GetWindowRect(host.box, &r);
    const int width = r.right - r.left;
    const std::wstring medium = L"A medium entry of the list box", wide = std::wstring(80, L'W');
    // Few items, no scroll bar: the text, its inset and the list's border.
    const int frame = 4 + 2 * GetSystemMetrics(SM_CXBORDER);
    host.combo.AddToTop(L"short");
    EXPECT_EQ(host.combo.MaxDropWidth(), static_cast<int>(width * 2.3));
    EXPECT_EQ(host.combo.DropWidth(), GlyphWidth(host.box, L"short") + frame);
    host.combo.AddToTop(medium);
    const int mediumWidth = GlyphWidth(host.box, medium) + frame;
    ASSERT_GT(mediumWidth, width);
    EXPECT_EQ(host.combo.DropWidth(), mediumWidth);
    host.combo.AddToTop(wide);
    EXPECT_EQ(host.combo.DropWidth(), static_cast<int>(width * 2.3));

    // Dropped down: the list is widened to the drop width, its left edge kept.
    host.combo.SetMaxDropWidth(0);
    SendMessageW(host.box, CB_DELETESTRING, 0, 0);
    host.combo.ComputeDropWidth();
    ShowWindow(host.Hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(host.Hwnd());
    COMBOBOXINFO info = ComboInfo();
    ASSERT_TRUE(GetComboBoxInfo(host.box, &info));
    SendMessageW(host.box, CB_SHOWDROPDOWN, TRUE, 0);
    PumpMessagesUntil([&] { return IsWindowVisible(info.hwndList) != 0; }, 1000ms);
    RedrawWindow(info.hwndList, nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE);
    RECT list;
    GetWindowRect(info.hwndList, &list);
    EXPECT_EQ(list.right - list.left, mediumWidth);
    EXPECT_EQ(list.left, r.left);
    RECT client;
    GetClientRect(info.hwndList, &client);
    EXPECT_GE(client.right, GlyphWidth(host.box, medium) + 4);  // the longest item is not clipped
    SendMessageW(host.box, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST(ComboMruDraw, ItemsThroughTheGlyphRoutine) {
    InterfaceLanguage language(1);
    ScratchFolder folder("zh_combo_draw");
    ComboHost host;
    EXPECT_EQ(host.measuredHeight, CComboMRU::kItemHeight);
    EXPECT_EQ(SendMessageW(host.box, CB_GETITEMHEIGHT, 0, 0), CComboMRU::kItemHeight);
    host.combo.SetHistoryFolder(folder.Path() + "\\");
    host.combo.InitHistory("NoMRU", 18);
    host.combo.AddString(Gbk("朗读设置"));
    host.combo.text = W("其他");

    const auto draw = [&](UINT id, UINT state) {
        auto dib = std::make_unique<DibSection>(120, 19);
        dib->Fill(0x123456);
        DRAWITEMSTRUCT d{};
        d.CtlType = ODT_COMBOBOX;
        d.CtlID = kComboId;
        d.itemID = id;
        d.itemAction = ODA_DRAWENTIRE;
        d.itemState = state;
        d.hwndItem = host.box;
        d.hDC = dib->Dc();
        d.rcItem = {0, 0, 120, 19};
        EXPECT_EQ(SendMessageW(host.Hwnd(), WM_DRAWITEM, kComboId, reinterpret_cast<LPARAM>(&d)), TRUE);
        return dib;
    };
    const auto expected = [&](COLORREF paper, COLORREF ink, int x, int y, const std::wstring& s) {
        auto dib = std::make_unique<DibSection>(120, 19);
        dib->Fill(Rgb(paper));
        SetTextColor(dib->Dc(), ink);
        SetBkMode(dib->Dc(), TRANSPARENT);
        Selected f(dib->Dc(), GetStockObject(DEFAULT_GUI_FONT));
        DrawGlyphText(dib->Dc(), x, y, std::u16string(s.begin(), s.end()), -1, 0, 16, 16, 1);
        return dib;
    };
    const auto same = [](const DibSection& a, const DibSection& b) {
        int n = 0;
        for (int y = 0; y < a.Height(); y++)
            for (int x = 0; x < a.Width(); x++) n += a.Pixel(x, y) != b.Pixel(x, y);
        return n;
    };
    const COLORREF window = GetSysColor(COLOR_WINDOW), windowText = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF high = GetSysColor(COLOR_HIGHLIGHT), highText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    EXPECT_EQ(same(*draw(0, 0), *expected(window, windowText, 2, 2, W("朗读设置"))), 0);
    EXPECT_EQ(same(*draw(0, ODS_SELECTED), *expected(high, highText, 2, 2, W("朗读设置"))), 0);
    // Past the end of the list: the box's own text, not inset.
    EXPECT_EQ(same(*draw(1, 0), *expected(window, windowText, 0, 0, W("其他"))), 0);
    // Another control's item is not this box's.
    DRAWITEMSTRUCT other{};
    other.CtlType = ODT_COMBOBOX;
    other.hwndItem = host.Hwnd();
    EXPECT_FALSE(host.combo.DrawItem(other));
}

TEST(ComboMruDraw, DroppedDownScreenshots) {
    for (int lang : {0, 1}) {
        InterfaceLanguage language(lang);
        ScratchFolder folder("zh_combo_shot");
        WriteFile(folder.File("combomruFindText.bin"),
                  GbkBytes("银行行长了解情况\n中文 reader_2\n循环朗读 (Speech Button)\nhello world\n"
                           "将朗读保存为 WAV 文件...\n"
                           "Chinese reading aid: speech, pinyin and definitions 朗读\n"));
        ComboHost host(180, nullptr, 440);
        host.combo.SetHistoryFolder(folder.Path() + "\\");
        host.combo.InitHistory("FindText", 18);
        ShowWindow(host.Hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(host.Hwnd());
        COMBOBOXINFO info = ComboInfo();
        ASSERT_TRUE(GetComboBoxInfo(host.box, &info));
        SendMessageW(host.box, CB_SHOWDROPDOWN, TRUE, 0);
        PumpMessagesUntil([&] { return IsWindowVisible(info.hwndList) != 0; }, 1000ms);
        SendMessageW(host.box, CB_SETCURSEL, 1, 0);
        PumpMessagesUntil([] { return false; }, 200ms);
        RECT list;
        GetWindowRect(info.hwndList, &list);
        EXPECT_GE(list.right - list.left, host.combo.DropWidth());
        const std::string name = std::string("combo/dropped_") + (lang ? "zh" : "en");
        const std::string path = SaveScreenshot(info.hwndList, name);
        EXPECT_FALSE(path.empty());
        SaveScreenshot(host.Hwnd(), name + "_box");
        std::cout << path << " " << list.right - list.left << " pixels wide\n";
        SendMessageW(host.box, CB_SHOWDROPDOWN, FALSE, 0);
        // The edit field was taken over at its first colouring.
        EXPECT_EQ(host.combo.Edit().Hwnd(), info.hwndItem);
        EXPECT_TRUE(host.combo.Edit().RedrawParent);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(info.hwndItem, WM_GETFONT, 0, 0)), GbUiFont.Get());
        EXPECT_TRUE(GetWindowLongPtrW(info.hwndItem, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    }
}

// The edit field of a combo box, with a lexicon in which 中, 文 and 字 have readings.
class EditEx : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* ch : {"中", "文", "字"}) {
            typArrPYs& r = dict_.ToneMaskRecords[Key(ch)];
            r.readings.Add("zi");
            r.ToneMask[0] = 1;
        }
        host_ = std::make_unique<ComboHost>(300, &dict_);
        host_->combo.SetHistoryFolder(folder_.Path() + "\\");
        host_->combo.InitHistory("NoMRU", 18);
        ShowWindow(host_->Hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(host_->Hwnd());
        COMBOBOXINFO info = ComboInfo();
        ASSERT_TRUE(GetComboBoxInfo(host_->box, &info));
        edit_ = info.hwndItem;
        RedrawWindow(edit_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ASSERT_EQ(host_->combo.Edit().Hwnd(), edit_);
    }
    // Double-clicks at the left edge of character `at`; the selection made.
    std::pair<int, int> DoubleClick(const std::wstring& text, int at) {
        SetWindowTextW(edit_, text.c_str());
        const LRESULT pos = SendMessageW(edit_, EM_POSFROMCHAR, at, 0);
        const LPARAM point = MAKELPARAM(LOWORD(pos) + 1, HIWORD(pos) + 3);
        EXPECT_EQ(LOWORD(SendMessageW(edit_, EM_CHARFROMPOS, 0, point)), at);
        SendMessageW(edit_, EM_SETSEL, 0, 0);
        SendMessageW(edit_, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        DWORD first = 0, end = 0;
        SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(first), static_cast<int>(end)};
    }

    CDictTop dict_;
    InterfaceLanguage language_{0};
    ScratchFolder folder_{"zh_editex"};
    std::unique_ptr<ComboHost> host_;
    HWND edit_ = nullptr;
};

TEST_F(EditEx, DoubleClickSelectsAWord) {
    const struct {
        const char* utf8;
        int at;
        int first, end;
    } cases[] = {
        {"find reader_2 now", 8, 5, 13},  // inside reader_2
        {"find reader_2 now", 5, 5, 13},  // at its start
        {"ab中文字cd", 3, 2, 5},          // inside a run with readings
        {"ab中文字cd", 5, 2, 5},          // just after the run: the run before
        {"x中文，。字", 4, 4, 4},         // between two punctuation marks: nothing
        {"甲中文乙", 2, 1, 3},            // 甲 and 乙 have no readings
        {"abc 中文", 4, 4, 6},            // after a space, at the run's start
        {"  ", 1, 1, 1},
    };
    for (const auto& c : cases) {
        const auto got = DoubleClick(W(c.utf8), c.at);
        EXPECT_EQ(got, std::make_pair(c.first, c.end)) << c.utf8 << " at " << c.at;
    }
}

// Records the fonts set on a window.
class FontRecorder : public Subclass {
public:
    std::vector<HFONT> fonts;

protected:
    LRESULT OnMessage(UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_SETFONT) fonts.push_back(reinterpret_cast<HFONT>(w));
        return Default(m, w, l);
    }
};

TEST_F(EditEx, TakesTheSharedFontAndGivesTheOldOneBack) {
    ASSERT_TRUE(GbUiFont.Get());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(edit_, WM_GETFONT, 0, 0)), GbUiFont.Get());
    FontRecorder recorder;
    ASSERT_TRUE(recorder.Attach(edit_));
    host_.reset();
    ASSERT_FALSE(recorder.fonts.empty());
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(recorder.fonts.back()), GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(EditEx, PauseKeyRedrawsOncePending) {
    CEditEx& edit = host_->combo.Edit();
    const auto pending = [&] {
        RECT r;
        return GetUpdateRect(host_->box, &r, FALSE) != 0;
    };
    ValidateRect(host_->box, nullptr);
    SendMessageW(edit_, WM_KEYDOWN, VK_PAUSE, 0);  // nothing pending: default handling only
    EXPECT_FALSE(pending());
    edit.RedrawPending = true;
    EXPECT_EQ(SendMessageW(edit_, WM_KEYDOWN, VK_PAUSE, 0), 0);
    EXPECT_TRUE(pending());  // the combo box, as RedrawParent is set
    EXPECT_FALSE(edit.RedrawPending);
    ValidateRect(host_->box, nullptr);
    SendMessageW(edit_, WM_KEYDOWN, VK_PAUSE, 0);
    EXPECT_FALSE(pending());
}

}  // namespace
