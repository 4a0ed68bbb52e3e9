#pragma once
// A small baseline JPEG encoder: 8-bit YCbCr without subsampling (sharp
// coloured text), the standard Huffman tables, JFIF at 96 dots per inch.
#include <cstdint>
#include <string>

// The JPEG file of `width` x `height` pixels 0x00RRGGBB, rows top-down;
// quality 1..100 scales the standard quantisation tables.
std::string EncodeJpeg(int width, int height, const std::uint32_t* pixels, int quality);
