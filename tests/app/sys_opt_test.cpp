// The system preferences, the start-up shortcut, the about box and the quick
// guide, reached from the toolbar of the program started in this process (with
// the shipped strings files in its own folder) and used through their windows.
// The user's Startup folder is pointed at a scratch folder for the whole run.
// Pictures go to build/screens/app.
#include "app/sys_opt.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/about_dlg.h"
#include "app/environment.h"
#include "app/mdi_app.h"
#include "app/quick_guide.h"
#include "app/settings.h"
#include "app/shortcut.h"
#include "app/toolbar.h"
#include "res/resource_ids.h"
#include "tests/app/program_harness.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "text/gbk.h"
#include "ui/buttons.h"
#include "ui/gdi.h"
#include "ui/msg_box.h"
#include "ui/owner_menu.h"
#include "ui/ui_strings.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFoldersResolved[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kGuideTitle[] = "Zhorvan Quick Guide";
constexpr char kScratchPrefix[] = "zh_startup";

// One registry value of HKCU set for the object's life, then put back as it was.
class RegistryValueOverride {
public:
    RegistryValueOverride(const char* key, const char* name, const std::string& value) : key_(key), name_(name) {
        HKEY k = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)) return;
        DWORD size = sizeof old_;
        // A value left by a run that was killed is not put back: without it the
        // shell makes its default again.
        had_ = RegQueryValueExA(k, name, nullptr, &type_, reinterpret_cast<BYTE*>(old_), &size) == ERROR_SUCCESS &&
               !std::strstr(old_, kScratchPrefix);
        oldSize_ = size;
        ok_ = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
        RegCloseKey(k);
    }
    ~RegistryValueOverride() {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key_, 0, KEY_ALL_ACCESS, &k)) return;
        if (had_)
            RegSetValueExA(k, name_, 0, type_, reinterpret_cast<const BYTE*>(old_), oldSize_);
        else
            RegDeleteValueA(k, name_);
        RegCloseKey(k);
    }
    bool Ok() const { return ok_; }

private:
    const char* key_;
    const char* name_;
    bool had_ = false, ok_ = false;
    DWORD type_ = REG_SZ, oldSize_ = 0;
    char old_[1024] = {};
};

// What a saved shell link holds.
struct LinkFacts {
    bool loaded = false;
    std::wstring path, description, folder, icon;
    int iconIndex = -1;
};

LinkFacts ReadLink(const std::string& file) {
    LinkFacts facts;
    const bool com = SUCCEEDED(CoInitialize(nullptr));
    {
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> persist;
        if (SUCCEEDED(
                CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) &&
            SUCCEEDED(persist->Load(std::wstring(file.begin(), file.end()).c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = {};
            facts.loaded = true;
            if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) facts.path = text;
            text[0] = 0;
            if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) facts.description = text;
            text[0] = 0;
            if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) facts.folder = text;
            text[0] = 0;
            if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &facts.iconIndex))) facts.icon = text;
        }
    }
    if (com) CoUninitialize();
    return facts;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

DWORD AppThread() { return GetWindowThreadProcessId(ToolbarWindow, nullptr); }

// The open dialog of the program's thread made from `templateId`.
Dialog* OpenDialog(int templateId) {
    struct Search {
        int id;
        Dialog* found;
    } search{templateId, nullptr};
    EnumThreadWindows(
        AppThread(),
        [](HWND w, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            char cls[16] = {};
            GetClassNameA(w, cls, sizeof cls);
            auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(w, DWLP_USER));
            if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(w) && d && d->TemplateId() == s->id) {
                s->found = d;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Dialog* WaitForDialog(int templateId) {
    Dialog* d = nullptr;
    WaitUntil([&] { return (d = OpenDialog(templateId)) != nullptr; }, 5s);
    if (d) Sleep(300);  // decorated and painted
    return d;
}

bool Gone(HWND w) {
    return WaitUntil([w] { return !IsWindow(w); }, 5s);
}

// A visible top-level window of this process with the title, or null.
HWND WindowTitled(const char* title) {
    for (HWND w : VisibleWindowsOf(GetCurrentProcessId())) {
        char text[128] = {};
        GetWindowTextA(w, text, sizeof text);
        if (std::strcmp(text, title) == 0) return w;
    }
    return nullptr;
}

void UseLanguage(int language) {
    OnApp([language] {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        ChooseUiStringFile();
        MainFrame->Menus().ReloadMenus();
        UpdateLoopCheck();
    });
}

std::string AppModuleFolder() {
    std::string folder;
    OnApp([&] { folder = ModuleFolder; });
    return folder;
}

// The language indexes of the preferences' list, in order, and the selected one.
std::vector<int> LanguageItems(HWND box, int* selected) {
    std::vector<int> items;
    const int n = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; i++) items.push_back(static_cast<int>(SendMessageW(box, CB_GETITEMDATA, i, 0)));
    const int at = static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0));
    *selected = at >= 0 && at < n ? items[at] : -1;
    return items;
}

