#include "app/capture.h"

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "app/environment.h"
#include "text/code_pages.h"
#include "ui/gdi.h"

HWND TargetWindow = nullptr;
HWND TargetFocus = nullptr;
HWND TargetActive = nullptr;
int CopyMessageFallbacks = 0;

namespace {

HWND CaptureToolbar = nullptr;

constexpr BYTE kCopyScanCode = 0xAA;
constexpr DWORD kCopyWaitMs = 200;
constexpr DWORD kMiniToolbarWaitMs = 70;
constexpr DWORD kOpenRetryMs = 120;
constexpr DWORD kCopyMessageTimeoutMs = 2000;  // a hung application must not hang the toolbar
constexpr DWORD kSavePatienceMs = 250;         // another program may hold the clipboard a moment
constexpr DWORD kRestorePatienceMs = 1000;
constexpr int kMaxFormats = 4096;  // guards the enumeration against a clipboard that never ends

// GlobalLock ... GlobalUnlock, with the block's size.
class GlobalLocked {
public:
    explicit GlobalLocked(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr), size_(p_ ? GlobalSize(h) : 0) {}
    ~GlobalLocked() {
        if (p_) GlobalUnlock(h_);
    }
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;

    void* Get() const { return p_; }
    SIZE_T Size() const { return size_; }

private:
    HGLOBAL h_;
    void* p_;
    SIZE_T size_;
};

// AttachThreadInput ... detach.
class InputAttachment {
public:
    InputAttachment(DWORD self, DWORD other)
        : self_(self), other_(other), attached_(other && other != self && AttachThreadInput(self, other, TRUE)) {}
    ~InputAttachment() { Detach(); }
    InputAttachment(const InputAttachment&) = delete;
    InputAttachment& operator=(const InputAttachment&) = delete;

    bool Attached() const { return attached_; }
    void Detach() {
        if (attached_) AttachThreadInput(self_, other_, FALSE);
        attached_ = false;
    }

private:
    DWORD self_, other_;
    bool attached_;
};

// Marks one capture in progress: the waits handle sent messages, and a request
// that arrives meanwhile must not start a second capture over the saved list.
class Busy {
public:
    explicit Busy(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
    ~Busy() {
        if (entered_) flag_ = false;
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    bool Entered() const { return entered_; }

private:
    bool& flag_;
    bool entered_;
};
bool CaptureRunning = false;

// One saved clipboard format; owns its copy until the clipboard takes it.
class SavedFormat {
public:
    enum Kind { Memory, Bitmap, EnhMetaFile, MetaFilePict };
    SavedFormat(UINT format, HANDLE data, Kind kind) : format_(format), data_(data), kind_(kind) {}
    ~SavedFormat() { Free(); }
    SavedFormat(SavedFormat&& other) noexcept
        : format_(other.format_), data_(std::exchange(other.data_, nullptr)), kind_(other.kind_) {}
    SavedFormat& operator=(SavedFormat&& other) noexcept {
        if (this != &other) {
            Free();
            format_ = other.format_;
            data_ = std::exchange(other.data_, nullptr);
            kind_ = other.kind_;
        }
        return *this;
    }

    UINT Format() const { return format_; }
    // Hands the data to the open clipboard; kept (and freed later) when it refuses.
    void HandOver() {
        if (data_ && SetClipboardData(format_, data_)) data_ = nullptr;
    }

private:
    void Free() {
        if (!data_) return;
        switch (kind_) {
            case Memory: GlobalFree(data_); break;
            case Bitmap: DeleteObject(data_); break;
            case EnhMetaFile: DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data_)); break;
            case MetaFilePict: {
                {
                    GlobalLocked pict(data_);
                    if (pict.Get()) DeleteMetaFile(static_cast<METAFILEPICT*>(pict.Get())->hMF);
                }
                GlobalFree(data_);
                break;
            }
        }
        data_ = nullptr;
    }

