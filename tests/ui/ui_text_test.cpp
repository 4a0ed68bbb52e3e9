#include "ui/ui_text.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

#include "tests/support/scratch_folder.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "ui/profile_read.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A strings file in a scratch folder.
class StringsFile {
public:
    explicit StringsFile(const std::string& body) : path_(folder_.File("TesmarelUI.ini")) { WriteFile(path_, body); }
    UiStrings In(int language) const { return UiStrings{path_.c_str(), language}; }
    const std::string& Path() const { return path_; }

private:
    ScratchFolder folder_{"zh_uistr"};
    std::string path_;
};

TEST(UiLanguages, TableNamesSuffixesAndScript) {
    struct Row {
        int index;
        const char* name;
        const char* suffix;
        bool latin;
        int codePage;
    };
    const Row rows[] = {
        {0, "English", "en", true, 936},
        {1, "Chinese(Simplified)", "", false, 936},
        {2, "Chinese(Traditional)", "b5", false, 936},
        {3, "German", "German", true, 1252},
        {4, "Japanese", "Japanese", false, 936},
        {5, "Korean", "Korean", false, 936},
        {6, "", "", true, 936},
        {-1, "", "", true, 936},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        EXPECT_STREQ(UiLanguageName(r.index), r.name);
        EXPECT_STREQ(UiLanguageSuffix(r.index), r.suffix);
        EXPECT_EQ(IsLatinUiLanguage(r.index), r.latin);
        EXPECT_EQ(UiFileCodePage(r.index), r.codePage);
    }
}

TEST(UiLanguages, FileNamesAndSuffixes) {
    EXPECT_EQ(Bytes(UiStringFileNameIn("C:\\Z\\", 0)), "C:\\Z\\TesmarelUI_en.ini");
    EXPECT_EQ(Bytes(UiStringFileNameIn("C:\\Z\\", 1)), "C:\\Z\\TesmarelUI.ini");
    EXPECT_EQ(Bytes(UiStringFileNameIn("C:\\Z\\", 2)), "C:\\Z\\TesmarelUI.ini");
    EXPECT_EQ(Bytes(UiStringFileNameIn("C:\\Z\\", 3)), "C:\\Z\\TesmarelUI_German.ini");
    EXPECT_EQ(Bytes(UiStringFileNameIn("C:\\Z\\", 5)), "C:\\Z\\TesmarelUI_Korean.ini");
    EXPECT_EQ(Bytes(UiStringFileNameIn("", 99)), "TesmarelUI_en.ini");

    // LanguageFileSuffixFor(index, current language)
    EXPECT_EQ(Bytes(LanguageFileSuffixFor(0, 0)), "_en");
    EXPECT_EQ(Bytes(LanguageFileSuffixFor(2, 3)), "_b5");
    EXPECT_EQ(Bytes(LanguageFileSuffixFor(2, 1)), "");  // the current language has no suffix
    EXPECT_EQ(Bytes(LanguageFileSuffixFor(1, 0)), "");  // the index has none
}

TEST(UiTextKeys, Normalisation) {
    struct Case {
        const char* text;
        const char* key;
        int dots;
        bool colon;
    };
    const Case cases[] = {
        {"&Match Case", "Match Case", 0, false},
        {"Find From &Top", "Find From Top", 0, false},
        {"Save Speech File (wav)...", "Save Speech File (wav)", 3, false},
        {"Please wait..", "Please wait", 2, false},
        {"There is no text to save.", "There is no text to save.", 1, false},
        {"Select Western Voice:", "Select Western Voice", 0, true},
        {"Text:", "Text", 0, true},
        {":", ":", 0, false},  // a colon alone is kept
        {"a.....b", "ab", 0, false},
        {"Wait....", "Wait.", 4, false},  // "..." goes first; the fourth dot stays in the key
        {"Left\t/ Right", "Left / Right", 0, false},
        {"&&Both &", "Both ", 0, false},
        {"Find...:", "Find", 0, true},  // dots before a colon are not trailing
        {"", "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        UiTextKey k = NormaliseUiText(AString(c.text));
        EXPECT_EQ(Bytes(k.key), c.key);
        EXPECT_EQ(k.trailingDots, c.dots);
        EXPECT_EQ(k.colon, c.colon);
    }
}

// The reader behind every lookup; on Windows these cases run against the
// platform's GetPrivateProfileStringA, so the portable reader is held to it.
TEST(ProfileRead, FollowsThePrivateProfileRules) {
    ScratchFolder folder("zh_profile");
    const std::string path = folder.File("t.ini");
    WriteFile(path,
              "; comment line\r\n"
              "[Other]\r\n"
              "Key=other\r\n"
              "[ui_str]\r\n"
              "  Spaced Key   =   spaced value   \r\n"
              "Quoted=\"quoted value\"\r\n"
              "Single='single'\r\n"
              "Half=\"half\r\n"
              "Empty=\r\n"
              "Key=first\n"
              "key=second\n"
              "Last=no line end");
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        int size;
        const char* expected;
    };
    const Case cases[] = {
        {"UI_STR", "Spaced Key", "", 512, "spaced value"},
        {"UI_STR", "Quoted", "", 512, "quoted value"},
        {"UI_STR", "Quoted", "", 6, "quote"},
        {"UI_STR", "Single", "", 512, "single"},
        {"UI_STR", "Half", "", 512, "\"half"},
        {"UI_STR", "Empty", "dflt", 512, ""},
        {"UI_STR", "KEY", "", 512, "first"},
        {"Other", "Key", "", 512, "other"},
        {"UI_STR", "Last", "", 512, "no line end"},
        {"UI_STR", "Nope", "dflt  ", 512, "dflt"},
        {"UI_STR", "Nope", "default", 4, "def"},
        {"Missing", "Key", "d", 512, "d"},
        {"UI_STR", "Key", "", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key + "/" + std::to_string(c.size));
        EXPECT_EQ(Bytes(ReadProfileString(c.section, c.key, c.def, c.size, path.c_str())), c.expected);
    }
    EXPECT_EQ(Bytes(ReadProfileString("UI_STR", "Key", "d", 512, folder.File("absent.ini").c_str())), "d");
}

