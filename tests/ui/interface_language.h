#pragma once
// The interface language of a Windows test: ModuleFolder pointed at a scratch
// folder holding the shipped strings files, UILanguage set, the shared fonts
// created; all undone when the object goes.
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/environment.h"
#include "app/settings.h"
#include "tests/support/scratch_folder.h"
#include "ui/glyph_text.h"
#include "ui/ui_strings.h"

class InterfaceLanguage {
public:
    explicit InterfaceLanguage(int language) {
        std::strcpy(savedFolder_, ModuleFolder);
        savedLanguage_ = AppSettings.UILanguage;
        const std::string folder = scratch_.Path() + "\\";
        std::strcpy(ModuleFolder, folder.c_str());
        for (const char* name : {"TesmarelUI.ini", "TesmarelUI_German.ini", "TesmarelUI_en.ini"})
            std::filesystem::copy_file(std::filesystem::path(ZH_DATA_DIR) / name,
                                       std::filesystem::path(scratch_.Path()) / name);
        Use(language);
        fontsReady_ = CreateSharedFonts();
    }
    ~InterfaceLanguage() {
        ReleaseSharedFonts();
        std::strcpy(ModuleFolder, savedFolder_);
        AppSettings.UILanguage = savedLanguage_;
        ChooseUiStringFile();
    }
    InterfaceLanguage(const InterfaceLanguage&) = delete;
    InterfaceLanguage& operator=(const InterfaceLanguage&) = delete;

    void Use(int language) {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        ChooseUiStringFile();
    }
    const ScratchFolder& Folder() const { return scratch_; }
    bool FontsReady() const { return fontsReady_; }

private:
    ScratchFolder scratch_{"zh_uilang"};
    char savedFolder_[MAX_PATH] = {};
    int16_t savedLanguage_ = 0;
    bool fontsReady_ = false;
};
