// KV5 coders: the worked examples, hand-built streams for every item kind (also through
// a flushing window), decoder refusals, round trips of every encoder on varied data
// (fast against reference), and the driver's choices pinned on both paths.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <random>
#include "engine/engine.h"
#include "support/format_support.h"

using namespace ftest;

namespace {

const int ENCODERS[] = {CODEC_RLE, CODEC_DELTA_NIBBLE, CODEC_FREQ, CODEC_FREQ_PAIR, CODEC_FREQ_QUAD};

Bytes Encode(int codec, const Bytes& in, int ref = 0) {
    Bytes out(in.size() + 64);
    out.resize((ref ? kv5_EncodeReference : kv5_Encode)(codec, in.data(), in.size(), out.data(), out.size()));
    return out;
}
// Decodes into a buffer of `cap` bytes; empty on failure.
Bytes Decode(int codec, const Bytes& in, size_t cap = 1 << 20, int ref = 0) {
    Bytes out(cap);
    out.resize((ref ? kv5_DecodeReference : kv5_Decode)(codec, in.data(), in.size(), out.data(), cap));
    return out;
}
Bytes U32(uint32_t v) { return {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)}; }
Bytes Ramp(size_t n, int start = 0, int step = 1) {
    Bytes r(n);
    for (size_t i = 0; i < n; i++) r[i] = (uint8_t)(start + (int)i * step);
    return r;
}
// A 256-byte table in which rank r holds value 255 - r.
Bytes ReverseTable() { return Ramp(256, 255, -1); }

// Little-endian bit packer for hand-built frequency streams: (value, width) pairs.
struct Bits {
    Bytes bytes;
    size_t pos = 0;
    Bits& Put(std::initializer_list<std::pair<uint32_t, int>> fields) {
        for (auto [v, n] : fields)
            for (int i = 0; i < n; i++, pos++) {
                if (pos / 8 >= bytes.size()) bytes.push_back(0);
                if (v >> i & 1) bytes[pos / 8] |= (uint8_t)(1 << (pos % 8));
            }
        return *this;
    }
};

// Data shapes a plane of a real image takes, plus pure noise and tiny lengths.
std::vector<Bytes> Samples() {
    std::mt19937 rng(1234);
    std::vector<Bytes> s;
    for (size_t n = 0; n <= 20; n++) {
        Bytes b(n);
        for (auto& v : b) v = (uint8_t)(rng() % 3);
        s.push_back(b);
    }
    Bytes noise(5000), mixed, longNoise(0x20000 + 100);
    for (auto& v : noise) v = (uint8_t)rng();
    while (mixed.size() < 40000) {
        Bytes piece;
        switch (rng() % 5) {
        case 0: piece = Bytes(1 + rng() % 300, (uint8_t)rng()); break;
        case 1: piece = Ramp(1 + rng() % 400, (int)(rng() % 256), (int)(rng() % 15) - 7); break;
        case 2: for (int i = rng() % 50; i >= 0; i--) piece.push_back((uint8_t)rng()); break;
        case 3: for (uint8_t v = (uint8_t)rng(), i = rng() % 200; i; i--) piece.push_back(v = (uint8_t)(v + rng() % 9 - 4)); break;
        default: for (int i = rng() % 9; i >= 0; i--) piece.push_back((uint8_t)(rng() % 2 ? 0 : 255));
        }
        mixed.insert(mixed.end(), piece.begin(), piece.end());
    }
    for (auto& v : longNoise) v = (uint8_t)(rng() & 0xF0);
    // The last three span past the longest item an encoder writes (0x20000).
    s.insert(s.end(), {noise, mixed, Bytes(0x20000 + 777, 9), Ramp(0x20000 + 555), longNoise});
    return s;
}

// A sink that takes at most `limit` bytes in windows of 7, keeping what it was given.
struct Collect {
    Bytes got;
    size_t limit;
};
int CollectFlush(Kv5Sink* s) {
    Collect* c = (Collect*)s->user;
    if (s->pos > c->limit - s->flushed) return 0;
    c->got.insert(c->got.end(), s->chunk, s->chunk + s->pos);
    s->flushed += s->pos;
    s->pos = 0;
    return 1;
}

}  // namespace

