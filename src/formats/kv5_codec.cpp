// kv5_codec.cpp — the KV5 byte coders and the compression driver.
//
// Two implementations of the costly parts: the reference coders follow the stream
// rules one byte or one bit at a time; the fast ones scan 16 bytes per step for the
// places where items start (SSE2), size a trial from a histogram instead of encoding
// it, read codes through 64-bit peeks and expand delta runs 16 values per step. The
// tests prove both give the same bytes. Decoders write through a sink, so the last
// stage of a load can put its bytes straight into the surface.
#include "formats/kv5_codec.h"
#include <algorithm>
#include <cassert>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include "engine/engine.h"
#include "formats/rdwr.h"
#include "platform/refusal.h"

namespace {

const size_t MAX_SPAN = 0x20000;     // longest run, stretch or literal an encoder writes
const size_t GIVE_UP_SLACK = 16;     // encoders stop once output passes input + 16
const size_t TABLE_SIZE = 256;
const size_t TABLE_BITS = TABLE_SIZE * 8;

size_t EncodeLimit(size_t n, size_t cap) { return std::min(cap, n + GIVE_UP_SLACK); }

// ---- literal items, shared by RLE and DELTA_NIBBLE --------------------------------

// A literal of k <= 128 bytes is never shorter than 3; longer ones carry a u32 count.
size_t LiteralTaken(size_t k) { return k <= 128 && k < 3 ? 3 : k; }
size_t LiteralItemSize(size_t k) { return (k <= 128 ? 1 : 5) + LiteralTaken(k); }

// Writes the literal of input bytes [p, p + k); bytes past the input's end are zeros.
void PutLiteral(uint8_t* o, const uint8_t* in, size_t n, size_t p, size_t k) {
    size_t take = LiteralTaken(k);
    if (k <= 128) {
        *o++ = (uint8_t)(take - 1);
    } else {
        *o++ = 1;
        wr_U32At(o, (uint32_t)k);
        o += 4;
    }
    assert(p <= n);
    size_t have = std::min(take, n - p);
    std::memcpy(o, in + p, have);
    std::memset(o + have, 0, take - have);
}

// Run or delta-run header: short form 0x80 | (count - 1) up to 128, else 0x80 + u32.
size_t PutRunHeader(uint8_t* o, size_t count) {
    if (count <= 128) {
        if (o) o[0] = (uint8_t)(0x80 | (count - 1));
        return 1;
    }
    if (o) {
        o[0] = 0x80;
        wr_U32At(o + 1, (uint32_t)count);
    }
    return 5;
}

// Appends a literal of k input bytes from *p (out null: sizing only); 0 = no room.
int EmitLiteral(uint8_t* out, size_t* o, size_t limit, const uint8_t* in, size_t n, size_t* p, size_t k) {
    size_t item = LiteralItemSize(k);
    if (*o + item > limit) return 0;
    if (out) PutLiteral(out + *o, in, n, *p, k);
    *o += item;
    *p += LiteralTaken(k);
    return 1;
}

// Appends the end item: the total length, or 0 when it does not fit.
size_t EmitEnd(uint8_t* out, size_t o, size_t limit) {
    if (o + 1 > limit) return 0;
    if (out) out[o] = 0;
    return o + 1;
}

int Smooth(const uint8_t* in, size_t q) {  // |in[q] - in[q - 1]| < 8
    int d = (int)in[q] - (int)in[q - 1];
    return d > -8 && d < 8;
}

void PutDeltaRun(uint8_t* o, const uint8_t* in, size_t n, size_t p, size_t m) {
    o += PutRunHeader(o, m);
    *o++ = in[p];
    for (size_t i = 0; i < m / 2; i++) {
        size_t q = p + 2 * i;
        uint32_t lo = (uint32_t)(in[q + 1] - in[q] + 7) & 15;
        // The last high nibble is never decoded; past the input's end it is 0.
        uint32_t hi = q + 2 < n ? (uint32_t)(in[q + 2] - in[q + 1] + 7) & 15 : 0;
        o[i] = (uint8_t)(lo | hi << 4);
    }
}

// ---- reference encoders: the stream rules, one byte at a time ---------------------

size_t RleEncodeRef(const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
    const size_t limit = EncodeLimit(n, cap);
    size_t o = 0, p = 0;
    while (p < n) {
        size_t r = 1;
        while (r < MAX_SPAN && p + r < n && in[p + r] == in[p]) r++;
        if (r >= 3) {
            size_t item = r >= 129 ? 6 : 2;
            if (o + item > limit) return 0;
            o += PutRunHeader(out + o, r);
            out[o++] = in[p];
            p += r;
            continue;
        }
        size_t k = 0;
        while (k < MAX_SPAN && p + 4 + k < n) {
            const uint8_t* w = in + p + k;
            if (w[1] == w[0] && w[2] == w[0] && w[3] == w[0] && w[4] == w[0]) break;
            k++;
        }
        if (n - p < 6) k = n - p;
        if (!EmitLiteral(out, &o, limit, in, n, &p, k)) return 0;
    }
    return EmitEnd(out, o, limit);
}

size_t DeltaEncodeRef(const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
    const size_t limit = EncodeLimit(n, cap);
    size_t o = 0, p = 0;
    while (p < n) {
        size_t s = 1;
        while (s < MAX_SPAN && p + s < n && Smooth(in, p + s)) s++;
        size_t m = s & ~(size_t)1;
        if (m >= 6) {
            size_t item = (m <= 128 ? 1 : 5) + 1 + m / 2;
            if (o + item > limit) return 0;
            PutDeltaRun(out + o, in, n, p, m);
            o += item;
            p += m;
            continue;
        }
        size_t k = 0;
        while (p + 12 + k < n && k < MAX_SPAN) {
            size_t q = p + k;
            if (Smooth(in, q + 1) && Smooth(in, q + 2) && Smooth(in, q + 3) && Smooth(in, q + 4) &&
                Smooth(in, q + 5) && Smooth(in, q + 6))
                break;
            k++;
        }
        size_t lit = std::min(k + 1, MAX_SPAN);
        if (n - p < 16) lit = n - p;
        if (!EmitLiteral(out, &o, limit, in, n, &p, lit)) return 0;
    }
    return EmitEnd(out, o, limit);
}

// ---- fast scanners: where the next item starts ------------------------------------

size_t RunLength(const uint8_t* in, size_t n, size_t p) {
    const size_t max = std::min(MAX_SPAN, n - p);
    const uint8_t v = in[p];
    size_t r = 1;
    const uint64_t pattern = 0x0101010101010101ull * v;
    while (r + 8 <= max) {
        uint64_t w;
        std::memcpy(&w, in + p + r, 8);
        uint64_t x = w ^ pattern;
        if (x) return r + (size_t)(__builtin_ctzll(x) >> 3);
        r += 8;
    }
    while (r < max && in[p + r] == v) r++;
    return r;
}

#if defined(__SSE2__)
// Bit i: the pair in[q + i], in[q + i + 1] is equal (smooth = 0) or differs by less
// than 8 (smooth = 1), for i = 0..15 (reads in[q..q + 16]).
unsigned PairMask16(const uint8_t* in, size_t q, int smooth) {
    __m128i a = _mm_loadu_si128((const __m128i*)(in + q));
    __m128i b = _mm_loadu_si128((const __m128i*)(in + q + 1));
    if (!smooth) return (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(a, b));
    __m128i d = _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a));
    __m128i big = _mm_and_si128(d, _mm_set1_epi8((char)0xF8));
    return (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(big, _mm_setzero_si128()));
}
#endif

