// pcx_file.cpp — PCX reader and writer (layout in pcx_file.h).
#include "formats/pcx_file.h"
#include <cassert>
#include <cstdlib>
#include <cstring>
#include "formats/fileio.h"
#include "formats/kv5_file.h"
#include "formats/rdwr.h"
#include "platform/refusal.h"

namespace {

const size_t HEADER = 128;
const uint32_t MAX_PIXELS = 1u << 24;
// Worst case coding doubles every byte of up to four planes, plus the palette block.
const size_t MAX_FILE = HEADER + (size_t)MAX_PIXELS * 4 * 2 + 65536 * 8 + 769;

}  // namespace

int pcx_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    refuse_Clear();
    ImageFileInfo local{};
    if (!info) info = &local;
    if (!out || !data) return refuse_With("no data");
    RdCursor c = rd_Make(data, size);
    const uint8_t* h = rd_Bytes(&c, HEADER);
    if (!h) return refuse_With("truncated header");
    if (h[0] != 10) return refuse_With("bad signature");
    const uint32_t version = h[1], bits = h[3];
    const uint32_t xmin = rd_U16At(h, 4), ymin = rd_U16At(h, 6);
    const uint32_t xmax = rd_U16At(h, 8), ymax = rd_U16At(h, 10);
    const uint32_t planes = h[65], bpl = rd_U16At(h, 66);
    if (xmax < xmin || ymax < ymin) return refuse_With("bad dimensions");
    const uint32_t w = xmax - xmin + 1, ht = ymax - ymin + 1;
    if ((uint64_t)w * ht > MAX_PIXELS) return refuse_With("too large");
    info->width = w;
    info->height = ht;
    info->isProtected = 0;
    // Packed planes (1, 2 or 4 bits) give the bits of a header-palette index, plane 0
    // the lowest; 8-bit planes give bytes of the pixel.
    const int packed = bits == 1 || bits == 2 || bits == 4;
    if (planes == 0) return refuse_With("no planes");
    if (!(bits == 8 || (packed && bits * planes <= 4))) return refuse_With("bad bit depth");
    // A line shorter than the width would mix planes together.
    if ((uint64_t)bpl * 8 < (uint64_t)w * bits) return refuse_With("line too short");

    uint32_t pal[256] = {};
    const int paletted = packed || (version == 5 && bits * planes <= 8);
    if (packed) {
        for (int i = 0; i < 16; i++)
            pal[i] = (uint32_t)h[16 + 3 * i] << 16 | (uint32_t)h[17 + 3 * i] << 8 | h[18 + 3 * i];
        if (bits * planes == 1) {  // monochrome: black and white whatever the header says
            pal[0] = 0;
            pal[1] = 0xFFFFFF;
        }
    } else if (paletted) {
        const uint8_t* rgb = h + 16;
        int count = 16;
        if (size >= HEADER + 769 && data[size - 769] == 12) {
            rgb = data + size - 768;
            count = 256;
        }
        for (int i = 0; i < count; i++)
            pal[i] = (uint32_t)rgb[3 * i] << 16 | (uint32_t)rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    }

    // Each code gives at most 63 bytes and runs stop at the line end: a stream shorter
    // than this cannot fill the image, so nothing is allocated for it.
    const size_t line = (size_t)bpl * planes;
    if (rd_Left(&c) < (size_t)ht * ((line + 62) / 63)) return refuse_With("truncated data");
    uint8_t* buf = (uint8_t*)std::malloc(line);
    Surface made;
    if (!buf || !srf_CreateExact(w, ht, &made)) {
        std::free(buf);
        return refuse_With("cannot make surface");
    }
    const uint32_t mask = (1u << bits) - 1;
    const uint32_t used = planes < 4 ? planes : 4;
    for (uint32_t y = 0; y < ht && c.ok; y++) {
        size_t at = 0;
        while (at < line) {
            uint8_t b = rd_U8(&c);
            size_t count = 1;
            if ((b & 0xC0) == 0xC0) {
                count = b & 0x3F;
                b = rd_U8(&c);
            }
            if (!c.ok) break;
            if (count > line - at) count = line - at;  // a run past the line end is cut
            std::memset(buf + at, b, count);
            at += count;
        }
        if (!c.ok) break;
        uint32_t* dst = made.pixels + (size_t)y * made.stride;
        for (uint32_t x = 0; packed && x < w; x++) {
            const size_t bit = (size_t)x * bits;
            uint32_t index = 0;
            for (uint32_t p = 0; p < planes; p++)
                index |= (uint32_t)(buf[p * bpl + bit / 8] >> (8 - bits - bit % 8) & mask) << (bits * p);
            dst[x] = pal[index];
        }
        for (uint32_t x = 0; !packed && x < w; x++) {
            uint32_t v = 0;
            for (uint32_t p = 0; p < used; p++) v |= (uint32_t)buf[x + p * bpl] << 8 * p;
            if (paletted) v = pal[v & 0xFF];
            else v = (v & 0xFF00FF00u) | (v & 0xFF) << 16 | (v >> 16 & 0xFF);
            dst[x] = v;
        }
    }
    std::free(buf);
    if (!c.ok) {
        srf_Unlock(&made);
        srf_Destroy(&made);
        return refuse_With("truncated data");
    }
    srf_Install(out, &made);
    return 1;
}

