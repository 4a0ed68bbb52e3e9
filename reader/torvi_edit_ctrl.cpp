#include "reader/torvi_edit_ctrl.h"

#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "app/environment.h"
#include "app/settings.h"
#include "lexicon/dict.h"
#include "reader/find_text.h"
#include "reader/report_rtf.h"
#include "reader/rich_edit_library.h"
#include "rules/char_class.h"
#include "text/code_pages.h"
#include "text/gbk_bytes.h"
#include "ui/dialog.h"
#include "ui/gdi.h"
#include "ui/glyph_text.h"
#include "ui/msg_box.h"
#include "ui/owner_menu.h"
#include "ui/ui_strings.h"

namespace {

constexpr int kTextNotFound = 32793;
constexpr int kPatternNotDefined = 32794;
constexpr int kUndoLimit = 8000;
constexpr DWORD kAutoScroll = ECO_AUTOVSCROLL | ECO_AUTOHSCROLL;

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)))) {}
    ~WaitCursor() { SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR old_;  // shared cursors: nothing to free
};

class PopupMenu {
public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() {
        if (menu_) DestroyMenu(menu_);
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU Get() const { return menu_; }

private:
    HMENU menu_;
};

std::wstring Wide(const char* bytes, int length, UINT codePage) {
    if (length <= 0) return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, length, out.data(), n);
    return out;
}

AString Narrow(const wchar_t* units, int count, UINT codePage) {
    if (count <= 0) return AString();
    const int n = WideCharToMultiByte(codePage, 0, units, count, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return AString();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, units, count, out.data(), n, nullptr, nullptr);
    return AString::FromBytes(out.data(), n);
}

std::wstring BaseFace() {
    const AString face = PreferredChineseFace();
    return face.IsEmpty() ? std::wstring(L"Arial") : Wide(face.GetString(), face.GetLength(), kCodePageGbk);
}

// The locale whose code page the platform uses to widen CF_TEXT.
LCID LocaleOfCodePage(int codePage) {
    switch (codePage) {
        case kCodePageBig5: return 0x0404;
        case kCodePageJapanese: return 0x0411;
        case kCodePageKorean: return 0x0412;
        case kCodePageWestern: return 0x0409;
        default: return 0x0804;
    }
}

bool StartsWithGbkPair(const AString& s) {
    return s.GetLength() >= 2 && IsGbkLeadByte(static_cast<unsigned char>(s[0])) &&
           IsGbkTrailByte(static_cast<unsigned char>(s[1]));
}

}  // namespace

CTorviEditCtrl::CTorviEditCtrl(const CDictTop* lexicon) : lexicon_(lexicon) { LoadRichEditLibrary(); }

CTorviEditCtrl::~CTorviEditCtrl() = default;

bool CTorviEditCtrl::ShiftDown() {
    return ((GetAsyncKeyState(VK_SHIFT) | GetKeyState(VK_SHIFT)) & 0x8000) != 0;
}

// ---- Text exchange ----

