// The running program's strings under Windows: the file chosen from
// UILanguage and ModuleFolder, and the shipped files read through the
// platform's private-profile functions and shown in a window.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "app/environment.h"
#include "app/settings.h"
#include "tests/support/pump_messages.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "text/utf8.h"
#include "ui/ui_strings.h"

namespace fs = std::filesystem;

namespace {

// ModuleFolder pointed at a scratch folder holding the shipped files.
class UiStringsWin : public ::testing::Test {
protected:
    void SetUp() override {
        std::string folder = scratch_.Path() + "\\";
        ASSERT_LT(folder.size(), sizeof ModuleFolder);
        std::strcpy(ModuleFolder, folder.c_str());
        for (const char* name : {"TesmarelUI.ini", "TesmarelUI_German.ini", "TesmarelUI_en.ini"})
            fs::copy_file(fs::path(ZH_DATA_DIR) / name, fs::path(scratch_.Path()) / name);
    }
    void Use(int language) {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        ChooseUiStringFile();
    }
    ScratchFolder scratch_{"zh_uistr_win"};
};

std::wstring W(const char16_t* s) { return std::wstring(s, s + std::char_traits<char16_t>::length(s)); }

TEST_F(UiStringsWin, FileFollowsTheLanguage) {
    const std::string folder = ModuleFolder;
    Use(3);
    EXPECT_EQ(Bytes(UiStringFile), folder + "TesmarelUI_German.ini");
    EXPECT_EQ(Bytes(UiStringFileName(-1)), folder + "TesmarelUI_German.ini");
    EXPECT_EQ(Bytes(UiStringFileName(0)), folder + "TesmarelUI_en.ini");
    EXPECT_EQ(Bytes(UiStringFileName(2)), Bytes(UiStringFileName(1)));
    EXPECT_EQ(Bytes(LanguageFileSuffix(2)), "_b5");
    Use(1);
    EXPECT_EQ(Bytes(UiStringFile), folder + "TesmarelUI.ini");
    EXPECT_EQ(Bytes(LanguageFileSuffix(2)), "");
}

TEST_F(UiStringsWin, ShippedFilesThroughThePlatform) {
    Use(1);
    EXPECT_EQ(Bytes(TranslateUiText("Save Speech File (wav)...")), GbkBytes("将朗读保存为 WAV 文件..."));
    EXPECT_EQ(TranslateUiTextW(L"&Match Case"), W(u"区分大小写"));
    EXPECT_EQ(TranslateUiTextW(L"Text:", false, 950), W(u"查找内容:"));
    EXPECT_EQ(TranslateUiTextToWide("Read Both"), W(u"中西文都读"));
    EXPECT_EQ(Bytes(UiString(60)), GbkBytes("请输入要查找的文字！"));
    EXPECT_EQ(Bytes(FormattedUiMessage("Saved as %s.", false, "C:\\a.wav")), GbkBytes("已保存为 C:\\a.wav。"));

    Use(2);  // traditional Chinese reads the same file
    EXPECT_EQ(TranslateUiTextW(L"&Done"), W(u"关闭"));

    Use(3);
    EXPECT_EQ(TranslateUiTextW(L"Close"), W(u"Schließen"));
    EXPECT_EQ(TranslateUiTextW(L"Find From &Bottom"), W(u"Ab Ende suchen"));
    EXPECT_EQ(TranslateUiTextToWide("Volume"), W(u"Lautstärke"));

    Use(0);
    EXPECT_EQ(Bytes(TranslateUiText("&Match Case")), "&Match Case");
    EXPECT_EQ(TranslateUiTextW(L"&Match Case", true), L"&Match Case");  // the English file has no texts
    EXPECT_EQ(Bytes(UiString(60)), "Please give find text!");
    EXPECT_EQ(Bytes(UiString(12345)), "12345");
}

// The translations in a real edit control, for a person to look at (and
// printed); the control gives back exactly what it was given.
TEST_F(UiStringsWin, SampleInAWindow) {
    const wchar_t* texts[] = {L"Save Speech File (wav)...", L"Select Chinese Voice:", L"&Up Finding",
                              L"Synchronise Word When Playing Document", L"Closing old speech..."};
    std::wstring shown;
    for (int language : {1, 3}) {
        Use(language);
        for (const wchar_t* t : texts) shown += TranslateUiTextW(t) + L"\r\n";
    }
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE, 50, 50, 520, 260,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, shown.c_str());
    PumpMessagesUntil([] { return false; }, std::chrono::milliseconds(300));
    wchar_t back[2048] = {};
    GetWindowTextW(edit, back, 2048);
    EXPECT_EQ(std::wstring(back), shown);
    std::u16string units(shown.begin(), shown.end());
    std::printf("%s", Utf16ToUtf8(units).c_str());
    DestroyWindow(edit);
}

}  // namespace