int PairHolds(const uint8_t* in, size_t q, int smooth) {
    return smooth ? Smooth(in, q + 1) : in[q] == in[q + 1];
}

// First offset k from p at which `tests` pairs in a row hold, searching while
// k < MAX_SPAN and p + reserve + k < n; where the search stopped otherwise. Five
// equal bytes are 4 equal pairs (reserve 4); seven smooth bytes are 6 smooth pairs
// (reserve 12).
size_t FindWindow(const uint8_t* in, size_t n, size_t p, int smooth, int tests, size_t reserve) {
    if (p + reserve >= n) return 0;
    const size_t end = p + std::min(MAX_SPAN, n - reserve - p);
    size_t q = p;
#if defined(__SSE2__)
    const size_t step = 17 - (size_t)tests;  // window starts a 16-pair mask can judge
    while (q + step <= end && q + 17 <= n) {
        unsigned m = PairMask16(in, q, smooth), w = m;
        for (int t = 1; t < tests; t++) w &= m >> t;
        w &= (1u << step) - 1;
        if (w) return q + (size_t)__builtin_ctz(w) - p;
        q += step;
    }
#endif
    for (; q < end; q++) {
        int t = 0;
        while (t < tests && PairHolds(in, q + t, smooth)) t++;
        if (t == tests) return q - p;
    }
    return end - p;
}

