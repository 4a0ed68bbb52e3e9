#include "tests/res/screenshot.h"

#include <cstdint>
#include <string>
#include <vector>

#include "tools/mkres/png.h"

namespace {

void MakeFolders(const std::wstring& path) {
    for (size_t i = path.find_first_of(L"/\\"); i != std::wstring::npos; i = path.find_first_of(L"/\\", i + 1))
        CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}

}  // namespace

bool SaveWindowPng(HWND window, const std::wstring& path) {
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, dib);
    const bool copied = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    const auto* px = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = px[i + 2];
        rgba[i + 1] = px[i + 1];
        rgba[i + 2] = px[i];
        rgba[i + 3] = 255;
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    if (!copied) return false;
    MakeFolders(path);
    const int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow.data(), n, nullptr, nullptr);
    return png::Write(narrow, w, h, rgba);
}
