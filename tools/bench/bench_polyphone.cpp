// Readings of labelled polyphonic characters (one a sentence, marked ▁X▁)
// as the speech preparation chooses them, and the polyphone model's speed.
// Usage: bench_polyphone DATA_FOLDER DEV_FOLDER   (DEV_FOLDER: dev.sent, dev.lb)
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "lexicon/syllable.h"
#include "rules/context_readings.h"
#include "rules/polyphone_model.h"
#include "speech/speech_scan.h"
#include "text/code_pages.h"
#include "text/data_file.h"
#include "text/gbk.h"
#include "tools/bench/polyphone_dev.h"

namespace {

using polyphone_dev::Item;
using Clock = std::chrono::steady_clock;

// The reading the scan decides at pos ("" when it declines).
std::string ScanReading(const CDictTop& dict, const Item& it, bool context, const PolyphoneModel* model) {
    SpeechScan scan(dict);
    scan.SetContextReadings(context, model);
    std::string got;
    scan.SetReadingSink([&](int pos, const AString&, const AString& pinyin, int tone) {
        if (pos != it.pos || pinyin.IsEmpty()) return;
        AString s = pinyin;
        ExpandSyllable(s);
        got = std::string(s.GetString()) + static_cast<char>('0' + (tone == 0 ? 5 : tone));
    });
    scan.Start(AString::FromBytes(reinterpret_cast<const char*>(it.text.data()), static_cast<int>(2 * it.text.size())));
    while (!scan.Finished()) scan.Step(nullptr);
    return got;
}

std::string FirstReading(const CDictTop& dict, char16_t unit) {
    const CharKey key = WideCharToGbk(unit);
    CharReadings readings;
    if (key) GetCharReadings(dict, key, readings);
    if (readings.empty()) return "";
    return std::string(readings[0].first.GetString()) + static_cast<char>('0' + readings[0].second);
}

double Share(int right, int of) { return of ? 100.0 * right / of : 0.0; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_polyphone DATA_FOLDER DEV_FOLDER\n");
        return 2;
    }
    const std::string data = argv[1];
    std::vector<Item> items;
    CDict dict;
    PolyphoneModel model;
    if (!polyphone_dev::LoadAll("bench_polyphone", data, argv[2], items, dict, model)) return 2;

    int ruled = 0, ruledRight = 0, rulesFirst = 0, contextFirst = 0, modelRight = 0;
    for (const Item& it : items) {
        const std::string first = FirstReading(dict, it.text[static_cast<size_t>(it.pos)]);
        const std::string rules = ScanReading(dict, it, false, nullptr);
        if (!rules.empty()) {
            ruled++;
            ruledRight += rules == it.label;
        }
        rulesFirst += (rules.empty() ? first : rules) == it.label;
        const std::string context = ScanReading(dict, it, true, &model);
        contextFirst += (context.empty() ? first : context) == it.label;

        // The model alone over the whole line, among its own candidates.
        std::vector<float> f;
        model.Features(it.text.data(), static_cast<int>(it.text.size()), f);
        if (const auto* cands = model.Candidates(it.text[static_cast<size_t>(it.pos)])) {
            int best = -1;
            float bestScore = 0;
            for (std::uint16_t c : *cands) {
                const float s = model.Score(&f[static_cast<size_t>(it.pos) * kModelFeatures], c);
                if (best < 0 || s > bestScore) best = c, bestScore = s;
            }
            modelRight += best >= 0 && model.ClassName(best) == it.label;
        }
    }
    const int n = static_cast<int>(items.size());
    std::printf("%d labelled characters\n", n);
    std::printf("rules where they decide            %6.2f %%  (%d of %d decided, %.1f %% of all)\n",
                Share(ruledRight, ruled), ruledRight, ruled, Share(ruled, n));
    std::printf("rules, else the first reading      %6.2f %%  (%d)\n", Share(rulesFirst, n), rulesFirst);
    std::printf("--context, else the first reading  %6.2f %%  (%d)\n", Share(contextFirst, n), contextFirst);
    std::printf("model alone, its own candidates    %6.2f %%  (%d)\n", Share(modelRight, n), modelRight);

    // Speed: the features of every sentence, plus the scores at the labelled position.
    long long chars = 0;
    double sum = 0;
    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    std::vector<float> f;
    do {
        for (const Item& it : items) {
            model.Features(it.text.data(), static_cast<int>(it.text.size()), f);
            sum += model.Score(&f[static_cast<size_t>(it.pos) * kModelFeatures], 0);
            chars += static_cast<long long>(it.text.size());
        }
    } while (std::chrono::duration<double>(Clock::now() - start).count() < 2.0);
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // CPU time counts what one core gives when other work shares the machine.
    std::printf(
        "model speed                        %.0f chars/s of CPU time, %.0f chars/s of wall time (checksum %.3g)\n",
        chars / cpu, chars / s, sum);
    return 0;
}
