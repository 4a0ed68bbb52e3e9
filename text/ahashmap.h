#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "text/amap.h"
#include "text/astring.h"
#include "text/gbk_bytes.h"  // CharKey

// AHashMap: chained hash map over K = AString or an integer key of up to 32
// bits (in practice CharKey), with the node-block design of AMapCore. Nodes
// (next, key, value) are carved from blocks of `nodesPerBlock` nodes; K and V
// are constructed in a node when it is taken and destroyed by RemoveAll, which
// alone returns nodes and frees every block. A new node goes to the head of
// its bucket's chain: iteration runs in bucket order, most recent first.
//
// Each node keeps its key's full hash, so a lookup compares keys only when
// the hashes agree. Hashes, reduced modulo the bucket count:
//  - AString: AHashString (h * 33 + signed byte).
//  - integers: u ^ (u >> 8) ^ (u >> 16) ^ (u >> 24) on the unsigned value. For
//    a CharKey this is trail << 8 | (lead ^ trail): one-to-one on 16-bit keys,
//    so a prime bucket count spreads them as well as the key itself, and a
//    power-of-two count still mixes both bytes (the lead byte alone has only
//    ~126 values in GBK and would chain a 7,000-character map ~60-90 deep).
// The default of 64 buckets suits small maps; size large ones with
// InitHashTable(AHashTableSizeFor(n)) before the first insertion.
template <class K, class V>
class AHashMap {
    static_assert(std::is_same_v<K, AString> || (std::is_integral_v<K> && sizeof(K) <= 4),
                  "AHashMap keys: AString or an integer of up to 32 bits");

public:
    explicit AHashMap(int nodesPerBlock = 10) : nodesPerBlock_(nodesPerBlock > 0 ? nodesPerBlock : 10) {}
    AHashMap(const AHashMap&) = delete;
    AHashMap& operator=(const AHashMap&) = delete;
    ~AHashMap() { RemoveAll(); }

    // Only while the map is empty; false otherwise or for buckets < 1.
    bool InitHashTable(int buckets) {
        if (count_ != 0 || buckets < 1) return false;
        std::free(buckets_);
        buckets_ = nullptr;
        bucketCount_ = buckets;
        return true;
    }

    int GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    // Changes with every insertion and every RemoveAll: an index built over
    // the keys is current while the revision is the one it was built at.
    std::uint32_t Revision() const { return revision_; }
    int GetHashTableSize() const { return bucketCount_; }
    int GetBlockCount() const {
        int n = 0;
        for (Block* b = blocks_; b; b = b->next) n++;
        return n;
    }

