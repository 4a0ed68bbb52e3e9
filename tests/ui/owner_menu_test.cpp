// The toolbar's owner-drawn menus under Wine: the real menu resource, a real
// owner window, WM_MEASUREITEM and WM_DRAWITEM through it, pixels of the items
// drawn into a DIB section and screenshots of each popup.
#include "ui/owner_menu.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/support/pump_messages.h"
#include "tests/support/screenshot.h"
#include "tests/support/text_literals.h"
#include "tests/ui/interface_language.h"
#include "ui/gdi.h"
#include "ui/glyph_text.h"
#include "ui/window.h"

namespace {

// A hidden top-level window that owns the menus, as the toolbar will.
class MenuHost : public Window {
public:
    MenuHost() {
        WindowArgs a;
        a.className = L"ZhMenuHost";
        a.style = WS_POPUP;
        a.x = 100, a.y = 100, a.width = 40, a.height = 20;
        Create(a);
    }
    ~MenuHost() override { Destroy(); }

    OwnerDrawMenu menus;
    std::function<void()> onTimer;
    int measured = 0, drawn = 0;

protected:
    LRESULT OnMessage(UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_MEASUREITEM && menus.OnMeasureItem(Hwnd(), *reinterpret_cast<MEASUREITEMSTRUCT*>(l)))
            return measured++, TRUE;
        if (m == WM_DRAWITEM && menus.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l))) return drawn++, TRUE;
        if (m == WM_TIMER && onTimer) {
            KillTimer(Hwnd(), w);
            onTimer();
            return 0;
        }
        return Default(m, w, l);
    }
};

struct Entry {
    UINT type = 0;
    UINT id = 0;
    UINT state = 0;
    ULONG_PTR data = 0;
    HMENU popup = nullptr;
};
Entry EntryAt(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU;
    EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info));
    return {info.fType, info.wID, info.fState, info.dwItemData, info.hSubMenu};
}
const MenuItemRecord* RecordOf(const Entry& e) { return reinterpret_cast<const MenuItemRecord*>(e.data); }

// The resource's own texts, read from a fresh copy of the menu.
std::vector<std::vector<std::wstring>> ResourceTexts() {
    std::vector<std::vector<std::wstring>> texts;
    const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_TOOLBAR_MENUS));
    for (int p = 0; p < GetMenuItemCount(menu); p++) {
        std::vector<std::wstring> popup;
        wchar_t b[256];
        GetMenuStringW(menu, p, b, 256, MF_BYPOSITION);
        popup.push_back(b);
        const HMENU sub = GetSubMenu(menu, p);
        for (int i = 0; i < GetMenuItemCount(sub); i++) {
            b[0] = 0;
            GetMenuStringW(sub, i, b, 256, MF_BYPOSITION);
            popup.push_back(GetMenuItemID(sub, i) ? b : L"-");
        }
        texts.push_back(popup);
    }
    DestroyMenu(menu);
    return texts;
}

// Every title and item owner-drawn with a record of the resource text and the
// right parent; separators ordinary.
void ExpectOwnerDrawn(const OwnerDrawMenu& menus) {
    const auto texts = ResourceTexts();
    ASSERT_EQ(texts.size(), 3u);
    ASSERT_EQ(GetMenuItemCount(menus.Menu()), 3);
    size_t records = 0;
    for (int p = 0; p < 3; p++) {
        const Entry title = EntryAt(menus.Menu(), p);
        ASSERT_TRUE(title.type & MFT_OWNERDRAW) << p;
        ASSERT_TRUE(title.popup);
        const MenuItemRecord* t = RecordOf(title);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->text, texts[p][0]);
        EXPECT_FALSE(t->IsItem());
        records++;
        ASSERT_EQ(GetMenuItemCount(title.popup), static_cast<int>(texts[p].size()) - 1);
        for (int i = 0; i + 1 < static_cast<int>(texts[p].size()); i++) {
            const Entry e = EntryAt(title.popup, i);
            if (texts[p][i + 1] == L"-") {
                EXPECT_TRUE(e.type & MFT_SEPARATOR) << p << "," << i;
                EXPECT_FALSE(e.type & MFT_OWNERDRAW) << p << "," << i;
                EXPECT_EQ(e.data, 0u);
                continue;
            }
            ASSERT_TRUE(e.type & MFT_OWNERDRAW) << p << "," << i;
            const MenuItemRecord* r = RecordOf(e);
            ASSERT_TRUE(r);
            EXPECT_EQ(r->text, texts[p][i + 1]);
            EXPECT_EQ(r->parent, t);
            EXPECT_TRUE(r->IsItem());
            records++;
        }
    }
    EXPECT_EQ(menus.Records().size(), records);
    EXPECT_TRUE(menus.Built());
}

