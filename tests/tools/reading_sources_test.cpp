// The reading files against their source: every character of GBK holds the
// readings (syllables with their tones) that Unihan's five reading fields
// give it, none lost and none added, however the builder orders them.
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/syllable.h"
#include "text/aarray.h"
#include "text/astring.h"
#include "text/gbk.h"
#include "text/utf8.h"
#include "tools/mkdata/unihan_readings.h"

namespace {

using Readings = std::map<std::string, std::set<int>>;  // syllable -> tones

// Every reading of the five fields, whatever their order or frequency.
std::map<char32_t, Readings> SourceReadings(const char* path) {
    std::map<char32_t, Readings> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("U+", 0) != 0) continue;
        std::istringstream fields(line);
        std::string code, field, value;
        std::getline(fields, code, '\t');
        std::getline(fields, field, '\t');
        std::getline(fields, value);
        if (field != "kHanyuPinlu" && field != "kMandarin" && field != "kTGHZ2013" && field != "kXHC1983" &&
            field != "kHanyuPinyin")
            continue;
        const char32_t cp = static_cast<char32_t>(std::stoul(code.substr(2), nullptr, 16));
        std::istringstream tokens(value);
        for (std::string token; tokens >> token;) {
            if (const size_t open = token.find('('); open != std::string::npos) token.erase(open);  // frequency
            if (const size_t colon = token.find(':'); colon != std::string::npos)
                token.erase(0, colon + 1);  // location
            std::istringstream marked(token);
            for (std::string m; std::getline(marked, m, ',');) {
                std::string syllable;
                int tone = 0;
                if (ParseMarkedSyllable(m, syllable, tone)) out[cp][syllable].insert(tone);
            }
        }
    }
    return out;
}

Readings DataReadings(const CDict& dict, CharKey key) {
    Readings out;
    AStringArray stored;
    dict.GetReadings(key, stored);
    for (int i = 0; i < stored.GetSize(); ++i) {
        AString syllable = stored[i], tones;
        ExpandSyllable(syllable);
        if (!dict.GetToneSymbols(key, syllable, tones, true)) continue;
        auto& set = out[syllable.GetString()];
        for (int t = 0; t < tones.GetLength(); ++t) set.insert(tones[t] - '0');
    }
    return out;
}

std::string Show(const Readings& r) {
    std::string s;
    for (const auto& [syllable, tones] : r) {
        s += " " + syllable;
        for (int t : tones) s += static_cast<char>('0' + t);
    }
    return s.empty() ? " (none)" : s;
}

constexpr size_t kMaxSyllables = 6;  // tone slots of a record

TEST(ReadingSources, EveryCharacterKeepsTheReadingsOfItsSources) {
    const std::map<char32_t, Readings> sources = SourceReadings(ZH_UNIHAN_READINGS);
    ASSERT_GT(sources.size(), 20000u) << ZH_UNIHAN_READINGS;
    CDict dict;
    ASSERT_TRUE(dict.LoadToneReadings(ZH_DATA_DIR));
    ASSERT_TRUE(dict.LoadGbReadings(ZH_DATA_DIR));

    int compared = 0, capped = 0, gb2312 = 0;
    std::vector<std::string> faults;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const char pair[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            const std::string utf8 = GbkToUtf8(AString(pair));
            size_t at = 0;
            const char32_t cp = DecodeUtf8(utf8, at);
            if (cp == kBadUtf8 || at != utf8.size() || cp < 0x2E80) continue;  // not one Chinese character
            const CharKey key = MakeCharKey(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            const auto found = sources.find(cp);
            const Readings source = found == sources.end() ? Readings() : found->second;
            const Readings data = DataReadings(dict, key);
            ++compared;
            bool same = data == source;
            if (source.size() > kMaxSyllables) {
                // Six syllables of the sources, each with all its tones.
                ++capped;
                same = data.size() == kMaxSyllables;
                for (const auto& [syllable, tones] : data) {
                    const auto s = source.find(syllable);
                    same = same && s != source.end() && s->second == tones;
                }
            }
            AStringArray gb;
            if (dict.IsGb2312Char(key, &gb)) {
                ++gb2312;
                std::set<std::string> syllables;
                for (int i = 0; i < gb.GetSize(); ++i) {
                    AString s = gb[i];
                    ExpandSyllable(s);
                    syllables.insert(s.GetString());
                }
                for (const auto& [syllable, tones] : data) same = same && syllables.erase(syllable) == 1;
                same = same && syllables.empty();
            }
            if (!same && faults.size() < 20) faults.push_back(utf8 + " data" + Show(data) + ", sources" + Show(source));
            if (!same && faults.size() == 20) faults.push_back("...");
        }
    }
    EXPECT_GT(compared, 20000);
    EXPECT_EQ(gb2312, 6763);
    EXPECT_LT(capped, 20);  // the few characters with more syllables than a record holds
    std::string all;
    for (const std::string& f : faults) all += f + "\n";
    EXPECT_TRUE(faults.empty()) << all;
}

}  // namespace
