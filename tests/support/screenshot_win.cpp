#include <filesystem>

#include "tests/support/screenshot.h"
#include "tools/png/png.h"

DibSection::DibSection(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
}

DibSection::~DibSection() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

std::uint32_t DibSection::Pixel(int x, int y) const {
    GdiFlush();
    return bits_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFF;
}

void DibSection::Fill(std::uint32_t rgb) {
    GdiFlush();
    std::fill(bits_, bits_ + static_cast<std::size_t>(width_) * height_, rgb);
}

std::string ScreensFolder() {
    char given[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("ZH_SCREENS_DIR", given, sizeof given);
    const std::string folder = n > 0 && n < sizeof given ? std::string(given, n) : std::string(ZH_SCREENS_DIR);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::unique_ptr<DibSection> CaptureWindow(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    if (!GetWindowRect(hwnd, &r) || r.right <= r.left || r.bottom <= r.top) return nullptr;
    auto picture = std::make_unique<DibSection>(r.right - r.left, r.bottom - r.top);
    const HDC screen = GetDC(nullptr);
    BitBlt(picture->Dc(), 0, 0, picture->Width(), picture->Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return picture;
}

std::string SaveScreenshot(HWND hwnd, const std::string& name) {
    const std::unique_ptr<DibSection> picture = CaptureWindow(hwnd);
    if (!picture) return {};
    const std::string path = ScreensFolder() + "/" + name + ".png";
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WritePng(path, picture->Width(), picture->Height(), picture->Pixels()) ? path : std::string();
}
