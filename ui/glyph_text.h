#pragma once
// Text drawing for every owner-drawn control: Chinese characters in the shared
// Chinese interface fonts, everything else in the device context's font, both
// centred in a line cell; simplified characters shown traditional on the fly.
// The shared fonts and the installed Chinese faces are process-wide and belong
// to the user-interface thread.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "text/astring.h"
#include "ui/gdi.h"

// A shared font; deleting the handle is its job alone.
using SharedFont = Gdi<HFONT>;

// An installed face as the font enumeration reported it.
struct ChineseFace {
    LOGFONTW logFont;
    std::wstring face;
};
using ChineseFaceList = std::vector<ChineseFace>;

// Filled by EnumerateChineseFonts; emptied by ReleaseSharedFonts.
extern ChineseFaceList GbFaceList;    // GB2312 faces, preferred (Song) faces first
extern ChineseFaceList Big5FaceList;  // Big5 faces, "MingLiu" first
extern bool GbSongFound;              // a preferred simplified face leads GbFaceList
extern bool MingLiuFound;             // "MingLiu" leads Big5FaceList

extern int LogPixelsY;      // the screen's pixels per inch
extern int GbFontHeight;    // pixel height of GbUiFont
extern int Big5FontHeight;  // pixel height of Big5UiFont

extern SharedFont GbUiFont;      // GB2312 character set
extern SharedFont Big5UiFont;    // Big5 character set
extern SharedFont LargeVarFont;  // ANSI_VAR_FONT, 4 pixels taller

// Replaces both face lists and flags with the Chinese faces of every
// character set installed for `screen`.
void EnumerateChineseFonts(HDC screen);
// One face reported by the enumeration, put where it belongs in the lists (or
// nowhere: raster and vertical faces, other character sets, faces taken already).
void TakeChineseFace(const LOGFONTW& logFont, DWORD fontType);

struct SharedFontHeightPair {
    int gb;
    int big5;
};
// GbFontHeight and Big5FontHeight from what the enumeration found; without a
// screen device context 16 and 18.
SharedFontHeightPair SharedFontHeights(bool haveScreen, int logPixelsY, bool gbListed, bool gbSong, bool big5Listed,
                                       bool mingLiu);

// The description a shared font is made from: the first face of `list`, or,
// for an empty list, the fallback made from the stock system font.
LOGFONTW SharedFontDescription(const ChineseFaceList& list, int height, BYTE charSet, bool chineseSystem,
                               bool win2000OrLater);

// Enumerates the faces and creates the three shared fonts. Once created they
// stay until ReleaseSharedFonts; calling again changes nothing. False when a
// font could not be made.
bool CreateSharedFonts();
// Creates the three fonts from the current lists and heights, replacing any
// made before (for start-up, and for tests that supply the faces).
bool CreateSharedFontsFromLists();
// Deletes the fonts and empties the face lists; safe to call again.
void ReleaseSharedFonts();

// The face of the first GB2312 entry when it is a preferred (Song) face, in
// GBK; else empty.
AString PreferredChineseFace();

// FontChoice values.
inline constexpr int kGlyphFontAuto = 0;
inline constexpr int kGlyphFontSimplified = 2;
inline constexpr int kGlyphFontTraditional = 3;

// Vertical offsets of the Latin and the Chinese characters in a line cell,
// given the height of the Latin font.
struct GlyphOffsets {
    int latin;
    int chinese;
};
GlyphOffsets GlyphCellOffsets(int cellHeight, int latinHeight);

// One UTF-16 unit of a text and the bytes that draw it.
struct GlyphPiece {
    char16_t unit = 0;
    bool tab = false;
    bool chinese = false;    // a GBK double-byte character
    bool converted = false;  // replaced by its traditional (Big5) form
    unsigned char bytes[2] = {};
    int byteCount = 0;  // 1 or 2; 0 for a tab
};
// How a text is drawn: the Chinese font (null: the device context's font draws
// everything), whether traditional mode holds, and every unit's bytes.
struct GlyphPlan {
    HFONT chineseFont = nullptr;
    bool traditional = false;
    std::vector<GlyphPiece> pieces;
};
// The plan DrawGlyphText follows, read from the interface language and the
// shared fonts as they are now. A Chinese character drawn in a shared font
// takes the bytes of that font's code page (its Big5 form in traditional mode
// with conversion; without the Big5 table, traditional mode with conversion
// gives way to the GB font and GBK bytes); every other unit the bytes of
// `codePage` (negative: 936).
// DrawGlyphText draws the Chinese characters from those bytes and every other
// unit as UTF-16 in the device context's font.
GlyphPlan PlanGlyphText(std::u16string_view text, int codePage, int fontChoice, int big5Conversion);

// Draws (or with measureOnly only measures) the text at x, y and returns its
// extent: the sum of the advances and the tallest character, a tab counting
// cellWidth by cellHeight. inverted 1: text and background colours swapped on
// an opaque background; the device context's colours are restored, its
// background mode stays opaque.
SIZE DrawGlyphText(HDC dc, int x, int y, std::u16string_view text, int codePage = -1, int inverted = 0,
                   int cellWidth = 16, int cellHeight = 16, int transparent = 1, int fontChoice = kGlyphFontAuto,
                   int big5Conversion = 1, int measureOnly = 0);
inline SIZE DrawGlyphText(HDC dc, int x, int y, std::wstring_view text, int codePage = -1, int inverted = 0,
                          int cellWidth = 16, int cellHeight = 16, int transparent = 1, int fontChoice = kGlyphFontAuto,
                          int big5Conversion = 1, int measureOnly = 0) {
    return DrawGlyphText(dc, x, y, std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
                         codePage, inverted, cellWidth, cellHeight, transparent, fontChoice, big5Conversion,
                         measureOnly);
}
// The same for a GBK text (converted with code page 936).
SIZE DrawGlyphTextGbk(HDC dc, int x, int y, const AString& text, int codePage = -1, int inverted = 0,
                      int cellWidth = 16, int cellHeight = 16, int transparent = 1, int fontChoice = kGlyphFontAuto,
                      int big5Conversion = 1, int measureOnly = 0);

// The extent DrawGlyphText gives at (0, 0) for the text, with Big5 conversion.
SIZE MeasureGlyphText(HDC dc, std::u16string_view text, int cellWidth = 16, int cellHeight = 16,
                      int fontChoice = kGlyphFontAuto);
SIZE MeasureGlyphTextGbk(HDC dc, const AString& text, int cellWidth = 16, int cellHeight = 16,
                         int fontChoice = kGlyphFontAuto);
