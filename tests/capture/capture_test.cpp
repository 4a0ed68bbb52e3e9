// The capture of another application's selection under Wine: the method chosen
// for real windows, real copies from Wine's notepad and wordpad, and a helper
// application that answers the copy badly. The clipboard is seeded before each
// capture and compared byte for byte afterwards.
//
// ZH_CAPTURE_TRIALS=<n> runs every notepad and wordpad case n times (default 3)
// and prints the successes and the time per capture.
#include "app/capture.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/environment.h"
#include "tests/support/pump_messages.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/text_literals.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// ---- clipboard fixtures ----

struct Format {
    UINT format;
    std::string bytes;  // empty for data that is not a memory block
    bool operator==(const Format&) const = default;
};
void PrintTo(const Format& f, std::ostream* os) { *os << "format " << f.format << " (" << f.bytes.size() << " bytes)"; }

UINT PrivateFormat() { return RegisterClipboardFormatW(L"Zhorvan capture test"); }

std::string Dib() {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = 2;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
    bytes += std::string("\x10\x20\x30\x40\x50\x60\0\0\x70\x80\x90\xA0\xB0\xC0\0\0", 16);
    return bytes;
}

std::string Units(std::u16string_view s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2) + std::string(2, '\0');
}

// Checks `done` every 10 ms, handling this thread's messages in between.
bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const Clock::time_point end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= end) return false;
        PumpMessagesUntil([] { return false; }, 10ms);
    }
    return true;
}

bool OpenClipboardPatiently() {
    return PollUntil([] { return OpenClipboard(nullptr) != FALSE; }, 3s);
}

void SetClipboard(const std::vector<Format>& formats) {
    ASSERT_TRUE(OpenClipboardPatiently());
    EmptyClipboard();
    for (const Format& f : formats) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, f.bytes.size());
        std::memcpy(GlobalLock(h), f.bytes.data(), f.bytes.size());
        GlobalUnlock(h);
        EXPECT_TRUE(SetClipboardData(f.format, h)) << f.format;
    }
    CloseClipboard();
}

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> list;
    if (!OpenClipboardPatiently()) return {0xFFFFFFFF};
    for (UINT f = 0; (f = EnumClipboardFormats(f)) != 0;) list.push_back(f);
    CloseClipboard();
    return list;
}

// The data of the given formats, in the given order; a missing one has the format 0.
std::vector<Format> ClipboardData(const std::vector<UINT>& formats) {
    std::vector<Format> data;
    if (!OpenClipboardPatiently()) return data;
    for (UINT f : formats) {
        HANDLE h = GetClipboardData(f);
        Format got{h ? f : 0, {}};
        if (h && f == CF_METAFILEPICT) {  // its size and the metafile's records, not the handle
            if (auto* pict = static_cast<const METAFILEPICT*>(GlobalLock(h))) {
                got.bytes.assign(reinterpret_cast<const char*>(pict), offsetof(METAFILEPICT, hMF));
                std::string bits(GetMetaFileBitsEx(pict->hMF, 0, nullptr), '\0');
                GetMetaFileBitsEx(pict->hMF, static_cast<UINT>(bits.size()), bits.data());
                got.bytes += bits;
                GlobalUnlock(h);
            }
        } else if (h && f != CF_BITMAP && f != CF_ENHMETAFILE && f != CF_PALETTE) {
            const char* p = static_cast<const char*>(GlobalLock(h));
            if (p) got.bytes.assign(p, GlobalSize(h));
            GlobalUnlock(h);
        }
        if (h && f == CF_ENHMETAFILE) {
            auto emf = static_cast<HENHMETAFILE>(h);
            got.bytes.resize(GetEnhMetaFileBits(emf, 0, nullptr));
            GetEnhMetaFileBits(emf, static_cast<UINT>(got.bytes.size()), reinterpret_cast<BYTE*>(got.bytes.data()));
        }
        data.push_back(got);
    }
    CloseClipboard();
    return data;
}

// The formats set, then the order of every format the clipboard lists.
struct Seed {
    std::vector<Format> formats;
    std::vector<UINT> listed;
};

Seed SeedClipboard() {
    Seed seed;
    seed.formats = {
        {CF_UNICODETEXT, Units(u"旧的内容")}, {PrivateFormat(), std::string("\x01\0\x02\xFF", 4)}, {CF_DIB, Dib()}};
    SetClipboard(seed.formats);
    seed.listed = ClipboardFormats();
    return seed;
}