// Longest smooth stretch at p, at most MAX_SPAN and not past the input's end.
size_t SmoothLength(const uint8_t* in, size_t n, size_t p) {
    const size_t max = std::min(MAX_SPAN, n - p);
    size_t s = 1;
#if defined(__SSE2__)
    while (s + 16 <= max && p + s + 16 <= n) {
        unsigned m = PairMask16(in, p + s - 1, 1);
        if (m != 0xFFFFu) return s + (size_t)__builtin_ctz(~m);
        s += 16;
    }
#endif
    while (s < max && Smooth(in, p + s)) s++;
    return s;
}

// ---- fast encoders: one parse for sizing (out == null) and for writing ------------

size_t RleParse(const uint8_t* in, size_t n, uint8_t* out, size_t limit) {
    size_t o = 0, p = 0;
    while (p < n) {
        size_t r = RunLength(in, n, p);
        if (r >= 3) {
            size_t item = r >= 129 ? 6 : 2;
            if (o + item > limit) return 0;
            if (out) {
                PutRunHeader(out + o, r);
                out[o + item - 1] = in[p];
            }
            o += item;
            p += r;
            continue;
        }
        size_t k = n - p < 6 ? n - p : FindWindow(in, n, p, 0, 4, 4);
        if (!EmitLiteral(out, &o, limit, in, n, &p, k)) return 0;
    }
    return EmitEnd(out, o, limit);
}

size_t DeltaParse(const uint8_t* in, size_t n, uint8_t* out, size_t limit) {
    size_t o = 0, p = 0;
    while (p < n) {
        size_t m = SmoothLength(in, n, p) & ~(size_t)1;
        if (m >= 6) {
            size_t item = (m <= 128 ? 1 : 5) + 1 + m / 2;
            if (o + item > limit) return 0;
            if (out) PutDeltaRun(out + o, in, n, p, m);
            o += item;
            p += m;
            continue;
        }
        size_t lit = n - p < 16 ? n - p : std::min(FindWindow(in, n, p, 1, 6, 12) + 1, MAX_SPAN);
        if (!EmitLiteral(out, &o, limit, in, n, &p, lit)) return 0;
    }
    return EmitEnd(out, o, limit);
}

// ---- frequency coders --------------------------------------------------------------

void Histogram(const uint8_t* in, size_t n, uint32_t hist[256]) {
    // Four tables so that runs of one value do not serialise on one counter.
    uint32_t h[4][256];
    std::memset(h, 0, sizeof h);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        h[0][in[i]]++;
        h[1][in[i + 1]]++;
        h[2][in[i + 2]]++;
        h[3][in[i + 3]]++;
    }
    for (; i < n; i++) h[0][in[i]]++;
    for (int v = 0; v < 256; v++) hist[v] = h[0][v] + h[1][v] + h[2][v] + h[3][v];
}

// Most frequent first; equal counts (absent values included) by ascending value.
void RankTable(const uint32_t hist[256], uint8_t table[256], uint8_t rank[256]) {
    uint64_t key[256];
    for (int v = 0; v < 256; v++) key[v] = (uint64_t)hist[v] << 8 | (uint64_t)(255 - v);
    std::sort(key, key + 256, [](uint64_t a, uint64_t b) { return a > b; });
    for (int r = 0; r < 256; r++) {
        table[r] = (uint8_t)(255 - (key[r] & 0xFF));
        rank[table[r]] = (uint8_t)r;
    }
}

int BitLength(uint32_t r) { return r ? 32 - __builtin_clz(r) : 1; }
int FreqClass(uint32_t r) { return r < 4 ? 0 : r < 16 ? 1 : r < 64 ? 2 : 3; }

// Little-endian bit writer that flushes whole u32 words and never passes `limit`.
struct BitSink {
    uint8_t* out;
    size_t pos;
    size_t limit;
    uint64_t acc;
    int bits;
    int ok;
};

void PutBits(BitSink* s, uint64_t code, int len) {  // len <= 32
    s->acc |= code << s->bits;
    s->bits += len;
    if (s->bits >= 32) {
        if (s->pos + 4 > s->limit) {
            s->ok = 0;
            s->pos = 0;
        } else {
            wr_U32At(s->out + s->pos, (uint32_t)s->acc);
            s->pos += 4;
        }
        s->acc >>= 32;
        s->bits -= 32;
    }
}

size_t FinishBits(BitSink* s) {
    while (s->ok && s->bits > 0) {
        if (s->pos + 1 > s->limit) return 0;
        s->out[s->pos++] = (uint8_t)s->acc;
        s->acc >>= 8;
        s->bits -= 8;
    }
    return s->ok ? s->pos : 0;
}

// The byte of a group past the input's end.
uint8_t ByteAt(const uint8_t* in, size_t n, size_t i) { return i < n ? in[i] : 0; }