const char kFixture[] =
    "[UI_STR]\r\n"
    "Save Speech File (wav)=\xB1\xA3\xB4\xE6\xD3\xEF\xD2\xF4(wav)\r\n"  // 保存语音(wav)
    "Closing old speech=\xB9\xD8\xB1\xD5..\r\n"                         // 关闭..
    "Match Case=\xC7\xF8\xB7\xD6\xB4\xF3\xD0\xA1\xD0\xB4\r\n"           // 区分大小写
    "Text=\xCE\xC4\xD7\xD6\r\n"                                         // 文字
    "Left/Right=L/R\r\n"
    "Two lines=one\\ntwo\r\n"
    "Exact line=one\\ntwo\r\n"
    "Exact line.=exact\r\n"
    "60=\xC7\xEB\xCA\xE4\xC8\xEB\r\n"  // 请输入
    "100=Saved as %s (%d bytes).\r\n";

TEST(TranslateUiText, LooksUpTheTextThenItsNormalisedKey) {
    StringsFile file(kFixture);
    const UiStrings zh = file.In(1);
    struct Case {
        const char* text;
        std::string expected;  // UTF-8, converted to GBK
    };
    const Case cases[] = {
        {"Save Speech File (wav)...", "保存语音(wav)..."},
        {"Save Speech File (wav)", "保存语音(wav)"},
        {"Closing old speech...", "关闭.."},  // the value already ends in ".."
        {"&Match Case", "区分大小写"},
        {"Text:", "文字:"},
        {"Text\t:", "文字:"},  // the key "Text " loses its blank in the reader
        {"Left / Right", "L/R"},
        {"Left/Right", "L/R"},
        {"Exact line", "one\\ntwo"},  // found as it is: the backslash-n stays
        {"&Two lines", "one \ntwo"},  // found under the normalised key: a line break
        {"Exact line.", "exact"},
        {"Not in the file", "Not in the file"},
        {"&", "&"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Bytes(TranslateUiTextIn(zh, AString(c.text), false)), GbkBytes(c.expected));
    }
}

TEST(TranslateUiText, EnglishNeedsForceAndAMissingFileChangesNothing) {
    StringsFile file(kFixture);
    EXPECT_EQ(Bytes(TranslateUiTextIn(file.In(0), AString("&Match Case"), false)), "&Match Case");
    EXPECT_EQ(Bytes(TranslateUiTextIn(file.In(0), AString("&Match Case"), true)), GbkBytes("区分大小写"));
    ScratchFolder empty("zh_uistr_none");
    const std::string none = empty.File("TesmarelUI.ini");
    EXPECT_EQ(Bytes(TranslateUiTextIn(UiStrings{none.c_str(), 1}, AString("Text:"), false)), "Text:");
    EXPECT_EQ(Bytes(UiStringIn(UiStrings{none.c_str(), 1}, 60)), "60");
}

