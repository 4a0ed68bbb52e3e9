#pragma once
#include "text/astring.h"

// AArrCore: a dynamic array whose element type is chosen by a subclass through
// three virtual operations (construct, destroy, copy). Elements are moved
// bitwise when the storage grows or the tail shifts, so an element type must be
// trivially relocatable (AString is: one pointer). No bounds checks on element
// access; operations that change the size ignore invalid arguments.
class AArrCore {
public:
    AArrCore(const AArrCore&) = delete;
    AArrCore& operator=(const AArrCore&) = delete;
    virtual ~AArrCore();

    int GetSize() const { return size_; }
    int GetCount() const { return size_; }
    bool IsEmpty() const { return size_ == 0; }
    int GetUpperBound() const { return size_ - 1; }
    int GetCapacity() const { return capacity_; }
    int GetGrowBy() const { return growBy_; }

    // growBy: -1 (any negative) keeps the current grow-by, 0 sets size / 16
    // clamped to 32..1024, another value sets it. An array without storage
    // allocates exactly n elements (a zero-element block for n = 0); later
    // growth takes max(capacity + grow-by, n). New elements are constructed,
    // removed ones destroyed; storage never shrinks except in RemoveAll.
    void SetSize(int n, int growBy = -1);
    void RemoveAt(int index, int count = 1);  // destroys, then moves the tail down
    void RemoveAll();                         // frees storage, grow-by back to 20

protected:
    static constexpr int kDefaultGrowBy = 20;

    explicit AArrCore(int elementSize);

    // Virtual operations, in slot order.
    virtual void ConstructElement(void* element) = 0;
    virtual void DestroyElement(void* element) = 0;
    virtual void CopyElement(void* dst, const void* src) = 0;

    char* ElementPtr(int i) const { return data_ + static_cast<long long>(i) * elementSize_; }
    int AddCopy(const void* src);                       // src must not point into the array
    void SetAtGrowCopy(int index, const void* src);     // likewise
    void InsertCopies(int index, const void* src, int count);  // likewise
    void CopyFrom(const AArrCore& other);

private:
    bool Reserve(int n);  // storage for n elements by the growth rules; no construction

    char* data_ = nullptr;
    int size_ = 0;
    int capacity_ = 0;
    int growBy_ = kDefaultGrowBy;
    int elementSize_;
};

// Array of AString.
class AStringArray : public AArrCore {
public:
    AStringArray();
    AStringArray(const AStringArray& other);
    AStringArray& operator=(const AStringArray& other);
    ~AStringArray() override;

    int Add(const AString& s);
    int Add(const char* text);
    const AString& GetAt(int i) const { return Data()[i]; }
    AString& ElementAt(int i) { return Data()[i]; }
    AString& operator[](int i) { return Data()[i]; }
    const AString& operator[](int i) const { return Data()[i]; }
    AString* GetData() { return Data(); }
    const AString* GetData() const { return Data(); }
    void SetAt(int i, const AString& s) { Data()[i] = s; }
    void SetAtGrow(int i, const AString& s);
    void InsertAt(int index, const AString& s, int count = 1);
    void Copy(const AStringArray& other);

protected:
    void ConstructElement(void* element) override;
    void DestroyElement(void* element) override;
    void CopyElement(void* dst, const void* src) override;

private:
    AString* Data() const { return reinterpret_cast<AString*>(ElementPtr(0)); }
};