size_t FreqEncode(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
    const size_t limit = EncodeLimit(n, cap);
    if (limit < TABLE_SIZE) return 0;
    uint32_t hist[256];
    uint8_t table[256], rank[256];
    Histogram(in, n, hist);
    RankTable(hist, table, rank);
    std::memcpy(out, table, TABLE_SIZE);
    BitSink s{out, TABLE_SIZE, limit, 0, 0, 1};
    if (codec == CODEC_FREQ) {
        for (size_t i = 0; i < n && s.ok; i++) {
            uint32_t r = rank[in[i]];
            int c = FreqClass(r);
            PutBits(&s, (uint64_t)c | (uint64_t)r << 2, 2 * c + 4);
        }
    } else if (codec == CODEC_FREQ_PAIR) {
        for (size_t i = 0; i < n && s.ok; i += 2) {
            uint32_t r0 = rank[in[i]], r1 = rank[ByteAt(in, n, i + 1)];
            int k = BitLength(std::max(r0, r1));
            PutBits(&s, (uint64_t)(k - 1) | (uint64_t)r0 << 3 | (uint64_t)r1 << (3 + k), 2 * k + 3);
        }
    } else {
        for (size_t i = 0; i < n && s.ok; i += 4) {
            uint32_t r0 = rank[in[i]], r1 = rank[ByteAt(in, n, i + 1)];
            uint32_t r2 = rank[ByteAt(in, n, i + 2)], r3 = rank[ByteAt(in, n, i + 3)];
            int k = BitLength(std::max(std::max(r0, r1), std::max(r2, r3)));
            // A code of up to 35 bits goes out in two parts.
            PutBits(&s, (uint64_t)(k - 1) | (uint64_t)r0 << 3 | (uint64_t)r1 << (3 + k), 2 * k + 3);
            PutBits(&s, (uint64_t)r2 | (uint64_t)r3 << k, 2 * k);
        }
    }
    return FinishBits(&s);
}

// Sizes of the three frequency codes from one histogram and one pass over the ranks;
// 0 where the coder would give up.
struct FreqSizes {
    size_t freq, pair, quad;
};

FreqSizes MeasureFreq(const uint8_t* in, size_t n) {
    uint32_t hist[256];
    uint8_t table[256], rank[256], k[256];
    Histogram(in, n, hist);
    RankTable(hist, table, rank);
    uint64_t freqBits = 0;
    for (int v = 0; v < 256; v++) {
        k[v] = (uint8_t)BitLength(rank[v]);
        freqBits += (uint64_t)hist[v] * (uint64_t)(2 * FreqClass(rank[v]) + 4);
    }
    uint64_t pairBits = 0, quadBits = 0;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t k0 = k[in[i]], k1 = k[in[i + 1]], k2 = k[in[i + 2]], k3 = k[in[i + 3]];
        uint32_t a = std::max(k0, k1), b = std::max(k2, k3);
        pairBits += 2 * (a + b) + 6;
        quadBits += 4 * std::max(a, b) + 3;
    }
    if (i < n) {  // the last group, padded with byte 0
        uint32_t t[4];
        for (int j = 0; j < 4; j++) t[j] = k[ByteAt(in, n, i + j)];
        pairBits += 2 * std::max(t[0], t[1]) + 3;
        if (i + 2 < n) pairBits += 2 * std::max(t[2], t[3]) + 3;
        quadBits += 4 * std::max(std::max(t[0], t[1]), std::max(t[2], t[3])) + 3;
    }
    auto bytes = [n](uint64_t bits) -> size_t {
        uint64_t total = TABLE_SIZE + (bits + 7) / 8;
        return total <= (uint64_t)n + GIVE_UP_SLACK ? (size_t)total : 0;
    };
    return FreqSizes{bytes(freqBits), bytes(pairBits), bytes(quadBits)};
}

// ---- decoders: all write through a sink ------------------------------------------

// Room for `need` bytes (need <= 16), flushing a full window when the sink can.
inline int SinkRoom(Kv5Sink* s, size_t need) {
    if (s->size - s->pos >= need) return 1;
    return s->flush && s->flush(s) && s->size - s->pos >= need;
}

int SinkBytes(Kv5Sink* s, const uint8_t* p, size_t n) {
    while (n) {
        if (s->pos == s->size && !(s->flush && s->flush(s))) return 0;
        size_t k = std::min(n, s->size - s->pos);
        std::memcpy(s->chunk + s->pos, p, k);
        s->pos += k;
        p += k;
        n -= k;
    }
    return 1;
}

