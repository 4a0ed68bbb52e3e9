#include "ui/glyph_text.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "text/big5.h"
#include "text/codepage.h"
#include "text/gbk.h"
#include "tools/png/png.h"

namespace {

using Code = DoubleByteCode;

// The code of a character in a code page, first byte high.
Code CodeIn(int codePage, std::string_view utf8) {
    const std::u16string unit = Utf16(utf8);
    char b[4] = {};
    const int n = Utf16ToMultiByte(codePage, unit.data(), 1, b, sizeof b);
    EXPECT_EQ(n, 2) << utf8;
    return Code(static_cast<unsigned char>(b[0]), static_cast<unsigned char>(b[1]));
}

std::string Hex(const GlyphPiece& p) {
    char s[8];
    if (p.byteCount == 2)
        snprintf(s, sizeof s, "%02X%02X", p.bytes[0], p.bytes[1]);
    else if (p.byteCount == 1)
        snprintf(s, sizeof s, "%02X", p.bytes[0]);
    else
        snprintf(s, sizeof s, "-");
    return s;
}
std::string Hex(Code c) {
    char s[8];
    snprintf(s, sizeof s, "%04X", c.value);
    return s;
}

// A font of the Latin kind whose "MjgL" is exactly `height` pixels high, or null.
HFONT LatinFontOfHeight(HDC dc, int height) {
    for (int ask = 6; ask < 40; ask++) {
        HFONT font =
            CreateFontW(ask, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, L"Tahoma");
        HGDIOBJ old = SelectObject(dc, font);
        SIZE s{};
        GetTextExtentPoint32W(dc, L"MjgL", 4, &s);
        SelectObject(dc, old);
        if (s.cy == height) return font;
        DeleteObject(font);
    }
    return nullptr;
}

class SelectFont {
public:
    SelectFont(HDC dc, HGDIOBJ font) : dc_(dc), old_(SelectObject(dc, font)) {}
    ~SelectFont() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

struct FontDeleter {
    HFONT font;
    ~FontDeleter() {
        if (font) DeleteObject(font);
    }
};

bool SamePixels(const DibSection& a, const DibSection& b) {
    return std::equal(a.Pixels(), a.Pixels() + a.Width() * a.Height(), b.Pixels());
}

// Columns [first, last] holding a pixel other than `background`; first > last when none.
std::pair<int, int> InkColumns(const DibSection& c, COLORREF background) {
    const std::uint32_t bg = Rgb(background);
    int first = c.Width(), last = -1;
    for (int y = 0; y < c.Height(); y++)
        for (int x = 0; x < c.Width(); x++)
            if (c.Pixel(x, y) != bg) first = std::min(first, x), last = std::max(last, x);
    return {first, last};
}

SIZE TextSize(HDC dc, std::u16string_view s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(s.data()), static_cast<int>(s.size()), &size);
    return size;
}

// Writes a Big5 table holding the given simplified -> traditional pairs and loads it.
void LoadBig5Fixture(const ScratchFolder& dir, std::initializer_list<std::pair<const char*, const char*>> pairs) {
    std::vector<std::uint8_t> table = NewBig5Table();
    for (const auto& [simplified, traditional] : pairs)
        ASSERT_TRUE(SetBig5TableEntry(table, CodeIn(kCodePageGbk, simplified), CodeIn(kCodePageBig5, traditional)));
    ASSERT_TRUE(WriteBig5Table(dir.File(kBig5TableFile), table));
    ASSERT_TRUE(LoadBig5Table(dir.Path()));
}

class GlyphText : public ::testing::Test {
protected:
    void SetUp() override {
        savedLanguage_ = AppSettings.UILanguage;
        AppSettings.UILanguage = 0;
        ReleaseSharedFonts();
        ASSERT_TRUE(CreateSharedFonts());
        ASSERT_TRUE(canvas_.Ok());
        canvas_.Fill(Rgb(kPaper));
        SetTextColor(canvas_.Dc(), kInk);
        SetBkColor(canvas_.Dc(), kBack);
    }
    void TearDown() override {
        AppSettings.UILanguage = savedLanguage_;
        ReleaseSharedFonts();
        ReleaseBig5Table();
    }

