// The start-up picture: the name, what the program is, the toolbar's button,
// and that it is starting.
#include "tools/mkpicture/drawing.h"

void DrawSplash(Canvas& c, const Font& font, const Picture& toolbar) {
    const int w = c.Width(), h = c.Height();
    c.VerticalGradient(0, 0, w, h, kPaperTop, kPaperBottom);
    c.Rect(0, 0, w, 1, kFrame);  // the window has no frame of its own
    c.Rect(0, h - 1, w, 1, kFrame);
    c.Rect(0, 0, 1, h, kFrame);
    c.Rect(w - 1, 0, 1, h, kFrame);
    c.VerticalGradient(1, 1, 8, h - 2, kBandLight, kBand);

    Text(c, font, 44, 34, 84, "Zhorvan", kInk, true);
    Text(c, font, 17, 36, 116, "Chinese reading aid", kInk);
    Text(c, font, 17, 36, 142, "中文阅读助手", kSoftInk);

    Toolbar(c, toolbar, w - 36 - 46 * 3, 42, 3);

    c.Rect(36, 164, w - 72, 1, 0xC4CAE6);
    Text(c, font, 12, 36, 186, "Reads the selection aloud  ·  pinyin and definitions for every word", kSoftInk);
    Text(c, font, 12, 36, 206, "朗读选中的文字  ·  每个词的拼音和英文释义", kSoftInk);
    const std::string starting = "Starting…  正在启动…";
    Text(c, font, 11, w - 36 - Width(font, 11, starting), h - 12, starting, kFrame);
}
