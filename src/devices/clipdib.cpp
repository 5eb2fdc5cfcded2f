// clipdib.cpp — the clipboard's packed bitmap (clipdib.h).
#include "devices/clipdib.h"

#include <cstring>

#include "platform/refusal.h"

namespace {

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = (uint8_t)(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t Get16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

}  // namespace

size_t cdib_BlockSize(uint32_t w, uint32_t h) { return (size_t)w * h * 4 + CDIB_SLACK; }

void cdib_Write(uint8_t* block, const uint32_t* pixels, uint32_t w, uint32_t h, uint32_t stride) {
    Put32(block, (uint32_t)CDIB_HEADER);
    Put32(block + 4, w);
    Put32(block + 8, h);
    block[12] = 1;
    block[14] = 32;
    Put32(block + 20, w * h * 4);
    uint8_t* rows = block + CDIB_HEADER;
    for (uint32_t i = 0; i < h; i++)
        std::memcpy(rows + (size_t)i * w * 4, pixels + (size_t)(h - 1 - i) * stride, (size_t)w * 4);
}

int cdib_Parse(const uint8_t* block, size_t size, uint64_t maxPixels, CdibLayout* out) {
    if (!block || size < CDIB_HEADER) return refuse_With("clipboard bitmap shorter than its header");
    uint32_t header = Get32(block);
    if (header < CDIB_HEADER || header > size) return refuse_With("clipboard bitmap header size");
    CdibLayout d{};
    d.width = (int32_t)Get32(block + 4);
    d.height = (int32_t)Get32(block + 8);
    d.bitsPerPixel = Get16(block + 14);
    d.compression = Get32(block + 16);
    uint32_t imageSize = Get32(block + 20), used = Get32(block + 32);
    int64_t rows = d.height < 0 ? -(int64_t)d.height : d.height;
    if (d.width < 1 || d.width > 32767 || rows < 1 || rows > 32767 || (uint64_t)d.width * (uint64_t)rows > maxPixels)
        return refuse_With("clipboard bitmap size");
    const uint16_t bpp = d.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return refuse_With("clipboard bitmap depth");
    // Deeper bitmaps may carry a table too (colours to display them with); their rows
    // follow it all the same.
    d.tableEntries = used ? used : bpp <= 8 ? 1u << bpp : 0;
    if (d.tableEntries > 256) return refuse_With("clipboard bitmap colour table");
    uint64_t rowBytes = ((uint64_t)d.width * bpp + 31) / 32 * 4;
    uint64_t bits = rowBytes * (uint64_t)rows;
    switch (d.compression) {
    case 0: break;
    case 3:  // bit fields: the three masks take the table's place
        if (bpp != 16 && bpp != 32) return refuse_With("clipboard bitmap masks");
        d.tableEntries = 3;
        break;
    case 1:
    case 2:  // run-length: only the promised bytes can be checked
        if (bpp != (d.compression == 1 ? 8 : 4) || imageSize == 0 || d.height < 0)
            return refuse_With("clipboard bitmap run-length");
        bits = imageSize;
        break;
    default: return refuse_With("clipboard bitmap compression");
    }
    d.bitsOffset = header + 4 * (size_t)d.tableEntries;
    if (d.bitsOffset > size || bits > size - d.bitsOffset) return refuse_With("clipboard bitmap shorter than its pixels");
    d.bitsSize = (size_t)bits;
    *out = d;
    return 1;
}
