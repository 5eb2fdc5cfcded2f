// sizerules.h — the rules of the size dialogs apart from any window: the sizes
// their lists offer, the packed size, keeping the aspect, the presets, reading a
// field and the checks of OK.
//
// Owns no state. A packed size is width | height << 16 (0 means cancelled); the
// dialogs never pack a side above SIZER_MAX_SIDE, so both halves stay exact.
// Only sizer_AcceptSize talks to the user (through the image size rule).
#pragma once
#include <cstddef>
#include <cstdint>

// The sizes both combo boxes offer after the present one.
const int SIZER_LIST_COUNT = 40;
extern const int SIZER_LIST[SIZER_LIST_COUNT];
// Longest side a packed size carries; a longer side is refused as too large.
const unsigned SIZER_MAX_SIDE = 0x7FFF;
// The aspect used when a side of the present size is 0.
const double SIZER_DEFAULT_ASPECT = 1.3333333;

uint32_t sizer_Pack(unsigned width, unsigned height);
// A present size as handed in (16 bits a side).
void sizer_Unpack(uint32_t packed, int* width, int* height);
// A chosen preset as the fields take it (the low 15 bits of each half).
void sizer_UnpackPreset(uint32_t packed, int* width, int* height);

// Entries of a size combo box: the present side first, then the list. Returns the
// count written (at most cap).
int sizer_ComboEntries(int present, int* out, int cap);

// width / height, or the default aspect when either side is 0.
double sizer_Aspect(int width, int height);
// The other side under a kept aspect: trunc(width / aspect + 0.5) and
// trunc(height * aspect + 0.5), held to 0..SIZER_FIELD_MAX.
unsigned sizer_HeightFor(unsigned width, double aspect);
unsigned sizer_WidthFor(unsigned height, double aspect);

// A field's text as an unsigned number: blanks, digits, blanks. Returns 1 and the
// value (saturated at SIZER_FIELD_MAX) for a number, 0 and value 0 otherwise.
const unsigned SIZER_FIELD_MAX = 0xFFFFFFFFu;
int sizer_ParseField(const char* text, unsigned* value);

// The preset behind button 3..9 of the preset dialog, packed; the desktop button
// takes the screen size given. 0 for any other button or an empty desktop.
uint32_t sizer_PresetSize(int button, int desktopWidth, int desktopHeight);

// OK of both size dialogs: too large, then the performance question, then too
// small, with the image size rule's messages. Returns 1 when the size may be used.
// Corrected fields come back in *width / *height; an untouched field keeps its value.
int sizer_AcceptSize(unsigned* width, unsigned* height);
