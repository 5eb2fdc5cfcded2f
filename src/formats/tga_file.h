// tga_file.h — TGA image files: reader (types 1-3 and 9-11) and writer (type 10).
//
//   header (18 bytes, little-endian)
//   0 u8 idLength   1 u8 colourMapType   2 u8 imageType (bit 3 = run-length; & 7:
//                                        1 colour-mapped, 2 true colour, 3 grey)
//   3 u16 mapFirst  5 u16 mapLength      7 u8 mapEntryBits
//   8 u16 xOrigin   10 u16 yOrigin       12 u16 width   14 u16 height
//   16 u8 depth (8/16/24/32)             17 u8 descriptor (bit 5 = rows top-down)
//   then idLength bytes, the colour map, the pixels (rows bottom-up unless bit 5).
//   Run-length packets: byte b, count (b & 0x7F) + 1; b < 0x80: count raw pixels
//   follow, else one pixel repeated count times; packets may cross rows.
//
// Reader: refuses zero or over 2^24 pixels, sizes the Surface cannot hold exactly,
// depths other than 8/16/24/32, grey pixels above 16 bits, wider indices than 8 bits, maps
// above 256 entries or with entries other than 15/16/24/32 bits, colour-mapped files
// without a map, and files that end before the header, map or last pixel.
// 16-bit pixels and 15/16-bit map entries are 5-5-5 through the expansion table,
// bit 15 giving alpha 255. 32-bit pixels keep their fourth byte as alpha; 16-bit grey
// takes grey from the low byte and its high byte, the file's opacity, as alpha
// 255 - opacity (the surface's convention, alpha 0 opaque).
// Writer: type 10, 24 bits, top-left origin, then the packets, then the signature
// text; alpha is not stored. A refused file leaves surface_out as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

extern const char TGA_SIGNATURE_TEXT[];

int tga_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int tga_Load(Surface* out, const char* path, ImageFileInfo* info);
// The whole file in a malloc'd block (free with free()); 0 when the Surface cannot be
// locked, a side exceeds 65535 or memory runs out.
int tga_SaveBytes(Surface* s, uint8_t** data, size_t* size);
// Replaces the file only after it was written whole; 0 on any write failure.
int tga_Save(Surface* s, const char* path);