int Cw() { return GetSystemMetrics(SM_CXMENUCHECK); }

// The record of the first IDM_LOOP item of popup 0.
const MenuItemRecord* LoopRecord(const OwnerDrawMenu& menus, int* position = nullptr) {
    const HMENU popup = menus.Popup(0);
    for (int i = 0; i < GetMenuItemCount(popup); i++)
        if (GetMenuItemID(popup, i) == IDM_LOOP) {
            if (position) *position = i;
            return RecordOf(EntryAt(popup, i));
        }
    return nullptr;
}

TEST(OwnerDrawMenu, EveryEntryCarriesItsResourceText) {
    MenuHost host;
    ASSERT_TRUE(host.Hwnd());
    ASSERT_TRUE(host.menus.Load());
    ExpectOwnerDrawn(host.menus);

    // Loading again without rebuilding changes nothing.
    const MenuItemRecord* before = host.menus.Records().front().get();
    host.menus.BuildOwnerDrawMenu(false);
    EXPECT_EQ(host.menus.Records().front().get(), before);

    // Rebuilding in place: new records, same texts, ids and check state.
    int loop = -1;
    ASSERT_TRUE(LoopRecord(host.menus, &loop));
    CheckMenuItem(host.menus.Popup(0), IDM_LOOP, MF_BYCOMMAND | MF_CHECKED);
    host.menus.BuildOwnerDrawMenu(true);
    ExpectOwnerDrawn(host.menus);
    EXPECT_EQ(GetMenuItemID(host.menus.Popup(0), loop), static_cast<UINT>(IDM_LOOP));
    EXPECT_TRUE(GetMenuState(host.menus.Popup(0), IDM_LOOP, MF_BYCOMMAND) & MF_CHECKED);

    // Reloading: a new menu from the resource, built again.
    const HMENU old = host.menus.Menu();
    ASSERT_TRUE(host.menus.ReloadMenus());
    EXPECT_NE(host.menus.Menu(), old);
    EXPECT_FALSE(IsMenu(old));
    ExpectOwnerDrawn(host.menus);
    EXPECT_FALSE(GetMenuState(host.menus.Popup(0), IDM_LOOP, MF_BYCOMMAND) & MF_CHECKED);
}

TEST(OwnerDrawMenu, MissingResourceLeavesNoMenu) {
    OwnerDrawMenu menus;
    EXPECT_FALSE(menus.Load(GetModuleHandleW(L"kernel32.dll")));
    EXPECT_FALSE(menus.Menu());
    EXPECT_TRUE(menus.Records().empty());
    EXPECT_FALSE(menus.Popup(0));
}

SIZE Extent(HDC dc, HGDIOBJ font, const std::wstring& s) {
    Selected f(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size;
}

MEASUREITEMSTRUCT Measure(MenuHost& host, const MenuItemRecord* record) {
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_MENU;
    m.itemData = reinterpret_cast<ULONG_PTR>(record);
    EXPECT_EQ(SendMessageW(host.Hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m)), TRUE);
    return m;
}

