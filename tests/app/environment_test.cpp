#include "app/environment.h"

#include <gtest/gtest.h>
#include <string>

#include "tests/app/file_helpers.h"
#include "tests/support/scratch_folder.h"

namespace {

std::string Str(const char* s) { return s; }

TEST(LocateFolders, SettingsFolderIsCreatedUnderAppData) {
    ScratchFolder t;
    ASSERT_TRUE(CreateDirectoryA(t.File("data").c_str(), nullptr));
    for (std::string appData : {t.File("data"), t.File("data\\")}) {
        SCOPED_TRACE(appData);
        LocateFoldersFrom(t.File("bin\\Zhorvan.exe").c_str(), appData.c_str());
        EXPECT_EQ(Str(ModuleFolder), t.File("bin\\"));
        EXPECT_EQ(Str(SettingsFolder), t.File("data\\Zhorvan\\"));
        EXPECT_TRUE(IsFolderPath(t.File("data\\Zhorvan")));
        EXPECT_EQ(Str(SettingsFile), t.File("data\\Zhorvan\\Zhorvan.INI"));
        EXPECT_EQ(Str(UiBootstrapFile), t.File("bin\\TesmarelUI.ini"));
    }
}

TEST(LocateFolders, UnusableAppDataFallsBackToModuleFolder) {
    ScratchFolder t;
    ASSERT_TRUE(WriteWholeFile(t.File("plainfile"), "x"));
    // A folder of 240 bytes exists, but "<it>\Zhorvan\Zhorvan.INI" exceeds MAX_PATH.
    const std::string overlong = t.File(std::string(240 - t.Path().size() - 1, 'd'));
    ASSERT_TRUE(CreateDirectoryA(overlong.c_str(), nullptr));
    struct Case {
        const char* what;
        std::string appData;
        bool null;
    } cases[] = {
        {"no shell folder", "", true},
        {"empty shell folder", "", false},
        {"parent missing", t.File("missing\\deeper"), false},
        {"a file, not a folder", t.File("plainfile"), false},
        {"settings file would not fit", overlong, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LocateFoldersFrom(t.File("bin\\Zhorvan.exe").c_str(), c.null ? nullptr : c.appData.c_str());
        EXPECT_EQ(Str(ModuleFolder), t.File("bin\\"));
        EXPECT_EQ(Str(SettingsFolder), t.File("bin\\"));
        EXPECT_EQ(Str(SettingsFile), t.File("bin\\Zhorvan.INI"));
    }
    EXPECT_FALSE(IsFolderPath(t.File("missing")));
}

TEST(LocateFolders, ModuleNameIsCutAtItsLastRealBackslash) {
    // In GBK the trail byte of 0xD5 0x5C is a backslash.
    LocateFoldersFrom("C:\\\xD5\x5C\\b\xD5\x5C.exe", nullptr, 936);
    EXPECT_EQ(Str(ModuleFolder), "C:\\\xD5\x5C\\");
    LocateFoldersFrom("C:\\dir\\\xD5\x5C.exe", nullptr, 936);
    EXPECT_EQ(Str(ModuleFolder), "C:\\dir\\");
    EXPECT_EQ(Str(UiBootstrapFile), "C:\\dir\\TesmarelUI.ini");
}

TEST(LocateFolders, OverlongModuleFolderLeavesPathsEmpty) {
    std::string deep = "C:\\" + std::string(300, 'x') + "\\Zhorvan.exe";
    LocateFoldersFrom(deep.c_str(), nullptr);
    EXPECT_EQ(Str(ModuleFolder), "");
    EXPECT_EQ(Str(SettingsFile), "");
    EXPECT_EQ(Str(UiBootstrapFile), "");

    // The folder fits but the installer file name does not.
    std::string almost = "C:\\" + std::string(MAX_PATH - 10, 'x') + "\\Zhorvan.exe";
    LocateFoldersFrom(almost.c_str(), nullptr);
    EXPECT_EQ(Str(ModuleFolder).size(), MAX_PATH - 6);
    EXPECT_EQ(Str(UiBootstrapFile), "");
    EXPECT_EQ(Str(SettingsFile), "");
}

TEST(LocateFolders, RealSystemFolders) {
    LocateFolders();
    char exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
    std::string module = ModuleFolder, name = exe;
    ASSERT_FALSE(module.empty());
    EXPECT_EQ(name.compare(0, module.size(), module), 0);
    EXPECT_EQ(name.find('\\', module.size()), std::string::npos);
    EXPECT_EQ(module.back(), '\\');
    EXPECT_TRUE(IsFolderPath(SettingsFolder));
    EXPECT_EQ(Str(SettingsFile), Str(SettingsFolder) + "Zhorvan.INI");
    std::string settings = SettingsFolder;
    EXPECT_TRUE(settings == module || settings.ends_with("\\Zhorvan\\")) << settings;
}

TEST(OsInfo, FlagsFollowTheVersion) {
    struct Case {
        DWORD platform, major, minor;
        bool nt, nt3, w2k, xp, vista;
        int number;
    } cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false, false, false, false, false, 410},
        {VER_PLATFORM_WIN32_NT, 3, 51, true, true, false, false, false, 351},
        {VER_PLATFORM_WIN32_NT, 4, 0, true, false, false, false, false, 400},
        {VER_PLATFORM_WIN32_NT, 5, 0, true, false, true, false, false, 500},
        {VER_PLATFORM_WIN32_NT, 5, 1, true, false, true, true, false, 501},
        {VER_PLATFORM_WIN32_NT, 6, 0, true, false, true, true, true, 600},
        {VER_PLATFORM_WIN32_NT, 10, 0, true, false, true, true, true, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor);
        OsVersion v = OsVersionFrom(c.platform, c.major, c.minor);
        EXPECT_EQ(v.IsNT, c.nt);
        EXPECT_EQ(v.IsNT3, c.nt3);
        EXPECT_EQ(v.IsWin2000OrLater, c.w2k);
        EXPECT_EQ(v.IsXPOrLater, c.xp);
        EXPECT_EQ(v.IsVistaOrLater, c.vista);
        EXPECT_EQ(v.OsVersionNumber, c.number);
    }
    OsVersion unread;
    EXPECT_EQ(unread.OsVersionNumber, 400);
    EXPECT_FALSE(unread.IsNT);
}

