// What a listener hears: for a seeded sample of the labelled polyphones of the
// development split, whether espeak-ng's Mandarin voice (the one the espeak-ng
// voice back end chooses) says the labelled character with the label's
// syllable and tone, for the raw sentence, the prepared text (the rules'
// representatives) and the prepared text with readings from the sentence.
//
// What is measured: the voice reads Han text character by character, one word
// (one syllable) each, with tone sandhi and the neutral tone's pitch taken
// from the neighbours. The labelled character is spoken in a window of the
// Han characters around it (at most kWindow either side, within its run of
// Han characters) of the variant's text, and espeak-ng's phonemes (its
// phoneme trace, the -x mnemonics) are split into words. The same window with
// the labelled character written as the label's pinyin ("hang2", which this
// voice reads as pinyin) gives the reference. Right means that the two
// windows give the same phonemes at the labelled character: same syllable,
// same tone contour in the same context. Where a window does not give one
// word per character, the character with one neighbour each side, then the
// character alone, is spoken instead.
//
// Usage: bench_listener DATA_FOLDER DEV_FOLDER [COUNT [SEED]]   (default 500 and 16)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <espeak-ng/speak_lib.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "lexicon/syllable.h"
#include "rules/context_readings.h"
#include "rules/polyphone_model.h"
#include "speech/espeak_voice.h"
#include "speech/speech_scan.h"
#include "text/data_file.h"
#include "text/gbk.h"
#include "text/utf8.h"
#include "tools/bench/polyphone_dev.h"

namespace {

using polyphone_dev::Item;

constexpr int kWindow = 8;

bool IsHan(char16_t u) {
    return (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF);
}

std::string U8(const std::u16string& s) { return Utf16ToUtf8(s); }

// espeak-ng's phoneme words of texts spoken by the Mandarin voice, remembered.
class Phonemes {
public:
    explicit Phonemes(EspeakVoiceSystem& system) {
        system.SetAudioSink([](const short*, int) { return true; });
        system.CreateVoice(voice_);
        std::vector<VoiceTokenPtr> tokens;
        system.EnumTokens(kVoiceCategoryId, u"Language=804", nullptr, tokens);
        if (voice_ && !tokens.empty()) voice_->SetVoice(tokens.front());
    }
    bool Ready() const { return voice_ != nullptr; }

    const std::vector<std::string>& Words(const std::u16string& text) {
        auto [it, fresh] = memo_.try_emplace(text);
        if (!fresh) return it->second;
        std::FILE* trace = std::tmpfile();
        espeak_SetPhonemeTrace(espeakPHONEMES_SHOW, trace);
        voice_->Speak(text.c_str(), 0, nullptr);
        espeak_SetPhonemeTrace(0, nullptr);
        std::rewind(trace);
        std::string word;
        for (int c; (c = std::fgetc(trace)) != EOF;) {
            if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
                if (!word.empty()) it->second.push_back(word);
                word.clear();
            } else {
                word += static_cast<char>(c);
            }
        }
        if (!word.empty()) it->second.push_back(word);
        std::fclose(trace);
        syntheses_++;
        return it->second;
    }
    int Syntheses() const { return syntheses_; }

private:
    std::unique_ptr<Voice> voice_;
    std::map<std::u16string, std::vector<std::string>> memo_;
    int syntheses_ = 0;
};

// A phoneme word without its stress marks, tone digits and word end: "l'Au214_|" -> "lAu".
std::string Segments(const std::string& w) {
    std::string s;
    for (char c : w)
        if (!(c >= '0' && c <= '9') && c != '\'' && c != ',' && c != '_' && c != '|') s += c;
    return s;
}

std::string ToneDigits(const std::string& w) {
    std::string s;
    for (char c : w)
        if (c >= '0' && c <= '9') s += c;
    return s;
}

// Reads phoneme words back as pinyin: the segments of every syllable of the
// representative table as the voice says its pinyin, and the tone contours.
class Decoder {
public:
    explicit Decoder(Phonemes& ph) {
        for (const RepresentativeRow& row : RepresentativeTable) {
            const auto& w = ph.Words(Utf8ToUnits(std::string(row.syllable) + "1"));
            if (w.size() == 1) syllables_.try_emplace(Segments(w[0]), row.syllable);
        }
    }
    // "lao3", "xing2", or the segments with "?" where they are no syllable of the table.
    std::string Reading(const std::string& word) const {
        const auto s = syllables_.find(Segments(word));
        const std::string t = ToneDigits(word);
        const char tone = t == "55"                         ? '1'
                          : t == "35"                       ? '2'
                          : (t == "214" || t == "21")       ? '3'
                          : t == "51"                       ? '4'
                          : (t.size() == 2 && t[0] == t[1]) ? '5'
                                                            : '?';
        return (s == syllables_.end() ? Segments(word) + "?" : s->second) + tone;
    }

private:
    std::map<std::string, std::string> syllables_;
};

