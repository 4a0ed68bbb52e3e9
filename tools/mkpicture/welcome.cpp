// The welcome picture: the toolbar and what its halves and its menu do, in
// English and simplified Chinese.
#include <string>
#include <vector>

#include "tools/mkpicture/drawing.h"

namespace {

constexpr Colour kMenuFace = 0xF4F5FB;
constexpr Colour kMenuHot = 0xD6DBF0;

const Font* font = nullptr;

int Text(Canvas& c, int size, int x, int y, const std::string& s, Colour colour, bool bold = false) {
    return Text(c, *font, size, x, y, s, colour, bold);
}
int Width(int size, const std::string& s, bool bold = false) { return Width(*font, size, s, bold); }
void Centred(Canvas& c, int size, int cx, int y, const std::string& s, Colour colour, bool bold = false) {
    Centred(c, *font, size, cx, y, s, colour, bold);
}

// A numbered step badge.
void Badge(Canvas& c, int cx, int cy, const char* digit) {
    c.Circle(cx, cy, 10, kBand);
    Centred(c, 13, cx, cy + 5, digit, 0xFFFFFF, true);
}

// A callout card: a title line in `accent`, English lines, Chinese lines.
void Callout(Canvas& c, int x, int y, int w, int h, Colour accent, const std::string& title,
             const std::vector<std::string>& english, const std::vector<std::string>& chinese) {
    c.RoundRect(x + 2, y + 3, w, h, 7, 0xC9CEE6);  // shadow
    c.RoundRect(x, y, w, h, 7, kCard, kFrame, 1);
    c.Rect(x + 1, y + 7, 4, h - 14, accent);
    int line = y + 22;
    Text(c, 14, x + 14, line, title, accent, true);
    line += 20;
    for (const std::string& s : english) {
        Text(c, 13, x + 14, line, s, kInk);
        line += 17;
    }
    line += 3;
    for (const std::string& s : chinese) {
        Text(c, 13, x + 14, line, s, kSoftInk);
        line += 18;
    }
}

void Arrow(Canvas& c, double x0, double y0, double x1, double y1, Colour colour) {
    c.Line(x0, y0, x1, y1 + 6, 2.2, colour);
    c.Polygon({{x1, y1}, {x1 - 6, y1 + 10}, {x1 + 6, y1 + 10}}, colour);
}

// The mouse pointer, its tip at (x, y).
void Pointer(Canvas& c, double x, double y) {
    const std::vector<std::pair<double, double>> outline = {{x, y},          {x, y + 20},          {x + 5, y + 15},
                                                            {x + 9, y + 24}, {x + 12.5, y + 22.5}, {x + 8.5, y + 14},
                                                            {x + 15, y + 14}};
    c.Polygon(outline, 0x101020);
    std::vector<std::pair<double, double>> inner = {{x + 1.5, y + 3.6},  {x + 1.5, y + 16.5}, {x + 5.3, y + 12.6},
                                                    {x + 9.6, y + 21.6}, {x + 11, y + 21},    {x + 6.8, y + 12.6},
                                                    {x + 11.5, y + 12.6}};
    c.Polygon(inner, 0xFFFFFF);
}

void Menu(Canvas& c, int x, int y, int w) {
    struct Item {
        const char* english;
        const char* chinese;
    };
    const std::vector<Item> items = {{"Quick Guide", "快速入门"},
                                     {"About Zhorvan", "关于 Zhorvan"},
                                     {nullptr, nullptr},
                                     {"Save Speech File (wav)...", "保存朗读"},
                                     {nullptr, nullptr},
                                     {"System Preferences", "系统设置"},
                                     {"Speech Button Options", "朗读设置"},
                                     {"Loop (Speech Button)", "循环朗读"},
                                     {nullptr, nullptr},
                                     {"Hide Zhorvan Toolbar", "隐藏工具条"}};
    int h = 6;
    for (const Item& i : items) h += i.english ? 20 : 7;
    c.Rect(x + 3, y + 3, w, h, 0xBCC2DE);  // shadow
    c.Rect(x, y, w, h, kFrame);
    c.Rect(x + 1, y + 1, w - 2, h - 2, kMenuFace);
    int at = y + 3;
    bool first = true;
    for (const Item& i : items) {
        if (!i.english) {
            c.Rect(x + 6, at + 3, w - 12, 1, 0xC4C8DC);
            c.Rect(x + 6, at + 4, w - 12, 1, 0xFFFFFF);
            at += 7;
            continue;
        }
        if (first) c.Rect(x + 2, at, w - 4, 20, kMenuHot);
        first = false;
        Text(c, 12, x + 10, at + 14, i.english, kInk);
        Text(c, 12, x + w - 10 - Width(12, i.chinese), at + 14, i.chinese, kSoftInk);
        at += 20;
    }
}

void Draw(Canvas& c, const Picture& toolbar) {
    const int kWidth = c.Width(), kHeight = c.Height();
    c.VerticalGradient(0, 0, kWidth, kHeight, 0xF7F8FE, 0xDDE3F6);

    // Title band.
    c.VerticalGradient(0, 0, kWidth, 50, kBandLight, kBand);
    Text(c, 22, 22, 33, "Welcome to Zhorvan", 0xFFFFFF, true);
    const std::string zhTitle = "欢迎使用 Zhorvan";
    Text(c, 20, kWidth - 26 - Width(20, zhTitle), 33, zhTitle, 0xFFFFFF);

    // Step 1: select, then click a half of the toolbar.
    Badge(c, 32, 78, "1");
    Text(c, 14, 50, 76, "Select Chinese text in any program, then click the toolbar:", kInk, true);
    Text(c, 13, 50, 95, "在任何程序中选中中文，然后单击工具条：", kSoftInk);

    // The toolbar, its idle row enlarged, in its window frame.
    constexpr int kScale = 4;
    const int tw = 46 * kScale, th = 16 * kScale;
    const int tx = 40 + (300 - tw) / 2, ty = 116;
    Toolbar(c, toolbar, tx, ty, kScale);

    // The halves: left 9..26, right 27..44 of the bitmap.
    const int leftMid = tx + 18 * kScale, rightMid = tx + 36 * kScale;
    const int cardTop = 222, cardW = 160, cardH = 128;
    Arrow(c, leftMid, cardTop - 2, leftMid, ty + th + 8, kSpeak);
    Arrow(c, rightMid, cardTop - 2, rightMid, ty + th + 8, kRead);
    Callout(c, 22, cardTop, cardW, cardH, kSpeak, "Left half", {"reads the selected", "text aloud"},
            {"左半边：", "朗读选中的文字"});
    Callout(c, 22 + cardW + 12, cardTop, cardW, cardH, kRead, "Right half",
            {"opens the reader with", "pinyin and definitions"}, {"右半边：打开阅读器，", "显示拼音和英文释义"});

    // Step 2: the right-click menu.
    const int mx = 384, menuW = 212;
    Badge(c, mx + 2, 130, "2");
    Text(c, 14, mx + 20, 128, "Right-click for the menu", kInk, true);
    Text(c, 13, mx + 20, 147, "右键单击打开菜单", kSoftInk);
    Menu(c, mx, 160, menuW);
    Pointer(c, mx - 8, 152);

    // The footer.
    c.Rect(0, kHeight - 22, kWidth, 1, 0xC4CAE6);
    Centred(c, 12, kWidth / 2, kHeight - 7,
            "Tick the box below to skip this window next time  ·  勾选下方选项，下次启动时不再显示", kSoftInk);
}

}  // namespace

void DrawWelcome(Canvas& c, const Font& f, const Picture& toolbar) {
    font = &f;
    Draw(c, toolbar);
}