TEST(Kv5Codec, WorkedExamples) {
    EXPECT_EQ(Encode(CODEC_RLE, Bytes(200, 0x5A)), Cat({{0x80}, U32(200), {0x5A, 0}}));
    EXPECT_EQ(Encode(CODEC_RLE, Bytes(5, 7)), Bytes({0x84, 7, 0}));
    Bytes packed = Bytes(50, 0x88);
    packed.back() = 0x08;  // the unused last high nibble is written as 0
    EXPECT_EQ(Encode(CODEC_DELTA_NIBBLE, Ramp(100)), Cat({{0xE3, 0}, packed, {0}}));
    EXPECT_EQ(Encode(CODEC_DELTA_NIBBLE, {}), Bytes({0}));
    EXPECT_EQ(Encode(CODEC_RLE, {}), Bytes({0}));
    // One or two bytes left: the literal still carries three, zero-padded.
    EXPECT_EQ(Encode(CODEC_RLE, {9}), Bytes({2, 9, 0, 0, 0}));
    EXPECT_EQ(Encode(CODEC_RLE, {1, 2, 7, 7, 7, 7, 7, 3, 4}), Bytes({2, 1, 2, 7, 0x83, 7, 2, 3, 4, 0, 0}));
    // Most frequent first; ties (1 and 9, then the absent values) by ascending value.
    Bytes in = {5, 5, 5, 9, 9, 1, 1, 200}, t(256);
    kv5_FrequencyTable(in.data(), in.size(), t.data());
    EXPECT_EQ(Bytes(t.begin(), t.begin() + 6), Bytes({5, 1, 9, 200, 0, 2}));
    EXPECT_EQ(t[255], 255);
}

TEST(Kv5Codec, HandBuiltStreamsDecode) {
    const Bytes table = ReverseTable();
    // Delta bits: +1 (w 1), -3 (w 2), +15 (w 4), -0 (w 1) -- 22 bits in 3 bytes.
    Bits bits;
    bits.Put({{0, 2}, {0, 1}, {1, 1}, {1, 2}, {1, 1}, {3, 2}, {3, 2}, {0, 1}, {15, 4}, {0, 2}, {1, 1}, {0, 1}});
    // Frequency codes of ranks 0, 3, 4, 15, 16, 63, 64, 255: 56 bits, no spare code.
    Bits freq;
    const int ranks[] = {0, 3, 4, 15, 16, 63, 64, 255};
    for (int r : ranks) {
        int c = r < 4 ? 0 : r < 16 ? 1 : r < 64 ? 2 : 3;
        freq.Put({{(uint32_t)c, 2}, {(uint32_t)r, 2 * c + 2}});
    }
    // Pairs (0,0) k 1, (2,1) k 2, (200,7) k 8: 31 bits, the spare one starts a pair of rank 0 twice.
    Bits pair;
    pair.Put({{0, 3}, {0, 1}, {0, 1}, {1, 3}, {2, 2}, {1, 2}, {7, 3}, {200, 8}, {7, 8}});
    // Quads (1,0,3,2) k 2, (128,0,0,255) k 8: 46 bits; the 2 spare read as a k-1 group of rank 0.
    Bits quad;
    quad.Put({{1, 3}, {1, 2}, {0, 2}, {3, 2}, {2, 2}, {7, 3}, {128, 8}, {0, 8}, {0, 8}, {255, 8}});
    struct Case {
        const char* what;
        int codec;
        Bytes stream, want;
    } cases[] = {
        {"literals, runs, end item", CODEC_RLE,
         Cat({{2, 10, 11, 12}, {1}, U32(4), {1, 2, 3, 4}, {0x81, 6}, {0x80}, U32(300), {0xEE},
              {1, 0, 0, 0, 1} /* count >= 2^24: 2 bytes */, {0, 99, 99}}),
         Cat({{10, 11, 12, 1, 2, 3, 4, 6, 6}, Bytes(300, 0xEE), {0, 0}})},
        {"no end item", CODEC_RLE, {0x83, 4}, Bytes(4, 4)},
        {"delta literal", CODEC_DELTA_NIBBLE, Cat({{1}, U32(2), {8, 9, 0}}), {8, 9}},
        // Odd count 5: 4 nibbles in 2 bytes; even count 4: 3 nibbles, the last high one unused.
        {"delta odd run", CODEC_DELTA_NIBBLE, {0x84, 100, 0xE0, 0xE8, 0}, {100, 93, 100, 101, 108}},
        {"delta even run", CODEC_DELTA_NIBBLE, {0x83, 0, 0x86, 0xF9, 0}, {0, 255, 0, 2}},
        {"delta long run", CODEC_DELTA_NIBBLE, Cat({{0x80}, U32(300), {50}, Bytes(150, 0x77)}), Bytes(300, 50)},
        {"delta bits", CODEC_DELTA_BITS, Cat({{0x02, 1, 2, 3}, {0xC5}, {0x44, 250}, bits.bytes, {0x01, 7, 8, 0, 5}}),
         {1, 2, 3, 250, 251, 248, 7, 7, 7, 8}},
        {"frequency", CODEC_FREQ, Cat({table, freq.bytes}), {255, 252, 251, 240, 239, 192, 191, 0}},
        {"pairs", CODEC_FREQ_PAIR, Cat({table, pair.bytes}), {255, 255, 253, 254, 55, 248, 255, 255}},
        {"quads", CODEC_FREQ_QUAD, Cat({table, quad.bytes}), {254, 255, 252, 253, 127, 255, 255, 0, 255, 255, 255, 255}},
    };
    // Both paths agree, also through a sink flushing windows of 7 into a limit of 37.
    for (const Case& c : cases)
        for (size_t cap : {(size_t)1 << 20, (size_t)37}) {
            Bytes want = Decode(c.codec, c.stream, cap);
            ASSERT_EQ(Decode(c.codec, c.stream, cap, 1), want) << c.what;
            if (cap > 37) {
                EXPECT_EQ(want, c.want) << c.what;
            }
            uint8_t window[7];
            Collect got{{}, cap};
            Kv5Sink sink{window, 0, sizeof window, 0, CollectFlush, &got};
            ASSERT_EQ(kv5_DecodeToSink(c.codec, c.stream.data(), c.stream.size(), &sink), want.size()) << c.what;
            if (!want.empty()) {
                EXPECT_EQ(got.got, want) << c.what;
            }
        }
}

