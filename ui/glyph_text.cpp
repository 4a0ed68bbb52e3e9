#include "ui/glyph_text.h"

#include <algorithm>
#include <optional>

#include "app/environment.h"
#include "app/settings.h"
#include "rules/char_class.h"
#include "text/big5.h"
#include "text/codepage.h"
#include "text/gbk.h"

ChineseFaceList GbFaceList;
ChineseFaceList Big5FaceList;
bool GbSongFound = false;
bool MingLiuFound = false;

int LogPixelsY = 96;
int GbFontHeight = 16;
int Big5FontHeight = 18;

SharedFont GbUiFont;
SharedFont Big5UiFont;
SharedFont LargeVarFont;

namespace {

bool SameFace(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsTaken(const ChineseFaceList& list, std::wstring_view face) {
    return std::any_of(list.begin(), list.end(), [&](const ChineseFace& f) { return SameFace(f.face, face); });
}

void Put(ChineseFaceList& list, const LOGFONTW& logFont, std::wstring_view face, bool atFront) {
    ChineseFace entry{logFont, std::wstring(face)};
    if (atFront)
        list.insert(list.begin(), std::move(entry));
    else
        list.push_back(std::move(entry));
}

int CALLBACK OnFace(const LOGFONTW* logFont, const TEXTMETRICW*, DWORD fontType, LPARAM) {
    if (logFont) TakeChineseFace(*logFont, fontType);
    return 1;
}

int EffectiveCodePage(int codePage) { return codePage < 0 ? kCodePageGbk : codePage; }

// The bytes of one unit in a code page; '?' when the page has no form of it
// or more than two bytes would be needed.
void EncodeUnit(char16_t unit, int codePage, GlyphPiece& piece) {
    char buf[8] = {};
    const int n = Utf16ToMultiByte(codePage, &unit, 1, buf, sizeof buf);
    if (n == 1 || (n == 2 && buf[1] == 0)) {
        piece.bytes[0] = static_cast<unsigned char>(buf[0]);
        piece.byteCount = 1;
    } else if (n == 2) {
        piece.bytes[0] = static_cast<unsigned char>(buf[0]);
        piece.bytes[1] = static_cast<unsigned char>(buf[1]);
        piece.byteCount = 2;
    } else {
        piece.bytes[0] = '?';
        piece.byteCount = 1;
    }
}

DoubleByteCode GbkCodeOf(char16_t unit) { return ToDoubleByteCode(WideCharToGbk(unit)); }

}  // namespace

void TakeChineseFace(const LOGFONTW& logFont, DWORD fontType) {
    if (fontType & RASTER_FONTTYPE) return;
    const std::wstring_view face(logFont.lfFaceName, wcsnlen(logFont.lfFaceName, LF_FACESIZE));
    if (face.empty() || face.find(L'@') != std::wstring_view::npos) return;
    if (logFont.lfCharSet == GB2312_CHARSET) {
        if (IsTaken(GbFaceList, face)) return;
        if (face.find(L"黑体") != std::wstring_view::npos || SameFace(face, L"SimHei")) return;
        const bool song = SameFace(face, L"SimSun") || SameFace(face, L"MS Song") ||
                          (face.find(L"宋体") != std::wstring_view::npos && face.size() < 8);
        Put(GbFaceList, logFont, face, song);
        if (song) GbSongFound = true;
    } else if (logFont.lfCharSet == CHINESEBIG5_CHARSET) {
        if (IsTaken(Big5FaceList, face)) return;
        const bool mingLiu = SameFace(face, L"MingLiu");
        Put(Big5FaceList, logFont, face, mingLiu);
        if (mingLiu) MingLiuFound = true;
    }
}

void EnumerateChineseFonts(HDC screen) {
    GbFaceList.clear();
    Big5FaceList.clear();
    GbSongFound = MingLiuFound = false;
    if (!screen) return;
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(screen, &all, OnFace, 0, 0);
}

SharedFontHeightPair SharedFontHeights(bool haveScreen, int logPixelsY, bool gbListed, bool gbSong, bool big5Listed,
                                       bool mingLiu) {
    if (!haveScreen) return {16, 18};
    return {std::max(gbListed ? 15 : 16, MulDiv(gbSong ? 11 : 12, logPixelsY, 72)),
            std::max(big5Listed ? 16 : 18, MulDiv(mingLiu ? 11 : 12, logPixelsY, 72))};
}

LOGFONTW SharedFontDescription(const ChineseFaceList& list, int height, BYTE charSet, bool chineseSystem,
                               bool win2000OrLater) {
    LOGFONTW font{};
    if (!list.empty()) {
        font = list.front().logFont;
    } else {
        GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
        lstrcpynW(font.lfFaceName, L"Courier New", LF_FACESIZE);
        font.lfWidth = font.lfHeight / 2;
        font.lfHeight = height;
        font.lfWeight = FW_NORMAL;
        if (chineseSystem) {
            font.lfOutPrecision = OUT_STROKE_PRECIS;
            font.lfClipPrecision = CLIP_STROKE_PRECIS;
            font.lfQuality = DRAFT_QUALITY;
            font.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
            font.lfCharSet = ANSI_CHARSET;
        }
    }
    font.lfHeight = height;
    font.lfWidth = 0;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = charSet;
    if (list.empty()) {
        font.lfPitchAndFamily = win2000OrLater
                                    ? FF_MODERN | FIXED_PITCH
                                    : static_cast<BYTE>((font.lfPitchAndFamily & ~VARIABLE_PITCH) | FIXED_PITCH);
    }
    return font;
}

bool CreateSharedFontsFromLists() {
    const bool win2000 = OsInfo().IsWin2000OrLater;
    LOGFONTW gb = SharedFontDescription(GbFaceList, GbFontHeight, GB2312_CHARSET, IsChineseSystem, win2000);
    GbUiFont.Reset(CreateFontIndirectW(&gb));
    LOGFONTW big5 = SharedFontDescription(Big5FaceList, Big5FontHeight, CHINESEBIG5_CHARSET, IsChineseSystem, win2000);
    Big5UiFont.Reset(CreateFontIndirectW(&big5));
    LOGFONTW large{};
    if (GetObjectW(GetStockObject(ANSI_VAR_FONT), sizeof large, &large)) {
        large.lfHeight = large.lfHeight > 0 ? large.lfHeight + 4 : large.lfHeight - 4;
        LargeVarFont.Reset(CreateFontIndirectW(&large));
    } else {
        LargeVarFont.Reset();
    }
    return GbUiFont && Big5UiFont && LargeVarFont;
}

bool CreateSharedFonts() {
    if (GbUiFont && Big5UiFont && LargeVarFont) return true;
    HDC screen = GetDC(nullptr);
    if (screen) {
        EnumerateChineseFonts(screen);
        LogPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    } else {
        EnumerateChineseFonts(nullptr);
    }
    const SharedFontHeightPair heights = SharedFontHeights(screen != nullptr, LogPixelsY, !GbFaceList.empty(),
                                                           GbSongFound, !Big5FaceList.empty(), MingLiuFound);
    GbFontHeight = heights.gb;
    Big5FontHeight = heights.big5;
    return CreateSharedFontsFromLists();
}

void ReleaseSharedFonts() {
    GbUiFont.Reset();
    Big5UiFont.Reset();
    LargeVarFont.Reset();
    GbFaceList.clear();
    Big5FaceList.clear();
    GbSongFound = MingLiuFound = false;
    GbFontHeight = 16;
    Big5FontHeight = 18;
}

AString PreferredChineseFace() {
    if (!GbSongFound || GbFaceList.empty()) return AString();
    const std::wstring& face = GbFaceList.front().face;
    return GbkFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(face.data()), face.size()));
}

