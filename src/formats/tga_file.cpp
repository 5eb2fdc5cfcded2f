// tga_file.cpp — TGA reader and writer (layout in tga_file.h).
#include "formats/tga_file.h"
#include <cassert>
#include <cstdlib>
#include <cstring>
#include "formats/bmp_file.h"
#include "formats/fileio.h"
#include "formats/kv5_file.h"
#include "formats/rdwr.h"
#include "platform/refusal.h"

const char TGA_SIGNATURE_TEXT[] = "Orvik Lab's (Orvik)";

namespace {

const size_t HEADER = 18;
const uint32_t MAX_PIXELS = 1u << 24;
// A file never needs more than header, id, map and raw pixels at 4 bytes.
const size_t MAX_FILE = HEADER + 255 + 65536 * 4 + (size_t)MAX_PIXELS * 4;

uint32_t From555(uint32_t v, int attribute) {
    uint32_t a = attribute && (v & 0x8000) ? 0xFFu : 0;
    return a << 24 | (uint32_t)FIVE_BIT_EXPAND[v >> 10 & 31] << 16 |
           (uint32_t)FIVE_BIT_EXPAND[v >> 5 & 31] << 8 | FIVE_BIT_EXPAND[v & 31];
}

uint32_t Value(const uint8_t* p, int bpp) {
    uint32_t v = 0;
    for (int i = 0; i < bpp; i++) v |= (uint32_t)p[i] << 8 * i;
    return v;
}

// Fills the whole pixel buffer; 0 when the stream ends before the image is full.
int DecodeRuns(RdCursor* c, uint8_t* buf, size_t pixels, int bpp) {
    size_t at = 0;
    while (at < pixels) {
        uint8_t b = rd_U8(c);
        size_t count = (size_t)(b & 0x7F) + 1;
        if (count > pixels - at) count = pixels - at;  // a packet past the image is cut
        if (b < 0x80) {
            const uint8_t* raw = rd_Bytes(c, count * bpp);
            if (raw) std::memcpy(buf + at * bpp, raw, count * bpp);
        } else {
            const uint8_t* one = rd_Bytes(c, bpp);
            for (size_t i = 0; one && i < count; i++) std::memcpy(buf + (at + i) * bpp, one, bpp);
        }
        if (!c->ok) return 0;
        at += count;
    }
    return 1;
}

}  // namespace

int tga_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    refuse_Clear();
    ImageFileInfo local{};
    if (!info) info = &local;
    if (!out || !data) return refuse_With("no data");
    RdCursor c = rd_Make(data, size);
    const uint8_t* h = rd_Bytes(&c, HEADER);
    if (!h) return refuse_With("truncated header");
    const uint32_t idLen = h[0], mapType = h[1], type = h[2];
    const uint32_t mapFirst = rd_U16At(h, 3), mapLen = rd_U16At(h, 5), mapBits = h[7];
    const uint32_t w = rd_U16At(h, 12), ht = rd_U16At(h, 14), depth = h[16];
    const int topDown = (h[17] & 0x20) != 0;
    const int rle = (type & 8) != 0, kind = type & 7;
    if (type == 0 || type > 11 || kind < 1 || kind > 3) return refuse_With("bad image type");
    if (depth < 8 || depth > 32 || depth % 8) return refuse_With("bad bit depth");
    if (w == 0 || ht == 0) return refuse_With("bad dimensions");
    if ((uint64_t)w * ht > MAX_PIXELS) return refuse_With("too large");
    // Grey may carry an alpha byte (16 bits); indices are bytes.
    if ((kind == 1 && depth != 8) || (kind == 3 && depth > 16)) return refuse_With("bad bit depth");
    info->width = w;
    info->height = ht;
    info->isProtected = 0;
    if (!rd_Skip(&c, idLen)) return refuse_With("truncated header");

    uint32_t map[256] = {};
    if (mapType) {
        const uint32_t entry = (mapBits + 7) / 8;
        if (mapLen > 256) return refuse_With("palette too large");
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return refuse_With("bad palette depth");
        for (uint32_t j = 0; j < mapLen; j++) {
            const uint8_t* e = rd_Bytes(&c, entry);
            if (!e) return refuse_With("truncated palette");
            uint32_t v = Value(e, entry);
            if (mapBits == 15 || mapBits == 16) v = From555(v, mapBits == 16);
            if (mapFirst + j < 256) map[mapFirst + j] = v;
        }
    } else if (kind == 1) {
        return refuse_With("no palette");
    }

    const int bpp = (int)depth / 8;
    const size_t pixels = (size_t)w * ht;
    // The smallest stream that could fill the image, checked before any allocation:
    // a packet covers at most 128 pixels.
    const size_t least = rle ? (pixels + 127) / 128 * (1 + bpp) : pixels * bpp;
    if (rd_Left(&c) < least) return refuse_With("truncated data");
    uint8_t* buf = (uint8_t*)std::calloc(pixels, bpp);
    if (!buf) return refuse_With("out of memory");
    int whole;
    if (rle) {
        whole = DecodeRuns(&c, buf, pixels, bpp);
    } else {
        const uint8_t* raw = rd_Bytes(&c, pixels * bpp);
        if ((whole = raw != nullptr)) std::memcpy(buf, raw, pixels * bpp);
    }
    if (!whole) {
        std::free(buf);
        return refuse_With("truncated data");
    }
    Surface made;
    if (!srf_CreateExact(w, ht, &made)) {
        std::free(buf);
        return refuse_With("cannot make surface");
    }
    const uint32_t mask = depth == 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    for (uint32_t y = 0; y < ht; y++) {
        const uint8_t* row = buf + (size_t)(topDown ? y : ht - 1 - y) * w * bpp;
        uint32_t* dst = made.pixels + (size_t)y * made.stride;
        for (uint32_t x = 0; x < w; x++) {
            uint32_t v = Value(row + (size_t)x * bpp, bpp) & mask;
            // A second grey byte is the file's opacity (255 opaque): turned into the
            // surface's alpha (0 opaque), else the picture loads with its holes inverted.
            if (kind == 3) v = (v & 0xFF) * 0x010101u | (depth == 16 ? 255 - (v >> 8) : 0) << 24;
            else if (kind == 1) v = map[v & 0xFF];
            else if (depth == 16) v = From555(v, 1);
            dst[x] = v;
        }
    }
    std::free(buf);
    srf_Install(out, &made);
    return 1;
}

