// zhorvan-cli: the console front end to the lexicon, the reading rules and the
// code pages. Text comes in and goes out as UTF-8.
//   zhorvan-cli [--data DIR] [--lang N] COMMAND TEXT     (TEXT "-": standard input)
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "lexicon/dict.h"
#include "lexicon/syllable.h"
#include "rules/char_class.h"
#include "rules/reading_rules.h"
#include "text/big5.h"
#include "text/code_pages.h"
#include "tools/cli/cli_platform.h"
#include "tools/cli/display_commands.h"
#include "tools/cli/utf8.h"

namespace {

// One line on standard error, exit status 2.
int Usage(const char* problem) {
    std::fprintf(stderr, "zhorvan-cli: %s (usage: zhorvan-cli [--data DIR] [--lang 0-3] segment|pinyin|info|readings|big5 TEXT|-)\n", problem);
    return 2;
}

std::string Utf8(const AString& text) {  // UTF-16 or GBK contents
    AString wide = text;
    wide.ToWide(936);
    return Utf16ToUtf8(wide.WideData(), wide.GetCharCount());
}

// Blanks passed over when looking ahead: ideographic space, space, CR.
bool IsBlank(char16_t u) { return u == 0x3000 || u == u' ' || u == u'\r'; }

// The next non-blank unit from q, leaving q after it; 0 at the end of the
// text or after three blanks in a row.
char16_t NextUnit(const char16_t* u, int n, int& q) {
    for (int k = 0; k < 3; ++k, ++q) {
        if (q >= n) return 0;
        if (!IsBlank(u[q])) return u[q++];
    }
    return 0;
}

AString GbkChar(char16_t unit) {
    const std::uint16_t g = unit ? WideCharToGbk(unit) : 0;
    char bytes[3] = {static_cast<char>(g & 0xFF), static_cast<char>(g >> 8), 0};
    return AString(bytes);
}

bool IsAsciiLetter(char16_t u) { return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'); }

// The speech scan's class of unit p: 10 Chinese, 0 Western, 6 a symbol after
// Chinese that is spoken as it is, without the rules. Clause punctuation
// empties the history. (Latin letters after Chinese are simplified here: they
// stay Chinese only before a Chinese unit.)
int Classify(const char16_t* u, int n, int p, bool prevChinese, AStringArray& history) {
    const char16_t x = u[p] == u'\r' ? u',' : u[p];  // a line end reads as a comma
    if (x >= 0x100 || x == 0) return 10;
    const char c = static_cast<char>(x);
    if (std::strchr(",.?!-;:=", c)) {
        history.RemoveAll();
        return prevChinese ? 6 : 0;
    }
    if (std::strchr("\r\n \t", c)) return prevChinese ? 10 : 0;
    if (!IsAsciiLetter(x)) return prevChinese || p == 0 ? 6 : 0;
    if (!prevChinese) return 0;
    return p + 1 < n && u[p + 1] >= 0x100 ? 10 : 0;
}

// Asks the reading rules about every character the way the speech preparation
// does: the history of handled characters (emptied at clause punctuation,
// trimmed from 24 to 12), the next three characters past blanks, and the
// fallback for characters outside GB2312. Prints the reading that speech
// would use, or "-".
int Readings(const CDict& dict, const AString& wide) {
    const char16_t* u = wide.WideData();
    const int n = wide.GetCharCount();
    AStringArray history;
    bool prevChinese = false;
    for (int p = 0; p < n; ++p) {
        const char16_t x = u[p];
        const int cls = Classify(u, n, p, prevChinese, history);
        prevChinese = cls != 0;
        const bool blank = IsBlank(x) || x == u'\n' || x == u'\t';
        std::string line = Utf16ToUtf8(&x, 1) + "\t";
        if (cls == 6) {
            std::cout << line << "-\n";
            continue;
        }
        int q = p + 1;
        const char16_t n1 = p < n - 1 ? NextUnit(u, n, q) : 0;
        const char16_t n2 = n1 ? NextUnit(u, n, q) : 0;
        const char16_t n3 = n2 ? NextUnit(u, n, q) : 0;
        const AString ch = GbkChar(x), next1 = GbkChar(n1), next2 = GbkChar(n2), next3 = GbkChar(n3);
        if (history.GetSize() > 24) history.RemoveAt(0, 12);
        const bool inTable = ch.GetLength() == 2 &&
                             dict.IsGb2312Char(MakeCharKey(static_cast<unsigned char>(ch[0]), static_cast<unsigned char>(ch[1])));
        AString pinyin;
        int tone = 0;
        const int ruled = ApplyReadingRules(dict, ch, history, next1.GetString(), next2.GetString(),
                                            next3.GetString(), pinyin, tone, !inTable);
        history.Add(ch);
        if (blank) continue;
        if ((!inTable || ruled) && !pinyin.IsEmpty()) {
            ExpandSyllable(pinyin);
            line += std::string(pinyin.GetString()) + static_cast<char>('0' + tone);
        } else {
            line += "-";
        }
        std::cout << line << "\n";
    }
    return 0;
}

// The text in traditional characters through the Big5 table and its context
// rules; characters without a Big5 form become a white square.
int Big5(const AString& wide) {
    AString gbk = wide;
    gbk.ToNarrow(936);
    const auto* b = reinterpret_cast<const unsigned char*>(gbk.GetString());
    const int len = gbk.GetLength();
    std::vector<std::uint16_t> codes;  // lead byte high; single bytes as themselves
    for (int i = 0; i < len; ++i) {
        if (i + 1 < len && IsGbkPair(b[i], b[i + 1])) {
            codes.push_back(DoubleByteCode(b[i], b[i + 1]));
            ++i;
        } else {
            codes.push_back(b[i]);
        }
    }
    auto at = [&](size_t i) -> std::uint16_t { return i < codes.size() ? codes[i] : 0; };
    std::string big5;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] < 0x100) {
            big5 += static_cast<char>(codes[i]);
            continue;
        }
        const std::uint16_t c = GbkToBig5(codes[i], i ? codes[i - 1] : 0, i > 1 ? codes[i - 2] : 0, at(i + 1), at(i + 2));
        big5 += static_cast<char>(c >> 8);
        big5 += static_cast<char>(c & 0xFF);
    }
    std::cout << Utf8(GbkToUiText(big5.c_str(), static_cast<int>(big5.size()), 950)) << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = Utf8Arguments(argc, argv);
    const size_t count = args.size();
    std::string dataFolder = ExecutableFolder();
    int uiLanguage = 0;
    size_t i = 1;
    for (; i + 1 < count && args[i].rfind("--", 0) == 0; i += 2) {
        if (args[i] == "--data") {
            dataFolder = args[i + 1];
        } else if (args[i] == "--lang" && args[i + 1].size() == 1 && args[i + 1][0] >= '0' && args[i + 1][0] <= '3') {
            uiLanguage = args[i + 1][0] - '0';
        } else {
            return Usage(("bad option " + args[i]).c_str());
        }
    }
    if (count < i || count - i != 2) return Usage("expected a command and a text");
    const std::string command = args[i];
    std::string text = args[i + 1];
    if (text == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) return Usage("cannot read standard input");
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    }
    if (!IsValidUtf8(text)) return Usage("the text is not UTF-8");
    const AString wide = Utf8ToUtf16(text.data(), static_cast<int>(text.size()));

    CDict dict;
    if (command == "readings") {
        dict.LoadToneReadings(dataFolder);
        dict.LoadGbReadings(dataFolder);
        return Readings(dict, wide);
    }
    if (command == "segment" || command == "pinyin" || command == "info") {
        if (!dict.LoadLexicon(dataFolder)) std::fprintf(stderr, "zhorvan-cli: some data files in %s are missing or damaged\n", dataFolder.c_str());
        if (command == "segment") return PrintSegments(dict, wide);
        if (command == "pinyin") return PrintPinyin(dict, wide);
        return PrintInfo(dict, wide, uiLanguage);
    }
    if (command == "big5") {
        dict.InitOnce(dataFolder);
        return Big5(wide);
    }
    return Usage(("unknown command " + command).c_str());
}
