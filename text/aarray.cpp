#include "text/aarray.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

char* AllocElements(long long bytes) {
    if (bytes < 0) std::abort();  // like out-of-memory
    auto* p = static_cast<char*>(std::malloc(bytes > 0 ? static_cast<size_t>(bytes) : 1));
    if (!p) std::abort();
    return p;
}

}  // namespace

AArrCore::AArrCore(int elementSize) : elementSize_(elementSize) {}

// Subclasses empty the array in their destructors, while their element
// operations are still reachable; only storage can be left here.
AArrCore::~AArrCore() { std::free(data_); }

bool AArrCore::Reserve(int n) {
    if (n < 0) return false;
    if (!data_) {
        data_ = AllocElements(static_cast<long long>(n) * elementSize_);
        capacity_ = n;
        return true;
    }
    if (n <= capacity_) return true;
    long long cap = static_cast<long long>(capacity_) + growBy_;
    if (cap < n) cap = n;
    if (cap > 0x7FFFFFFF) cap = n;
    char* p = AllocElements(cap * elementSize_);
    std::memcpy(p, data_, static_cast<size_t>(size_) * static_cast<size_t>(elementSize_));
    std::free(data_);
    data_ = p;
    capacity_ = static_cast<int>(cap);
    return true;
}

void AArrCore::SetSize(int n, int growBy) {
    if (growBy == 0) {
        int g = size_ / 16;
        growBy_ = g < 32 ? 32 : g > 1024 ? 1024 : g;
    } else if (growBy > 0) {
        growBy_ = growBy;
    }
    if (!Reserve(n)) return;
    for (int i = size_; i < n; i++) ConstructElement(ElementPtr(i));
    for (int i = n; i < size_; i++) DestroyElement(ElementPtr(i));
    size_ = n;
}

void AArrCore::RemoveAt(int index, int count) {
    if (index < 0 || count <= 0 || index >= size_) return;
    if (count > size_ - index) count = size_ - index;
    for (int i = index; i < index + count; i++) DestroyElement(ElementPtr(i));
    int tail = size_ - index - count;
    if (tail > 0) {
        std::memmove(ElementPtr(index), ElementPtr(index + count),
                     static_cast<size_t>(tail) * static_cast<size_t>(elementSize_));
    }
    size_ -= count;
}

void AArrCore::RemoveAll() {
    for (int i = 0; i < size_; i++) DestroyElement(ElementPtr(i));
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
    growBy_ = kDefaultGrowBy;
}

int AArrCore::AddCopy(const void* src) {
    int index = size_;
    SetSize(size_ + 1);
    CopyElement(ElementPtr(index), src);
    return index;
}

void AArrCore::SetAtGrowCopy(int index, const void* src) {
    if (index < 0) return;
    if (index >= size_) SetSize(index + 1);
    CopyElement(ElementPtr(index), src);
}

void AArrCore::InsertCopies(int index, const void* src, int count) {
    if (index < 0 || count <= 0 || count > 0x7FFFFFFF - (index > size_ ? index : size_)) return;
    if (index >= size_) {
        SetSize(index + count);
    } else {
        int old = size_;
        if (!Reserve(old + count)) return;
        std::memmove(ElementPtr(index + count), ElementPtr(index),
                     static_cast<size_t>(old - index) * static_cast<size_t>(elementSize_));
        for (int i = index; i < index + count; i++) ConstructElement(ElementPtr(i));
        size_ = old + count;
    }
    for (int i = index; i < index + count; i++) CopyElement(ElementPtr(i), src);
}

void AArrCore::CopyFrom(const AArrCore& other) {
    if (&other == this) return;
    RemoveAll();
    SetSize(other.size_);
    for (int i = 0; i < other.size_; i++) CopyElement(ElementPtr(i), other.ElementPtr(i));
}

AStringArray::AStringArray() : AArrCore(sizeof(AString)) {}

AStringArray::AStringArray(const AStringArray& other) : AArrCore(sizeof(AString)) { CopyFrom(other); }

AStringArray& AStringArray::operator=(const AStringArray& other) {
    CopyFrom(other);
    return *this;
}

AStringArray::~AStringArray() { RemoveAll(); }

// The argument may be an element of this array: keep a reference of our own
// while the storage moves.
int AStringArray::Add(const AString& s) {
    AString copy(s);
    return AddCopy(&copy);
}

int AStringArray::Add(const char* text) {
    AString copy(text);
    return AddCopy(&copy);
}

void AStringArray::SetAtGrow(int i, const AString& s) {
    AString copy(s);
    SetAtGrowCopy(i, &copy);
}

void AStringArray::InsertAt(int index, const AString& s, int count) {
    AString copy(s);
    InsertCopies(index, &copy, count);
}

void AStringArray::Copy(const AStringArray& other) { CopyFrom(other); }

void AStringArray::ConstructElement(void* element) { new (element) AString(); }

void AStringArray::DestroyElement(void* element) { static_cast<AString*>(element)->~AString(); }

void AStringArray::CopyElement(void* dst, const void* src) {
    *static_cast<AString*>(dst) = *static_cast<const AString*>(src);
}
