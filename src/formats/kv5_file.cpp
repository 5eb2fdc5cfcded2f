// kv5_file.cpp — KV5 writer, reader and probe (current layout).
#include "formats/kv5_file.h"
#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "engine/engine.h"
#include "platform/refusal.h"
#include "platform/safewrite.h"
#include "platform/sysio.h"
#include "formats/fileio.h"
#include "formats/kv5_codec.h"
#include "formats/kv5_protect.h"
#include "formats/rdwr.h"
#include "platform/ui.h"
#include "platform/utf8.h"

namespace {

const char SIGNATURE_TEXT[] = "\r\nWritten By Orvik's Kelvara 1.80\r\nLossless image, alpha included\r\n";
static_assert(sizeof SIGNATURE_TEXT <= KV5_SIGNATURE_SIZE, "signature text fits its block");
const char* const MONTHS[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const int MAX_PLANES = 8;

struct Header {
    uint32_t headerSize;
    uint32_t versionWord;  // the u32 at offset 8: formatVersion | layoutType << 16
    uint16_t version, layout, width, height, model;
    uint8_t planes;
    uint32_t dataOffset, dataSize;
    uint8_t codecs[16];
    uint32_t paletteOffset, authorOffset;
};

int HasSignature(const uint8_t* b) { return std::memcmp(b, "_KV5", 4) == 0; }

// The header as a layout-2 reader sees it: min(headerSize, 52) bytes, zeros beyond.
// 0 unless the signature, headerSize >= 24 and that many bytes are there.
int ReadHeader(const uint8_t* data, size_t size, Header* h) {
    uint8_t b[KV5_HEADER_SIZE] = {};
    if (size < 12) return refuse_With("truncated header");
    std::memcpy(b, data, 12);
    uint32_t hs = rd_U32At(b, 4);
    if (!HasSignature(b)) return refuse_With("bad signature");
    if (hs < 24) return refuse_With("bad header size");
    size_t want = hs < KV5_HEADER_SIZE ? hs : KV5_HEADER_SIZE;
    if (size < want) return refuse_With("truncated header");
    std::memcpy(b, data, want);
    h->headerSize = hs;
    h->versionWord = rd_U32At(b, 8);
    h->version = rd_U16At(b, 8);
    h->layout = rd_U16At(b, 10);
    h->width = rd_U16At(b, 12);
    h->height = rd_U16At(b, 14);
    h->model = rd_U16At(b, 16);
    h->planes = b[18];
    h->dataOffset = rd_U32At(b, 20);
    if (h->dataOffset < hs) h->dataOffset = hs;
    h->dataSize = rd_U32At(b, 24);
    std::memcpy(h->codecs, b + 28, 16);
    h->paletteOffset = rd_U32At(b, 44);
    h->authorOffset = rd_U32At(b, 48);
    return 1;
}

// Before version 1 the word at 48 was the palette count, not an author tag.
int LegacyPaletteCount(const Header& h) { return h.versionWord < 0x20001 && h.paletteOffset; }

// The loader skips offsets 1..4 (they point into the header); the probe reads any
// non-zero offset, as earlier readers did.
uint32_t AuthorOffset(const Header& h) {
    if (h.authorOffset <= 4 || LegacyPaletteCount(h)) return 0;
    return h.authorOffset;
}
uint32_t ProbeAuthorOffset(const Header& h) { return LegacyPaletteCount(h) ? 0 : h.authorOffset; }

// Copies the author text of the block at `off`. Strict: the length byte and the
// whole block must be in the file (else 0); otherwise what is there is taken.
int ReadAuthor(const uint8_t* data, size_t size, uint32_t off, int strict, char* text) {
    uint8_t block[KV5_AUTHOR_SIZE] = {};
    text[0] = 0;
    if (off >= size) return strict ? refuse_With("truncated author tag") : 1;
    size_t len = data[off];
    size_t have = size - off;
    if (strict && have < len) return refuse_With("truncated author tag");
    size_t take = len < have ? len : have;
    if (take > KV5_AUTHOR_SIZE) take = KV5_AUTHOR_SIZE;
    std::memcpy(block, data + off, take);
    block[KV5_AUTHOR_SIZE - 1] = 0;
    std::memcpy(text, block + 1, KV5_AUTHOR_SIZE - 1);
    return 1;
}

int PlaneCount(const Header& h) { return h.planes ? h.planes : 3; }

// Capacity of each read buffer: one pixel share per plane plus one.
int ReadCapacity(const Header& h, size_t* cap) {
    size_t pixels, c;
    if (!srf_SizeAccepted(h.width, h.height, &pixels)) return refuse_With("bad dimensions");
    if (PlaneCount(h) > MAX_PLANES) return refuse_With("too many planes");
    if (!sz_Mul(pixels, (size_t)PlaneCount(h) + 1, &c) || !sz_Add(c, KV5_BUFFER_SLACK, cap))
        return refuse_With("too large");
    return 1;
}

void FreeBuffers(uint8_t* buf[2]) {
    std::free(buf[0]);
    std::free(buf[1]);
    buf[0] = buf[1] = nullptr;
}

int AllocBuffers(uint8_t* buf[2], size_t cap) {
    buf[0] = (uint8_t*)std::malloc(cap);
    buf[1] = (uint8_t*)std::malloc(cap);
    if (buf[0] && buf[1]) return 1;
    FreeBuffers(buf);
    return refuse_With("out of memory");
}

// Writes the decoded planes into the surface (rows may be padded to the stride).
// Reference: plane by plane, OR-ing each byte into place, then the model's rule.
void AssembleReference(Surface* s, const uint8_t* planes, int used, int model, const uint32_t* palette) {
    const uint32_t w = s->width, h = s->height;
    const size_t share = (size_t)w * h;
    for (uint32_t y = 0; y < h; y++) {
        uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < w; x++) row[x] = 0;
        for (int p = 0; p < used; p++)
            for (uint32_t x = 0; x < w; x++) row[x] |= (uint32_t)planes[share * p + (size_t)y * w + x] << (8 * p);
        for (uint32_t x = 0; x < w; x++) {
            uint32_t v = row[x];
            if (model == 1) row[x] = v << 16 | (v & 0xFF) << 8 | (v & 0xFF);
            else if (model == 2) row[x] = palette[v & 0xFF];
        }
    }
}

// Fast path: one fused loop per case. Grey keeps only plane 1 (alpha) besides the
// grey byte; planes 2 and 3 shift out of the word.
void AssembleRow(uint32_t* __restrict row, const uint8_t* __restrict p0, size_t share, uint32_t w,
                 int used, int model, const uint32_t* __restrict palette) {
    assert(used >= 1 && used <= 4);
    const uint8_t* __restrict p1 = p0 + share;
    const uint8_t* __restrict p2 = p1 + share;
    const uint8_t* __restrict p3 = p2 + share;
    if (model == 2) {
        for (uint32_t x = 0; x < w; x++) row[x] = palette[p0[x]];
    } else if (model == 1) {
        if (used == 1)
            for (uint32_t x = 0; x < w; x++) row[x] = p0[x] * 0x010101u;
        else
            for (uint32_t x = 0; x < w; x++) row[x] = p0[x] * 0x010101u | (uint32_t)p1[x] << 24;
    } else if (used == 4) {
        for (uint32_t x = 0; x < w; x++)
            row[x] = p0[x] | (uint32_t)p1[x] << 8 | (uint32_t)p2[x] << 16 | (uint32_t)p3[x] << 24;
    } else if (used == 3) {
        for (uint32_t x = 0; x < w; x++) row[x] = p0[x] | (uint32_t)p1[x] << 8 | (uint32_t)p2[x] << 16;
    } else if (used == 2) {
        for (uint32_t x = 0; x < w; x++) row[x] = p0[x] | (uint32_t)p1[x] << 8;
    } else {
        for (uint32_t x = 0; x < w; x++) row[x] = p0[x];
    }
}

void AssemblePixels(Surface* s, const uint8_t* planes, int used, int model, const uint32_t* palette) {
    if (eng_ReferenceForced()) {
        AssembleReference(s, planes, used, model, palette);
        return;
    }
    const size_t share = (size_t)s->width * s->height;
    for (uint32_t y = 0; y < s->height; y++)
        AssembleRow(s->pixels + (size_t)y * s->stride, planes + (size_t)y * s->width, share, s->width, used,
                    model, palette);
}

// The model's rule applied in place to assembled words (grey spread, palette lookup).
void ApplyModel(Surface* s, int model, const uint32_t* palette) {
    if (model != 1 && model != 2) return;
    for (uint32_t y = 0; y < s->height; y++) {
        uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t v = row[x];
            row[x] = model == 1 ? v << 16 | (v & 0xFF) << 8 | (v & 0xFF) : palette[v & 0xFF];
        }
    }
}

