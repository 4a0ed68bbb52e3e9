#include "ui/owner_menu.h"

#include <algorithm>
#include <string_view>

#include "app/environment.h"
#include "app/settings.h"
#include "res/resource_ids.h"
#include "ui/gdi.h"
#include "ui/glyph_text.h"
#include "ui/saved_dc.h"
#include "ui/ui_strings.h"
#include "ui/ui_text.h"

namespace {

int Language() { return AppSettings.UILanguage.load(); }

// The code page a label is translated with: 936 for English and simplified
// Chinese, 950 for traditional Chinese, 1252 for German, else the file's own.
int LabelCodePage(int language) {
    switch (language) {
        case 0:
        case 1: return 936;
        case 2: return 950;
        case 3: return 1252;
        default: return -1;
    }
}

HGDIOBJ LanguageFont(int language) {
    HGDIOBJ font = nullptr;
    if (language == 1)
        font = GbUiFont.Get();
    else if (!IsLatinUiLanguage(language))
        font = Big5UiFont.Get();
    return font ? font : GetStockObject(DEFAULT_GUI_FONT);
}

std::u16string_view Units(const std::wstring& s) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

MENUITEMINFOW ItemInfo(UINT mask) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

bool IsDark(COLORREF c) { return GetRValue(c) < 190 || GetGValue(c) < 190 || GetBValue(c) < 190; }

// Copies the monochrome check bitmap to (x, y) in the context's text and background colours.
void DrawCheck(HDC dc, int left, int cw, int top, int bottom) {
    Gdi<HBITMAP> check(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MENU_CHECK)));
    BITMAP bm{};
    if (!check || !GetObjectW(check, sizeof bm, &bm)) return;
    MemoryDc source(dc);
    Selected picture(source, check);
    const int x = left + (cw * 3 / 2 - bm.bmWidth) / 2;
    const int y = top + (bottom - top - bm.bmHeight) / 2;
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
}

}  // namespace

std::wstring MenuItemLabel(const MenuItemRecord& record, bool measuring) {
    const int language = Language();
    if (measuring && language == 0) return record.text;
    return TranslateUiTextW(record.text, false, LabelCodePage(language));
}

void MeasureMenuItem(HWND owner, MEASUREITEMSTRUCT& m) {
    const int cw = GetSystemMetrics(SM_CXMENUCHECK), ch = GetSystemMetrics(SM_CYMENUCHECK);
    const int mh = GetSystemMetrics(SM_CYMENUSIZE);
    m.itemWidth = GetSystemMetrics(SM_CXMENUSIZE);
    m.itemHeight = mh;
    auto* record = reinterpret_cast<MenuItemRecord*>(m.itemData);
    if (!record) return;
    const std::wstring label = MenuItemLabel(*record, true);
    WindowDc dc(owner);
    Selected font(dc, LanguageFont(Language()));
    const SIZE size = MeasureGlyphText(dc, Units(label), 16, 16);
    m.itemHeight = std::max({ch, static_cast<int>(size.cy), mh}) + 1;
    m.itemWidth = record->IsItem() ? size.cx + cw * 5 / 2 : size.cx;
    record->itemWidth = static_cast<int>(m.itemWidth);
}

void DrawMenuItem(const DRAWITEMSTRUCT& d) {
    const auto* record = reinterpret_cast<const MenuItemRecord*>(d.itemData);
    if (!record) return;
    const int language = Language();
    const bool item = record->IsItem();
    const bool grayed = d.itemState & ODS_GRAYED;
    COLORREF background, text;
    if (d.itemState & ODS_SELECTED) {
        background = GetSysColor(COLOR_HIGHLIGHT);
        text = GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT);
    } else {
        background = GetSysColor(!item && OsInfo().IsXPOrLater ? COLOR_3DFACE : COLOR_MENU);
        if (IsDark(background))
            text = grayed ? RGB(74, 84, 76) : GetSysColor(COLOR_MENUTEXT);
        else
            text = GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
    }
    const HDC dc = d.hDC;
    SavedDc saved(dc);
    {
        Gdi<HBRUSH> brush(CreateSolidBrush(background));
        FillRect(dc, &d.rcItem, brush);
    }
    int top = d.rcItem.top;
    if (IsLatinUiLanguage(language) || language == 1) {
        if (GbFontHeight < 16) top += (16 - GbFontHeight) / 2 + 1;
    } else if (Big5FontHeight < 18) {
        top += (18 - Big5FontHeight) / 2;
    }
    SetTextColor(dc, text);
    SetBkColor(dc, background);
    const int cw = GetSystemMetrics(SM_CXMENUCHECK);
    int x = d.rcItem.left + cw / 2;
    if (item) {
        if (d.itemState & ODS_CHECKED) DrawCheck(dc, d.rcItem.left, cw, top, d.rcItem.bottom);
        x = d.rcItem.left + 2 * cw;
    }
    SetBkMode(dc, TRANSPARENT);
    Selected font(dc, LanguageFont(language));
    const std::wstring label = MenuItemLabel(*record, false);
    if (IsLatinUiLanguage(language))
        TextOutW(dc, x, top, label.c_str(), static_cast<int>(label.size()));
    else
        DrawGlyphText(dc, x, top, Units(label), -1, 0, 16, 16, 1);
}