std::vector<UINT> FormatsOf(const std::vector<Format>& formats) {
    std::vector<UINT> list;
    for (const Format& f : formats) list.push_back(f.format);
    return list;
}

std::vector<UINT> Sorted(std::vector<UINT> list) {
    std::sort(list.begin(), list.end());
    return list;
}

// The formats of `list` that are in `wanted`, in the order of `list`.
std::vector<UINT> Only(const std::vector<UINT>& list, const std::vector<UINT>& wanted) {
    std::vector<UINT> kept;
    for (UINT f : list)
        if (std::find(wanted.begin(), wanted.end(), f) != wanted.end()) kept.push_back(f);
    return kept;
}

// The clipboard holds the seed again: the set formats with their bytes, first
// and in their order, and the same list of formats.
::testing::AssertionResult HoldsSeed(const Seed& seed) {
    const std::vector<UINT> listed = ClipboardFormats();
    if (listed.size() < seed.formats.size() || !std::equal(seed.formats.begin(), seed.formats.end(), listed.begin(),
                                                           [](const Format& f, UINT u) { return f.format == u; }))
        return ::testing::AssertionFailure() << "formats not first or not in order";
    if (ClipboardData(FormatsOf(seed.formats)) != seed.formats) return ::testing::AssertionFailure() << "data changed";
    if (Sorted(seed.listed) != Sorted(listed))
        return ::testing::AssertionFailure()
               << "other formats listed: " << listed.size() << " vs " << seed.listed.size();
    return ::testing::AssertionSuccess();
}

std::u16string Text(const AString& s) {
    EXPECT_TRUE(s.IsEmpty() || s.IsWide());
    return std::u16string(s.WideData(), s.GetCharCount());
}

// ---- processes and windows ----

class ChildProcess {
public:
    explicit ChildProcess(std::wstring commandLine) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        ok_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
    }
    ~ChildProcess() {
        if (!ok_) return;
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 5000);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Ok() const { return ok_; }
    DWORD Id() const { return pi_.dwProcessId; }
    bool Running() const { return ok_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

private:
    PROCESS_INFORMATION pi_{};
    bool ok_ = false;
};

