#include "ui/mru_file_dlg.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cwctype>

#include "app/environment.h"
#include "res/resource_ids.h"
#include "ui/msg_box.h"
#include "ui/ui_strings.h"

CMRUFileDlg* CMRUFileDlg::active_ = nullptr;
HHOOK CMRUFileDlg::hook_ = nullptr;

namespace {

constexpr int kFileBuffer = 1024;
constexpr int kSpecLimit = 260;  // CDM_GETSPEC is asked for this many characters
constexpr int kFolderHistoryWritten = 16;
constexpr char kOverwriteQuestion[] = "File already exists. Overwrite it?";

// The labels of the template and their English texts.
struct Label {
    int id;
    const char* text;
};
constexpr Label kSaveLabels[] = {{IDC_FOLDER_LABEL, UiText("Used Folders")}, {IDC_EXTRA_LABEL, UiText("Voice")}};
constexpr Label kOpenLabels[] = {{IDC_FOLDER_LABEL, UiText("Used Folders")}, {IDC_EXTRA_LABEL, UiText("Encoding")}};

std::wstring WideFromAcp(const char* s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    w.resize(wcslen(w.c_str()));
    return w;
}

std::wstring ProfileFile() { return WideFromAcp(SettingsFile); }

std::wstring KeyName(int number) { return L"Folder" + std::to_wstring(number); }

void WriteFolderHistory(const std::wstring& section, int number, const std::wstring& folder) {
    WritePrivateProfileStringW(section.c_str(), KeyName(number).c_str(), folder.c_str(), ProfileFile().c_str());
}

std::wstring ComboText(HWND box, int index) {
    const LRESULT n = SendMessageW(box, CB_GETLBTEXTLEN, index, 0);
    if (n < 0) return {};
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
}

int ComboCount(HWND box) {
    const LRESULT n = SendMessageW(box, CB_GETCOUNT, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsInSeparator(std::wstring_view s) {
    return !s.empty() && (s.back() == L'\\' || s.back() == L'/' || s.back() == L':');
}

// The file name part of a path: after its last backslash or slash.
size_t NameStart(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? 0 : slash + 1;
}

// The extension of the path's file name, without its dot; npos when it has none.
size_t ExtensionStart(std::wstring_view path) {
    const size_t dot = path.rfind(L'.');
    return dot == std::wstring_view::npos || dot < NameStart(path) ? std::wstring_view::npos : dot + 1;
}

// A control's rectangle in the client coordinates of `to`.
RECT RectIn(HWND control, HWND to) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, to, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ShowControl(HWND control, bool show) {
    ShowWindow(control, show ? SW_SHOWNA : SW_HIDE);
    EnableWindow(control, show);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

}  // namespace

CMRUFileDlg::CMRUFileDlg(int mode, std::wstring defaultExtension, std::wstring fileName, DWORD flags,
                         std::wstring_view filter, HWND parent, bool showExtraList)
    : open_(mode > 0),
      showExtra_(showExtraList),
      defaultExtension_(std::move(defaultExtension)),
      file_(kFileBuffer, L'\0'),
      flags_(flags),
      parent_(parent) {
    fileName.resize(std::min<size_t>(fileName.size(), kFileBuffer - 1));
    std::copy(fileName.begin(), fileName.end(), file_.begin());
    // Display text and pattern pairs; each pattern's extension from its first
    // "." to its first ";".
    std::vector<std::wstring> parts;
    for (size_t start = 0;;) {
        const size_t bar = filter.find(L'|', start);
        parts.emplace_back(filter.substr(start, bar == std::wstring_view::npos ? bar : bar - start));
        if (bar == std::wstring_view::npos) break;
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        const std::wstring& pattern = parts[i + 1];
        const size_t dot = pattern.find(L'.');
        ExtensionList.push_back(dot == std::wstring::npos ? std::wstring()
                                                          : pattern.substr(dot, pattern.find(L';', dot) - dot));
        filter_ += parts[i] + L'\0' + pattern + L'\0';
    }
    filter_ += L'\0';
}

CMRUFileDlg::~CMRUFileDlg() = default;

std::wstring CMRUFileDlg::ReadFolderHistory(const std::wstring& section, int number) {
    wchar_t value[MAX_PATH * 2] = {};
    GetPrivateProfileStringW(section.c_str(), KeyName(number).c_str(), L"", value, MAX_PATH * 2, ProfileFile().c_str());
    return value;
}

INT_PTR CMRUFileDlg::Run() {
    if (active_) return IDCANCEL;
    active_ = this;
    ChosenPath.clear();
    pathName_.clear();
    initialising_ = true;
    if (!open_) hook_ = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
    initialFolder_ = ReadFolderHistory(FolderHistorySection, 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = parent_;
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filter_.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file_.data();
    ofn.nMaxFile = kFileBuffer;
    ofn.lpstrInitialDir = initialFolder_.empty() ? nullptr : initialFolder_.c_str();
    ofn.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
    ofn.Flags = flags_ | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLESIZING;
    ofn.lpfnHook = HookProc;
    ofn.lpTemplateName = MAKEINTRESOURCEW(open_ ? IDD_FILE_OPEN_EXTRA : IDD_FILE_SAVE_EXTRA);
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    const BOOL ok = open_ ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);

    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    active_ = nullptr;
    extension_ = standard_ = nullptr;
    folderList_.reset();
    extraList_.reset();
    if (!ok) return IDCANCEL;
    pathName_ = file_.data();
    return IDOK;
}

// ---- The extension template's dialog procedure ----

UINT_PTR CALLBACK CMRUFileDlg::HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The extra list is measured while the template is created, before WM_INITDIALOG.
    if (message == WM_MEASUREITEM) {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        return measure.CtlID == IDC_EXTRA_LIST && CComboMRU::MeasureItem(measure);
    }
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CMRUFileDlg*>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->extension_ = hwnd;
        self->standard_ = GetParent(hwnd);
        self->initialising_ = true;
        return FALSE;  // the standard dialog places the focus
    }
    auto* self = reinterpret_cast<CMRUFileDlg*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return FALSE;
    switch (message) {
        case WM_DRAWITEM: {
            const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            return self->extraList_ && self->extraList_->DrawItem(draw);
        }
        case WM_SIZE:
            if (!self->initialising_) self->Layout();
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_FOLDER_LIST && HIWORD(wParam) == CBN_SELCHANGE) self->OnFolderChosen();
            return FALSE;
        case WM_NOTIFY: {
            const auto* note = reinterpret_cast<const OFNOTIFYW*>(lParam);
            switch (note->hdr.code) {
                case CDN_INITDONE: self->OnInitDone(); break;
                case CDN_TYPECHANGE:
                    if (!self->open_) self->OnTypeChange(static_cast<int>(note->lpOFN->nFilterIndex));
                    break;
                case CDN_FILEOK:
                    self->OnFileOk(note->lpOFN->lpstrFile);
                    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);  // accepted
                    return TRUE;
            }
            return FALSE;
        }
        case WM_DESTROY:
            // The lists give their windows back before the template goes.
            self->folderList_.reset();
            self->extraList_.reset();
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return FALSE;
    }
    return FALSE;
}