GlyphOffsets GlyphCellOffsets(int cellHeight, int latinHeight) {
    return {std::max(-2, (cellHeight - latinHeight) / 2), std::max(0, (cellHeight - std::max(latinHeight, 16)) / 2)};
}

GlyphPlan PlanGlyphText(std::u16string_view text, int codePage, int fontChoice, int big5Conversion) {
    GlyphPlan plan;
    const int page = EffectiveCodePage(codePage);
    const int ui = AppSettings.UILanguage.load();

    if (fontChoice == kGlyphFontAuto && ui == UiEnglish) {
        std::string narrow(text.size() * 2 + 1, '\0');
        const int n = text.empty() ? 0
                                   : Utf16ToMultiByte(page, text.data(), static_cast<int>(text.size()), narrow.data(),
                                                      static_cast<int>(narrow.size()));
        narrow.resize(static_cast<std::size_t>(std::max(n, 0)));
        if (ContainsDoubleByteChar(narrow.c_str(), false)) fontChoice = kGlyphFontSimplified;
    }
    bool big5Font = fontChoice == kGlyphFontTraditional || (fontChoice != kGlyphFontSimplified && ui == UiTraditional);
    plan.traditional = fontChoice == kGlyphFontTraditional || (fontChoice == kGlyphFontAuto && ui == UiTraditional);
    // Without the conversion table every character would become its "no form"
    // square: show the simplified forms in the GB font instead.
    if (plan.traditional && big5Conversion && !IsBig5TableLoaded()) big5Font = plan.traditional = false;
    const SharedFont& font = big5Font ? Big5UiFont : GbUiFont;
    const bool useChineseFont = fontChoice != kGlyphFontAuto || ui == UiSimplified || ui == UiTraditional;
    plan.chineseFont = useChineseFont ? font.Get() : nullptr;
    const int chinesePage = big5Font ? kCodePageBig5 : kCodePageGbk;

    const auto chineseCodeAt = [&](std::size_t i) {
        return i < text.size() && IsGbkWideChar(text[i]) ? GbkCodeOf(text[i]) : DoubleByteCode();
    };
    DoubleByteCode prev, prev2;  // 0 matches no Chinese character
    plan.pieces.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); i++) {
        GlyphPiece piece;
        piece.unit = text[i];
        piece.chinese = IsGbkWideChar(piece.unit);
        DoubleByteCode history;
        if (piece.unit == u'\t') {
            piece.tab = true;
        } else if (piece.chinese && plan.traditional && big5Conversion) {
            const DoubleByteCode gbk = GbkCodeOf(piece.unit);
            const DoubleByteCode big5 = GbkToBig5(gbk, prev, prev2, chineseCodeAt(i + 1), chineseCodeAt(i + 2));
            piece.converted = true;
            piece.bytes[0] = big5.Lead();
            piece.bytes[1] = big5.Trail();
            piece.byteCount = big5.Trail() ? 2 : 1;
            history = gbk;
        } else {
            // A Chinese character takes the code page of the font that draws it.
            EncodeUnit(piece.unit, piece.chinese && plan.chineseFont ? chinesePage : page, piece);
        }
        prev2 = prev;
        prev = history;
        plan.pieces.push_back(piece);
    }
    return plan;
}

