// rdwr.h — bounds-checked byte cursors and overflow-checked sizes for every format module.
//
// RdCursor walks a byte range. A read that does not fit clears `ok`, yields 0 (or a
// null pointer) and moves nothing, so a parser may read a whole record and test `ok`
// once at the end. WrCursor is the same for output: a write that does not fit clears
// `ok` and writes nothing. All multi-byte values are little-endian.
// sz_Add / sz_Mul report overflow instead of wrapping; size arithmetic on values that
// came from a file goes through them before anything is allocated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct RdCursor {
    const uint8_t* p;
    const uint8_t* end;
    int ok;
};

static inline RdCursor rd_Make(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    return RdCursor{p, p ? p + size : p, 1};
}
static inline size_t rd_Left(const RdCursor* c) { return (size_t)(c->end - c->p); }
// 1 when n more bytes are there; otherwise clears ok.
static inline int rd_Need(RdCursor* c, size_t n) {
    if (c->ok && rd_Left(c) >= n) return 1;
    c->ok = 0;
    return 0;
}
static inline uint8_t rd_U8(RdCursor* c) {
    if (!rd_Need(c, 1)) return 0;
    return *c->p++;
}
static inline uint16_t rd_U16LE(RdCursor* c) {
    if (!rd_Need(c, 2)) return 0;
    uint16_t v = (uint16_t)(c->p[0] | c->p[1] << 8);
    c->p += 2;
    return v;
}
static inline uint32_t rd_U32LE(RdCursor* c) {
    if (!rd_Need(c, 4)) return 0;
    uint32_t v = (uint32_t)c->p[0] | (uint32_t)c->p[1] << 8 | (uint32_t)c->p[2] << 16 |
                 (uint32_t)c->p[3] << 24;
    c->p += 4;
    return v;
}
// Pointer to the next n bytes (and steps over them), or null.
static inline const uint8_t* rd_Bytes(RdCursor* c, size_t n) {
    if (!rd_Need(c, n)) return nullptr;
    const uint8_t* at = c->p;
    c->p += n;
    return at;
}
static inline int rd_Skip(RdCursor* c, size_t n) { return rd_Bytes(c, n) != nullptr; }

// Little-endian fields of a block already known to be long enough (a zero-filled
// fixed-size header copy, for instance).
static inline uint16_t rd_U16At(const uint8_t* b, size_t off) {
    return (uint16_t)(b[off] | b[off + 1] << 8);
}
static inline uint32_t rd_U32At(const uint8_t* b, size_t off) {
    return (uint32_t)b[off] | (uint32_t)b[off + 1] << 8 | (uint32_t)b[off + 2] << 16 |
           (uint32_t)b[off + 3] << 24;
}

struct WrCursor {
    uint8_t* p;
    uint8_t* end;
    int ok;
};

static inline WrCursor wr_Make(void* data, size_t size) {
    uint8_t* p = static_cast<uint8_t*>(data);
    return WrCursor{p, p ? p + size : p, 1};
}
static inline int wr_Room(WrCursor* c, size_t n) {
    if (c->ok && (size_t)(c->end - c->p) >= n) return 1;
    c->ok = 0;
    return 0;
}
static inline void wr_U8(WrCursor* c, uint32_t v) {
    if (wr_Room(c, 1)) *c->p++ = (uint8_t)v;
}
static inline void wr_U16LE(WrCursor* c, uint32_t v) {
    if (!wr_Room(c, 2)) return;
    c->p[0] = (uint8_t)v;
    c->p[1] = (uint8_t)(v >> 8);
    c->p += 2;
}
static inline void wr_U32LE(WrCursor* c, uint32_t v) {
    if (!wr_Room(c, 4)) return;
    c->p[0] = (uint8_t)v;
    c->p[1] = (uint8_t)(v >> 8);
    c->p[2] = (uint8_t)(v >> 16);
    c->p[3] = (uint8_t)(v >> 24);
    c->p += 4;
}
static inline void wr_Bytes(WrCursor* c, const void* data, size_t n) {
    if (!wr_Room(c, n)) return;
    if (n) std::memcpy(c->p, data, n);
    c->p += n;
}
static inline void wr_Zeros(WrCursor* c, size_t n) {
    if (!wr_Room(c, n)) return;
    if (n) std::memset(c->p, 0, n);
    c->p += n;
}

// Store a little-endian u32 at a place already known to be in bounds.
static inline void wr_U32At(uint8_t* b, uint32_t v) {
    b[0] = (uint8_t)v;
    b[1] = (uint8_t)(v >> 8);
    b[2] = (uint8_t)(v >> 16);
    b[3] = (uint8_t)(v >> 24);
}

static inline int sz_Add(size_t a, size_t b, size_t* out) {
    if (a > SIZE_MAX - b) return 0;
    *out = a + b;
    return 1;
}
static inline int sz_Mul(size_t a, size_t b, size_t* out) {
    if (a && b > SIZE_MAX / a) return 0;
    *out = a * b;
    return 1;
}
