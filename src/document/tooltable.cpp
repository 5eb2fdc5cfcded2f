// tooltable.cpp — the tool table (tooltable.h) and the tools' rules that need no
// surface (tools.h).
#include <cmath>
#include <cstdio>

#include "document/document.h"
#include "document/toolselect.h"
#include "document/tools.h"
#include "document/tooltable.h"
#include "settings/settings.h"

namespace {

const ToolFamily F_NONE = TOOL_FAMILY_NONE, F_FREEHAND = TOOL_FAMILY_FREEHAND, F_DRAG = TOOL_FAMILY_DRAG,
                 F_FILL = TOOL_FAMILY_FILL, F_POINTS = TOOL_FAMILY_POINTS, F_TRIANGLE = TOOL_FAMILY_TRIANGLE,
                 F_SELECT = TOOL_FAMILY_SELECT, F_RULER = TOOL_FAMILY_RULER, F_LENS = TOOL_FAMILY_LENS,
                 F_PICKER = TOOL_FAMILY_PICKER;

// Cursor 131 stands for "none of its own".
const ToolInfo kTools[TOOL_COUNT] = {
    {"Pencil", "tool_pencil.htm", " Pencil - For drawing thin border lines", F_FREEHAND, 106},
    {"Caligraphic pen", "tool_calig.htm", " Caligraphic pen - For drawing/writing caligraphy", F_FREEHAND, 130},
    {"Line", "tool_line.htm", " Line - For drawing straight (pencil+ruler) lines", F_DRAG, 114},
    {"IntelliCurve", "tool_curve.htm", " IntelliCurve - Draws curves that join points", F_POINTS, 252},
    {"Brush", "tool_brush.htm", " Brush - For drawing wide or thick lines", F_FREEHAND, 113},
    {"Shadowing Brush", "tool_shad.htm", " Shadowing Brush - For shadows, smoke and transparencies", F_FREEHAND, 138},
    {"Spray gun", "tool_spray.htm", " Spray gun - For creating a 'sprayed' effect", F_FREEHAND, 115},
    {"Texturizer", "tool_rough.htm", " Texturizer - For 'roughening' surfaces, eg. ground or snow", F_FREEHAND, 134},
    {"Filling Paint", "tool_fill.htm", " Filling Paint - For filling an area with a color", F_FILL, 133},
    {"Border Fill", "tool_fill2.htm", " Border Fill - Fill area inside border with a color", F_FILL, 217},
    {"Smoother/Solvent", "tool_smooth.htm", " Smoother/Solvent - For smoothening and smearing sections", F_FREEHAND, 136},
    {"Directional Smooth", "tool_dirsmth.htm", " Directional Smooth - Advanced smearing tool for perspective", F_FREEHAND, 145},
    {"Ruler", "tool_ruler.htm", " Ruler - Measures distances and angles, click F3 to store data", F_RULER, 225},
    {"Lens", "tool_lens.htm", " Lens - For viewing up close - Click. {L: x2, R: x4, L+R: x6}", F_LENS, 151},
    {"Rectangle Selection", "tool_selrect.htm", " Rectangular Selection - select portion to move or copy", F_SELECT, 164},
    {"Elliptical Selection", "tool_selcirc.htm", " Elliptical Selection - select portion to move or copy", F_SELECT, 278},
    {"Free-form Selection", "tool_selirre.htm", " Free-form Selection - select portion to move or copy", F_SELECT, 165},
    {"IntelliSelect Selection", "tool_selcurv.htm", " IntelliSelect Selection - select portion to move or copy", F_SELECT, 261},
    {"<no tool>", nullptr, " <no tool> : Reserved for future extension", F_NONE, 131},
    {"Text-Art Selection", "tool_text.htm", " Text-Art Selection - select area for inserting decorative text", F_SELECT, 166},
    {"Unfilled Or Filled Rectangle", "tool_rect.htm", " Unfilled Or Filled Rectangle - \x7F", F_DRAG, 141},
    {"Unfilled Or Filled Ellipse", "tool_circ.htm", " Unfilled Or Filled Ellipse / Circle - O", F_DRAG, 142},
    {"Gradient Shaded Rectangle", "tool_gradrect.htm", " Gradient Shaded Rectangle - \x7F", F_DRAG, 143},
    {"Gradient Shaded Ellipse", "tool_gradcirc.htm", " Gradient Shaded Ellipse / Circle - O", F_DRAG, 144},
    {"Gradient Shaded Angular Rectangle", "tool_gradangl.htm", " Gradient Shaded Angular Rectangle - //", F_DRAG, 146},
    {"FreeForm Gradient Shading", "tool_gradfree.htm", " Origin - FreeForm Gradient Shading", F_DRAG, 147},
    {"Tinted-in Rectangle", "tool_tintrect.htm", " Tint Tool 1 : Tinted-in Rectangle", F_DRAG, 212},
    {"Tinted-in Ellipse", "tool_tintcirc.htm", " Tint Tool 2 : Tinted-in Ellipse", F_DRAG, 214},
    {"Tinted-in Angular Rectangle", "tool_tintangl.htm", " Tint Tool 3 : Tinted-in Angular Rectangle", F_DRAG, 250},
    {"Freelance Tinting", "tool_tintfree.htm", " Tint Tool 4 : Freelance Tinting", F_DRAG, 249},
    {"Sparkle", "tool_sparkle.htm", " Tint Tool 5 : Sparkle (bling-bling)", F_DRAG, 242},
    {"Color Picker", "tool_pick.htm", " Color Picker - For picking area's color for use", F_PICKER, 117},
    {"Triangle Fan", "tool_trifan.htm", " Triangle Fan - Advanced object-drawing tool", F_TRIANGLE, 257},
    {"Triangle Strip", "tool_tristrp.htm", " Triangle Strip - Advanced object-drawing tool", F_TRIANGLE, 258},
    {"Eraser", "tool_eraser.htm", " Eraser - Erases pixels, making them transparent", F_FREEHAND, 269},
    {"Opaquer", "tool_opaquer.htm", " Opaquer - Makes transparent pixels visible", F_FREEHAND, 271},
};

int Abs(int v) { return v < 0 ? -v : v; }
int Min(int a, int b) { return a < b ? a : b; }
int Max(int a, int b) { return a > b ? a : b; }

}  // namespace

