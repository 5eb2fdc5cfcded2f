// bmp_file.cpp — the own BMP reader and the BMP writer (layout in bmp_file.h).
#include "formats/bmp_file.h"
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include "formats/fileio.h"
#include "formats/kv5_file.h"
#include "formats/rdwr.h"
#include "platform/refusal.h"

const uint8_t FIVE_BIT_EXPAND[32] = {0,   8,   16,  25,  33,  41,  49,  58,  66,  74,  82,
                                     90,  99,  107, 115, 123, 132, 140, 148, 156, 165, 173,
                                     181, 189, 197, 206, 214, 222, 230, 239, 247, 255};

namespace {

const size_t FILE_HEADER = 14;
const size_t INFO_HEADER = 40;
const size_t PALETTE_BYTES = 256 * 4;
// Headers and palette gaps of up to 1 MiB, then the largest pixel block a Surface can
// take: 2^24 pixels at 4 bytes plus up to 3 padding bytes per row.
const size_t MAX_FILE = ((size_t)1 << 20) + (size_t)7 * SRF_MAX_PIXELS;

uint32_t PixelMask(uint32_t bits) {
    switch (bits) {
    case 24: return 0xFFFFFF;
    case 16: return 0xFFFF;
    case 15: return 0x7FFF;
    case 8: return 0xFF;
    default: return bits < 32 ? (1u << bits) - 1 : 0xFFFFFFFFu;
    }
}

// Byte / u32 at `at` of the file, zero past its end (masks and palette entries are
// read before the pixel rows are known to fit).
uint8_t ByteOrZero(const uint8_t* data, size_t size, uint64_t at) { return at < size ? data[at] : 0; }
uint32_t U32OrZero(const uint8_t* data, size_t size, uint64_t at) {
    uint32_t v = 0;
    for (int k = 0; k < 4; k++) v |= (uint32_t)ByteOrZero(data, size, at + k) << 8 * k;
    return v;
}

uint32_t Value(const uint8_t* p, uint32_t bytes) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < bytes; i++) v |= (uint32_t)p[i] << 8 * i;
    return v;
}

uint32_t From555(uint32_t v) {
    return (uint32_t)FIVE_BIT_EXPAND[v >> 10 & 31] << 16 | (uint32_t)FIVE_BIT_EXPAND[v >> 5 & 31] << 8 |
           FIVE_BIT_EXPAND[v & 31];
}

// The values of an image with at most 256 of them, sorted, each with the highest
// palette index that holds it.
struct PaletteIndex {
    uint32_t keys[256];
    uint8_t index[256];
    int count;
};

// Position of v in keys, or where it would go (then keys[pos] != v).
int Find(const PaletteIndex* p, uint32_t v) {
    int lo = 0, hi = p->count;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (p->keys[mid] < v) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

// 1 and the file palette when the surface holds at most 256 values.
int BuildPalette(Surface* s, uint32_t palette[256], PaletteIndex* pi) {
    const uint32_t first = s->pixels[0];
    for (int i = 0; i < 256; i++) palette[i] = first;
    pi->keys[0] = first;
    pi->index[0] = 255;
    pi->count = 1;
    int appended = 0;
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            const uint32_t v = row[x];
            const int at = Find(pi, v);
            if (at < pi->count && pi->keys[at] == v) continue;
            if (appended == 255) return 0;
            palette[appended] = v;
            std::memmove(pi->keys + at + 1, pi->keys + at, (size_t)(pi->count - at) * sizeof pi->keys[0]);
            std::memmove(pi->index + at + 1, pi->index + at, (size_t)(pi->count - at));
            pi->keys[at] = v;
            pi->index[at] = (uint8_t)appended++;
            pi->count++;
        }
    }
    return 1;
}

const uint32_t BMP_RGB = 0, BMP_RLE8 = 1, BMP_RLE4 = 2, BMP_BITFIELDS = 3;

bool KnownHeaderSize(uint32_t n) {
    for (uint32_t k : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u})
        if (n == k) return true;
    return false;
}

