// textart_rules.cpp — the Text-Art editor's list entries, number parsing, scroll steps
// and text additions (see textart_rules.h).
#include "panels/textart_rules.h"
#include <cstdio>
#include <cstring>

namespace {
const int EXTRA_SIZES[] = {120, 140, 160, 200, 240};
const int FIRST_SIZE = 4, LAST_LISTED = 100;
const int LISTED_RUN = LAST_LISTED - FIRST_SIZE + 1;

const char* const BORDER_NAMES[TA_BORDER_MAX + 1] = {
    "0 - No Border",
    "1 - Black",
    "2 - Dark Blue / Navy",
    "3 - Dark Green / Olive",
    "4 - Dark Cyan",
    "5 - Dark Red / Maroon",
    "6 - Dark Purple",
    "7 - VGA Brown / Dark Yellow",
    "8 - Std Light Grey",
    "9 - Std Dark Grey",
    "10 - Full / Bright Blue",
    "11 - Full / Bright Green",
    "12 - Full / Bright Cyan",
    "13 - Full / Bright Red",
    "14 - Full / Bright Purple",
    "15 - Full / Bright Yellow",
    "16 - Full / Bright White",
};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
}  // namespace

int ta_SizeEntryCount() { return LISTED_RUN + (int)(sizeof EXTRA_SIZES / sizeof EXTRA_SIZES[0]); }

int ta_SizeEntry(int index) {
    if (index < 0 || index >= ta_SizeEntryCount()) return 0;
    return index < LISTED_RUN ? FIRST_SIZE + index : EXTRA_SIZES[index - LISTED_RUN];
}

void ta_SizeText(int points, char* out, size_t cap) { std::snprintf(out, cap, "%i pt size", points); }

void ta_StyleName(int style, char* out, size_t cap) {
    if (cap == 0) return;
    if (style == 0) std::snprintf(out, cap, "0 - No TextArt");
    else if (style >= 1 && style <= 12) std::snprintf(out, cap, "%i - Trapezium %i", style, style);
    else if (style == 13 || style == 14) std::snprintf(out, cap, "%i - Banner %i", style, style - 12);
    else out[0] = 0;
}

const char* ta_BorderName(int border) {
    return border >= 0 && border <= TA_BORDER_MAX ? BORDER_NAMES[border] : nullptr;
}

void ta_EntryPrefix(int number, char* out, size_t cap) { std::snprintf(out, cap, "%i -", number); }

int ta_LeadingNumber(const char* text, int* value) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') text++;
    if (*text < '0' || *text > '9') return 0;
    long long n = 0;
    for (; *text >= '0' && *text <= '9'; text++)
        if (n < 1000000000) n = n * 10 + (*text - '0');
    *value = n > 1000000000 ? 1000000000 : (int)n;
    return 1;
}

int ta_SizeFromText(const char* text, int current) {
    int n;
    if (!ta_LeadingNumber(text, &n) || n == 0) return current;
    return Clamp(n, TA_SIZE_MIN, TA_SIZE_MAX);
}

int ta_StyleFromText(const char* text, int current) {
    int n;
    return ta_LeadingNumber(text, &n) ? (n > TA_STYLE_MAX ? TA_STYLE_MAX : n) : current;
}

int ta_BorderFromText(const char* text, int current) {
    int n;
    return ta_LeadingNumber(text, &n) ? (n > TA_BORDER_MAX ? TA_BORDER_MAX : n) : current;
}

int ta_Scroll(int value, int code, int track, int min, int max) {
    switch (code) {
    case TA_SB_LINELEFT: value -= 1; break;
    case TA_SB_LINERIGHT: value += 1; break;
    case TA_SB_PAGELEFT: value -= 10; break;
    case TA_SB_PAGERIGHT: value += 10; break;
    case TA_SB_THUMBPOSITION:
    case TA_SB_THUMBTRACK: value = track; break;
    case TA_SB_LEFT: value = min; break;
    case TA_SB_RIGHT: value = max; break;
    default: break;
    }
    return Clamp(value, min, max);
}

uint8_t ta_FlagsFromBoxes(const int* checked) {
    uint8_t flags = 0;
    for (int i = 0; i < TA_BOXES; i++)
        if (checked[i]) flags |= (uint8_t)(1u << i);
    return flags;
}

int ta_Append(char* text, size_t cap, const char* add) {
    const char* end = (const char*)std::memchr(text, 0, cap);
    if (!end) return 0;
    size_t have = (size_t)(end - text), more = std::strlen(add);
    if (more >= cap - have) return 0;
    std::memcpy(text + have, add, more + 1);
    return 1;
}

uint8_t ta_StoredSize(int points) { return (uint8_t)Clamp(points, 0, 255); }

int ta_EditorSize(uint8_t stored, int lastTyped) {
    return stored == 255 && lastTyped > 255 ? lastTyped : stored;
}
