#pragma once
// A minimal PNG writer for screenshots and picture previews: 8-bit RGB or
// RGBA, no filtering, the image data in stored (uncompressed) deflate blocks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// CRC-32 of PNG chunks (polynomial 0xEDB88320); pass the previous result to continue.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);
// Adler-32 of zlib streams; pass the previous result to continue.
std::uint32_t Adler32(std::string_view bytes, std::uint32_t adler = 1);

// The PNG file of `width` x `height` pixels 0x00RRGGBB, rows top-down (the
// layout of a top-down 32-bit DIB section).
std::string EncodePng(int width, int height, const std::uint32_t* pixels);
// The PNG file of `width` x `height` pixels given as R, G, B, A bytes, rows top-down.
std::string EncodePngRgba(int width, int height, const std::uint8_t* rgba);
// Writes the file; false when it cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels);
bool WritePngRgba(const std::string& path, int width, int height, const std::uint8_t* rgba);
