#include "ui/combo_mru.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/environment.h"
#include "text/gbk.h"
#include "ui/gdi.h"
#include "ui/glyph_text.h"
#include "ui/saved_dc.h"

namespace {

std::u16string_view Units(const std::wstring& s) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

std::wstring Wide(const AString& gbk) {
    const std::u16string u = Utf16FromGbk(gbk);
    return std::wstring(u.begin(), u.end());
}

AString Gbk(const std::wstring& s) { return GbkFromUtf16(Units(s)); }

std::wstring WindowText(HWND hwnd) {
    std::wstring s(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    s.resize(GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size())));
    return s;
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

HGDIOBJ GuiFont() {
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    return font ? font : GetStockObject(ANSI_VAR_FONT);
}

}  // namespace

CComboMRU::~CComboMRU() = default;

std::string CComboMRU::HistoryFile() const {
    const std::string folder = folder_.empty() ? std::string(ModuleFolder) : folder_;
    return folder + "combomru" + std::string(name_.GetString(), name_.GetLength()) + ".bin";
}

void CComboMRU::InitHistory(const AString& name, int itemHeight) {
    const HWND box = Hwnd();
    SendMessageW(box, CB_SETITEMHEIGHT, 0, LOWORD(itemHeight));
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), TRUE);
    SendMessageW(box, CB_LIMITTEXT, kTextLimit, 0);
    name_ = name.IsEmpty() ? AString("temp") : name;
    noHistory_ = _stricmp(name_.GetString(), "NoMRU") == 0;
    if (!noHistory_) LoadHistory();
}

void CComboMRU::LoadHistory() {
    FILE* file = std::fopen(HistoryFile().c_str(), "r");
    if (!file) return;
    char line[1024];
    int added = 0;
    while (added < maxItems_ && std::fgets(line, sizeof line, file)) {
        size_t n = std::strlen(line);
        while (n > 0 && (line[n - 1] == '\r' || line[n - 1] == '\n')) line[--n] = 0;
        if (n == 0) continue;
        if (AddString(AString(line)) >= 0) added++;
    }
    std::fclose(file);
    SendMessageW(Hwnd(), CB_SETCURSEL, 0, 0);
}

int CComboMRU::AddString(const AString& gbk) {
    const std::wstring w = Wide(gbk);
    return static_cast<int>(SendMessageW(Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str())));
}