HWND FindTopLevel(DWORD pid, const wchar_t* cls) {
    struct Search {
        DWORD pid;
        const wchar_t* cls;
        HWND found;
    } s{pid, cls, nullptr};
    EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            DWORD pid = 0;
            wchar_t name[128];
            GetWindowThreadProcessId(h, &pid);
            if (pid == s->pid && IsWindowVisible(h) && GetClassNameW(h, name, 128) &&
                (!s->cls || !wcscmp(name, s->cls))) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitForTopLevel(DWORD pid, const wchar_t* cls) {
    HWND h = nullptr;
    PollUntil([&] { return (h = FindTopLevel(pid, cls)) != nullptr; }, 20s);
    return h;
}

HWND FocusOf(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool MakeForeground(HWND top) {
    return PollUntil(
        [&] {
            if (GetForegroundWindow() == top) return true;
            SetForegroundWindow(top);
            return false;
        },
        5s);
}

std::wstring HelperPath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/") + 1) + L"capture_helper.exe";
}

// The helper application, in front, with its focus window.
struct Helper {
    explicit Helper(const std::wstring& args) : process(L"\"" + HelperPath() + L"\" " + args) {
        if (!process.Ok()) return;
        main = WaitForTopLevel(process.Id(), MainClass(args).c_str());
        if (!main || !MakeForeground(main)) return;
        // The helper gives its child the focus after coming to the front.
        const std::wstring focusClass = Word(args, 1);
        PollUntil(
            [&] {
                wchar_t cls[128] = L"";
                focus = FocusOf(main);
                return focus && GetClassNameW(focus, cls, 128) && focusClass == cls;
            },
            5s);
    }
    static std::wstring Word(const std::wstring& args, int n) {
        size_t start = 0;
        for (; n > 0; --n) start = args.find(L' ', start) + 1;
        return args.substr(start, args.find(L' ', start) - start);
    }
    static std::wstring MainClass(const std::wstring& args) { return Word(args, 0); }

    ChildProcess process;
    HWND main = nullptr;
    HWND focus = nullptr;
};

int Trials() {
    const char* n = std::getenv("ZH_CAPTURE_TRIALS");
    return n && std::atoi(n) > 0 ? std::atoi(n) : 3;
}

// ---- the method ----

// Top-level windows of our own classes with children of the classes that matter.
class ChoiceWindows {
public:
    HWND Make(const wchar_t* cls, HWND parent, const wchar_t* title = L"") {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = cls;
        RegisterClassW(&wc);  // again for a class already registered: fails harmlessly
        HWND h = CreateWindowExW(0, cls, title, parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 50, 50, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        if (!parent) tops_.push_back(h);
        return h;
    }
    ~ChoiceWindows() {
        for (HWND h : tops_) DestroyWindow(h);
    }

private:
    std::vector<HWND> tops_;
};

TEST(CaptureMethod, ChosenFromTheClassesOfTheFocusAndItsTopLevelWindow) {
    ASSERT_TRUE(OsInfo().IsNT);
    enum Expect { Message, Keystroke, Refused };
    struct Case {
        const wchar_t *root, *title, *focus;
        Expect expect;
    };
    const Case cases[] = {
        {L"ZhOrdinaryFrame", L"", L"Edit", Message},
        {L"OMainDocument", L"", L"Edit", Keystroke},
        {L"ZhOrdinaryFrame", L"", L"Button", Refused},
        {L"ZhOrdinaryFrame", L"", L"ButtonBar", Refused},
        {L"ZhOrdinaryFrame", L"", L"RichEdit20W", Keystroke},
        {L"ZhOrdinaryFrame", L"", L"EditPlus", Keystroke},
        {L"OMain", L"", L"Button", Keystroke},  // the rule of the top level comes first
        {L"MSPPagX", L"", L"Edit", Keystroke},  // "MSPPage" compares 6 characters
        {L"MSPPa", L"", L"Edit", Message},
        {L"MSPPage", L"", L"Button", Keystroke},
        {L"OpusAppX", L"", L"Edit", Keystroke},
        {L"IEFrame", L"", L"Edit", Keystroke},
        {L"IEFrame", L"", L"Internet Explorer_Server", Keystroke},
        {L"IEFrame", L"", L"Button", Refused},
        {L"ATH_Note", L"", L"richedit20a", Keystroke},  // any case
        {L"Outloo", L"", L"Edit", Message},
        {L"OutlookMain", L"", L"Edit", Keystroke},
        {L"rctrl_renwnd32", L"", L"Edit", Keystroke},
        {L"TorviEdi", L"", L"Edit", Message},
        {L"NJStar", L"", L"Edit32", Keystroke},
        {L"NJStar", L"", L"Button", Refused},
        {L"Notepad", L"", L"Edit", Keystroke},  // on NT
        {L"Notepad", L"", L"Button", Refused},
        {L"TfmMain", L"WPS Writer", L"TShellControl", Keystroke},
        {L"TfmMain", L"WPS Writer", L"Edit", Message},
        {L"TfmMain", L"Writer", L"TShellControl", Keystroke},  // default rule: not Edit
        {L"XDICTWND", L"", L"Button", Keystroke},
    };
    ChoiceWindows windows;
    for (const Case& c : cases) {
        HWND root = windows.Make(c.root, nullptr, c.title);
        HWND panel = windows.Make(L"ZhPanel", root);
        HWND focus = windows.Make(c.focus, panel);  // the top level is found through the parent chain
        ASSERT_TRUE(focus);
        const CopyChoice choice = ChooseCopyMethod(focus);
        const Expect got = choice.refuse ? Refused : choice.method == CopyMethod::Message ? Message : Keystroke;
        EXPECT_EQ(got, c.expect) << "root " << Gbk(std::string(c.root, c.root + wcslen(c.root))).GetString()
                                 << ", focus " << std::string(c.focus, c.focus + wcslen(c.focus));
        EXPECT_EQ(choice.repaint, std::wcscmp(c.root, L"XDICTWND") == 0);
    }
    // A focus window that is its own top level goes to the default rule.
    HWND lone = windows.Make(L"Notepad", nullptr);
    EXPECT_EQ(ChooseCopyMethod(lone).method, CopyMethod::Keystroke);
    HWND loneEdit = windows.Make(L"Edit", nullptr);
    EXPECT_EQ(ChooseCopyMethod(loneEdit).method, CopyMethod::Message);
    EXPECT_FALSE(ChooseCopyMethod(loneEdit).refuse);
}

TEST(CaptureMethod, DependsOnThePlatformWhereTheRulesSaySo) {
    EXPECT_EQ(ChooseCopyMethod("Edit", "Notepad", "", false, true).method, CopyMethod::Message);
    EXPECT_EQ(ChooseCopyMethod("Edit", "Notepad", "", true, true).method, CopyMethod::Keystroke);
    EXPECT_FALSE(ChooseCopyMethod("Edit", "XDICTWND", "", false, true).repaint);
    EXPECT_TRUE(ChooseCopyMethod("Edit", "XDICTWND", "", false, false).repaint);
    EXPECT_TRUE(ChooseCopyMethod("Edit", "XDICTWND", "", true, true).repaint);
}

TEST(CaptureMethod, ClipboardTextCodePageFollowsTheLocale) {
    const struct {
        LCID locale;
        int codePage;
    } cases[] = {{0x0404, 950}, {0x0C04, 950}, {0x0804, 936}, {0x1004, 936}, {0x0409, 936}, {0x0407, 1252}};
    for (const auto& c : cases) EXPECT_EQ(ClipboardTextCodePage(&c.locale, 1252), c.codePage) << c.locale;
    EXPECT_EQ(ClipboardTextCodePage(nullptr, 950), 950);
    EXPECT_EQ(ClipboardTextCodePage(nullptr, 1252), 936);
    EXPECT_EQ(ClipboardTextCodePage(nullptr, 936), 936);
}

// ---- the clipboard alone ----

TEST(CaptureClipboard, SaveEmptiesAndRestorePutsEveryFormatBackInOrder) {
    // A picture as an enhanced metafile too: a handle, not a memory block.
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 1, 2, 30, 40);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    const Seed seed = SeedClipboard();
    ASSERT_TRUE(OpenClipboardPatiently());
    SetClipboardData(CF_ENHMETAFILE, CopyEnhMetaFileW(emf, nullptr));
    CloseClipboard();
    std::vector<UINT> formats = FormatsOf(seed.formats);
    formats.push_back(CF_ENHMETAFILE);
    const std::vector<Format> before = ClipboardData(formats);
    const std::vector<UINT> listedBefore = ClipboardFormats();
    ASSERT_EQ(FormatsOf(before), formats);
    ASSERT_FALSE(before.back().bytes.empty());
    DeleteEnhMetaFile(emf);

    ASSERT_EQ(SaveClipboard(), 1);
    EXPECT_EQ(CountClipboardFormats(), 0);
    RestoreClipboard();
    EXPECT_EQ(SavedClipboardCount(), 0);
    EXPECT_EQ(ClipboardData(formats), before);
    const std::vector<UINT> listed = ClipboardFormats();
    EXPECT_EQ(Only(listed, formats), Only(listedBefore, formats));
    EXPECT_EQ(Sorted(listed), Sorted(listedBefore));
}

// Pictures that are handles, alone on the clipboard: the picture comes back.
TEST(CaptureClipboard, PicturesOfferedOnlyAsHandlesComeBack) {
    {
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 2);
        ReleaseDC(nullptr, screen);
        ASSERT_TRUE(OpenClipboardPatiently());
        EmptyClipboard();
        SetClipboardData(CF_BITMAP, bitmap);
        CloseClipboard();
    }
    const std::vector<Format> dib = ClipboardData({CF_DIB});
    ASSERT_EQ(dib.size(), 1u);
    ASSERT_EQ(dib[0].format, static_cast<UINT>(CF_DIB));
    ASSERT_EQ(SaveClipboard(), 1);
    RestoreClipboard();
    EXPECT_EQ(ClipboardData({CF_DIB}), dib);

    {
        HDC dc = CreateMetaFileW(nullptr);
        Rectangle(dc, 1, 2, 30, 40);
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
        *static_cast<METAFILEPICT*>(GlobalLock(h)) = METAFILEPICT{MM_ANISOTROPIC, 300, 400, CloseMetaFile(dc)};
        GlobalUnlock(h);
        ASSERT_TRUE(OpenClipboardPatiently());
        EmptyClipboard();
        SetClipboardData(CF_METAFILEPICT, h);
        CloseClipboard();
    }
    const std::vector<Format> pict = ClipboardData({CF_METAFILEPICT});
    ASSERT_EQ(pict[0].format, static_cast<UINT>(CF_METAFILEPICT));
    ASSERT_GT(pict[0].bytes.size(), offsetof(METAFILEPICT, hMF));
    ASSERT_EQ(SaveClipboard(), 1);
    RestoreClipboard();
    EXPECT_EQ(ClipboardData({CF_METAFILEPICT}), pict);
}