int tga_Load(Surface* out, const char* path, ImageFileInfo* info) {
    return fio_LoadFile(path, MAX_FILE, tga_LoadBytes, out, info);
}

int tga_SaveBytes(Surface* s, uint8_t** data, size_t* size) {
    refuse_Clear();
    *data = nullptr;
    *size = 0;
    if (!s || !srf_IsValid(s) || !srf_Lock(s)) return refuse_With("cannot lock surface");
    const uint32_t w = s->width, h = s->height;
    const size_t pixels = (size_t)w * h;
    const size_t text = sizeof TGA_SIGNATURE_TEXT - 1;
    // Worst case: one raw packet header per 128 pixels.
    const size_t cap = HEADER + pixels * 3 + pixels / 128 + 1 + text;
    uint8_t* px = w && h && w <= 65535 && h <= 65535 ? (uint8_t*)std::malloc(pixels * 3) : nullptr;
    uint8_t* file = px ? (uint8_t*)std::malloc(cap) : nullptr;
    if (!file) {
        std::free(px);
        srf_Unlock(s);
        return refuse_With(w && h && w <= 65535 && h <= 65535 ? "out of memory" : "bad dimensions");
    }
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w; x++) {
            uint32_t v = s->pixels[(size_t)y * s->stride + x];
            uint8_t* d = px + ((size_t)y * w + x) * 3;
            d[0] = (uint8_t)v;
            d[1] = (uint8_t)(v >> 8);
            d[2] = (uint8_t)(v >> 16);
        }
    srf_Unlock(s);
    WrCursor c = wr_Make(file, cap);
    uint8_t head[HEADER] = {};
    head[2] = 10;
    head[12] = (uint8_t)w;
    head[13] = (uint8_t)(w >> 8);
    head[14] = (uint8_t)h;
    head[15] = (uint8_t)(h >> 8);
    head[16] = 24;
    head[17] = 0x20;
    wr_Bytes(&c, head, HEADER);
    auto same = [&](size_t a, size_t b) { return std::memcmp(px + a * 3, px + b * 3, 3) == 0; };
    size_t i = 0;
    while (i < pixels) {
        size_t run = 1;
        while (run < 128 && i + run < pixels && same(i, i + run)) run++;
        if (run >= 2) {
            wr_U8(&c, (run - 1) | 0x80);
            wr_Bytes(&c, px + i * 3, 3);
            i += run;
            continue;
        }
        size_t n = 1;
        while (n < 128 && i + n < pixels &&
               !(i + n + 2 < pixels && same(i + n, i + n + 1) && same(i + n, i + n + 2)))
            n++;
        wr_U8(&c, n - 1);
        wr_Bytes(&c, px + i * 3, n * 3);
        i += n;
    }
    wr_Bytes(&c, TGA_SIGNATURE_TEXT, text);
    std::free(px);
    assert(c.ok);  // cap allows a raw packet header for every 128 pixels
    if (!c.ok) {
        std::free(file);
        return refuse_With("size mismatch");
    }
    *data = file;
    *size = (size_t)(c.p - file);
    return 1;
}

int tga_Save(Surface* s, const char* path) { return fio_SaveFile(s, path, tga_SaveBytes); }
