// The shipped strings files (built into the data folder from res/lang) and
// the texts of the program that need entries in them.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/string_bytes.h"
#include "tests/ui/ui_text_extract.h"
#include "text/code_pages.h"
#include "text/gbk.h"
#include "text/utf8.h"
#include "ui/profile_read.h"
#include "ui/ui_text.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = ZH_DATA_DIR;
const std::string kSource = ZH_SOURCE_DIR;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Language {
    const char* file;
    int index;
};
const Language kZh{"TesmarelUI.ini", 1};
const Language kDe{"TesmarelUI_German.ini", 3};
const Language kEn{"TesmarelUI_en.ini", 0};

std::string PathOf(const Language& l) { return kData + l.file; }
UiStrings StringsOf(const Language& l, const std::string& path) { return UiStrings{path.c_str(), l.index}; }

// key=value lines of section UI_STR, in file order; bad lines in `errors`.
struct Entry {
    std::string key, value;
    int line;
};
std::vector<Entry> ParseEntries(const std::string& text, std::vector<std::string>& errors) {
    std::vector<Entry> entries;
    std::istringstream in(text);
    std::string line, section;
    for (int n = 1; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = line.back() == ']' ? line.substr(1, line.size() - 2) : "";
            if (section != "UI_STR") errors.push_back("line " + std::to_string(n) + ": section " + line);
            continue;
        }
        std::size_t eq = line.find('=');
        if (section != "UI_STR" || eq == std::string::npos || eq == 0 || line[0] == ' ' || line[eq - 1] == ' ' ||
            eq + 1 == line.size() || line[eq + 1] == ' ' || line.back() == ' ')
            errors.push_back("line " + std::to_string(n) + ": " + line);
        else
            entries.push_back({line.substr(0, eq), line.substr(eq + 1), n});
    }
    return entries;
}

// The conversions of a format ("%s", "%d", ...; "%%" is none), in order.
std::string Conversions(const std::string& format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        std::size_t j = i + 1;
        while (j < format.size() && std::string_view("-+0 #*.123456789hlL").find(format[j]) != std::string::npos) ++j;
        if (j < format.size() && format[j] != '%') out += format.substr(i, j - i + 1) + " ";
        i = j;
    }
    return out;
}

// Whether the program's lookup of `use` finds an entry.
bool HasEntry(const UiStrings& s, const UiTextUse& use) {
    if (!ReadUiValue(s, use.text.c_str(), "", kTranslationBuffer).IsEmpty()) return true;
    if (use.exact) return false;
    UiTextKey k = NormaliseUiText(AString(use.text.c_str()));
    if (k.key.IsEmpty()) return false;
    if (!ReadUiValue(s, k.key.GetString(), "", kTranslationBuffer).IsEmpty()) return true;
    k.key.Replace(" / ", "/");
    k.key.Replace(" / ", "/");
    return !ReadUiValue(s, k.key.GetString(), "", kTranslationBuffer).IsEmpty();
}

// Every text the program hands to the translation: the list, the code's
// calls and the resource scripts of the program (those of tests are not shipped).
std::vector<UiTextUse> AllUses() {
    const fs::path listPath = fs::path(kSource) / "res" / "lang" / "ui_texts.txt";
    std::vector<UiTextUse> uses = ExtractFromList(ReadAll(listPath), "res/lang/ui_texts.txt");
    for (const char* top : {"app", "ui", "reader", "speech", "text", "lexicon", "rules", "tools", "res"}) {
        const fs::path dir = fs::path(kSource) / top;
        if (!fs::is_directory(dir)) continue;
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            if (!e.is_regular_file()) continue;
            const std::string ext = e.path().extension().string();
            const std::string name = fs::relative(e.path(), kSource).generic_string();
            std::vector<UiTextUse> found;
            if (ext == ".rc" || ext == ".dlg")
                found = ExtractFromResourceScript(ReadAll(e.path()), name);
            else if (ext == ".cpp" || ext == ".h")
                found = ExtractFromCode(ReadAll(e.path()), name);
            uses.insert(uses.end(), found.begin(), found.end());
        }
    }
    return uses;
}