// The last decoding stage can write straight into the surface: plane p of the
// stream is byte p of each pixel, so no buffer of the whole planes is needed. The
// surface starts zeroed and plane 0 arrives first, whole words at a time.
const size_t LANE_WINDOW = 64 * 1024;

struct LaneTarget {
    Surface* s;
    size_t share;  // pixels per plane
    int used;      // planes shown
    size_t limit;  // most bytes a stream may decode to (the buffers' capacity)
};

void PutLane(Surface* s, int p, size_t i, const uint8_t* __restrict src, size_t n) {
    const uint32_t w = s->width;
    const int shift = 8 * p;
    while (n) {
        size_t y = i / w, x = i % w, k = std::min(n, (size_t)w - x);
        uint32_t* __restrict row = s->pixels + y * s->stride + x;
        if (p == 0)
            for (size_t j = 0; j < k; j++) row[j] = src[j];
        else
            for (size_t j = 0; j < k; j++) row[j] |= (uint32_t)src[j] << shift;
        src += k;
        i += k;
        n -= k;
    }
}

int LaneFlush(Kv5Sink* sink) {
    const LaneTarget* t = (const LaneTarget*)sink->user;
    assert(t->share > 0 && sink->flushed <= t->limit);
    if (sink->pos > t->limit - sink->flushed) return refuse_With("stream too large");
    size_t off = sink->flushed, n = sink->pos;
    const uint8_t* src = sink->chunk;
    while (n && off / t->share < (size_t)t->used) {
        size_t i = off % t->share, k = std::min(n, t->share - i);
        PutLane(t->s, (int)(off / t->share), i, src, k);
        off += k;
        src += k;
        n -= k;
    }
    sink->flushed += sink->pos;
    sink->pos = 0;
    return 1;
}

