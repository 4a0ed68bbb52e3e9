#include "tools/mkpicture/canvas.h"

#include <algorithm>
#include <cmath>

#include FT_OUTLINE_H

namespace {

std::u32string Decode(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0xFF >> (n + 1));
        for (int k = 1; k < n && i + k < s.size(); ++k) c = c << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += c;
        i += n;
    }
    return out;
}

// Loads a glyph outline at the given size, emboldened for bold text, and renders it.
bool RenderGlyph(FT_Face face, int sizePx, char32_t c, bool bold) {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(sizePx));
    if (FT_Load_Char(face, c, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT)) return false;
    if (bold && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Embolden(&face->glyph->outline, sizePx * 3);
    return FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
}

}  // namespace

Font::~Font() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
}

bool Font::Open(const std::string& path, int faceIndex) {
    return FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, path.c_str(), faceIndex, &face_) == 0;
}

void Canvas::Blend(int x, int y, Colour c, double coverage) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || coverage <= 0) return;
    coverage = std::min(coverage, 1.0);
    Colour& d = px_[static_cast<size_t>(y) * w_ + x];
    auto mix = [&](int shift) {
        const double a = (d >> shift) & 0xFF, b = (c >> shift) & 0xFF;
        return static_cast<Colour>(std::lround(a + (b - a) * coverage)) << shift;
    };
    d = mix(16) | mix(8) | mix(0);
}

void Canvas::Rect(int x, int y, int w, int h, Colour c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Blend(i, j, c, 1);
}

void Canvas::VerticalGradient(int x, int y, int w, int h, Colour top, Colour bottom) {
    for (int j = 0; j < h; ++j) {
        const double t = h > 1 ? static_cast<double>(j) / (h - 1) : 0;
        auto mix = [&](int shift) {
            const double a = (top >> shift) & 0xFF, b = (bottom >> shift) & 0xFF;
            return static_cast<Colour>(std::lround(a + (b - a) * t)) << shift;
        };
        const Colour c = mix(16) | mix(8) | mix(0);
        for (int i = x; i < x + w; ++i) Blend(i, y + j, c, 1);
    }
}

namespace {

// Coverage of a pixel by a shape given as a signed distance (negative inside).
double Coverage(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

double RoundRectDistance(double px, double py, double x, double y, double w, double h, double r) {
    const double cx = x + w / 2, cy = y + h / 2;
    const double qx = std::abs(px - cx) - (w / 2 - r), qy = std::abs(py - cy) - (h / 2 - r);
    const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r;
}

}  // namespace

void Canvas::RoundRect(double x, double y, double w, double h, double radius, Colour fill, Colour edge, double border) {
    for (int j = static_cast<int>(y) - 1; j <= static_cast<int>(y + h) + 1; ++j)
        for (int i = static_cast<int>(x) - 1; i <= static_cast<int>(x + w) + 1; ++i) {
            const double d = RoundRectDistance(i + 0.5, j + 0.5, x, y, w, h, radius);
            if (border > 0) {
                Blend(i, j, edge, Coverage(d));
                Blend(i, j, fill, Coverage(d + border));
            } else {
                Blend(i, j, fill, Coverage(d));
            }
        }
}

void Canvas::Circle(double cx, double cy, double r, Colour c) {
    for (int j = static_cast<int>(cy - r) - 1; j <= static_cast<int>(cy + r) + 1; ++j)
        for (int i = static_cast<int>(cx - r) - 1; i <= static_cast<int>(cx + r) + 1; ++i)
            Blend(i, j, c, Coverage(std::hypot(i + 0.5 - cx, j + 0.5 - cy) - r));
}

void Canvas::Polygon(const std::vector<std::pair<double, double>>& points, Colour c) {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (auto [x, y] : points) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    constexpr int kSamples = 4;  // 4 x 4 samples a pixel
    for (int j = static_cast<int>(y0); j <= static_cast<int>(y1); ++j)
        for (int i = static_cast<int>(x0); i <= static_cast<int>(x1); ++i) {
            int inside = 0;
            for (int s = 0; s < kSamples * kSamples; ++s) {
                const double px = i + (s % kSamples + 0.5) / kSamples, py = j + (s / kSamples + 0.5) / kSamples;
                bool in = false;
                for (size_t a = 0, b = points.size() - 1; a < points.size(); b = a++) {
                    const auto [ax, ay] = points[a];
                    const auto [bx, by] = points[b];
                    if ((ay > py) != (by > py) && px < (bx - ax) * (py - ay) / (by - ay) + ax) in = !in;
                }
                inside += in;
            }
            Blend(i, j, c, static_cast<double>(inside) / (kSamples * kSamples));
        }
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, Colour c) {
    const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    const int left = static_cast<int>(std::min(x0, x1) - width) - 1,
              right = static_cast<int>(std::max(x0, x1) + width) + 1;
    const int top = static_cast<int>(std::min(y0, y1) - width) - 1,
              bottom = static_cast<int>(std::max(y0, y1) + width) + 1;
    for (int j = top; j <= bottom; ++j)
        for (int i = left; i <= right; ++i) {
            const double px = i + 0.5, py = j + 0.5;
            const double t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0;
            const double d = std::hypot(px - (x0 + t * dx), py - (y0 + t * dy)) - width / 2;
            Blend(i, j, c, Coverage(d));
        }
}

void Canvas::Blit(const Picture& p, int sx, int sy, int sw, int sh, int x, int y, int scale) {
    for (int j = 0; j < sh * scale; ++j)
        for (int i = 0; i < sw * scale; ++i)
            Blend(x + i, y + j, p.px[static_cast<size_t>(sy + j / scale) * p.w + sx + i / scale], 1);
}

int Canvas::Text(const Font& font, int sizePx, int x, int y, const std::string& utf8, Colour c, bool bold) {
    FT_Face face = font.Face();
    int pen = 0;
    for (char32_t ch : Decode(utf8)) {
        if (!RenderGlyph(face, sizePx, ch, bold)) continue;
        const FT_GlyphSlot g = face->glyph;
        for (unsigned row = 0; row < g->bitmap.rows; ++row)
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                const unsigned char a = g->bitmap.buffer[row * g->bitmap.pitch + col];
                Blend(x + pen + g->bitmap_left + static_cast<int>(col), y - g->bitmap_top + static_cast<int>(row), c,
                      a / 255.0);
            }
        pen += static_cast<int>((g->advance.x + 32) >> 6);
    }
    return pen;
}

int Canvas::TextWidth(const Font& font, int sizePx, const std::string& utf8, bool bold) {
    int pen = 0;
    for (char32_t ch : Decode(utf8))
        if (RenderGlyph(font.Face(), sizePx, ch, bold))
            pen += static_cast<int>((font.Face()->glyph->advance.x + 32) >> 6);
    return pen;
}