int SinkFill(Kv5Sink* s, uint8_t v, size_t n) {
    while (n) {
        if (s->pos == s->size && !(s->flush && s->flush(s))) return 0;
        size_t k = std::min(n, s->size - s->pos);
        std::memset(s->chunk + s->pos, v, k);
        s->pos += k;
        n -= k;
    }
    return 1;
}

inline int SinkByte(Kv5Sink* s, uint8_t v) {
    if (!SinkRoom(s, 1)) return 0;
    s->chunk[s->pos++] = v;
    return 1;
}

// Total produced, after handing the last window over; 0 = failure or nothing.
size_t SinkFinish(Kv5Sink* s) {
    if (s->flush && s->pos && !s->flush(s)) return refuse_With("output too large");
    size_t total = s->flushed + s->pos;
    return total ? total : refuse_With("empty stream");
}

// A refused item: the cursor ran out, or else the sink would take no more.
size_t ItemFail(const RdCursor& c) { return refuse_With(c.ok ? "output too large" : "truncated item"); }

// Count of a literal item whose first byte b (1..127) has been read; 0 = malformed.
// b = 1 takes a u32 count when it is below 2^24, else stands for a 2-byte literal.
int LiteralCount(RdCursor* c, uint32_t b, size_t* count) {
    if (b != 1) {
        *count = b + 1;
        return 1;
    }
    if (!rd_Need(c, 4)) return 0;
    uint32_t v = rd_U32At(c->p, 0);
    if (v >= 0x1000000u) {
        *count = 2;
        return 1;
    }
    c->p += 4;
    *count = v;
    return 1;
}

int Literal(RdCursor* c, uint32_t b, Kv5Sink* s) {
    size_t count;
    const uint8_t* src;
    return LiteralCount(c, b, &count) && (src = rd_Bytes(c, count)) != nullptr && SinkBytes(s, src, count);
}

size_t RunCount(RdCursor* c, uint32_t b) { return b == 0x80 ? rd_U32LE(c) : (b & 0x7F) + 1; }

// The head of a delta run: count, first value, packed nibbles; 0 when malformed.
int DeltaRun(RdCursor* c, uint32_t b, size_t* count, uint8_t* first, const uint8_t** packed) {
    *count = RunCount(c, b);
    *first = rd_U8(c);
    *packed = rd_Bytes(c, *count / 2);
    return c->ok;
}

#if defined(__SSE2__)
// 16 outputs from 8 packed bytes: nibbles low first, each minus 7, summed onto the
// previous value (a byte-wise prefix sum in four shifted adds).
inline __m128i DeltaBlock16(const uint8_t* packed, __m128i carry) {
    const __m128i nib = _mm_set1_epi8(15), seven = _mm_set1_epi8(7);
    __m128i b = _mm_loadl_epi64((const __m128i*)packed);
    __m128i lo = _mm_and_si128(b, nib), hi = _mm_and_si128(_mm_srli_epi16(b, 4), nib);
    __m128i d = _mm_sub_epi8(_mm_unpacklo_epi8(lo, hi), seven);
    d = _mm_add_epi8(d, _mm_slli_si128(d, 1));
    d = _mm_add_epi8(d, _mm_slli_si128(d, 2));
    d = _mm_add_epi8(d, _mm_slli_si128(d, 4));
    d = _mm_add_epi8(d, _mm_slli_si128(d, 8));
    return _mm_add_epi8(d, carry);
}

inline __m128i BroadcastLastByte(__m128i v) {
    __m128i t = _mm_unpackhi_epi8(v, v);
    t = _mm_unpackhi_epi16(t, t);
    return _mm_shuffle_epi32(t, 0xFF);
}
#endif

// `take` differences from an even nibble index of `packed` onto v, written to d.
uint8_t DeltaSpan(const uint8_t* packed, size_t take, uint8_t v, uint8_t* d) {
    size_t pairs = take / 2, i = 0;
#if defined(__SSE2__)
    if (pairs >= 8) {
        __m128i carry = _mm_set1_epi8((char)v);
        for (; i + 8 <= pairs; i += 8, d += 16) {
            __m128i r = DeltaBlock16(packed + i, carry);
            _mm_storeu_si128((__m128i*)d, r);
            carry = BroadcastLastByte(r);
        }
        v = d[-1];
    }
#endif
    for (; i < pairs; i++) {
        v = (uint8_t)(v + (packed[i] & 15) - 7);
        *d++ = v;
        v = (uint8_t)(v + (packed[i] >> 4) - 7);
        *d++ = v;
    }
    if (take & 1) *d = v = (uint8_t)(v + (packed[pairs] & 15) - 7);
    return v;
}

