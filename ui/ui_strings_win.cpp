#include "app/environment.h"
#include "app/settings.h"
#include "ui/ui_strings.h"

AString UiStringFile;

AString UiStringFileName(int index) {
    return UiStringFileNameIn(ModuleFolder, index < 0 ? AppSettings.UILanguage.load() : index);
}

void ChooseUiStringFile() { UiStringFile = UiStringFileName(-1); }

AString LanguageFileSuffix(int index) { return LanguageFileSuffixFor(index, AppSettings.UILanguage.load()); }

UiStrings CurrentUiStrings() { return UiStrings{UiStringFile.GetString(), AppSettings.UILanguage.load()}; }

AString TranslateUiText(const AString& text, bool force) { return TranslateUiTextIn(CurrentUiStrings(), text, force); }

std::wstring TranslateUiTextW(std::wstring_view text, bool force, int codePage) {
    std::u16string_view units(reinterpret_cast<const char16_t*>(text.data()), text.size());
    std::u16string out = TranslateUiTextWIn(CurrentUiStrings(), units, force, codePage);
    return std::wstring(out.begin(), out.end());
}

std::wstring TranslateUiTextToWide(const AString& text, bool force) {
    std::u16string out = TranslateUiTextToWideIn(CurrentUiStrings(), text, force);
    return std::wstring(out.begin(), out.end());
}