    UINT format_;
    HANDLE data_;
    Kind kind_;
};

std::vector<SavedFormat> SavedClipboard;

bool IsSaved(UINT format) {
    for (const SavedFormat& f : SavedClipboard)
        if (f.Format() == format) return true;
    return false;
}

// The synthesised twin of `format` is already saved.
bool TwinSaved(UINT format, bool isNT) {
    switch (format) {
        case CF_DIB: return IsSaved(CF_BITMAP) || IsSaved(CF_DIBV5);
        case CF_DIBV5: return IsSaved(CF_DIB) || IsSaved(CF_BITMAP);
        case CF_BITMAP: return IsSaved(CF_DIB) || IsSaved(CF_DIBV5);
        case CF_PALETTE: return IsSaved(CF_DIB);
        case CF_METAFILEPICT: return IsSaved(CF_ENHMETAFILE);
        case CF_ENHMETAFILE: return IsSaved(CF_METAFILEPICT);
        case CF_TEXT: return IsSaved(CF_OEMTEXT) || (isNT && IsSaved(CF_UNICODETEXT));
        case CF_OEMTEXT: return IsSaved(CF_TEXT) || (isNT && IsSaved(CF_UNICODETEXT));
        default: return false;
    }
}

// Formats whose data is not a memory block of plain bytes.
bool IsHandleFormat(UINT format) {
    return format == CF_BITMAP || format == CF_PALETTE || format == CF_ENHMETAFILE || format == CF_OWNERDISPLAY ||
           format == CF_DSPBITMAP || format == CF_DSPENHMETAFILE || format == CF_DSPMETAFILEPICT ||
           (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
           (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
}

HGLOBAL CopyBlock(HGLOBAL source) {
    GlobalLocked from(source);
    if (!from.Get() || from.Size() == 0) return nullptr;
    GlobalBlock copy(from.Size(), GlobalBlock::kClipboardFlags);
    return copy.Fill(from.Get(), from.Size()) ? copy.Release() : nullptr;
}

// A METAFILEPICT holds a metafile handle that the clipboard deletes when emptied.
HGLOBAL CopyMetaFilePict(HGLOBAL source) {
    GlobalLocked from(source);
    if (!from.Get() || from.Size() < sizeof(METAFILEPICT)) return nullptr;
    METAFILEPICT pict = *static_cast<const METAFILEPICT*>(from.Get());
    pict.hMF = CopyMetaFileW(pict.hMF, nullptr);
    if (!pict.hMF) return nullptr;
    GlobalBlock copy(sizeof pict, GlobalBlock::kClipboardFlags);
    if (copy.Fill(&pict, sizeof pict)) return copy.Release();
    DeleteMetaFile(pict.hMF);
    return nullptr;
}

void SaveFormat(UINT format) {
    HANDLE data = GetClipboardData(format);
    if (!data) return;
    std::optional<SavedFormat> saved;
    if (format == CF_BITMAP) {
        if (HANDLE copy = CopyImage(data, IMAGE_BITMAP, 0, 0, 0)) saved.emplace(format, copy, SavedFormat::Bitmap);
    } else if (format == CF_ENHMETAFILE) {
        if (HENHMETAFILE copy = CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr))
            saved.emplace(format, copy, SavedFormat::EnhMetaFile);
    } else if (format == CF_METAFILEPICT) {
        if (HGLOBAL copy = CopyMetaFilePict(data)) saved.emplace(format, copy, SavedFormat::MetaFilePict);
    } else if (!IsHandleFormat(format)) {
        if (HGLOBAL copy = CopyBlock(data)) saved.emplace(format, copy, SavedFormat::Memory);
    }
    if (!saved) return;
    if (SavedClipboard.size() == SavedClipboard.capacity()) SavedClipboard.reserve(SavedClipboard.capacity() + 10);
    SavedClipboard.push_back(std::move(*saved));
}

void TapKeys(const WORD* keys, const DWORD* flags, int count) {
    INPUT input[4]{};
    for (int i = 0; i < count; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[i];
        input[i].ki.wScan = kCopyScanCode;
        input[i].ki.dwFlags = flags[i];
    }
    SendInput(count, input, sizeof(INPUT));
}

void TypeCopyKeystroke() {
    const WORD keys[] = {VK_CONTROL, VK_INSERT, VK_INSERT, VK_CONTROL};
    const DWORD flags[] = {0, KEYEVENTF_EXTENDEDKEY, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, KEYEVENTF_KEYUP};
    TapKeys(keys, flags, 4);
}

void TapShift() {
    const WORD keys[] = {VK_SHIFT, VK_SHIFT};
    const DWORD flags[] = {0, KEYEVENTF_KEYUP};
    TapKeys(keys, flags, 2);
}

void ClassOf(HWND h, char (&name)[128]) {
    name[0] = 0;
    if (GetClassNameA(h, name, sizeof name) <= 0) name[0] = 0;
}

bool Begins(const char* s, const char* prefix, size_t n) { return std::strncmp(s, prefix, n) == 0; }
bool Begins(const char* s, const char* prefix) { return Begins(s, prefix, std::strlen(prefix)); }

CopyChoice Keystroke(bool repaint = false) { return {false, CopyMethod::Keystroke, repaint}; }

CopyChoice DefaultRule(const char* f) {
    if (std::strcmp(f, "Edit") == 0) return {false, CopyMethod::Message, false};
    if (Begins(f, "Button", 6)) return {true, CopyMethod::Keystroke, false};
    return Keystroke();
}

}  // namespace

void WaitHandlingSentMessages(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD waited = GetTickCount() - start;
        if (waited >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_SENDMESSAGE);
    }
}

