// colours.cpp — the colour panels' rules (colours.h).
#include "panels/colours.h"

#include <cstdio>

#include "engine/color.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace {

const struct {
    uint32_t colour;
    const char* name;
} kFixed[16] = {
    {0x000000, " Fixed Color - Black"},
    {0x800000, " Fixed Color - Dark Blue / Navy"},
    {0x008000, " Fixed Color - Dark Green / Olive"},
    {0x808000, " Fixed Color - Dark Cyan"},
    {0x000080, " Fixed Color - Dark Red / Maroon"},
    {0x800080, " Fixed Color - Dark Purple"},
    {0x008080, " Fixed Color - VGA Brown / Dark Yellow"},
    {0xC0C0C0, " Fixed Color - Std Light Grey"},
    {0x808080, " Fixed Color - Std Dark Grey"},
    {0xFF0000, " Fixed Color - Full / Bright Blue"},
    {0x00FF00, " Fixed Color - Full / Bright Green"},
    {0xFFFF00, " Fixed Color - Full / Bright Cyan"},
    {0x0000FF, " Fixed Color - Full / Bright Red"},
    {0xFF00FF, " Fixed Color - Full / Bright Purple"},
    {0x00FFFF, " Fixed Color - Full / Bright Yellow"},
    {0xFFFFFF, " Fixed Color - Full / Bright White"},
};

const int kButtonLeft[CBAR_BUTTONS] = {389, 413, 437, 462};
const char* const kButtonText[CBAR_BUTTONS] = {
    " Show Tool-Settings dialog ( Ctrl+Shift+T )", " Show Color-Palette dialog ( Ctrl+Shift+C )",
    " Show Image Preview dialog ( Ctrl+Shift+P )", " Show Help for this Tool ( F1 )"};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

CbarHit cbar_Hit(int x, int y) {
    if (x >= 3 && x < 37 && y >= 3 && y < 37) return {CBAR_CURRENT, 0};
    if (x >= 53 && x <= 372 && y >= 0 && y <= 39) return {CBAR_CELL, (x - 53) / 20 + 16 * (y / 20)};
    if (y >= 11 && y <= 30)
        for (int b = 0; b < CBAR_BUTTONS; b++)
            if (x >= kButtonLeft[b] && x <= kButtonLeft[b] + (b == 3 ? 19 : 20)) return {CBAR_BUTTON, b};
    if (x >= 377 && x < CBAR_WIDTH && y >= 0 && y < CBAR_HEIGHT) return {CBAR_BUTTON_AREA, 0};
    return {CBAR_NOTHING, 0};
}

uint32_t cbar_CellColour(int index) {
    if (index < 16) return kFixed[index < 0 ? 0 : index].colour;
    return g_settings.userColours[(index - 16) & 15] & 0x00FFFFFFu;
}

int cbar_ButtonLeft(int b) { return kButtonLeft[Clamp(b, 0, CBAR_BUTTONS - 1)]; }

void cbar_CellFrame(int index, int* x1, int* y1, int* x2, int* y2) {
    int c = index % 16, r = index / 16;
    *x1 = 55 + 20 * c;
    *y1 = 2 + 20 * r;
    *x2 = 70 + 20 * c;
    *y2 = 17 + 20 * r;
}

void cbar_StatusText(int x, int y, char* out, size_t cap) {
    CbarHit hit = cbar_Hit(x, y);
    switch (hit.part) {
    case CBAR_CURRENT: std::snprintf(out, cap, " Current Colors, left-click to swap, right-click to copy"); return;
    case CBAR_CELL: {
        uint32_t c = cbar_CellColour(hit.index);
        char name[64];
        if (hit.index < 16) std::snprintf(name, sizeof name, "%s", kFixed[hit.index].name);
        else std::snprintf(name, sizeof name, " Custom Color #%02i - Double-Click To Customize", hit.index - 15);
        std::snprintf(out, cap, "%s :: RGB{ r%i, g%i, b%i }", name, (int)(c & 255), (int)(c >> 8 & 255),
                      (int)(c >> 16 & 255));
        return;
    }
    case CBAR_BUTTON: std::snprintf(out, cap, "%s", kButtonText[hit.index]); return;
    case CBAR_BUTTON_AREA:
        if (y >= 11 && y <= 30) {
            std::snprintf(out, cap, " Quick bar - Click the appropriate button for quick access to settings");
            return;
        }
        break;
    case CBAR_NOTHING: break;
    }
    std::snprintf(out, cap, " Left-click to set Color#1, Right-click to set Color#2");
}

uint32_t qpal_ColourAt(int x, int y, int w, int h) {
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    x = Clamp(x, 0, w);
    y = Clamp(y, 0, h);
    uint32_t hue = (uint32_t)(x * 255 / w), light = (uint32_t)(255 - y * 255 / h);
    return clr_FromHSL(hue | light << 8 | 255u << 16) & 0x00FFFFFFu;
}

void qpal_StatusText(uint32_t c, int button, char* out, size_t cap) {
    int r = c & 255, g = c >> 8 & 255, b = c >> 16 & 255;
    if (button)
        std::snprintf(out, cap, " Quick Palette - Color#%i set to :: RGB{ r%i, g%i, b%i }", button, r, g, b);
    else
        std::snprintf(out, cap, " Quick Palette - Left-click to set Color#1, Right-click to set Color#2 :: RGB{ r%i, g%i, b%i }",
                      r, g, b);
}

int cpal_Pick(int x, int y, int* h, int* l, int* s) {
    int column = x / 8 - 1, row = y / 8 - 1;
    if (x < 0 || y < 0 || row < 0 || row > 31) return 0;
    if (column >= 0 && column <= 47) {
        *h = row * 255 / 31;
        *l = column * 255 / 47;
        *s = 255;
        return 1;
    }
    if (column >= 49 && column <= 51) {
        *s = row * 255 / 31;
        return 1;
    }
    return 0;
}

uint32_t cpal_Colour(int h, int l, int s) {
    return clr_FromHSL((uint32_t)(h & 255) | (uint32_t)(l & 255) << 8 | (uint32_t)(s & 255) << 16) & 0x00FFFFFFu;
}

uint32_t rgb_FromFields(unsigned red, unsigned green, unsigned blue) {
    return (red % 256) | (green % 256) << 8 | (blue % 256) << 16;
}

int tset_Scroll(int value, int code, int track, int min, int max) {
    switch (code) {
    case 0: value -= 1; break;   // line left
    case 1: value += 1; break;   // line right
    case 2: value -= 10; break;  // page left
    case 3: value += 10; break;  // page right
    case 4:                      // thumb position
    case 5: value = track; break;  // thumb tracking
    case 6: value = min; break;    // home
    case 7: value = max; break;    // end
    default: break;
    }
    return Clamp(value, min, max);
}

void colours_Changed() { ui_ViewChanged(UI_VIEW_COLOURS); }
