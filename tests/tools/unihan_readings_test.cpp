#include "tools/mkdata/unihan_readings.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Spell(const ReadingList& list) {
    std::string out;
    for (const auto& r : list) {
        if (!out.empty()) out += ' ';
        out += r.syllable;
        for (int t : r.tones) out += static_cast<char>('0' + t);
    }
    return out;
}

TEST(ParseMarkedSyllable, SpellsToneAndStandardForm) {
    const struct { const char* marked; const char* syllable; int tone; } cases[] = {
        {"xíng", "xing", 2}, {"hàng", "hang", 4}, {"mā", "ma", 1}, {"hǎo", "hao", 3},
        {"le", "le", 5},                        // unmarked: neutral tone
        {"nǚ", "nv", 3}, {"lǜ", "lv", 4}, {"nü", "nv", 5},
        {"lüè", "lue", 4}, {"nüè", "nue", 4},   // ü before e stays u after l and n
        {"jǔ", "ju", 3}, {"qū", "qu", 1},
        {"ńg", "ng", 2}, {"ň", "n", 3}, {"ǹg", "ng", 4}, {"ḿ", "m", 2},
        {"m\xCC\x80", "m", 4},                   // m + combining grave
        {"ê\xCC\x84", "e", 1}, {"ế", "e", 2},
    };
    for (const auto& c : cases) {
        std::string syllable;
        int tone = -1;
        ASSERT_TRUE(ParseMarkedSyllable(c.marked, syllable, tone)) << c.marked;
        EXPECT_EQ(syllable, c.syllable) << c.marked;
        EXPECT_EQ(tone, c.tone) << c.marked;
    }
}

TEST(ParseMarkedSyllable, RejectsNonSyllables) {
    for (const char* bad : {"", "x1ng", "ní hǎo", "\xE4\xB8", "\xE4\xB8\xAD", "mǎá"}) {
        std::string syllable;
        int tone;
        EXPECT_FALSE(ParseMarkedSyllable(bad, syllable, tone)) << bad;
    }
}

TEST(UnihanReadings, OrdersByFrequencyThenMandarinThenDictionaries) {
    std::istringstream in(
        "# comment line\n"
        "U+884C\tkHanyuPinlu\txíng(2943) háng(218)\n"
        "U+884C\tkHanyuPinyin\t20811.060:háng,xìng,xíng,hàng,héng\n"
        "U+884C\tkMandarin\txíng\n"
        "U+884C\tkDefinition\tgo; walk\n"
        "U+4E3A\tkHanyuPinlu\twèi(3962) wéi(2433)\n"
        "U+4E3A\tkXHC1983\t1192.070:wéi 1199.040:wèi\n"
        "U+4E48\tkMandarin\tme\n"
        "U+4E48\tkXHC1983\t0758.081,0758.091:ma 0770.150:me 1340.041:yāo\n"
        "U+4E48\tkTGHZ2013\t245.150:me\n"
        "U+5973\tkHanyuPinlu\tnǚ(37) nü(1129)\n"
        "U+0041\tkMandarin\tbroken(\n"
        "garbage without tabs\n"
        "U+ZZZZ\tkMandarin\tma\n");
    UnihanReadings u;
    u.Read(in);
    EXPECT_EQ(Spell(u.Get(0x884C)), "xing24 hang24 heng2");
    EXPECT_EQ(Spell(u.Get(0x4E3A)), "wei42");
    EXPECT_EQ(Spell(u.Get(0x4E48)), "me5 ma5 yao1");  // kMandarin, then kTGHZ2013, then kXHC1983
    EXPECT_EQ(Spell(u.Get(0x5973)), "nv53");          // the more frequent tone first
    EXPECT_EQ(Spell(u.Get(0x0041)), "");
    EXPECT_TRUE(u.Get(0x9999).empty());
}

// An erhua reading never leads; a neutral one only for a particle (neutral
// at least ten times all toned readings together); every reading stays.
TEST(UnihanReadings, TonedReadingFirstUnlessAParticle) {
    const struct {
        const char* lines;
        const char* spelled;
    } cases[] = {
        {"U+513F\tkHanyuPinlu\tr(3254) ér(581)\nU+513F\tkMandarin\tér", "er2 r5"},
        {"U+513F\tkHanyuPinlu\tr(3254) ér(581)\nU+513F\tkHanyuPinyin\t1.1:ér,rén", "er2 r5 ren2"},
        {"U+513F\tkHanyuPinlu\tzi(6853) zǐ(1114)", "zi35"},
        {"U+513F\tkHanyuPinlu\tshi(908) shí(267)\nU+513F\tkMandarin\tshí shì", "shi254"},
        {"U+513F\tkHanyuPinlu\tde(7394) dì(4976)", "di4 de5"},
        {"U+513F\tkHanyuPinlu\tle(30101) liǎo(654) liào(19)", "le5 liao34"},
        {"U+513F\tkHanyuPinlu\tzhe(10643) zháo(545) zhuó(125) zhāo(15)", "zhe5 zhao21 zhuo2"},
        {"U+513F\tkHanyuPinlu\tya(1018) yā(398)", "ya15"},
        {"U+513F\tkHanyuPinlu\tmen(14950)", "men5"},
        {"U+513F\tkHanyuPinlu\tr(10)", "r5"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.lines);
        UnihanReadings u;
        u.Read(in);
        EXPECT_EQ(Spell(u.Get(0x513F)), c.spelled) << c.lines;
    }
}

TEST(UnihanReadings, KeepsAtMostSixSyllables) {
    UnihanReadings u;
    u.AddLine("U+6B38\tkHanyuPinyin\t1.1:ā,bā,cā,dā,fā,gā,hā,jā");
    EXPECT_EQ(Spell(u.Get(0x6B38)), "a1 ba1 ca1 da1 fa1 ga1");
    EXPECT_EQ(u.Get(0x6B38, 2).size(), 2u);
}

}  // namespace
