#include "app/settings.h"

#include <gtest/gtest.h>
#include <string>

#include "app/environment.h"
#include "tests/app/file_helpers.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/string_bytes.h"

namespace {

const char kChineseVoice[] = "\xCE\xA2\xC8\xED\xBB\xDB\xBB\xDB";  // GBK
const RECT kScreen{0, 0, 1280, 1024};

// Values no key defaults to, so that a read that leaves a field alone shows.
void Scramble() {
    AppSettings.UILanguage = 77;
    for (std::atomic<int>* f : {&AppSettings.StartupAtBoot, &AppSettings.NoStopAtUsageDlgOnStart, &AppSettings.LayVert,
                                &AppSettings.SoundPlayLoop, &AppSettings.SoundPlayReadType, &AppSettings.SoundPlaySpeed,
                                &AppSettings.SoundPlayVol, &AppSettings.SoundPaySyncWord_Dialog, &AppSettings.matchCase,
                                &AppSettings.ShowPinyin, &AppSettings.AutoSpeak, &AppSettings.Left, &AppSettings.Top})
        *f = 12345;
    AppSettings.SoundVoiceEng = "stale";
    AppSettings.SoundVoiceChn = "stale";
}

void ReadAll(int defaultUiLanguage, const RECT& screen = kScreen) {
    ReadStartupSettings(defaultUiLanguage);
    ReadStartupFlags();
    ReadReaderSettings();
    ReadToolbarPosition(screen);
}

void ExpectDefaults(int uiLanguage) {
    EXPECT_EQ(AppSettings.UILanguage, uiLanguage);
    EXPECT_EQ(AppSettings.StartupAtBoot, 0);
    EXPECT_EQ(AppSettings.NoStopAtUsageDlgOnStart, 0);
    EXPECT_EQ(AppSettings.LayVert, 0);
    EXPECT_EQ(AppSettings.SoundPlayLoop, 0);
    EXPECT_EQ(AppSettings.SoundPlayReadType, 3);
    EXPECT_EQ(AppSettings.SoundPlaySpeed, -9999);
    EXPECT_EQ(AppSettings.SoundPlayVol, -9999);
    EXPECT_EQ(Bytes(AppSettings.SoundVoiceEng), "");
    EXPECT_EQ(Bytes(AppSettings.SoundVoiceChn), "");
    EXPECT_EQ(AppSettings.SoundPaySyncWord_Dialog, 1);
    EXPECT_EQ(AppSettings.matchCase, 0);
    EXPECT_EQ(AppSettings.ShowPinyin, 0);
    EXPECT_EQ(AppSettings.AutoSpeak, 0);
    EXPECT_EQ(AppSettings.Left, 10);
    EXPECT_EQ(AppSettings.Top, 974);
}

// A program folder "bin" and a common application data folder "data", both
// in a fresh temp folder.
class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA(t_.File("bin").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(t_.File("data").c_str(), nullptr));
        LocateFoldersFrom(t_.File("bin\\Zhorvan.exe").c_str(), t_.File("data").c_str());
        ASSERT_EQ(settings_, SettingsFile);
        Scramble();
    }
    void TearDown() override { LocateFoldersFrom(nullptr, nullptr); }

    std::string SettingsText() const { return Lf(ReadWholeFile(settings_)); }
    void WriteInstallerFile(const std::string& text) const {
        ASSERT_TRUE(WriteWholeFile(t_.File("bin\\TesmarelUI.ini"), text));
    }

    ScratchFolder t_;
    std::string settings_ = t_.File("data\\Zhorvan\\Zhorvan.INI");
};

TEST_F(SettingsFileTest, FirstStartTakesTheInstallersLanguage) {
    WriteInstallerFile("; installer\r\n[Config]\r\nUILanguage=2\r\n");
    ASSERT_TRUE(CreateSettingsFileIfMissing());
    EXPECT_EQ(SettingsText(), ";Init file for Zhorvan\n\n[Config]\nUILanguage=2\n\n");
    ReadStartupSettings(0);
    EXPECT_EQ(AppSettings.UILanguage, 2);

    // The installer's file counts only when the settings file is created.
    WriteInstallerFile("[Config]\r\nUILanguage=3\r\n");
    ASSERT_TRUE(CreateSettingsFileIfMissing());
    EXPECT_EQ(SettingsText(), ";Init file for Zhorvan\n\n[Config]\nUILanguage=2\n\n");
}