TEST(OsInfo, RunningSystemIsModernNT) {
    const OsVersion& os = OsInfo();
    EXPECT_TRUE(os.IsNT);
    EXPECT_TRUE(os.IsVistaOrLater);
    EXPECT_GE(os.OsVersionNumber, 601);
    EXPECT_EQ(&os, &OsInfo());
}

TEST(SystemLanguage, UiLanguageFromLangId) {
    struct Case {
        LANGID id;
        int lang;
    } cases[] = {
        {0x0804, 1},  // zh-CN
        {0x1004, 1},  // zh-SG
        {0x0404, 2},  // zh-TW
        {0x0C04, 2},  // zh-HK
        {0x1404, 2},  // zh-MO
        {0x0004, 2},  // Chinese, neutral sub-language
        {0x0407, 3},  // de-DE
        {0x0C07, 3},  // de-AT
        {0x0807, 3},  // de-CH
        {0x0409, 0},  // en-US
        {0x0411, 0},  // ja-JP
        {0x0412, 0},  // ko-KR
        {0x040C, 0},  // fr-FR
        {0x0000, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(UiLanguageFromLangId(c.id), c.lang) << std::hex << c.id;
}

TEST(SystemLanguage, DetectedFactsAgreeWithTheSystem) {
    int lang = DetectSystemLanguage();
    EXPECT_EQ(SystemLangId, GetSystemDefaultLangID());
    EXPECT_EQ(IsDbcsSystem, GetSystemMetrics(SM_DBCSENABLED) != 0);
    EXPECT_EQ(IsChineseSystem, IsDbcsSystem && PRIMARYLANGID(SystemLangId) == LANG_CHINESE);
    EXPECT_EQ(lang, UiLanguageFromLangId(SystemLangId));
}

TEST(ScreenRect, TaskbarIsSubtractedOnlyWhenItSpansASide) {
    const RECT work{0, 0, 1280, 1024};
    struct Case {
        const char* what;
        RECT work, bar, want;
    } cases[] = {
        {"bottom", work, {0, 984, 1280, 1024}, {0, 0, 1280, 984}},
        {"top", work, {0, 0, 1280, 40}, {0, 40, 1280, 1024}},
        {"left", work, {0, 0, 60, 1024}, {60, 0, 1280, 1024}},
        {"right", work, {1220, 0, 1280, 1024}, {0, 0, 1220, 1024}},
        {"bottom, overhanging the screen", work, {-2, 984, 1282, 1026}, {0, 0, 1280, 984}},
        {"bottom, corners swapped", work, {1280, 1024, 0, 984}, {0, 0, 1280, 984}},
        {"work area corners swapped", {1280, 1024, 0, 0}, {0, 984, 1280, 1024}, {0, 0, 1280, 984}},
        {"half the bottom edge", work, {0, 984, 600, 1024}, work},
        {"across the middle", work, {0, 500, 1280, 540}, work},
        {"outside the work area", work, {0, 1024, 1280, 1064}, work},
        {"covering everything", work, {0, 0, 1280, 1024}, work},
        {"empty", work, {0, 0, 0, 0}, work},
        {"zero height", work, {0, 1000, 1280, 1000}, work},
    };
    for (const Case& c : cases) {
        RECT r = SubtractTaskbar(c.work, c.bar);
        EXPECT_TRUE(EqualRect(&r, &c.want))
            << c.what << ": got " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(ScreenRect, WorkAreaLiesInsideTheScreen) {
    RECT whole = ScreenRect(true);
    EXPECT_EQ(whole.right - whole.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(whole.bottom - whole.top, GetSystemMetrics(SM_CYSCREEN));
    RECT work = ScreenRect(false);
    EXPECT_FALSE(IsRectEmpty(&work));
    EXPECT_GE(work.left, whole.left);
    EXPECT_GE(work.top, whole.top);
    EXPECT_LE(work.right, whole.right);
    EXPECT_LE(work.bottom, whole.bottom);
}

}  // namespace
