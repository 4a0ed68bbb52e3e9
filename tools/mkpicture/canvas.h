#pragma once
// A 32-bit RGB canvas with the few primitives of the welcome picture:
// rectangles, gradients, anti-aliased rounded rectangles, circles, polygons
// and thick lines, scaled bitmaps, and text through FreeType.
#include <cstdint>
#include <ft2build.h>
#include <string>
#include <utility>
#include <vector>
#include FT_FREETYPE_H

using Colour = std::uint32_t;  // 0x00RRGGBB

struct Picture {  // a bitmap, rows top-down
    int w = 0, h = 0;
    std::vector<Colour> px;
};

class Font {
public:
    Font() = default;
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    bool Open(const std::string& path, int faceIndex);
    FT_Face Face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

class Canvas {
public:
    Canvas(int w, int h, Colour fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}
    int Width() const { return w_; }
    int Height() const { return h_; }
    const Colour* Pixels() const { return px_.data(); }

    // Blends colour c over pixel (x, y) with coverage 0..1.
    void Blend(int x, int y, Colour c, double coverage);
    void Rect(int x, int y, int w, int h, Colour c);
    void VerticalGradient(int x, int y, int w, int h, Colour top, Colour bottom);
    // Filled, anti-aliased; radius 0 gives square corners. A border of width
    // `border` in colour `edge` when border > 0.
    void RoundRect(double x, double y, double w, double h, double radius, Colour fill, Colour edge = 0,
                   double border = 0);
    void Circle(double cx, double cy, double r, Colour c);
    void Polygon(const std::vector<std::pair<double, double>>& points, Colour c);
    void Line(double x0, double y0, double x1, double y1, double width, Colour c);
    // Each source pixel as scale x scale pixels.
    void Blit(const Picture& p, int sx, int sy, int sw, int sh, int x, int y, int scale);
    // UTF-8 text with its baseline at y; returns the advance in pixels.
    int Text(const Font& font, int sizePx, int x, int y, const std::string& utf8, Colour c, bool bold = false);
    static int TextWidth(const Font& font, int sizePx, const std::string& utf8, bool bold = false);

private:
    int w_, h_;
    std::vector<Colour> px_;
};