int CComboMRU::Count() const {
    const LRESULT n = SendMessageW(Hwnd(), CB_GETCOUNT, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}

std::wstring CComboMRU::ItemText(int index) const {
    const LRESULT length = SendMessageW(Hwnd(), CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return {};
    std::wstring s(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(Hwnd(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
}

bool CComboMRU::AddToTop(std::wstring t) {
    if (t.empty()) return false;
    if (t.size() > kTextLimit) t.resize(kTextLimit);
    const HWND box = Hwnd();
    const int old = FindExact(0, t);
    if (old >= 0) SendMessageW(box, CB_DELETESTRING, old, 0);
    SendMessageW(box, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SetWindowTextW(box, t.c_str());
    if (Count() > maxItems_) SendMessageW(box, CB_DELETESTRING, maxItems_, 0);
    if (!noHistory_) SaveHistory();
    ComputeDropWidth();
    return true;
}

bool CComboMRU::AddCurrentText() { return AddToTop(WindowText(Hwnd())); }

int CComboMRU::FindExact(int start, const std::wstring& t) const {
    const int count = Count();
    for (int i = start < 0 ? 0 : start; i < count; i++)
        if (ItemText(i) == t) return i;
    return -1;
}

int CComboMRU::SelectText(const std::wstring& t, int fallback) {
    const int found = FindExact(0, t);
    const int index = found >= 0 ? found : fallback;
    SendMessageW(Hwnd(), CB_SETCURSEL, index, 0);
    return index;
}

int CComboMRU::FindItemData(LPARAM value) const {
    const int count = Count();
    for (int i = 0; i < count; i++)
        if (SendMessageW(Hwnd(), CB_GETITEMDATA, i, 0) == value) return i;
    return -1;
}

AString CComboMRU::GetItemText(int index) const {
    if (index == -1) index = static_cast<int>(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0));
    if (index < 0) return AString();
    return Gbk(ItemText(index));
}

bool CComboMRU::SaveHistory(const AString& first) {
    if (noHistory_) return false;
    const std::string path = HistoryFile();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_HIDDEN);
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    const std::wstring firstWide = Wide(first);
    if (!first.IsEmpty()) std::fprintf(file, "%s\n", first.GetString());
    const int count = Count();
    for (int i = 0; i < count; i++) {
        const std::wstring item = ItemText(i);
        if (item.empty() || (!first.IsEmpty() && SameIgnoringCase(item, firstWide))) continue;
        std::fprintf(file, "%s\n", Gbk(item).GetString());
    }
    const bool written = std::fclose(file) == 0;
    const DWORD now = GetFileAttributesA(path.c_str());
    if (now != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path.c_str(), now | FILE_ATTRIBUTE_HIDDEN);
    return written;
}

// The widest item's text, its 2-pixel inset on both sides, the list's border
// and, when the items do not all fit, its vertical scroll bar; at most the cap.
void CComboMRU::ComputeDropWidth() {
    const HWND box = Hwnd();
    RECT r{};
    GetWindowRect(box, &r);
    if (maxDropWidth_ < 1) maxDropWidth_ = static_cast<int>((r.right - r.left) * 2.3);
    const int count = Count();
    int frame = 4 + 2 * GetSystemMetrics(SM_CXBORDER);
    RECT dropped{};
    const int itemHeight = static_cast<int>(SendMessageW(box, CB_GETITEMHEIGHT, 0, 0));
    if (SendMessageW(box, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) && itemHeight > 0) {
        const int listHeight = dropped.bottom - dropped.top - (r.bottom - r.top);
        if (count * itemHeight > listHeight) frame += GetSystemMetrics(SM_CXVSCROLL);
    }
    WindowDc dc(box);
    Selected font(dc, GuiFont());
    dropWidth_ = 0;
    for (int i = 0; i < count; i++) {
        const int width = static_cast<int>(MeasureGlyphText(dc, Units(ItemText(i)), 16, 16).cx) + frame;
        if (width > dropWidth_) dropWidth_ = width;
        if (dropWidth_ > maxDropWidth_) {
            dropWidth_ = maxDropWidth_;
            break;
        }
    }
}

bool CComboMRU::MeasureItem(MEASUREITEMSTRUCT& measure) {
    if (measure.CtlType != ODT_COMBOBOX) return false;
    measure.itemHeight = kItemHeight;
    return true;
}

bool CComboMRU::DrawItem(const DRAWITEMSTRUCT& d) const {
    if (d.CtlType != ODT_COMBOBOX || !Hwnd() || d.hwndItem != Hwnd()) return false;
    if (static_cast<int>(d.itemID) < 0) return true;
    const bool selected = d.itemState & ODS_SELECTED;
    const COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    const COLORREF paper = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    SavedDc saved(d.hDC);
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, ink);
    SetBkColor(d.hDC, paper);
    Selected font(d.hDC, GuiFont());
    {
        Gdi<HBRUSH> brush(CreateSolidBrush(paper));
        FillRect(d.hDC, &d.rcItem, brush);
    }
    RECT r = d.rcItem;
    std::wstring label;
    if (static_cast<int>(d.itemID) < Count()) {
        InflateRect(&r, -2, -2);
        label = ItemText(static_cast<int>(d.itemID));
    } else {
        label = text;
    }
    DrawGlyphText(d.hDC, r.left, r.top, Units(label), -1, 0, 16, 16, 1);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
    return true;
}

void CComboMRU::OnListColour(HWND list) {
    if (!dropWidth_) ComputeDropWidth();
    RECT r{};
    if (!GetWindowRect(list, &r) || r.right - r.left >= dropWidth_) return;
    // The list is a top-level popup: screen coordinates are its own.
    SetWindowPos(list, nullptr, r.left, r.top, dropWidth_, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CComboMRU::OnEditColour(HWND edit) {
    if (GetParent(edit) != Hwnd()) return;
    const LONG_PTR ex = GetWindowLongPtrW(edit, GWL_EXSTYLE);
    if (!(ex & WS_EX_STATICEDGE)) SetWindowLongPtrW(edit, GWL_EXSTYLE, ex | WS_EX_STATICEDGE);
    if (editSubclassed_) return;
    editSubclassed_ = true;
    edit_.RedrawParent = true;
    edit_.Attach(edit);
    oldFont_ = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
    oldFontKept_ = true;
    if (GbUiFont.Get()) SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GbUiFont.Get()), FALSE);
    InvalidateRect(edit, nullptr, TRUE);
}

void CComboMRU::OnDestroy() {
    SaveHistory(Gbk(WindowText(Hwnd())));
    if (oldFontKept_ && edit_.Hwnd() && IsWindow(edit_.Hwnd()))
        SendMessageW(edit_.Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(oldFont_), FALSE);
    oldFontKept_ = false;
}

LRESULT CComboMRU::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORLISTBOX: OnListColour(reinterpret_cast<HWND>(lParam)); break;
        case WM_CTLCOLOREDIT: OnEditColour(reinterpret_cast<HWND>(lParam)); break;
        case WM_DESTROY: OnDestroy(); break;
    }
    return Default(message, wParam, lParam);
}
