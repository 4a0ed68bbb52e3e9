#pragma once
// The strings files of the dialog base and message box tests, written into a
// scratch ModuleFolder, and the interface language.
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

#include "app/environment.h"
#include "app/settings.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/text_literals.h"
#include "ui/glyph_text.h"
#include "ui/info_pane.h"
#include "ui/ui_strings.h"

inline constexpr int kInfoNumber = 4711;

class DialogBaseFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string folder = scratch_.Path() + "\\";
        ASSERT_LT(folder.size(), sizeof ModuleFolder);
        std::strcpy(ModuleFolder, folder.c_str());
        const std::string chinese =
            "[UI_STR]\r\n"
            "Find=查找\r\nMatch Case=区分大小写\r\nUp Finding=向上查找\r\nFind From Top=从头查找\r\n"
            "Done=关闭\r\nOK=确定\r\nCancel=取消\r\nYes=是\r\nNo=否\r\nVolume=音量\r\n"
            "4711=Help one\\nhelp two\r\n"
            "Translated line=翻译的行\r\n"
            "Question=要继续吗？\r\n"
            "Count %d=%s %n %d%d%d%d%d%d%d%d%d%d%s%s%s%s%.99999999s%99999999d\r\n"
            "Saved as %s.=已保存为 %s。\r\n"
            "Long value=" +
            std::string(20000, 'x') + "\r\n";
        Write("TesmarelUI.ini", GbkBytes(chinese));
        Write("TesmarelUI_en.ini",
              "[UI_STR]\r\n4711=Help one\\nhelp two\r\nLong value=" + std::string(20000, 'y') + "\r\n");
        ASSERT_TRUE(CreateSharedFonts());
        LoadLibraryW(L"riched20.dll");  // the reader templates' panes
        Use(0);
    }
    void TearDown() override {
        HideInfoPane();
        Use(0);
    }
    void Use(int language) {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        ChooseUiStringFile();
    }
    void Write(const char* name, const std::string& bytes) {
        std::ofstream(scratch_.File(name), std::ios::binary) << bytes;
    }

    ScratchFolder scratch_{"zh_dlgbase"};
};