void SelectLanguage(HWND box, int language) {
    const int n = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; i++)
        if (SendMessageW(box, CB_GETITEMDATA, i, 0) == language) SendMessageW(box, CB_SETCURSEL, i, 0);
}

std::wstring MenuLabel(UINT id) {
    std::wstring label;
    OnApp([&] {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        if (GetMenuItemInfoW(MainFrame->Menus().Popup(IDM_POPUP_OPTIONS), id, FALSE, &info) && info.dwItemData)
            label = MenuItemLabel(*reinterpret_cast<const MenuItemRecord*>(info.dwItemData), false);
    });
    return label;
}

void PressEscape() {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
}

// Opens the toolbar's menu with a right click, saves its picture and closes
// it; the width of the menu's window, 0 when it did not open.
int MenuWidth(const std::string& picture) {
    Click(ToolbarPoint(30, 8), kRightDown, kRightUp);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }, 3s);
    if (!menu) return 0;
    Sleep(200);
    SaveScreenshot(menu, picture);
    RECT r{};
    GetWindowRect(menu, &r);
    PressEscape();
    WaitUntil([] { return !IsWindowVisible(FindWindowA("#32768", nullptr)); }, 2s);
    Sleep(700);  // past the guard against the click that closes a menu
    return r.right - r.left;
}

// Pixels of blue ink (blue well above red and green, as anti-aliased blue text
// leaves them) inside the control's rectangle in a picture of its dialog.
int BluePixels(HWND dialog, int id) {
    auto shot = CaptureWindow(dialog);
    RECT dialogRect{}, r{};
    if (!shot || !GetWindowRect(dialog, &dialogRect) || !GetWindowRect(GetDlgItem(dialog, id), &r)) return -1;
    int n = 0;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++) {
            const std::uint32_t p = shot->Pixel(x - dialogRect.left, y - dialogRect.top);
            const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
            if (blue >= 160 && red + 80 <= blue && green + 80 <= blue) n++;
        }
    return n;
}

POINT CentreOf(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

const char* LanguageName(int language) {
    static const char* const names[] = {"en", "zh", "b5", "de"};
    return names[language];
}

std::atomic<int> LaunchCount{0};
AString LastLaunch;
void RecordLaunch(const AString& target) {
    LastLaunch = target;
    LaunchCount++;
}

class SysOpt : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startup_ = new ScratchFolder(kScratchPrefix);
        startupFolder_ = new RegistryValueOverride(kShellFolders, "Startup", startup_->Path());
        program_.Start({.toolbar = {600, 400}, .eventDelayMs = 120, .settings = {}, .ownStrings = true});
    }
    static void TearDownTestSuite() {
        program_.Stop();
        delete startupFolder_;
        // Wine keeps the resolved folder here; the next run resolves it anew.
        HKEY k = nullptr;
        if (!RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersResolved, 0, KEY_ALL_ACCESS, &k)) {
            RegDeleteValueA(k, "Startup");
            RegCloseKey(k);
        }
        delete startup_;
    }
    void TearDown() override {
        UseLanguage(0);
        Park();
    }
    static std::string ShortcutFile() { return startup_->Path() + "\\Zhorvan.lnk"; }

    static inline Program program_;
    static inline ScratchFolder* startup_ = nullptr;
    static inline RegistryValueOverride* startupFolder_ = nullptr;
};

// ---- Shortcuts ----