// What the speech preparation makes of an item's sentence: the prepared units
// (same length as the text) and the reading decided at the labelled character.
struct Prepared {
    std::u16string text;
    std::string reading;                // "hang2", empty where nothing was decided
    std::vector<std::string> readings;  // of every unit
};

Prepared Prepare(const CDictTop& dict, const Item& it, bool context, const PolyphoneModel* model,
                 bool keepFirstReadings) {
    Prepared p{it.text, {}, std::vector<std::string>(it.text.size())};
    SpeechScan scan(dict);
    scan.SetContextReadings(context, model, keepFirstReadings);
    scan.SetReadingSink([&](int pos, const AString&, const AString& pinyin, int tone) {
        if (pos < 0 || pos >= static_cast<int>(p.readings.size()) || pinyin.IsEmpty()) return;
        AString s = pinyin;
        ExpandSyllable(s);
        p.readings[static_cast<size_t>(pos)] =
            std::string(s.GetString()) + static_cast<char>('0' + (tone == 0 ? 5 : tone));
    });
    scan.Start(AString::FromBytes(reinterpret_cast<const char*>(it.text.data()), static_cast<int>(2 * it.text.size())));
    while (!scan.Finished())
        scan.Step([&](int, const AString& piece, int offset) {
            const auto* u = reinterpret_cast<const char16_t*>(piece.GetString());
            for (int i = 0; i < piece.GetLength() / 2 && offset / 2 + i < static_cast<int>(p.text.size()); i++)
                p.text[static_cast<size_t>(offset / 2 + i)] = u[i];
        });
    p.reading = p.readings[static_cast<size_t>(it.pos)];
    return p;
}

// The voice's phoneme word for text[pos] and the reference word for the
// reading spoken in its place; aligned false when no window gives one word
// per character.
struct Heard {
    bool aligned = false;
    int fallback = 0;  // 0 window, 1 one neighbour each side, 2 alone
    std::string said, reference;
};

Heard Listen(Phonemes& ph, const std::u16string& text, int pos, const std::string& reading) {
    int a = pos, b = pos + 1;
    while (a > 0 && pos - a < kWindow && IsHan(text[static_cast<size_t>(a - 1)])) a--;
    while (b < static_cast<int>(text.size()) && b - pos <= kWindow && IsHan(text[static_cast<size_t>(b)])) b++;
    const std::u16string pinyin = Utf8ToUnits(" " + reading + " ");
    Heard h;
    for (h.fallback = 0; h.fallback < 3; h.fallback++) {
        if (h.fallback == 1) a = std::max(a, pos - 1), b = std::min(b, pos + 2);
        if (h.fallback == 2) a = pos, b = pos + 1;
        const std::u16string window = text.substr(static_cast<size_t>(a), static_cast<size_t>(b - a));
        const std::u16string ref =
            window.substr(0, static_cast<size_t>(pos - a)) + pinyin + window.substr(static_cast<size_t>(pos - a + 1));
        const auto& said = ph.Words(window);
        const auto& expected = ph.Words(ref);
        if (said.size() != window.size() || expected.size() != window.size()) continue;
        h.aligned = true;
        h.said = said[static_cast<size_t>(pos - a)];
        h.reference = expected[static_cast<size_t>(pos - a)];
        return h;
    }
    return h;
}

double Share(int right, int of) { return of ? 100.0 * right / of : 0.0; }

struct Tally {
    int right = 0, syllableRight = 0, aligned = 0, fallback[3] = {};
    // The characters said otherwise, by what the preparation did there.
    enum Why { WrongReading, Kept, NoRepresentative, Representative, Undecided, Whys };
    int wrong[Whys] = {};
    std::map<std::string, int> keptSaid;  // characters handed over themselves: "咳 ke2 said hai1"
};

// Per representative and reading: how often the sample handed it to the voice, and how often said otherwise.
struct RepUse {
    int used = 0, wrong = 0;
    std::map<std::string, int> said;
};