TEST(UiTextExtraction, ResourceScriptStatements) {
    const std::string rc = ReadAll(fs::path(ZH_TEST_SOURCE_DIR_UI) / "fixtures" / "sample.rc");
    std::vector<std::string> got;
    for (const UiTextUse& u : ExtractFromResourceScript(rc, "sample.rc"))
        got.push_back((u.exact ? "= " : "~ ") + u.text + " @" + u.where.substr(u.where.find(':') + 1));
    const std::vector<std::string> expected = {
        "= Find @6",
        "~ Text: @9",
        "~ &Match Case @11",
        "~ &Up Finding @12",
        "~ Find From &Top @13",
        "~ &Find @14",
        "~ &Done @15",
        "~ Say \"Hello\" @18",
        "~ Options @23",
        "~ Quick Guide @25",
        "~ Save Speech File (wav)... @27",
        "= Text not found! @33",
        "= Please give find text! @34",
    };
    EXPECT_EQ(got, expected);
}

TEST(UiTextExtraction, CodeCallsAndTheList) {
    const char code[] =
        "void F() {\n"
        "    SetText(TranslateUiTextW(L\"Speech &Settings\", false, -1));\n"
        "    ShowMessage(\"Saved as %s.\", 0);  // TranslateUiText(\"in a comment\")\n"
        "    ShowStatus( \"Please wait...\");\n"
        "    auto a = UiString(1010), b = UiString(number);\n"
        "    MyTranslateUiText(\"not ours\"); TranslateUiTextIn(s, \"a parameter\");\n"
        "    const Item items[] = {{1035, UiText(\"Auto Speak\")}, {165, UiText(\"0\")}};\n"
        "    AString t = TranslateUiText(u8\"Line\\nbreak\");\n"
        "}\n";
    std::vector<std::string> got;
    for (const UiTextUse& u : ExtractFromCode(code, "f.cpp"))
        got.push_back((u.exact ? "= " : "~ ") + u.text + " @" + u.where);
    std::sort(got.begin(), got.end());
    const std::vector<std::string> expected = {
        "= 1010 @f.cpp:5",        "= Saved as %s. @f.cpp:3",   "~ Auto Speak @f.cpp:7",
        "~ Line\nbreak @f.cpp:8", "~ Please wait... @f.cpp:4", "~ Speech &Settings @f.cpp:2",
    };
    EXPECT_EQ(got, expected);

    auto list = ExtractFromList("# note\n[Find]\ncaption Find\ncontrol &Done\nbogus X\nmenu\n", "l.txt");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_TRUE(list[0].exact);
    EXPECT_EQ(list[0].where, "l.txt:3 [Find]");
    EXPECT_FALSE(list[1].exact);
    EXPECT_EQ(list[2].text, "");  // unknown kind
    EXPECT_EQ(list[3].text, "");  // no text
}

TEST(LanguageFiles, ParseWithoutDuplicatesOrStrayFormats) {
    for (const Language& l : {kZh, kDe, kEn}) {
        SCOPED_TRACE(l.file);
        const std::string text = ReadAll(PathOf(l));
        ASSERT_FALSE(text.empty());
        std::vector<std::string> errors;
        std::vector<Entry> entries = ParseEntries(text, errors);
        EXPECT_EQ(errors, std::vector<std::string>());
        std::map<std::string, int> seen;  // the reader ignores ASCII case
        for (const Entry& e : entries) {
            std::string folded = e.key;
            for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_TRUE(seen.emplace(folded, e.line).second) << "duplicate key " << e.key << " at line " << e.line;
            // What the platform reader gives is exactly the value written.
            const std::string path = PathOf(l);
            EXPECT_EQ(Bytes(ReadProfileString("UI_STR", e.key.c_str(), "", kMessageBuffer, path.c_str())), e.value)
                << e.key;
        }
    }
}

TEST(LanguageFiles, FormatsAgreeWithTheEnglish) {
    std::vector<std::string> errors;
    std::map<std::string, std::string> english;
    for (const Entry& e : ParseEntries(ReadAll(PathOf(kEn)), errors)) english[e.key] = e.value;
    for (const Language& l : {kZh, kDe}) {
        SCOPED_TRACE(l.file);
        for (const Entry& e : ParseEntries(ReadAll(PathOf(l)), errors)) {
            auto it = english.find(e.key);
            const std::string reference = it != english.end() ? it->second : e.key;
            EXPECT_EQ(Conversions(e.value), Conversions(reference)) << e.key;
        }
    }
    // Numbered and named messages exist in all three files.
    for (const char* key : {"60", "1010", "32793", "32794", "IDS_RICHED_LOAD_FAIL", "IDP_OLE_INIT_FAILED"})
        EXPECT_TRUE(english.count(key)) << key;
}