    static constexpr COLORREF kPaper = RGB(0x80, 0x80, 0x80);
    static constexpr COLORREF kInk = RGB(0x10, 0x20, 0xC0);
    static constexpr COLORREF kBack = RGB(0xF0, 0xE0, 0x00);
    DibSection canvas_{200, 48};
    int savedLanguage_ = 0;
};

// ---- Shared fonts -------------------------------------------------------------

TEST(SharedFontHeights, FollowResolutionAndFoundFaces) {
    struct Case {
        bool screen;
        int dpi;
        bool gbListed, gbSong, big5Listed, mingLiu;
        int gb, big5;
    } cases[] = {
        {true, 96, true, true, true, true, 15, 16},      // SimSun and MingLiu at 96 dpi
        {true, 96, true, false, true, false, 16, 16},    // other faces: 12 points
        {true, 96, false, false, false, false, 16, 18},  // nothing installed
        {true, 120, true, true, true, true, 18, 18},     // MulDiv(11, 120, 72) = 18.3
        {true, 108, true, true, true, false, 17, 18},    // MulDiv rounds 16.5 up
        {true, 144, true, false, false, false, 24, 24}, {true, 72, true, true, true, true, 15, 16},  // the floors
        {false, 144, true, true, true, true, 16, 18},
    };
    for (const Case& c : cases) {
        const SharedFontHeightPair h =
            SharedFontHeights(c.screen, c.dpi, c.gbListed, c.gbSong, c.big5Listed, c.mingLiu);
        EXPECT_EQ(h.gb, c.gb) << c.dpi << " dpi";
        EXPECT_EQ(h.big5, c.big5) << c.dpi << " dpi";
    }
}

LOGFONTW Face(const wchar_t* name, BYTE charSet) {
    LOGFONTW lf{};
    lstrcpynW(lf.lfFaceName, name, LF_FACESIZE);
    lf.lfCharSet = charSet;
    lf.lfHeight = 16;
    lf.lfWidth = 8;
    lf.lfWeight = FW_BOLD;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
    return lf;
}

std::vector<std::wstring> Names(const ChineseFaceList& list) {
    std::vector<std::wstring> names;
    for (const ChineseFace& f : list) names.push_back(f.face);
    return names;
}

TEST(ChineseFaces, PreferredFacesFirstAndUnwantedOnesLeftOut) {
    ReleaseSharedFonts();
    const struct {
        const wchar_t* name;
        BYTE charSet;
        DWORD type;
    } reported[] = {
        {L"NSimSun", GB2312_CHARSET, TRUETYPE_FONTTYPE},          {L"SimSun", GB2312_CHARSET, TRUETYPE_FONTTYPE},
        {L"@SimSun", GB2312_CHARSET, TRUETYPE_FONTTYPE},          {L"SimHei", GB2312_CHARSET, TRUETYPE_FONTTYPE},
        {L"方正黑体简体", GB2312_CHARSET, TRUETYPE_FONTTYPE},     {L"宋体", GB2312_CHARSET, TRUETYPE_FONTTYPE},
        {L"Adobe 宋体 Std L", GB2312_CHARSET, TRUETYPE_FONTTYPE},  // 8 characters or more
        {L"SimSun", GB2312_CHARSET, TRUETYPE_FONTTYPE},            // taken
        {L"Fixedsys", GB2312_CHARSET, RASTER_FONTTYPE},           {L"Arial", ANSI_CHARSET, TRUETYPE_FONTTYPE},
        {L"PMingLiu", CHINESEBIG5_CHARSET, TRUETYPE_FONTTYPE},    {L"MingLiu", CHINESEBIG5_CHARSET, TRUETYPE_FONTTYPE},
        {L"SimSun", CHINESEBIG5_CHARSET, TRUETYPE_FONTTYPE},  // a list of its own
        {L"@MingLiu", CHINESEBIG5_CHARSET, TRUETYPE_FONTTYPE},
    };
    for (const auto& r : reported) TakeChineseFace(Face(r.name, r.charSet), r.type);

    EXPECT_EQ(Names(GbFaceList), (std::vector<std::wstring>{L"宋体", L"SimSun", L"NSimSun", L"Adobe 宋体 Std L"}));
    EXPECT_EQ(Names(Big5FaceList), (std::vector<std::wstring>{L"MingLiu", L"PMingLiu", L"SimSun"}));
    EXPECT_TRUE(GbSongFound);
    EXPECT_TRUE(MingLiuFound);
    EXPECT_EQ(Bytes(PreferredChineseFace()), GbkBytes("宋体"));
    EXPECT_EQ(GbFaceList[1].logFont.lfWeight, FW_BOLD);  // the reported description is kept

    ReleaseSharedFonts();
    EXPECT_TRUE(GbFaceList.empty());
    EXPECT_TRUE(Big5FaceList.empty());
    EXPECT_FALSE(GbSongFound);
    EXPECT_FALSE(MingLiuFound);

    TakeChineseFace(Face(L"MS Song", GB2312_CHARSET), TRUETYPE_FONTTYPE);
    EXPECT_TRUE(GbSongFound);
    ReleaseSharedFonts();
    TakeChineseFace(Face(L"KaiTi", GB2312_CHARSET), TRUETYPE_FONTTYPE);
    TakeChineseFace(Face(L"PMingLiu", CHINESEBIG5_CHARSET), TRUETYPE_FONTTYPE);
    EXPECT_FALSE(GbSongFound);
    EXPECT_FALSE(MingLiuFound);
    EXPECT_TRUE(PreferredChineseFace().IsEmpty());  // only a preferred face is named
    ReleaseSharedFonts();
}

TEST(ChineseFaces, EnumerationOfTheInstalledFonts) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EnumerateChineseFonts(screen);
    ReleaseDC(nullptr, screen);
    for (const auto* list : {&GbFaceList, &Big5FaceList}) {
        std::vector<std::wstring> names;
        for (const ChineseFace& f : *list) {
            EXPECT_EQ(f.logFont.lfCharSet, list == &GbFaceList ? GB2312_CHARSET : CHINESEBIG5_CHARSET) << f.face;
            EXPECT_EQ(f.face.find(L'@'), std::wstring::npos);
            EXPECT_EQ(std::count(names.begin(), names.end(), f.face), 0) << "listed twice";
            names.push_back(f.face);
        }
    }
    const bool songFirst =
        !GbFaceList.empty() &&
        (GbFaceList[0].face == L"SimSun" || GbFaceList[0].face == L"宋体" || GbFaceList[0].face == L"MS Song" ||
         (GbFaceList[0].face.find(L"宋体") != std::wstring::npos && GbFaceList[0].face.size() < 8));
    EXPECT_EQ(GbSongFound, songFirst);
    EXPECT_EQ(MingLiuFound, !Big5FaceList.empty() && Big5FaceList[0].face == L"MingLiu");
    ReleaseSharedFonts();
}

LOGFONTW Description(HFONT font) {
    LOGFONTW lf{};
    EXPECT_TRUE(GetObjectW(font, sizeof lf, &lf));
    return lf;
}