TEST(Shortcut, SavesTargetDescriptionIconAndWorkingFolder) {
    ScratchFolder folder("zh_link");
    struct Case {
        const char* target;
        int iconIndex;
        int expectedIcon;
        const wchar_t* expectedFolder;
        bool fullPath;  // a bare name is completed by the shell
    } cases[] = {
        {"C:\\Program Files\\Zhorvan\\Zhorvan.exe", 0, 0, L"C:\\Program Files\\Zhorvan", true},
        {"C:\\Program Files\\Zhorvan\\Zhorvan.exe", 7, 1, L"C:\\Program Files\\Zhorvan", true},
        {"Zhorvan.exe", 0, 0, L"", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string file = folder.File("link" + std::to_string(n++) + ".lnk");
        ASSERT_TRUE(CreateShortcut(c.target, file.c_str(), "Zhorvan", c.iconIndex));
        const LinkFacts link = ReadLink(file);
        ASSERT_TRUE(link.loaded);
        if (c.fullPath) {
            EXPECT_EQ(link.path, Wide(c.target));
        }
        EXPECT_EQ(link.description, L"Zhorvan");
        EXPECT_EQ(link.folder, c.expectedFolder);
        EXPECT_EQ(link.icon, Wide(c.target));
        EXPECT_EQ(link.iconIndex, c.expectedIcon);
    }
    EXPECT_FALSE(CreateShortcut("C:\\x.exe", folder.File("missing\\x.lnk").c_str(), "x", 0));
    EXPECT_FALSE(fs::exists(folder.File("missing")));
}

TEST(Shortcut, TheStartupTargetIsTheExecutableWithoutDotFolders) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string target = StartupTarget();
    EXPECT_EQ(target.find("\\.\\"), std::string::npos);
    EXPECT_TRUE(fs::equivalent(target, module)) << target;
}

// ---- System preferences ----

// English to traditional Chinese, then simplified Chinese, German and back:
// each OK changes the strings file and the menus at once and is saved.
TEST_F(SysOpt, TheChosenLanguageTranslatesTheMenusAtOnceAndIsSaved) {
    struct Step {
        int language;
        const wchar_t* hideLabel;
        const char* topic;
    } steps[] = {
        {2, L"隐藏 Zhorvan 工具条", "Tesmarel_Guide_b5.htm"},
        {1, L"隐藏 Zhorvan 工具条", "Tesmarel_Guide.htm"},
        {3, L"Zhorvan-Leiste ausblenden", "Tesmarel_Guide_German.htm"},
        {0, L"Hide Zhorvan Toolbar", "Tesmarel_Guide_en.htm"},
    };
    const int englishWidth = MenuWidth("app/menu_en");
    ASSERT_GT(englishWidth, 0);
    int current = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.language);
        PostMessageA(ToolbarWindow, WM_COMMAND, IDM_SYSTEM_PREFERENCES, 0);
        Dialog* d = WaitForDialog(IDD_SYSTEM_OPTIONS);
        ASSERT_TRUE(d);
        const HWND dialog = d->Hwnd(), box = d->Item(IDC_UI_LANGUAGE);
        int selected = -1;
        EXPECT_EQ(LanguageItems(box, &selected), (std::vector<int>{0, 3, 1, 2}));
        EXPECT_EQ(selected, current);
        SaveScreenshot(dialog, std::string("app/sys_opt_") + LanguageName(current));
        SelectLanguage(box, s.language);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(Gone(dialog));
        current = s.language;

        EXPECT_EQ(AppSettings.UILanguage.load(), s.language);
        AString stringsFile, expectedFile, topic;
        int saved = -1;
        OnApp([&] {
            stringsFile = UiStringFile;
            expectedFile = UiStringFileName(s.language);
            saved = ReadSettingInt("Config", "UILanguage", -1);
            topic = QuickGuideTopic();
        });
        EXPECT_STREQ(stringsFile.GetString(), expectedFile.GetString());
        EXPECT_EQ(saved, s.language);
        EXPECT_EQ(MenuLabel(IDM_HIDE_TOOLBAR), s.hideLabel);
        const std::string t = topic.GetString();
        EXPECT_EQ(t.substr(t.size() - std::strlen(s.topic)), s.topic) << t;
        // The system measures a menu once: the new width shows that it was rebuilt.
        const int width = MenuWidth(std::string("app/menu_") + LanguageName(s.language));
        if (s.language == 0)
            EXPECT_EQ(width, englishWidth);
        else
            EXPECT_NE(width, englishWidth);
    }
}