TEST(Kv5Codec, DecodersRefuseInsteadOfOverrunning) {
    const Bytes table = ReverseTable();
    struct Case {
        int codec;
        Bytes stream;
        size_t cap;
        const char* reason;
    } cases[] = {
        {CODEC_RLE, {5, 1, 2}, 1000, "truncated item"},
        {CODEC_RLE, {1, 5, 0}, 1000, "truncated item"},
        {CODEC_RLE, {0x80, 1, 0, 0}, 1000, "truncated item"},
        {CODEC_DELTA_NIBBLE, {0x85, 1, 0x77}, 1000, "truncated item"},
        {CODEC_DELTA_BITS, {0x45, 1, 0xFF}, 1000, "truncated item"},
        {CODEC_DELTA_BITS, {0x10, 1, 2}, 1000, "truncated item"},
        {CODEC_RLE, Cat({{0x80}, U32(0xFFFFFFFFu), {1}}), 1000, "output too large"},
        {CODEC_RLE, {0x83, 1}, 3, "output too large"},
        {CODEC_DELTA_NIBBLE, Cat({{0x80}, U32(40), {0}, Bytes(20, 0x77)}), 39, "output too large"},
        {CODEC_DELTA_BITS, {0x03, 1, 2, 3, 4}, 3, "output too large"},
        {CODEC_FREQ, table, 1000, "no frequency codes"},
        {CODEC_FREQ_PAIR, table, 1000, "no frequency codes"},
        {CODEC_FREQ_QUAD, table, 1000, "no frequency codes"},
        {CODEC_FREQ_PAIR, Cat({table, {0}}), 1, "output too large"},
        {CODEC_FREQ_QUAD, Cat({table, {0}}), 3, "output too large"},
        {CODEC_RLE, {0}, 1000, "empty stream"},
        {CODEC_DELTA_NIBBLE, {}, 1000, "no data"},
        {4, {2, 1, 2, 3}, 1000, "unknown codec"},
    };
    for (const Case& c : cases)
        for (int ref = 0; ref <= 1; ref++) {
            refuse_Clear();
            EXPECT_TRUE(Decode(c.codec, c.stream, c.cap, ref).empty()) << c.codec << " " << c.reason;
            EXPECT_STREQ(refuse_Reason(), c.reason) << c.codec << " reference " << ref;
        }
    EXPECT_EQ(Decode(CODEC_RLE, {0x83, 1}, 4), Bytes(4, 1));  // exactly the room it needs
}