TEST(SharedFonts, CreatedOnceReleasedSafely) {
    ReleaseSharedFonts();
    ReleaseSharedFonts();  // nothing made yet
    ASSERT_TRUE(CreateSharedFonts());
    const HFONT gb = GbUiFont, big5 = Big5UiFont, large = LargeVarFont;
    ASSERT_TRUE(gb && big5 && large);
    EXPECT_NE(gb, big5);
    ASSERT_TRUE(CreateSharedFonts());  // a second call keeps the fonts
    EXPECT_EQ(GbUiFont.Get(), gb);
    EXPECT_EQ(Big5UiFont.Get(), big5);

    const SharedFontHeightPair h =
        SharedFontHeights(true, LogPixelsY, !GbFaceList.empty(), GbSongFound, !Big5FaceList.empty(), MingLiuFound);
    EXPECT_EQ(GbFontHeight, h.gb);
    EXPECT_EQ(Big5FontHeight, h.big5);
    const LOGFONTW gbFont = Description(GbUiFont), big5Font = Description(Big5UiFont);
    EXPECT_EQ(gbFont.lfHeight, GbFontHeight);
    EXPECT_EQ(gbFont.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(gbFont.lfWeight, FW_NORMAL);
    EXPECT_EQ(gbFont.lfWidth, 0);
    EXPECT_EQ(big5Font.lfHeight, Big5FontHeight);
    EXPECT_EQ(big5Font.lfCharSet, CHINESEBIG5_CHARSET);

    LOGFONTW stock{};
    ASSERT_TRUE(GetObjectW(GetStockObject(ANSI_VAR_FONT), sizeof stock, &stock));
    EXPECT_EQ(Description(LargeVarFont).lfHeight, stock.lfHeight > 0 ? stock.lfHeight + 4 : stock.lfHeight - 4);

    ReleaseSharedFonts();
    EXPECT_FALSE(GbUiFont);
    EXPECT_FALSE(Big5UiFont);
    EXPECT_FALSE(LargeVarFont);
    EXPECT_EQ(GetObjectType(gb), 0u) << "the font was deleted";
    ReleaseSharedFonts();
    ASSERT_TRUE(CreateSharedFonts());
    ReleaseSharedFonts();
}

TEST(SharedFonts, FallbackDescriptionWithoutChineseFaces) {
    LOGFONTW system{};
    ASSERT_TRUE(GetObjectW(GetStockObject(SYSTEM_FONT), sizeof system, &system));
    const struct {
        bool chineseSystem, win2000;
        BYTE out, clip, quality, pitch;
    } cases[] = {
        {false, true, system.lfOutPrecision, system.lfClipPrecision, system.lfQuality, 0x31},
        {true, true, 3, 2, 1, 0x31},
        {false, false, system.lfOutPrecision, system.lfClipPrecision, system.lfQuality,
         static_cast<BYTE>((system.lfPitchAndFamily & ~VARIABLE_PITCH) | FIXED_PITCH)},
    };
    for (const auto& c : cases) {
        for (const BYTE charSet : {GB2312_CHARSET, CHINESEBIG5_CHARSET}) {
            const LOGFONTW lf = SharedFontDescription({}, 17, charSet, c.chineseSystem, c.win2000);
            EXPECT_STREQ(lf.lfFaceName, L"Courier New");
            EXPECT_EQ(lf.lfHeight, 17);
            EXPECT_EQ(lf.lfWidth, 0);
            EXPECT_EQ(lf.lfWeight, FW_NORMAL);
            EXPECT_EQ(lf.lfCharSet, charSet);
            EXPECT_EQ(lf.lfOutPrecision, c.out);
            EXPECT_EQ(lf.lfClipPrecision, c.clip);
            EXPECT_EQ(lf.lfQuality, c.quality);
            EXPECT_EQ(lf.lfPitchAndFamily, c.pitch) << c.chineseSystem << c.win2000;
        }
    }
    // A listed face keeps its own description but for the four fixed fields.
    const ChineseFaceList list = {{Face(L"Listed", ANSI_CHARSET), L"Listed"}};
    const LOGFONTW lf = SharedFontDescription(list, 15, GB2312_CHARSET, true, true);
    EXPECT_STREQ(lf.lfFaceName, L"Listed");
    EXPECT_EQ(lf.lfHeight, 15);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH | FF_ROMAN);
}

// The shared fonts made from a face that is not installed, and from no face at
// all, still draw Chinese text: the system maps them by character set.
TEST(SharedFonts, MissingFacesStillDraw) {
    for (const bool listed : {true, false}) {
        ReleaseSharedFonts();
        if (listed) {
            TakeChineseFace(Face(L"Zh No Such Face", GB2312_CHARSET), TRUETYPE_FONTTYPE);
            TakeChineseFace(Face(L"Zh No Such Face", CHINESEBIG5_CHARSET), TRUETYPE_FONTTYPE);
        }
        ASSERT_TRUE(CreateSharedFontsFromLists());
        EXPECT_STREQ(Description(GbUiFont).lfFaceName, listed ? L"Zh No Such Face" : L"Courier New");
        EXPECT_EQ(Description(GbUiFont).lfCharSet, GB2312_CHARSET);
        EXPECT_EQ(Description(Big5UiFont).lfCharSet, CHINESEBIG5_CHARSET);
        for (const int choice : {kGlyphFontSimplified, kGlyphFontTraditional}) {
            DibSection c(64, 32);
            ASSERT_TRUE(c.Ok());
            c.Fill(Rgb(RGB(255, 255, 255)));
            const SIZE size = DrawGlyphText(c.Dc(), 2, 2, u"中文", -1, 0, 16, 16, 1, choice, 0, 0);
            EXPECT_GT(size.cx, 0);
            const auto [first, last] = InkColumns(c, RGB(255, 255, 255));
            EXPECT_LE(first, last) << "nothing drawn, listed " << listed << " choice " << choice;
        }
    }
    ReleaseSharedFonts();
}