TEST_F(SettingsFileTest, FirstStartWithoutInstallerLanguageUsesTheDetectedOne) {
    struct Case {
        const char* what;
        const char* installer;  // null: no file
    } cases[] = {
        {"no installer file", nullptr},
        {"no UILanguage key", "[Config]\r\nOther=2\r\n"},
        {"empty UILanguage", "[Config]\r\nUILanguage=\r\n"},
        {"UILanguage in another section", "[Setup]\r\nUILanguage=2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(settings_.c_str());
        DeleteFileA(t_.File("bin\\TesmarelUI.ini").c_str());
        if (c.installer) WriteInstallerFile(c.installer);
        ASSERT_TRUE(CreateSettingsFileIfMissing());
        EXPECT_EQ(SettingsText(), ";Init file for Zhorvan\n");
        ReadStartupSettings(UiGerman);
        EXPECT_EQ(AppSettings.UILanguage, UiGerman);
        int detected = DetectSystemLanguage();
        ReadStartupSettings(detected);
        EXPECT_EQ(AppSettings.UILanguage, detected);
    }
}

TEST_F(SettingsFileTest, AbsentKeysReadTheirDefaults) {
    ASSERT_TRUE(CreateSettingsFileIfMissing());
    ReadAll(UiSimplified);
    ExpectDefaults(UiSimplified);

    // The toolbar position defaults follow the screen rectangle.
    ReadToolbarPosition(RECT{-1280, 100, 0, 900});
    EXPECT_EQ(AppSettings.Left, -1270);
    EXPECT_EQ(AppSettings.Top, 850);
}

TEST_F(SettingsFileTest, SaveWritesEveryKeyInItsOrder) {
    ASSERT_TRUE(CreateSettingsFileIfMissing());
    ReadAll(UiEnglish);
    ASSERT_TRUE(SaveSettings());  // nothing changed
    std::string text = SettingsText();
    const char* order[] = {
        "UILanguage=0",     "StartupAtBoot=0",     "NoStopAtUsageDlgOnStart=0", "LayVert=0",
        "SoundPlayLoop=0",  "SoundPlayReadType=3", "SoundPlaySpeed=-9999",      "SoundPlayVol=-9999",
        "SoundVoiceEng=\n", "SoundVoiceChn=\n",    "SoundPaySyncWord_Dialog=1", "matchCase=0\n",
    };
    size_t config = text.find("\n[Config]\n");
    ASSERT_NE(config, std::string::npos) << text;
    EXPECT_EQ(text.find("[Config]", config + 2), std::string::npos) << text;
    size_t at = config;
    for (const char* line : order) {
        size_t found = text.find("\n" + std::string(line), at);
        ASSERT_NE(found, std::string::npos) << line << " after " << at << " in\n" << text;
        at = found + 1;
    }
    EXPECT_EQ(text.find("ShowPinyin"), std::string::npos);
    EXPECT_EQ(text.find("AutoSpeak"), std::string::npos);
    EXPECT_EQ(text.find("TOPFRAME"), std::string::npos);
    EXPECT_EQ(text.rfind(";Init file for Zhorvan\n", 0), 0u);
}

TEST_F(SettingsFileTest, EveryFieldSurvivesSaveAndRead) {
    WriteInstallerFile("[Config]\r\nUILanguage=1\r\n");
    ASSERT_TRUE(CreateSettingsFileIfMissing());
    AppSettings.UILanguage = 2;
    AppSettings.StartupAtBoot = 1;
    AppSettings.NoStopAtUsageDlgOnStart = 1;
    AppSettings.LayVert = 1;
    AppSettings.SoundPlayLoop = 1;
    AppSettings.SoundPlayReadType = 5;
    AppSettings.SoundPlaySpeed = -3;
    AppSettings.SoundPlayVol = 77;
    AppSettings.SoundVoiceEng = "Microsoft Zira Desktop - English (United States)";
    AppSettings.SoundVoiceChn = kChineseVoice;
    AppSettings.SoundPaySyncWord_Dialog = 0;
    AppSettings.matchCase = 1;
    ASSERT_TRUE(SaveSettings());
    ASSERT_TRUE(WriteSettingInt("Config", "ShowPinyin", 1));
    ASSERT_TRUE(WriteSettingInt("Config", "AutoSpeak", 1));
    ASSERT_TRUE(WriteToolbarPosition(-5, 3000));

    Scramble();
    ReadAll(UiEnglish);
    EXPECT_EQ(AppSettings.UILanguage, 2);
    EXPECT_EQ(AppSettings.StartupAtBoot, 1);
    EXPECT_EQ(AppSettings.NoStopAtUsageDlgOnStart, 1);
    EXPECT_EQ(AppSettings.LayVert, 1);
    EXPECT_EQ(AppSettings.SoundPlayLoop, 1);
    EXPECT_EQ(AppSettings.SoundPlayReadType, 5);
    EXPECT_EQ(AppSettings.SoundPlaySpeed, -3);
    EXPECT_EQ(AppSettings.SoundPlayVol, 77);
    EXPECT_EQ(Bytes(AppSettings.SoundVoiceEng), "Microsoft Zira Desktop - English (United States)");
    EXPECT_EQ(Bytes(AppSettings.SoundVoiceChn), kChineseVoice);
    EXPECT_EQ(AppSettings.SoundPaySyncWord_Dialog, 0);
    EXPECT_EQ(AppSettings.matchCase, 1);
    EXPECT_EQ(AppSettings.ShowPinyin, 1);
    EXPECT_EQ(AppSettings.AutoSpeak, 1);
    EXPECT_EQ(AppSettings.Left, -5);
    EXPECT_EQ(AppSettings.Top, 3000);

    // The GBK bytes are stored as they are, and the installer's section was
    // updated in place.
    std::string text = SettingsText();
    EXPECT_NE(text.find(std::string("\nSoundVoiceChn=") + kChineseVoice + "\n"), std::string::npos);
    EXPECT_EQ(text.find("UILanguage=1"), std::string::npos);
    EXPECT_NE(text.find("\n[TOPFRAME]\nLeft=-5\nTop=3000\n"), std::string::npos) << text;
}

TEST_F(SettingsFileTest, LongStringsAreCutAt511Bytes) {
    const std::string ascii(600, 'a');
    std::string gbk;
    for (int i = 0; i < 300; i++) gbk += "\xD6\xD0";
    ASSERT_TRUE(WriteWholeFile(settings_, "[Config]\r\nSoundVoiceEng=" + ascii + "\r\nSoundVoiceChn=" + gbk + "\r\n"));
    ReadStartupSettings(UiEnglish);
    EXPECT_EQ(Bytes(AppSettings.SoundVoiceEng), ascii.substr(0, 511));

    // Never half a character: 255 whole ones.
    EXPECT_EQ(Bytes(AppSettings.SoundVoiceChn), gbk.substr(0, 510));

    EXPECT_EQ(Bytes(ReadSettingString("Config", "Missing", ascii.c_str())), ascii.substr(0, 511));
}

TEST_F(SettingsFileTest, GarbageFileReadsDefaultsAndTakesWrites) {
    std::string binary;
    for (int i = 0; i < 4096; i++) binary += char(i * 37 % 256);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"binary bytes", binary},
        {"keys without a section", "UILanguage=2\r\nSoundPlayVol=5\r\nLayVert=1\r\n"},
        {"overlong lines", std::string(70000, 'x') + "\r\n[" + std::string(70000, 'C') + "]\r\nUILanguage=2\r\n" +
                               std::string(70000, '=') + "\r\n"},
        {"no line ends", "[Config] UILanguage=2 LayVert=1 SoundPlayVol=5"},
        {"UTF-16 mark, odd length", std::string("\xFF\xFE[\0C\0o\0", 8) + binary.substr(0, 101)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteWholeFile(settings_, c.bytes));
        ASSERT_TRUE(CreateSettingsFileIfMissing());
        ASSERT_EQ(ReadWholeFile(settings_), c.bytes);  // left alone
        Scramble();
        ReadAll(UiTraditional);
        ExpectDefaults(UiTraditional);

        AppSettings.SoundPlayVol = 42;
        AppSettings.SoundVoiceChn = kChineseVoice;
        SaveSettings();
        Scramble();
        ReadStartupSettings(UiEnglish);
        EXPECT_EQ(AppSettings.SoundPlayVol, 42);
        EXPECT_EQ(Bytes(AppSettings.SoundVoiceChn), kChineseVoice);
    }
}