struct NoRep {
    int count = 0, right[4] = {};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: bench_listener DATA_FOLDER DEV_FOLDER [COUNT [SEED]]\n");
        return 2;
    }
    const std::string data = argv[1];
    const int count = argc > 3 ? std::atoi(argv[3]) : 500;
    const unsigned seed = argc > 4 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)) : 16u;
    std::vector<Item> items;
    CDict dict;
    PolyphoneModel model;
    if (!polyphone_dev::LoadAll("bench_listener", data, argv[2], items, dict, model)) return 2;
    EspeakVoiceSystem voices;
    if (!voices.Ready()) {
        std::fprintf(stderr, "bench_listener: espeak-ng or its voices are missing\n");
        return 2;
    }
    Phonemes ph(voices);
    if (!ph.Ready()) {
        std::fprintf(stderr, "bench_listener: no espeak-ng voice\n");
        return 2;
    }
    const Decoder decode(ph);

    // The sample: a partial Fisher-Yates shuffle of the line numbers, in line order.
    std::vector<int> order(items.size());
    for (size_t i = 0; i < order.size(); i++) order[i] = static_cast<int>(i);
    std::mt19937 rng(seed);
    const int n = std::min(count, static_cast<int>(items.size()));
    for (int i = 0; i < n; i++)
        std::swap(order[static_cast<size_t>(i)], order[i + rng() % (order.size() - static_cast<size_t>(i))]);
    order.resize(static_cast<size_t>(n));
    std::sort(order.begin(), order.end());

    // --context as the program prepares it for this voice (which does not say
    // first readings), and as it would for a voice that does.
    static const char* const kNames[4] = {"raw text", "prepared text", "prepared, --context",
                                          "--context, first kept"};
    Tally tally[4];
    std::map<std::pair<std::string, std::string>, RepUse> reps;  // (representative, reading)
    std::map<std::string, NoRep> noRep;                          // label readings without a representative
    std::map<std::string, std::pair<int, int>> decidedNoRep;     // decided readings without one: prepared, --context
    for (int line : order) {
        const Item& it = items[static_cast<size_t>(line)];
        const char16_t original = it.text[static_cast<size_t>(it.pos)];
        Prepared variants[4] = {
            {it.text, {}, {}},
            Prepare(dict, it, false, nullptr, true),
            Prepare(dict, it, true, &model, voices.SaysFirstReadings()),
            Prepare(dict, it, true, &model, true),
        };
        AString labelSyllable(it.label.substr(0, it.label.size() - 1).c_str()), rep;
        GetRepresentativeChar(rep, labelSyllable, it.label.back() - '1');
        const bool labelHasRep = rep.GetLength() == 2;
        if (!labelHasRep) noRep[it.label].count++;
        for (int v = 0; v < 4; v++) {
            const Prepared& p = variants[v];
            const Heard h = Listen(ph, p.text, it.pos, it.label);
            Tally& t = tally[v];
            if (h.aligned) {
                t.aligned++;
                t.fallback[h.fallback]++;
                t.right += h.said == h.reference;
                t.syllableRight += Segments(h.said) == Segments(h.reference);
                if (!labelHasRep) noRep[it.label].right[v] += h.said == h.reference;
            }
            const char16_t spoken = p.text[static_cast<size_t>(it.pos)];
            if (v > 0 && !(h.aligned && h.said == h.reference)) {
                AString syllable(p.reading.empty() ? "" : p.reading.substr(0, p.reading.size() - 1).c_str());
                if (!p.reading.empty()) GetRepresentativeChar(rep, syllable, p.reading.back() - '1');
                const Tally::Why why = p.reading.empty()       ? Tally::Undecided
                                       : p.reading != it.label ? Tally::WrongReading
                                       : spoken != original    ? Tally::Representative
                                       : rep.IsEmpty()         ? Tally::NoRepresentative
                                                               : Tally::Kept;
                t.wrong[why]++;
                if (why == Tally::Kept && h.aligned)
                    t.keptSaid[U8(std::u16string(1, original)) + " " + it.label + " said " + decode.Reading(h.said)]++;
            }
            if (v == 0 || v == 3 || p.reading.empty()) continue;
            if (spoken != original) {
                // A representative: is it said as the reading it stands for?
                const Heard r = Listen(ph, p.text, it.pos, p.reading);
                RepUse& use = reps[{U8(std::u16string(1, spoken)), p.reading}];
                use.used++;
                if (r.aligned && r.said != r.reference) {
                    use.wrong++;
                    use.said[decode.Reading(r.said)]++;
                }
            } else {
                AString syllable(p.reading.substr(0, p.reading.size() - 1).c_str());
                GetRepresentativeChar(rep, syllable, p.reading.back() - '1');
                if (rep.IsEmpty()) (v == 1 ? decidedNoRep[p.reading].first : decidedNoRep[p.reading].second)++;
            }
        }
    }

    std::printf("%d labelled characters of %zu (seed %u), espeak-ng voice %s\n", n, items.size(), seed,
                EspeakVoiceSystem::VoiceName(true));
    std::printf(
        "said right: the phonemes of the character in its window equal those of the label's pinyin in its place\n");
    for (int v = 0; v < 4; v++) {
        const Tally& t = tally[v];
        if (v == 3)
            std::printf("the same for a voice that says first readings (the character kept where one was chosen):\n");
        std::printf(
            "%-22s %6.1f %%  (%d; syllable right %.1f %%; %d aligned: %d in the window, %d with one neighbour, %d "
            "alone)\n",
            kNames[v], Share(t.right, n), t.right, Share(t.syllableRight, n), t.aligned, t.fallback[0], t.fallback[1],
            t.fallback[2]);
    }

    for (int v = 1; v < 4; v++) {
        const Tally& t = tally[v];
        std::printf(
            "%s, said otherwise: %d with a reading other than the label, %d with the label's reading and the "
            "character itself handed over (its first reading, or its own representative), %d without a representative, "
            "%d through the representative, "
            "%d undecided\n",
            kNames[v], t.wrong[Tally::WrongReading], t.wrong[Tally::Kept], t.wrong[Tally::NoRepresentative],
            t.wrong[Tally::Representative], t.wrong[Tally::Undecided]);
        if (t.keptSaid.empty()) continue;
        std::printf("  handed over themselves:");
        for (const auto& [what, c] : t.keptSaid)
            std::printf(" %s%s;", what.c_str(), c > 1 ? (" x" + std::to_string(c)).c_str() : "");
        std::printf("\n");
    }

    std::printf("\nrepresentatives the voice says otherwise, spoken alone (whole table):\n");
    int tableWrong = 0;
    for (const RepresentativeRow& row : RepresentativeTable) {
        std::u16string chars = Utf8ToUnits(row.chars);
        for (int t = 0; t < 5 && t < static_cast<int>(chars.size()); t++) {
            if (chars[static_cast<size_t>(t)] == u'-') continue;
            const std::string reading = std::string(row.syllable) + static_cast<char>('1' + t);
            const auto& said = ph.Words(std::u16string(1, chars[static_cast<size_t>(t)]));
            const auto& ref = ph.Words(Utf8ToUnits(reading));
            if (said.size() == 1 && ref.size() == 1 && said[0] == ref[0]) continue;
            tableWrong++;
            std::printf("  %s %s said %s (%s, expected %s)\n",
                        U8(std::u16string(1, chars[static_cast<size_t>(t)])).c_str(), reading.c_str(),
                        said.size() == 1 ? decode.Reading(said[0]).c_str() : "?", said.empty() ? "" : said[0].c_str(),
                        ref.empty() ? "" : ref[0].c_str());
        }
    }
    std::printf("  %d in all\n", tableWrong);

    std::printf(
        "\nrepresentatives handed to the voice at the labelled character (prepared and --context) and said otherwise "
        "in the window:\n");
    for (const auto& [key, use] : reps) {
        if (!use.wrong) continue;
        std::string said;
        for (const auto& [r, c] : use.said)
            said += (said.empty() ? "" : ", ") + r + (c > 1 ? " x" + std::to_string(c) : "");
        std::printf("  %s %s: %d of %d said otherwise (%s)\n", key.first.c_str(), key.second.c_str(), use.wrong,
                    use.used, said.c_str());
    }

    std::printf("\nlabels whose reading has no representative (the voice's own reading of the character is heard):\n");
    std::vector<std::pair<std::string, NoRep>> sorted(noRep.begin(), noRep.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& x, const auto& y) { return x.second.count > y.second.count; });
    int noRepCount = 0;
    for (const auto& [reading, r] : sorted) {
        noRepCount += r.count;
        std::printf("  %-7s %3d  said right: raw %d, prepared %d, --context %d, first kept %d\n", reading.c_str(),
                    r.count, r.right[0], r.right[1], r.right[2], r.right[3]);
    }
    std::printf("  %d of %d labels\n", noRepCount, n);
    std::printf("decided readings without a representative, the character kept (prepared, --context):");
    for (const auto& [reading, c] : decidedNoRep) std::printf(" %s %d/%d", reading.c_str(), c.first, c.second);
    std::printf("\n%d syntheses\n", ph.Syntheses());
    return 0;
}