// ---- Layout -------------------------------------------------------------------

TEST(GlyphCellOffsets, LatinAndChineseOffsets) {
    const struct {
        int cell, latin, dL, dC;
    } cases[] = {
        {16, 13, 1, 0},  // the usual 16-pixel cell with an 8-point interface font
        {16, 16, 0, 0},  {24, 13, 5, 4}, {20, 18, 1, 1}, {16, 19, -1, 0},  // -3 / 2 truncates toward zero
        {12, 19, -2, 0},                                                   // clamped
        {15, 12, 1, 0},                                                    // (15 - 16) / 2 truncates to 0
        {0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const GlyphOffsets o = GlyphCellOffsets(c.cell, c.latin);
        EXPECT_EQ(o.latin, c.dL) << "cell " << c.cell << " latin " << c.latin;
        EXPECT_EQ(o.chinese, c.dC) << "cell " << c.cell << " latin " << c.latin;
    }
}

// Each character lands where a plain TextOutA at the cell offset puts it: the
// Latin ones in the device context's font, the Chinese one in GbUiFont.
TEST_F(GlyphText, CharactersSitAtTheirCellOffsets) {
    const struct {
        int cell, latin, dL, dC;
    } cases[] = {{16, 13, 1, 0}, {24, 13, 5, 4}, {20, 18, 1, 1}, {16, 19, -1, 0}, {12, 19, -2, 0}};
    const AString zhong = Gbk("中");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "cell " << c.cell << " latin " << c.latin);
        FontDeleter latin{LatinFontOfHeight(canvas_.Dc(), c.latin)};
        ASSERT_NE(latin.font, nullptr) << "no Latin font of that height";
        DibSection want(canvas_.Width(), canvas_.Height());
        want.Fill(Rgb(kPaper));
        canvas_.Fill(Rgb(kPaper));
        const int x = 3, y = 10;
        int wA = 0, wZhong = 0;
        {
            SelectFont f(want.Dc(), latin.font);
            SetBkMode(want.Dc(), TRANSPARENT);
            SetTextColor(want.Dc(), kInk);
            wA = TextSize(want.Dc(), u"A").cx;
            TextOutA(want.Dc(), x, y + c.dL, "A", 1);
            {
                SelectFont g(want.Dc(), GbUiFont);
                wZhong = TextSize(want.Dc(), u"中").cx;
                TextOutA(want.Dc(), x + wA, y + c.dC, zhong.GetString(), 2);
            }
            TextOutA(want.Dc(), x + wA + wZhong, y + c.dL, "b", 1);
        }
        SelectFont f(canvas_.Dc(), latin.font);
        const SIZE size = DrawGlyphText(canvas_.Dc(), x, y, u"A中b", -1, 0, 16, c.cell, 1, 0, 1, 0);
        EXPECT_TRUE(SamePixels(canvas_, want));
        EXPECT_EQ(size.cx, wA + wZhong + TextSize(canvas_.Dc(), u"b").cx);
    }
}

TEST_F(GlyphText, TabsAdvanceByTheCellWidth) {
    FontDeleter latin{LatinFontOfHeight(canvas_.Dc(), 13)};
    ASSERT_NE(latin.font, nullptr);
    SelectFont f(canvas_.Dc(), latin.font);
    const int wA = TextSize(canvas_.Dc(), u"a").cx, wB = TextSize(canvas_.Dc(), u"b").cx;
    for (const int cellWidth : {16, 23}) {
        SCOPED_TRACE(cellWidth);
        const SIZE one = DrawGlyphText(canvas_.Dc(), 0, 0, u"a\tb", -1, 0, cellWidth, 16, 1, 0, 1, 1);
        EXPECT_EQ(one.cx, wA + cellWidth + wB);
        const SIZE lead = DrawGlyphText(canvas_.Dc(), 0, 0, u"\t\tb", -1, 0, cellWidth, 16, 1, 0, 1, 1);
        EXPECT_EQ(lead.cx, 2 * cellWidth + wB);

        // b after the tab is drawn exactly where "b" alone drawn cellWidth + wA further on lands.
        DibSection want(canvas_.Width(), canvas_.Height());
        want.Fill(Rgb(kPaper));
        SetTextColor(want.Dc(), kInk);
        {
            SelectFont g(want.Dc(), latin.font);
            DrawGlyphText(want.Dc(), 2, 4, u"a", -1, 0, cellWidth, 16, 1, 0, 1, 0);
            DrawGlyphText(want.Dc(), 2 + wA + cellWidth, 4, u"b", -1, 0, cellWidth, 16, 1, 0, 1, 0);
        }
        canvas_.Fill(Rgb(kPaper));
        DrawGlyphText(canvas_.Dc(), 2, 4, u"a\tb", -1, 0, cellWidth, 16, 1, 0, 1, 0);
        EXPECT_TRUE(SamePixels(canvas_, want));
    }
    // A tab alone draws nothing, even inverted, and is the cell's height tall.
    canvas_.Fill(Rgb(kPaper));
    const SIZE tab = DrawGlyphText(canvas_.Dc(), 0, 0, u"\t", -1, 1, 16, 40, 0, 0, 1, 0);
    EXPECT_EQ(tab.cx, 16);
    EXPECT_EQ(tab.cy, 40);
    const auto [first, last] = InkColumns(canvas_, kPaper);
    EXPECT_GT(first, last);
    const SIZE none = DrawGlyphText(canvas_.Dc(), 0, 0, u"", -1, 0, 16, 16, 1, 0, 1, 0);
    EXPECT_EQ(none.cx, 0);
    EXPECT_EQ(none.cy, 0);
}

