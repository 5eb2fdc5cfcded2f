// pixel.h — the integer pixel arithmetic every engine loop shares.
// Words are 0xAARRGGBB. Blends work two channels per multiply: the word masked
// with 0x00FF00FF (red, blue) and shifted right by 8 then masked (alpha, green).
// Each 16-bit lane holds at most 255 * 256, so 8-bit weights summing to 256 never
// carry between lanes. Everything truncates.
#pragma once
#include <cstdint>

// Translucency byte -> blend weight 0..256 (255 becomes exactly 256).
static inline uint32_t px_Weight(uint32_t alphaByte) { return alphaByte + (alphaByte >> 7); }
static inline uint32_t px_Alpha(uint32_t p) { return p >> 24; }

// All four channels: (a * (256 - t) + b * t) >> 8, t in 0..256.
static inline uint32_t px_Lerp(uint32_t a, uint32_t b, uint32_t t) {
    uint32_t u = 256 - t;
    uint32_t rb = (((a & 0x00FF00FFu) * u + (b & 0x00FF00FFu) * t) >> 8) & 0x00FF00FFu;
    uint32_t ag = (((a >> 8) & 0x00FF00FFu) * u + ((b >> 8) & 0x00FF00FFu) * t) & 0xFF00FF00u;
    return rb | ag;
}

// Source-over with translucency: colours (s * (256 - t_s) + d * t_s) >> 8 and
// alpha (A_d * t_s) >> 8. `back` supplies the colours and alpha behind s.
static inline uint32_t px_Over(uint32_t s, uint32_t back) {
    uint32_t t = px_Weight(s >> 24);
    uint32_t mixed = px_Lerp(s, back, t);
    return (mixed & 0x00FFFFFFu) | (((back >> 24) * t >> 8) << 24);
}

// Four-tap weighted sum, weights summing to 256: (p0 w0 + p1 w1 + p2 w2 + p3 w3) >> 8.
static inline uint32_t px_Mix4(uint32_t p0, uint32_t w0, uint32_t p1, uint32_t w1,
                               uint32_t p2, uint32_t w2, uint32_t p3, uint32_t w3) {
    const uint32_t m = 0x00FF00FFu;
    uint32_t rb = (((p0 & m) * w0 + (p1 & m) * w1 + (p2 & m) * w2 + (p3 & m) * w3) >> 8) & m;
    uint32_t ag = (((p0 >> 8) & m) * w0 + ((p1 >> 8) & m) * w1 + ((p2 >> 8) & m) * w2 +
                   ((p3 >> 8) & m) * w3) & 0xFF00FF00u;
    return rb | ag;
}

// Each of the four bytes a + b, saturated at 255.
static inline uint32_t px_AddSat(uint32_t a, uint32_t b) {
    const uint32_t m = 0x00FF00FFu;
    uint32_t rb = (a & m) + (b & m);
    uint32_t ag = ((a >> 8) & m) + ((b >> 8) & m);
    rb = (rb | ((rb >> 8) & 0x00010001u) * 0xFFu) & m;   // a carried lane becomes 0xFF
    ag = (ag | ((ag >> 8) & 0x00010001u) * 0xFFu) & m;
    return rb | (ag << 8);
}

// All four channels: (b * (65536 - w) + a * w) >> 16, w in 0..65536 (the rule of
// clr_Mix). Two channels per 64-bit multiply, 32 bits apart: the products need 24.
static inline uint32_t px_Mix16(uint32_t a, uint32_t w, uint32_t b) {
    const uint64_t m = 0x000000FF000000FFull;
    const uint64_t u = 65536 - w;
    uint64_t aLo = (a & 0xFFu) | ((uint64_t)(a & 0xFF0000u) << 16);   // B at 0, R at 32
    uint64_t bLo = (b & 0xFFu) | ((uint64_t)(b & 0xFF0000u) << 16);
    uint64_t aHi = ((a >> 8) & 0xFFu) | ((uint64_t)(a >> 24) << 32);  // G at 0, A at 32
    uint64_t bHi = ((b >> 8) & 0xFFu) | ((uint64_t)(b >> 24) << 32);
    uint64_t lo = ((aLo * w + bLo * u) >> 16) & m;
    uint64_t hi = ((aHi * w + bHi * u) >> 16) & m;
    return (uint32_t)(lo | (lo >> 16)) | ((uint32_t)(hi | (hi >> 16)) << 8);
}

// px_Mix16 of two words that are single bytes (0..255): the rule on the low channel
// alone, in 32 bits, so that a loop of them vectorises.
static inline uint32_t px_Mix16Byte(uint32_t a, uint32_t w, uint32_t b) {
    return (b * (65536 - w) + a * w) >> 16;
}
