#include "tools/mkpicture/bmp.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

uint32_t Le(const std::vector<unsigned char>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

void PutLe(std::string& o, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) o += static_cast<char>(v >> (8 * i) & 0xFF);
}

}  // namespace

bool ReadBmp(const std::string& path, Picture& out) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
    const uint32_t offset = Le(b, 10, 4);
    const int w = static_cast<int>(Le(b, 18, 4));
    const int h = static_cast<int>(static_cast<int32_t>(Le(b, 22, 4)));
    const int bits = static_cast<int>(Le(b, 28, 2));
    if (Le(b, 30, 4) != 0 || (bits != 24 && bits != 32) || w <= 0 || h == 0) return false;
    const int rows = std::abs(h);
    const size_t stride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    if (offset + stride * rows > b.size()) return false;
    out.w = w;
    out.h = rows;
    out.px.assign(static_cast<size_t>(w) * rows, 0);
    for (int y = 0; y < rows; ++y) {
        const size_t row = offset + stride * static_cast<size_t>(h > 0 ? rows - 1 - y : y);
        for (int x = 0; x < w; ++x) {
            const size_t p = row + static_cast<size_t>(x) * (bits / 8);
            out.px[static_cast<size_t>(y) * w + x] = static_cast<Colour>(b[p + 2]) << 16 | b[p + 1] << 8 | b[p];
        }
    }
    return true;
}

std::string EncodeBmp(int width, int height, const Colour* pixels) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(height);
    std::string o = "BM";
    PutLe(o, 54 + imageBytes, 4);
    PutLe(o, 0, 4);
    PutLe(o, 54, 4);
    PutLe(o, 40, 4);
    PutLe(o, static_cast<uint32_t>(width), 4);
    PutLe(o, static_cast<uint32_t>(height), 4);
    PutLe(o, 1, 2);
    PutLe(o, 24, 2);
    PutLe(o, 0, 4);  // BI_RGB
    PutLe(o, imageBytes, 4);
    PutLe(o, 3780, 4);  // 96 dpi
    PutLe(o, 3780, 4);
    PutLe(o, 0, 4);
    PutLe(o, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const Colour c = pixels[static_cast<size_t>(y) * width + x];
            row[x * 3] = static_cast<char>(c & 0xFF);
            row[x * 3 + 1] = static_cast<char>(c >> 8 & 0xFF);
            row[x * 3 + 2] = static_cast<char>(c >> 16 & 0xFF);
        }
        o += row;
    }
    return o;
}
