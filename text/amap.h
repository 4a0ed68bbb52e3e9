#pragma once
#include <cstdint>

#include "text/astring.h"

using APosition = void*;  // iteration cursor; nullptr ends

// The string hash of the maps: h = h * 33 + byte (taken as signed), unsigned
// 32-bit. Callers reduce it modulo their bucket count.
std::uint32_t AHashString(const AString& key);
std::uint32_t AHashBytes(const char* bytes, int length);  // AHashString of those bytes

// A prime bucket count for about `expectedCount` entries (load factor ~1);
// at least 64.
int AHashTableSizeFor(int expectedCount);

// AMapCore: chained hash map with AString keys; the value type is chosen by a
// subclass through two virtual operations. A node is: next pointer, key,
// value. Nodes come from blocks of `nodesPerBlock` nodes allocated in one
// piece and go back only through RemoveAll, which frees every block. A new
// node goes to the head of its bucket's chain, so iteration runs in bucket
// order, most recently inserted first within a bucket.
class AMapCore {
public:
    AMapCore(const AMapCore&) = delete;
    AMapCore& operator=(const AMapCore&) = delete;
    virtual ~AMapCore();

    int GetCount() const { return count_; }
    int GetSize() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    int GetHashTableSize() const { return bucketCount_; }
    int GetBlockCount() const;  // node blocks currently held

    // Sets the bucket count (default 64). Only while the map is empty;
    // false otherwise or for buckets < 1. RemoveAll keeps the count.
    bool InitHashTable(int buckets);
    void RemoveAll();

    APosition GetStartPosition() const;

protected:
    static constexpr int kDefaultBuckets = 64;

    AMapCore(int valueSize, int nodesPerBlock);

    // Virtual operations, in slot order: construct a node's key (empty) and
    // value (default), and destroy both.
    virtual void InitNode(void* node) = 0;
    virtual void FreeNode(void* node) = 0;

    static AString* KeyOf(void* node);
    static void* ValueOf(void* node);

    void* FindNode(const AString& key) const;
    void* FindNode(const char* bytes, int length) const;
    void* FindOrAddNode(const AString& key);  // a new node has the default value
    void* NextNode(APosition& pos) const;      // node at pos; advances pos

private:
    void* NewNode();

    void** buckets_ = nullptr;
    int bucketCount_ = kDefaultBuckets;
    int count_ = 0;
    void* freeList_ = nullptr;
    void* blocks_ = nullptr;
    int nodesPerBlock_;
    int nodeSize_;
};

// AString to AString.
class AMapStringToString : public AMapCore {
public:
    explicit AMapStringToString(int nodesPerBlock = 10);
    ~AMapStringToString() override;

    bool Lookup(const AString& key, AString& value) const;
    const AString* Find(const AString& key) const;  // nullptr when absent
    AString* Find(const AString& key);
    const AString* FindBytes(const char* bytes, int length) const;  // the key given as bytes
    AString& operator[](const AString& key);        // inserts an empty value when absent
    void SetAt(const AString& key, const AString& value) { (*this)[key] = value; }
    void GetNextAssoc(APosition& pos, AString& key, AString& value) const;

protected:
    void InitNode(void* node) override;
    void FreeNode(void* node) override;
};

// AString to a pointer-sized value (a pointer or a small integer). The value
// is void* rather than 32 bits so that it can hold a pointer on 64-bit builds.
class AMapStringToPtr : public AMapCore {
public:
    explicit AMapStringToPtr(int nodesPerBlock = 10);
    ~AMapStringToPtr() override;

    bool Lookup(const AString& key, void*& value) const;
    void* const* Find(const AString& key) const;  // nullptr when absent
    void** Find(const AString& key);
    void*& operator[](const AString& key);        // inserts nullptr when absent
    void SetAt(const AString& key, void* value) { (*this)[key] = value; }
    void GetNextAssoc(APosition& pos, AString& key, void*& value) const;

protected:
    void InitNode(void* node) override;
    void FreeNode(void* node) override;
};
