#pragma once
// Small owners of GDI objects, device contexts, the clipboard and COM pointers:
// each releases exactly what it took, once.
#include <windows.h>

#include <cstring>

#include <utility>

// Deletes its GDI object (pen, brush, font, bitmap, region).
template <class T>
class Gdi {
public:
    explicit Gdi(T h = nullptr) : h_(h) {}
    ~Gdi() { Reset(); }
    Gdi(Gdi&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Gdi& operator=(Gdi&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    Gdi(const Gdi&) = delete;
    Gdi& operator=(const Gdi&) = delete;

    operator T() const { return h_; }
    T Get() const { return h_; }
    void Reset(T h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }

private:
    T h_;
};

// Undoes one SelectObject when it goes.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() {
        if (old_) SelectObject(dc_, old_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint ... EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    operator HDC() const { return dc_; }
    const RECT& Rect() const { return ps_.rcPaint; }  // the part to paint
    bool Erase() const { return ps_.fErase; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC (the client area) or GetWindowDC (the whole window) ... ReleaseDC.
class WindowDc {
public:
    enum Area { Client, Whole };
    explicit WindowDc(HWND hwnd, Area area = Client)
        : hwnd_(hwnd), dc_(area == Whole ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// CreateCompatibleDC ... DeleteDC.
class MemoryDc {
public:
    explicit MemoryDc(HDC like = nullptr) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// A memory DC the size of `rect` on which the caller draws in the target's
// coordinates; its picture is copied to the target when the object goes.
// Without memory for the bitmap it draws on the target directly.
class BufferedDc {
public:
    BufferedDc(HDC target, const RECT& rect)
        : target_(target),
          rect_(rect),
          memory_(target),
          bitmap_(CreateCompatibleBitmap(target, Width(), Height())),
          selected_(memory_, bitmap_) {
        if (bitmap_) SetWindowOrgEx(memory_, rect_.left, rect_.top, nullptr);
    }
    ~BufferedDc() {
        if (bitmap_) BitBlt(target_, rect_.left, rect_.top, Width(), Height(), memory_, rect_.left, rect_.top, SRCCOPY);
    }
    BufferedDc(const BufferedDc&) = delete;
    BufferedDc& operator=(const BufferedDc&) = delete;

    operator HDC() const { return bitmap_ ? static_cast<HDC>(memory_) : target_; }

private:
    int Width() const { return rect_.right > rect_.left ? rect_.right - rect_.left : 1; }
    int Height() const { return rect_.bottom > rect_.top ? rect_.bottom - rect_.top : 1; }

    HDC target_;
    RECT rect_;
    MemoryDc memory_;
    Gdi<HBITMAP> bitmap_;
    Selected selected_;
};

// A movable, zeroed GlobalAlloc block (none for 0 bytes), freed when it goes
// unless handed on: to the clipboard, or to a caller that takes it over.
class GlobalBlock {
public:
    static constexpr UINT kFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;
    // The flags of clipboard data blocks.
    static constexpr UINT kClipboardFlags = kFlags | GMEM_DDESHARE;

    explicit GlobalBlock(SIZE_T bytes, UINT flags = kFlags) : block_(bytes ? GlobalAlloc(flags, bytes) : nullptr) {}
    ~GlobalBlock() {
        if (block_) GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    HGLOBAL Get() const { return block_; }
    // Copies `count` bytes (at most the block's size) to its start.
    bool Fill(const void* bytes, SIZE_T count) {
        void* p = block_ && count <= GlobalSize(block_) ? GlobalLock(block_) : nullptr;
        if (!p) return false;
        std::memcpy(p, bytes, count);
        GlobalUnlock(block_);
        return true;
    }
    // Gives the block to the clipboard; false (and kept) when it refuses.
    bool HandOver(UINT format) {
        if (!block_ || !SetClipboardData(format, block_)) return false;
        block_ = nullptr;
        return true;
    }
    // The block, no longer owned.
    HGLOBAL Release() { return std::exchange(block_, nullptr); }

private:
    HGLOBAL block_;
};

// OpenClipboard ... CloseClipboard. Another program may hold the clipboard for
// a moment, so opening is tried again for up to `patienceMs`; messages sent to
// this thread meanwhile are handled (the holder may be waiting on one of ours).
class ClipboardOpen {
public:
    explicit ClipboardOpen(HWND owner, DWORD patienceMs = 500);
    ~ClipboardOpen() {
        if (open_) CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;

    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// Holds one reference to a COM object.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}  // takes over the caller's reference
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For functions that return a new reference through a T**: releases the held one first.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};