// Wine makes CF_UNICODETEXT from CF_TEXT itself; an empty CF_UNICODETEXT beside
// the 8-bit text leaves the conversion to the reader.
TEST(CaptureClipboard, ReadsEightBitTextInTheCodePageOfItsLocale) {
    const struct {
        LCID locale;
        std::string bytes;
        int codePage;
    } cases[] = {
        {0x0404, "\xA4\xA4\xA4\xE5", 950},  // 中文 in Big5
        {0x0804, "\xD6\xD0\xCE\xC4", 936},  // in GBK
        {0x0409, "\xD6\xD0\xCE\xC4", 936},  // English takes GBK too
    };
    for (const auto& c : cases) {
        SetClipboard({{CF_UNICODETEXT, std::string(2, '\0')},
                      {CF_TEXT, c.bytes + '\0'},
                      {CF_LOCALE, std::string(reinterpret_cast<const char*>(&c.locale), sizeof c.locale)}});
        AString out;
        int detected = 0;
        EXPECT_EQ(ReadClipboardText(10, out, 936, detected), 4) << c.locale;
        EXPECT_EQ(Text(out), u"中文") << c.locale;
        EXPECT_EQ(detected, c.codePage) << c.locale;
    }
    // German: Western single-byte text.
    const LCID german = 0x0407;
    SetClipboard({{CF_UNICODETEXT, std::string(2, '\0')},
                  {CF_TEXT, "Gr\xFC\xDF" + std::string(1, '\0')},
                  {CF_LOCALE, std::string(reinterpret_cast<const char*>(&german), sizeof german)}});
    AString out;
    int detected = 0;
    EXPECT_EQ(ReadClipboardText(10, out, 936, detected), 8);
    EXPECT_EQ(Text(out), u"Grüß");
    EXPECT_EQ(detected, 1252);
}

