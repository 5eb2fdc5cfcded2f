// kv5_tiled.cpp — legacy tiled KV5 reader.
#include "formats/kv5_tiled.h"
#include <cstdlib>
#include <cstring>
#include "formats/kv5_file.h"
#include "formats/rdwr.h"
#include "platform/refusal.h"

namespace {

const uint32_t TILE = 16;
// Largest tile: tile byte, skipped byte, 256 indices, count, start, 4 x 256 entries.
const size_t TILE_MAX_BYTES = 2 + 256 + 2 + 4 * 256;

struct TiledHeader {
    uint32_t headerSize;
    uint16_t layout, width, height;
    uint32_t dataOffset, dataSize;
    uint8_t codecs[16];
};

int ReadTiledHeader(const uint8_t* data, size_t size, TiledHeader* h) {
    uint8_t b[KV5_TILED_HEADER] = {};
    std::memcpy(b, data, size < 24 ? size : 24);
    uint32_t hs = rd_U32At(b, 4);
    size_t want = hs < KV5_TILED_HEADER ? hs : KV5_TILED_HEADER;
    std::memcpy(b, data, size < want ? size : want);
    if (std::memcmp(b, "_KV5", 4) != 0) return refuse_With("bad signature");
    if (hs < 24) return refuse_With("bad header size");
    if (rd_U16At(b, 10) > 1) return refuse_With("not the tiled layout");
    h->headerSize = hs;
    h->layout = rd_U16At(b, 10);
    h->width = rd_U16At(b, 12);
    h->height = rd_U16At(b, 14);
    h->dataOffset = rd_U32At(b, 16);
    if (h->dataOffset > 1024 || h->dataOffset < hs) h->dataOffset = hs;
    h->dataSize = rd_U32At(b, 20);
    std::memcpy(h->codecs, b + 24, 16);
    return 1;
}

size_t TileCount(const TiledHeader& h) {
    return (size_t)((h.width + TILE - 1) / TILE) * ((h.height + TILE - 1) / TILE);
}

// Work buffers hold the larger of five bytes per pixel and a full stream of the
// largest tiles: small images need whole tiles however few pixels they show.
int TiledCapacity(const TiledHeader& h, size_t* cap) {
    size_t pixels;
    if (!srf_SizeAccepted(h.width, h.height, &pixels)) return refuse_With("bad dimensions");
    return (sz_Mul(TileCount(h), TILE_MAX_BYTES, cap) && sz_Add(*cap, KV5_BUFFER_SLACK, cap)) || refuse_With("too large");
}

// Stored pixel i of a strip-ordered tile -> its position in the tile.
struct StripOrder {
    uint8_t at[256];
};

StripOrder MakeStripOrder() {
    StripOrder s;
    for (int i = 0; i < 256; i++) {
        int k = i / 32, j = i % 32;
        int row = 2 * k + ((j % 4 == 1 || j % 4 == 2) ? 1 : 0);
        s.at[i] = (uint8_t)(row * 16 + j / 2);
    }
    return s;
}

uint32_t PlaneWord(const uint8_t* bytes, size_t stride, int planes, size_t i) {
    uint32_t v = 0;
    for (int p = 0; p < planes; p++) v |= (uint32_t)bytes[p * stride + i] << (8 * p);
    return v;
}

uint32_t SwapRedBlue(uint32_t v) { return (v & 0xFF00FF00u) | (v & 0xFF) << 16 | (v >> 16 & 0xFF); }

int DecodeTiles(Surface* s, const uint8_t* stream, size_t n) {
    static const StripOrder strip = MakeStripOrder();
    RdCursor c = rd_Make(stream, n);
    uint32_t palette[256] = {}, tile[256] = {}, moved[256];
    const uint32_t w = s->width, h = s->height;
    for (uint32_t ty = 0; ty < h; ty += TILE) {
        for (uint32_t tx = 0; tx < w; tx += TILE) {
            uint32_t t = rd_U8(&c);
            if (t & 0x80) rd_Skip(&c, 1);
            const int planes = (int)(t & 3) + 1;
            const int kind = (int)(t >> 3 & 3);
            if (kind == 1) {  // direct
                const uint8_t* b = rd_Bytes(&c, (size_t)planes * 256);
                if (!b) return refuse_With("truncated tile");
                for (int i = 0; i < 256; i++) tile[i] = PlaneWord(b, 256, planes, i);
            } else if (kind == 3) {  // indexed
                const uint8_t* index = rd_Bytes(&c, 256);
                uint32_t count = rd_U8(&c), start = 0;
                if (t & 0x20) start = rd_U8(&c);
                else count += 1;
                const uint8_t* entries = rd_Bytes(&c, (size_t)planes * count);
                if (!c.ok) return refuse_With("truncated tile");
                if (start + count > 256) return refuse_With("palette past 256");
                for (uint32_t j = 0; j < count; j++) palette[start + j] = PlaneWord(entries, count, planes, j);
                for (int i = 0; i < 256; i++) tile[i] = palette[index[i]];
            } else if (kind == 0) {  // grey; its other planes are skipped
                const uint8_t* b = rd_Bytes(&c, (size_t)planes * 256);
                if (!b) return refuse_With("truncated tile");
                for (int i = 0; i < 256; i++) tile[i] = b[i] * 0x010101u;
            }
            if (!c.ok) return refuse_With("truncated tile");
            if (t & 0x40) {
                for (int i = 0; i < 256; i++) moved[strip.at[i]] = tile[i];
                std::memcpy(tile, moved, sizeof tile);
            }
            const uint32_t rows = h - ty < TILE ? h - ty : TILE;
            const uint32_t cols = w - tx < TILE ? w - tx : TILE;
            for (uint32_t r = 0; r < rows; r++) {
                uint32_t* dst = s->pixels + (size_t)(ty + r) * s->stride + tx;
                for (uint32_t x = 0; x < cols; x++) dst[x] = SwapRedBlue(tile[r * TILE + x]);
            }
        }
    }
    return 1;
}

}  // namespace

