// TGA: round trips through the writer, the packets it chooses, every pixel kind of the
// reader (16-bit, grey, colour-mapped with a first index, both row orders, runs that
// cross rows) and the refusals of damaged or oversized headers.
#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include "formats/tga_file.h"
#include "unit/formats/exchange_support.h"

using namespace xtest;

namespace {

std::vector<uint8_t> Header(int type, int w, int h, int depth, int desc, int mapLen = 0,
                            int mapFirst = 0, int mapBits = 0, int idLen = 0) {
    std::vector<uint8_t> b(18, 0);
    b[0] = (uint8_t)idLen;
    b[1] = mapLen ? 1 : 0;
    b[2] = (uint8_t)type;
    b[3] = (uint8_t)mapFirst;
    b[4] = (uint8_t)(mapFirst >> 8);
    b[5] = (uint8_t)mapLen;
    b[6] = (uint8_t)(mapLen >> 8);
    b[7] = (uint8_t)mapBits;
    b[12] = (uint8_t)w;
    b[13] = (uint8_t)(w >> 8);
    b[14] = (uint8_t)h;
    b[15] = (uint8_t)(h >> 8);
    b[16] = (uint8_t)depth;
    b[17] = (uint8_t)desc;
    return b;
}

void Put(std::vector<uint8_t>& b, std::initializer_list<int> bytes) {
    for (int v : bytes) b.push_back((uint8_t)v);
}

}  // namespace

TEST(TgaWriter, RoundTripKeepsColourAndDropsAlpha) {
    std::mt19937 rng(5);
    for (auto wh : {std::make_pair(1u, 1u), std::make_pair(7u, 3u), std::make_pair(300u, 5u),
                    std::make_pair(129u, 2u)}) {
        TestSurface src(wh.first, wh.second);
        FillRandom(src.get(), rng);
        // Long runs and pairs so every packet kind is written.
        FillWith(src.get(), 0, 0, (int)wh.first / 2, 0, 0xFF123456);
        uint8_t* data;
        size_t size;
        ASSERT_TRUE(tga_SaveBytes(src.get(), &data, &size));
        auto bytes = Take(data, size);
        EXPECT_EQ(bytes[2], 10);
        EXPECT_EQ(bytes[16], 24);
        EXPECT_EQ(bytes[17], 0x20);
        const size_t text = std::strlen(TGA_SIGNATURE_TEXT);
        EXPECT_EQ(std::string(bytes.end() - text, bytes.end()), "Orvik Lab's (Orvik)");
        Loaded back = LoadWith(tga_LoadBytes, bytes);
        ASSERT_TRUE(back.ok);
        ASSERT_EQ(back.w, wh.first);
        auto want = WordsOf(src.get());
        for (size_t i = 0; i < want.size(); i++) ASSERT_EQ(back.px[i], want[i] & 0xFFFFFF) << i;
    }
}

TEST(TgaWriter, PacketChoice) {
    TestSurface src(6, 1);
    // A B B C C C: raw packet takes A B B (a pair stays raw), then a run of three.
    uint32_t words[6] = {1, 2, 2, 3, 3, 3};
    for (int x = 0; x < 6; x++) FillWith(src.get(), x, 0, x, 0, words[x]);
    uint8_t* data;
    size_t size;
    ASSERT_TRUE(tga_SaveBytes(src.get(), &data, &size));
    auto b = Take(data, size);
    std::vector<uint8_t> packets(b.begin() + 18, b.begin() + 18 + 1 + 9 + 1 + 3);
    std::vector<uint8_t> want = {2, 1, 0, 0, 2, 0, 0, 2, 0, 0, 0x82, 3, 0, 0};
    EXPECT_EQ(packets, want);
    // 130 equal pixels: a full run of 128, then a run of 2.
    TestSurface flat(130, 1);
    FillWith(flat.get(), 0, 0, 129, 0, 0x00ABCDEF);
    ASSERT_TRUE(tga_SaveBytes(flat.get(), &data, &size));
    auto f = Take(data, size);
    EXPECT_EQ(f[18], 0xFF);
    EXPECT_EQ(f[22], 0x81);
}

