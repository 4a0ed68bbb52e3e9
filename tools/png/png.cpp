#include "tools/png/png.h"

#include <array>
#include <fstream>

namespace {

void PutBigEndian(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type);
    out.append(data);
    PutBigEndian(out, Crc32(std::string_view(out).substr(start)));
}

// A zlib stream of stored deflate blocks (at most 65535 bytes each).
std::string StoredZlib(std::string_view raw) {
    std::string out = "\x78\x01";
    std::size_t at = 0;
    do {
        const std::size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<char>(n & 0xFF));
        out.push_back(static_cast<char>(n >> 8));
        out.push_back(static_cast<char>(~n & 0xFF));
        out.push_back(static_cast<char>((~n >> 8) & 0xFF));
        out.append(raw.substr(at, n));
        at += n;
    } while (at < raw.size());
    PutBigEndian(out, Adler32(raw));
    return out;
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; n++) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (const char b : bytes) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(std::string_view bytes, std::uint32_t adler) {
    std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (const char c : bytes) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

namespace {

// The file of an image whose rows (filter byte included) are in `raw`.
std::string EncodeRows(int width, int height, char colourType, std::string_view raw) {
    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string{'\x08', colourType, '\0', '\0', '\0'};  // 8 bits, deflate, no filter method, no interlace

    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", "");
    return png;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace

std::string EncodePng(int width, int height, const std::uint32_t* pixels) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
    for (int y = 0; y < height; y++) {
        raw.push_back(0);  // filter type None
        for (int x = 0; x < width; x++) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            raw.push_back(static_cast<char>((p >> 16) & 0xFF));
            raw.push_back(static_cast<char>((p >> 8) & 0xFF));
            raw.push_back(static_cast<char>(p & 0xFF));
        }
    }
    return EncodeRows(width, height, 2, raw);
}

std::string EncodePngRgba(int width, int height, const std::uint8_t* rgba) {
    const std::size_t row = 4 * static_cast<std::size_t>(width);
    std::string raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + row));
    for (int y = 0; y < height; y++) {
        raw.push_back(0);
        raw.append(reinterpret_cast<const char*>(rgba) + static_cast<std::size_t>(y) * row, row);
    }
    return EncodeRows(width, height, 6, raw);
}

bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels) {
    return WriteFile(path, EncodePng(width, height, pixels));
}

bool WritePngRgba(const std::string& path, int width, int height, const std::uint8_t* rgba) {
    return WriteFile(path, EncodePngRgba(width, height, rgba));
}