SIZE DrawGlyphText(HDC dc, int x, int y, std::u16string_view text, int codePage, int inverted, int cellWidth,
                   int cellHeight, int transparent, int fontChoice, int big5Conversion, int measureOnly) {
    SIZE extent{0, 0};
    if (!dc) return extent;
    const GlyphPlan plan = PlanGlyphText(text, codePage, fontChoice, big5Conversion);

    const COLORREF textColour = GetTextColor(dc);
    const COLORREF backColour = GetBkColor(dc);
    int oldMode = 0;
    const bool madeTransparent = transparent && inverted != 1;
    if (madeTransparent) oldMode = SetBkMode(dc, TRANSPARENT);
    if (inverted == 1) {
        SetTextColor(dc, backColour);
        SetBkColor(dc, textColour);
        SetBkMode(dc, OPAQUE);
    }

    SIZE latin{0, 0};
    GetTextExtentPoint32W(dc, L"MjgL", 4, &latin);
    const GlyphOffsets offsets = GlyphCellOffsets(cellHeight, latin.cy);

    int px = x;
    for (std::size_t i = 0; i < plan.pieces.size(); i++) {
        const GlyphPiece& piece = plan.pieces[i];
        if (piece.tab) {
            px += cellWidth;
            extent.cx += cellWidth;
            extent.cy = std::max<LONG>(extent.cy, cellHeight);
            continue;
        }
        std::optional<Selected> chineseFont;
        if (piece.chinese && plan.chineseFont) chineseFont.emplace(dc, plan.chineseFont);
        SIZE size{0, 0};
        if (piece.chinese) {
            const wchar_t unit = static_cast<wchar_t>(piece.unit);
            GetTextExtentPoint32W(dc, &unit, 1, &size);
            if (!measureOnly)
                TextOutA(dc, px, y + offsets.chinese, reinterpret_cast<const char*>(piece.bytes), piece.byteCount);
        } else {
            // Everything else in the device context's font as it is: a code
            // page of one language would turn the letters of another (the
            // German interface's umlauts) into "?". A surrogate pair is one glyph.
            wchar_t units[2] = {static_cast<wchar_t>(piece.unit), 0};
            int count = 1;
            if (IS_HIGH_SURROGATE(units[0]) && i + 1 < plan.pieces.size() &&
                IS_LOW_SURROGATE(plan.pieces[i + 1].unit)) {
                units[1] = static_cast<wchar_t>(plan.pieces[++i].unit);
                count = 2;
            }
            GetTextExtentPoint32W(dc, units, count, &size);
            if (!measureOnly) TextOutW(dc, px, y + offsets.latin, units, count);
        }
        px += size.cx;
        extent.cx += size.cx;
        extent.cy = std::max(extent.cy, size.cy);
    }

    if (inverted == 1) {
        SetTextColor(dc, textColour);
        SetBkColor(dc, backColour);
    }
    if (madeTransparent) SetBkMode(dc, oldMode);
    return extent;
}

SIZE DrawGlyphTextGbk(HDC dc, int x, int y, const AString& text, int codePage, int inverted, int cellWidth,
                      int cellHeight, int transparent, int fontChoice, int big5Conversion, int measureOnly) {
    return DrawGlyphText(dc, x, y, Utf16FromGbk(text), codePage, inverted, cellWidth, cellHeight, transparent,
                         fontChoice, big5Conversion, measureOnly);
}

SIZE MeasureGlyphText(HDC dc, std::u16string_view text, int cellWidth, int cellHeight, int fontChoice) {
    return DrawGlyphText(dc, 0, 0, text, -1, 0, cellWidth, cellHeight, 0, fontChoice, 1, 1);
}

SIZE MeasureGlyphTextGbk(HDC dc, const AString& text, int cellWidth, int cellHeight, int fontChoice) {
    return DrawGlyphText(dc, 0, 0, Utf16FromGbk(text), -1, 0, cellWidth, cellHeight, 0, fontChoice, 1, 1);
}