// Reference: one difference at a time.
int DeltaRunReference(Kv5Sink* s, const uint8_t* packed, size_t count, uint8_t v) {
    for (size_t j = 0; j + 1 < count; j++) {
        uint32_t nib = j & 1 ? packed[j / 2] >> 4 : packed[j / 2] & 15;
        v = (uint8_t)(v + nib - 7);
        if (!SinkByte(s, v)) return 0;
    }
    return 1;
}

// Fast path: whole windows of a run at a time, 16 values per step.
int DeltaRunFast(Kv5Sink* s, const uint8_t* packed, size_t count, uint8_t v) {
    for (size_t j = 0, diffs = count - 1; j < diffs;) {
        size_t left = diffs - j;
        if (!SinkRoom(s, std::min(std::min(left, (size_t)16), s->size))) return 0;
        size_t take = std::min(left, s->size - s->pos);
        if (take < left) take &= ~(size_t)1;  // later windows start on a whole byte
        v = DeltaSpan(packed + j / 2, take, v, s->chunk + s->pos);
        s->pos += take;
        j += take;
    }
    return 1;
}

// Item streams of RLE and DELTA_NIBBLE: literals alike, runs as the codec says.
enum RunKind { RUN_REPEAT, RUN_DELTA_REFERENCE, RUN_DELTA_FAST };

size_t ItemDecode(const uint8_t* in, size_t n, Kv5Sink* s, RunKind kind) {
    RdCursor c = rd_Make(in, n);
    while (rd_Left(&c)) {
        uint32_t b = rd_U8(&c);
        if (b == 0) break;
        if (b < 0x80) {
            if (!Literal(&c, b, s)) return ItemFail(c);
            continue;
        }
        if (kind == RUN_REPEAT) {
            size_t count = RunCount(&c, b);
            uint8_t v = rd_U8(&c);
            if (!c.ok || !SinkFill(s, v, count)) return ItemFail(c);
            continue;
        }
        size_t count;
        uint8_t v;
        const uint8_t* packed;
        if (!DeltaRun(&c, b, &count, &v, &packed)) return ItemFail(c);
        if (count == 0) continue;
        if (!SinkByte(s, v)) return ItemFail(c);
        if (!(kind == RUN_DELTA_FAST ? DeltaRunFast(s, packed, count, v) : DeltaRunReference(s, packed, count, v)))
            return ItemFail(c);
    }
    return SinkFinish(s);
}

size_t DeltaBitsDecode(const uint8_t* in, size_t n, Kv5Sink* s) {
    RdCursor c = rd_Make(in, n);
    while (rd_Left(&c)) {
        uint32_t b = rd_U8(&c);
        if (b == 0) break;
        if (b <= 0x3F) {
            size_t count = (b & 0x3F) + 1;
            const uint8_t* src = rd_Bytes(&c, count);
            if (!src || !SinkBytes(s, src, count)) return ItemFail(c);
        } else if (b <= 0x7F) {
            size_t codes = b & 0x3F;
            uint8_t v = rd_U8(&c);
            if (!c.ok || !SinkByte(s, v)) return ItemFail(c);
            const size_t avail = rd_Left(&c) * 8;
            size_t bit = 0;
            for (size_t j = 0; j < codes; j++) {
                if (bit + 3 > avail) return refuse_With("truncated item");
                uint32_t head = 0;
                for (int t = 0; t < 3; t++, bit++) head |= (uint32_t)(c.p[bit >> 3] >> (bit & 7) & 1) << t;
                int w = (int)(head & 3) + 1;
                if (bit + w > avail) return refuse_With("truncated item");
                uint32_t mag = 0;
                for (int t = 0; t < w; t++, bit++) mag |= (uint32_t)(c.p[bit >> 3] >> (bit & 7) & 1) << t;
                v = (uint8_t)(head & 4 ? v - mag : v + mag);
                if (!SinkByte(s, v)) return refuse_With("output too large");
            }
            c.p += (bit + 7) / 8;
        }
    }
    return SinkFinish(s);
}

// Reference bit reader: bits past the stream's end read as 0.
uint32_t RefBits(const uint8_t* in, size_t n, uint64_t pos, int count) {
    uint32_t v = 0;
    for (int i = 0; i < count; i++) {
        uint64_t b = pos + (uint64_t)i;
        uint32_t bit = (b >> 3) < n ? (in[b >> 3] >> (b & 7)) & 1 : 0;
        v |= bit << i;
    }
    return v;
}