TEST(OwnerDrawMenu, MeasuresTheLabelInTheLanguagesFont) {
    InterfaceLanguage language(0);
    MenuHost host;
    ASSERT_TRUE(host.menus.Load());
    const MenuItemRecord* loop = LoopRecord(host.menus);
    ASSERT_TRUE(loop);
    const MenuItemRecord* title = host.menus.Records().front().get();
    const int ch = GetSystemMetrics(SM_CYMENUCHECK), mh = GetSystemMetrics(SM_CYMENUSIZE);
    WindowDc dc(host.Hwnd());

    // English: the resource text in DEFAULT_GUI_FONT.
    const SIZE en = Extent(dc, GetStockObject(DEFAULT_GUI_FONT), L"Loop (Speech Button)");
    MEASUREITEMSTRUCT m = Measure(host, loop);
    EXPECT_EQ(static_cast<int>(m.itemWidth), en.cx + Cw() * 5 / 2);
    EXPECT_EQ(static_cast<int>(m.itemHeight), std::max({ch, static_cast<int>(en.cy), mh}) + 1);
    EXPECT_EQ(loop->itemWidth, static_cast<int>(m.itemWidth));
    m = Measure(host, title);  // a popup title gets no room for a check mark
    EXPECT_EQ(static_cast<int>(m.itemWidth), Extent(dc, GetStockObject(DEFAULT_GUI_FONT), L"Options").cx);

    // German: the translation, still in DEFAULT_GUI_FONT.
    language.Use(3);
    m = Measure(host, loop);
    EXPECT_EQ(static_cast<int>(m.itemWidth),
              Extent(dc, GetStockObject(DEFAULT_GUI_FONT), L"Endlos vorlesen").cx + Cw() * 5 / 2);

    // Simplified Chinese: the translation, drawn in GbUiFont.
    language.Use(1);
    ASSERT_TRUE(GbUiFont.Get());
    const std::u16string zh = Utf16("循环朗读");
    SIZE glyph;
    {
        Selected f(dc, GbUiFont.Get());
        glyph = MeasureGlyphText(dc, zh, 16, 16);
    }
    EXPECT_GE(glyph.cx, 4 * 10);
    m = Measure(host, loop);
    EXPECT_EQ(static_cast<int>(m.itemWidth), glyph.cx + Cw() * 5 / 2);
    EXPECT_EQ(static_cast<int>(m.itemHeight), std::max({ch, static_cast<int>(glyph.cy), mh}) + 1);

    // Not one of the menu's records: left to others.
    MEASUREITEMSTRUCT foreign{};
    foreign.CtlType = ODT_MENU;
    MenuItemRecord stranger{L"x"};
    foreign.itemData = reinterpret_cast<ULONG_PTR>(&stranger);
    EXPECT_FALSE(host.menus.OnMeasureItem(host.Hwnd(), foreign));
    foreign.CtlType = ODT_BUTTON;
    foreign.itemData = reinterpret_cast<ULONG_PTR>(loop);
    EXPECT_FALSE(host.menus.OnMeasureItem(host.Hwnd(), foreign));
}

constexpr int kItemW = 200, kItemH = 24;

// The item drawn through the host's WM_DRAWITEM into a fresh DIB section.
std::unique_ptr<DibSection> DrawItem(MenuHost& host, const MenuItemRecord* record, UINT state) {
    auto dib = std::make_unique<DibSection>(kItemW, kItemH);
    dib->Fill(0x123456);
    DRAWITEMSTRUCT d{};
    d.CtlType = ODT_MENU;
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = state;
    d.hDC = dib->Dc();
    d.rcItem = {0, 0, kItemW, kItemH};
    d.itemData = reinterpret_cast<ULONG_PTR>(record);
    EXPECT_EQ(SendMessageW(host.Hwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d)), TRUE);
    return dib;
}

// What the label should look like: `text` drawn by `draw` on `background` in `ink`.
std::unique_ptr<DibSection> Expected(COLORREF background, COLORREF ink, HGDIOBJ font,
                                     const std::function<void(HDC)>& draw) {
    auto dib = std::make_unique<DibSection>(kItemW, kItemH);
    dib->Fill(Rgb(background));
    SetTextColor(dib->Dc(), ink);
    SetBkMode(dib->Dc(), TRANSPARENT);
    Selected f(dib->Dc(), font);
    draw(dib->Dc());
    return dib;
}

