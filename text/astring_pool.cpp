#include "text/astring_pool.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

constexpr int kClasses = AStringPool::kPooledBelow / 4;  // size classes of 4 bytes
constexpr int kChunkSize = 16 * 1024;                    // small blocks are carved from these

struct FreeBlock {
    FreeBlock* next;
};

// Guarded by AStringLock.
constinit FreeBlock* freeLists[kClasses] = {};
constinit char* chunkNext = nullptr;
constinit int chunkLeft = 0;
// Chunks are linked through their first word, so that they stay reachable
// (leak checkers do not follow free lists through poisoned blocks).
constinit void* chunks = nullptr;
constexpr int kChunkHeader = 16;

constinit std::atomic<long long> heapCalls{0};

// Every block of class c (sizes 4c .. 4c+3), rounded up to keep blocks 8-aligned.
constexpr int SlotSize(int sizeClass) { return (sizeClass * 4 + 3 + 7) & ~7; }

void* HeapAlloc(std::size_t bytes) {
    void* p = std::malloc(bytes);
    if (!p) std::abort();
    heapCalls.fetch_add(1, std::memory_order_relaxed);
    return p;
}

std::mutex& LockMutex() {
    static std::mutex* mutex = new std::mutex;  // never destroyed: strings outlive static destructors
    return *mutex;
}

}  // namespace

AStringLock::AStringLock() { LockMutex().lock(); }
AStringLock::~AStringLock() { LockMutex().unlock(); }

void* AStringPool::Alloc(int bytes) {
    if (bytes >= kPooledBelow) return HeapAlloc(static_cast<std::size_t>(bytes));
    int sizeClass = bytes / 4, slot = SlotSize(sizeClass);
    void* block;
    AStringLock lock;
    if (FreeBlock* head = freeLists[sizeClass]) {
        POOL_UNPOISON(head, sizeof(FreeBlock));
        freeLists[sizeClass] = head->next;
        block = head;
    } else {
        if (chunkLeft < slot) {  // the rest of the old chunk is left unused
            char* chunk = static_cast<char*>(HeapAlloc(kChunkSize));
            *reinterpret_cast<void**>(chunk) = chunks;
            chunks = chunk;
            chunkNext = chunk + kChunkHeader;
            chunkLeft = kChunkSize - kChunkHeader;
            POOL_POISON(chunkNext, chunkLeft);
        }
        block = chunkNext;
        chunkNext += slot;
        chunkLeft -= slot;
    }
    POOL_UNPOISON(block, bytes);
    return block;
}

void AStringPool::Free(void* block, int bytes) {
    if (!block) return;
    if (bytes >= kPooledBelow) return std::free(block);
    int sizeClass = bytes / 4;
    AStringLock lock;
    auto* head = static_cast<FreeBlock*>(block);
    head->next = freeLists[sizeClass];
    freeLists[sizeClass] = head;
    POOL_POISON(block, SlotSize(sizeClass));
}

long long AStringPool::HeapAllocations() { return heapCalls.load(std::memory_order_relaxed); }
