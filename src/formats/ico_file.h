// ico_file.h — the icon writer: one 32 × 32, 8-bit icon of 2238 bytes.
//
//   offset size  content
//   0      6     directory: u16 0, u16 type 1, u16 count 1
//   6      16    entry: u8 32, u8 32, u8 0 colours, u8 0, u16 planes 1, u16 bits 8,
//                u32 data size 2216, u32 data offset 22
//   22     40    info header: 40, width 32, height 64 (colour + mask rows), planes 1,
//                bits 8, compression 0, image size 1152, the rest 0
//   62     1024  palette: 256 × (blue, green, red, 0)
//   1086   1024  colour indices, 32 rows of 32, bottom row first
//   2110   128   mask, 32 rows of 4 bytes, bottom row first, bit 7 = leftmost, 1 = transparent
//
// The palette is the optimised palette of at most 255 colours (tree depth 6);
// entry 255 is all zero and serves the transparent pixels (alpha ≥ 128), whose
// mask bits are set. Opaque pixels alternate between the nearest entry (stored row
// + x even) and the entry nearest to the colour that cancels its error (odd).
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"

const size_t ICO_FILE_SIZE = 2238;

// The whole file in a malloc'd block; 0 when the surface is not 32 × 32 or the
// palette cannot be built (after "Could not create optimized palette!!").
int ico_SaveBytes(Surface* s, uint8_t** data, size_t* size);
// Replaces the file only after it was written whole; 0 on any failure.
int ico_Save(Surface* s, const char* path);
