#pragma once
// Owner-drawn popup menus: each entry carries a record with its English text;
// measuring and drawing translate it into the interface language and draw it
// with the glyph text routine for the East Asian languages.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct MenuItemRecord {
    std::wstring text;                       // the resource text (or the owner's)
    const MenuItemRecord* parent = nullptr;  // the popup's record; none for a popup title
    bool item = false;                       // an item even without a parent
    int itemWidth = 0;                       // the width last reported when measuring
    bool IsItem() const { return parent || item; }
};

// WM_MEASUREITEM and WM_DRAWITEM of an ODT_MENU entry whose item data is a
// MenuItemRecord (or 0). `owner` is the window the menu belongs to.
void MeasureMenuItem(HWND owner, MEASUREITEMSTRUCT& measure);
void DrawMenuItem(const DRAWITEMSTRUCT& draw);

// The label shown for a record: its text translated into the interface
// language (in that language's code page); untranslated for English when
// `measuring`.
std::wstring MenuItemLabel(const MenuItemRecord& record, bool measuring);

// The toolbar's menus: menu resource IDM_TOOLBAR_MENUS made owner-drawn, with
// the records of its entries. The window that shows the popups passes its
// WM_MEASUREITEM and WM_DRAWITEM to OnMeasureItem and OnDrawItem.
class OwnerDrawMenu {
public:
    static constexpr int kMaxRecords = 256;

    OwnerDrawMenu() = default;
    ~OwnerDrawMenu();
    OwnerDrawMenu(const OwnerDrawMenu&) = delete;
    OwnerDrawMenu& operator=(const OwnerDrawMenu&) = delete;

    // Loads the menu resource from `instance` (null: the program's module) and
    // builds the records. False when the resource could not be loaded.
    bool Load(HINSTANCE instance = nullptr);
    // Makes every popup title and item (separators excepted) owner-drawn with
    // a new record, when the table is not built yet or `rebuild` is set.
    void BuildOwnerDrawMenu(bool rebuild);
    // Destroys the menu, loads the resource again and rebuilds: after a change
    // of the interface language, since the system measures each item once.
    bool ReloadMenus();

    HMENU Menu() const { return menu_; }
    // Popup `index` of the menu (0 "Options", 1 "Control1", 2 "Control2").
    HMENU Popup(int index) const { return menu_ ? GetSubMenu(menu_, index) : nullptr; }
    bool Built() const { return built_; }
    const std::vector<std::unique_ptr<MenuItemRecord>>& Records() const { return records_; }
    // True when the message was for one of this menu's entries and was handled.
    bool OnMeasureItem(HWND owner, MEASUREITEMSTRUCT& measure) const;
    bool OnDrawItem(const DRAWITEMSTRUCT& draw) const;

private:
    bool Owns(ULONG_PTR itemData) const;
    MenuItemRecord* AddRecord(std::wstring text, const MenuItemRecord* parent,
                              std::vector<std::unique_ptr<MenuItemRecord>>& table) const;
    std::wstring EntryText(HMENU menu, int position) const;

    HMENU menu_ = nullptr;
    HINSTANCE instance_ = nullptr;
    std::vector<std::unique_ptr<MenuItemRecord>> records_;
    bool built_ = false;
};