void SetCaptureToolbar(HWND toolbar) { CaptureToolbar = toolbar; }

CopyChoice ChooseCopyMethod(const char* f, const char* r, const char* rootTitle, bool isNT, bool chineseSystem) {
    if (!r) return DefaultRule(f);
    if (Begins(r, "ATH_Note", 8) || Begins(r, "Outlook", 7) || Begins(r, "rctrl_renwnd", 10) ||
        Begins(r, "TorviEdit") || Begins(r, "IEFrame", 7)) {
        if (Begins(f, "Internet Explorer_Server", 24) || std::strstr(f, "SmartMenuToolbar") ||
            _strnicmp(f, "RichEdit", 8) == 0 || std::strcmp(f, "Edit") == 0)
            return Keystroke();
        return DefaultRule(f);
    }
    if (Begins(r, "XDICTWND", 8)) return Keystroke(isNT || !chineseSystem);
    if (Begins(r, "OMain", 5) || Begins(r, "MSPPage", 6) || Begins(r, "MSWinPub", 8) || Begins(r, "OpusApp", 6))
        return Keystroke();
    if (Begins(r, "NJStar", 6)) return Begins(f, "Edit", 4) ? Keystroke() : DefaultRule(f);
    if (Begins(r, "Notepad", 6)) return isNT && Begins(f, "Edit", 4) ? Keystroke() : DefaultRule(f);
    if (Begins(r, "TfmMain", 7))
        return rootTitle && Begins(rootTitle, "WPS", 3) && std::strcmp(f, "TShellControl") == 0 ? Keystroke()
                                                                                                : DefaultRule(f);
    return DefaultRule(f);
}

CopyChoice ChooseCopyMethod(HWND focus) {
    char f[128], r[128], title[32] = "";
    ClassOf(focus, f);
    HWND root = GetAncestor(focus, GA_ROOT);
    if (!root) root = focus;
    ClassOf(root, r);
    if (root != focus && GetWindowTextA(root, title, sizeof title) <= 0) title[0] = 0;
    return ChooseCopyMethod(f, root == focus ? nullptr : r, title, OsInfo().IsNT, IsChineseSystem);
}

int CaptureSelection(HWND focus, HWND foreground, AString& out) {
    out.Empty();
    if (!focus) return 0;
    CopyChoice choice = ChooseCopyMethod(focus);
    char f[128];
    ClassOf(focus, f);
    if (foreground && std::strstr(f, "SmartMenuToolbar")) {
        // A floating formatting bar holds the focus: a Shift tap sends it back to the text.
        const DWORD thread = GetWindowThreadProcessId(foreground, nullptr);
        InputAttachment attached(GetCurrentThreadId(), thread);
        if (attached.Attached()) {
            TapShift();
            attached.Detach();
            WaitHandlingSentMessages(kMiniToolbarWaitMs);
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (GetGUIThreadInfo(thread, &info)) {
                TargetFocus = info.hwndFocus;
                TargetActive = info.hwndActive;
                if (info.hwndFocus) focus = info.hwndFocus;
            }
        }
    }
    if (choice.refuse) return 0;
    CopyAndRead(out, choice.method, focus, CaptureToolbar);
    if (choice.repaint) InvalidateRect(focus, nullptr, TRUE);
    return 1;
}