int kv5_LoadTiledBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    refuse_Clear();
    ImageFileInfo local{};
    if (!info) info = &local;
    TiledHeader h;
    if (!out || !data) return refuse_With("no data");
    if (!ReadTiledHeader(data, size, &h)) return 0;
    info->width = h.width;
    info->height = h.height;
    info->isProtected = 0;
    size_t cap = 0;
    if (!TiledCapacity(h, &cap)) return 0;
    if (h.dataOffset > size) return refuse_With("data offset past end");
    size_t n = h.dataSize ? h.dataSize : size - h.dataOffset;
    if (n > size - h.dataOffset) return refuse_With("truncated stream");
    if (n > cap) return refuse_With("stream too large");

    uint8_t* buf[2];
    const uint8_t* stream;
    size_t decoded;
    Surface made;
    // Every tile takes at least its type byte: a shorter stream is refused before the
    // surface (up to 64 MB) is made for it.
    int ok = kv5_UndoCodecs(h.codecs, data + h.dataOffset, n, cap, 1, info, buf, nullptr, &stream, &decoded) &&
             (decoded >= TileCount(h) || refuse_With("truncated tile")) &&
             (srf_CreateExact(h.width, h.height, &made) || refuse_With("cannot make surface"));
    if (ok) {
        ok = DecodeTiles(&made, stream, decoded);
        if (ok) {
            srf_Install(out, &made);
        } else {
            srf_Unlock(&made);
            srf_Destroy(&made);
        }
    }
    std::free(buf[0]);
    std::free(buf[1]);
    return ok;
}

size_t kv5_TiledExtent(const uint8_t* head, size_t n) {
    TiledHeader h;
    size_t cap = 0;
    if (!ReadTiledHeader(head, n, &h) || !TiledCapacity(h, &cap)) return n;
    uint64_t end = (uint64_t)h.dataOffset + (h.dataSize ? (uint64_t)h.dataSize : (uint64_t)cap + 1);
    if (end < KV5_TILED_HEADER) end = KV5_TILED_HEADER;
    return end > SIZE_MAX ? SIZE_MAX : (size_t)end;
}

int kv5_LoadTiled(Surface* out, const char* path, ImageFileInfo* info) {
    return kv5_LoadFile(path, KV5_TILED_HEADER, kv5_TiledExtent, kv5_LoadTiledBytes, out, info);
}