TEST(TranslateUiText, WideFormsConvertThroughTheFilesCodePage) {
    StringsFile file(kFixture);
    EXPECT_EQ(TranslateUiTextWIn(file.In(1), u"Text:", false, -1), Utf16("文字:"));
    EXPECT_EQ(TranslateUiTextWIn(file.In(2), u"Text:", false, 950), Utf16("文字:"));  // 950 reads as 936
    EXPECT_EQ(TranslateUiTextWIn(file.In(0), u"Text:", false, -1), u"Text:");
    EXPECT_EQ(TranslateUiTextToWideIn(file.In(1), AString("&Match Case"), false), Utf16("区分大小写"));

    StringsFile german(
        "[UI_STR]\r\nClose=Schlie\xDF"
        "en\r\n");  // Windows-1252
    EXPECT_EQ(TranslateUiTextWIn(german.In(3), u"&Close", false, -1), u"Schlie\u00DFen");
    EXPECT_EQ(TranslateUiTextToWideIn(german.In(3), AString("Close"), false), u"Schlie\u00DFen");
}

TEST(UiString, NumberedMessagesInEveryLanguage) {
    StringsFile file(kFixture);
    EXPECT_EQ(Bytes(UiStringIn(file.In(0), 60)), GbkBytes("请输入"));
    EXPECT_EQ(Bytes(UiStringIn(file.In(1), 61)), "61");
    EXPECT_EQ(Bytes(UiStringIn(file.In(1), 100, "C:\\a.wav", 1234)), "Saved as C:\\a.wav (1234 bytes).");
    EXPECT_EQ(Bytes(FormattedUiMessageIn(file.In(1), AString("100"), false, "x", 2)), "Saved as x (2 bytes).");
    EXPECT_EQ(Bytes(FormattedUiMessageIn(file.In(1), AString("%d%%"), true, 50)), "50%");
    EXPECT_EQ(Bytes(FormattedUiMessageIn(file.In(1), AString("Saved as %s."), false, "f.wav")), "Saved as f.wav.");
}

// Formats from a damaged or hostile strings file: the arguments keep their
// types, so nothing is read or written beyond them.
TEST(UiString, HostileFormatsCannotReachMemory) {
    struct Case {
        const char* value;
        std::string expected;
    };
    const Case cases[] = {
        {"[%s|%s]", "[|]"},           // numbers given to %s print nothing
        {"a%nb%d", "ab%d"},           // %n stops formatting; the rest is literal
        {"%d %d %d %s %f", "7    "},  // more conversions than arguments
        {"%x %c %p", "7  "},          // each conversion takes the next argument
        {"%S wide", " wide"},         // %S stops too
        {"100%", "100"},              // a format that ends inside a conversion
    };
    ScratchFolder folder("zh_uistr_bad");
    const std::string path = folder.File("bad.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        WriteFile(path, std::string("[UI_STR]\r\n200=") + c.value + "\r\n");
        EXPECT_EQ(Bytes(UiStringIn(UiStrings{path.c_str(), 1}, 200, 7)), c.expected);
    }
}

TEST(UiString, WildWidthsStaySmallAndQuick) {
    StringsFile file("[UI_STR]\r\n201=<%999999999d|%.999999999f|%*d|%2147483647s>\r\n");
    const auto start = std::chrono::steady_clock::now();
    AString out = UiStringIn(file.In(1), 201, 7, 1.5, 2000000000, 3, "s");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_GT(out.GetLength(), 4);
    EXPECT_LT(out.GetLength(), 4000);
    EXPECT_EQ(out[0], '<');
    EXPECT_EQ(out[out.GetLength() - 1], '>');
}

TEST(UiString, LongValuesAreCutAtWholeCharacters) {
    const std::string zhong = "\xD6\xD0";  // 中
    std::string chinese = "a";
    while (chinese.size() < 20000) chinese += zhong;
    std::string latin(19999, 'b');
    latin += "%s";
    StringsFile file("[UI_STR]\r\n300=" + chinese + "\r\n301=" + latin + "\r\nLong text=" + chinese.substr(1) + "\r\n");

    AString cut = UiStringIn(file.In(1), 300);
    EXPECT_EQ(cut.GetLength(), kMessageBuffer - 2);  // the lone lead byte at 10238 is gone
    EXPECT_EQ(Bytes(cut).substr(cut.GetLength() - 2), zhong);
    EXPECT_EQ(Bytes(UiStringIn(file.In(1), 301, "x")), std::string(kMessageBuffer - 1, 'b'));

    AString translated = TranslateUiTextIn(file.In(1), AString("Long text"), false);
    EXPECT_EQ(translated.GetLength(), kTranslationBuffer - 2);
    EXPECT_EQ(Bytes(translated).substr(translated.GetLength() - 2), zhong);
    // A single-byte (German) file keeps every byte.
    EXPECT_EQ(TranslateUiTextIn(file.In(3), AString("Long text"), false).GetLength(), kTranslationBuffer - 1);
}

}  // namespace
