// KV5 coders: the worked examples, hand-built streams for every item kind, decoder
// refusals, round trips of every encoder on varied data, fast paths against the
// reference ones, and the driver's choices checked pass by pass against the reference.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <random>
#include <vector>
#include "formats/kv5_codec.h"

namespace {

typedef std::vector<uint8_t> Bytes;

const int ENCODERS[] = {CODEC_RLE, CODEC_DELTA_NIBBLE, CODEC_FREQ, CODEC_FREQ_PAIR, CODEC_FREQ_QUAD};

Bytes Encode(int codec, const Bytes& in) {
    Bytes out(in.size() + 64);
    size_t n = kv5_Encode(codec, in.data(), in.size(), out.data(), out.size());
    out.resize(n);
    return out;
}

// Decodes into a buffer of `cap` bytes; empty on failure.
Bytes Decode(int codec, const Bytes& in, size_t cap = 1 << 20) {
    Bytes out(cap);
    size_t n = kv5_Decode(codec, in.data(), in.size(), out.data(), cap);
    out.resize(n);
    return out;
}

Bytes DecodeRef(int codec, const Bytes& in, size_t cap = 1 << 20) {
    Bytes out(cap);
    size_t n = kv5_DecodeReference(codec, in.data(), in.size(), out.data(), cap);
    out.resize(n);
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes r;
    for (const Bytes& p : parts) r.insert(r.end(), p.begin(), p.end());
    return r;
}
Bytes U32(uint32_t v) { return {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)}; }
Bytes Fill(size_t n, uint8_t v) { return Bytes(n, v); }
Bytes Ramp(size_t n, int start = 0, int step = 1) {
    Bytes r(n);
    for (size_t i = 0; i < n; i++) r[i] = (uint8_t)(start + (int)i * step);
    return r;
}
// A 256-byte table in which rank r holds value 255 - r.
Bytes ReverseTable() {
    Bytes t(256);
    for (int r = 0; r < 256; r++) t[r] = (uint8_t)(255 - r);
    return t;
}

// Little-endian bit packer for hand-built frequency streams.
struct Bits {
    Bytes bytes;
    size_t pos = 0;
    void Put(uint32_t v, int n) {
        for (int i = 0; i < n; i++, pos++) {
            if (pos / 8 >= bytes.size()) bytes.push_back(0);
            if (v >> i & 1) bytes[pos / 8] |= (uint8_t)(1 << (pos % 8));
        }
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
    Bytes noise(5000);
    for (auto& v : noise) v = (uint8_t)rng();
    s.push_back(noise);
    Bytes mixed;
    while (mixed.size() < 40000) {
        switch (rng() % 5) {
        case 0: { Bytes f = Fill(1 + rng() % 300, (uint8_t)rng()); mixed.insert(mixed.end(), f.begin(), f.end()); break; }
        case 1: { Bytes r = Ramp(1 + rng() % 400, (int)(rng() % 256), (int)(rng() % 15) - 7); mixed.insert(mixed.end(), r.begin(), r.end()); break; }
        case 2: for (int i = rng() % 50; i >= 0; i--) mixed.push_back((uint8_t)rng()); break;
        case 3: { uint8_t v = (uint8_t)rng(); for (int i = rng() % 200; i >= 0; i--) { v = (uint8_t)(v + (int)(rng() % 9) - 4); mixed.push_back(v); } break; }
        default: for (int i = rng() % 9; i >= 0; i--) mixed.push_back((uint8_t)(rng() % 2 ? 0 : 255));
        }
    }
    s.push_back(mixed);
    // Spans past the longest item an encoder writes (0x20000).
    s.push_back(Fill(0x20000 + 777, 9));
    s.push_back(Ramp(0x20000 + 555, 0, 1));
    Bytes longNoise(0x20000 + 100);
    for (auto& v : longNoise) v = (uint8_t)(rng() & 0xF0);
    s.push_back(longNoise);
    return s;
}

struct ReferenceSwitch {
    explicit ReferenceSwitch(int on) { kv5_SetReferencePath(on); }
    ~ReferenceSwitch() { kv5_SetReferencePath(0); }
};

}  // namespace

