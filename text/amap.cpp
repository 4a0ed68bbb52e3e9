#include "text/amap.h"

#include <cstring>

#include <cstdlib>
#include <new>

// Node layout: next pointer, key (AString), value (pointer-aligned).
namespace {

constexpr size_t kKeyOffset = sizeof(void*);
constexpr size_t kValueOffset = kKeyOffset + sizeof(AString);
static_assert(alignof(AString) <= alignof(void*));

struct Block {
    Block* next;
};
constexpr size_t kFirstNode = sizeof(Block);

void*& NextOf(void* node) { return *static_cast<void**>(node); }

}  // namespace

std::uint32_t AHashBytes(const char* p, int length) {
    std::uint32_t h = 0;
    for (int i = 0; i < length; i++) {
        h = h * 33 + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(p[i])));
    }
    return h;
}

std::uint32_t AHashString(const AString& key) { return AHashBytes(key.GetString(), key.GetLength()); }

int AHashTableSizeFor(int expectedCount) {
    int n = expectedCount < 64 ? 64 : expectedCount;
    if (n > 0x7FFFFFF0) n = 0x7FFFFFF0;
    for (n |= 1;; n += 2) {
        bool prime = true;
        for (int d = 3; d <= n / d; d += 2) {
            if (n % d == 0) {
                prime = false;
                break;
            }
        }
        if (prime) return n;
    }
}

AMapCore::AMapCore(int valueSize, int nodesPerBlock)
    : nodesPerBlock_(nodesPerBlock > 0 ? nodesPerBlock : 10),
      nodeSize_(static_cast<int>((kValueOffset + static_cast<size_t>(valueSize) + sizeof(void*) - 1) /
                                 sizeof(void*) * sizeof(void*))) {}

// Subclasses call RemoveAll in their destructors, where FreeNode still
// reaches them; only storage can be left here.
AMapCore::~AMapCore() {
    std::free(buckets_);
    while (blocks_) {
        void* next = static_cast<Block*>(blocks_)->next;
        std::free(blocks_);
        blocks_ = next;
    }
}

AString* AMapCore::KeyOf(void* node) {
    return std::launder(reinterpret_cast<AString*>(static_cast<char*>(node) + kKeyOffset));
}

void* AMapCore::ValueOf(void* node) { return static_cast<char*>(node) + kValueOffset; }

int AMapCore::GetBlockCount() const {
    int n = 0;
    for (auto* b = static_cast<Block*>(blocks_); b; b = b->next) n++;
    return n;
}

bool AMapCore::InitHashTable(int buckets) {
    if (count_ != 0 || buckets < 1) return false;
    std::free(buckets_);
    buckets_ = nullptr;
    bucketCount_ = buckets;
    return true;
}

void AMapCore::RemoveAll() {
    if (buckets_) {
        for (int i = 0; i < bucketCount_; i++) {
            for (void* n = buckets_[i]; n;) {
                void* next = NextOf(n);
                FreeNode(n);
                n = next;
            }
        }
    }
    std::free(buckets_);
    buckets_ = nullptr;
    count_ = 0;
    freeList_ = nullptr;
    while (blocks_) {
        void* next = static_cast<Block*>(blocks_)->next;
        std::free(blocks_);
        blocks_ = next;
    }
}

void* AMapCore::FindNode(const AString& key) const { return FindNode(key.GetString(), key.GetLength()); }

void* AMapCore::FindNode(const char* bytes, int length) const {
    if (!buckets_ || length < 0) return nullptr;
    for (void* n = buckets_[AHashBytes(bytes, length) % static_cast<std::uint32_t>(bucketCount_)]; n; n = NextOf(n)) {
        const AString* k = KeyOf(n);
        if (k->GetLength() == length && std::memcmp(k->GetString(), bytes, static_cast<size_t>(length)) == 0) return n;
    }
    return nullptr;
}

void* AMapCore::NewNode() {
    if (!freeList_) {
        auto* b = static_cast<Block*>(
            std::malloc(kFirstNode + static_cast<size_t>(nodeSize_) * static_cast<size_t>(nodesPerBlock_)));
        if (!b) std::abort();
        b->next = static_cast<Block*>(blocks_);
        blocks_ = b;
        char* first = reinterpret_cast<char*>(b) + kFirstNode;
        for (int i = nodesPerBlock_ - 1; i >= 0; i--) {
            void* node = first + static_cast<size_t>(nodeSize_) * static_cast<size_t>(i);
            NextOf(node) = freeList_;
            freeList_ = node;
        }
    }
    void* node = freeList_;
    freeList_ = NextOf(node);
    NextOf(node) = nullptr;
    return node;
}

