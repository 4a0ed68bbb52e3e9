#include <gtest/gtest.h>

#include "lexicon/syllable.h"
#include "lexicon_test_util.h"

TEST(ExpandSyllable, RewritesCompactSpellingsAndCounts) {
    struct Case {
        const char* stored;
        const char* expanded;
        int count;
    };
    const Case cases[] = {
        // -g finals
        {"bag", "bang", 1}, {"deg", "deng", 1}, {"jig", "jing", 1}, {"zhog", "zhong", 1},
        // v after j q x y
        {"jv", "ju", 1}, {"qvan", "quan", 1}, {"xve", "xue", 1}, {"yvn", "yun", 1},
        // io only when the text is longer than 2 bytes and ends in 'o'
        {"jio", "jiao", 1}, {"xio", "xiao", 1}, {"iobio", "iaobiao", 2}, {"io", "io", 0},
        {"jiu", "jiu", 0}, {"ioq", "ioq", 0},
        // og before io: jiog is jiong, not jiaong
        {"jiog", "jiong", 1}, {"xiog", "xiong", 1},
        // ug last; uag goes by the ag rule
        {"zhug", "zhuang", 1}, {"shug", "shuang", 1}, {"zhuag", "zhuang", 1},
        // several rules at once
        {"jvag", "juang", 2}, {"qvig", "quing", 2},
        // standard spellings stay
        {"", "", 0}, {"a", "a", 0}, {"o", "o", 0}, {"yo", "yo", 0}, {"er", "er", 0},
        {"zhong", "zhong", 0}, {"xiang", "xiang", 0}, {"jiao", "jiao", 0}, {"jiong", "jiong", 0},
        {"zhuang", "zhuang", 0}, {"lv", "lv", 0}, {"nv", "nv", 0}, {"lue", "lue", 0}, {"ju", "ju", 0},
        {"yu", "yu", 0}, {"gao", "gao", 0}, {"duo", "duo", 0},
    };
    for (const Case& c : cases) {
        AString s(c.stored);
        EXPECT_EQ(c.count, ExpandSyllable(s)) << c.stored;
        EXPECT_EQ(c.expanded, Bytes(s)) << c.stored;
    }
}

TEST(ExpandSyllable, LeavesSharedCopiesAlone) {
    AString stored("zhog");
    AString copy = stored;
    EXPECT_EQ(1, ExpandSyllable(copy));
    EXPECT_EQ("zhog", Bytes(stored));
    EXPECT_EQ("zhong", Bytes(copy));
}