// The n-th pixel value of a packed row of 1, 2, 4 or 8 bits, most significant first.
uint32_t PackedValue(const uint8_t* row, uint32_t bits, uint32_t n) {
    const uint32_t bit = n * bits;
    return (uint32_t)(row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

// Walks a run-length stream of a w × h image: 0 when a code writes outside the image
// or reads past the data. Ends at end-of-bitmap, or at the end of the data when that
// falls between codes.
int RleFits(const uint8_t* p, size_t n, uint64_t w, uint64_t h, bool four) {
    uint64_t x = 0, y = 0;
    size_t i = 0;
    while (i < n) {
        if (n - i < 2) return 0;
        const uint32_t count = p[i], code = p[i + 1];
        i += 2;
        if (count) {  // a run of one value
            if (y >= h || x + count > w) return 0;
            x += count;
        } else if (code == 0) {  // end of line
            x = 0;
            if (++y > h) return 0;
        } else if (code == 1) {  // end of bitmap
            return 1;
        } else if (code == 2) {  // move right and up
            if (n - i < 2) return 0;
            x += p[i];
            y += p[i + 1];
            i += 2;
            if (x > w || y > h) return 0;
        } else {  // literal pixels, padded to an even byte count
            size_t bytes = four ? (code + 1) / 2 : code;
            bytes += bytes & 1;
            if (n - i < bytes || y >= h || x + code > w) return 0;
            x += code;
            i += bytes;
        }
    }
    return 1;
}

}  // namespace

int bmp_CheckStructure(const uint8_t* file, size_t size, BmpLayout* layout) {
    if (!file || size < FILE_HEADER + 4) return refuse_With("truncated header");
    if (file[0] != 'B' || file[1] != 'M') return refuse_With("bad signature");
    const uint32_t fileSize = rd_U32At(file, 2), dataOffset = rd_U32At(file, 10);
    const uint32_t headerSize = rd_U32At(file, 14);
    if (!KnownHeaderSize(headerSize)) return refuse_With("bad header size");
    if (FILE_HEADER + (uint64_t)headerSize > size) return refuse_With("truncated header");
    if (dataOffset >= size) return refuse_With("data offset past end");
    const uint8_t* ih = file + FILE_HEADER;
    int64_t width, height;
    uint32_t planes, bits, compression = BMP_RGB, imageSize = 0, coloursUsed = 0, xDensity = 0, yDensity = 0;
    if (headerSize == 12) {
        width = rd_U16At(ih, 4);
        height = rd_U16At(ih, 6);
        planes = rd_U16At(ih, 8);
        bits = rd_U16At(ih, 10);
    } else {
        width = (int32_t)rd_U32At(ih, 4);
        height = (int32_t)rd_U32At(ih, 8);
        planes = rd_U16At(ih, 12);
        bits = rd_U16At(ih, 14);
        if (headerSize >= INFO_HEADER) {
            compression = rd_U32At(ih, 16);
            imageSize = rd_U32At(ih, 20);
            xDensity = rd_U32At(ih, 24);
            yDensity = rd_U32At(ih, 28);
            coloursUsed = rd_U32At(ih, 32);
        }
    }
    const bool rle = compression == BMP_RLE8 || compression == BMP_RLE4;
    if (planes != 1) return refuse_With("bad planes");
    if (width <= 0 || height == 0 || (rle && height < 0)) return refuse_With("bad dimensions");
    if (xDensity && yDensity && ((uint64_t)xDensity > 1000ull * yDensity || (uint64_t)yDensity > 1000ull * xDensity))
        return refuse_With("bad density");
    const uint64_t w = (uint64_t)width, h = (uint64_t)(height < 0 ? -height : height);
    const uint64_t held = dataOffset < size ? size - dataOffset : 0;
    // What the rows need and the padding the last one may lack.
    const uint64_t rowBytes = (w * bits + 7) / 8, rowSize = (w * bits + 31) / 32 * 4;
    const uint64_t lastPad = compression == BMP_RGB || compression == BMP_BITFIELDS ? rowSize - rowBytes : 0;
    if (fileSize > size + lastPad || imageSize > held + lastPad) return refuse_With("size field past end");

    if (compression == BMP_BITFIELDS)
        for (uint64_t at = 54; at < 66; at += 4)
            if (!U32OrZero(file, size, at)) return refuse_With("empty bit mask");

    const uint64_t infoEnd = FILE_HEADER + (uint64_t)headerSize;
    const uint64_t gap = dataOffset > infoEnd ? dataOffset - infoEnd : 0;
    const uint32_t entry = headerSize >= INFO_HEADER || gap > 768 ? 4 : 3;
    const uint32_t paletteHeld = (uint32_t)(gap / entry < 256 ? gap / entry : 256);
    const bool indexed = bits <= 8 && compression != BMP_BITFIELDS;
    if (indexed && coloursUsed > 256) return refuse_With("too many colours");
    const uint32_t usable = coloursUsed && coloursUsed < paletteHeld ? coloursUsed : paletteHeld;

    if (compression == BMP_RGB || compression == BMP_BITFIELDS) {
        // Every row there; the division keeps huge sizes from overflowing.
        if (!rowBytes) return refuse_With("bad bit depth");
        if (rowBytes > held || h - 1 > (held - rowBytes) / rowSize) return refuse_With("truncated pixels");
        if (indexed && (bits == 1 || bits == 2 || bits == 4 || bits == 8))
            for (uint64_t r = 0; r < h; r++) {
                const uint8_t* row = file + dataOffset + r * rowSize;
                for (uint32_t x = 0; x < w; x++)
                    if (PackedValue(row, bits, x) >= usable) return refuse_With("index past palette");
            }
    } else if (rle) {
        if (compression == BMP_RLE8 ? bits != 8 : bits != 4) return refuse_With("bad bit depth");
        const uint64_t coded = imageSize ? imageSize : held;
        if (!RleFits(file + dataOffset, (size_t)coded, w, h, compression == BMP_RLE4))
            return refuse_With("bad run-length data");
    }
    if (layout) {
        layout->headerSize = headerSize;
        layout->width = (uint32_t)w;
        layout->height = (uint32_t)h;
        layout->topDown = height < 0;
        layout->bits = bits;
        layout->compression = compression;
        layout->dataOffset = dataOffset;
        layout->paletteEntry = entry;
        layout->paletteHeld = paletteHeld;
    }
    return 1;
}

int bmp_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    refuse_Clear();
    ImageFileInfo local{};
    if (!info) info = &local;
    if (!out || !data) return refuse_With("no data");
    // The check has seen every row, the masks and the palette indices in the file.
    BmpLayout l;
    if (!bmp_CheckStructure(data, size, &l)) return 0;
    // Fewer than 8 bits are not unpacked; beyond 32 a pixel has no place to go. A core
    // header's fields do not fit the 40-byte layout read here.
    if (l.headerSize < 16) return refuse_With("core header");
    if (l.bits < 8 || l.bits > 32) return refuse_With("bad bit depth");
    if (l.compression != BMP_RGB && l.compression != BMP_BITFIELDS) return refuse_With("unsupported compression");
    const uint32_t w = l.width, h = l.height;
    size_t pixels;
    if (!srf_SizeAccepted(w, h, &pixels)) return refuse_With("too large");
    info->width = w;
    info->height = h;
    info->isProtected = 0;

    // Palette: the entries the gap before the pixel data holds, the rest zero; a
    // three-byte entry gets a zero fourth byte, a four-byte one keeps it as alpha.
    uint32_t palette[256] = {};
    const uint64_t infoEnd = FILE_HEADER + (uint64_t)l.headerSize;
    for (uint64_t i = 0; i < l.paletteHeld; i++)
        palette[i] = U32OrZero(data, size, infoEnd + i * l.paletteEntry) &
                     (l.paletteEntry == 4 ? 0xFFFFFFFFu : 0xFFFFFFu);

    const uint32_t mask = PixelMask(l.bits), bytes = l.bits / 8;
    const size_t rowSize = ((size_t)w * bytes + 3) & ~(size_t)3;
    Surface made;
    if (!srf_CreateExact(w, h, &made)) return refuse_With("cannot make surface");
    for (uint32_t r = 0; r < h; r++) {
        const uint8_t* src = data + l.dataOffset + (size_t)r * rowSize;
        const uint32_t y = l.topDown ? r : h - 1 - r;
        uint32_t* dst = made.pixels + (size_t)y * made.stride;
        for (uint32_t x = 0; x < w; x++, src += bytes) {
            const uint32_t v = Value(src, bytes) & mask;
            if (bytes == 1) dst[x] = palette[v];
            else if (bytes == 2) dst[x] = From555(v);
            else dst[x] = v;
        }
    }
    srf_Install(out, &made);
    return 1;
}