void CMRUFileDlg::OnInitDone() {
    folderList_ = std::make_unique<CComboMRU>();
    extraList_ = std::make_unique<CComboMRU>();
    const std::pair<CComboMRU*, int> lists[] = {{folderList_.get(), IDC_FOLDER_LIST},
                                                {extraList_.get(), IDC_EXTRA_LIST}};
    for (const auto& [list, id] : lists) {
        list->Attach(GetDlgItem(extension_, id));
        list->InitHistory(AString("NoMRU"), CComboMRU::kItemHeight);
    }
    initialising_ = true;
    TranslateLabels();
    Layout();
    FillLists();
    WidenTypeList();
    initialising_ = false;
}

// Without a label text the lists would stand unnamed: the labels carry their
// translated texts.
void CMRUFileDlg::TranslateLabels() {
    for (const Label& l : open_ ? kOpenLabels : kSaveLabels)
        SetDlgItemTextW(extension_, l.id, TranslateUiTextW(WideFromAcp(l.text)).c_str());
}

void CMRUFileDlg::Layout() {
    const HWND x = extension_, typeLabel = GetDlgItem(standard_, stc2), typeList = GetDlgItem(standard_, cmb1);
    const HWND label = GetDlgItem(x, IDC_FOLDER_LABEL), extraLabel = GetDlgItem(x, IDC_EXTRA_LABEL);
    const HWND folders = GetDlgItem(x, IDC_FOLDER_LIST), extra = GetDlgItem(x, IDC_EXTRA_LIST);
    if (!x || !label || !folders) return;
    const UINT move = SWP_NOZORDER | SWP_NOACTIVATE;

    // A combo box's window height includes its drop-down list: keep that one.
    RECT f = RectIn(folders, x), dropped{};
    SendMessageW(folders, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const int fullHeight = std::max<int>(dropped.bottom - dropped.top, f.bottom - f.top);
    if (typeList) {
        const RECT t = RectIn(typeList, x);
        SetWindowPos(folders, nullptr, t.left, f.top, t.right - t.left, fullHeight, move);
        f = RectIn(folders, x);
    }
    const int step = (f.bottom - f.top) * 3 / 2;  // from the folder list to the extra list
    if (extra) {
        if (showExtra_) SetWindowPos(extra, nullptr, f.left, f.top + step, f.right - f.left, fullHeight, move);
        ShowControl(extra, showExtra_);
    }

    // Each label level with its list and ending before it.
    RECT l = RectIn(label, x);
    if (typeLabel) l.left = RectIn(typeLabel, x).left;
    l.right = std::min<LONG>(l.right - RectIn(label, x).left + l.left, f.left - 2);
    SetWindowPos(label, nullptr, l.left, l.top, l.right - l.left, l.bottom - l.top, move);
    if (extraLabel) {
        if (showExtra_)
            SetWindowPos(extraLabel, nullptr, l.left, l.top + step, l.right - l.left, l.bottom - l.top, move);
        ShowControl(extraLabel, showExtra_);
    }
}

void CMRUFileDlg::FillLists() {
    const HWND folders = folderList_->Hwnd();
    for (int i = 1; i <= kFolderHistoryRead; i++) {
        const std::wstring folder = ReadFolderHistory(FolderHistorySection, i);
        if (!folder.empty() && IsFolder(folder))
            SendMessageW(folders, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    }
    if (ComboCount(folders) > 0) {
        // The list's entries end in a backslash, the current directory does not.
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        std::wstring here = current;
        if (!here.empty() && here.back() != L'\\') here += L'\\';
        const LRESULT found =
            SendMessageW(folders, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(here.c_str()));
        SendMessageW(folders, CB_SETCURSEL, found == CB_ERR ? 0 : found, 0);
    }
    folderList_->ComputeDropWidth();
    if (!showExtra_) return;
    const HWND extra = extraList_->Hwnd();
    for (const std::wstring& s : ExtraList) SendMessageW(extra, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageW(extra, CB_SETCURSEL, ExtraIndex, 0);
    extraList_->ComputeDropWidth();
}

// The standard file-type list drops down wide enough for its items.
void CMRUFileDlg::WidenTypeList() {
    const HWND types = GetDlgItem(standard_, cmb1);
    if (!types) return;
    RECT r{};
    GetWindowRect(types, &r);
    const int width = r.right - r.left;
    int widest = 0;
    if (HDC dc = GetDC(types)) {
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(types, WM_GETFONT, 0, 0)));
        for (int i = 0, n = ComboCount(types); i < n; i++) {
            const std::wstring item = ComboText(types, i);
            SIZE size{};
            GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &size);
            widest = std::max<int>(widest, size.cx);
        }
        SelectObject(dc, old);
        ReleaseDC(types, dc);
    }
    const int dropped = std::min(std::max(width, widest * 4 / 5), 10 * width);
    SendMessageW(types, CB_SETDROPPEDWIDTH, dropped, 0);
}

