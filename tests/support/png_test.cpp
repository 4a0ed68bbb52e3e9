#include "tools/png/png.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::uint32_t BigEndianAt(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; i++) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

struct Chunk {
    std::string type, data;
};

// The chunks after the signature; a chunk whose CRC does not match fails the test.
std::vector<Chunk> Chunks(const std::string& png) {
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = BigEndianAt(png, at);
        Chunk c{png.substr(at + 4, 4), png.substr(at + 8, length)};
        EXPECT_EQ(BigEndianAt(png, at + 8 + length), Crc32(png.substr(at + 4, 4 + length))) << c.type;
        chunks.push_back(c);
        at += 12 + length;
    }
    return chunks;
}

// Inflates a zlib stream made only of stored blocks; a malformed block fails the test.
std::string InflateStored(const std::string& z) {
    EXPECT_EQ(z.substr(0, 2), std::string("\x78\x01"));
    std::string out;
    std::size_t at = 2;
    for (bool last = false; !last && at + 5 <= z.size();) {
        last = z[at] & 1;
        EXPECT_EQ(z[at] & 6, 0) << "not a stored block";
        const unsigned len = static_cast<unsigned char>(z[at + 1]) | static_cast<unsigned char>(z[at + 2]) << 8;
        const unsigned nlen = static_cast<unsigned char>(z[at + 3]) | static_cast<unsigned char>(z[at + 4]) << 8;
        EXPECT_EQ(len ^ 0xFFFF, nlen);
        out += z.substr(at + 5, len);
        at += 5 + len;
    }
    EXPECT_EQ(at + 4, z.size());
    EXPECT_EQ(BigEndianAt(z, at), Adler32(out));
    return out;
}

TEST(Png, ChecksumsOfKnownTexts) {
    EXPECT_EQ(Crc32(""), 0u);
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32("IEND"), 0xAE426082u);  // the CRC every PNG ends with
    EXPECT_EQ(Crc32("6789", Crc32("12345")), 0xCBF43926u);
    EXPECT_EQ(Adler32(""), 1u);
    EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
    EXPECT_EQ(Adler32("pedia", Adler32("Wiki")), 0x11E60398u);
    // Sums past the modulus: 100000 bytes of 0xFF.
    EXPECT_EQ(Adler32(std::string(100000, '\xFF')), 0x149A302Cu);
}

TEST(Png, EncodesRowsOfRgbBytesBehindFilterBytes) {
    const std::uint32_t pixels[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
    const std::string png = EncodePng(3, 2, pixels);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
    const std::vector<Chunk> chunks = Chunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[0].data, std::string("\0\0\0\3\0\0\0\2\x08\x02\0\0\0", 13));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(InflateStored(chunks[1].data), std::string("\0\xFF\0\0\0\xFF\0\0\0\xFF"
                                                         "\0\x12\x34\x56\xFF\xFF\xFF\0\0\0",
                                                         20));
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_EQ(chunks[2].data, "");
}

TEST(Png, SplitsLargeImagesIntoBlocksOf65535Bytes) {
    // 300 x 100 pixels: 100 x 901 = 90100 bytes, two stored blocks.
    std::vector<std::uint32_t> pixels(300 * 100);
    for (std::size_t i = 0; i < pixels.size(); i++) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    const std::vector<Chunk> chunks = Chunks(EncodePng(300, 100, pixels.data()));
    ASSERT_EQ(chunks.size(), 3u);
    const std::string raw = InflateStored(chunks[1].data);
    ASSERT_EQ(raw.size(), 90100u);
    EXPECT_EQ(chunks[1].data.size(), 2 + 2 * 5 + 90100 + 4u);
    for (int y : {0, 72, 99}) {
        EXPECT_EQ(raw[y * 901], 0);
        const std::uint32_t p = pixels[y * 300 + 299];
        EXPECT_EQ(static_cast<unsigned char>(raw[y * 901 + 898]), (p >> 16) & 0xFF);
        EXPECT_EQ(static_cast<unsigned char>(raw[y * 901 + 900]), p & 0xFF);
    }
}

}  // namespace
