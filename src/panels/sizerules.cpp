// sizerules.cpp — list, aspect, preset and OK rules of the size dialogs.
#include "panels/sizerules.h"
#include <cassert>
#include "document/document.h"

const int SIZER_LIST[SIZER_LIST_COUNT] = {16,   32,   48,   64,   72,   96,   120,  160,  240,  320,
                                          352,  360,  384,  400,  480,  512,  600,  640,  720,  724,
                                          768,  800,  960,  1024, 1200, 1280, 1448, 1536, 1600, 1800,
                                          2048, 2400, 2560, 2700, 3072, 3200, 3600, 3840, 4000, 4096};

namespace {

struct Preset {
    int width, height;
};
// Buttons 3..8; the desktop (9) is asked of the screen.
const Preset PRESETS[] = {{724, 1024}, {1024, 724}, {1024, 1448}, {1448, 1024}, {1448, 2048}, {2048, 1448}};
const int FIRST_PRESET = 3, DESKTOP_PRESET = 9;

unsigned HeldToField(double v) {
    if (!(v >= 0.0)) return 0;  // also NaN
    if (v >= (double)SIZER_FIELD_MAX) return SIZER_FIELD_MAX;
    return (unsigned)v;
}

int IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

uint32_t sizer_Pack(unsigned width, unsigned height) {
    assert(width <= 0xFFFF && height <= 0xFFFF);
    return (uint32_t)(width & 0xFFFF) | (uint32_t)(height & 0xFFFF) << 16;
}

void sizer_Unpack(uint32_t packed, int* width, int* height) {
    *width = (int)(packed & 0xFFFF);
    *height = (int)(packed >> 16);
}

void sizer_UnpackPreset(uint32_t packed, int* width, int* height) {
    *width = (int)(packed & 0x7FFF);
    *height = (int)((packed >> 16) & 0x7FFF);
}

int sizer_ComboEntries(int present, int* out, int cap) {
    int n = 0;
    if (n < cap) out[n++] = present;
    for (int i = 0; i < SIZER_LIST_COUNT && n < cap; i++) out[n++] = SIZER_LIST[i];
    return n;
}

double sizer_Aspect(int width, int height) {
    if (width <= 0 || height <= 0) return SIZER_DEFAULT_ASPECT;
    return (double)width / (double)height;
}

unsigned sizer_HeightFor(unsigned width, double aspect) {
    if (!(aspect > 0.0)) aspect = SIZER_DEFAULT_ASPECT;
    return HeldToField((double)width / aspect + 0.5);
}

unsigned sizer_WidthFor(unsigned height, double aspect) {
    if (!(aspect > 0.0)) aspect = SIZER_DEFAULT_ASPECT;
    return HeldToField((double)height * aspect + 0.5);
}

int sizer_ParseField(const char* text, unsigned* value) {
    *value = 0;
    if (!text) return 0;
    while (IsBlank(*text)) text++;
    if (*text < '0' || *text > '9') return 0;
    uint64_t v = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        v = v * 10 + (uint64_t)(*text - '0');
        if (v > SIZER_FIELD_MAX) v = SIZER_FIELD_MAX;  // saturate: stays far from overflow
    }
    while (IsBlank(*text)) text++;
    if (*text) return 0;
    *value = (unsigned)v;
    return 1;
}

uint32_t sizer_PresetSize(int button, int desktopWidth, int desktopHeight) {
    if (button == DESKTOP_PRESET) {
        if (desktopWidth < 1 || desktopHeight < 1) return 0;
        unsigned w = (unsigned)desktopWidth > SIZER_MAX_SIDE ? SIZER_MAX_SIDE : (unsigned)desktopWidth;
        unsigned h = (unsigned)desktopHeight > SIZER_MAX_SIDE ? SIZER_MAX_SIDE : (unsigned)desktopHeight;
        return sizer_Pack(w, h);
    }
    int i = button - FIRST_PRESET;
    if (i < 0 || i >= (int)(sizeof PRESETS / sizeof PRESETS[0])) return 0;
    return sizer_Pack((unsigned)PRESETS[i].width, (unsigned)PRESETS[i].height);
}

int sizer_AcceptSize(unsigned* width, unsigned* height) {
    // A side the packed result cannot carry would come back as a different size;
    // the rule sees an oversized pair instead, so the user hears "too large".
    int fits = *width <= SIZER_MAX_SIDE && *height <= SIZER_MAX_SIDE;
    int w = fits ? (int)*width : (int)SIZER_MAX_SIDE + 1;
    int h = fits ? (int)*height : (int)SIZER_MAX_SIDE + 1;
    int askedW = w, askedH = h;
    int ok = doc_CheckImageSize(&w, &h);
    if (w != askedW) *width = (unsigned)w;
    if (h != askedH) *height = (unsigned)h;
    return ok;
}