HWND CMRUFileDlg::FileNameBox() const {
    if (HWND box = GetDlgItem(standard_, cmb13)) return box;
    return GetDlgItem(standard_, edt1);
}

std::wstring CMRUFileDlg::DialogText(UINT message) const {
    std::wstring s(kFileBuffer, L'\0');
    const LRESULT n = SendMessageW(standard_, message, kFileBuffer, reinterpret_cast<LPARAM>(s.data()));
    s.resize(n > 0 ? wcsnlen(s.c_str(), kFileBuffer) : 0);
    return s;
}

int CMRUFileDlg::ExtraSelection() const {
    const HWND extra = GetDlgItem(extension_, IDC_EXTRA_LIST);
    return extra ? static_cast<int>(SendMessageW(extra, CB_GETCURSEL, 0, 0)) : -1;
}

// The chosen folder goes through the file-name box: the dialog opens it.
void CMRUFileDlg::OnFolderChosen() {
    const HWND folders = GetDlgItem(extension_, IDC_FOLDER_LIST);
    const int index = static_cast<int>(SendMessageW(folders, CB_GETCURSEL, 0, 0));
    if (index < 0) return;
    const std::wstring folder = ComboText(folders, index);
    const HWND box = FileNameBox();
    SetWindowTextW(box, folder.c_str());
    SendMessageW(standard_, WM_COMMAND, IDOK, 0);
    SetWindowTextW(box, L"");
}