// ---- writer helpers ----

struct Analysis {
    int alpha, colour, paletteUsable;
    uint32_t palette[256];
    uint32_t count;
};

void ScanFlags(const Surface* s, Analysis* a) {
    uint32_t anyAlpha = 0, colour = 0;
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t p = row[x];
            anyAlpha |= p >> 24;
            // Grey when red == green == blue: the word's low three bytes agree.
            colour |= ((p ^ (p >> 8)) & 0xFFFF);
        }
    }
    a->alpha = anyAlpha != 0;
    a->colour = colour != 0;
}

// Palette of first appearance with the index plane written as it goes; abandoned at
// the 257th distinct value. Reference: a linear search per pixel.
int PaletteReference(const Surface* s, Analysis* a, uint8_t* index) {
    a->count = 0;
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t i = 0;
            while (i < a->count && a->palette[i] != row[x]) i++;
            if (i == a->count) {
                if (a->count == 256) return 0;
                a->palette[a->count++] = row[x];
            }
            *index++ = (uint8_t)i;
        }
    }
    return 1;
}

// Fast path: an open-addressed table of 1024 slots and the previous pixel remembered.
int PaletteFast(const Surface* s, Analysis* a, uint8_t* index) {
    uint32_t key[1024];
    uint16_t slot[1024];  // index + 1, 0 = empty
    std::memset(slot, 0, sizeof slot);
    a->count = 0;
    uint32_t last = 0;
    uint8_t lastIndex = 0;
    int haveLast = 0;
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t c = row[x];
            if (!haveLast || c != last) {
                uint32_t h = (c * 0x9E3779B1u) >> 22;
                while (slot[h] && key[h] != c) h = (h + 1) & 1023;
                if (!slot[h]) {
                    if (a->count == 256) return 0;
                    key[h] = c;
                    a->palette[a->count] = c;
                    slot[h] = (uint16_t)++a->count;
                }
                last = c;
                lastIndex = (uint8_t)(slot[h] - 1);
                haveLast = 1;
            }
            *index++ = lastIndex;
        }
    }
    return 1;
}