TEST(Kv5Codec, WorkedExamples) {
    Bytes b200 = Fill(200, 0x5A);
    EXPECT_EQ(Encode(CODEC_RLE, b200), Cat({{0x80}, U32(200), {0x5A, 0}}));
    EXPECT_EQ(Encode(CODEC_RLE, Fill(5, 7)), Bytes({0x84, 7, 0}));

    Bytes packed = Fill(50, 0x88);
    packed.back() = 0x08;  // the unused last high nibble is written as 0
    EXPECT_EQ(Encode(CODEC_DELTA_NIBBLE, Ramp(100)), Cat({{0xE3, 0}, packed, {0}}));
    EXPECT_EQ(Decode(CODEC_DELTA_NIBBLE, Cat({{0xE3, 0}, packed, {0}})), Ramp(100));

    EXPECT_EQ(Encode(CODEC_DELTA_NIBBLE, {}), Bytes({0}));
    EXPECT_EQ(Encode(CODEC_RLE, {}), Bytes({0}));
    // One or two bytes left: the literal still carries three, zero-padded.
    EXPECT_EQ(Encode(CODEC_RLE, {9}), Bytes({2, 9, 0, 0, 0}));
    EXPECT_EQ(Encode(CODEC_RLE, {1, 2, 7, 7, 7, 7, 7, 3, 4}), Bytes({2, 1, 2, 7, 0x83, 7, 2, 3, 4, 0, 0}));
}

TEST(Kv5Codec, FrequencyTableOrdersByCountThenValue) {
    Bytes in = {5, 5, 5, 9, 9, 1, 1, 200};
    uint8_t t[256];
    kv5_FrequencyTable(in.data(), in.size(), t);
    EXPECT_EQ(t[0], 5);
    EXPECT_EQ(t[1], 1);  // 1 and 9 tie: the lower value first
    EXPECT_EQ(t[2], 9);
    EXPECT_EQ(t[3], 200);
    EXPECT_EQ(t[4], 0);  // absent values in ascending order
    EXPECT_EQ(t[5], 2);
    EXPECT_EQ(t[255], 255);
}

TEST(Kv5Codec, RunLengthItemsDecode) {
    Bytes s = Cat({{2, 10, 11, 12},              // literal of 3
                   {1}, U32(4), {1, 2, 3, 4},    // counted literal
                   {0x81, 6},                    // run of 2
                   {0x80}, U32(300), {0xEE},     // long run
                   {1, 0, 0, 0, 1},              // count >= 2^24: a 2-byte literal
                   {0, 99, 99}});                // the end item stops decoding
    Bytes want = Cat({{10, 11, 12, 1, 2, 3, 4, 6, 6}, Fill(300, 0xEE), {0, 0}});
    EXPECT_EQ(Decode(CODEC_RLE, s), want);
    EXPECT_EQ(Decode(CODEC_RLE, {0x83, 4}), Fill(4, 4));  // no end item: input end stops
    EXPECT_EQ(Decode(CODEC_DELTA_NIBBLE, Cat({{1}, U32(2), {8, 9, 0}})), Bytes({8, 9}));
}

TEST(Kv5Codec, DeltaRunsDecode) {
    // Odd count 5: first value then 4 nibbles in 2 bytes; even count 4: 3 nibbles,
    // the last high nibble unused.
    EXPECT_EQ(Decode(CODEC_DELTA_NIBBLE, {0x84, 100, 0xE0, 0xE8, 0}), Bytes({100, 93, 100, 101, 108}));
    EXPECT_EQ(Decode(CODEC_DELTA_NIBBLE, {0x83, 0, 0x86, 0xF9, 0}), Bytes({0, 255, 0, 2}));
    Bytes longRun = Cat({{0x80}, U32(300), {50}, Fill(150, 0x77)});
    EXPECT_EQ(Decode(CODEC_DELTA_NIBBLE, longRun), Fill(300, 50));
}

TEST(Kv5Codec, DeltaBitsItemsDecode) {
    Bits b;
    // +1 (w 1), -3 (w 2), +15 (w 4), -0 (w 1)
    b.Put(0, 2); b.Put(0, 1); b.Put(1, 1);
    b.Put(1, 2); b.Put(1, 1); b.Put(3, 2);
    b.Put(3, 2); b.Put(0, 1); b.Put(15, 4);
    b.Put(0, 2); b.Put(1, 1); b.Put(0, 1);
    ASSERT_EQ(b.bytes.size(), 3u);  // 22 bits
    Bytes s = Cat({{0x02, 1, 2, 3}, {0xC5}, {0x44, 250}, b.bytes, {0x01, 7, 8, 0, 5}});
    EXPECT_EQ(Decode(CODEC_DELTA_BITS, s), Bytes({1, 2, 3, 250, 251, 248, 7, 7, 7, 8}));
}