    static std::uint32_t Hash(const K& key) {
        if constexpr (std::is_same_v<K, AString>) {
            return AHashString(key);
        } else {
            auto u = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<K>>(key));
            return u ^ (u >> 8) ^ (u >> 16) ^ (u >> 24);
        }
    }

    const V* Find(const K& key) const {
        Node* n = FindNode(key, Hash(key));
        return n ? &n->value : nullptr;
    }
    V* Find(const K& key) {
        Node* n = FindNode(key, Hash(key));
        return n ? &n->value : nullptr;
    }
    // A string key given as bytes, without building an AString.
    const V* FindBytes(const char* bytes, int length) const
        requires std::is_same_v<K, AString>
    {
        if (!buckets_ || length < 0) return nullptr;
        const std::uint32_t h = AHashBytes(bytes, length);
        for (Node* n = buckets_[h % static_cast<std::uint32_t>(bucketCount_)]; n; n = n->next) {
            if (n->hash == h && n->key.GetLength() == length &&
                std::memcmp(n->key.GetString(), bytes, static_cast<size_t>(length)) == 0)
                return &n->value;
        }
        return nullptr;
    }
    bool Lookup(const K& key, V& value) const {
        const V* v = Find(key);
        if (!v) return false;
        value = *v;
        return true;
    }

    // Reference to the value of key, inserting a default V when absent.
    V& operator[](const K& key) {
        const std::uint32_t h = Hash(key);
        if (Node* n = FindNode(key, h)) return n->value;
        if (!buckets_) {
            buckets_ = static_cast<Node**>(std::calloc(static_cast<size_t>(bucketCount_), sizeof(Node*)));
            if (!buckets_) std::abort();
        }
        Node* n = TakeNode(key, h);
        Node*& head = buckets_[h % static_cast<std::uint32_t>(bucketCount_)];
        n->next = head;
        head = n;
        count_++;
        revision_++;
        return n->value;
    }
    void SetAt(const K& key, const V& value) { (*this)[key] = value; }

    void RemoveAll() {
        if (buckets_) {
            for (int i = 0; i < bucketCount_; i++) {
                for (Node* n = buckets_[i]; n;) {
                    Node* next = n->next;
                    n->~Node();
                    n = next;
                }
            }
        }
        std::free(buckets_);
        buckets_ = nullptr;
        count_ = 0;
        revision_++;
        freeList_ = nullptr;
        while (blocks_) {
            Block* next = blocks_->next;
            std::free(blocks_);
            blocks_ = next;
        }
    }

    // Calls f(key, value) for every entry in the order of the node blocks
    // (newest block first, insertion order within a block): a sequential walk
    // through memory, much faster than the bucket order of GetNextAssoc.
    // Nodes are handed out in slot order and only RemoveAll returns them, so
    // the used slots are all but the free tail of the newest block.
    template <class F>
    void ForEachInStorageOrder(F f) const {
        int used = count_ % nodesPerBlock_;
        if (used == 0 && count_ > 0) used = nodesPerBlock_;
        for (const Block* b = blocks_; b; b = b->next, used = nodesPerBlock_) {
            const char* first = reinterpret_cast<const char*>(b) + kNodeOffset;
            for (int i = 0; i < used; i++) {
                const Node* n = reinterpret_cast<const Node*>(first + sizeof(Node) * static_cast<size_t>(i));
                f(n->key, n->value);
            }
        }
    }

    APosition GetStartPosition() const { return count_ ? FirstFrom(0) : nullptr; }
    void GetNextAssoc(APosition& pos, K& key, V& value) const {
        const Node* n = Next(pos);
        key = n->key;
        value = n->value;
    }
    // Without copying: pointers into the node.
    void GetNextAssoc(APosition& pos, const K*& key, const V*& value) const {
        const Node* n = Next(pos);
        key = &n->key;
        value = &n->value;
    }

private:
    struct Node {
        Node* next;
        std::uint32_t hash;
        K key;
        V value;
        Node(const K& k, std::uint32_t h) : next(nullptr), hash(h), key(k), value() {}
    };
    struct Block {
        Block* next;
    };
    static constexpr size_t kNodeOffset = (sizeof(Block) + alignof(Node) - 1) / alignof(Node) * alignof(Node);
    static_assert(alignof(Node) <= alignof(std::max_align_t));

    Node* FindNode(const K& key, std::uint32_t h) const {
        if (!buckets_) return nullptr;
        for (Node* n = buckets_[h % static_cast<std::uint32_t>(bucketCount_)]; n; n = n->next) {
            if (n->hash == h && n->key == key) return n;
        }
        return nullptr;
    }

    // Free storage of a node lives in its `next` word.
    Node* TakeNode(const K& key, std::uint32_t h) {
        if (!freeList_) {
            auto* b = static_cast<Block*>(
                std::malloc(kNodeOffset + sizeof(Node) * static_cast<size_t>(nodesPerBlock_)));
            if (!b) std::abort();
            b->next = blocks_;
            blocks_ = b;
            char* first = reinterpret_cast<char*>(b) + kNodeOffset;
            for (int i = nodesPerBlock_ - 1; i >= 0; i--) {
                void* slot = first + sizeof(Node) * static_cast<size_t>(i);
                *static_cast<void**>(slot) = freeList_;
                freeList_ = slot;
            }
        }
        void* slot = freeList_;
        freeList_ = *static_cast<void**>(slot);
        return new (slot) Node(key, h);
    }

    Node* FirstFrom(int bucket) const {
        if (!buckets_) return nullptr;
        for (int i = bucket; i < bucketCount_; i++) {
            if (buckets_[i]) return buckets_[i];
        }
        return nullptr;
    }

    // The node at pos; pos moves to the following node, or nullptr at the end.
    const Node* Next(APosition& pos) const {
        auto* n = static_cast<const Node*>(pos);
        const Node* next = n->next;
        if (!next) next = FirstFrom(static_cast<int>(n->hash % static_cast<std::uint32_t>(bucketCount_)) + 1);
        pos = const_cast<Node*>(next);
        return n;
    }

    int nodesPerBlock_;
    Node** buckets_ = nullptr;
    int bucketCount_ = 64;
    int count_ = 0;
    std::uint32_t revision_ = 0;
    void* freeList_ = nullptr;
    Block* blocks_ = nullptr;
};
