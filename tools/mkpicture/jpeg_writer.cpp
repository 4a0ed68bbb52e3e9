#include "tools/mkpicture/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
                             41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
                             30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

constexpr int kLumaQuant[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr int kChromaQuant[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                  24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The standard Huffman tables of the JPEG annex K: code counts per
// length 1..16, then the symbols.
struct HuffTable {
    uint8_t counts[16];
    std::vector<uint8_t> symbols;
};
const HuffTable kDcLuma{{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
const HuffTable kDcChroma{{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
const HuffTable kAcLuma{
    {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
    {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
     0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
     0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
     0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
     0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
     0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
     0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
     0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
     0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa}};
const HuffTable kAcChroma{
    {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},
    {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
     0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
     0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
     0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
     0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
     0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
     0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
     0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
     0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa}};

// Code and length of every symbol, from its counts and symbols.
struct HuffCodes {
    uint16_t code[256] = {};
    uint8_t length[256] = {};
    explicit HuffCodes(const HuffTable& table) {
        int k = 0;
        uint16_t next = 0;
        for (int len = 1; len <= 16; ++len) {
            for (int i = 0; i < table.counts[len - 1]; ++i, ++k) {
                code[table.symbols[k]] = next++;
                length[table.symbols[k]] = static_cast<uint8_t>(len);
            }
            next = static_cast<uint16_t>(next << 1);
        }
    }
};

class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void Put(uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            acc_ = static_cast<uint8_t>((acc_ << 1) | ((bits >> i) & 1));
            if (++used_ == 8) Flush();
        }
    }
    void Finish() {  // pads the last byte with ones
        while (used_) Put(1, 1);
    }

private:
    void Flush() {
        out_ += static_cast<char>(acc_);
        if (acc_ == 0xFF) out_ += '\0';  // byte stuffing
        acc_ = 0;
        used_ = 0;
    }
    std::string& out_;
    uint8_t acc_ = 0;
    int used_ = 0;
};

void Word(std::string& o, int v) {
    o += static_cast<char>((v >> 8) & 0xFF);
    o += static_cast<char>(v & 0xFF);
}

void Marker(std::string& o, int m) {
    o += '\xFF';
    o += static_cast<char>(m);
}

void ScaledTable(const int* base, int quality, int* out) {
    quality = std::clamp(quality, 1, 100);
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    for (int i = 0; i < 64; ++i) out[i] = std::clamp((base[i] * scale + 50) / 100, 1, 255);
}

void WriteHuffTable(std::string& o, int tableClass, int id, const HuffTable& table) {
    o += static_cast<char>(tableClass << 4 | id);
    for (uint8_t c : table.counts) o += static_cast<char>(c);
    for (uint8_t s : table.symbols) o += static_cast<char>(s);
}

// The number of bits of |v| and the bits that encode v.
int Category(int v) {
    int a = v < 0 ? -v : v, n = 0;
    while (a) {
        ++n;
        a >>= 1;
    }
    return n;
}
uint32_t Bits(int v, int n) { return static_cast<uint32_t>(v < 0 ? v + (1 << n) - 1 : v); }

// Forward DCT of one 8 x 8 block of level-shifted samples, quantised, in zig-zag order.
void TransformBlock(const float* samples, const int* quant, int* out) {
    static float cosines[8][8];
    static bool ready = false;
    if (!ready) {
        for (int x = 0; x < 8; ++x)
            for (int u = 0; u < 8; ++u) cosines[x][u] = static_cast<float>(std::cos((2 * x + 1) * u * M_PI / 16));
        ready = true;
    }
    float coefficients[64];
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
            float sum = 0;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) sum += samples[y * 8 + x] * cosines[x][u] * cosines[y][v];
            const float cu = u ? 1.0f : static_cast<float>(M_SQRT1_2), cv = v ? 1.0f : static_cast<float>(M_SQRT1_2);
            coefficients[v * 8 + u] = 0.25f * cu * cv * sum;
        }
    for (int i = 0; i < 64; ++i) {
        const int at = kZigzag[i];
        out[i] = static_cast<int>(std::lround(coefficients[at] / quant[at]));
    }
}

void EncodeBlock(BitWriter& w, const int* zz, int& previousDc, const HuffCodes& dc, const HuffCodes& ac) {
    const int diff = zz[0] - previousDc;
    previousDc = zz[0];
    const int n = Category(diff);
    w.Put(dc.code[n], dc.length[n]);
    if (n) w.Put(Bits(diff, n), n);
    int run = 0;
    for (int i = 1; i < 64; ++i) {
        if (zz[i] == 0) {
            ++run;
            continue;
        }
        while (run > 15) {
            w.Put(ac.code[0xF0], ac.length[0xF0]);
            run -= 16;
        }
        const int bits = Category(zz[i]);
        const int symbol = run << 4 | bits;
        w.Put(ac.code[symbol], ac.length[symbol]);
        w.Put(Bits(zz[i], bits), bits);
        run = 0;
    }
    if (run) w.Put(ac.code[0], ac.length[0]);  // end of block
}

}  // namespace

std::string EncodeJpeg(int width, int height, const std::uint32_t* pixels, int quality) {
    int luma[64], chroma[64];
    ScaledTable(kLumaQuant, quality, luma);
    ScaledTable(kChromaQuant, quality, chroma);
    std::string o;
    Marker(o, 0xD8);
    Marker(o, 0xE0);  // JFIF, 96 x 96 dots per inch
    Word(o, 16);
    o.append("JFIF\0", 5);
    o += '\x01';
    o += '\x01';
    o += '\x01';
    Word(o, 96);
    Word(o, 96);
    o += '\0';
    o += '\0';
    Marker(o, 0xDB);
    Word(o, 2 + 2 * 65);
    o += '\0';
    for (int i = 0; i < 64; ++i) o += static_cast<char>(luma[kZigzag[i]]);
    o += '\x01';
    for (int i = 0; i < 64; ++i) o += static_cast<char>(chroma[kZigzag[i]]);
    Marker(o, 0xC0);  // baseline, three components, no subsampling
    Word(o, 17);
    o += '\x08';
    Word(o, height);
    Word(o, width);
    o += '\x03';
    for (int c = 1; c <= 3; ++c) {
        o += static_cast<char>(c);
        o += '\x11';
        o += static_cast<char>(c == 1 ? 0 : 1);
    }
    Marker(o, 0xC4);
    std::string tables;
    WriteHuffTable(tables, 0, 0, kDcLuma);
    WriteHuffTable(tables, 1, 0, kAcLuma);
    WriteHuffTable(tables, 0, 1, kDcChroma);
    WriteHuffTable(tables, 1, 1, kAcChroma);
    Word(o, static_cast<int>(2 + tables.size()));
    o += tables;
    Marker(o, 0xDA);
    Word(o, 12);
    o += '\x03';
    o.append("\x01\x00\x02\x11\x03\x11", 6);
    o.append("\x00\x3F\x00", 3);

    const HuffCodes dcLuma(kDcLuma), acLuma(kAcLuma), dcChroma(kDcChroma), acChroma(kAcChroma);
    BitWriter w(o);
    int previous[3] = {};
    for (int by = 0; by < height; by += 8)
        for (int bx = 0; bx < width; bx += 8) {
            float planes[3][64];
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const int px = std::min(bx + x, width - 1), py = std::min(by + y, height - 1);
                    const uint32_t c = pixels[static_cast<size_t>(py) * width + px];
                    const float r = static_cast<float>(c >> 16 & 0xFF), g = static_cast<float>(c >> 8 & 0xFF),
                                b = static_cast<float>(c & 0xFF);
                    planes[0][y * 8 + x] = 0.299f * r + 0.587f * g + 0.114f * b - 128;
                    planes[1][y * 8 + x] = -0.168736f * r - 0.331264f * g + 0.5f * b;
                    planes[2][y * 8 + x] = 0.5f * r - 0.418688f * g - 0.081312f * b;
                }
            for (int c = 0; c < 3; ++c) {
                int zz[64];
                TransformBlock(planes[c], c ? chroma : luma, zz);
                EncodeBlock(w, zz, previous[c], c ? dcChroma : dcLuma, c ? acChroma : acLuma);
            }
        }
    w.Finish();
    Marker(o, 0xD9);
    return o;
}
