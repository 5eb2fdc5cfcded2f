// PCX: round trips with odd and even widths, the writer's header and codes, the
// palette rules (end block with its marker, header colours without it, 24-bit planes)
// and refusals of damaged headers and short data.
#include <gtest/gtest.h>
#include <random>
#include "formats/pcx_file.h"
#include "unit/formats/exchange_support.h"

using namespace xtest;

namespace {

std::vector<uint8_t> Header(int version, int w, int h, int planes, int bpl, int bits = 8) {
    std::vector<uint8_t> b(128, 0);
    b[0] = 10;
    b[1] = (uint8_t)version;
    b[2] = 1;
    b[3] = (uint8_t)bits;
    b[8] = (uint8_t)(w - 1);
    b[9] = (uint8_t)((w - 1) >> 8);
    b[10] = (uint8_t)(h - 1);
    b[11] = (uint8_t)((h - 1) >> 8);
    b[65] = (uint8_t)planes;
    b[66] = (uint8_t)bpl;
    b[67] = (uint8_t)(bpl >> 8);
    return b;
}

}  // namespace

TEST(PcxWriter, RoundTripsAndHeader) {
    std::mt19937 rng(3);
    for (uint32_t w : {1u, 2u, 7u, 64u, 131u}) {
        TestSurface src(w, 4);
        FillRandom(src.get(), rng);
        FillWith(src.get(), 0, 1, (int)w - 1, 1, 0x00C0C0C0);  // long runs of a coded byte
        uint8_t* data;
        size_t size;
        ASSERT_TRUE(pcx_SaveBytes(src.get(), &data, &size));
        auto b = Take(data, size);
        EXPECT_EQ(b[0], 10);
        EXPECT_EQ(b[1], 5);
        EXPECT_EQ(b[65], 3);
        EXPECT_EQ(b[66] | b[67] << 8, (int)((w + 1) & ~1u));  // always even
        EXPECT_EQ(b[12], 96);
        EXPECT_EQ(b[14], 96);
        Loaded back = LoadWith(pcx_LoadBytes, b);
        ASSERT_TRUE(back.ok);
        ASSERT_EQ(back.w, w);
        auto want = WordsOf(src.get());
        for (size_t i = 0; i < want.size(); i++) ASSERT_EQ(back.px[i], want[i] & 0xFFFFFF) << w;
    }
}

TEST(PcxWriter, Codes) {
    TestSurface src(2, 1);
    FillWith(src.get(), 0, 0, 0, 0, 0x00C50505);
    FillWith(src.get(), 1, 0, 1, 0, 0x00010505);
    uint8_t* data;
    size_t size;
    ASSERT_TRUE(pcx_SaveBytes(src.get(), &data, &size));
    auto b = Take(data, size);
    // red C5 01 (C5 escaped), green 05 05 (run), blue 05 05: the run spans planes.
    std::vector<uint8_t> want = {0xC1, 0xC5, 0x01, 0xC4, 0x05};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 128, b.end()), want);
}

TEST(PcxReader, Palettes) {
    // 256-colour file with the marker: the end block.
    auto b = Header(5, 2, 1, 1, 2);
    for (int v : {0xC2, 0x03}) b.push_back((uint8_t)v);
    b.push_back(12);
    for (int i = 0; i < 768; i++) b.push_back((uint8_t)(i % 3 == 0 ? i / 3 : 0x11));
    Loaded r = LoadWith(pcx_LoadBytes, b);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.at(0, 0), 0x00031111u);
    // Without the marker the header's 16 colours are used.
    auto h = Header(5, 2, 1, 1, 2);
    h[16 + 3] = 0xAA;
    h[16 + 4] = 0xBB;
    h[16 + 5] = 0xCC;
    for (int v : {0x01, 0x20}) h.push_back((uint8_t)v);
    h.resize(h.size() + 800, 0);
    Loaded m = LoadWith(pcx_LoadBytes, h);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.at(0, 0), 0x00AABBCCu);
    EXPECT_EQ(m.at(1, 0), 0u);  // index 32 has no colour
    // 24-bit: three planes, red first; an overlong run is cut at the line end.
    auto t = Header(5, 1, 2, 3, 2);
    for (int v : {0x10, 0, 0x20, 0, 0x30, 0, 0xFF, 0x44}) t.push_back((uint8_t)v);
    Loaded c = LoadWith(pcx_LoadBytes, t);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.at(0, 0), 0x00102030u);
    EXPECT_EQ(c.at(0, 1), 0x00444444u);
}

TEST(PcxReader, Refusals) {
    std::vector<std::vector<uint8_t>> bad = {
        Header(5, 8, 1, 1, 8, 1),   // 1-bit planes are not unpacked
        Header(5, 8, 1, 0, 8),      // no planes
        Header(5, 8, 1, 1, 4),      // line shorter than the width
        Header(5, 8, 2, 3, 8),      // no coded data
        Header(5, 8192, 4097, 1, 8192),
    };
    auto wrong = Header(5, 1, 1, 1, 2);
    wrong[0] = 11;
    wrong.push_back(0xC2);
    wrong.push_back(0);
    bad.push_back(wrong);
    auto inverted = Header(5, 1, 1, 1, 2);
    inverted[4] = 5;  // xmin above xmax
    bad.push_back(inverted);
    for (size_t i = 0; i < bad.size(); i++) {
        Surface s{};
        EXPECT_FALSE(pcx_LoadBytes(&s, bad[i].data(), bad[i].size(), nullptr)) << i;
        EXPECT_FALSE(s.created) << i;
    }
}