OwnerDrawMenu::~OwnerDrawMenu() {
    if (menu_) DestroyMenu(menu_);
}

bool OwnerDrawMenu::Load(HINSTANCE instance) {
    instance_ = instance ? instance : GetModuleHandleW(nullptr);
    if (menu_) DestroyMenu(menu_);
    menu_ = LoadMenuW(instance_, MAKEINTRESOURCEW(IDM_TOOLBAR_MENUS));
    records_.clear();
    built_ = false;
    if (!menu_) return false;
    BuildOwnerDrawMenu(false);
    return true;
}

bool OwnerDrawMenu::ReloadMenus() {
    if (menu_) DestroyMenu(menu_);
    menu_ = LoadMenuW(instance_ ? instance_ : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_TOOLBAR_MENUS));
    records_.clear();
    built_ = false;
    if (!menu_) return false;
    BuildOwnerDrawMenu(true);
    return true;
}

bool OwnerDrawMenu::Owns(ULONG_PTR data) const {
    return std::any_of(records_.begin(), records_.end(),
                       [&](const auto& r) { return reinterpret_cast<ULONG_PTR>(r.get()) == data; });
}

MenuItemRecord* OwnerDrawMenu::AddRecord(std::wstring text, const MenuItemRecord* parent,
                                         std::vector<std::unique_ptr<MenuItemRecord>>& table) const {
    if (table.size() >= kMaxRecords) return nullptr;
    auto record = std::make_unique<MenuItemRecord>();
    record->text = std::move(text);
    record->parent = parent;
    table.push_back(std::move(record));
    return table.back().get();
}

// The entry's text: its string, or the text of the record it carries already.
std::wstring OwnerDrawMenu::EntryText(HMENU menu, int position) const {
    MENUITEMINFOW info = ItemInfo(MIIM_FTYPE | MIIM_DATA);
    if (GetMenuItemInfoW(menu, position, TRUE, &info) && (info.fType & MFT_OWNERDRAW) && Owns(info.dwItemData))
        return reinterpret_cast<const MenuItemRecord*>(info.dwItemData)->text;
    wchar_t buffer[256] = {};
    GetMenuStringW(menu, position, buffer, 256, MF_BYPOSITION);
    return buffer;
}

namespace {

// Removes the entry and inserts it again as a string entry with the same id,
// state and popup.
void Reinsert(HMENU menu, int position, const std::wstring& text) {
    MENUITEMINFOW info = ItemInfo(MIIM_ID | MIIM_STATE | MIIM_SUBMENU);
    if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return;
    RemoveMenu(menu, position, MF_BYPOSITION);  // a popup is kept, not destroyed
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    InsertMenuItemW(menu, position, TRUE, &info);
}

void MakeOwnerDrawn(HMENU menu, int position, MenuItemRecord* record) {
    MENUITEMINFOW info = ItemInfo(MIIM_FTYPE);
    if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    info.fType |= MFT_OWNERDRAW;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(record);
    SetMenuItemInfoW(menu, position, TRUE, &info);
}

bool IsSeparator(HMENU menu, int position) {
    MENUITEMINFOW info = ItemInfo(MIIM_FTYPE | MIIM_ID);
    return !GetMenuItemInfoW(menu, position, TRUE, &info) || (info.fType & MFT_SEPARATOR) || info.wID == 0;
}

}  // namespace

void OwnerDrawMenu::BuildOwnerDrawMenu(bool rebuild) {
    if (!menu_ || (built_ && !rebuild)) return;
    std::vector<std::unique_ptr<MenuItemRecord>> table;
    // Turns one entry into an owner-drawn one; without room in the table it
    // stays (or becomes again) a plain string entry, never keeping an old record.
    const auto take = [&](HMENU menu, int position, const MenuItemRecord* parent) -> MenuItemRecord* {
        std::wstring text = EntryText(menu, position);
        MenuItemRecord* record = AddRecord(text, parent, table);
        if (rebuild || !record) Reinsert(menu, position, text);
        if (record) MakeOwnerDrawn(menu, position, record);
        return record;
    };
    const int count = GetMenuItemCount(menu_);
    for (int position = 0; position < count; position++) {
        const HMENU popup = GetSubMenu(menu_, position);
        if (!popup) continue;
        const MenuItemRecord* title = take(menu_, position, nullptr);
        const int items = GetMenuItemCount(popup);
        for (int i = 0; i < items; i++)
            if (!IsSeparator(popup, i)) take(popup, i, title);
    }
    records_ = std::move(table);  // the old records go only now that no entry refers to them
    built_ = true;
}

bool OwnerDrawMenu::OnMeasureItem(HWND owner, MEASUREITEMSTRUCT& measure) const {
    if (measure.CtlType != ODT_MENU || !Owns(measure.itemData)) return false;
    MeasureMenuItem(owner, measure);
    return true;
}

bool OwnerDrawMenu::OnDrawItem(const DRAWITEMSTRUCT& draw) const {
    if (draw.CtlType != ODT_MENU || !Owns(draw.itemData)) return false;
    DrawMenuItem(draw);
    return true;
}
