// clipdib.h — the packed device-independent bitmap of the clipboard, apart from the
// clipboard itself: the block the program writes, and the checks a block from
// another program must pass before anything reads its pixels.
//
// Written block (little-endian), width x height x 4 + 1064 bytes, zero-filled:
//   offset  size  field
//        0     4  header size, 40
//        4     4  width
//        8     4  height, positive: rows bottom-up
//       12     2  planes, 1
//       14     2  bits per pixel, 32
//       16     4  compression, 0 (uncompressed)
//       20     4  image size, width x height x 4
//       24    16  zero
//       40     -  rows: block row i is surface row height - 1 - i, words unchanged
//                 (the alpha byte in the program's translucency convention)
// Nothing here fails for a size the surface rules allow; the parser refuses, never
// reads past the block.
#pragma once
#include <cstddef>
#include <cstdint>

const size_t CDIB_HEADER = 40;
const size_t CDIB_SLACK = 1064;  // the written block's room beyond the pixels

// Bytes of the written block for a w x h surface.
size_t cdib_BlockSize(uint32_t w, uint32_t h);
// Fills a zeroed block of cdib_BlockSize bytes from rows of `stride` words.
void cdib_Write(uint8_t* block, const uint32_t* pixels, uint32_t w, uint32_t h, uint32_t stride);

// Where the parts of a foreign block lie.
struct CdibLayout {
    int32_t width, height;  // height < 0: rows top-down
    uint16_t bitsPerPixel;
    uint32_t compression;
    uint32_t tableEntries;  // colour-table entries, or the 3 masks of bit fields
    size_t bitsOffset;      // where the pixel bits start
    size_t bitsSize;        // bytes of pixel bits the header promises
};
// 1 when the block of `size` bytes holds a header of at least 40 bytes, its colour
// table (a non-zero colours-used count of entries at any depth, else 2^bits up to 8
// bits; the 3 masks of bit fields) and every pixel byte the header describes, for 1,
// 4, 8, 16, 24 or 32 bits per pixel uncompressed (or bit fields), or RLE whose image
// size fits; sides 1..32767 and at most `maxPixels` pixels. The reason for a 0 goes
// to the refusal record (platform/refusal.h).
int cdib_Parse(const uint8_t* block, size_t size, uint64_t maxPixels, CdibLayout* out);