// Inverted: each character's box is filled with the old text colour and the
// glyph takes the old background colour; the colours come back afterwards and
// the background mode stays opaque.
TEST_F(GlyphText, InvertedDrawingSwapsTheColours) {
    HDC dc = canvas_.Dc();
    FontDeleter latin{LatinFontOfHeight(dc, 13)};
    ASSERT_NE(latin.font, nullptr);
    SelectFont f(dc, latin.font);
    for (const int transparent : {0, 1}) {
        canvas_.Fill(Rgb(kPaper));
        SetBkMode(dc, TRANSPARENT);
        const int x = 5, y = 8;
        const SIZE size = DrawGlyphText(dc, x, y, u"W中", -1, 1, 16, 16, transparent, 0, 1, 0);
        EXPECT_EQ(GetTextColor(dc), kInk);
        EXPECT_EQ(GetBkColor(dc), kBack);
        EXPECT_EQ(GetBkMode(dc), OPAQUE);

        const int wW = TextSize(dc, u"W").cx;
        int hZhong = 0;
        {
            SelectFont g(dc, GbUiFont);
            hZhong = TextSize(dc, u"中").cy;
        }
        const GlyphOffsets o = GlyphCellOffsets(16, 13);
        struct Box {
            int left, top, right, bottom;
        } boxes[] = {{x, y + o.latin, x + wW, y + o.latin + 13},
                     {x + wW, y + o.chinese, x + size.cx, y + o.chinese + hZhong}};
        for (const Box& b : boxes) {
            EXPECT_EQ(canvas_.Pixel(b.left, b.top), Rgb(kInk));
            EXPECT_EQ(canvas_.Pixel(b.right - 1, b.bottom - 1), Rgb(kInk));
            int glyph = 0;
            for (int yy = b.top; yy < b.bottom; yy++)
                for (int xx = b.left; xx < b.right; xx++) glyph += canvas_.Pixel(xx, yy) == Rgb(kBack);
            EXPECT_GT(glyph, 3) << "the glyph is drawn in the background colour";
        }
        EXPECT_EQ(canvas_.Pixel(x - 1, y + 4), Rgb(kPaper));
        EXPECT_EQ(canvas_.Pixel(x + size.cx, y + 4), Rgb(kPaper));
    }
}

TEST_F(GlyphText, TransparentAndOpaqueBackgrounds) {
    HDC dc = canvas_.Dc();
    for (const int mode : {OPAQUE, TRANSPARENT}) {
        for (const int transparent : {0, 1}) {
            canvas_.Fill(Rgb(kPaper));
            SetBkMode(dc, mode);
            const SIZE size = DrawGlyphText(dc, 0, 0, u"M", -1, 0, 16, 16, transparent, 0, 1, 0);
            EXPECT_EQ(GetBkMode(dc), mode) << "the mode is restored";
            EXPECT_EQ(GetTextColor(dc), kInk);
            // The top-left pixel of the character box: background or untouched.
            const bool opaque = !transparent && mode == OPAQUE;
            const int dL = GlyphCellOffsets(16, TextSize(dc, u"MjgL").cy).latin;
            EXPECT_EQ(canvas_.Pixel(0, std::max(0, dL)), Rgb(opaque ? kBack : kPaper))
                << "mode " << mode << " transparent " << transparent;
            EXPECT_GT(size.cx, 0);
        }
    }
}

TEST_F(GlyphText, MeasuringGivesTheDrawnExtent) {
    HDC dc = canvas_.Dc();
    FontDeleter latin{LatinFontOfHeight(dc, 13)};
    ASSERT_NE(latin.font, nullptr);
    SelectFont f(dc, latin.font);
    for (const int language : {0, 1, 2}) {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        for (const std::u16string& text : {Utf16("Latin only"), Utf16("a中文b\tc"), Utf16("然后")}) {
            SCOPED_TRACE(testing::Message() << "language " << language);
            canvas_.Fill(Rgb(kPaper));
            const SIZE measured = DrawGlyphText(dc, 4, 4, text, -1, 0, 16, 16, 1, 0, 1, 1);
            const auto [first0, last0] = InkColumns(canvas_, kPaper);
            EXPECT_GT(first0, last0) << "measuring draws nothing";
            const SIZE drawn = DrawGlyphText(dc, 4, 4, text, -1, 0, 16, 16, 1, 0, 1, 0);
            EXPECT_EQ(measured.cx, drawn.cx);
            EXPECT_EQ(measured.cy, drawn.cy);
            const auto [first, last] = InkColumns(canvas_, kPaper);
            EXPECT_GE(first, 4);
            EXPECT_LT(last, 4 + drawn.cx) << "ink stays inside the extent";
            const SIZE m = MeasureGlyphText(dc, text);
            EXPECT_EQ(m.cx, drawn.cx);
            EXPECT_EQ(m.cy, drawn.cy);
            EXPECT_EQ(MeasureGlyphTextGbk(dc, GbkFromUtf16(text)).cx, drawn.cx);
        }
    }
    // The Latin-only extent: the sum of the advances, the tallest character.
    AppSettings.UILanguage = 0;
    const SIZE abc = MeasureGlyphText(dc, u"abc");
    EXPECT_EQ(abc.cx, TextSize(dc, u"a").cx + TextSize(dc, u"b").cx + TextSize(dc, u"c").cx);
    EXPECT_EQ(abc.cy, TextSize(dc, u"a").cy);
}

