// mkpicture: draws the program's two start pictures from the toolbar's
// bitmap with a font that has Latin and Chinese glyphs.
//
//   mkpicture welcome|splash TOOLBAR.bmp FONT OUTPUT(.jpg|.bmp) [--png PREVIEW.png]
//
// The welcome picture is 620 x 380, the start-up picture (bitmap 177)
// 420 x 240; OUTPUT's extension chooses a baseline JPEG or a 24-bit BMP.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/mkpicture/bmp.h"
#include "tools/mkpicture/drawing.h"
#include "tools/mkpicture/jpeg_writer.h"
#include "tools/png/png.h"

int main(int argc, char** argv) {
    const std::string kind = argc > 1 ? argv[1] : "";
    if ((kind != "welcome" && kind != "splash") || !(argc == 5 || (argc == 7 && std::string(argv[5]) == "--png"))) {
        std::fprintf(stderr, "usage: mkpicture welcome|splash TOOLBAR.bmp FONT OUTPUT [--png PREVIEW.png]\n");
        return 2;
    }
    Picture toolbar;
    if (!ReadBmp(argv[2], toolbar) || toolbar.w < 46 || toolbar.h < 16) Fail(std::string("cannot read ") + argv[2]);
    Font font;
    if (!font.Open(argv[3], 0)) Fail(std::string("cannot open the font ") + argv[3]);
    const bool welcome = kind == "welcome";
    Canvas canvas(welcome ? 620 : 420, welcome ? 380 : 240, 0xFFFFFF);
    if (welcome)
        DrawWelcome(canvas, font, toolbar);
    else
        DrawSplash(canvas, font, toolbar);
    const std::string output = argv[4];
    const bool jpeg = output.size() > 4 && output.substr(output.size() - 4) == ".jpg";
    const std::string bytes = jpeg ? EncodeJpeg(canvas.Width(), canvas.Height(), canvas.Pixels(), 92)
                                   : EncodeBmp(canvas.Width(), canvas.Height(), canvas.Pixels());
    std::ofstream out(output, std::ios::binary);
    if (!(out << bytes) || !out.flush()) Fail(std::string("cannot write ") + argv[4]);
    if (argc == 7 && !WritePng(argv[6], canvas.Width(), canvas.Height(), canvas.Pixels()))
        Fail(std::string("cannot write ") + argv[6]);
    return 0;
}