TEST(Kv5Codec, EveryEncoderRoundTripsAndAgreesWithItsReference) {
    for (const Bytes& in : Samples()) {
        for (int codec : ENCODERS) {
            SCOPED_TRACE(testing::Message() << "codec " << codec << " length " << in.size());
            Bytes fast = Encode(codec, in);
            ASSERT_EQ(fast, Encode(codec, in, 1));
            ASSERT_EQ(kv5_EncodedSize(codec, in.data(), in.size()), fast.size());
            if (fast.empty()) {  // gave up: never more than 16 bytes of growth
                Bytes big(in.size() + 2000);
                EXPECT_EQ(kv5_EncodeReference(codec, in.data(), in.size(), big.data(), big.size()), 0u);
                continue;
            }
            EXPECT_LE(fast.size(), in.size() + 16);
            Bytes cut(fast.size() - 1);  // one byte short of room: given up, not overrun
            EXPECT_EQ(kv5_Encode(codec, in.data(), in.size(), cut.data(), cut.size()), 0u);
            Bytes back = Decode(codec, fast, in.size() + 64);
            ASSERT_EQ(back, Decode(codec, fast, in.size() + 64, 1));
            // Decoders may give a few bytes beyond (padding, spare bits), never fewer.
            ASSERT_GE(back.size(), in.size());
            EXPECT_LE(back.size(), in.size() + 8);
            EXPECT_TRUE(std::equal(in.begin(), in.end(), back.begin()));
        }
    }
}

namespace {
// A smooth, noisy surface of three planes, as a photograph gives.
Bytes PhotoPlanes(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes planes;
    for (int p = 0; p < 3; p++)
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                int v = 128 + (int)(90 * std::sin((x + 3 * p) / 23.0) * std::cos(y / 17.0)) + (int)(rng() % 5) - 2;
                planes.push_back((uint8_t)std::clamp(v, 0, 255));
            }
    return planes;
}

struct Compressed {
    std::vector<int> codecs;
    size_t size;
    uint32_t hash;
};
Compressed Compress(int level, const Bytes& in) {
    size_t cap = in.size() * 2 + 64;
    Bytes a(cap), b(cap);
    std::copy(in.begin(), in.end(), a.begin());
    uint8_t* buf[2] = {a.data(), b.data()};
    uint8_t codecs[15];
    int which;
    size_t n = kv5_Compress(level, buf, cap, in.size(), &which, codecs);
    Compressed r{{}, n, Fnv(buf[which], n)};
    for (uint8_t c : codecs)
        if (c) r.codecs.push_back(c);
    return r;
}

}  // namespace

TEST(Kv5Codec, DriverChoicesArePinnedOnBothPaths) {
    // The codecs each level takes for a photograph-like plane set, a ramp between flat
    // stretches, a skewed histogram (pairs beat quads, which level 1 alone may use), and
    // noise before zeros that one pass shrinks to just below or just above the level's
    // factor (0.9, 0.6).
    std::mt19937 rng(12);
    Bytes skewed(6000), noise(9000);
    for (auto& v : skewed) v = (uint8_t)(rng() % 2 ? 0 : rng() % 3 ? 1 : 2 + rng() % 80);
    for (auto& v : noise) v = (uint8_t)rng();
    auto noiseThenZeros = [&](size_t n, size_t zeros) { return Cat({Bytes(noise.begin(), noise.begin() + n), Bytes(zeros, 0)}); };
    const Bytes inputs[] = {PhotoPlanes(160, 120, 3), Cat({Bytes(3000, 0), Ramp(3000, 0, 2), Bytes(3000, 255)}), skewed,
                            noiseThenZeros(9000, 958), noiseThenZeros(9000, 1069), noiseThenZeros(6000, 3937),
                            noiseThenZeros(6000, 4104)};
    struct Pin {
        int input, level;
        std::vector<int> codecs;
        size_t size;
        uint32_t hash;
    };
    const Pin pins[] = {
        {0, 2, {2}, 31268, 0xEA9153CB},          {0, 3, {2, 19}, 30096, 0x09867804},
        {1, 1, {1, 2, 1}, 166, 0x9D960DCA},      {2, 1, {19}, 3240, 0x9D024DF5},
        {2, 2, {35}, 3077, 0x369401A2},          {2, 3, {35, 2, 1, 3}, 2892, 0x84255E08},
        {3, 2, {}, 9958, 0xA95ED3FC},            {4, 2, {1}, 9012, 0x1732115D},
        {5, 1, {}, 9937, 0x92D7B95F},            {6, 1, {1}, 6012, 0x73A6F87B},
    };
    for (int ref = 0; ref <= 1; ref++) {
        eng_ForceReference(ref);
        for (const Pin& p : pins) {
            Compressed c = Compress(p.level, inputs[p.input]);
            SCOPED_TRACE(testing::Message() << "input " << p.input << " level " << p.level << " reference " << ref);
            EXPECT_EQ(c.codecs, p.codecs);
            EXPECT_EQ(c.size, p.size);
            EXPECT_EQ(c.hash, p.hash);
        }
    }
    eng_ForceReference(0);
}
