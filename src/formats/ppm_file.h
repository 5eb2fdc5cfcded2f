// ppm_file.h — NetPBM files: reader of types P1-P6, writer of P3 (text) and P6 (binary).
//
//   "P<type>" then width, height and (not for P1/P4) the maximum value, as decimal
//   numbers separated by blanks; "#" starts a comment running to the line end.
//   One blank, tab, CR or LF after the last number, then the samples:
//   P1 P2 P3  decimal numbers (1, 1 and 3 per pixel; P1 digits may touch); a "#" ends them
//   P4        rows of (width + 7) / 8 bytes, bit 7 first, 1 = black
//   P5 P6     1 (P5) or 3 (P6) samples per pixel, one byte each, or two bytes
//             big-endian when the maximum value is above 255
//
// Reader: samples up to a maximum of 255 are used unscaled (a P5 with maximum 100 gives
// 0..100); larger maxima (to 65535) are scaled down to 0..255. Missing text samples
// stay 0; a binary file shorter than its pixel data is refused, as are zero sizes,
// over 2^24 pixels, a maximum of 0 and sizes the Surface cannot hold exactly.
// Alpha is always 0. A refused file leaves surface_out as it was.
// Writer: asks binary or text through the seam, then writes the header
// "P3\n# Created by Orvik's Kelvara\n<w> <h>\n255\n" (P6 adds a second comment line)
// and red, green, blue per pixel (text: each number followed by one blank).
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

extern const char PPM_BINARY_QUESTION[];
extern const char PPM_BINARY_TITLE[];

// One byte per decimal number of the text, up to `want` numbers or the first "#":
// the value modulo 256, or scaled to 0..255 when maxValue is above 255; with maxValue 1
// every digit counts alone, as plain bitmaps may write "0110". The buffer
// (malloc'd, `want` bytes, the unread part zero) goes to the caller; *count says how
// many numbers were read.
uint8_t* ppm_ReadAsciiSamples(const uint8_t* text, size_t size, uint32_t maxValue, size_t want,
                              size_t* count);

int ppm_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int ppm_Load(Surface* out, const char* path, ImageFileInfo* info);
// binary: 1 for P6, 0 for P3. The file in a malloc'd block.
int ppm_SaveBytes(Surface* s, int binary, uint8_t** data, size_t* size);
// Asks "Use Binary Mode PPM" (anything but No means binary); replaces the file only
// after it was written whole; 0 on any failure.
int ppm_Save(Surface* s, const char* path);