// Letters outside code page 936 (the German interface's umlauts, a Korean
// syllable, a character beyond the basic plane) are drawn and measured as
// themselves in the device context's font, in every interface language.
TEST_F(GlyphText, LettersOutsideGbkAreDrawnAsThemselves) {
    HDC dc = canvas_.Dc();
    FontDeleter latin{LatinFontOfHeight(dc, 13)};
    ASSERT_NE(latin.font, nullptr);
    SelectFont f(dc, latin.font);
    DibSection direct{200, 48};
    ASSERT_TRUE(direct.Ok());
    SelectFont g(direct.Dc(), latin.font);
    SetTextColor(direct.Dc(), kInk);
    SetBkMode(direct.Dc(), TRANSPARENT);
    const GlyphOffsets offsets = GlyphCellOffsets(16, TextSize(dc, u"MjgL").cy);
    for (const int language : {0, 1, 3}) {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        for (const std::u16string letter : {u"\u00e4", u"\u00d6", u"\u00df", u"\uAC00", u"\U0002000B"}) {
            SCOPED_TRACE(testing::Message() << "language " << language << ", U+" << std::hex << int(letter[0]));
            canvas_.Fill(Rgb(kPaper));
            direct.Fill(Rgb(kPaper));
            const SIZE drawn = DrawGlyphText(dc, 4, 4, letter, -1, 0, 16, 16, 1);
            TextOutW(direct.Dc(), 4, 4 + offsets.latin, reinterpret_cast<const wchar_t*>(letter.data()),
                     static_cast<int>(letter.size()));
            EXPECT_TRUE(SamePixels(canvas_, direct)) << "not the letter itself";
            EXPECT_EQ(drawn.cx, TextSize(dc, letter).cx);
            EXPECT_EQ(MeasureGlyphText(dc, letter).cx, drawn.cx);
        }
        // A whole word: not its "?" form, and measured as drawn.
        canvas_.Fill(Rgb(kPaper));
        const SIZE word = DrawGlyphText(dc, 4, 4, u"Oberfl\u00e4che", -1, 0, 16, 16, 1);
        direct.Fill(Rgb(kPaper));
        DrawGlyphText(direct.Dc(), 4, 4, u"Oberfl?che", -1, 0, 16, 16, 1);
        EXPECT_FALSE(SamePixels(canvas_, direct)) << "language " << language;
        EXPECT_EQ(MeasureGlyphText(dc, u"Oberfl\u00e4che").cx, word.cx);
    }
}

// ---- Choice of font and bytes -------------------------------------------------

TEST_F(GlyphText, ChineseFontAndModeFollowLanguageAndChoice) {
    enum FontIs { None, Gb, Big5 };
    const struct {
        int choice, language;
        const char* text;
        FontIs font;
        bool traditional;
    } cases[] = {
        {0, 0, "abc", None, false},  // English, Latin only: the device context's font
        {0, 0, "a中", Gb, false},    // English with Chinese: choice 2
        {0, 1, "abc", Gb, false},   {0, 2, "abc", Big5, true}, {0, 3, "中", None, false}, {2, 2, "中", Gb, false},
        {3, 0, "中", Big5, true},   {3, 1, "abc", Big5, true}, {2, 0, "abc", Gb, false},
    };
    ScratchFolder dir("glyph_choice");
    LoadBig5Fixture(dir, {{"后", "後"}});
    for (const auto& c : cases) {
        AppSettings.UILanguage = static_cast<int16_t>(c.language);
        const GlyphPlan plan = PlanGlyphText(Utf16(c.text), -1, c.choice, 1);
        const HFONT want = c.font == Gb ? GbUiFont.Get() : c.font == Big5 ? Big5UiFont.Get() : nullptr;
        EXPECT_EQ(plan.chineseFont, want) << "choice " << c.choice << " language " << c.language << " " << c.text;
        EXPECT_EQ(plan.traditional, c.traditional) << "choice " << c.choice << " language " << c.language;
    }

    // Without the Big5 table the traditional interface shows the simplified
    // forms in the GB font rather than a square for every character; without
    // conversion the Big5 font stays.
    ReleaseBig5Table();
    for (const int choice : {kGlyphFontAuto, kGlyphFontTraditional}) {
        AppSettings.UILanguage = choice == kGlyphFontAuto ? 2 : 0;
        const GlyphPlan plan = PlanGlyphText(u"然后", -1, choice, 1);
        EXPECT_EQ(plan.chineseFont, GbUiFont.Get()) << "choice " << choice;
        EXPECT_FALSE(plan.traditional);
        EXPECT_EQ(Hex(plan.pieces[1]), Hex(CodeIn(kCodePageGbk, "后")));
        EXPECT_EQ(PlanGlyphText(u"然后", -1, choice, 0).chineseFont, Big5UiFont.Get());
    }
}

TEST_F(GlyphText, BeforeTheSharedFontsChineseUsesTheDcFont) {
    ReleaseSharedFonts();
    AppSettings.UILanguage = 1;
    EXPECT_EQ(PlanGlyphText(u"中", -1, 0, 1).chineseFont, nullptr);
    DibSection want(canvas_.Width(), canvas_.Height());
    want.Fill(Rgb(kPaper));
    SetTextColor(want.Dc(), kInk);
    SetBkMode(want.Dc(), TRANSPARENT);
    const SIZE cell = TextSize(want.Dc(), u"MjgL");
    TextOutA(want.Dc(), 0, GlyphCellOffsets(16, cell.cy).chinese, Gbk("中").GetString(), 2);
    DrawGlyphText(canvas_.Dc(), 0, 0, u"中");
    EXPECT_TRUE(SamePixels(canvas_, want));
}