// Pixels equal in columns [x0, x1).
int DifferentPixels(const DibSection& a, const DibSection& b, int x0, int x1) {
    int n = 0;
    for (int y = 0; y < a.Height(); y++)
        for (int x = x0; x < x1; x++) n += a.Pixel(x, y) != b.Pixel(x, y);
    return n;
}

int TextTop() {
    const int f = GbFontHeight;
    return f < 16 ? (16 - f) / 2 + 1 : 0;
}

TEST(OwnerDrawMenu, DrawsCheckAndLabel) {
    InterfaceLanguage language(0);
    MenuHost host;
    ASSERT_TRUE(host.menus.Load());
    const MenuItemRecord* loop = LoopRecord(host.menus);
    ASSERT_TRUE(loop);
    const int cw = Cw(), top = TextTop(), textX = 2 * cw;
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), highText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF menu = GetSysColor(COLOR_MENU), menuText = GetSysColor(COLOR_MENUTEXT);

    // Selected and checked, English: highlight background, the tick in the
    // highlight text colour at the computed place, the resource text.
    auto got = DrawItem(host, loop, ODS_SELECTED | ODS_CHECKED);
    EXPECT_EQ(got->Pixel(kItemW - 1, kItemH - 1), Rgb(highlight));
    EXPECT_EQ(got->Pixel(0, 0), Rgb(highlight));
    const int bx = (cw * 3 / 2 - 13) / 2, by = top + (kItemH - top - 13) / 2;
    // Tick pixels of the 13 x 13 bitmap (row, column) and white ones.
    for (auto [r, c] : {std::pair{2, 10}, {5, 2}, {7, 5}, {9, 4}})
        EXPECT_EQ(got->Pixel(bx + c, by + r), Rgb(highText)) << r << "," << c;
    for (auto [r, c] : {std::pair{0, 0}, {2, 2}, {12, 12}, {5, 5}})
        EXPECT_EQ(got->Pixel(bx + c, by + r), Rgb(highlight)) << r << "," << c;
    auto want = Expected(highlight, highText, GetStockObject(DEFAULT_GUI_FONT),
                         [&](HDC dc) { TextOutW(dc, textX, top, L"Loop (Speech Button)", 20); });
    EXPECT_EQ(DifferentPixels(*got, *want, textX, kItemW), 0);

    // Not selected, not checked: menu colours and no tick.
    got = DrawItem(host, loop, 0);
    for (int x = 0; x < textX; x++)
        for (int y = 0; y < kItemH; y++) ASSERT_EQ(got->Pixel(x, y), Rgb(menu)) << x << "," << y;
    want = Expected(menu, menuText, GetStockObject(DEFAULT_GUI_FONT),
                    [&](HDC dc) { TextOutW(dc, textX, top, L"Loop (Speech Button)", 20); });
    EXPECT_EQ(DifferentPixels(*got, *want, textX, kItemW), 0);

    // Grayed on a light menu background: the gray text colour.
    if (!((GetRValue(menu) | GetGValue(menu) | GetBValue(menu)) < 190)) {
        got = DrawItem(host, loop, ODS_GRAYED);
        want = Expected(menu, GetSysColor(COLOR_GRAYTEXT), GetStockObject(DEFAULT_GUI_FONT),
                        [&](HDC dc) { TextOutW(dc, textX, top, L"Loop (Speech Button)", 20); });
        EXPECT_EQ(DifferentPixels(*got, *want, 0, kItemW), 0);
    }

    // A popup title: the face colour, text at cw / 2.
    const MenuItemRecord* title = host.menus.Records().front().get();
    got = DrawItem(host, title, 0);
    want = Expected(GetSysColor(COLOR_3DFACE), menuText, GetStockObject(DEFAULT_GUI_FONT),
                    [&](HDC dc) { TextOutW(dc, cw / 2, top, L"Options", 7); });
    EXPECT_EQ(DifferentPixels(*got, *want, 0, kItemW), 0);

    // Simplified Chinese: the translation through the glyph routine in GbUiFont.
    language.Use(1);
    got = DrawItem(host, loop, ODS_CHECKED);
    want = Expected(menu, menuText, GbUiFont.Get(),
                    [&](HDC dc) { DrawGlyphText(dc, textX, top, Utf16("循环朗读"), -1, 0, 16, 16, 1); });
    EXPECT_EQ(DifferentPixels(*got, *want, textX, kItemW), 0);
    EXPECT_EQ(got->Pixel(bx + 10, by + 2), Rgb(menuText));
    auto english = Expected(menu, menuText, GetStockObject(DEFAULT_GUI_FONT),
                            [&](HDC dc) { TextOutW(dc, textX, top, L"Loop (Speech Button)", 20); });
    EXPECT_GT(DifferentPixels(*got, *english, textX, kItemW), 20);
}