TEST(Kv5Codec, FrequencyCodesDecode) {
    Bytes table = ReverseTable();
    Bits f;
    const int ranks[] = {0, 3, 4, 15, 16, 63, 64, 255};
    for (int r : ranks) {
        int c = r < 4 ? 0 : r < 16 ? 1 : r < 64 ? 2 : 3;
        f.Put(c, 2);
        f.Put(r, 2 * c + 2);
    }
    Bytes want;
    for (int r : ranks) want.push_back((uint8_t)(255 - r));
    EXPECT_EQ(Decode(CODEC_FREQ, Cat({table, f.bytes})), want);  // 56 bits: no spare code

    Bits p;  // pairs (0,0) k 1, (2,1) k 2, (200,7) k 8
    p.Put(0, 3); p.Put(0, 1); p.Put(0, 1);
    p.Put(1, 3); p.Put(2, 2); p.Put(1, 2);
    p.Put(7, 3); p.Put(200, 8); p.Put(7, 8);
    ASSERT_EQ(p.pos, 31u);  // the spare bit starts one more pair, of rank 0 twice
    EXPECT_EQ(Decode(CODEC_FREQ_PAIR, Cat({table, p.bytes})), Bytes({255, 255, 253, 254, 55, 248, 255, 255}));

    Bits q;  // (1, 0, 3, 2) k 2, then (128, 0, 0, 255) k 8
    q.Put(1, 3); q.Put(1, 2); q.Put(0, 2); q.Put(3, 2); q.Put(2, 2);
    q.Put(7, 3); q.Put(128, 8); q.Put(0, 8); q.Put(0, 8); q.Put(255, 8);
    ASSERT_EQ(q.pos, 46u);
    // 2 spare bits read as a k-1 field with zeros beyond: one extra group of rank 0.
    EXPECT_EQ(Decode(CODEC_FREQ_QUAD, Cat({table, q.bytes})),
              Bytes({254, 255, 252, 253, 127, 255, 255, 0, 255, 255, 255, 255}));
}

TEST(Kv5Codec, DecodersRefuseInsteadOfOverrunning) {
    // Truncated items.
    EXPECT_TRUE(Decode(CODEC_RLE, {5, 1, 2}).empty());
    EXPECT_TRUE(Decode(CODEC_RLE, {1, 5, 0}).empty());
    EXPECT_TRUE(Decode(CODEC_RLE, {0x80, 1, 0, 0}).empty());
    EXPECT_TRUE(Decode(CODEC_DELTA_NIBBLE, {0x85, 1, 0x77}).empty());
    EXPECT_TRUE(Decode(CODEC_DELTA_BITS, {0x45, 1, 0xFF}).empty());
    EXPECT_TRUE(Decode(CODEC_DELTA_BITS, {0x10, 1, 2}).empty());
    // Output larger than the buffer given.
    EXPECT_TRUE(Decode(CODEC_RLE, Cat({{0x80}, U32(0xFFFFFFFFu), {1}}), 1000).empty());
    EXPECT_TRUE(Decode(CODEC_RLE, {0x83, 1}, 3).empty());
    EXPECT_EQ(Decode(CODEC_RLE, {0x83, 1}, 4), Fill(4, 1));
    EXPECT_TRUE(Decode(CODEC_DELTA_NIBBLE, Cat({{0x80}, U32(40), {0}, Fill(20, 0x77)}), 39).empty());
    // Frequency streams need the table and at least one code.
    Bytes table = ReverseTable();
    for (int c : {CODEC_FREQ, CODEC_FREQ_PAIR, CODEC_FREQ_QUAD}) {
        EXPECT_TRUE(Decode(c, table).empty());
        EXPECT_TRUE(Decode(c, Cat({table, {0}}), 1).empty() || c == CODEC_FREQ);
        EXPECT_FALSE(Decode(c, Cat({table, {0}})).empty());
    }
    // Empty results are failures too.
    EXPECT_TRUE(Decode(CODEC_RLE, {0}).empty());
    EXPECT_TRUE(Decode(CODEC_DELTA_NIBBLE, {}).empty());
    EXPECT_TRUE(Decode(4, {2, 1, 2, 3}).empty());
    EXPECT_EQ(kv5_IsDecodable(4), 0);
    EXPECT_EQ(kv5_IsDecodable(CODEC_DELTA_BITS), 1);
}

