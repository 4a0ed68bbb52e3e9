#include "ui/ui_text.h"

#include <cstring>

#include "text/code_pages.h"
#include "text/gbk.h"
#include "ui/profile_read.h"

namespace {

struct LanguageRow {
    const char* name;
    const char* suffix;
};
constexpr LanguageRow kLanguages[kUiLanguageCount] = {
    {"English", "en"},    {"Chinese(Simplified)", ""}, {"Chinese(Traditional)", "b5"},
    {"German", "German"}, {"Japanese", "Japanese"},    {"Korean", "Korean"},
};

constexpr char kSection[] = "UI_STR";

bool InTable(int index) { return index >= 0 && index < kUiLanguageCount; }

// Length of `bytes` without a double-byte character that its end cuts in half.
int WholeGbkLength(const char* bytes, int length) {
    int i = 0;
    while (i < length) {
        if (IsGbkLeadByte(static_cast<unsigned char>(bytes[i]))) {
            if (i + 1 == length) return i;
            i += 2;
        } else {
            i += 1;
        }
    }
    return length;
}

std::u16string ToU16(const AString& wide) {
    return std::u16string(wide.WideData(), static_cast<std::size_t>(wide.GetCharCount()));
}

// Width and precision digits are held to three, and '*' (a width taken from
// an argument) is left out, so that no conversion of a file's format can ask
// the C runtime for gigabytes of padding. Everything else passes unchanged.
AString TameFormat(const AString& format) {
    AString out;
    const char* p = format.GetString();
    while (*p) {
        if (*p != '%') {
            out.Append(*p++);
            continue;
        }
        out.Append(*p++);
        int digits = 0;
        for (; *p && std::strchr("-+0 #*.123456789hlL", *p); ++p) {
            if (*p >= '0' && *p <= '9' && !(*p == '0' && digits == 0)) {
                if (++digits <= 3) out.Append(*p);
                continue;
            }
            digits = 0;
            if (*p != '*') out.Append(*p);
        }
    }
    return out;
}

}  // namespace

const char* UiLanguageName(int index) { return InTable(index) ? kLanguages[index].name : ""; }
const char* UiLanguageSuffix(int index) { return InTable(index) ? kLanguages[index].suffix : ""; }
bool IsLatinUiLanguage(int index) { return !(index == 1 || index == 2 || index == 4 || index == 5); }
int UiFileCodePage(int index) { return index == 3 ? kCodePageWestern : kCodePageGbk; }

AString UiStringFileNameIn(const char* folder, int index) {
    const char* suffix = index == 1 || index == 2 ? "" : InTable(index) ? kLanguages[index].suffix : "en";
    AString name;
    name.Format("%sTesmarelUI%s%s.ini", folder ? folder : "", *suffix ? "_" : "", suffix);
    return name;
}

AString LanguageFileSuffixFor(int index, int currentLanguage) {
    AString out;
    if (*UiLanguageSuffix(index) && *UiLanguageSuffix(currentLanguage)) out.Format("_%s", UiLanguageSuffix(index));
    return out;
}

AString ReadUiValue(const UiStrings& s, const char* key, const char* def, int bufferSize) {
    AString value = ReadProfileString(kSection, key, def, bufferSize, s.file);
    if (value.GetLength() == bufferSize - 1 && UiFileCodePage(s.language) == kCodePageGbk) {
        int whole = WholeGbkLength(value.GetString(), value.GetLength());
        if (whole < value.GetLength()) value = value.Left(whole);
    }
    return value;
}

UiTextKey NormaliseUiText(const AString& text) {
    UiTextKey k;
    k.key = text;
    for (int i = text.GetLength() - 1; i >= 0 && text[i] == '.'; --i) ++k.trailingDots;
    if (k.key.GetLength() >= 2 && k.key[k.key.GetLength() - 1] == ':') {
        k.key = k.key.Left(k.key.GetLength() - 1);
        k.colon = true;
    }
    k.key.Remove('&');
    k.key.Replace("...", "");
    k.key.Replace("..", "");
    k.key.Replace('\t', ' ');
    return k;
}

AString TranslateUiTextIn(const UiStrings& s, const AString& text, bool force) {
    if (s.language == 0 && !force) return text;
    if (text.IsEmpty()) return AString();
    AString value = ReadUiValue(s, text.GetString(), "", kTranslationBuffer);
    if (!value.IsEmpty()) return value;

    UiTextKey k = NormaliseUiText(text);
    if (k.key.IsEmpty()) return text;
    value = ReadUiValue(s, k.key.GetString(), "", kTranslationBuffer);
    if (value.IsEmpty()) {
        k.key.Replace(" / ", "/");
        k.key.Replace(" / ", "/");
        value = ReadUiValue(s, k.key.GetString(), "", kTranslationBuffer);
    }
    if (value.IsEmpty()) return text;
    value.Replace("\\n", " \n");
    int n = value.GetLength();
    if (k.trailingDots > 0 && !(n >= 2 && value[n - 1] == '.' && value[n - 2] == '.'))
        value.Append(AString('.', k.trailingDots));
    if (k.colon) value.Append(':');
    return value;
}

std::u16string TranslateUiTextWIn(const UiStrings& s, std::u16string_view text, bool force, int codePage) {
    if (codePage < 0) codePage = UiFileCodePage(s.language);
    if (codePage == kCodePageBig5) codePage = kCodePageGbk;
    AString translated = TranslateUiTextIn(s, GbkFromUtf16(text), force);
    return ToU16(GbkToUiText(translated.GetString(), translated.GetLength(), codePage));
}

std::u16string TranslateUiTextToWideIn(const UiStrings& s, const AString& text, bool force) {
    AString translated = TranslateUiTextIn(s, text, force);
    return ToU16(GbkToUiText(translated.GetString(), translated.GetLength(), UiFileCodePage(s.language)));
}

AString FormatUiMessage(const AString& format, const FormatArg* args, int count) {
    AString out;
    out.FormatArgs(TameFormat(format).GetString(), args, count);
    return out;
}