TEST_F(SysOpt, StartUpAtBootCreatesTheShortcutAndClearingItDeletesIt) {
    ASSERT_TRUE(startupFolder_->Ok());
    std::string startup;
    OnApp([&] { startup = SpecialFolderPath(CSIDL_STARTUP); });
    ASSERT_TRUE(fs::equivalent(startup, startup_->Path())) << startup;
    ASSERT_FALSE(fs::exists(ShortcutFile()));
    for (int on : {1, 0}) {
        SCOPED_TRACE(on);
        PostMessageA(ToolbarWindow, WM_COMMAND, IDM_SYSTEM_PREFERENCES, 0);
        Dialog* d = WaitForDialog(IDD_SYSTEM_OPTIONS);
        ASSERT_TRUE(d);
        const HWND dialog = d->Hwnd(), check = d->Item(IDC_STARTUP_AT_BOOT);
        EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), on ? BST_UNCHECKED : BST_CHECKED);
        SendMessageW(check, BM_CLICK, 0, 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(Gone(dialog));
        EXPECT_EQ(AppSettings.StartupAtBoot.load(), on);
        int saved = -1;
        OnApp([&] { saved = ReadSettingInt("Config", "StartupAtBoot", -1); });
        EXPECT_EQ(saved, on);
        EXPECT_EQ(fs::exists(ShortcutFile()), on == 1);
        if (on) {
            const LinkFacts link = ReadLink(ShortcutFile());
            ASSERT_TRUE(link.loaded);
            EXPECT_EQ(link.path, Wide(StartupTarget()));
            EXPECT_EQ(link.description, L"Zhorvan");
            EXPECT_EQ(link.folder, Wide(fs::path(StartupTarget()).parent_path().string()));
            EXPECT_EQ(link.iconIndex, 0);
        }
    }
}

TEST_F(SysOpt, CancelChangesNothing) {
    PostMessageA(ToolbarWindow, WM_COMMAND, IDM_SYSTEM_PREFERENCES, 0);
    Dialog* d = WaitForDialog(IDD_SYSTEM_OPTIONS);
    ASSERT_TRUE(d);
    const HWND dialog = d->Hwnd();
    SendMessageW(d->Item(IDC_STARTUP_AT_BOOT), BM_CLICK, 0, 0);
    SelectLanguage(d->Item(IDC_UI_LANGUAGE), 1);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Gone(dialog));
    EXPECT_EQ(AppSettings.UILanguage.load(), 0);
    EXPECT_EQ(AppSettings.StartupAtBoot.load(), 0);
    EXPECT_FALSE(fs::exists(ShortcutFile()));
    EXPECT_EQ(MenuLabel(IDM_HIDE_TOOLBAR), L"Hide Zhorvan Toolbar");
}

