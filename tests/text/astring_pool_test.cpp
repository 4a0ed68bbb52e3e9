#include "text/astring_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "text/astring.h"
#include "text_test_util.h"

namespace {

// Typical lexicon work: characters, syllables and words built, cut and copied.
void SmallStringWork() {
    for (int i = 0; i < 2000; ++i) {
        AString word(GBK_ZHONG GBK_WEN);
        word += AString('x', i % 150);  // even doubled by Replace, blocks stay under 384 bytes
        AString part = word.Mid(1, 5), copy = word;
        part.MakeLower();
        copy.Replace("x", "yy");
        AString line;
        line.Format("%d:%s", i, "pinyin");
    }
}

}  // namespace

TEST(AStringPool, SmallStringsNeedNoHeapOnceWarm) {
    SmallStringWork();
    long long before = AStringPool::HeapAllocations();
    SmallStringWork();
    EXPECT_EQ(before, AStringPool::HeapAllocations());
}

TEST(AStringPool, BlocksOf384BytesOrMoreComeFromTheHeap) {
    // AString('x', n) needs a block of ((n + 16) | 3) + 2 bytes.
    struct Case {
        int length;
        bool pooled;
    };
    const Case cases[] = {{1, true}, {363, true}, {364, false}, {5000, false}};
    for (const Case& c : cases) {
        { AString warm('x', c.length); }
        long long before = AStringPool::HeapAllocations();
        for (int i = 0; i < 3; ++i) AString s('x', c.length);
        EXPECT_EQ(c.pooled ? before : before + 3, AStringPool::HeapAllocations()) << c.length;
    }
}

TEST(AStringPool, SizeClassesOfFourBytesReuseFreedBlocks) {
    void* a = AStringPool::Alloc(21);
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(a) % 8);
    AStringPool::Free(a, 21);
    void* b = AStringPool::Alloc(23);  // same class: 20..23 bytes
    EXPECT_EQ(a, b);
    void* c = AStringPool::Alloc(24);  // next class
    EXPECT_NE(b, c);
    AStringPool::Free(b, 23);
    AStringPool::Free(c, 24);
}

TEST(AStringThreads, SharedValueCopiedAndReleasedOnManyThreads) {
    const AString shared("a value shared by every thread");
    const AString empty;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100000; ++i) {
                AString copy(shared), other, blank(empty);
                other = copy;
                if (i % 8 == t) {  // a writer unshares its own copy only
                    other += 'x';
                    other.SetAt(0, 'A');
                }
                if (!copy.Equals(shared) || copy.GetString() != shared.GetString() || !blank.IsEmpty()) ++mismatches;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0, mismatches.load());
    EXPECT_EQ(1, shared.GetHeader()->refs.load());
    EXPECT_EQ("a value shared by every thread", Bytes(shared));
}
