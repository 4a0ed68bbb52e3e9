// Start-up load of the whole lexicon: from the word list (cold, no cache) and
// from the cache, with the peak resident memory of a process that loads once.
// Usage: bench_lexicon [DATA_FOLDER]
// The folder's files are copied to a temporary folder first, so its own cache
// is left alone. Without a folder, a synthetic word list of 120,000 lines is
// used (and no other data files).
// Internal: bench_lexicon --once FOLDER loads once and prints VmHWM.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/reading_files.h"
#include "lexicon/representative.h"
#include "lexicon/word_dict.h"
#include "text/utf8.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

std::string PeakResident() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
    return " unknown";
}

// 120,000 CEDICT-style lines: 2-4 common CJK characters, a syllable with a
// tone each, 1-4 English senses; some headwords repeat as in the real list.
bool WriteSyntheticList(const std::string& path) {
    static const char* const kSenses[] = {"to go",      "person",  "big",
                                          "small",      "water",   "fire",
                                          "to speak",   "country", "(classifier for flat objects)",
                                          "surname Li", "good",    "variant of something",
                                          "old",        "new",     "to be able to"};
    std::mt19937 rng(11);
    std::string text = "# synthetic word list\n";
    for (int i = 0; i < 120000; i++) {
        int n = 2 + static_cast<int>(rng() % 3);
        std::string head, pinyin;
        for (int c = 0; c < n; c++) {
            AppendUtf8(head, 0x4E00 + rng() % 0x51A5);
            if (c) pinyin += ' ';
            pinyin += RepresentativeTable[rng() % kRepresentativeRows].syllable;
            pinyin += static_cast<char>('1' + rng() % 5);
        }
        text += head + " " + head + " [" + pinyin + "] /";
        for (int s = 1 + static_cast<int>(rng() % 4); s > 0; s--) text += std::string(kSenses[rng() % 15]) + "/";
        text += "\n";
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// Wall time of one load; its processor time is added to *cpuMs.
double LoadOnce(const std::string& folder, int* words, double* cpuMs = nullptr) {
    std::clock_t cpu = std::clock();
    Clock::time_point start = Clock::now();
    CDict dict;
    dict.LoadLexicon(folder);
    double ms = Ms(start);
    if (cpuMs) *cpuMs = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    if (words) *words = dict.WordDictionary.GetCount();
    CDictTop::LexiconLoaded = false;
    return ms;
}

void Report(const char* name, std::vector<double> ms, std::vector<double> cpu) {
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-30s wall median %7.1f ms, best %7.1f ms; cpu median %7.1f ms (%zu runs)\n", name, ms[ms.size() / 2],
                ms[0], cpu[cpu.size() / 2], ms.size());
}

// Peak resident memory of a fresh process that loads the folder once.
void PeakOfOneLoad(const char* self, const std::string& folder, const char* what) {
    std::printf("%-34s", what);
    std::fflush(stdout);
    std::string command = "\"" + std::string(self) + "\" --once \"" + folder + "\"";
    if (std::system(command.c_str()) != 0) std::printf(" (failed)\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--once") {
        int words = 0;
        double ms = LoadOnce(argv[2], &words);
        std::printf(" VmHWM%s (%d words, %.1f ms)\n", PeakResident().c_str(), words, ms);
        return 0;
    }
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec) / ("zh_bench_lexicon_" + std::to_string(std::random_device{}()));
    fs::create_directories(temp, ec);
    const std::string folder = temp.string();
    if (argc > 1) {
        for (const fs::directory_entry& e : fs::directory_iterator(argv[1], ec))
            if (e.is_regular_file(ec)) fs::copy_file(e.path(), temp / e.path().filename(), ec);
        std::printf("data copied from %s\n", argv[1]);
    } else if (!WriteSyntheticList(DataFilePath(folder, kWordListFile))) {
        std::fprintf(stderr, "cannot write %s\n", folder.c_str());
        return 2;
    } else {
        std::printf("synthetic word list of 120,000 lines\n");
    }
    for (const fs::directory_entry& e : fs::directory_iterator(temp, ec))
        std::printf("  %-26s %10lld bytes\n", e.path().filename().string().c_str(),
                    static_cast<long long>(e.file_size(ec)));

    const std::string cache = DataFilePath(folder, kWordCacheFile);
    int words = 0;
    std::vector<double> cold, warm, coldCpu, warmCpu;
    double cpu = 0;
    for (int i = 0; i < 5; i++) {
        fs::remove(cache, ec);
        cold.push_back(LoadOnce(folder, &words, &cpu));
        coldCpu.push_back(cpu);
    }
    for (int i = 0; i < 10; i++) {
        warm.push_back(LoadOnce(folder, nullptr, &cpu));
        warmCpu.push_back(cpu);
    }
    std::printf("%d words; cache %lld bytes\n", words, static_cast<long long>(fs::file_size(cache, ec)));
    Report("LoadLexicon, word list parsed", cold, coldCpu);
    Report("LoadLexicon, from the cache", warm, warmCpu);

    PeakOfOneLoad(argv[0], folder, "one load from the cache");
    fs::remove(cache, ec);
    PeakOfOneLoad(argv[0], folder, "one load parsing the word list");
    fs::remove_all(temp, ec);
    return 0;
}
