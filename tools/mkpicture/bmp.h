#pragma once
// Uncompressed BMP files: reading 24- and 32-bit ones, writing 24-bit ones.
#include <string>

#include "tools/mkpicture/canvas.h"

// False when the file is not an uncompressed 24- or 32-bit BMP.
bool ReadBmp(const std::string& path, Picture& out);
// The 24-bit bottom-up BMP file of the pixels (rows top-down), 96 dots per inch.
std::string EncodeBmp(int width, int height, const Colour* pixels);
