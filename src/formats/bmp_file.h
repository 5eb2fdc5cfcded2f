// bmp_file.h — the program's own BMP reader and the BMP writer.
//
// Reader: uncompressed or bit-field files of 8, 16, 24 and 32 bits (planes × bit
// count); a palette is taken from the gap between the headers and the pixel data;
// 16-bit pixels are 5-5-5 through the five-bit expansion table, alpha 0; 32-bit
// pixels keep their fourth byte as alpha. Every size and offset is checked against
// the file before use; a refused file leaves surface_out as it was.
// Writer: 8 bits with a palette when the image has at most 256 values, else 24 bits
// (32 when any alpha byte is non-zero); rows bottom-up, padded to 4 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

// Entry i = i × 255 / 31 rounded: the 5-bit channel expansion of BMP and TGA.
extern const uint8_t FIVE_BIT_EXPAND[32];

int bmp_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int bmp_Load(Surface* out, const char* path, ImageFileInfo* info);
// The whole file in a malloc'd block (free with free()).
int bmp_SaveBytes(Surface* s, uint8_t** data, size_t* size);
// Replaces the file only after it was written whole; 0 on any failure.
int bmp_Save(Surface* s, const char* path);
