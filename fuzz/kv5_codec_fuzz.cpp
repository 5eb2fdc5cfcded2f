// Fuzzes every KV5 decoder on arbitrary streams and output sizes: the fast and the
// reference decoders must agree byte for byte, and the encoders must round-trip the
// same bytes taken as plain data (fast and reference encoders giving one stream).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "formats/kv5_codec.h"

namespace {
const int DECODERS[] = {CODEC_RLE, CODEC_DELTA_NIBBLE, CODEC_FREQ, CODEC_DELTA_BITS, CODEC_FREQ_QUAD,
                        CODEC_FREQ_PAIR};
const int ENCODERS[] = {CODEC_RLE, CODEC_DELTA_NIBBLE, CODEC_FREQ, CODEC_FREQ_QUAD, CODEC_FREQ_PAIR};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int codec = DECODERS[data[0] % 6];
    // Up to 16 KB of output: every decoder's paths show within a few thousand bytes, and
    // larger outputs only slow each run down.
    const size_t cap = (((size_t)data[1] << 8 | data[2]) & 0xFFF) * 4;
    data += 3;
    size -= 3;
    std::vector<uint8_t> a(cap + 1), b(cap + 1);
    size_t na = kv5_Decode(codec, data, size, a.data(), cap);
    size_t nb = kv5_DecodeReference(codec, data, size, b.data(), cap);
    if (na != nb || na > cap || std::memcmp(a.data(), b.data(), na) != 0) std::abort();

    if (size == 0) return 0;
    const int enc = ENCODERS[data[size - 1] % 5];
    std::vector<uint8_t> e(size + 64), r(size + 64), back(size + 64);
    size_t ne = kv5_Encode(enc, data, size, e.data(), e.size());
    size_t nr = kv5_EncodeReference(enc, data, size, r.data(), r.size());
    if (ne != nr || std::memcmp(e.data(), r.data(), ne) != 0) std::abort();
    if (ne != kv5_EncodedSize(enc, data, size)) std::abort();
    if (ne) {
        size_t nd = kv5_Decode(enc, e.data(), ne, back.data(), back.size());
        if (nd < size || std::memcmp(back.data(), data, size) != 0) std::abort();
    }
    return 0;
}