void* AMapCore::FindOrAddNode(const AString& key) {
    if (void* n = FindNode(key)) return n;
    if (!buckets_) {
        buckets_ = static_cast<void**>(std::calloc(static_cast<size_t>(bucketCount_), sizeof(void*)));
        if (!buckets_) std::abort();
    }
    void* n = NewNode();
    InitNode(n);
    *KeyOf(n) = key;
    void*& head = buckets_[AHashString(key) % static_cast<std::uint32_t>(bucketCount_)];
    NextOf(n) = head;
    head = n;
    count_++;
    return n;
}

APosition AMapCore::GetStartPosition() const {
    if (!buckets_ || count_ == 0) return nullptr;
    for (int i = 0; i < bucketCount_; i++) {
        if (buckets_[i]) return buckets_[i];
    }
    return nullptr;
}

// The chain's end is followed by the next non-empty bucket; the current bucket
// comes from the key's hash, so iterations need no shared state.
void* AMapCore::NextNode(APosition& pos) const {
    void* n = pos;
    void* next = NextOf(n);
    if (!next) {
        int i = static_cast<int>(AHashString(*KeyOf(n)) % static_cast<std::uint32_t>(bucketCount_)) + 1;
        for (; i < bucketCount_ && !next; i++) next = buckets_[i];
    }
    pos = next;
    return n;
}

// AMapStringToString

namespace {
AString* StrValue(void* v) { return std::launder(static_cast<AString*>(v)); }
void** PtrValue(void* v) { return std::launder(static_cast<void**>(v)); }
}  // namespace

AMapStringToString::AMapStringToString(int nodesPerBlock) : AMapCore(sizeof(AString), nodesPerBlock) {}

AMapStringToString::~AMapStringToString() { RemoveAll(); }

void AMapStringToString::InitNode(void* node) {
    new (KeyOf(node)) AString();
    new (ValueOf(node)) AString();
}

void AMapStringToString::FreeNode(void* node) {
    KeyOf(node)->~AString();
    StrValue(ValueOf(node))->~AString();
}

const AString* AMapStringToString::Find(const AString& key) const {
    void* n = FindNode(key);
    return n ? StrValue(ValueOf(n)) : nullptr;
}

const AString* AMapStringToString::FindBytes(const char* bytes, int length) const {
    void* n = FindNode(bytes, length);
    return n ? static_cast<const AString*>(ValueOf(n)) : nullptr;
}

AString* AMapStringToString::Find(const AString& key) {
    void* n = FindNode(key);
    return n ? StrValue(ValueOf(n)) : nullptr;
}

bool AMapStringToString::Lookup(const AString& key, AString& value) const {
    const AString* v = Find(key);
    if (!v) return false;
    value = *v;
    return true;
}

AString& AMapStringToString::operator[](const AString& key) { return *StrValue(ValueOf(FindOrAddNode(key))); }

void AMapStringToString::GetNextAssoc(APosition& pos, AString& key, AString& value) const {
    void* n = NextNode(pos);
    key = *KeyOf(n);
    value = *StrValue(ValueOf(n));
}

// AMapStringToPtr

AMapStringToPtr::AMapStringToPtr(int nodesPerBlock) : AMapCore(sizeof(void*), nodesPerBlock) {}

AMapStringToPtr::~AMapStringToPtr() { RemoveAll(); }

void AMapStringToPtr::InitNode(void* node) {
    new (KeyOf(node)) AString();
    new (ValueOf(node)) void*(nullptr);
}

void AMapStringToPtr::FreeNode(void* node) { KeyOf(node)->~AString(); }

void* const* AMapStringToPtr::Find(const AString& key) const {
    void* n = FindNode(key);
    return n ? PtrValue(ValueOf(n)) : nullptr;
}

void** AMapStringToPtr::Find(const AString& key) {
    void* n = FindNode(key);
    return n ? PtrValue(ValueOf(n)) : nullptr;
}

bool AMapStringToPtr::Lookup(const AString& key, void*& value) const {
    void* const* v = Find(key);
    if (!v) return false;
    value = *v;
    return true;
}

void*& AMapStringToPtr::operator[](const AString& key) { return *PtrValue(ValueOf(FindOrAddNode(key))); }

void AMapStringToPtr::GetNextAssoc(APosition& pos, AString& key, void*& value) const {
    void* n = NextNode(pos);
    key = *KeyOf(n);
    value = *PtrValue(ValueOf(n));
}