// Opens popup `index` of the host's menu at (x, y), saves the popup window as
// `name` once the system has drawn it, and closes it. The records the system
// measured carry their widths afterwards.
struct Shown {
    std::string path;
    int width = 0;
};
Shown ShowPopup(MenuHost& host, int index, const std::string& name, bool highlightFirst) {
    Shown shown;
    int step = 0;
    host.onTimer = [&] {
        const HWND popup = FindWindowW(L"#32768", nullptr);
        if (popup && IsWindowVisible(popup) && highlightFirst && step++ == 0) {
            PostMessageW(host.Hwnd(), WM_KEYDOWN, VK_DOWN, 0);
            SetTimer(host.Hwnd(), 1, 150, nullptr);
            return;
        }
        if (popup && IsWindowVisible(popup)) {
            shown.path = SaveScreenshot(popup, name);
            RECT r{};
            GetWindowRect(popup, &r);
            shown.width = r.right - r.left;
        }
        EndMenu();
    };
    SetForegroundWindow(host.Hwnd());
    SetTimer(host.Hwnd(), 1, 300, nullptr);
    TrackPopupMenu(host.menus.Popup(index), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, 120, 120, 0, host.Hwnd(),
                   nullptr);
    host.onTimer = nullptr;
    return shown;
}

TEST(OwnerDrawMenu, PopupScreenshots) {
    const char* names[] = {"options", "control1", "control2"};
    for (int language : {0, 1}) {
        InterfaceLanguage scope(language);
        MenuHost host;
        ASSERT_TRUE(host.menus.Load());
        ShowWindow(host.Hwnd(), SW_SHOWNOACTIVATE);
        for (int p = 0; p < 3; p++) {
            CheckMenuItem(host.menus.Popup(p), IDM_LOOP, MF_BYCOMMAND | (language == 1 ? MF_CHECKED : 0));
            host.measured = host.drawn = 0;
            const std::string name = std::string("menus/") + names[p] + (language ? "_zh" : "_en");
            const Shown shown = ShowPopup(host, p, name, true);
            EXPECT_FALSE(shown.path.empty()) << name;
            EXPECT_GT(host.drawn, 0) << name;
            // Every item of the popup was measured through the host; the menu
            // is at least as wide as the widest item.
            const HMENU popup = host.menus.Popup(p);
            int widest = 0;
            for (int i = 0; i < GetMenuItemCount(popup); i++) {
                const Entry e = EntryAt(popup, i);
                if (e.type & MFT_SEPARATOR) continue;
                EXPECT_GT(RecordOf(e)->itemWidth, 0) << name << " " << i;
                widest = std::max(widest, RecordOf(e)->itemWidth);
            }
            EXPECT_GE(shown.width, widest) << name;
            std::cout << name << ": " << shown.path << ", " << shown.width << " pixels wide\n";
        }
    }
}

}  // namespace
