#pragma once
// The running program's user-interface strings: the current strings file
// (UiStringFile, chosen from UILanguage) and the translations through it.
// Files are read anew for every lookup.
#include <string>
#include <string_view>

#include "text/astring.h"
#include "ui/ui_text.h"

// Path of the current language's strings file.
extern AString UiStringFile;

// ModuleFolder + "TesmarelUI[_suffix].ini"; a negative index means UILanguage.
AString UiStringFileName(int index);
// UiStringFile = UiStringFileName(-1): at start-up and when the language changes.
void ChooseUiStringFile();
// "_" + the suffix of `index` when that and the current language's suffix exist.
AString LanguageFileSuffix(int index);

// The current file and language.
UiStrings CurrentUiStrings();

AString TranslateUiText(const AString& text, bool force = false);
// A negative code page means the current strings file's own: 1252 for German,
// else 936; 950 means 936.
std::wstring TranslateUiTextW(std::wstring_view text, bool force = false, int codePage = -1);
std::wstring TranslateUiTextToWide(const AString& text, bool force = false);

// Message `number` of the strings file (in every language), filled with the
// arguments by the type-checked formatting of FormatUiMessage.
template <class... Args>
AString UiString(int number, const Args&... args) {
    return UiStringIn(CurrentUiStrings(), number, args...);
}

// The text of a formatted message box: unless `literal`, the format is the
// exact entry of `key` (or the key itself), then filled safely.
template <class... Args>
AString FormattedUiMessage(const AString& key, bool literal, const Args&... args) {
    return FormattedUiMessageIn(CurrentUiStrings(), key, literal, args...);
}
