// bmp_file.h — the program's own BMP reader and the BMP writer.
//
//   file header (14 bytes)      info header (40 bytes read, zero-filled when shorter)
//   0  "BM"                     14 u32 headerSize      18 i32 width   22 i32 height
//   2  u32 fileSize             26 u16 planes          28 u16 bitCount
//   6  u16, u16 reserved        30 u32 compression (0 plain, 3 bit fields)
//   10 u32 pixel data offset    34 u32 imageSize, then four u32 the reader ignores
//   then, up to the pixel data offset, the palette (or bit-field masks); rows padded
//   to 4 bytes, bottom row first for a positive height, top row first for a negative.
//
// Reader: bits per pixel = planes × bit count, 8 to 32 (below 8, above 32, run-length,
// embedded JPEG/PNG and other compressions are refused); the info header is read up to
// 40 bytes, zero-filled when shorter. The palette holds the entries that fit in the
// gap between the end of the info header and the pixel data (at most 256, the rest
// zero): four-byte entries for a header of 40 bytes or more (the fourth byte becomes
// alpha), for a shorter header three-byte entries when the gap is 768 bytes or less.
// Pixels: 1 byte through the palette; 2 bytes as 5-5-5 through the expansion table
// with alpha 0, whatever bit-field masks say; 3 and 4 bytes taken as they stand (the
// fourth byte is alpha, as stored). Positive height: bottom row first; negative: top
// row first. Refused besides: a missing "BM"; a zero or negative width; a zero
// height; sizes a Surface cannot hold exactly; pixel rows that end past the end of
// the file (only the last row's padding may be missing); 8-bit files that count more
// than 256 colours or use an index beyond the palette the file holds (the colours-used
// count when it is smaller); bit-field files with an empty red, green or blue mask.
// info->width / height are the loaded size (a top-down file's height without its
// sign). A refused file leaves surface_out as it was.
// Writer: 8 bits with a palette when the image has at most 256 values (alpha
// included, kept in the palette's fourth byte), else 24 bits, or 32 when any alpha
// byte is non-zero; rows bottom-up, padded with zeros to 4 bytes. The palette starts
// as 256 copies of the first pixel, new values replace entries from index 0 up, and a
// pixel is written as the highest index holding its value — so the first pixel's
// value is always index 255.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

// Entry i = i × 255 / 31 rounded: the 5-bit channel expansion of BMP and TGA.
extern const uint8_t FIVE_BIT_EXPAND[32];

int bmp_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int bmp_Load(Surface* out, const char* path, ImageFileInfo* info);
// The whole file in a malloc'd block (free with free()); 0 when the Surface cannot be
// locked or memory runs out.
int bmp_SaveBytes(Surface* s, uint8_t** data, size_t* size);
// Replaces the file only after it was written whole; 0 on any failure.
int bmp_Save(Surface* s, const char* path);