TEST(Kv5Codec, EveryEncoderRoundTripsAndAgreesWithItsReference) {
    for (const Bytes& in : Samples()) {
        for (int codec : ENCODERS) {
            SCOPED_TRACE(testing::Message() << "codec " << codec << " length " << in.size());
            Bytes fast = Encode(codec, in);
            Bytes ref(in.size() + 64);
            ref.resize(kv5_EncodeReference(codec, in.data(), in.size(), ref.data(), ref.size()));
            ASSERT_EQ(fast, ref);
            ASSERT_EQ(kv5_EncodedSize(codec, in.data(), in.size()), fast.size());
            if (fast.empty()) {  // gave up: never more than 16 bytes of growth
                Bytes big(in.size() + 2000);
                size_t n = kv5_EncodeReference(codec, in.data(), in.size(), big.data(), big.size());
                EXPECT_EQ(n, 0u);
                continue;
            }
            EXPECT_LE(fast.size(), in.size() + 16);
            Bytes back = Decode(codec, fast, in.size() + 64);
            Bytes backRef = DecodeRef(codec, fast, in.size() + 64);
            ASSERT_EQ(back, backRef);
            // Decoders may give a few bytes beyond (padding, spare bits), never fewer.
            ASSERT_GE(back.size(), in.size());
            EXPECT_LE(back.size(), in.size() + 8);
            EXPECT_TRUE(std::equal(in.begin(), in.end(), back.begin()));
        }
    }
}

TEST(Kv5Codec, OddGroupsDecodeToTheInputAndAFewExtraBytes) {
    std::mt19937 rng(5);
    Bytes in(1001);
    for (auto& v : in) v = (uint8_t)(rng() % 7);
    for (int codec : {CODEC_FREQ_PAIR, CODEC_FREQ_QUAD}) {
        for (size_t n : {997u, 998u, 999u, 1001u}) {
            Bytes part(in.begin(), in.begin() + n);
            Bytes back = Decode(codec, Encode(codec, part));
            ASSERT_GT(back.size(), n);
            EXPECT_TRUE(std::equal(part.begin(), part.end(), back.begin()));
        }
    }
}

TEST(Kv5Codec, CapacityLimitsTheEncoders) {
    Bytes in = Ramp(1000, 0, 3);
    size_t full = kv5_EncodedSize(CODEC_DELTA_NIBBLE, in.data(), in.size());
    ASSERT_GT(full, 0u);
    Bytes out(full);
    EXPECT_EQ(kv5_Encode(CODEC_DELTA_NIBBLE, in.data(), in.size(), out.data(), full), full);
    EXPECT_EQ(kv5_Encode(CODEC_DELTA_NIBBLE, in.data(), in.size(), out.data(), full - 1), 0u);
    // Frequency codes of tiny inputs cannot beat the 256-byte table: given up.
    EXPECT_EQ(kv5_EncodedSize(CODEC_FREQ, in.data(), 100), 0u);
}

