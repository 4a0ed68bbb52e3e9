// zhorvan-cli: the console front end to the lexicon, the reading rules, the
// speech preparation and the code pages. Text comes in and goes out as UTF-8.
//   zhorvan-cli [--data DIR] [--lang N] COMMAND TEXT     (TEXT "-": standard input)
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "lexicon/dict.h"
#include "lexicon/syllable.h"
#include "speech/speech_scan.h"
#include "text/big5.h"
#include "text/code_pages.h"
#include "text/gbk.h"
#include "text/utf8.h"
#include "tools/cli/cli_platform.h"
#include "tools/cli/display_commands.h"
#include "tools/cli/prepare.h"

namespace {

// One line on standard error, exit status 2.
int Usage(const char* problem) {
    std::fprintf(stderr,
                 "zhorvan-cli: %s (usage: zhorvan-cli [--data DIR] [--lang 0-3] "
                 "segment|pinyin|info|readings|prepare|big5 TEXT|-)\n",
                 problem);
    return 2;
}

// Runs the speech preparation's scan over the text and prints, for every
// character but blanks, the reading that speech will use (syllable and tone
// digit) or "-" where the rules decline or the character is not read.
int Readings(const CDict& dict, const AString& wide) {
    const char16_t* u = wide.WideData();
    const int n = wide.GetCharCount();
    std::vector<std::string> decided(static_cast<size_t>(n));
    SpeechScan scan(dict);
    scan.SetReadingSink([&](int pos, const AString&, const AString& pinyin, int tone) {
        if (pinyin.IsEmpty() || pos < 0 || pos >= n) return;
        AString syllable = pinyin;
        ExpandSyllable(syllable);
        decided[static_cast<size_t>(pos)] = std::string(syllable.GetString()) + static_cast<char>('0' + tone);
    });
    scan.Start(wide);
    while (!scan.Finished()) scan.Step(nullptr);
    for (int p = 0; p < n; p++) {
        if (IsLookAheadBlank(u[p]) || u[p] == u'\n' || u[p] == u'\t') continue;
        const std::string& r = decided[static_cast<size_t>(p)];
        std::cout << Utf16ToUtf8(u + p, 1) << '\t' << (r.empty() ? "-" : r) << '\n';
    }
    return 0;
}

// The text in traditional characters through the Big5 table and its context
// rules; characters without a Big5 form become a white square.
int Big5(std::u16string_view units) {
    const AString gbk = GbkFromUtf16(units);
    const auto* b = reinterpret_cast<const unsigned char*>(gbk.GetString());
    const int len = gbk.GetLength();
    std::vector<DoubleByteCode> codes;  // single bytes with lead byte 0
    for (int i = 0; i < len; ++i) {
        if (i + 1 < len && IsGbkPair(b[i], b[i + 1])) {
            codes.emplace_back(b[i], b[i + 1]);
            ++i;
        } else {
            codes.emplace_back(0, b[i]);
        }
    }
    auto at = [&](size_t i) { return i < codes.size() ? codes[i] : DoubleByteCode(); };
    std::string big5;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].Lead() == 0) {
            big5 += static_cast<char>(codes[i].Trail());
            continue;
        }
        const DoubleByteCode c = GbkToBig5(codes[i], at(i - 1), at(i - 2), at(i + 1), at(i + 2));
        big5 += static_cast<char>(c.Lead());
        big5 += static_cast<char>(c.Trail());
    }
    std::cout << GbkToUtf8(GbkToUiText(big5.c_str(), static_cast<int>(big5.size()), kCodePageBig5)) << "\n";
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
    const std::u16string_view units(wide.WideData(), static_cast<size_t>(wide.GetCharCount()));

    CDict dict;
    if (command == "readings" || command == "prepare") {
        dict.LoadToneReadings(dataFolder);
        dict.LoadGbReadings(dataFolder);
        if (command == "readings") return Readings(dict, wide);
        return PrintPreparedPieces(dict, wide);
    }
    if (command == "segment" || command == "pinyin" || command == "info") {
        if (!dict.LoadLexicon(dataFolder))
            std::fprintf(stderr, "zhorvan-cli: some data files in %s are missing or damaged\n", dataFolder.c_str());
        if (command == "segment") return PrintSegments(dict, units);
        if (command == "pinyin") return PrintPinyin(dict, units);
        return PrintInfo(dict, units, uiLanguage);
    }
    if (command == "big5") {
        dict.InitOnce(dataFolder);
        return Big5(units);
    }
    return Usage(("unknown command " + command).c_str());
}
