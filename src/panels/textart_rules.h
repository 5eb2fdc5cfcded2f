// textart_rules.h — what the Text-Art editor's controls mean, apart from any window:
// the entries of the size, style and border lists, the numbers read back from them,
// the scroll-bar steps, the flags of the seven style boxes and additions to the text.
//
// Pure functions; nothing here touches the settings record. The settings keep the
// font size in one byte, while the size list takes any number typed: the editor keeps
// the typed size for itself and stores it capped (ta_StoredSize / ta_EditorSize).
#pragma once
#include <cstddef>
#include <cstdint>
#include "settings/settings.h"

const int TA_SIZE_MIN = 1, TA_SIZE_MAX = 1000;   // points; a larger font only stalls GDI
// The ranges the settings keep.
const int TA_LEVEL_MIN = SET_TEXT_LEVEL_MIN, TA_LEVEL_MAX = SET_TEXT_LEVEL_MAX;
const int TA_ANTIALIAS_MAX = 255;
const int TA_STYLE_MAX = SET_TEXT_STYLE_MAX, TA_BORDER_MAX = SET_TEXT_BORDER_MAX;
const int TA_BOXES = 7;                           // style boxes, flag bits 1..64 in order

// The size list: 4..100 then 120, 140, 160, 200, 240 points.
int ta_SizeEntryCount();
int ta_SizeEntry(int index);
// "<points> pt size", the form the list shows.
void ta_SizeText(int points, char* out, size_t cap);
// "0 - No TextArt" .. "14 - Banner 2"; empty for anything else.
void ta_StyleName(int style, char* out, size_t cap);
// "0 - No Border" .. "16 - Full / Bright White"; null for anything else.
const char* ta_BorderName(int border);
// "<number> -", the beginning of the style or border entry of that number.
void ta_EntryPrefix(int number, char* out, size_t cap);

// The number at the start of a text (leading blanks skipped); 0 when there is none.
// Very long digit runs saturate instead of overflowing.
int ta_LeadingNumber(const char* text, int* value);
// A size text's points within TA_SIZE_MIN..TA_SIZE_MAX; `current` when it holds no
// number or 0.
int ta_SizeFromText(const char* text, int current);
// Style and border entries: their leading number, at most 14 / 16; `current` when none.
int ta_StyleFromText(const char* text, int current);
int ta_BorderFromText(const char* text, int current);

// Scroll-bar codes (the values of the Windows SB_* codes).
const int TA_SB_LINELEFT = 0, TA_SB_LINERIGHT = 1, TA_SB_PAGELEFT = 2, TA_SB_PAGERIGHT = 3;
const int TA_SB_THUMBPOSITION = 4, TA_SB_THUMBTRACK = 5, TA_SB_LEFT = 6, TA_SB_RIGHT = 7;
// The value after a scroll code: lines step 1, pages 10, the thumb takes `track`,
// the ends take min / max; always within min..max. Other codes keep the value.
int ta_Scroll(int value, int code, int track, int min, int max);

// The flags byte from the seven boxes (non-zero = checked), bold first.
uint8_t ta_FlagsFromBoxes(const int* checked);

// Appends `add` to the NUL-terminated `text` of `cap` bytes: 1 when it fit whole,
// 0 (text unchanged) when it would not.
int ta_Append(char* text, size_t cap, const char* add);

// The byte the settings keep for a size (255 for anything larger).
uint8_t ta_StoredSize(int points);
// The size the editor starts with: the stored byte, unless that byte is the capped
// form of the size typed last in this session.
int ta_EditorSize(uint8_t stored, int lastTyped);