// Planes 0..count-1 of the chosen model: byte p of each pixel (grey = byte 0).
void SplitPlanes(const Surface* s, uint8_t* out, const int* bytes, int count) {
    const size_t share = (size_t)s->width * s->height;
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        uint8_t* dst = out + (size_t)y * s->width;
        for (int p = 0; p < count; p++) {
            uint8_t* pl = dst + share * p;
            const int shift = 8 * bytes[p];
            for (uint32_t x = 0; x < s->width; x++) pl[x] = (uint8_t)(row[x] >> shift);
        }
    }
}

}  // namespace

void kv5_FormatAuthor(char out[128], const char* user, int day, int month, int year) {
    int m = month - 1;
    if (m < 0) m = -m;
    char name[32];
    u8_CopyCut(name, sizeof name, user);
    std::snprintf(out, 128, "%s, %hu %s, %hu", name, (unsigned short)day, MONTHS[m % 12],
                  (unsigned short)year);
}

void kv5_FreeEncoded(Kv5Encoded* e) {
    FreeBuffers(e->work);
    e->stream = nullptr;
    e->streamSize = 0;
}

int kv5_SaveBytes(Surface* s, const Kv5SaveOptions* options, Kv5Encoded* e) {
    refuse_Clear();
    const Kv5SaveOptions none{};
    const Kv5SaveOptions& opt = options ? *options : none;
    std::memset(e, 0, sizeof *e);
    if (!s || !srf_Lock(s)) return refuse_With("cannot lock surface");
    const uint32_t w = s->width, h = s->height;
    size_t pixels = (size_t)w * h, cap;
    if (w == 0 || h == 0 || w > 0xFFFF || h > 0xFFFF || !sz_Mul(pixels, 5, &cap) ||
        !sz_Add(cap, KV5_BUFFER_SLACK, &cap)) {
        srf_Unlock(s);
        return refuse_With("bad dimensions");
    }
    if (!AllocBuffers(e->work, cap)) {
        srf_Unlock(s);
        return 0;
    }

    Analysis a;
    ScanFlags(s, &a);
    a.paletteUsable = 0;
    if (a.colour)
        a.paletteUsable = eng_ReferenceForced() ? PaletteReference(s, &a, e->work[0])
                                              : PaletteFast(s, &a, e->work[0]);
    int model, planes;
    if (a.colour && a.paletteUsable) {
        model = 2;
        planes = 1;  // the index plane is already in work[0]
    } else {
        model = a.colour ? 0 : 1;
        int bytes[4] = {0, 1, 2, 3};
        planes = a.colour ? 3 : 1;
        if (a.alpha) bytes[planes++] = 3;
        SplitPlanes(s, e->work[0], bytes, planes);
    }
    srf_Unlock(s);

    uint8_t codecs[16] = {};
    int which;
    size_t n = kv5_Compress(opt.level & 3, e->work, cap, pixels * planes, &which, codecs);
    const uint8_t* stream = e->work[which];
    // What the prompt returns lives here, for this file only.
    Kv5PasswordFields asked{};
    const char* password = opt.password;
    const char* hint = opt.hint;
    if (opt.askPassword) {
        password = kv5_AskNewPassword(&asked) ? asked.password : nullptr;
        hint = asked.hint;
    }
    if (password && *password) {
        size_t got = kv5_Protect(e->work[1 - which], cap, stream, n, password, hint);
        if (got) {
            stream = e->work[1 - which];
            n = got;
            codecs[15] = (uint8_t)CODEC_PASSWORD;
        }
    }

    uint32_t authorOffset = 0, dataOffset = KV5_AUTHOR_OFFSET, paletteOffset = 0;
    char author[128] = {};
    if (opt.author) {
        SioTime t;
        sio_LocalTime(&t);
        kv5_FormatAuthor(author, opt.author, t.day, t.month, t.year);
        authorOffset = KV5_AUTHOR_OFFSET;
        dataOffset += KV5_AUTHOR_SIZE;
    }
    if (model == 2) {
        paletteOffset = dataOffset;
        dataOffset += 4 + 4 * a.count;
    }

    WrCursor c = wr_Make(e->head, sizeof e->head);
    wr_Bytes(&c, "_KV5", 4);
    wr_U32LE(&c, KV5_HEADER_SIZE);
    wr_U16LE(&c, KV5_FORMAT_VERSION);
    wr_U16LE(&c, 2);
    wr_U16LE(&c, w);
    wr_U16LE(&c, h);
    wr_U16LE(&c, (uint32_t)model);
    wr_U8(&c, (uint32_t)planes);
    wr_U8(&c, 0);
    wr_U32LE(&c, dataOffset);
    wr_U32LE(&c, (uint32_t)n);
    wr_Bytes(&c, codecs, 16);
    wr_U32LE(&c, paletteOffset);
    wr_U32LE(&c, authorOffset);
    wr_Bytes(&c, SIGNATURE_TEXT, sizeof SIGNATURE_TEXT);
    wr_Zeros(&c, KV5_SIGNATURE_SIZE - sizeof SIGNATURE_TEXT);
    if (authorOffset) {
        wr_U8(&c, KV5_AUTHOR_SIZE);
        wr_Bytes(&c, author, sizeof author);
    }
    if (model == 2) {
        wr_U32LE(&c, a.count);
        for (uint32_t i = 0; i < a.count; i++) wr_U32LE(&c, a.palette[i]);
    }
    assert(c.ok);  // the head has room for every block
    if (!c.ok) {
        kv5_FreeEncoded(e);
        return refuse_With("header overflow");
    }
    e->headSize = (size_t)(c.p - e->head);
    e->stream = stream;
    e->streamSize = n;
    return 1;
}

