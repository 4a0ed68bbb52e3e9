#pragma once
// The program's palette and the text helpers shared by the pictures; every
// text is checked to have its glyphs in the font.
#include <string>

#include "tools/mkpicture/canvas.h"

// The caption band, the toolbar's frame and faces, the button's symbols.
constexpr Colour kBand = 0x382DC6;  // 56, 45, 198
constexpr Colour kBandLight = 0x5A50DC;
constexpr Colour kInk = 0x262C6E;      // body text
constexpr Colour kSoftInk = 0x5A5F86;  // Chinese lines and notes
constexpr Colour kFrame = 0x8384A1;    // 131, 132, 161
constexpr Colour kCard = 0xFFFFFF;
constexpr Colour kSpeak = 0x2F5FD0;  // the speaker's blue
constexpr Colour kRead = 0xA0001C;   // the character's red
constexpr Colour kPaperTop = 0xF7F8FE;
constexpr Colour kPaperBottom = 0xDDE3F6;

[[noreturn]] void Fail(const std::string& what);

// Text drawn with its baseline at y; returns the advance. Fails when the
// font lacks a glyph of it.
int Text(Canvas& c, const Font& font, int size, int x, int y, const std::string& utf8, Colour colour,
         bool bold = false);
int Width(const Font& font, int size, const std::string& utf8, bool bold = false);
void Centred(Canvas& c, const Font& font, int size, int cx, int y, const std::string& utf8, Colour colour,
             bool bold = false);
// The toolbar's idle button (the first 46 x 16 row of its bitmap) enlarged,
// in its window frame, with a shadow.
void Toolbar(Canvas& c, const Picture& toolbar, int x, int y, int scale);

// The pictures.
void DrawWelcome(Canvas& c, const Font& font, const Picture& toolbar);
void DrawSplash(Canvas& c, const Font& font, const Picture& toolbar);