TEST(TgaReader, SixteenBitPixels) {
    auto b = Header(2, 3, 1, 16, 0x20);
    Put(b, {0x00, 0x80, 0xFF, 0x7F, 0x10, 0x42});  // 0x8000, 0x7FFF, 0x4210
    Loaded r = LoadWith(tga_LoadBytes, b);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.at(0, 0), 0xFF000000u);  // black, alpha 255
    EXPECT_EQ(r.at(1, 0), 0x00FFFFFFu);
    EXPECT_EQ(r.at(2, 0), 0x00848484u);  // 16 expands to 132
}

TEST(TgaReader, BottomUpAndTopDownLoadAlike) {
    auto top = Header(2, 2, 2, 24, 0x20), bottom = Header(2, 2, 2, 24, 0);
    Put(top, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    Put(bottom, {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6});
    Loaded a = LoadWith(tga_LoadBytes, top), c = LoadWith(tga_LoadBytes, bottom);
    ASSERT_TRUE(a.ok && c.ok);
    EXPECT_EQ(a.px, c.px);
    EXPECT_EQ(a.at(0, 0), 0x00030201u);
    EXPECT_EQ(a.at(1, 1), 0x000C0B0Au);
}

TEST(TgaReader, GreyMappedAndRuns) {
    auto grey = Header(3, 2, 1, 8, 0x20);
    Put(grey, {0x40, 0xFF});
    Loaded g = LoadWith(tga_LoadBytes, grey);
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.at(0, 0), 0x00404040u);
    // Map of two 24-bit entries serving indices 5 and 6; index 0 has no entry.
    auto mapped = Header(1, 3, 1, 8, 0x20, 2, 5, 24, 3);
    Put(mapped, {'i', 'd', '!', 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 5, 6, 0});
    Loaded m = LoadWith(tga_LoadBytes, mapped);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.at(0, 0), 0x00302010u);
    EXPECT_EQ(m.at(1, 0), 0x00605040u);
    EXPECT_EQ(m.at(2, 0), 0u);
    // A run crosses the row end; a stream cut short is refused.
    auto rle = Header(10, 2, 2, 32, 0x20);
    Put(rle, {0x82, 1, 2, 3, 4, 0x00, 9, 9, 9, 9});
    Loaded r = LoadWith(tga_LoadBytes, rle);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.at(0, 1), 0x04030201u);
    EXPECT_EQ(r.at(1, 1), 0x09090909u);
    rle.resize(rle.size() - 5);
    EXPECT_FALSE(LoadWith(tga_LoadBytes, rle).ok);
}

TEST(TgaReader, Refusals) {
    std::vector<std::vector<uint8_t>> bad = {
        Header(0, 1, 1, 24, 0),         // no image
        Header(12, 1, 1, 24, 0),        // unknown type
        Header(2, 1, 1, 12, 0),         // depth not whole bytes
        Header(2, 1, 1, 40, 0),         // depth too deep
        Header(2, 0, 5, 24, 0),         // no pixels
        Header(2, 8192, 4097, 24, 0),   // above 2^24
        Header(2, 9000, 2, 24, 0),      // wider than a surface
        Header(3, 1, 1, 16, 0),         // grey with alpha
        Header(1, 1, 1, 8, 0),          // mapped without a map
        Header(1, 1, 1, 8, 0, 300, 0, 24),  // map too long
        Header(1, 1, 1, 8, 0, 2, 0, 8),     // map entries of 8 bits
        Header(2, 4, 4, 24, 0),         // raw data missing
    };
    for (size_t i = 0; i < bad.size(); i++) {
        Surface s{};
        ImageFileInfo info{};
        EXPECT_FALSE(tga_LoadBytes(&s, bad[i].data(), bad[i].size(), &info)) << i;
        EXPECT_FALSE(s.created) << i;
    }
    auto b = Header(2, 1, 1, 24, 0);
    for (size_t n = 0; n < 18; n++) {
        Surface s{};
        EXPECT_FALSE(tga_LoadBytes(&s, b.data(), n, nullptr)) << n;
    }
}