void CMRUFileDlg::OnTypeChange(int filterIndex) {
    if (filterIndex < 1 || filterIndex > static_cast<int>(ExtensionList.size())) return;
    const std::wstring& extension = ExtensionList[static_cast<size_t>(filterIndex) - 1];
    if (extension.empty() || extension == L".*") return;
    std::wstring name = DialogText(CDM_GETSPEC);
    const size_t dot = ExtensionStart(name);
    if (dot != std::wstring::npos) name.resize(dot - 1);
    if (name.empty() || EndsInSeparator(name)) return;
    SetWindowTextW(FileNameBox(), (name + extension).c_str());
}

void CMRUFileDlg::OnFileOk(const wchar_t* path) {
    const std::wstring p = path ? path : L"";
    const size_t slash = p.rfind(L'\\');
    SaveFolderHistory(slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1));
    if (showExtra_) ExtraIndex = ExtraSelection();
}

void CMRUFileDlg::SaveFolderHistory(std::wstring folder) {
    // Without a folder the entries would only be copied one key down.
    if (folder.empty()) return;
    if (folder.size() > 1 && folder.back() != L'\\') folder += L'\\';
    const HWND list = folderList_ ? folderList_->Hwnd() : nullptr;
    std::vector<std::wstring> entries;
    if (list) {
        const LRESULT old =
            SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(folder.c_str()));
        if (old != CB_ERR) SendMessageW(list, CB_DELETESTRING, old, 0);
        for (int i = 0, n = ComboCount(list); i < n; i++) entries.push_back(ComboText(list, i));
    } else {
        // Without the dialog's list, the listed history is read the same way.
        for (int i = 1; i <= kFolderHistoryRead; i++) {
            std::wstring f = ReadFolderHistory(FolderHistorySection, i);
            if (!f.empty() && IsFolder(f) &&
                CompareStringOrdinal(f.c_str(), -1, folder.c_str(), -1, TRUE) != CSTR_EQUAL)
                entries.push_back(std::move(f));
        }
    }
    const int n = std::min<int>(static_cast<int>(entries.size()), kFolderHistoryWritten - 1);
    for (int i = n - 1; i >= 0; i--)
        if (!entries[static_cast<size_t>(i)].empty())
            WriteFolderHistory(FolderHistorySection, i + 2, entries[static_cast<size_t>(i)]);
    WriteFolderHistory(FolderHistorySection, 1, folder);
    if (!list) return;
    SendMessageW(list, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageW(list, CB_SETCURSEL, 0, 0);
}

