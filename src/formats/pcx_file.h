// pcx_file.h — PCX image files: reader of 1/2/4/8-bit planes, writer of 24-bit (3 planes).
//
//   header (128 bytes, little-endian)
//   0 u8 manufacturer (10)   1 u8 version   2 u8 encoding   3 u8 bitsPerPixel (per plane)
//   4 u16 xmin  6 u16 ymin  8 u16 xmax  10 u16 ymax   (width = xmax - xmin + 1)
//   12 u16 hRes  14 u16 vRes   16 48 bytes: 16 RGB triples   64 u8 0
//   65 u8 planes   66 u16 bytesPerLine (per plane)   68.. 0
//   then each line run-length coded: a byte with both top bits set gives
//   (byte & 0x3F) copies of the next byte, any other byte is itself; a line is
//   bytesPerLine * planes bytes, plane after plane.
//   256-colour files: byte 12, then 768 bytes of RGB triples, at the end of the file.
//
// Reader, 8-bit planes: palette when version is 5 and bits x planes <= 8: the end
// block when its marker is there, else the header's 16 colours (indices above 15 are
// black). Planes 0-3 are red, green, blue, alpha; planes beyond 4 are ignored.
// Packed planes (1, 2 or 4 bits, bits x planes <= 4): pixels packed high bit first,
// plane p giving bits p*bits.. of an index into the header's 16 colours, whatever the
// version; 1 bit x 1 plane is black (0) and white (1).
// Refused: a wrong manufacturer byte, other depths, no planes, bytesPerLine too short
// for the width, an inverted window, over 2^24 pixels, sizes the Surface cannot hold
// exactly, coded data that ends before the last line. A refused file leaves
// surface_out as it was.
// Writer: version 5, 8 bits, 3 planes, 96 dpi, bytesPerLine = width rounded up to even
// (the fill byte is 0), no palette block. Runs are at most 63 and never cross a line.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

int pcx_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int pcx_Load(Surface* out, const char* path, ImageFileInfo* info);
// The file in a malloc'd block; 0 when the Surface cannot be locked, a side exceeds
// 65535 or memory runs out.
int pcx_SaveBytes(Surface* s, uint8_t** data, size_t* size);
// Replaces the file only after it was written whole; 0 on any write failure.
int pcx_Save(Surface* s, const char* path);
