#pragma once
// The user-interface strings: the language table, the file name of each
// language's strings file, and the translation of English interface texts
// and numbered messages through such a file (section "UI_STR", read with
// ReadProfileString). Portable: the file and the language are parameters
// here; ui/ui_strings.h binds them to the running program.
#include <string>
#include <string_view>

#include "text/astring.h"

constexpr int kUiLanguageCount = 6;  // 0 English, 1 simplified, 2 traditional, 3 German, 4 Japanese, 5 Korean

// The display name of a language ("English", "Chinese(Simplified)", ...);
// empty outside the table.
const char* UiLanguageName(int index);
// The file suffix of a language ("en", "", "b5", "German", ...); empty
// outside the table.
const char* UiLanguageSuffix(int index);
// False for the East Asian languages 1, 2, 4 and 5; true for any other index.
bool IsLatinUiLanguage(int index);
// The code page of a language's strings file: 1252 for German, 936 (GBK)
// for every other language, traditional Chinese included.
int UiFileCodePage(int index);

// folder + "TesmarelUI" + ("_" + suffix) + ".ini"; both Chinese languages
// (1 and 2) share TesmarelUI.ini. Indexes outside the table give the
// English file.
AString UiStringFileNameIn(const char* folder, int index);
// "_" + the suffix of `index` when it has one and the current language's
// suffix is not empty; otherwise empty.
AString LanguageFileSuffixFor(int index, int currentLanguage);

// Which strings file, and in which language the program runs.
struct UiStrings {
    const char* file;  // path of the strings file
    int language;      // UILanguage
};

// Buffer sizes of the lookups, as the program's callers use them.
constexpr int kTranslationBuffer = 512;
constexpr int kCaptionBuffer = 256;
constexpr int kMessageBuffer = 10239;
constexpr int kFormattedMessageBuffer = 619;

// One value of section "UI_STR", at most bufferSize - 1 bytes. A value cut
// by that limit in the middle of a double-byte character loses the half
// character (GBK files only).
AString ReadUiValue(const UiStrings& s, const char* key, const char* def, int bufferSize);

// The lookup key of an English text after the normalisation: '&' removed,
// "..." and ".." removed, tabs made spaces, a final ':' dropped. Trailing
// dots and the colon are reported so that they can be given back.
struct UiTextKey {
    AString key;
    int trailingDots = 0;
    bool colon = false;
};
UiTextKey NormaliseUiText(const AString& text);

// The translation of a GBK (ASCII) English text; the text itself when the
// language is English (unless forced) or no entry matches.
AString TranslateUiTextIn(const UiStrings& s, const AString& text, bool force);
// UTF-16 in and out: the text through GBK, translated, and converted back
// with `codePage`; a negative code page means the file's own (UiFileCodePage),
// 950 means 936.
std::u16string TranslateUiTextWIn(const UiStrings& s, std::u16string_view text, bool force, int codePage);
// The translation converted to UTF-16 with the file's own code page.
std::u16string TranslateUiTextToWideIn(const UiStrings& s, const AString& text, bool force);

// Fills a format that came from a strings file. Every argument keeps its
// type (AString's type-checked engine): a number given to %s, a missing
// argument, %n or a wild width or precision cannot read or write memory
// that is not there.
AString FormatUiMessage(const AString& format, const FormatArg* args, int count);

// The format of message `number` (the number itself when the file has no
// entry), filled with the arguments.
template <class... Args>
AString UiStringIn(const UiStrings& s, int number, const Args&... args) {
    AString key;
    key.Format("%d", number);
    const FormatArg packed[] = {FormatArg(args)..., FormatArg()};
    return FormatUiMessage(ReadUiValue(s, key.GetString(), key.GetString(), kMessageBuffer), packed,
                           static_cast<int>(sizeof...(Args)));
}

// A message whose format is looked up exactly under its own English text
// (the text itself when missing, or always when `literal`), then filled.
template <class... Args>
AString FormattedUiMessageIn(const UiStrings& s, const AString& key, bool literal, const Args&... args) {
    const FormatArg packed[] = {FormatArg(args)..., FormatArg()};
    AString format = literal ? key : ReadUiValue(s, key.GetString(), key.GetString(), kFormattedMessageBuffer);
    return FormatUiMessage(format, packed, static_cast<int>(sizeof...(Args)));
}

// Marks an English interface text that a table hands to the translation
// later, so that the check of the strings files finds it.
constexpr const char* UiText(const char* english) { return english; }