TEST(LanguageFiles, ConvertBackToTheirSourcesExactly) {
    for (const Language& l : {kZh, kDe, kEn}) {
        SCOPED_TRACE(l.file);
        std::string source = ReadAll(fs::path(kSource) / "res" / "lang" /
                                     (std::string(l.file).substr(0, std::string(l.file).size() - 4) + ".utf8.ini"));
        const std::string built = ReadAll(PathOf(l));
        const int codePage = UiFileCodePage(l.index);
        AString wide = GbkToUiText(built.data(), static_cast<int>(built.size()), codePage);
        std::string back = Utf16ToUtf8(wide.WideData(), wide.GetCharCount());
        std::string lf;
        for (std::size_t i = 0; i < back.size(); ++i)
            if (!(back[i] == '\r' && i + 1 < back.size() && back[i + 1] == '\n')) lf += back[i];
        ASSERT_FALSE(source.empty());
        EXPECT_EQ(lf, source);
        EXPECT_EQ(built.find('?') == std::string::npos, source.find('?') == std::string::npos);
    }
}

// German values are Windows-1252; the message box reads 8-bit text with the
// mixed GBK/Western conversion, which takes two neighbouring bytes above
// 0x80 for one GBK character.
TEST(LanguageFiles, GermanTextSurvivesTheMixedConversion) {
    std::vector<std::string> errors;
    for (const Entry& e : ParseEntries(ReadAll(PathOf(kDe)), errors)) {
        AString mixed = MixedToUiText(e.value.data(), static_cast<int>(e.value.size()), 1252);
        AString western = GbkToUiText(e.value.data(), static_cast<int>(e.value.size()), 1252);
        EXPECT_EQ(Units(mixed), Units(western)) << e.key;
    }
}

TEST(LanguageFiles, EveryTextOfTheProgramIsTranslated) {
    const std::vector<UiTextUse> uses = AllUses();
    ASSERT_GT(uses.size(), 50u);
    const std::string zh = PathOf(kZh), de = PathOf(kDe), en = PathOf(kEn);
    for (const UiTextUse& use : uses) {
        ASSERT_FALSE(use.text.empty()) << use.where;
        EXPECT_TRUE(HasEntry(StringsOf(kZh, zh), use))
            << "no Chinese entry for \"" << use.text << "\" (" << use.where << ")";
        EXPECT_TRUE(HasEntry(StringsOf(kDe, de), use))
            << "no German entry for \"" << use.text << "\" (" << use.where << ")";
        const bool message = !use.text.empty() && (std::isdigit(static_cast<unsigned char>(use.text[0])) ||
                                                   use.text.rfind("IDS_", 0) == 0 || use.text.rfind("IDP_", 0) == 0);
        if (message) {
            EXPECT_TRUE(HasEntry(StringsOf(kEn, en), use)) << "no English entry for " << use.text;
        }
    }
    // And no entry that nothing asks for (a key with a typo, a text gone).
    for (const Language& l : {kZh, kDe}) {
        std::vector<std::string> errors;
        for (const Entry& e : ParseEntries(ReadAll(PathOf(l)), errors)) {
            bool used = false;
            for (const UiTextUse& use : uses) {
                UiTextKey k = NormaliseUiText(AString(use.text.c_str()));
                used = used || use.text == e.key || (!use.exact && Bytes(k.key) == e.key);
            }
            EXPECT_TRUE(used) << l.file << ": nothing uses the key \"" << e.key << "\"";
        }
    }
}

// For a person to read: a sample of the translations as the program gets them.
TEST(LanguageFiles, SampleForReading) {
    const std::string zh = PathOf(kZh), de = PathOf(kDe);
    const char* texts[] = {"Save Speech File (wav)...", "&Match Case", "Select Western Voice:", "Please wait...",
                           "Right Button:VirAz, Left Button:Speech, Right Click:Menu"};
    for (const char* t : texts) {
        std::string a = Utf16ToUtf8(TranslateUiTextToWideIn(StringsOf(kZh, zh), AString(t), false));
        std::string b = Utf16ToUtf8(TranslateUiTextToWideIn(StringsOf(kDe, de), AString(t), false));
        std::cout << t << "\n  zh: " << a << "\n  de: " << b << "\n";
        EXPECT_NE(a, t);
        EXPECT_EQ(a.find('?'), std::string::npos);
    }
    AString saved = UiStringIn(StringsOf(kZh, zh), 60);
    std::cout << "60\n  zh: " << GbkToUtf8(saved) << "\n";
    AString placeholder = UiStringIn(StringsOf(kDe, de), 1010);
    AString wide = MixedToUiText(placeholder.GetString(), placeholder.GetLength(), 1252);
    std::cout << "1010\n  de: " << Utf16ToUtf8(wide.WideData(), wide.GetCharCount()) << "\n";
}

}  // namespace
