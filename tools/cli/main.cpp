// zhorvan-cli: the console front end to the lexicon, the reading rules, the
// speech preparation and the code pages. Text comes in and goes out as UTF-8.
//   zhorvan-cli [--data DIR] [--lang N] COMMAND [--context] TEXT     (TEXT "-": standard input)
// --context (readings, prepare): readings from the sentence, as with ContextReadings=1.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "lexicon/dict.h"
#include "lexicon/reading_files.h"
#include "lexicon/syllable.h"
#include "lexicon/word_dict.h"
#include "rules/polyphone_model.h"
#include "speech/speech_scan.h"
#include "text/big5.h"
#include "text/code_pages.h"
#include "text/data_file.h"
#include "text/gbk.h"
#include "text/utf8.h"
#include "tools/cli/cli_platform.h"
#include "tools/cli/display_commands.h"
#include "tools/cli/prepare.h"
#ifdef ZH_HAVE_ESPEAK
#include "tools/cli/speak.h"
#endif

namespace {

// One line on standard error, exit status 2.
int Usage(const char* problem) {
    std::fprintf(stderr,
                 "zhorvan-cli: %s (usage: zhorvan-cli [--data DIR] [--lang 0-3] "
                 "segment|pinyin|info|readings|prepare|big5|speak TEXT|-, or wav TEXT|- FILE; "
                 "readings, prepare, speak and wav take --context)\n",
                 problem);
    return 2;
}

// Runs the speech preparation's scan over the text and prints, for every
// character but blanks, the reading that speech will use (syllable and tone
// digit) or "-" where the rules decline or the character is not read.
int Readings(const CDict& dict, const AString& wide, bool context, const PolyphoneModel* model) {
    const char16_t* u = wide.WideData();
    const int n = wide.GetCharCount();
    std::vector<std::string> decided(static_cast<size_t>(n));
    SpeechScan scan(dict);
    scan.SetContextReadings(context, model);
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
        const int len = p + 1 < n && u[p] >= 0xD800 && u[p] <= 0xDBFF && u[p + 1] >= 0xDC00 && u[p + 1] <= 0xDFFF ? 2 : 1;
        std::cout << Utf16ToUtf8(u + p, len) << '\t' << (r.empty() ? "-" : r) << '\n';
        p += len - 1;
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

// The data a command loads. The marker, the first file it needs, tells the
// folder that holds the data; with everyFile, a file whose absence the
// loaders take as normal counts as missing too.
struct DataNeeds {
    const char* marker;
    bool everyFile;
};

struct Command {
    const char* name;
    DataNeeds data;
};

constexpr Command kCommands[] = {
    {"segment", {kToneMaskFile, true}},   {"pinyin", {kToneMaskFile, true}},   {"info", {kToneMaskFile, true}},
    {"readings", {kToneMaskFile, false}}, {"prepare", {kToneMaskFile, false}}, {"big5", {kBig5TableFile, false}},
#ifdef ZH_HAVE_ESPEAK
    {"speak", {kToneMaskFile, false}},    {"wav", {kToneMaskFile, false}},
#endif
};

bool HasFile(const std::string& folder, const char* name) {
    std::FILE* f = std::fopen(DataFilePath(folder, name).c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

// The missing and damaged files of one folder, as the loaders report them
// while the watch lasts, in the order first reported.
class DataWatch {
public:
    DataWatch(const std::string& folder, bool everyFile) : prefix_(DataFilePath(folder, "")) {
        previous_ = SetDataFileHook([this](const std::string& path, DataFileProblem problem) {
            Add(path, problem == DataFileProblem::Damaged);
        });
        if (everyFile)
            previousRead_ = SetDataFileReadHook([this](const std::string& path, ReadStatus status) {
                if (status != ReadStatus::Ok) Add(path, status == ReadStatus::Damaged);
            });
    }
    ~DataWatch() {
        SetDataFileHook(std::move(previous_));
        SetDataFileReadHook(std::move(previousRead_));
    }
    DataWatch(const DataWatch&) = delete;
    DataWatch& operator=(const DataWatch&) = delete;

    void Add(const std::string& path, bool damaged) {
        std::string name = path.compare(0, prefix_.size(), prefix_) == 0 ? path.substr(prefix_.size()) : path;
        for (auto& [seen, wasDamaged] : files_)
            if (seen == name) {
                wasDamaged = wasDamaged || damaged;
                return;
            }
        files_.emplace_back(std::move(name), damaged);
    }
    bool Empty() const { return files_.empty(); }
    // "missing a, b; damaged c"
    std::string Summary() const {
        std::string out;
        for (const bool damaged : {false, true}) {
            std::string list;
            for (const auto& [name, wasDamaged] : files_)
                if (wasDamaged == damaged) list += (list.empty() ? "" : ", ") + name;
            if (!list.empty()) out += (out.empty() ? "" : "; ") + std::string(damaged ? "damaged " : "missing ") + list;
        }
        return out;
    }

private:
    std::string prefix_;
    std::vector<std::pair<std::string, bool>> files_;  // name, damaged
    DataFileHook previous_;
    DataFileReadHook previousRead_;
};

// One line on standard error naming where the data was looked for, exit status 2.
int DataProblem(const std::string& where, const DataWatch& watch) {
    std::fprintf(stderr, "zhorvan-cli: cannot use the data in %s: %s\n", where.c_str(), watch.Summary().c_str());
    return 2;
}

// Loads what the command needs into dict.
void LoadData(const std::string& command, const std::string& folder, CDict& dict, DataWatch& watch) {
    if (command == "big5") {
        dict.InitOnce(folder);
    } else if (command == "readings" || command == "prepare") {
        dict.LoadToneReadings(folder);
        dict.LoadGbReadings(folder);
    } else {
        dict.LoadLexicon(folder);
        // The word list and its cache are read without the read hook: no
        // words means neither gave any.
        if (dict.WordDictionary.GetCount() == 0)
            watch.Add(DataFilePath(folder, kWordListFile), HasFile(folder, kWordListFile));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = Utf8Arguments(argc, argv);
    bool context = false;
    for (size_t a = 1; a + 1 < args.size();) {
        if (args[a] == "--context") {
            context = true;
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(a));
        } else {
            a++;
        }
    }
    const size_t count = args.size();
    std::vector<std::string> folders = DataFolderCandidates();
    int uiLanguage = 0;
    size_t i = 1;
    for (; i + 1 < count && args[i].rfind("--", 0) == 0; i += 2) {
        if (args[i] == "--data") {
            folders = {args[i + 1]};
        } else if (args[i] == "--lang" && args[i + 1].size() == 1 && args[i + 1][0] >= '0' && args[i + 1][0] <= '3') {
            uiLanguage = args[i + 1][0] - '0';
        } else {
            return Usage(("bad option " + args[i]).c_str());
        }
    }
    const bool wav = i < count && args[i] == "wav";
    if (count < i || count - i != (wav ? 3u : 2u)) return Usage(wav ? "expected wav, a text and a file" : "expected a command and a text");
    const std::string command = args[i];
    std::string text = args[i + 1];
    if (text == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) return Usage("cannot read standard input");
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    }
    if (!IsValidUtf8(text)) return Usage("the text is not UTF-8");
    const std::u16string decoded = Utf8ToUnits(text);
    const AString wide(decoded.data(), static_cast<int>(decoded.size()));
    const std::u16string_view units(decoded);

    const Command* found = nullptr;
    for (const Command& c : kCommands)
        if (command == c.name) found = &c;
    if (!found) return Usage(("unknown command " + command).c_str());

    // The first folder that holds the marker; without one, the first folder,
    // and the message names every folder looked in.
    std::string folder = folders.empty() ? std::string() : folders.front();
    std::string where;
    for (const std::string& f : folders) {
        where += (where.empty() ? "" : " or ") + (f.empty() ? std::string(".") : f);
        if (HasFile(f, found->data.marker)) {
            folder = f;
            where = f;
            break;
        }
    }
    if (folders.empty()) where = ".";

    CDict dict;
    {
        DataWatch watch(folder, found->data.everyFile);
        LoadData(command, folder, dict, watch);
        if (!watch.Empty()) return DataProblem(where, watch);
    }
    if (context && command != "readings" && command != "prepare" && command != "speak" && command != "wav")
        return Usage("--context is for readings, prepare, speak and wav");
    PolyphoneModel model;
    if (context) {
        dict.LoadWordDictionary(folder);
        std::string error;
        if (!model.Load(DataFilePath(folder, kPolyphoneModelFile), error))
            std::fprintf(stderr, "zhorvan-cli: the polyphone model is not used: %s\n", error.c_str());
    }
    if (command == "readings") return Readings(dict, wide, context, &model);
    if (command == "prepare") return PrintPreparedPieces(dict, wide, std::cout, context, &model);
#ifdef ZH_HAVE_ESPEAK
    if (command == "speak") return SpeakText(dict, wide, std::string(), std::cout, nullptr, context, &model);
    if (command == "wav") return SpeakText(dict, wide, args[i + 2], std::cout, nullptr, context, &model);
#endif
    if (command == "segment") return PrintSegments(dict, units);
    if (command == "pinyin") return PrintPinyin(dict, units);
    if (command == "info") return PrintInfo(dict, units, uiLanguage);
    return Big5(units);
}
