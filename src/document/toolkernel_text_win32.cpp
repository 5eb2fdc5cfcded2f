// toolkernel_text_win32.cpp — text fitting and text art: GDI measures and draws the
// text, the pixel stages of textart.h colour, shape and outline it.
//
// Fonts are made at size points of 96 dots per inch (so a size is the same number of
// pixels on every machine) and without antialiasing: the stages treat every touched
// pixel as text, and unsmoothed glyphs do not depend on the user's font-smoothing
// settings.
#include <cstring>
#include "document/textart.h"
#include "document/toolkernel_win32.h"
#include "effects/fx_antialias.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"

namespace {

HFONT MakeFont(const char* face, int size, int flags) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -MulDiv(size, 96, 72);
    lf.lfWeight = (flags & TA_FLAG_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (flags & TA_FLAG_ITALIC) ? TRUE : FALSE;
    lf.lfUnderline = (flags & TA_FLAG_UNDERLINE) ? TRUE : FALSE;
    lf.lfStrikeOut = (flags & TA_FLAG_STRIKEOUT) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

// DrawTextA through the surface's DC with a font made from the arguments; `rect`
// is the surface's area and comes back as DrawTextA leaves it.
int DrawWithFont(Surface* s, const char* text, const char* face, int size, int flags, UINT format,
                 RECT* rect, bool white) {
    HDC dc;
    if (!srf_GetDC(&dc, nullptr, s)) return 0;
    HFONT font = MakeFont(face, size, flags);
    if (!font) {
        srf_ReleaseDC(&dc, s);
        return 0;
    }
    HGDIOBJ oldFont = SelectObject(dc, font);
    COLORREF oldColour = 0;
    int oldMode = 0;
    if (white) {
        oldColour = SetTextColor(dc, RGB(255, 255, 255));
        oldMode = SetBkMode(dc, TRANSPARENT);
    }
    SetRect(rect, 0, 0, (int)s->width, (int)s->height);
    DrawTextA(dc, text ? text : "", -1, rect, format);
    if (white) {
        SetBkMode(dc, oldMode);
        SetTextColor(dc, oldColour);
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    srf_ReleaseDC(&dc, s);
    return 1;
}

}  // namespace

int tk_FitTextSurface(Surface* s, const char* text, const char* face, int size, int styleFlags,
                      RECT* bounds) {
    RECT measured;
    const UINT format = DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | ((styleFlags & TA_FLAG_CENTER) ? DT_CENTER : 0);
    if (!DrawWithFont(s, text, face, size, styleFlags, format, &measured, false)) return 0;
    const int64_t w = (int64_t)measured.right - measured.left + 32;
    const int64_t h = (int64_t)measured.bottom - measured.top + 32;
    // The size guard of the surfaces trims anything larger.
    const int64_t cap = SRF_MAX_SIDE;
    if (!srf_Resize(s, (int)(w < cap ? w : cap), (int)(h < cap ? h : cap), 2) || !srf_Refresh(s)) return 0;
    if (bounds) {
        bounds->right = bounds->left + (LONG)s->width - 1;
        bounds->bottom = bounds->top + (LONG)s->height - 1;
    }
    return 1;
}

int tk_RenderTextArt(Surface* s, const char* text, const char* face, int size, int styleFlags,
                     int artStyle, int level, uint32_t colorref1, uint32_t colorref2,
                     int borderStyle, int antialias) {
    level = level < 10 ? 10 : level > 90 ? 90 : level;
    if (!srf_IsValid(s) || !srf_Refresh(s)) return 0;
    const int w = (int)s->width, h = (int)s->height;
    Surface scratch{};
    srf_Create((uint32_t)w, (uint32_t)h, &scratch);
    if (!srf_IsValid(&scratch)) return 0;
    if (!srf_Lock(s)) {
        srf_Destroy(&scratch);
        return 0;
    }
    drw_FillRect(s, 0, 0, w - 1, h - 1, 0xFF000000u);
    srf_Unlock(s);

    UINT format = DT_EXPANDTABS | DT_WORDBREAK | DT_TABSTOP | (4u << 8);
    if (styleFlags & TA_FLAG_CENTER) format |= DT_CENTER;
    else if (styleFlags & TA_FLAG_RIGHT) format |= DT_RIGHT;
    RECT area;
    int ok = DrawWithFont(&scratch, text, face, size, styleFlags, format, &area, true) &&
             tk_TextArtColour(&scratch, colorref1, colorref2, styleFlags & TA_FLAG_GRADIENT) &&
             tk_TextArtShape(s, &scratch, artStyle, level) && tk_TextArtBorder(s, borderStyle);
    srf_Destroy(&scratch);
    if (ok && antialias >= 5) {
        const int value = antialias > 255 ? 255 : antialias;
        ok = fx_AntialiasEdges(s, value * 1000 / 255, 0);
    }
    return ok;
}
