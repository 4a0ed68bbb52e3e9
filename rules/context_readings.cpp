#include "rules/context_readings.h"

#include <limits>
#include <string>

#include "lexicon/syllable.h"
#include "text/gbk.h"

namespace {

constexpr int kLongestWord = 8;

// "Hang2" or "lu:4" -> syllable "hang", "lv" and tone; false when s is not
// a syllable with a tone digit.
bool ParseWordSyllable(const std::string& s, AString& syllable, int& tone) {
    if (s.size() < 2 || s.back() < '1' || s.back() > '5') return false;
    tone = s.back() - '0';
    std::string plain;
    for (size_t i = 0; i + 1 < s.size(); i++) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == 'u' && s[i + 1] == ':') {
            c = 'v';
            i++;
        } else if (c < 'a' || c > 'z') {
            return false;
        }
        plain += c;
    }
    syllable = AString(plain.c_str());
    return true;
}

int FindReading(const CharReadings& readings, const AString& syllable, int tone) {
    for (size_t i = 0; i < readings.size(); i++)
        if (readings[i].first == syllable && readings[i].second == tone) return static_cast<int>(i);
    return -1;
}

// The reading that the longest headword covering position i gives it.
bool WordReading(const CDictTop& dict, const std::string& gbk, const std::vector<bool>& twoByte, int n, int i,
                 const CharReadings& readings, ContextChoice& choice) {
    for (int len = kLongestWord; len >= 2; len--) {
        for (int start = i - len + 1 > 0 ? i - len + 1 : 0; start <= i && start + len <= n; start++) {
            bool usable = true;
            for (int k = start; k < start + len && usable; k++) usable = twoByte[static_cast<size_t>(k)];
            if (!usable) continue;
            const CedictEntry* entry = dict.FindWord(gbk.data() + 2 * start, 2 * len);
            if (!entry) continue;
            // The syllable of position i in the entry's pinyin.
            const char* p = entry->pinyin.GetString();
            std::string token;
            int index = 0;
            for (const char* q = p;; ++q) {
                if (*q == ' ' || *q == 0) {
                    if (!token.empty()) {
                        if (index == i - start) break;
                        index++;
                        token.clear();
                    }
                    if (*q == 0) break;
                } else {
                    token += *q;
                }
            }
            AString syllable;
            int tone = 0;
            if (index != i - start || !ParseWordSyllable(token, syllable, tone)) continue;
            if (FindReading(readings, syllable, tone) < 0) continue;
            choice.source = ContextChoice::Word;
            choice.pinyin = syllable;
            choice.tone = tone;
            return true;
        }
    }
    return false;
}

}  // namespace

void GetCharReadings(const CDictTop& dict, CharKey key, CharReadings& out) {
    out.clear();
    AStringArray stored;
    if (dict.GetReadings(key, stored) == 0) return;
    AString tones;
    for (int i = 0; i < stored.GetSize(); i++) {
        AString syllable = stored[i];
        ExpandSyllable(syllable);
        if (!dict.GetToneSymbols(key, syllable, tones, true)) continue;
        for (int t = 0; t < tones.GetLength(); t++) {
            const int tone = tones[t] - '0';
            if (tone >= 1 && tone <= 5 && FindReading(out, syllable, tone) < 0) out.emplace_back(syllable, tone);
        }
    }
}

void ChooseContextReadings(const CDictTop& dict, const PolyphoneModel* model, const char16_t* s, int n,
                           std::vector<ContextChoice>& out) {
    out.assign(static_cast<size_t>(n > 0 ? n : 0), ContextChoice());
    if (n <= 0) return;
    std::string gbk(static_cast<size_t>(2 * n), '\0');
    std::vector<bool> twoByte(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        const CharKey k = s[i] >= 0x80 ? WideCharToGbk(s[i]) : 0;
        if (!k) continue;
        gbk[static_cast<size_t>(2 * i)] = static_cast<char>(CharKeyLead(k));
        gbk[static_cast<size_t>(2 * i + 1)] = static_cast<char>(CharKeyTrail(k));
        twoByte[static_cast<size_t>(i)] = true;
    }
    const bool useModel = model && model->Loaded();
    std::vector<float> features;
    bool featuresDone = false;
    CharReadings readings;
    std::vector<int> classes;
    for (int i = 0; i < n; i++) {
        if (!twoByte[static_cast<size_t>(i)]) continue;
        GetCharReadings(dict, CharKeyAt(gbk.data() + 2 * i), readings);
        if (readings.size() < 2) continue;
        ContextChoice& choice = out[static_cast<size_t>(i)];
        if (useModel && model->Candidates(s[i])) {
            classes.clear();
            for (const auto& [syllable, tone] : readings)
                classes.push_back(model->FindClass(std::string(syllable.GetString()) + char('0' + tone)));
            int best = -1;
            float bestScore = -std::numeric_limits<float>::infinity(), second = bestScore;
            if (!featuresDone) {
                model->Features(s, n, features);
                featuresDone = true;
            }
            float dense[kModelDense];
            model->Dense1(&features[static_cast<size_t>(i) * kModelFeatures], dense);
            for (size_t r = 0; r < readings.size(); r++) {
                if (classes[r] < 0) continue;
                const float score = model->ScoreFromDense(dense, classes[r]);
                if (score > bestScore) {
                    second = bestScore;
                    bestScore = score;
                    best = static_cast<int>(r);
                } else if (score > second) {
                    second = score;
                }
            }
            if (best >= 0) {
                choice.source = ContextChoice::Model;
                choice.pinyin = readings[static_cast<size_t>(best)].first;
                choice.tone = readings[static_cast<size_t>(best)].second;
                choice.margin = bestScore - second;  // infinite with one scored candidate
                continue;
            }
        }
        WordReading(dict, gbk, twoByte, n, i, readings, choice);
    }
}