int kv5_Save(Surface* s, const char* path, const Kv5SaveOptions* options) {
    Kv5Encoded* e = (Kv5Encoded*)std::malloc(sizeof(Kv5Encoded));
    if (!e) return refuse_With("out of memory");
    int ok = kv5_SaveBytes(s, options, e);
    if (ok) {
        SwrPiece pieces[2] = {{e->head, e->headSize}, {e->stream, e->streamSize}};
        ok = swr_WriteReplace(path, pieces, 2);
        kv5_FreeEncoded(e);
    }
    std::free(e);
    return ok;
}


// Slot of the stage undone last, -1 when the list does nothing.
static int LastStageSlot(const uint8_t codecList[16], int skipUnknown) {
    for (int slot = 0; slot < 16; slot++) {
        int id = codecList[slot];
        if (id && (!skipUnknown || id == CODEC_PASSWORD || kv5_IsDecodable(id))) return slot;
    }
    return -1;
}

int kv5_LastStage(const uint8_t codecList[16], int skipUnknown) {
    int slot = LastStageSlot(codecList, skipUnknown);
    return slot < 0 ? 0 : codecList[slot];
}

int kv5_UndoCodecs(const uint8_t codecList[16], const uint8_t* stream, size_t n, size_t cap,
                   int skipUnknown, ImageFileInfo* info, uint8_t* buf[2], Kv5Sink* last,
                   const uint8_t** result, size_t* resultSize) {
    const uint8_t* src = stream;
    int next = 0;
    buf[0] = buf[1] = nullptr;
    *result = nullptr;
    const int lastSlot = last ? LastStageSlot(codecList, skipUnknown) : -1;
    assert(!last || (lastSlot >= 0 && kv5_IsDecodable(codecList[lastSlot])));
    if (last && (lastSlot < 0 || !kv5_IsDecodable(codecList[lastSlot]))) return refuse_With("no decoder");
    for (int slot = 15; slot >= 0; slot--) {
        int id = codecList[slot];
        if (id == 0) continue;
        if (slot == lastSlot) {
            size_t got = kv5_DecodeToSink(id, src, n, last);
            *resultSize = got;
            return got != 0 || refuse_With(*refuse_Reason() ? refuse_Reason() : "empty stream");
        }
        if (id != CODEC_PASSWORD && !kv5_IsDecodable(id)) {
            if (skipUnknown) continue;
            if (!info->quiet)
                ui_MessageBox("Unknown/unsupported compression.", "Unknown Codec", UI_ICONWARNING);
            return refuse_With("unknown codec");
        }
        if (!buf[0] && !AllocBuffers(buf, cap)) return 0;
        size_t got;
        if (id == CODEC_PASSWORD) {
            info->isProtected = 1;
            if (info->quiet) return refuse_With("protected file");
            got = kv5_Unprotect(buf[next], cap, src, n);
        } else {
            got = kv5_Decode(id, src, n, buf[next], cap);
        }
        if (got == 0) return refuse_With(*refuse_Reason() ? refuse_Reason() : "empty stream");
        src = buf[next];
        n = got;
        next = 1 - next;
    }
    *result = src;
    *resultSize = n;
    return 1;
}



