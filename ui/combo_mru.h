#pragma once
// The program's combo box: list items drawn with the glyph text routine, an
// optional history of entered texts in "combomru<name>.bin" (GBK lines, newest
// first, hidden between writes), and a drop-down list widened to its longest
// item. It takes over an existing CBS_OWNERDRAWFIXED | CBS_HASSTRINGS combo
// box; the parent passes it WM_MEASUREITEM and WM_DRAWITEM.
#include <windows.h>

#include <string>

#include "text/astring.h"
#include "ui/edit_ex.h"
#include "ui/subclass.h"

class CComboMRU : public Subclass {
public:
    static constexpr int kItemHeight = 19;  // measured height of a list item
    static constexpr int kTextLimit = 1024;

    // The lexicon serves the edit field's word selection (may be null).
    explicit CComboMRU(const CDictTop* lexicon = nullptr) : edit_(lexicon) {}
    ~CComboMRU() override;

    // The folder of the history file, ending in a separator; empty (the
    // default): ModuleFolder.
    void SetHistoryFolder(std::string folder) { folder_ = std::move(folder); }
    // The history file's path for the current name.
    std::string HistoryFile() const;

    // Item height, font, text limit and name ("temp" when empty; "NoMRU", in
    // any case, keeps no history); loads the history file unless "NoMRU".
    void InitHistory(const AString& name, int itemHeight);
    // Appends a GBK text; the index, or a negative CB_ error.
    int AddString(const AString& gbk);
    // Puts the text at the top of the list (once) and into the edit field,
    // drops the item past the maximum, saves the history. False for an empty text.
    bool AddToTop(std::wstring text);
    bool AddCurrentText();
    // First index at or after start whose text equals `text` exactly, or -1.
    int FindExact(int start, const std::wstring& text) const;
    int SelectText(const std::wstring& text, int fallback);
    int FindItemData(LPARAM value) const;
    // GBK text of item `index` (-1: the selected one); empty when there is none.
    AString GetItemText(int index) const;
    // Writes `first` (when not empty) and every other item not equal to it
    // ignoring case. False when the file cannot be written or the box keeps no history.
    bool SaveHistory(const AString& first = AString());

    // For the parent's WM_MEASUREITEM (routed by control id; the box may not
    // be attached yet) and WM_DRAWITEM (routed by hwndItem): true when handled.
    static bool MeasureItem(MEASUREITEMSTRUCT& measure);
    bool DrawItem(const DRAWITEMSTRUCT& draw) const;

    int DropWidth() const { return dropWidth_; }
    int MaxDropWidth() const { return maxDropWidth_; }
    void SetMaxDropWidth(int width) { maxDropWidth_ = width; }
    int MaxItems() const { return maxItems_; }
    bool NoHistory() const { return noHistory_; }
    const AString& HistoryName() const { return name_; }
    CEditEx& Edit() { return edit_; }
    // Recomputes the drop width from the items.
    void ComputeDropWidth();

    std::wstring text;  // drawn for an item index past the end of the list

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadHistory();
    std::wstring ItemText(int index) const;
    int Count() const;
    void OnListColour(HWND list);
    void OnEditColour(HWND edit);
    void OnDestroy();

    AString name_;
    std::string folder_;
    bool noHistory_ = false;
    int maxItems_ = 16;
    int dropWidth_ = 0;
    int maxDropWidth_ = 0;
    CEditEx edit_;
    bool editSubclassed_ = false;
    bool oldFontKept_ = false;
    HFONT oldFont_ = nullptr;  // the edit field's font before; not ours to delete
};
