// Segmentation throughput on real Chinese text, and its independence of the
// dictionary's size.
// Usage: bench_segment DATA_FOLDER CORPUS
// CORPUS is UTF-8 man-page source (scripts/bench makes it from the zh_CN
// pages of manpages-zh); the roff markup is stripped and the text converted
// to GBK before timing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/segment.h"
#include "lexicon/word_dict.h"
#include "text/amap.h"
#include "text/gbk.h"

namespace {

using Clock = std::chrono::steady_clock;

// One line of roff source as plain text: comments dropped, a request's name
// dropped, font and character escapes removed.
std::string StripRoffLine(const std::string& line) {
    if (line.rfind(".\\\"", 0) == 0 || line.rfind("'\\\"", 0) == 0) return "";
    size_t i = 0;
    if (!line.empty() && (line[0] == '.' || line[0] == '\'')) {
        i = line.find_first_of(" \t");
        if (i == std::string::npos) return "";
    }
    std::string out;
    for (; i < line.size(); i++) {
        if (line[i] != '\\' || i + 1 >= line.size()) {
            if (line[i] != '"') out += line[i];
            continue;
        }
        const char e = line[++i];
        if (e == 'f' || e == 's') {  // \fB, \f(CW, \s-1
            if (i + 1 < line.size() && line[i + 1] == '(')
                i += 2;
            else if (i + 1 < line.size() && (line[i + 1] == '-' || line[i + 1] == '+'))
                i++;
            i++;
        } else if (e == '(') {
            i += 2;
        } else if (e == '-' || e == 'e' || e == '\\') {
            out += e == 'e' ? '\\' : e;
        } else if (e == '"') {
            break;  // comment to the end of the line
        }
    }
    return out;
}

AString CorpusAsGbk(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line, plain;
    while (std::getline(in, line)) {
        const std::string text = StripRoffLine(line);
        if (!text.empty()) plain += text + "\r\n";
    }
    return GbkFromUtf8(plain, Utf8Decoding::System);
}

// Seconds of CPU time of this thread: unlike wall time, not inflated when
// other processes share the cores.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

struct Rate {
    double cpu;   // MB of GBK text per CPU second, median
    double wall;  // MB per wall-clock second, median
};

Rate Throughput(const CDictTop& dict, const AString& text, int runs, size_t* segmentCount = nullptr) {
    std::vector<double> cpu, wall;
    std::vector<typWordSegment> segments;
    for (int r = 0; r < runs; r++) {
        segments.clear();
        const double c0 = CpuSeconds();
        const auto start = Clock::now();
        SegmentText(dict, text, segments);
        wall.push_back(text.GetLength() / 1e6 / std::chrono::duration<double>(Clock::now() - start).count());
        cpu.push_back(text.GetLength() / 1e6 / (CpuSeconds() - c0));
    }
    if (segmentCount) *segmentCount = segments.size();
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    return {cpu[cpu.size() / 2], wall[wall.size() / 2]};
}

// Keeps about `share` of the real words and adds `extra` made-up words of
// four or five GB2312 characters; with sizeTable the hash table gets buckets
// for the new count, else it keeps those sized for the real dictionary.
void ResizeDictionary(CDict& dict, const std::vector<std::pair<AString, CedictEntry>>& words, double share, int extra,
                      bool sizeTable) {
    dict.WordDictionary.RemoveAll();
    const int expected = static_cast<int>(words.size() * share) + extra;
    dict.WordDictionary.InitHashTable(AHashTableSizeFor(sizeTable ? expected : kExpectedWords));
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> coin(0, 1);
    for (const auto& [w, e] : words)
        if (coin(rng) < share) dict.WordDictionary.SetAt(w, e);
    std::uniform_int_distribution<int> lead(0xB0, 0xD7), trail(0xA1, 0xF9), length(4, 5);
    for (int i = 0; i < extra; i++) {
        std::string w;
        for (int k = length(rng); k > 0; k--) {
            w += static_cast<char>(lead(rng));
            w += static_cast<char>(trail(rng));
        }
        dict.WordDictionary.SetAt(AString::FromBytes(w.data(), static_cast<int>(w.size())), CedictEntry{});
    }
    dict.IndexWords();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_segment DATA_FOLDER CORPUS\n");
        return 2;
    }
    CDict dict;
    if (!dict.LoadLexicon(argv[1])) std::fprintf(stderr, "bench_segment: some data files are missing\n");
    const AString text = CorpusAsGbk(argv[2]);
    if (text.GetLength() < 1000) {
        std::fprintf(stderr, "bench_segment: the corpus %s holds too little text\n", argv[2]);
        return 2;
    }
    size_t segments = 0;
    const Rate full = Throughput(dict, text, 7, &segments);
    std::printf("corpus: %.2f MB of GBK text, %zu segments\n", text.GetLength() / 1e6, segments);
    std::printf("SegmentText, as loaded, %d words: %.1f MB per CPU second, %.1f MB/s wall (medians of 7)\n",
                dict.WordDictionary.GetCount(), full.cpu, full.wall);

    std::vector<std::pair<AString, CedictEntry>> words;
    for (APosition pos = dict.WordDictionary.GetStartPosition(); pos;) {
        const AString* key;
        const CedictEntry* entry;
        dict.WordDictionary.GetNextAssoc(pos, key, entry);
        words.emplace_back(*key, *entry);
    }
    const struct {
        double share;
        int extra;
        bool sizeTable;
    } sizes[] = {{0.125, 0, true}, {0.25, 0, true},   {0.5, 0, true},
                 {1, 0, true},     {1, 360000, true}, {1, 360000, false}};
    for (const auto& s : sizes) {
        ResizeDictionary(dict, words, s.share, s.extra, s.sizeTable);
        const Rate r = Throughput(dict, text, 5);
        std::printf("SegmentText, %6d words, %6d buckets: %5.1f MB per CPU second, %5.1f MB/s wall\n",
                    dict.WordDictionary.GetCount(), dict.WordDictionary.GetHashTableSize(), r.cpu, r.wall);
    }
    return 0;
}