namespace {
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

TEST(Kv5Codec, RandomStreamsDecodeAlikeOnBothPaths) {
    std::mt19937 rng(77);
    for (int iter = 0; iter < 3000; iter++) {
        Bytes s(1 + rng() % 600);
        for (auto& v : s) v = (uint8_t)(rng() % 4 == 0 ? rng() % 8 : rng());
        size_t cap = 1 + rng() % 3000;
        for (int codec : {CODEC_RLE, CODEC_DELTA_NIBBLE, CODEC_DELTA_BITS, CODEC_FREQ, CODEC_FREQ_PAIR,
                          CODEC_FREQ_QUAD}) {
            Bytes want = Decode(codec, s, cap);
            ASSERT_EQ(want, DecodeRef(codec, s, cap)) << codec;
            // Through a small flushing window the same bytes come out, and the same refusals.
            uint8_t window[7];
            Collect c{{}, cap};
            Kv5Sink sink{window, 0, sizeof window, 0, CollectFlush, &c};
            size_t total = kv5_DecodeToSink(codec, s.data(), s.size(), &sink);
            ASSERT_EQ(total, want.size()) << codec;
            if (total) {
                ASSERT_EQ(c.got, want) << codec;
            }
        }
    }
}

namespace {

// Replays a compression: for every pass the codec chosen must be the first, in trial
// order, of the smallest reference trials, below the level's threshold; and after the
// last pass no trial may pass the threshold.
void CheckDriver(int level, const Bytes& input) {
    const double f = level == 1 ? 0.6 : level == 2 ? 0.9 : 0.99999;
    std::vector<int> order = level == 1 ? std::vector<int>{1, 2, 19} : std::vector<int>{1, 2, 3, 35, 19};
    size_t cap = input.size() * 2 + 64;
    Bytes a(cap), b(cap);
    std::copy(input.begin(), input.end(), a.begin());
    uint8_t* buf[2] = {a.data(), b.data()};
    uint8_t codecs[15];
    int which;
    size_t n = kv5_Compress(level, buf, cap, input.size(), &which, codecs);
    Bytes cur = input;
    int pass = 0;
    for (;; pass++) {
        size_t best = 2 * cur.size();
        int choice = 0;
        Bytes scratch(cap);
        for (int c : order) {
            size_t len = kv5_EncodeReference(c, cur.data(), cur.size(), scratch.data(), cap);
            if (len && len < best) {
                best = len;
                choice = c;
            }
        }
        bool stop = best >= (size_t)((double)cur.size() * f);
        if (pass == 15 || stop) {
            if (pass < 15) {
                EXPECT_EQ(codecs[pass], 0);
            }
            break;
        }
        ASSERT_EQ(codecs[pass], choice) << "pass " << pass;
        cur = Encode(choice, cur);
    }
    for (int p = pass; p < 15; p++) EXPECT_EQ(codecs[p], 0);
    ASSERT_EQ(n, cur.size());
    EXPECT_TRUE(std::equal(cur.begin(), cur.end(), buf[which]));
    for (int p = pass - 1; p >= 0; p--) cur = Decode(codecs[p], cur);
    ASSERT_GE(cur.size(), input.size());
    EXPECT_TRUE(std::equal(input.begin(), input.end(), cur.begin()));
}

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

}  // namespace

TEST(Kv5Codec, DriverFollowsLevelsFactorsAndTrialOrder) {
    std::vector<Bytes> inputs = Samples();
    inputs.push_back(PhotoPlanes(160, 120, 3));
    inputs.push_back(Cat({Fill(3000, 0), Ramp(3000, 0, 2), Fill(3000, 255)}));
    for (int level = 1; level <= 3; level++)
        for (const Bytes& in : inputs) {
            SCOPED_TRACE(testing::Message() << "level " << level << " length " << in.size());
            CheckDriver(level, in);
        }
}

TEST(Kv5Codec, LevelZeroAndLevelOneChoices) {
    Bytes in = PhotoPlanes(160, 120, 9);
    size_t cap = 0x40000 + in.size();
    Bytes a(cap), b(cap);
    std::copy(in.begin(), in.end(), a.begin());
    uint8_t* buf[2] = {a.data(), b.data()};
    uint8_t codecs[15];
    int which;
    EXPECT_EQ(kv5_Compress(4, buf, cap, in.size(), &which, codecs), in.size());  // 4 & 3 = 0
    EXPECT_EQ(which, 0);
    for (uint8_t c : codecs) EXPECT_EQ(c, 0);
    for (auto planes : {in, Samples().back(), Samples()[22]}) {
        std::copy(planes.begin(), planes.end(), a.begin());
        kv5_Compress(1, buf, cap, planes.size(), &which, codecs);
        for (uint8_t c : codecs) EXPECT_TRUE(c != CODEC_FREQ && c != CODEC_FREQ_PAIR);
    }
}

TEST(Kv5Codec, ReferencePathGivesTheSameStreams) {
    Bytes in = PhotoPlanes(120, 90, 4);
    for (int level = 1; level <= 3; level++) {
        Bytes out[2];
        uint8_t codecs[2][15];
        for (int ref = 0; ref < 2; ref++) {
            ReferenceSwitch sw(ref);
            size_t cap = in.size() * 2;
            Bytes a(cap), b(cap);
            std::copy(in.begin(), in.end(), a.begin());
            uint8_t* buf[2] = {a.data(), b.data()};
            int which;
            size_t n = kv5_Compress(level, buf, cap, in.size(), &which, codecs[ref]);
            out[ref].assign(buf[which], buf[which] + n);
        }
        EXPECT_EQ(out[0], out[1]);
        EXPECT_EQ(std::memcmp(codecs[0], codecs[1], 15), 0);
    }
}
