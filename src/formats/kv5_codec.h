// kv5_codec.h — the reversible byte coders of the KV5 pixel stream and the greedy
// compression driver that chains them.
//
// Owns: the codec identifiers and their stream formats; one switch that forces the
// plain reference implementations (every fast path must give the same bytes).
// Every coder works memory to memory, reads only [in, in + n) and writes only
// [out, out + cap). Encoders return the output length, or 0 when they gave up: the
// output would be longer than n + 16 bytes (such a result is never chosen) or than
// cap. Decoders return the bytes produced; 0 means failure — a malformed item, an
// item that needs bytes past the input, or output that would pass cap.
//
// Shared conventions: u32 values little-endian; bit streams little-endian (bit b is
// bit b % 8 of byte b / 8; a field stored at bit b has its lowest bit there).
//
// CODEC_RLE (1) and CODEC_DELTA_NIBBLE (2): items, ended by a 0 byte.
//   b = 2..127          literal: b + 1 bytes follow (3..128)
//   b = 1, u32 c        literal of c bytes when c < 2^24 (else b = 1 is a 2-byte literal
//                       without count)
//   RLE   b = 0x81..FF  run: (b & 0x7F) + 1 copies of the next byte
//   RLE   b = 0x80      u32 c, byte: run of c copies
//   DELTA b = 0x81..FF  c = (b & 0x7F) + 1; b = 0x80: u32 c. Then the first value,
//                       then c / 2 bytes of nibbles (low first); c - 1 of them are used,
//                       each giving next = previous + nibble - 7 (mod 256)
// CODEC_FREQ (3), CODEC_FREQ_PAIR (35), CODEC_FREQ_QUAD (19): a 256-byte table
//   (byte r = the value of frequency rank r: most frequent first, ties to the lower
//   value) followed, from bit 2048, by codes of ranks:
//   FREQ  class c (2 bits) then the rank in 2c + 2 bits; c = floor(log2 r) / 2
//   PAIR  k - 1 (3 bits), r0 (k bits), r1 (k bits); k = bit length of max(r0, r1), >= 1
//   QUAD  as PAIR with four ranks (4k + 3 bits)
//   Groups that run past the input's end take byte 0. Decoding continues while the
//   bit position is below 8 * length, so spare bits may yield a few extra bytes.
// CODEC_DELTA_BITS (5, decoder only): items until the input ends or a 0 byte:
//   b = 1..0x3F     literal of (b & 0x3F) + 1 bytes
//   b = 0x40..0x7F  first value, then b & 0x3F difference codes as a bit stream from
//                   the next byte: w - 1 (2 bits), sign (1 bit, set = subtract),
//                   magnitude (w bits); then the input moves on by whole bytes
//   b = 0x80..0xFF  ignored
#pragma once
#include <cstddef>
#include <cstdint>

const int CODEC_RLE = 1;
const int CODEC_DELTA_NIBBLE = 2;
const int CODEC_FREQ = 3;
const int CODEC_DELTA_BITS = 5;
const int CODEC_FREQ_QUAD = 19;
const int CODEC_FREQ_PAIR = 35;
const int CODEC_PASSWORD = 255;

// Passes of the driver = slots of the header's codec list it may fill.
const int KV5_MAX_PASSES = 15;

// The engine's reference switch (eng_ForceReference) forces the reference paths
// everywhere here (encoders, trial sizes, decoders, the palette search of the writer).

// 1 for the identifiers a decoder exists for (1, 2, 3, 5, 19, 35); 255 is not a codec
// here but the password layer.
int kv5_IsDecodable(int codec);

size_t kv5_Encode(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap);
size_t kv5_Decode(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap);
// The length kv5_Encode would return with unlimited room, without writing anything.
size_t kv5_EncodedSize(int codec, const uint8_t* in, size_t n);

// Where a decoder's output goes: a window of `size` bytes at `chunk`, `pos` of them
// used. When the window is full the decoder calls flush, which takes the bytes, adds
// pos to `flushed` and sets pos to 0 — or returns 0 to refuse more output. Without
// flush the sink is a plain buffer of `size` bytes. A decoder hands over its last
// window before returning the total (flushed + pos); on failure the sink may have
// taken part of the output. A flushing window holds at least 4 bytes.
struct Kv5Sink {
    uint8_t* chunk;
    size_t pos;
    size_t size;
    size_t flushed;
    int (*flush)(Kv5Sink* sink);
    void* user;
};
size_t kv5_DecodeToSink(int codec, const uint8_t* in, size_t n, Kv5Sink* sink);

// The reference implementations, reachable directly for the agreement tests.
size_t kv5_DecodeReferenceToSink(int codec, const uint8_t* in, size_t n, Kv5Sink* sink);
size_t kv5_EncodeReference(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap);
size_t kv5_DecodeReference(int codec, const uint8_t* in, size_t n, uint8_t* out, size_t cap);

// Frequency table of a byte stream: table[r] = value of rank r.
void kv5_FrequencyTable(const uint8_t* in, size_t n, uint8_t table[256]);

// The greedy driver. buf[0] holds `length` bytes; both buffers hold `capacity`
// bytes. Level (low 2 bits used): 0 none, 1 accepts only savings above 40 %, 2 the
// standard, 3 almost any saving. Fills codecs[0..14] in application order (0 = empty)
// and *which with the index of the buffer that holds the result; returns its length.
size_t kv5_Compress(int level, uint8_t* buf[2], size_t capacity, size_t length, int* which,
                    uint8_t codecs[KV5_MAX_PASSES]);