int kv5_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    refuse_Clear();
    ImageFileInfo local{};
    if (!info) info = &local;
    Header h{};
    if (!out || !data) return refuse_With("no data");
    if (!ReadHeader(data, size, &h)) return 0;
    if (h.layout != 2) return refuse_With("not the current layout");
    if (!info->quiet && h.version >= 4)
        ui_MessageBox("This file was created by a newer version of Kelvara.\n\nThe loading process MIGHT FAIL.",
                      "Version Conflict", UI_TASKMODAL | UI_ICONWARNING);
    info->width = h.width;
    info->height = h.height;
    info->isProtected = 0;
    std::memset(info->authorText, 0, sizeof info->authorText);
    if (uint32_t off = AuthorOffset(h)) ReadAuthor(data, size, off, 0, info->authorText);

    uint32_t palette[256] = {};
    if (h.paletteOffset) {
        if (h.paletteOffset > size) return refuse_With("palette past end");
        RdCursor c = rd_Make(data + h.paletteOffset, size - h.paletteOffset);
        uint32_t count = LegacyPaletteCount(h) ? h.authorOffset : rd_U32LE(&c);
        count &= 0xFFFF;
        if (count > 256) return refuse_With("palette too large");
        for (uint32_t i = 0; i < count; i++) palette[i] = rd_U32LE(&c);
        if (!c.ok) return refuse_With("truncated palette");
    }

    size_t cap, pixels = (size_t)h.width * h.height;
    if (!ReadCapacity(h, &cap)) return 0;
    if (h.dataOffset > size) return refuse_With("data offset past end");
    size_t n = h.dataSize ? h.dataSize : size - h.dataOffset;
    if (n > size - h.dataOffset) return refuse_With("truncated stream");
    if (n > cap) return refuse_With("stream too large");

    const int used = PlaneCount(h) < 4 ? PlaneCount(h) : 4;
    // Every plane the header counts must be there, shown or not.
    const size_t needed = pixels * (size_t)PlaneCount(h);
    const uint8_t* stream = data + h.dataOffset;
    uint8_t* buf[2] = {nullptr, nullptr};
    const uint8_t* planes;
    size_t decoded;
    Surface made;
    int ok;
    if (!eng_ReferenceForced() && kv5_IsDecodable(kv5_LastStage(h.codecs, 0))) {
        // The last stage writes into the new surface itself.
        uint8_t* window = (uint8_t*)std::malloc(LANE_WINDOW);
        ok = window ? srf_CreateExact(h.width, h.height, &made) || refuse_With("cannot make surface")
                    : refuse_With("out of memory");
        if (ok) {
            LaneTarget target{&made, pixels, used, cap};
            Kv5Sink sink{window, 0, LANE_WINDOW, 0, LaneFlush, &target};
            ok = kv5_UndoCodecs(h.codecs, stream, n, cap, 0, info, buf, &sink, &planes, &decoded) &&
                 (decoded >= needed || refuse_With("decoded stream too short"));
            if (ok) {
                ApplyModel(&made, h.model, palette);
                srf_Install(out, &made);
            } else {
                srf_Unlock(&made);
                srf_Destroy(&made);
            }
        }
        std::free(window);
    } else {
        ok = kv5_UndoCodecs(h.codecs, stream, n, cap, 0, info, buf, nullptr, &planes, &decoded) &&
             (decoded >= needed || refuse_With("decoded stream too short")) &&
             (srf_CreateExact(h.width, h.height, &made) || refuse_With("cannot make surface"));
        if (ok) {
            AssemblePixels(&made, planes, used, h.model, palette);
            srf_Install(out, &made);
        }
    }
    FreeBuffers(buf);
    return ok;
}

