// kv5_tiled.h — reader of the legacy tiled KV5 layout (layout types 0 and 1).
//
// Header (at most 40 bytes are read; zeros where the file is shorter):
//   offset type  field
//   0      4     "_KV5"           4   u32  headerSize (>= 24)
//   8      u16   formatVersion (any)   10  u16  layoutType (0 or 1)
//   12     u16   width            14  u16  height
//   16     u32   dataOffset (above 1024 or below headerSize: taken as headerSize)
//   20     u32   dataSize (0 = to the end of the file)
//   24     16    codecList, undone from slot 15 down; undefined codecs are skipped
// The decoded stream is a sequence of 16 x 16 tiles, tile rows from the top, tiles
// left to right, clipped at the right and bottom edges. Each tile starts with a byte:
//   bits 0-1  byte planes - 1        bit 2  ignored
//   bits 3,4  kind: (1,0) direct, (1,1) indexed, (0,0) grey, (0,1) repeat
//   bit 5     indexed: a palette start byte follows the count
//   bit 6     the tile's pixels are stored in strip order
//   bit 7     one extra byte follows the tile byte and is skipped
//   direct    planes x 256 bytes, plane by plane; pixel i = OR of byte i << 8p
//   indexed   256 indices, count C, [start S], then planes x n bytes for palette
//             entries S.. (n = C with bit 5, else S = 0 and n = C + 1); the palette
//             persists from tile to tile
//   grey      256 grey bytes, then the stream moves on to planes x 256 in all
//   repeat    no data: the previous tile's pixels again
//   strip order: stored pixel 32k + j goes to row 2k (+1 when j mod 4 is 1 or 2),
//             column j / 2 — applied after forming, so a repeat reorders again.
// Pixels keep red in byte 0 and blue in byte 2; they are swapped on the way into
// the Surface. Refused (0): streams that end inside a tile or before the last one,
// palette start + count beyond 256, and everything kv5_file.h refuses.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

const uint32_t KV5_TILED_HEADER = 40;

int kv5_LoadTiledBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int kv5_LoadTiled(Surface* out, const char* path, ImageFileInfo* info);
// How many bytes from the file's start kv5_LoadTiledBytes can use (see kv5_LoadExtent).
size_t kv5_TiledExtent(const uint8_t* head, size_t n);