int CopyAndRead(AString& out, CopyMethod method, HWND target, HWND toolbar) {
    out.Empty();
    Busy busy(CaptureRunning);
    if (!busy.Entered()) return 0;
    // Copying over a clipboard that could not be saved would lose the user's contents.
    if (!SaveClipboard()) return 0;
    HWND fg = GetForegroundWindow();
    if (toolbar && fg == toolbar) {
        MessageBeep(static_cast<UINT>(-1));
        RestoreClipboard();
        return 0;
    }
    {
        InputAttachment attached(GetCurrentThreadId(), fg ? GetWindowThreadProcessId(fg, nullptr) : 0);
        if (!attached.Attached()) {
            RestoreClipboard();
            return 0;
        }
        if (method == CopyMethod::Message) {
            DWORD_PTR result;
            SendMessageTimeoutW(target, WM_COPY, 0, 0, SMTO_ABORTIFHUNG, kCopyMessageTimeoutMs, &result);
        } else {
            TypeCopyKeystroke();
        }
    }
    WaitHandlingSentMessages(kCopyWaitMs);
    int detected;
    int count = ReadClipboardText(10, out, 936, detected);
    if (count == 0 && method == CopyMethod::Keystroke && target && IsWindow(target)) {
        // Some rich edits ignore Ctrl+Insert but answer the copy message.
        ++CopyMessageFallbacks;
        DWORD_PTR result;
        if (SendMessageTimeoutW(target, WM_COPY, 0, 0, SMTO_ABORTIFHUNG, kCopyMessageTimeoutMs, &result))
            count = ReadClipboardText(10, out, 936, detected);
    }
    RestoreClipboard();
    return count;
}

int SaveClipboard() {
    SavedClipboard.clear();
    ClipboardOpen clipboard(nullptr, kSavePatienceMs);
    if (!clipboard.IsOpen()) return 0;
    const bool isNT = OsInfo().IsNT;
    UINT format = 0;
    for (int i = 0; i < kMaxFormats && (format = EnumClipboardFormats(format)) != 0; ++i)
        if (!TwinSaved(format, isNT)) SaveFormat(format);
    EmptyClipboard();
    return 1;
}

void RestoreClipboard() {
    if (SavedClipboard.empty()) return;
    ClipboardOpen clipboard(nullptr, kRestorePatienceMs);
    if (!clipboard.IsOpen()) return;
    EmptyClipboard();
    for (SavedFormat& f : SavedClipboard) f.HandOver();
    SavedClipboard.clear();
}

int SavedClipboardCount() { return static_cast<int>(SavedClipboard.size()); }

int ClipboardTextCodePage(const LCID* locale, int fallbackCodePage) {
    if (locale) return CodePageFor(UiLanguageFromLangId(LANGIDFROMLCID(*locale)), true);
    return fallbackCodePage == 950 ? 950 : 936;
}

int ReadClipboardText(int timeoutMs, AString& out, int fallbackCodePage, int& detectedCodePage) {
    detectedCodePage = -1;
    out.Empty();
    const DWORD start = GetTickCount();
    std::optional<ClipboardOpen> clipboard;
    for (;;) {
        clipboard.emplace(nullptr, 0);
        if (clipboard->IsOpen()) break;
        clipboard.reset();
        if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) return 0;
        WaitHandlingSentMessages(kOpenRetryMs);
    }
    // Foreign data: read only within the block, whether or not it is terminated.
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        GlobalLocked text(h);
        if (text.Get()) {
            const auto* units = static_cast<const char16_t*>(text.Get());
            const SIZE_T capacity = text.Size() / 2;
            SIZE_T n = 0;
            while (n < capacity && units[n]) ++n;
            if (n > 0 && n <= static_cast<SIZE_T>(AString::kMaxLength / 2)) {
                out = AString(units, static_cast<int>(n));
                return out.GetLength();
            }
        }
    }
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        std::optional<LCID> locale;
        if (HANDLE l = GetClipboardData(CF_LOCALE)) {
            GlobalLocked lcid(l);
            if (lcid.Get() && lcid.Size() >= sizeof(LCID)) locale = *static_cast<const LCID*>(lcid.Get());
        }
        const int codePage = ClipboardTextCodePage(locale ? &*locale : nullptr, fallbackCodePage);
        if (locale) detectedCodePage = codePage;
        GlobalLocked text(h);
        if (text.Get()) {
            const auto* bytes = static_cast<const char*>(text.Get());
            SIZE_T n = 0;
            while (n < text.Size() && bytes[n]) ++n;
            if (n > 0 && n <= static_cast<SIZE_T>(AString::kMaxLength / 2)) {
                out = GbkToUiText(bytes, static_cast<int>(n), codePage);
                return out.GetLength();
            }
        }
    }
    return 0;
}