// Reads give the defaults and every write fails without a trace.
void ExpectUnusableSettingsFile() {
    Scramble();
    ReadAll(UiGerman);
    ExpectDefaults(UiGerman);
    EXPECT_FALSE(SaveSettings());
    EXPECT_FALSE(WriteSettingInt("Config", "ShowPinyin", 1));
    EXPECT_FALSE(WriteSettingString("Config", "SoundVoiceEng", "x"));
    EXPECT_FALSE(WriteToolbarPosition(1, 2));
    EXPECT_EQ(ReadSettingInt("Config", "ShowPinyin", 7), 7);
    EXPECT_EQ(Bytes(ReadSettingString("Config", "SoundVoiceEng", "dflt")), "dflt");
}

TEST_F(SettingsFileTest, MissingSettingsFolder) {
    RemoveTree(t_.File("data\\Zhorvan"));
    ASSERT_FALSE(IsFolderPath(t_.File("data\\Zhorvan")));
    EXPECT_FALSE(CreateSettingsFileIfMissing());
    ExpectUnusableSettingsFile();
    EXPECT_FALSE(FileExists(t_.File("data\\Zhorvan")));
}

TEST_F(SettingsFileTest, SettingsFileLockedByAnotherProgram) {
    const std::string stored = "[Config]\r\nUILanguage=2\r\nSoundPlayVol=5\r\n";
    ASSERT_TRUE(WriteWholeFile(settings_, stored));
    HANDLE lock =
        CreateFileA(settings_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ExpectUnusableSettingsFile();
    CloseHandle(lock);
    EXPECT_EQ(ReadWholeFile(settings_), stored);
}

TEST_F(SettingsFileTest, NoSettingsPathAtAll) {
    std::string deep = "C:\\" + std::string(300, 'x') + "\\Zhorvan.exe";
    LocateFoldersFrom(deep.c_str(), nullptr);
    ASSERT_EQ(SettingsFile[0], 0);
    EXPECT_FALSE(CreateSettingsFileIfMissing());
    ExpectUnusableSettingsFile();
}

}  // namespace