size_t kv5_LoadExtent(const uint8_t* head, size_t n) {
    Header h{};
    size_t cap;
    if (!ReadHeader(head, n, &h) || h.layout != 2 || !ReadCapacity(h, &cap)) return n;
    uint64_t end = KV5_HEADER_SIZE;
    auto upTo = [&end](uint64_t e) {
        if (e > end) end = e;
    };
    if (uint32_t off = AuthorOffset(h)) upTo((uint64_t)off + KV5_AUTHOR_SIZE);
    if (h.paletteOffset) upTo((uint64_t)h.paletteOffset + 4 + 4 * 256);
    upTo((uint64_t)h.dataOffset + (h.dataSize ? (uint64_t)h.dataSize : (uint64_t)cap + 1));
    return end > SIZE_MAX ? SIZE_MAX : (size_t)end;
}

int kv5_LoadFile(const char* path, size_t first, size_t (*extent)(const uint8_t*, size_t),
                 Kv5BytesLoader load, Surface* out, ImageFileInfo* info) {
    uint8_t *head, *data;
    size_t got, size;
    refuse_Clear();
    if (!path) return refuse_With("no path");
    if (!fio_ReadPrefix(path, first, &head, &got)) return 0;
    size_t want = extent(head, got);
    std::free(head);
    if (!fio_ReadPrefix(path, want, &data, &size)) return 0;
    int ok = load(out, data, size, info);
    std::free(data);
    return ok;
}

int kv5_Load(Surface* out, const char* path, ImageFileInfo* info) {
    return kv5_LoadFile(path, KV5_HEADER_SIZE, kv5_LoadExtent, kv5_LoadBytes, out, info);
}

int kv5_ProbeBytes(const uint8_t* data, size_t size, ImageFileInfo* info) {
    refuse_Clear();
    if (!data || !info) return refuse_With("no data");
    uint8_t b[KV5_HEADER_SIZE] = {};
    std::memcpy(b, data, size < 16 ? size : 16);
    uint32_t hs = rd_U32At(b, 4);
    if (!HasSignature(b)) return refuse_With("bad signature");
    if (hs < 24) return refuse_With("bad header size");
    const size_t want = hs < KV5_HEADER_SIZE ? hs : KV5_HEADER_SIZE;
    std::memcpy(b, data, size < want ? size : want);
    info->width = rd_U16At(b, 12);
    info->height = rd_U16At(b, 14);
    info->isProtected = 0;
    const uint16_t layout = rd_U16At(b, 10);
    if (layout == 1) {
        const size_t tiledWant = hs < 40 ? hs : 40;
        if (size < tiledWant) return refuse_With("truncated header");
        for (int i = 24; i < 40; i++)
            if (i < (int)tiledWant && b[i] == CODEC_PASSWORD) info->isProtected = 1;
        return 1;
    }
    Header h{};
    if (layout != 2) return refuse_With("bad layout");
    if (!ReadHeader(data, size, &h)) return 0;
    if (h.planes > MAX_PLANES) return refuse_With("too many planes");
    std::memset(info->authorText, 0, sizeof info->authorText);
    if (uint32_t off = ProbeAuthorOffset(h))
        if (!ReadAuthor(data, size, off, 1, info->authorText)) return 0;
    for (int i = 0; i < 16; i++)
        if (h.codecs[i] == CODEC_PASSWORD) info->isProtected = 1;
    return 1;
}

size_t kv5_ProbeExtent(const uint8_t* head, size_t n) {
    Header h{};
    if (!ReadHeader(head, n, &h)) return n;
    uint32_t off = h.layout == 2 ? ProbeAuthorOffset(h) : 0;
    return off ? (size_t)off + 256 : KV5_HEADER_SIZE;
}

static int ProbeLoader(Surface*, const uint8_t* data, size_t size, ImageFileInfo* info) {
    return kv5_ProbeBytes(data, size, info);
}

int kv5_Probe(const char* path, ImageFileInfo* info) {
    return kv5_LoadFile(path, KV5_HEADER_SIZE, kv5_ProbeExtent, ProbeLoader, nullptr, info);
}
