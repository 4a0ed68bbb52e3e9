#pragma once
// Pictures of windows for Windows tests: a 32-bit DIB section to draw into and
// read back, and PNG screenshots under the build's screens folder.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// A top-down 32-bit DIB section selected into a memory DC of its own.
class DibSection {
public:
    DibSection(int width, int height);
    ~DibSection();
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Ok() const { return dc_ && bits_ && old_; }
    // The pixels, rows top-down, after GdiFlush.
    const std::uint32_t* Pixels() const {
        GdiFlush();
        return bits_;
    }
    // 0x00RRGGBB at (x, y), after GdiFlush.
    std::uint32_t Pixel(int x, int y) const;
    // Every pixel set to 0x00RRGGBB.
    void Fill(std::uint32_t rgb);

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// 0x00RRGGBB of a COLORREF, to compare with DibSection pixels.
inline std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// The folder of the screenshots: ZH_SCREENS_DIR from the environment, else the
// build's (build/screens); made when missing.
std::string ScreensFolder();
// The whole window (frame included) copied from the screen, after its pending
// painting; null when it has no size.
std::unique_ptr<DibSection> CaptureWindow(HWND hwnd);
// Saves the window as <ScreensFolder>/<name>.png (name may hold sub-folders);
// the path, or empty on failure.
std::string SaveScreenshot(HWND hwnd, const std::string& name);