size_t FreqDecodeRef(int codec, const uint8_t* in, size_t n, Kv5Sink* s) {
    if (n <= TABLE_SIZE) return refuse_With("no frequency codes");
    const uint8_t* table = in;
    const uint64_t end = (uint64_t)n * 8;
    for (uint64_t pos = TABLE_BITS; pos < end;) {
        if (codec == CODEC_FREQ) {
            int c = (int)RefBits(in, n, pos, 2);
            if (!SinkByte(s, table[RefBits(in, n, pos + 2, 2 * c + 2)])) return refuse_With("output too large");
            pos += 2 * c + 4;
        } else {
            const int group = codec == CODEC_FREQ_PAIR ? 2 : 4;
            int k = (int)RefBits(in, n, pos, 3) + 1;
            for (int j = 0; j < group; j++)
                if (!SinkByte(s, table[RefBits(in, n, pos + 3 + j * k, k)])) return refuse_With("output too large");
            pos += group * k + 3;
        }
    }
    return SinkFinish(s);
}

// 64 bits from bit `pos` on; at least 57 of them are stream bits or zeros past its end.
inline uint64_t Peek64(const uint8_t* in, size_t n, uint64_t pos) {
    size_t at = (size_t)(pos >> 3);
    uint64_t w = 0;
    if (at + 8 <= n) {
        std::memcpy(&w, in + at, 8);
    } else {
        for (size_t i = 0; at + i < n; i++) w |= (uint64_t)in[at + i] << (8 * i);
    }
    return w >> (pos & 7);
}

// Fast frequency decoders: one 64-bit peek per code; `group` bytes out per code.
size_t FreqDecodeFast(int codec, const uint8_t* in, size_t n, Kv5Sink* s) {
    if (n <= TABLE_SIZE) return refuse_With("no frequency codes");
    const uint8_t* table = in;
    const uint64_t end = (uint64_t)n * 8;
    const size_t group = codec == CODEC_FREQ ? 1 : codec == CODEC_FREQ_PAIR ? 2 : 4;
    for (uint64_t pos = TABLE_BITS; pos < end;) {
        if (s->size - s->pos < group && !SinkRoom(s, group)) return refuse_With("output too large");
        uint8_t* d = s->chunk + s->pos;
        uint64_t v = Peek64(in, n, pos);
        if (codec == CODEC_FREQ) {
            int c = (int)(v & 3);
            d[0] = table[(v >> 2) & ((1u << (2 * c + 2)) - 1)];
            pos += 2 * c + 4;
        } else {
            int k = (int)(v & 7) + 1;
            uint64_t mask = (1u << k) - 1;
            v >>= 3;
            d[0] = table[v & mask];
            d[1] = table[(v >> k) & mask];
            if (group == 4) {
                d[2] = table[(v >> (2 * k)) & mask];
                d[3] = table[(v >> (3 * k)) & mask];
            }
            pos += group * k + 3;
        }
        s->pos += group;
    }
    return SinkFinish(s);
}

Kv5Sink BufferSink(uint8_t* out, size_t cap) { return Kv5Sink{out, 0, cap, 0, nullptr, nullptr}; }

int IsFreqCodec(int codec) {
    return codec == CODEC_FREQ || codec == CODEC_FREQ_PAIR || codec == CODEC_FREQ_QUAD;
}

}  // namespace

int kv5_IsDecodable(int codec) {
    return codec == CODEC_RLE || codec == CODEC_DELTA_NIBBLE || codec == CODEC_DELTA_BITS ||
           IsFreqCodec(codec);
}

void kv5_FrequencyTable(const uint8_t* in, size_t n, uint8_t table[256]) {
    uint32_t hist[256];
    uint8_t rank[256];
    Histogram(in, n, hist);
    RankTable(hist, table, rank);
}

size_t kv5_EncodeReference(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
    if (!out) return 0;
    if (codec == CODEC_RLE) return RleEncodeRef(in, n, out, cap);
    if (codec == CODEC_DELTA_NIBBLE) return DeltaEncodeRef(in, n, out, cap);
    if (IsFreqCodec(codec)) return FreqEncode(codec, in, n, out, cap);
    return 0;
}

size_t kv5_Encode(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
    if (!out) return 0;
    if (eng_ReferenceForced()) return kv5_EncodeReference(codec, in, n, out, cap);
    if (codec == CODEC_RLE) return RleParse(in, n, out, EncodeLimit(n, cap));
    if (codec == CODEC_DELTA_NIBBLE) return DeltaParse(in, n, out, EncodeLimit(n, cap));
    if (IsFreqCodec(codec)) return FreqEncode(codec, in, n, out, cap);
    return 0;
}