int bmp_Load(Surface* out, const char* path, ImageFileInfo* info) {
    return fio_LoadFile(path, MAX_FILE, bmp_LoadBytes, out, info);
}

int bmp_SaveBytes(Surface* s, uint8_t** data, size_t* size) {
    refuse_Clear();
    *data = nullptr;
    *size = 0;
    if (!s || !srf_IsValid(s) || !srf_Lock(s)) return refuse_With("cannot lock surface");
    const uint32_t w = s->width, h = s->height;
    if (!w || !h) {
        srf_Unlock(s);
        return refuse_With("empty surface");
    }
    uint32_t palette[256];
    PaletteIndex pi;
    const int paletted = BuildPalette(s, palette, &pi);
    int alpha = 0;
    for (uint32_t y = 0; y < h && !alpha && !paletted; y++)
        for (uint32_t x = 0; x < w; x++)
            if (s->pixels[(size_t)y * s->stride + x] >> 24) {
                alpha = 1;
                break;
            }
    const uint32_t bytes = paletted ? 1 : alpha ? 4 : 3;
    const size_t rowSize = ((size_t)w * bytes + 3) & ~(size_t)3;
    const size_t offset = FILE_HEADER + INFO_HEADER + (paletted ? PALETTE_BYTES : 0);
    const size_t imageSize = rowSize * h, fileSize = offset + imageSize;
    uint8_t* file = (uint8_t*)std::malloc(fileSize);
    if (!file) {
        srf_Unlock(s);
        return refuse_With("out of memory");
    }
    WrCursor c = wr_Make(file, fileSize);
    wr_Bytes(&c, "BM", 2);
    wr_U32LE(&c, (uint32_t)fileSize);
    wr_U32LE(&c, 0);
    wr_U32LE(&c, (uint32_t)offset);
    wr_U32LE(&c, INFO_HEADER);
    wr_U32LE(&c, w);
    wr_U32LE(&c, h);
    wr_U16LE(&c, 1);
    wr_U16LE(&c, bytes * 8);
    wr_U32LE(&c, 0);
    wr_U32LE(&c, (uint32_t)imageSize);
    wr_Zeros(&c, 16);
    if (paletted)
        for (int i = 0; i < 256; i++) wr_U32LE(&c, palette[i]);
    for (uint32_t r = 0; r < h; r++) {
        const uint32_t* row = s->pixels + (size_t)(h - 1 - r) * s->stride;
        uint8_t* dst = c.p;
        if (!wr_Room(&c, rowSize)) break;
        for (uint32_t x = 0; x < w; x++) {
            const uint32_t v = row[x];
            if (paletted) {
                *dst++ = pi.index[Find(&pi, v)];
            } else {
                for (uint32_t k = 0; k < bytes; k++) *dst++ = (uint8_t)(v >> 8 * k);
            }
        }
        std::memset(dst, 0, rowSize - (size_t)w * bytes);
        c.p += rowSize;
    }
    srf_Unlock(s);
    assert(c.ok && c.p == file + fileSize);  // the block was sized for exactly this
    if (!c.ok || c.p != file + fileSize) {
        std::free(file);
        return refuse_With("size mismatch");
    }
    *data = file;
    *size = fileSize;
    return 1;
}

int bmp_Save(Surface* s, const char* path) { return fio_SaveFile(s, path, bmp_SaveBytes); }
