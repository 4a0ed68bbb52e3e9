// Load time of the three reading files and lookup rates of the reading
// queries. Usage: bench_readings [DATA_FOLDER]
// Without a folder, synthetic files of the full data set's size are written
// to a temporary folder first: 20,000 characters with 1-6 readings in the
// tone files (three quarters with masks, one quarter with orders) and 6,763
// GB2312 characters in ch2py.bin.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/reading_files.h"
#include "lexicon/representative.h"
#include "text/data_file.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Every GBK double-byte key, in code order.
std::vector<CharKey> AllGbkKeys() {
    std::vector<CharKey> keys;
    for (int lead = 0x81; lead <= 0xFE; lead++)
        for (int trail = 0x40; trail <= 0xFE; trail++) {
            const auto l = static_cast<unsigned char>(lead), t = static_cast<unsigned char>(trail);
            if (IsGbkPair(l, t)) keys.push_back(MakeCharKey(l, t));
        }
    return keys;
}

// A stored spelling: a real syllable, in compact form now and then.
std::string Syllable(std::mt19937& rng) {
    std::string s = RepresentativeTable[rng() % kRepresentativeRows].syllable;
    if (rng() % 4 == 0 && s.size() > 3 && s.compare(s.size() - 2, 2, "ng") == 0) s.erase(s.size() - 2, 1);
    return s;
}

int ReadingCount(std::mt19937& rng) {
    static const int kWeights[] = {80, 12, 4, 2, 1, 1};  // 1..6 readings
    int r = static_cast<int>(rng() % 100);
    for (int n = 0; n < 6; n++)
        if ((r -= kWeights[n]) < 0) return n + 1;
    return 1;
}

bool WriteSynthetic(const std::string& folder) {
    std::mt19937 rng(7);
    std::vector<CharKey> keys = AllGbkKeys();
    std::vector<ToneReadingRecord> masks, orders;
    for (int i = 0; i < 20000; i++) {
        ToneReadingRecord r;
        r.key = keys[static_cast<size_t>(i)];
        bool ordered = i % 4 == 3;
        for (int n = ReadingCount(rng); n > 0; n--) {
            r.readings.push_back(Syllable(rng));
            std::vector<int> tones = {1 + static_cast<int>(rng() % 5)};
            if (rng() % 3 == 0) tones.push_back(1 + static_cast<int>(rng() % 5));
            r.toneData.push_back(ordered ? MakeToneOrder(tones) : MakeToneMask(tones));
        }
        r.commonFlags = static_cast<std::uint8_t>(rng() % 8 == 0);
        (ordered ? orders : masks).push_back(std::move(r));
    }
    std::vector<GbReadingRecord> gb;
    for (int lead = 0xB0; lead <= 0xF7 && gb.size() < 6763; lead++)
        for (int trail = 0xA1; trail <= 0xFE && gb.size() < 6763; trail++) {
            const auto l = static_cast<unsigned char>(lead), t = static_cast<unsigned char>(trail);
            GbReadingRecord r{MakeCharKey(l, t), {}};
            for (int n = ReadingCount(rng); n > 0; n--) r.readings.push_back(Syllable(rng));
            gb.push_back(std::move(r));
        }
    return WriteToneReadingFile(DataFilePath(folder, kToneMaskFile), masks, false) &&
           WriteToneReadingFile(DataFilePath(folder, kToneOrderFile), orders, true) &&
           WriteGbReadingFile(DataFilePath(folder, kGbReadingFile), gb);
}

// Runs `pass` (one sweep of `perPass` lookups) for at least half a second.
template <class Pass>
void Rate(const char* name, size_t perPass, Pass pass) {
    long long sink = 0, lookups = 0;
    Clock::time_point start = Clock::now();
    do {
        sink += pass();
        lookups += static_cast<long long>(perPass);
    } while (Seconds(start) < 0.5);
    double s = Seconds(start);
    std::printf("%-28s %8.2f M lookups/s  (%.0f ns each; checksum %lld)\n", name, lookups / s / 1e6, s / lookups * 1e9,
                sink);
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::string folder;
    fs::path temp;
    if (argc > 1) {
        folder = argv[1];
    } else {
        std::error_code ec;
        temp = fs::temp_directory_path(ec) / ("zh_bench_readings_" + std::to_string(std::random_device{}()));
        fs::create_directories(temp, ec);
        folder = temp.string();
        if (ec || !WriteSynthetic(folder)) {
            std::fprintf(stderr, "cannot write synthetic files to %s\n", folder.c_str());
            return 2;
        }
        std::printf("synthetic data in %s\n", folder.c_str());
    }
    for (const char* name : {kToneMaskFile, kToneOrderFile, kGbReadingFile}) {
        std::error_code ec;
        auto size = fs::file_size(DataFilePath(folder, name), ec);
        std::printf("  %-14s %8lld bytes\n", name, ec ? -1LL : static_cast<long long>(size));
    }

    CDict dict;
    dict.InitOnce(folder);  // the Big5 table is not part of this measurement
    int problems = 0;
    SetDataFileHook([&](const std::string& path, DataFileProblem p) {
        if (problems++ == 0)
            std::printf("  %s: %s\n", path.c_str(), p == DataFileProblem::Missing ? "missing" : "damaged");
    });
    std::vector<double> times;
    for (int i = 0; i < 30; i++) {
        Clock::time_point start = Clock::now();
        dict.LoadToneReadings(folder);
        dict.LoadGbReadings(folder);
        times.push_back(Seconds(start) * 1e3);
    }
    std::sort(times.begin(), times.end());
    std::printf("load of the three files     median %.2f ms, best %.2f ms (30 runs, %d file problems)\n",
                times[times.size() / 2], times[0], problems);
    std::printf("  %d + %d tone records, %d GB2312 characters\n", dict.ToneMaskRecords.GetCount(),
                dict.ToneOrderRecords.GetCount(), dict.GbReadingMap.GetCount());

    // Every GBK key (hits and misses), and one known reading per tone record.
    std::vector<CharKey> keys = AllGbkKeys();
    std::vector<std::pair<CharKey, AString>> asked;
    AStringArray readings;
    for (CharKey k : keys)
        if (dict.GetReadings(k, readings) > 0) asked.emplace_back(k, readings[readings.GetSize() - 1]);
    std::printf("  %zu of %zu GBK keys have readings\n", asked.size(), keys.size());

    Rate("GetReadings", keys.size(), [&] {
        long long n = 0;
        for (CharKey k : keys) n += dict.GetReadings(k, readings);
        return n;
    });
    AString symbols;
    Rate("GetToneSymbols", asked.size(), [&] {
        long long n = 0;
        for (const auto& [k, syllable] : asked)
            n += dict.GetToneSymbols(k, syllable, symbols, true) ? symbols.GetLength() : 0;
        return n;
    });
    Rate("IsGb2312Char", keys.size(), [&] {
        long long n = 0;
        for (CharKey k : keys) n += dict.IsGb2312Char(k);
        return n;
    });

    if (!temp.empty()) {
        std::error_code ec;
        fs::remove_all(temp, ec);
    }
    return 0;
}
