#pragma once
// Block allocator of AString buffers and the lock that guards it.

// Process-wide lock of string buffer management, created on first use.
// Holding an AStringLock object holds the lock.
class AStringLock {
public:
    AStringLock();
    ~AStringLock();
    AStringLock(const AStringLock&) = delete;
    AStringLock& operator=(const AStringLock&) = delete;
};

// Blocks under kPooledBelow bytes come from free lists of 4-byte size classes,
// carved from larger heap chunks, and stay in the pool for the process; larger
// blocks come from and go back to the heap.
class AStringPool {
public:
    static constexpr int kPooledBelow = 384;

    static void* Alloc(int bytes);            // aligned to 8; aborts when out of memory
    static void Free(void* block, int bytes); // bytes as given to Alloc
    static long long HeapAllocations();       // heap calls made by the pool so far
};