TEST(CaptureClipboard, KeepsCharactersBeyondTheBasicPlaneWhole) {
    const std::u16string text = u"𠮷了😀a𩸽";
    SetClipboard({{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.c_str()), 2 * text.size() + 2)}});
    AString out;
    int detected = 0;
    EXPECT_EQ(ReadClipboardText(10, out, 936, detected), static_cast<int>(2 * text.size()));
    EXPECT_EQ(Text(out), text);
}

TEST(CaptureClipboard, ReadsTextOfferedOnlyAsBig5WithATraditionalLocale) {
    const LCID locale = 0x0404;
    SetClipboard({{CF_TEXT, std::string("\xA4\xA4\xA4\xE5\0", 5)},
                  {CF_LOCALE, std::string(reinterpret_cast<const char*>(&locale), sizeof locale)}});
    AString out;
    int detected = 0;
    EXPECT_EQ(ReadClipboardText(10, out, 936, detected), 4);
    EXPECT_EQ(Text(out), u"中文");
}

// ---- real applications ----

// Wine's notepad or wordpad with a Chinese text, all of it selected, in front.
class Application {
public:
    Application(const wchar_t* exe, const wchar_t* mainClass, const std::u16string& text)
        : process_(std::wstring(exe)) {
        if (!process_.Ok()) return;
        main_ = WaitForTopLevel(process_.Id(), mainClass);
        if (!main_) {
            wchar_t name[128] = L"";
            if (HWND any = FindTopLevel(process_.Id(), nullptr)) GetClassNameW(any, name, 128);
            std::printf("no %ls; a window of class %ls\n", mainClass, name);
        }
        if (!main_ || !MakeForeground(main_)) return;
        PollUntil([&] { return (focus_ = FocusOf(main_)) != nullptr; }, 10s);
        if (!focus_) return;
        SendMessageW(focus_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(focus_, EM_SETSEL, 0, -1);
    }
    HWND Main() const { return main_; }
    HWND Focus() const { return focus_; }
    bool Ready() const { return main_ && focus_ && GetForegroundWindow() == main_; }

private:
    ChildProcess process_;
    HWND main_ = nullptr;
    HWND focus_ = nullptr;
};

const std::u16string kSelection = u"银行行长了解情况。中文 and Latin, 第二行";

struct Figures {
    int successes = 0, trials = 0;
    double totalMs = 0;
};

// One capture by `method` with a seeded clipboard: the text is the selection and
// the clipboard holds the seed again.
Figures Trial(const Application& app, CopyMethod method, int trials) {
    Figures f;
    for (int i = 0; i < trials; ++i) {
        const Seed seed = SeedClipboard();
        AString out;
        const Clock::time_point start = Clock::now();
        const int count = CopyAndRead(out, method, app.Focus(), nullptr);
        f.totalMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        ++f.trials;
        const bool textRight = out.IsWide() && Text(out) == kSelection && count == out.GetLength();
        const bool restored = HoldsSeed(seed);
        EXPECT_TRUE(textRight) << "trial " << i << ": " << out.GetLength() << " bytes";
        EXPECT_TRUE(restored) << "trial " << i;
        if (textRight && restored) ++f.successes;
    }
    return f;
}

void Report(const char* app, const char* method, const Figures& f) {
    std::printf("capture %-8s %-9s %d/%d, %.1f ms per capture\n", app, method, f.successes, f.trials,
                f.trials ? f.totalMs / f.trials : 0.0);
    std::fflush(stdout);
}

void CheckApplication(const wchar_t* exe, const wchar_t* mainClass, const char* name, bool keystrokeIgnored) {
    const Clock::time_point t0 = Clock::now();
    Application app(exe, mainClass, kSelection);
    std::printf("started in %.0f ms\n", std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    ASSERT_TRUE(app.Ready()) << name;
    const int trials = Trials();
    const Figures byMessage = Trial(app, CopyMethod::Message, trials);
    Report(name, "WM_COPY", byMessage);
    const int fallbacks = CopyMessageFallbacks;
    const Figures byKeystroke = Trial(app, CopyMethod::Keystroke, trials);
    Report(name, "keystroke", byKeystroke);
    std::printf("capture %-8s keystroke answered by WM_COPY after it: %d of %d\n", name,
                CopyMessageFallbacks - fallbacks, trials);
    EXPECT_EQ(CopyMessageFallbacks - fallbacks, keystrokeIgnored ? trials : 0);
    EXPECT_EQ(GetForegroundWindow(), app.Main());

    // The method of its own classes, through the whole capture.
    const Seed seed = SeedClipboard();
    AString out;
    EXPECT_EQ(CaptureSelection(app.Focus(), app.Main(), out), 1);
    EXPECT_EQ(Text(out), kSelection);
    EXPECT_TRUE(HoldsSeed(seed));

    // An empty clipboard before: the copied selection stays.
    SetClipboard({});
    EXPECT_EQ(CaptureSelection(app.Focus(), app.Main(), out), 1);
    EXPECT_EQ(Text(out), kSelection);
    const std::vector<Format> left = ClipboardData({CF_UNICODETEXT});
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].bytes.substr(0, kSelection.size() * 2 + 2), Units(kSelection));
}

