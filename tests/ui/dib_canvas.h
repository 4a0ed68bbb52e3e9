#pragma once
// A 32-bit top-down DIB section selected into a memory DC, for reading back
// what GDI drew. Pixels are 0x00RRGGBB.
#include <windows.h>

#include <cstdint>

class DibCanvas {
public:
    DibCanvas(int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~DibCanvas() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    bool Ok() const { return dc_ && bits_ && old_; }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::uint32_t* Bits() const {
        GdiFlush();
        return bits_;
    }
    std::uint32_t At(int x, int y) const { return Bits()[static_cast<std::size_t>(y) * width_ + x]; }
    void Fill(COLORREF colour) {
        GdiFlush();
        const std::uint32_t p = Pixel(colour);
        for (int i = 0; i < width_ * height_; i++) bits_[i] = p;
    }
    // The DIB pixel of a COLORREF.
    static std::uint32_t Pixel(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};
