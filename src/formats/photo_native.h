// photo_native.h — PNG and JPEG files in the native build, through the system's
// libpng and libjpeg-turbo. On Windows the filter plug-ins read and write these;
// natively they stand in for them (plugin_filter_native.cpp), with the same results:
//
// Reading (any file whose bytes are a PNG or a JPEG, whatever its name): every PNG
// colour type and depth becomes 8-bit BGR plus the file's opacity, stored as the
// surface's translucency 255 - opacity, exactly; 16-bit samples are scaled to 8 bits
// with rounding; no gamma is applied. A JPEG (grey, YCbCr, RGB, CMYK) is opaque.
// Refused, with a reason: files of another kind, sizes a Surface cannot hold exactly,
// broken or cut streams (any libpng error, a JPEG that ends before its image data or
// has more than PHOTO_MAX_SCANS scans), and files above PHOTO_MAX_FILE.
// Writing: PNG keeps alpha — 8-bit RGBA when some pixel is translucent, else 8-bit
// RGB; JPEG is 4:2:0 YCbCr at the quality given, alpha dropped. Both encode to
// memory first. A refused file leaves surface_out as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

const size_t PHOTO_MAX_FILE = (size_t)256 << 20;
const int PHOTO_MAX_SCANS = 256;
// The JPEG filter plug-in's quality when its settings file says nothing.
const int PHOTO_JPEG_QUALITY = 90;

int photo_IsPng(const uint8_t* data, size_t size);
int photo_IsJpeg(const uint8_t* data, size_t size);

int photo_LoadPngBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int photo_LoadJpegBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
// Either of the two, chosen by the bytes; 0 for anything else.
int photo_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);

// The whole file in a malloc'd block (free with free()).
int photo_SavePngBytes(Surface* s, uint8_t** data, size_t* size);
// quality 1..100 (clamped).
int photo_SaveJpegBytes(Surface* s, int quality, uint8_t** data, size_t* size);
