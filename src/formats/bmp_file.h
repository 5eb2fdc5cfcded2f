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
// Structure check (bmp_CheckStructure), shared by this reader and the system loaders,
// so that no decoder is handed a file whose headers lie: the info header must be of a
// known size (12, 16, 40, 52, 56, 64, 108, 124) and lie inside the file; planes 1;
// width > 0, height ≠ 0 (run-length files bottom-up only); a stored file size or image
// size above what the file holds (the last row's padding aside) marks a cut or lying
// file; uncompressed rows must all be there (only the last row's padding may be
// missing); bit-field files need a non-empty red, green and blue mask; uncompressed
// files of 1 to 8 bits may count at most 256 colours and use only indices the file's
// palette holds (the colours-used count when smaller); run-length streams are walked
// and refused when a code writes outside the image or reads past the coded data (end
// of data on a code boundary ends the image); both densities non-zero and one more
// than 1000 times the other is refused as nonsense.
// Reader: first the structure check; then bits per pixel 8 to 32 (below 8, above 32,
// run-length, embedded JPEG/PNG and other compressions, and 12-byte core headers are
// refused); the info header is read up to 40 bytes. The palette holds the entries
// that fit in the gap between the end of the info header and the pixel data (at most
// 256, the rest zero; a four-byte entry's fourth byte becomes alpha). Pixels: 1 byte
// through the palette; 2 bytes as 5-5-5 through the expansion table with alpha 0,
// whatever bit-field masks say; 3 and 4 bytes taken as they stand (the fourth byte is
// alpha, as stored). Positive height: bottom row first; negative: top row first.
// Sizes a Surface cannot hold exactly are refused too.
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

// What the check read from a sound file. Palette entries are four bytes for headers
// of 40 bytes and more, else three when the gap before the pixels is at most 768.
struct BmpLayout {
    uint32_t headerSize;
    uint32_t width, height;  // height without its sign
    bool topDown;
    uint32_t bits, compression, dataOffset;
    uint32_t paletteEntry, paletteHeld;  // entry size, entries in the gap (at most 256)
};
// 1 when the file is sound by the rules above (layout filled when given), else 0.
int bmp_CheckStructure(const uint8_t* file, size_t size, BmpLayout* layout = nullptr);

int bmp_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int bmp_Load(Surface* out, const char* path, ImageFileInfo* info);
// The whole file in a malloc'd block (free with free()); 0 when the Surface cannot be
// locked or memory runs out.
int bmp_SaveBytes(Surface* s, uint8_t** data, size_t* size);
// Replaces the file only after it was written whole; 0 on any failure.
int bmp_Save(Surface* s, const char* path);