void CMRUFileDlg::EnsureExtension(std::wstring& path, std::wstring_view ext) {
    const size_t start = ExtensionStart(path);
    if (start != std::wstring::npos) {
        const std::wstring_view current = std::wstring_view(path).substr(start);
        if (CompareStringOrdinal(current.data(), static_cast<int>(current.size()), ext.data(),
                                 static_cast<int>(ext.size()), TRUE) == CSTR_EQUAL)
            return;
        if (current.empty()) {
            path += ext;
            return;
        }
    }
    path += L'.';
    path += ext;
}

// ---- The save hook ----

LRESULT CALLBACK CMRUFileDlg::GetMessageHook(int code, WPARAM removal, LPARAM lParam) {
    // A message only peeked at comes again when it is taken.
    if (code == HC_ACTION && removal == PM_REMOVE && active_ && active_->standard_ &&
        active_->OnQueuedMessage(*reinterpret_cast<MSG*>(lParam)))
        return 0;
    return CallNextHookEx(hook_, code, removal, lParam);
}

// Enter confirms the dialog unless a push button of its own (Cancel, Help)
// or the file list (Enter opens a folder there) has the focus.
bool CMRUFileDlg::IsEnterTrigger(HWND focus) const {
    if (!focus || (focus != standard_ && !IsChild(standard_, focus))) return false;
    const int id = GetDlgCtrlID(focus);
    if (id == IDYES || id == IDNO) return false;
    for (HWND w = focus; w && w != standard_; w = GetParent(w))
        if (ClassOf(w) == L"SysListView32") return false;
    if (ClassOf(focus) != L"Button") return true;
    const LONG_PTR type = GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK;
    return (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) || id == IDOK;
}

bool CMRUFileDlg::OnQueuedMessage(MSG& m) {
    const HWND ok = GetDlgItem(standard_, IDOK);
    const bool mouse = m.message == WM_LBUTTONUP && ok && m.hwnd == ok && GetCapture() == ok;
    const bool key = m.message == WM_KEYDOWN && m.wParam == VK_RETURN && IsEnterTrigger(GetFocus());
    if (!mouse && !key) return false;

    std::wstring path = DialogText(CDM_GETFILEPATH);
    std::wstring spec = DialogText(CDM_GETSPEC);
    if (spec.size() > kSpecLimit) spec.resize(kSpecLimit);
    // Nothing typed, a pattern to filter by or a folder to open: the dialog's own work.
    if (spec.empty() || spec.find_first_of(L"*?") != std::wstring::npos) return false;
    const size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && spec.find_first_of(L"\\/:") == std::wstring::npos &&
        path.compare(slash + 1, std::wstring::npos, spec) != 0)
        path = path.substr(0, slash + 1) + spec;
    if (slash == std::wstring::npos || IsFolder(path)) return false;
    if (CompareStringOrdinal(defaultExtension_.c_str(), -1, L"wav", -1, TRUE) == CSTR_EQUAL)
        EnsureExtension(path, L"wav");
    const size_t dot = ExtensionStart(path);
    const size_t length = dot == std::wstring::npos ? 0 : path.size() - dot;
    if (length < 1 || length > 4) return false;
    const size_t nameStart = NameStart(path);
    // A folder that does not exist is reported by the dialog itself.
    if (nameStart == 0 || !IsFolder(path.substr(0, nameStart))) return false;

    if (mouse)
        ReleaseCapture();  // the button does not fire
    else
        m.wParam = 0;  // the key does nothing
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        CMsgBox box(standard_);
        box.Text = AString(kOverwriteQuestion);
        box.Type = 4;
        box.DoModal();
        if (box.Result != IDYES) return true;
        // The writer replaces the file; it stays until the new one is written.
        SetFileAttributesW(path.c_str(), attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    }
    ChosenPath = path;
    if (key) SendMessageW(standard_, WM_KEYUP, VK_RETURN, 0xC0000001);
    if (showExtra_) ExtraIndex = ExtraSelection();
    SaveFolderHistory(path.substr(0, nameStart - 1));
    PostMessageW(standard_, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    return true;
}