size_t kv5_EncodedSize(int codec, const uint8_t* in, size_t n) {
    const size_t limit = n + GIVE_UP_SLACK;
    if (codec == CODEC_RLE) return RleParse(in, n, nullptr, limit);
    if (codec == CODEC_DELTA_NIBBLE) return DeltaParse(in, n, nullptr, limit);
    if (!IsFreqCodec(codec)) return 0;
    FreqSizes s = MeasureFreq(in, n);
    return codec == CODEC_FREQ ? s.freq : codec == CODEC_FREQ_PAIR ? s.pair : s.quad;
}

size_t kv5_DecodeReferenceToSink(int codec, const uint8_t* in, size_t n, Kv5Sink* sink) {
    if (!in || !sink) return refuse_With("no data");
    if (IsFreqCodec(codec)) return FreqDecodeRef(codec, in, n, sink);
    if (codec == CODEC_RLE) return ItemDecode(in, n, sink, RUN_REPEAT);
    if (codec == CODEC_DELTA_NIBBLE) return ItemDecode(in, n, sink, RUN_DELTA_REFERENCE);
    if (codec == CODEC_DELTA_BITS) return DeltaBitsDecode(in, n, sink);
    return refuse_With("unknown codec");
}

size_t kv5_DecodeToSink(int codec, const uint8_t* in, size_t n, Kv5Sink* sink) {
    if (!in || !sink) return refuse_With("no data");
    if (eng_ReferenceForced()) return kv5_DecodeReferenceToSink(codec, in, n, sink);
    if (IsFreqCodec(codec)) return FreqDecodeFast(codec, in, n, sink);
    if (codec == CODEC_DELTA_NIBBLE) return ItemDecode(in, n, sink, RUN_DELTA_FAST);
    return kv5_DecodeReferenceToSink(codec, in, n, sink);
}

size_t kv5_DecodeReference(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
    if (!out) return 0;
    Kv5Sink s = BufferSink(out, cap);
    return kv5_DecodeReferenceToSink(codec, in, n, &s);
}

size_t kv5_Decode(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
    if (!out) return 0;
    Kv5Sink s = BufferSink(out, cap);
    return kv5_DecodeToSink(codec, in, n, &s);
}
size_t kv5_Compress(int level, uint8_t* buf[2], size_t capacity, size_t length, int* which,
                    uint8_t codecs[KV5_MAX_PASSES]) {
    std::memset(codecs, 0, KV5_MAX_PASSES);
    *which = 0;
    level &= 3;
    if (level == 0) return length;
    const double factor = level == 1 ? 0.6 : level == 2 ? 0.9 : 0.99999;
    // Trial order; equal lengths keep the earlier codec.
    int trial[5] = {CODEC_RLE, CODEC_DELTA_NIBBLE, CODEC_FREQ_QUAD, 0, 0};
    int trials = 3;
    if (factor > 0.8) {
        trial[2] = CODEC_FREQ;
        trial[3] = CODEC_FREQ_PAIR;
        trial[4] = CODEC_FREQ_QUAD;
        trials = 5;
    }
    int cur = 0;
    size_t n = length;
    for (int pass = 0; pass < KV5_MAX_PASSES; pass++) {
        const uint8_t* in = buf[cur];
        uint8_t* spare = buf[1 - cur];
        size_t size[5] = {0, 0, 0, 0, 0};
        if (eng_ReferenceForced()) {
            for (int t = 0; t < trials; t++) size[t] = kv5_EncodeReference(trial[t], in, n, spare, capacity);
        } else {
            size[0] = kv5_EncodedSize(CODEC_RLE, in, n);
            size[1] = kv5_EncodedSize(CODEC_DELTA_NIBBLE, in, n);
            FreqSizes f = MeasureFreq(in, n);
            for (int t = 2; t < trials; t++)
                size[t] = trial[t] == CODEC_FREQ ? f.freq : trial[t] == CODEC_FREQ_PAIR ? f.pair : f.quad;
        }
        size_t best = 2 * n;
        int codec = 0;
        for (int t = 0; t < trials; t++)
            if (size[t] && size[t] < best) {
                best = size[t];
                codec = trial[t];
            }
        size_t threshold = (size_t)((double)n * factor);
        if (best >= threshold) break;
        size_t got = kv5_Encode(codec, in, n, spare, capacity);
        assert(got == best);  // the trial and the encoder agree
        if (got != best) break;
        codecs[pass] = (uint8_t)codec;
        cur = 1 - cur;
        n = got;
    }
    *which = cur;
    return n;
}