TEST(CaptureApplication, NotepadByMessageAndByKeystroke) {
    CheckApplication(L"notepad.exe", L"Notepad", "notepad", false);
}

// Wine's rich edit ignores Ctrl+Insert: the keystroke falls back to WM_COPY.
TEST(CaptureApplication, WordpadByMessageAndByKeystroke) {
    wchar_t exe[MAX_PATH];
    ExpandEnvironmentStringsW(L"\"%ProgramFiles%\\Windows NT\\Accessories\\wordpad.exe\"", exe, MAX_PATH);
    CheckApplication(exe, L"WORDPADTOP", "wordpad", true);
}

// ---- the helper application ----

TEST(CaptureHelper, TheChosenMethodReachesTheFocusWindow) {
    struct Case {
        const wchar_t* args;
        int result;
        std::u16string text;
    };
    const Case cases[] = {
        {L"ZhPlainFrame Edit report", 1, u"WM_COPY"},
        {L"OMainHelper Edit report", 1, u"keystroke AA 1"},  // scan code 0xAA, extended Insert
        {L"ZhPlainFrame Button report", 0, u""},
        {L"ZhPlainFrame RichEdit20W messageonly", 1, u"WM_COPY"},  // the keystroke left nothing
        {L"ZhPlainFrame RichEdit20W none", 1, u""},
        // A formatting bar holds the focus; Shift moves it to the text.
        {L"ZhPlainFrame ZhSmartMenuToolbarBar report --then ZhText", 1, u"keystroke AA 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.args, c.args + wcslen(c.args)));
        const Seed seed = SeedClipboard();
        Helper helper(c.args);
        ASSERT_TRUE(helper.focus);
        TargetFocus = TargetActive = nullptr;
        AString out;
        EXPECT_EQ(CaptureSelection(helper.focus, helper.main, out), c.result);
        EXPECT_EQ(Text(out), c.text);
        EXPECT_TRUE(HoldsSeed(seed));
        if (std::wcsstr(c.args, L"SmartMenuToolbar")) {
            wchar_t cls[64] = L"";
            GetClassNameW(TargetFocus, cls, 64);
            EXPECT_STREQ(cls, L"ZhText");
            EXPECT_EQ(TargetActive, helper.main);
        }
    }
    AString out = AString(u"old", 3);
    EXPECT_EQ(CaptureSelection(nullptr, nullptr, out), 0);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(CaptureHelper, NothingIsCopiedWhenTheToolbarOrThisThreadIsInFront) {
    const Seed seed = SeedClipboard();
    Helper helper(L"ZhPlainFrame Edit report");
    ASSERT_TRUE(helper.focus);
    AString out;
    EXPECT_EQ(CopyAndRead(out, CopyMethod::Message, helper.focus, helper.main), 0);
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_TRUE(HoldsSeed(seed));

    // A window of this thread: its input cannot be attached.
    ChoiceWindows windows;
    HWND own = windows.Make(L"ZhOwnFrame", nullptr);
    ShowWindow(own, SW_SHOW);
    ASSERT_TRUE(MakeForeground(own));
    EXPECT_EQ(CopyAndRead(out, CopyMethod::Message, helper.focus, nullptr), 0);
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_TRUE(HoldsSeed(seed));
}

// Foreign clipboard content and foreign behaviour: bounded, and the user's
// clipboard comes back.
TEST(CaptureHelper, BadCopiesEndWithTheClipboardRestored) {
    struct Case {
        const wchar_t* args;
        std::u16string text;
        int maxMs;
        bool mayLoseLastUnit = false;
    };
    const std::u16string big(5 * 1024 * 1024 / 2 - 1, u'文');
    const Case cases[] = {
        {L"ZhPlainFrame Edit none", u"", 1000},
        // Wine terminates the block in place, over its last unit.
        {L"ZhPlainFrame Edit unterminated 1000", std::u16string(1000, u'中'), 1000, true},
        {L"ZhPlainFrame Edit surrogate", std::u16string{u'a', char16_t(0xD800), u'b'}, 1000},
        {L"ZhPlainFrame Edit big 5242880", big, 5000},
        {L"ZhPlainFrame Edit big5", u"中文", 1000},
        {L"ZhPlainFrame Edit holdcopy 600", u"", 2000},   // holds the clipboard over the read
        {L"ZhPlainFrame Edit holdstart 800", u"", 2000},  // holds it over the save: nothing is copied
        {L"ZhPlainFrame Edit hang 4000", u"", 2600},      // the copy message gives up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.args, c.args + wcslen(c.args)));
        const Seed seed = SeedClipboard();
        Helper helper(c.args);
        ASSERT_TRUE(helper.focus);
        AString out;
        const Clock::time_point start = Clock::now();
        const int count = CopyAndRead(out, CopyMethod::Message, helper.focus, nullptr);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        EXPECT_LE(ms, c.maxMs);
        const std::u16string text = Text(out);
        const bool right = text == c.text || (c.mayLoseLastUnit && text == c.text.substr(0, c.text.size() - 1));
        EXPECT_TRUE(right) << out.GetLength() << " bytes";
        EXPECT_EQ(count, out.GetLength());
        EXPECT_EQ(SavedClipboardCount(), 0);
        EXPECT_TRUE(HoldsSeed(seed));  // waits while the helper holds the clipboard
    }
}

}  // namespace