// GBK text is split into characters where its bytes say: a trail byte below
// 0x80 belongs to its lead byte, a lone lead byte at the end is one character.
TEST_F(GlyphText, GbkTextSplitsAtCharacterBoundaries) {
    AppSettings.UILanguage = 1;
    const struct {
        std::string gbk;
        std::vector<std::pair<bool, std::string>> pieces;  // Chinese, bytes
    } cases[] = {
        {"a" + GbkBytes("中") + "b", {{false, "61"}, {true, "D6D0"}, {false, "62"}}},
        {"\x81\x40@", {{true, "8140"}, {false, "40"}}},  // 丂: trail byte 0x40
        {"x\x81\x7E"
         "A",
         {{false, "78"}, {true, "817E"}, {false, "41"}}},
        {GbkBytes("中") + "\xD6", {{true, "D6D0"}, {false, "3F"}}},  // lone lead byte
        {"\xB0", {{false, "3F"}}},
    };
    for (const auto& c : cases) {
        const std::u16string units = Utf16FromGbk(FromBytes(c.gbk));
        const GlyphPlan plan = PlanGlyphText(units, -1, 0, 1);
        std::vector<std::pair<bool, std::string>> got;
        for (const GlyphPiece& p : plan.pieces) got.emplace_back(p.chinese, Hex(p));
        EXPECT_EQ(got, c.pieces) << testing::PrintToString(c.gbk);
    }
    // Drawing the GBK text is drawing its characters.
    DibSection want(canvas_.Width(), canvas_.Height());
    want.Fill(Rgb(kPaper));
    SetTextColor(want.Dc(), kInk);
    const SIZE w = DrawGlyphText(want.Dc(), 1, 1, u"a中丂b");
    const SIZE g = DrawGlyphTextGbk(canvas_.Dc(), 1, 1,
                                    FromBytes("a" + GbkBytes("中") +
                                              "\x81\x40"
                                              "b"));
    EXPECT_EQ(g.cx, w.cx);
    EXPECT_TRUE(SamePixels(canvas_, want));
    const SIZE lone = DrawGlyphTextGbk(canvas_.Dc(), 1, 20, FromBytes("ab\xD6"));
    EXPECT_GT(lone.cx, MeasureGlyphText(canvas_.Dc(), u"ab").cx);
}

// The code page encodes what the device context's font draws; a Chinese
// character drawn in a shared font takes that font's own code page.
TEST_F(GlyphText, CodePageOfEachCharacter) {
    const struct {
        int language, codePage;
        const char* text;
        bool chineseFont;
        std::string bytes;
    } cases[] = {
        {0, 1252, "é", false, "E9"},             // no double-byte character in 1252: all in the DC font
        {0, -1, "é", true, "A8A6"},              // in GBK it is one
        {0, 1252, "中", false, "3F"},            // 1252 cannot hold it: its replacement byte
        {1, kCodePageBig5, "后", true, "BAF3"},  // GbUiFont draws GBK bytes
        {1, kCodePageBig5, "x", true, "78"},
    };
    for (const auto& c : cases) {
        AppSettings.UILanguage = static_cast<int16_t>(c.language);
        const GlyphPlan plan = PlanGlyphText(Utf16(c.text), c.codePage, 0, 1);
        ASSERT_EQ(plan.pieces.size(), 1u);
        EXPECT_EQ(plan.chineseFont != nullptr, c.chineseFont) << c.text << " in " << c.codePage;
        EXPECT_EQ(Hex(plan.pieces[0]), c.bytes) << c.text << " in " << c.codePage;
    }
}

// Traditional mode converts each Chinese character through the Big5 table and
// its context rules: the previous two characters and the next two, where a
// non-Chinese character breaks the context.
TEST_F(GlyphText, TraditionalModeDrawsBig5Forms) {
    ScratchFolder dir("glyph_big5");
    LoadBig5Fixture(dir, {{"然", "然"}, {"汉", "漢"}, {"语", "語"}, {"条", "條"}, {"皇", "皇"}, {"太", "太"}});
    AppSettings.UILanguage = 2;
    const struct {
        const char* text;
        int at;  // unit whose bytes are checked
        std::string bytes;
    } cases[] = {
        {"然后", 1, "ABE1"},                  // 後
        {"然后", 0, Hex(CodeIn(950, "然"))},  // from the table
        {"皇后", 1, "A65A"},                  // 后 stays
        {"皇太后", 2, "A65A"},                // 太 after 皇
        {"皇 后", 2, "ABE1"},                 // a space breaks the context
        {"汉语", 0, Hex(CodeIn(950, "漢"))},
        {"汉语", 1, Hex(CodeIn(950, "語"))},
        {"面条", 0, Hex(CodeIn(950, "麵"))},    // next is 条
        {"面a条", 0, Hex(CodeIn(950, "面"))},   // the next unit is not Chinese
        {"赞不绝", 0, Hex(CodeIn(950, "讚"))},  // next2 counts
        {"们", 0, "A1BC"},                      // no Big5 form: □
        {"a后", 0, "61"},
    };
    for (const auto& c : cases) {
        const GlyphPlan plan = PlanGlyphText(Utf16(c.text), -1, 0, 1);
        ASSERT_GT(plan.pieces.size(), static_cast<size_t>(c.at));
        const GlyphPiece& p = plan.pieces[c.at];
        EXPECT_EQ(Hex(p), c.bytes) << c.text << " at " << c.at;
        EXPECT_EQ(p.converted, p.chinese) << c.text;
    }

    // Without conversion the character keeps its form, in the Big5 font's bytes;
    // in the simplified interface it keeps its GBK bytes.
    const GlyphPiece unconverted = PlanGlyphText(u"后", -1, 0, 0).pieces[0];
    EXPECT_FALSE(unconverted.converted);
    EXPECT_EQ(Hex(unconverted), "A65A");
    AppSettings.UILanguage = 1;
    EXPECT_EQ(Hex(PlanGlyphText(u"后", -1, 0, 1).pieces[0]), Hex(CodeIn(kCodePageGbk, "后")));
    AppSettings.UILanguage = 0;
    EXPECT_EQ(Hex(PlanGlyphText(u"后", -1, kGlyphFontTraditional, 1).pieces[0]), "ABE1");

    // Drawn: 後 in Big5UiFont at the Chinese offset.
    AppSettings.UILanguage = 2;
    DibSection want(canvas_.Width(), canvas_.Height());
    want.Fill(Rgb(kPaper));
    SetTextColor(want.Dc(), kInk);
    SetBkMode(want.Dc(), TRANSPARENT);
    const int dC = GlyphCellOffsets(16, TextSize(want.Dc(), u"MjgL").cy).chinese;
    {
        SelectFont b(want.Dc(), Big5UiFont);
        TextOutA(want.Dc(), 2, 3 + dC, "\xAB\xE1", 2);
    }
    DrawGlyphText(canvas_.Dc(), 2, 3, u"后");
    EXPECT_TRUE(SamePixels(canvas_, want));
}