int pcx_Load(Surface* out, const char* path, ImageFileInfo* info) {
    return fio_LoadFile(path, MAX_FILE, pcx_LoadBytes, out, info);
}

int pcx_SaveBytes(Surface* s, uint8_t** data, size_t* size) {
    refuse_Clear();
    *data = nullptr;
    *size = 0;
    if (!s || !srf_IsValid(s) || !srf_Lock(s)) return refuse_With("cannot lock surface");
    const uint32_t w = s->width, h = s->height;
    const uint32_t bpl = (w + 1) & ~1u;
    const size_t line = (size_t)bpl * 3, cap = HEADER + line * 2 * h;
    uint8_t* buf = w && h && w <= 65535 && h <= 65535 ? (uint8_t*)std::calloc(line, 1) : nullptr;
    uint8_t* file = buf ? (uint8_t*)std::malloc(cap) : nullptr;
    if (!file) {
        std::free(buf);
        srf_Unlock(s);
        return refuse_With(w && h && w <= 65535 && h <= 65535 ? "out of memory" : "bad dimensions");
    }
    WrCursor c = wr_Make(file, cap);
    uint8_t head[HEADER] = {};
    head[0] = 10;
    head[1] = 5;
    head[2] = 1;
    head[3] = 8;
    const uint16_t fields[6] = {0, 0, (uint16_t)(w - 1), (uint16_t)(h - 1), 96, 96};
    for (int i = 0; i < 6; i++) {
        head[4 + 2 * i] = (uint8_t)fields[i];
        head[5 + 2 * i] = (uint8_t)(fields[i] >> 8);
    }
    head[65] = 3;
    head[66] = (uint8_t)bpl;
    head[67] = (uint8_t)(bpl >> 8);
    wr_Bytes(&c, head, HEADER);
    for (uint32_t y = 0; y < h; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < w; x++) {
            buf[x] = (uint8_t)(row[x] >> 16);
            buf[bpl + x] = (uint8_t)(row[x] >> 8);
            buf[2 * bpl + x] = (uint8_t)row[x];
        }
        for (size_t i = 0; i < line;) {
            size_t run = 1;
            while (run < 63 && i + run < line && buf[i + run] == buf[i]) run++;
            if (run >= 2) {
                wr_U8(&c, 0xC0 | run);
                wr_U8(&c, buf[i]);
            } else if ((buf[i] & 0xC0) == 0xC0) {
                wr_U8(&c, 0xC1);
                wr_U8(&c, buf[i]);
            } else {
                wr_U8(&c, buf[i]);
            }
            i += run;
        }
    }
    srf_Unlock(s);
    std::free(buf);
    assert(c.ok);  // cap holds two bytes per line byte, the worst the codes take
    if (!c.ok) {
        std::free(file);
        return refuse_With("size mismatch");
    }
    *data = file;
    *size = (size_t)(c.p - file);
    return 1;
}

int pcx_Save(Surface* s, const char* path) { return fio_SaveFile(s, path, pcx_SaveBytes); }