const ToolInfo* tool_Info(int tool) { return tool >= 0 && tool < TOOL_COUNT ? &kTools[tool] : nullptr; }

int tool_RectEmpty(const ToolRect& r) { return r.x1 > r.x2 || r.y1 > r.y2; }

ToolRect tool_RectUnion(const ToolRect& a, const ToolRect& b) {
    if (tool_RectEmpty(a)) return b;
    if (tool_RectEmpty(b)) return a;
    return {Min(a.x1, b.x1), Min(a.y1, b.y1), Max(a.x2, b.x2), Max(a.y2, b.y2)};
}

ToolRect tool_EllipseBox(int ax, int ay, int px, int py) {
    int qx = 2 * ax - px, qy = 2 * ay - py;
    return {Min(qx, px), Min(qy, py), Max(qx, px), Max(qy, py)};
}

int tool_RectSelectionTaken(int ax, int ay, int px, int py, int zoom, int imageW, int imageH) {
    int least = zoom < -1 ? 5 * -zoom : 5 / (zoom > 0 ? zoom : 1);
    if (Abs(px - ax) + 1 < least || Abs(py - ay) + 1 < least) return 0;
    auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < imageW && y < imageH; };
    return inside(ax, ay) || inside(px, py) || inside(ax, py) || inside(px, ay);
}

int tool_Length100(int dx, int dy) {
    return (int)(100.0 * std::sqrt((double)dx * dx + (double)dy * dy));
}

int tool_Angle100(int ax, int ay, int px, int py) {
    if (px == ax) return 9000;
    double degrees = std::atan2((double)(ay - py), (double)(px - ax)) * 57.29577951308232;
    return ((int)std::lround(100.0 * degrees) + 72000) % 36000;
}

void tool_RulerText(char* out, int cap, int ax, int ay, int px, int py) {
    int len = tool_Length100(px - ax, py - ay), angle = tool_Angle100(ax, ay, px, py);
    // "\xC2\xBA" is the ordinal sign the angle has always ended with, in UTF-8 (the programs' code page).
    std::snprintf(out, cap, " Ruler: [%i,%i] - [%i,%i]; Length: %i.%i (%ix,%iy); Angle: %i.%i\xC2\xBA ", ax, ay, px, py,
                  len / 100, len % 100, Abs(px - ax), Abs(py - ay), angle / 100, angle % 100);
}

int tool_LensPower(int buttons) { return 1 << (buttons & 3); }

void tool_IdleStatus(char* out, int cap, int x, int y, int zoom) {
    char mode[64] = "";
    int n = 0;
    if (zoom < -1) {
        // 100 / s with the decimals it needs: 50, 25, 12.5, 6.25.
        const int h = 10000 / -zoom;  // hundredths of a percent
        if (h % 100 == 0) n += std::snprintf(mode + n, sizeof mode - n, " :: [ZOOM %i%%]", h / 100);
        else if (h % 10 == 0) n += std::snprintf(mode + n, sizeof mode - n, " :: [ZOOM %i.%i%%]", h / 100, h % 100 / 10);
        else n += std::snprintf(mode + n, sizeof mode - n, " :: [ZOOM %i.%02i%%]", h / 100, h % 100);
    } else if (zoom != 1) {
        n += std::snprintf(mode + n, sizeof mode - n, " :: [ZOOM %ix]", zoom);
    }
    if (g_doc.spritePresent) n += std::snprintf(mode + n, sizeof mode - n, " :: [SPRITE]");
    if (doc_MaskActive()) std::snprintf(mode + n, sizeof mode - n, " :: [MASKING]");
    const ToolInfo* info = tool_Info(tool_Current());
    std::snprintf(out, cap, "  (%i,%i) %s :: %s, %i pixels, %i%%, alpha: %i, %i", x, y, mode,
                  info ? info->name : "", g_settings.toolWidth, g_settings.toolLevel, g_settings.alpha1,
                  g_settings.alpha2);
}