void CTorviEditCtrl::PutBytes(const AString& text, int codePage, bool selection, bool keepUndo) {
    SETTEXTEX set{static_cast<DWORD>((selection ? ST_SELECTION : ST_DEFAULT) | (keepUndo ? ST_KEEPUNDO : 0)),
                  static_cast<UINT>(codePage)};
    if (text.IsWide()) {
        set.codepage = 1200;
        const std::u16string units(text.WideData(), static_cast<size_t>(text.GetCharCount()));
        SendMessageW(Hwnd(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(units.c_str()));
        return;
    }
    SendMessageW(Hwnd(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(text.GetString()));
}

LRESULT CTorviEditCtrl::SetText(const AString& text, bool atSelection, int size, int codePage, bool noFormat) {
    if (!atSelection) Select(0, -1);
    SETTEXTEX set{ST_SELECTION | ST_KEEPUNDO, static_cast<UINT>(codePage ? codePage : CodePage)};
    const LRESULT result = text.IsWide() ? (PutBytes(text, 1200, true, true), 1)
                                         : SendMessageW(Hwnd(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set),
                                                        reinterpret_cast<LPARAM>(text.GetString()));
    if (!noFormat) ApplyBaseFormat(0, -1, size);
    if (!atSelection) Select(0, 0);
    return result;
}

void CTorviEditCtrl::AppendText(const AString& text, int codePage) {
    const int n = GetTextLength();
    Select(n, n);
    PutBytes(text, codePage ? codePage : CodePage, true, true);
    ApplyBaseFormat(0, -1, -1);
}

int CTorviEditCtrl::GetTextLength(DWORD flags, int codePage) const {
    GETTEXTLENGTHEX length{flags | GTL_NUMCHARS | GTL_PRECISE, static_cast<UINT>(codePage)};
    return static_cast<int>(SendMessageW(Hwnd(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

void CTorviEditCtrl::GetSelection(int& start, int& end) const {
    CHARRANGE range{};
    SendMessageW(Hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    start = range.cpMin;
    end = range.cpMax;
}

int CTorviEditCtrl::GetSelectedText(AString& out, int codePage, bool useCrLf) {
    if (codePage <= 0) codePage = CodePage;
    int s = 0, e = 0;
    GetSelection(s, e);
    const int bytes = 2 * (e - s) * (useCrLf ? 2 : 1) + 64;
    std::string buffer(static_cast<size_t>(bytes), '\0');
    GETTEXTEX get{static_cast<DWORD>(bytes), static_cast<DWORD>(GT_SELECTION | (useCrLf ? GT_USECRLF : 0)),
                  static_cast<UINT>(codePage), nullptr, nullptr};
    const int count = static_cast<int>(
        SendMessageW(Hwnd(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(buffer.data())));
    if (codePage == 1200) {
        out = AString(reinterpret_cast<const char16_t*>(buffer.data()), count);
    } else {
        out = AString::FromBytes(buffer.data(), count);
        out.SetCodePage(codePage);
    }
    return count;
}

int CTorviEditCtrl::GetText(AString& out, int codePage) {
    if (codePage < 0) codePage = CodePage;
    int s = 0, e = 0;
    GetSelection(s, e);
    SendMessageW(Hwnd(), EM_HIDESELECTION, TRUE, 0);
    Select(0, -1);
    const int count = GetSelectedText(out, codePage);
    Select(s, e);
    SendMessageW(Hwnd(), EM_HIDESELECTION, FALSE, 0);
    return count;
}

std::u16string CTorviEditCtrl::Units() {
    const int n = GetTextLength();
    std::u16string units(static_cast<size_t>(n) + 1, u'\0');
    GETTEXTEX get{static_cast<DWORD>(2 * (n + 1)), GT_DEFAULT, 1200, nullptr, nullptr};
    const int count = static_cast<int>(
        SendMessageW(Hwnd(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(units.data())));
    units.resize(static_cast<size_t>(std::clamp(count, 0, n)));
    return units;
}

AString CTorviEditCtrl::UnitsIn(int start, int end, int codePage) {
    int s = 0, e = 0;
    GetSelection(s, e);
    Select(start, end);
    AString out;
    GetSelectedText(out, codePage);
    Select(s, e);
    return out;
}

// ---- Formats ----

void CTorviEditCtrl::ApplyBaseFormat(int start, int end, int size) {
    SendMessageW(Hwnd(), EM_HIDESELECTION, TRUE, 0);
    int s = 0, e = 0;
    GetSelection(s, e);
    CHARRANGE range{start, end};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_CHARSET | CFM_FACE | (size >= 0 ? CFM_SIZE : 0);
    format.bCharSet = static_cast<BYTE>(CharsetFor(CodePage, false));
    lstrcpynW(format.szFaceName, BaseFace().c_str(), LF_FACESIZE);
    format.yHeight = size == 0 ? 200 : size * 20;
    SendMessageW(Hwnd(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    range = {s, e};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CTorviEditCtrl::SetBackColour(COLORREF colour, bool wholeControl) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BACKCOLOR;
    format.crBackColor = colour;
    int s = 0, e = 0;
    GetSelection(s, e);
    const WPARAM where = wholeControl ? SCF_DEFAULT : s == e ? (SCF_SELECTION | SCF_WORD) : SCF_SELECTION;
    SendMessageW(Hwnd(), EM_SETCHARFORMAT, where, reinterpret_cast<LPARAM>(&format));
}

void CTorviEditCtrl::SetDefaultTextColour(COLORREF colour) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = colour;
    SendMessageW(Hwnd(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

int CTorviEditCtrl::Initialise(int language) {
    SendMessageW(Hwnd(), EM_SETTEXTMODE, 0, 0);
    SendMessageW(Hwnd(), EM_SETUNDOLIMIT, kUndoLimit, 0);
    const LRESULT mask = SendMessageW(Hwnd(), EM_GETEVENTMASK, 0, 0);
    SendMessageW(Hwnd(), EM_SETEVENTMASK, 0, mask | ENM_CHANGE | ENM_SELCHANGE);
    LanguageId = language;
    const int codePage = CodePageFor(language, true);
    if (codePage != CodePage) {
        // The control holds UTF-16: the characters stay, only the exchange
        // code page changes (reading the bytes back in the new code page
        // would turn them into other characters).
        Select(0, 0);
        CodePage = codePage;
    }
    ApplyBaseFormat(0, -1, 0);
    Initialised = 1;
    return 1;
}

// ---- ReportPane ----

PaneCharFormat CTorviEditCtrl::DefaultPaneFormat() const {
    const std::wstring face = BaseFace();
    const AString gbk = Narrow(face.c_str(), static_cast<int>(face.size()), kCodePageGbk);
    return {false, 0, 200, 134, gbk.GetString()};
}

void CTorviEditCtrl::LoadReport(const PlainReportPane& content) {
    std::vector<RtfFaceFix> fixes;
    const std::string rtf = ReportRtf(content, DefaultPaneFormat().face, fixes);
    struct Reader {
        const std::string* text;
        size_t at;
    } reader{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
    stream.pfnCallback = [](DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) -> DWORD {
        auto& r = *reinterpret_cast<Reader*>(cookie);
        const size_t n = std::min(static_cast<size_t>(wanted), r.text->size() - r.at);
        std::memcpy(buffer, r.text->data() + r.at, n);
        r.at += n;
        *given = static_cast<LONG>(n);
        return 0;
    };
    SendMessageW(Hwnd(), WM_SETREDRAW, FALSE, 0);
    SendMessageW(Hwnd(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    for (const RtfFaceFix& fix : fixes) {
        CHARRANGE range{fix.start, fix.end};
        SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        format.dwMask = CFM_FACE;
        const std::wstring face = Wide(fix.face.data(), static_cast<int>(fix.face.size()), kCodePageGbk);
        lstrcpynW(format.szFaceName, face.c_str(), LF_FACESIZE);
        SendMessageW(Hwnd(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    insertPending_ = false;
    Select(0, 0);
    SendMessageW(Hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CTorviEditCtrl::SetGbkText(const AString& gbk) {
    Select(0, -1);
    ReplaceSelection(gbk, kCodePageGbk, true);
}

void CTorviEditCtrl::AppendGbkText(const AString& gbk) {
    SelectEnd();
    ReplaceSelection(gbk, kCodePageGbk, true);
}

void CTorviEditCtrl::Select(int start, int end) {
    const int n = GetTextLength();
    if (end < 0 || end > n) end = n;
    start = std::clamp(start, 0, end);
    int s = 0, e = 0;
    GetSelection(s, e);
    if (s != start || e != end) insertPending_ = false;
    CHARRANGE range{start, end};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

namespace {
void ApplyPaneFormat(HWND edit, const PaneCharFormat& f, const std::wstring& defaultFace) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_COLOR | CFM_SIZE | CFM_CHARSET | CFM_FACE;
    format.dwEffects = f.bold ? CFE_BOLD : 0;
    format.crTextColor = f.colour;
    format.yHeight = f.twips;
    format.bCharSet = static_cast<BYTE>(f.charset);
    const std::wstring face = f.face.empty() ? defaultFace
                                             : Wide(f.face.data(), static_cast<int>(f.face.size()), kCodePageGbk);
    lstrcpynW(format.szFaceName, face.c_str(), LF_FACESIZE);
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}
}  // namespace

void CTorviEditCtrl::SetSelectionFormat(const PaneCharFormat& format) {
    int s = 0, e = 0;
    GetSelection(s, e);
    if (s == e) {
        insertPending_ = true;
        insertFormat_ = format;
        return;
    }
    ApplyPaneFormat(Hwnd(), format, BaseFace());
}

void CTorviEditCtrl::ReplaceSelection(const AString& text, int codePage, bool keepUndo) {
    int s = 0, e = 0;
    GetSelection(s, e);
    const PaneCharFormat format = insertPending_ ? insertFormat_ : s > 0 ? FormatAt(s - 1) : DefaultPaneFormat();
    PutBytes(text, codePage, true, keepUndo);
    int caret = 0, unused = 0;
    GetSelection(caret, unused);
    if (caret > s) {
        CHARRANGE range{s, caret};
        SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        ApplyPaneFormat(Hwnd(), format, BaseFace());
        range = {caret, caret};
        SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    insertPending_ = false;
}

PaneCharFormat CTorviEditCtrl::FormatAt(int unit) {
    int s = 0, e = 0;
    GetSelection(s, e);
    CHARRANGE range{unit, unit + 1};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(Hwnd(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    range = {s, e};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    const AString face = Narrow(format.szFaceName, lstrlenW(format.szFaceName), kCodePageGbk);
    return {(format.dwEffects & CFE_BOLD) != 0,
            (format.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : format.crTextColor,
            static_cast<int>(format.yHeight), format.bCharSet, face.GetString()};
}

// ---- Clipboard ----

void CTorviEditCtrl::SetContextItems(const AStringArray& names, const std::vector<DWORD>& ids) {
    MenuNames = AStringArray();
    for (int i = 0; i < names.GetSize(); i++) MenuNames.Add(names[i]);
    MenuIds = ids;
}

void CTorviEditCtrl::CopySelection() {
    WaitCursor wait;
    AString text;
    if (GetSelectedText(text, CodePage) <= 0) return;
    ClipboardOpen clipboard(nullptr);
    if (!clipboard.IsOpen() || !EmptyClipboard()) return;
    GlobalBlock bytes(static_cast<SIZE_T>(text.GetLength()) + 2, GlobalBlock::kClipboardFlags);
    if (bytes.Fill(text.GetString(), static_cast<SIZE_T>(text.GetLength()) + 1)) bytes.HandOver(CF_TEXT);
    const LCID locale = LocaleOfCodePage(CodePage);
    GlobalBlock localeBlock(sizeof locale, GlobalBlock::kClipboardFlags);
    if (localeBlock.Fill(&locale, sizeof locale)) localeBlock.HandOver(CF_LOCALE);
}

int CTorviEditCtrl::ReadClipboardBytes(AString& out, int requestedCodePage, int& usedCodePage, int& localeCodePage) {
    usedCodePage = localeCodePage = -1;
    out = AString();
    ClipboardOpen clipboard(nullptr);
    if (!clipboard.IsOpen()) return 0;
    if (HANDLE h = GetClipboardData(CF_LOCALE)) {
        if (const auto* lcid = static_cast<const LCID*>(GlobalLock(h))) {
            if (GlobalSize(h) >= sizeof(LCID))
                localeCodePage = CodePageFor(UiLanguageFromLangId(LANGIDFROMLCID(*lcid)), true);
            GlobalUnlock(h);
        }
    }
    if (OsInfo().IsNT || !IsDbcsSystem) {
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
            const SIZE_T size = GlobalSize(h) / sizeof(wchar_t);
            if (const auto* units = static_cast<const wchar_t*>(GlobalLock(h))) {
                int n = 0;
                while (static_cast<SIZE_T>(n) < size && units[n]) n++;
                const int target = requestedCodePage == kCodePageBig5 ? kCodePageBig5 : kCodePageGbk;
                if (n > 0 && !LooksLikeWidenedGbk(reinterpret_cast<const char16_t*>(units), n)) {
                    out = Narrow(units, n, static_cast<UINT>(target));
                    if (!out.IsEmpty()) usedCodePage = target;
                }
                GlobalUnlock(h);
            }
        }
    }
    if (out.IsEmpty()) {
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            const SIZE_T size = GlobalSize(h);
            if (const auto* bytes = static_cast<const char*>(GlobalLock(h))) {
                int n = 0;
                while (static_cast<SIZE_T>(n) < size && bytes[n]) n++;
                out = AString::FromBytes(bytes, n);
                if (n > 0) usedCodePage = localeCodePage;
                GlobalUnlock(h);
            }
        }
    }
    return out.GetLength();
}

void CTorviEditCtrl::PasteText() {
    if (GetWindowLongW(Hwnd(), GWL_STYLE) & ES_READONLY) return;
    if (HasPlaceholder) {
        HasPlaceholder = 0;
        Select(0, -1);
        PutBytes(AString(), CodePage, true, true);
        Select(0, 0);
    }
    const int n = GetTextLength();
    int s = 0, e = 0;
    GetSelection(s, e);
    const bool replacesAll = (PasteReplacesEmpty && n == 0) || n <= e - s;
    AString bytes;
    int used = -1, locale = -1;
    if (ReadClipboardBytes(bytes, CodePage, used, locale) <= 0) return;
    SendMessageW(Hwnd(), EM_HIDESELECTION, TRUE, 0);
    PutBytes(bytes, used > 0 ? used : CodePage, true, true);
    SendMessageW(Hwnd(), EM_HIDESELECTION, FALSE, 0);
    if (!IsChineseSystem) {
        int caret = 0, unused = 0;
        GetSelection(caret, unused);
        ApplyBaseFormat(s, caret, 0);
    }
    if (replacesAll) Select(0, 0);
}

// ---- Find ----

void CTorviEditCtrl::OpenFind() {
    CFindText dialog(Hwnd());
    dialog.HistoryFolder = FindHistoryFolder;
    WorkText.Empty();
    const int found = WordAtCaret(WorkText);
    if (found == 1) {
        AString gbk = WorkText;
        gbk.ToNarrow(kCodePageGbk);
        const std::wstring w = Wide(gbk.GetString(), gbk.GetLength(), kCodePageGbk);
        dialog.PatternText.assign(w.begin(), w.end());
    } else if (found == 2) {
        const std::wstring w = Wide(WorkText.GetString(), WorkText.GetLength(), static_cast<UINT>(CodePage));
        dialog.PatternText.assign(w.begin(), w.end());
    }
    dialog.MatchCase = AppSettings.matchCase;
    dialog.Up = 0;
    if (dialog.DoModal() == IDOK) {
        AString pattern(dialog.PatternText.c_str(), static_cast<int>(dialog.PatternText.size()));
        pattern.ToNarrow(kCodePageGbk);
        FindPattern = pattern;
        AppSettings.matchCase = dialog.MatchCase;
        if (dialog.StartButtonUsed) {
            const int at = dialog.Up ? GetTextLength() : 0;
            Select(at, at);
        }
        FindNext(false, dialog.Up != 0 || ShiftDown());
    }
    SetFocus(Hwnd());
}

int CTorviEditCtrl::FindNext(bool quiet, bool backwards) {
    WaitCursor wait;
    const int r = SearchText(backwards);
    if (r == 1) return 1;
    if (r == 0 && !quiet) ShowMessage(UiString(kTextNotFound), 0, true, -1, nullptr);
    if (r < 0) ShowMessage(UiString(kPatternNotDefined), 0, true, -1, nullptr);
    return 0;
}

int CTorviEditCtrl::SearchText(bool backwards) {
    if (FindPattern.IsEmpty()) return -1;
    const int n = GetTextLength();
    int s = 0, e = 0;
    GetSelection(s, e);
    int start = backwards ? e : s;
    if (s != e) start = backwards ? e - 1 : s + 1;
    if ((!backwards && start >= n) || (backwards && start < 0)) return 0;
    AString pattern = FindPattern;
    pattern.ToWide(kCodePageGbk);
    const int m = pattern.GetCharCount();
    const bool ignoreCase = AppSettings.matchCase == 0;

    SendMessageW(Hwnd(), EM_HIDESELECTION, TRUE, 0);
    const int firstBefore = static_cast<int>(SendMessageW(Hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageW(Hwnd(), EM_SETOPTIONS, ECOOP_AND, ~kAutoScroll);
    const std::u16string all = Units();
    int matchStart = -1;
    if (!backwards) {
        const AString t(all.data() + start, n - start);
        const int r = t.FindWide(pattern, 0, ignoreCase);
        if (r >= 0) matchStart = start + r;
    } else {
        const AString t(all.data(), start);
        const int r = t.ReverseFindWide(pattern, start, ignoreCase);
        if (r >= 0) matchStart = r - m + 1;
    }
    SendMessageW(Hwnd(), EM_SETOPTIONS, ECOOP_OR, kAutoScroll);
    CHARRANGE range = matchStart >= 0 ? CHARRANGE{matchStart, matchStart + m} : CHARRANGE{s, e};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));

    const int first = static_cast<int>(SendMessageW(Hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0));
    const int line = static_cast<int>(SendMessageW(Hwnd(), EM_EXLINEFROMCHAR, 0, range.cpMin));
    if (firstBefore != first || line <= first) {
        if (line == first) SendMessageW(Hwnd(), EM_LINESCROLL, 0, -1);
        else if (line > first) SendMessageW(Hwnd(), EM_LINESCROLL, 0, (line - first) / 2);
        else SendMessageW(Hwnd(), EM_SCROLLCARET, 0, 0);  // bring the line into view
    }
    SendMessageW(Hwnd(), EM_HIDESELECTION, FALSE, 0);
    return matchStart >= 0 ? 1 : 0;
}

// ---- Text at the caret ----

bool CTorviEditCtrl::IsChineseUnit(int unit) {
    const int charset = FormatAt(unit).charset;
    return charset == GB2312_CHARSET || charset == CHINESEBIG5_CHARSET;
}

int CTorviEditCtrl::WordAtCaret(AString& out) {
    int s = 0, e = 0;
    GetSelection(s, e);
    if (s != e) {
        GetSelectedText(out, 1200);
        return out.IsEmpty() ? 0 : 1;
    }
    const int c = s;
    SendMessageW(Hwnd(), EM_HIDESELECTION, TRUE, 0);
    const std::u16string units = Units();
    const int n = static_cast<int>(units.size());
    auto inCodePage = [&](int i) {
        const wchar_t u = static_cast<wchar_t>(units[static_cast<size_t>(i)]);
        return Narrow(&u, 1, static_cast<UINT>(CodePage));
    };
    auto hasReading = [&](int i) {
        const AString bytes = inCodePage(i);
        if (!lexicon_ || bytes.GetLength() < 2) return false;
        AStringArray readings;
        return lexicon_->GetReadings(MakeCharKey(static_cast<unsigned char>(bytes[0]),
                                                 static_cast<unsigned char>(bytes[1])),
                                     readings) > 0;
    };
    int result = 0;
    for (int i : {c - 1, c}) {
        if (i < 0 || i >= n || !IsChineseUnit(i)) continue;
        if (hasReading(i)) {
            out = AString(units.data() + i, 1);
            result = 1;
            break;
        }
    }
    if (result == 0) {
        auto belongs = [&](int i) {
            const AString b = inCodePage(i);
            const auto b0 = static_cast<unsigned char>(b[0]);
            if (b.GetLength() >= 2 && b0 == 0xA8 && static_cast<unsigned char>(b[1]) >= 0xA0 &&
                static_cast<unsigned char>(b[1]) <= 0xC0)
                return true;  // pinyin letter
            if (b.GetLength() >= 2) return false;
            return (b0 < 0x80 && std::isalnum(b0)) || b0 == '_';
        };
        int a = c, b = c;
        while (a > 0 && belongs(a - 1)) a--;
        while (b < n && belongs(b)) b++;
        if (a < b) {
            out = UnitsIn(a, b, CodePage);
            result = 2;
        }
    }
    CHARRANGE caret{c, c};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageW(Hwnd(), EM_HIDESELECTION, FALSE, 0);
    return result;
}

int CTorviEditCtrl::CharAtCaret(AString& out, bool keepSelection) {
    const int n = GetTextLength();
    int s = 0, e = 0;
    GetSelection(s, e);
    AString read;
    int foundStart = s, foundEnd = e;
    if (s == e) {
        if (s < 0 || n < 1) return 0;
        if (s >= 1) {
            read = UnitsIn(s - 1, s, kCodePageGbk);
            foundStart = s - 1, foundEnd = s;
        }
        if (!StartsWithGbkPair(read)) {
            read = UnitsIn(s, s + 1, CodePage);
            foundStart = s, foundEnd = std::min(s + 1, n);
        }
    } else {
        GetSelectedText(read, CodePage);
    }
    const bool found = read.GetLength() > 1 && StartsWithGbkPair(read);
    if (found) out = read;
    CHARRANGE range = found && keepSelection ? CHARRANGE{foundStart, foundEnd} : CHARRANGE{s, e};
    SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return found ? 1 : 0;
}

void CTorviEditCtrl::SelectionOrCaretText(AString& out, bool keepSelection) {
    GetSelectedText(out, kCodePageGbk);
    out.TrimLeft("\r\n \t");
    out.TrimRight("\r\n \t");
    if (out.GetLength() >= 2) return;
    if (CharAtCaret(out, keepSelection)) return;
    AString clip;
    int used = -1, locale = -1;
    if (ReadClipboardBytes(clip, kCodePageGbk, used, locale) < 2) return;
    for (int i = 0; i + 1 < clip.GetLength(); i++) {
        if (IsGbkLeadByte(static_cast<unsigned char>(clip[i])) && IsGbkTrailByte(static_cast<unsigned char>(clip[i + 1]))) {
            out = clip.Mid(i);
            return;
        }
    }
}

POINT CTorviEditCtrl::CaretScreenPoint() const {
    int s = 0, e = 0;
    GetSelection(s, e);
    POINTL at{};
    SendMessageW(Hwnd(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), s);
    POINT p{at.x, at.y};
    if (p.x == 0) {
        const LRESULT packed = SendMessageW(Hwnd(), EM_POSFROMCHAR, s, 0);
        p = {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
    }
    ClientToScreen(Hwnd(), &p);
    return p;
}

// ---- Messages ----

void CTorviEditCtrl::NotifyParent(UINT message) {
    SendMessageW(GetParent(Hwnd()), message, static_cast<WPARAM>(GetDlgCtrlID(Hwnd())), reinterpret_cast<LPARAM>(Hwnd()));
}

bool CTorviEditCtrl::OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_COMMAND || reinterpret_cast<HWND>(lParam) != Hwnd() || HIWORD(wParam) != EN_CHANGE) return false;
    if (NotifyChange) NotifyParent(WM_EDIT_CHANGED);
    result = 0;
    return true;
}

void CTorviEditCtrl::ScrollLineKeepingCaret(bool down) {
    int s = 0, e = 0;
    GetSelection(s, e);
    const int c = e;
    if (s != e) Select(c, c);
    SendMessageW(Hwnd(), EM_LINESCROLL, 0, down ? 1 : -1);
    const int line = static_cast<int>(SendMessageW(Hwnd(), EM_EXLINEFROMCHAR, 0, c));
    const int column = c - static_cast<int>(SendMessageW(Hwnd(), EM_LINEINDEX, line, 0));
    auto moveTo = [&](int target, int limitLine) {
        const int start = static_cast<int>(SendMessageW(Hwnd(), EM_LINEINDEX, target, 0));
        const int length = static_cast<int>(SendMessageW(Hwnd(), EM_LINELENGTH, SendMessageW(Hwnd(), EM_LINEINDEX, limitLine, 0), 0));
        const int at = start + std::min(column, length);
        CHARRANGE range{at, at};
        SendMessageW(Hwnd(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    };
    if (down) {
        const int first = static_cast<int>(SendMessageW(Hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0));
        if (line < first) {
            SendMessageW(Hwnd(), EM_SETOPTIONS, ECOOP_AND, ~kAutoScroll);
            moveTo(first, first);
            SendMessageW(Hwnd(), EM_SETOPTIONS, ECOOP_OR, kAutoScroll);
        }
        return;
    }
    RECT r{};
    SendMessageW(Hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    POINTL corner{r.right, r.bottom - 4};
    const int lastChar = static_cast<int>(SendMessageW(Hwnd(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner)));
    const int last = static_cast<int>(SendMessageW(Hwnd(), EM_EXLINEFROMCHAR, 0, lastChar));
    if (line >= last && last >= 1) {
        SendMessageW(Hwnd(), EM_SETOPTIONS, ECOOP_AND, ~kAutoScroll);
        moveTo(last - 1, last);
        SendMessageW(Hwnd(), EM_SETOPTIONS, ECOOP_OR, kAutoScroll);
    }
}

void CTorviEditCtrl::ShowContextMenu(POINT client) {
    if (MenuNames.GetSize() == 0) return;
    SetFocus(Hwnd());
    PopupMenu menu;
    std::vector<std::unique_ptr<MenuItemRecord>> records;
    const int count = std::min({MenuNames.GetSize(), static_cast<int>(MenuIds.size()), kContextMenuMaxItems});
    for (int i = 0; i < count; i++) {
        const AString& name = MenuNames[i];
        if (name.IsEmpty()) {
            AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        auto record = std::make_unique<MenuItemRecord>();
        record->text = Wide(name.GetString(), name.GetLength(), CP_ACP);
        record->item = true;
        AppendMenuW(menu.Get(), MF_OWNERDRAW, MenuIds[static_cast<size_t>(i)],
                    reinterpret_cast<LPCWSTR>(record.get()));
        records.push_back(std::move(record));
    }
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    POINT screen = client;
    ClientToScreen(Hwnd(), &screen);
    const int chosen = static_cast<int>(TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                       screen.x, screen.y, 0, Hwnd(), nullptr));
    if (chosen == ID_EDIT_FIND) SendMessageW(Hwnd(), WM_COMMAND, ID_EDIT_FIND, 0);
    else if (chosen == ID_EDIT_COPY) CopySelection();
    else SendMessageW(GetParent(Hwnd()), WM_COMMAND, static_cast<WPARAM>(chosen), 0);
    SetCursor(previous);
}

bool CTorviEditCtrl::OnKeyDown(WPARAM key, LPARAM lParam) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
        case VK_INSERT:
            if (shift) return PasteText(), true;
            if (ctrl) return Default(WM_KEYDOWN, key, lParam), CopySelection(), true;
            return false;
        case 'V':
            if (ctrl) return PasteText(), true;
            return false;
        case 'C':
            if (ctrl) return Default(WM_KEYDOWN, key, lParam), CopySelection(), true;
            return false;
        case VK_UP:
        case VK_DOWN:
            if (ctrl) return ScrollLineKeepingCaret(key == VK_DOWN), true;
            return false;
        case VK_TAB: return ctrl;
        case 'F':
            if (ctrl) return SendMessageW(Hwnd(), WM_COMMAND, ID_EDIT_FIND, 0), true;
            return false;
        case VK_F3: return SendMessageW(Hwnd(), WM_COMMAND, ID_FIND_NEXT, 0), true;
        case VK_F10:
            if (shift) {
                int s = 0, e = 0;
                GetSelection(s, e);
                POINTL at{};
                SendMessageW(Hwnd(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), s);
                menuFromKeyboard_ = true;
                SendMessageW(Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Hwnd()),
                             MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
                menuFromKeyboard_ = false;
            }
            return false;
        default: return false;
    }
}

LRESULT CTorviEditCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            if (OnKeyDown(wParam, lParam)) return 0;
            break;
        case WM_RBUTTONDOWN: ShowContextMenu({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}); return 0;
        case WM_CONTEXTMENU:
            if (menuFromKeyboard_) {
                menuFromKeyboard_ = false;  // the keyboard's menu: client coordinates
                ShowContextMenu({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
                return 0;
            }
            break;
        case WM_LBUTTONUP: {
            const LRESULT result = Default(message, wParam, lParam);
            NotifyParent(WM_EDIT_LBUTTONUP);
            return result;
        }
        case WM_MEASUREITEM: {
            auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (measure.CtlType != ODT_MENU) break;
            MeasureMenuItem(Hwnd(), measure);
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw.CtlType != ODT_MENU) break;
            DrawMenuItem(draw);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == ID_EDIT_FIND && lParam == 0) return OpenFind(), 0;
            if (LOWORD(wParam) == ID_FIND_NEXT && lParam == 0) {
                if (FindPattern.IsEmpty()) OpenFind();
                else FindNext(false);
                SetFocus(Hwnd());
                return 0;
            }
            break;
    }
    return Default(message, wParam, lParam);
}
