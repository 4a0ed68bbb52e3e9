#pragma once
// A minimal PNG writer for screenshots of the tests: 8-bit RGB, stored
// (uncompressed) deflate blocks.
#include <cstdint>
#include <string>

// Writes width x height pixels, rows top to bottom, each pixel 0x00RRGGBB (the
// layout of a 32-bit DIB section). False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels);