// ---- A picture to look at -----------------------------------------------------

TEST(GlyphTextLook, SampleLinesPicture) {
    const int16_t savedLanguage = AppSettings.UILanguage;
    ReleaseSharedFonts();
    ASSERT_TRUE(CreateSharedFonts());
    ScratchFolder dir("glyph_look");
    LoadBig5Fixture(dir, {{"简", "簡"},
                          {"体", "體"},
                          {"中", "中"},
                          {"文", "文"},
                          {"汉", "漢"},
                          {"字", "字"},
                          {"然", "然"},
                          {"皇", "皇"},
                          {"条", "條"},
                          {"读", "讀"},
                          {"书", "書"},
                          {"繁", "繁"}});
    const int width = 420, height = 150;
    DibSection c(width, height);
    ASSERT_TRUE(c.Ok());
    c.Fill(Rgb(RGB(255, 255, 255)));
    HDC dc = c.Dc();
    HFONT latin = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Tahoma");
    SelectFont f(dc, latin);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));

    // Cell guides: the top and bottom of each 16-pixel cell in light blue.
    HPEN guide = CreatePen(PS_SOLID, 1, RGB(200, 220, 255));
    const int rows = 7;
    {
        SelectFont p(dc, guide);
        for (int r = 0; r < rows; r++) {
            const int top = 4 + r * 20;
            MoveToEx(dc, 0, top, nullptr);
            LineTo(dc, width, top);
            MoveToEx(dc, 0, top + 15, nullptr);
            LineTo(dc, width, top + 15);
        }
    }
    const std::u16string sample = Utf16("中文汉字 然后 皇后 面条 读书");
    auto row = [&](int r, int language, const std::u16string& text, int inverted, int choice, int cellWidth) {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        DrawGlyphText(dc, 6, 4 + r * 20, text, -1, inverted, cellWidth, 16, 1, choice, 1, 0);
    };
    row(0, 0, Utf16("Latin: Hello, World! MjgL 0123 (English UI)"), 0, 0, 16);
    row(1, 0, Utf16("English UI: Zhong ") + sample, 0, 0, 16);
    row(2, 1, Utf16("简体 Simplified: ") + sample, 0, 0, 16);
    row(3, 2, Utf16("繁体 Traditional: ") + sample, 0, 0, 16);
    // Inverted: the selection colour as text colour becomes the box.
    SetTextColor(dc, RGB(0, 84, 166));
    row(4, 1, Utf16("Inverted 选中: ") + sample, 1, 0, 16);
    SetTextColor(dc, RGB(0, 0, 0));
    row(5, 1, Utf16("Tabs:\ta\t中\tb\t文\tend"), 0, 0, 40);
    row(6, 2, Utf16("Tabs:\ta\t中\tb\t文\tend"), 0, 0, 40);
    const auto faceOf = [](const ChineseFaceList& list) {
        if (list.empty()) return std::string("(fallback)");
        const std::wstring& w = list.front().face;
        return GbkToUtf8(GbkFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size())));
    };
    std::cout << "GB face: " << faceOf(GbFaceList) << ", " << GbFontHeight << " px; Big5 face: " << faceOf(Big5FaceList)
              << ", " << Big5FontHeight << " px; " << LogPixelsY << " dpi" << std::endl;

    AppSettings.UILanguage = savedLanguage;
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(latin);
    DeleteObject(guide);
    ReleaseSharedFonts();
    ReleaseBig5Table();

    ASSERT_TRUE(WritePng(ScreensFolder() + "/glyph_text.png", width, height, c.Pixels()));
    // Three times larger for reading the strokes.
    std::vector<std::uint32_t> big(static_cast<size_t>(width) * 3 * height * 3);
    for (int y = 0; y < height * 3; y++)
        for (int x = 0; x < width * 3; x++) big[static_cast<size_t>(y) * width * 3 + x] = c.Pixel(x / 3, y / 3);
    ASSERT_TRUE(WritePng(ScreensFolder() + "/glyph_text_x3.png", width * 3, height * 3, big.data()));
}

}  // namespace