TEST_F(SysOpt, GermanIsOfferedOnlyWhenItsStringsFileExists) {
    const fs::path german = fs::path(AppModuleFolder()) / "TesmarelUI_German.ini";
    const fs::path aside = german.string() + ".aside";
    fs::rename(german, aside);
    PostMessageA(ToolbarWindow, WM_COMMAND, IDM_SYSTEM_PREFERENCES, 0);
    Dialog* d = WaitForDialog(IDD_SYSTEM_OPTIONS);
    if (d) {
        int selected = -1;
        EXPECT_EQ(LanguageItems(d->Item(IDC_UI_LANGUAGE), &selected), (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(selected, 0);
        const HWND dialog = d->Hwnd();
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(Gone(dialog));
    }
    fs::rename(aside, german);
    ASSERT_TRUE(d);
}

// ---- About box ----

TEST_F(SysOpt, AboutBoxShowsTheBlueVersionTheYearTheLinksAndTheCredits) {
    const HotlinkLaunch previous = SetHotlinkLaunch(RecordLaunch);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    for (int language : {0, 1}) {
        SCOPED_TRACE(language);
        UseLanguage(language);
        PostMessageA(ToolbarWindow, WM_COMMAND, IDM_ABOUT, 0);
        auto* about = dynamic_cast<CAboutDlg*>(WaitForDialog(IDD_ABOUT));
        ASSERT_TRUE(about);
        const HWND dialog = about->Hwnd();
        SaveScreenshot(dialog, std::string("app/about_") + LanguageName(language));
        EXPECT_TRUE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_TRUE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
        EXPECT_GT(BluePixels(dialog, IDC_VERSION), 20);
        EXPECT_EQ(BluePixels(dialog, IDC_YEAR_LINE), 0);  // black text beside it
        const std::string year = std::to_string(now.wYear);
        const std::string line = WindowTextGbk(about->Item(IDC_YEAR_LINE)).GetString();
        EXPECT_NE(line.find(year), std::string::npos) << line;
        EXPECT_EQ(line.find("Copyright") != std::string::npos, language == 0) << line;
        // Each link has one owner, the link object, and opens its own page.
        struct Link {
            int id;
            CStaticHotlink* object;
            const char* url;
        } links[] = {{IDC_LINK_HOME, &about->HomeLink, kHomePageUrl},
                     {IDC_LINK_CONTACT, &about->ContactLink, kContactUrl}};
        for (const Link& l : links) {
            const HWND link = about->Item(l.id);
            EXPECT_EQ(about->ChildOf(link), l.object);
            EXPECT_EQ(about->ButtonOf(link), nullptr);
            EXPECT_GT(BluePixels(dialog, l.id), 10);
            const int before = LaunchCount;
            Click(CentreOf(link));
            EXPECT_TRUE(WaitUntil([&] { return LaunchCount > before; }, 3s));
            EXPECT_STREQ(LastLaunch.GetString(), l.url);
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CREDITS, BN_CLICKED),
                     reinterpret_cast<LPARAM>(about->Item(IDC_CREDITS)));
        auto* credits = dynamic_cast<CMsgBox*>(WaitForDialog(IDD_MESSAGE));
        ASSERT_TRUE(credits);
        const HWND box = credits->Hwnd();
        EXPECT_STREQ(credits->Text.GetString(),
                     "This program accesses the freely available open source dictionary file CEDICT,\n"
                     "which we provide here without any cost to end user.\n"
                     "These files may be freely used by individuals, and may be accessed by software\n"
                     "belonging to, or operated by, such individuals.\n"
                     "We thank all the dictionary's contributors (We are one of them) for their work\n"
                     "which enables the easier learning of Chinese language.");
        EXPECT_EQ(credits->LineCount, 6);
        EXPECT_STREQ(credits->CaptionKey.GetString(), "Credits");
        if (language == 0) {
            EXPECT_EQ(WindowTextUtf16(box), u"Credits");
        }
        SaveScreenshot(box, std::string("app/credits_") + LanguageName(language));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(Gone(box));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(Gone(dialog));
    }
    SetHotlinkLaunch(previous);
}

// ---- Quick guide ----

TEST_F(SysOpt, QuickGuideOpensTheViewerOnTheTopicOfEachLanguage) {
    const std::string folder = AppModuleFolder();
    const fs::path guide = fs::path(folder) / kQuickGuideFile;
    fs::copy_file(ZH_GUIDE_CHM, guide, fs::copy_options::overwrite_existing);
    struct Case {
        int language;
        const char* topic;
    } cases[] = {{0, "Tesmarel_Guide_en.htm"},
                 {1, "Tesmarel_Guide.htm"},
                 {2, "Tesmarel_Guide_b5.htm"},
                 {3, "Tesmarel_Guide_German.htm"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        UseLanguage(c.language);
        AString topic;
        OnApp([&] { topic = QuickGuideTopic(); });
        EXPECT_EQ(std::string(topic.GetString()), folder + "ZhorvanGuide.chm::/" + c.topic);
        PostMessageA(ToolbarWindow, WM_COMMAND, IDM_QUICK_GUIDE, 0);
        HWND viewer = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (viewer = WindowTitled(kGuideTitle)) != nullptr; }, 10s));
        DWORD thread = GetWindowThreadProcessId(viewer, nullptr);
        EXPECT_EQ(thread, AppThread());
        EXPECT_EQ(GetWindow(viewer, GW_OWNER), nullptr);
        if (c.language == 0) {
            Sleep(300);
            SaveScreenshot(viewer, "app/quick_guide_viewer");
        }
        PostMessageW(viewer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(Gone(viewer));
    }
    // Without the help file no viewer opens, and the program goes on.
    fs::remove(guide);
    UseLanguage(0);
    PostMessageA(ToolbarWindow, WM_COMMAND, IDM_QUICK_GUIDE, 0);
    Sleep(1500);
    EXPECT_EQ(WindowTitled(kGuideTitle), nullptr);
    DWORD_PTR r;
    EXPECT_TRUE(SendMessageTimeoutA(ToolbarWindow, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &r));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
