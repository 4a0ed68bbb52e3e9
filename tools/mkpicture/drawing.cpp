#include "tools/mkpicture/drawing.h"

#include <cstdio>
#include <cstdlib>

void Fail(const std::string& what) {
    std::fprintf(stderr, "mkpicture: %s\n", what.c_str());
    std::exit(1);
}

namespace {

void CheckGlyphs(const Font& font, const std::string& utf8) {
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        unsigned long c = n == 1 ? b : b & (0xFF >> (n + 1));
        for (int k = 1; k < n && i + k < utf8.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (c != ' ' && FT_Get_Char_Index(font.Face(), c) == 0) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04lX", c);
            Fail(std::string("no glyph for ") + code + " in the font");
        }
        i += n;
    }
}

}  // namespace

int Text(Canvas& c, const Font& font, int size, int x, int y, const std::string& utf8, Colour colour, bool bold) {
    CheckGlyphs(font, utf8);
    return c.Text(font, size, x, y, utf8, colour, bold);
}

int Width(const Font& font, int size, const std::string& utf8, bool bold) {
    return Canvas::TextWidth(font, size, utf8, bold);
}

void Centred(Canvas& c, const Font& font, int size, int cx, int y, const std::string& utf8, Colour colour, bool bold) {
    Text(c, font, size, cx - Width(font, size, utf8, bold) / 2, y, utf8, colour, bold);
}

void Toolbar(Canvas& c, const Picture& toolbar, int x, int y, int scale) {
    const int w = 46 * scale, h = 16 * scale;
    c.Rect(x - 4 + 3, y - 4 + 4, w + 8, h + 8, 0xB8BEDC);  // shadow
    c.Rect(x - 4, y - 4, w + 8, h + 8, kFrame);
    c.Rect(x - 3, y - 3, w + 6, h + 6, 0xEEF0F8);
    c.Rect(x - 1, y - 1, w + 2, h + 2, kFrame);
    c.Blit(toolbar, 0, 0, 46, 16, x, y, scale);
}
