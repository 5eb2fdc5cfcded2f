// palette_test.cpp — optimised palette and smart dither: the cell means, the
// refusals, the nearest-entry rule and its narrowed search, the dither pattern.
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>
#include "effects/fx_common.h"
#include "effects/palette.h"
#include "support/ui_script.h"
#include "unit/effects/fx_test_util.h"

namespace {

int NearestModel(const PalEntry* pal, int n, int r, int g, int b) {
    int best = 0;
    long long bestD = -1;
    for (int i = 0; i < n; i++) {
        long long d = (long long)(r - pal[i].red) * (r - pal[i].red) + (long long)(g - pal[i].green) * (g - pal[i].green) +
                      (long long)(b - pal[i].blue) * (b - pal[i].blue);
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

TEST(Palette, AtMost256SixBitCellsGiveTheirExactMeans) {
    std::mt19937 rng(21);
    Img m;
    m.w = 40;
    m.h = 30;
    // 200 random 6-bit cells, each pixel a random colour inside its cell.
    std::vector<uint32_t> cells;
    for (int i = 0; i < 200; i++) cells.push_back(rng() & 0x00FCFCFCu);
    std::map<uint32_t, std::tuple<long long, long long, long long, long long>> sums;
    for (int i = 0; i < m.w * m.h; i++) {
        uint32_t c = cells[rng() % cells.size()] | (rng() & 0x03030303u) | (rng() & 0xFF000000u);
        m.px.push_back(c);
        auto& s = sums[c & 0x00FCFCFCu];
        std::get<0>(s) += Ch(c, 2);
        std::get<1>(s) += Ch(c, 1);
        std::get<2>(s) += Ch(c, 0);
        std::get<3>(s) += 1;
    }
    Surface s{};
    srf_Create(40, 30, &s);
    WriteImg(&s, m);
    PalEntry pal[256];
    int n = pal_BuildOptimised(&s, 256, 6, pal);
    ASSERT_EQ(n, (int)sums.size());
    // Entries come out in octree order, which for whole 6-bit cells is the order of
    // the interleaved bits: collect them as a set of means instead.
    std::multiset<std::tuple<int, int, int>> want, got;
    for (auto& kv : sums) {
        auto [r, g, b, cnt] = kv.second;
        want.insert({(int)(r / cnt), (int)(g / cnt), (int)(b / cnt)});
    }
    for (int i = 0; i < n; i++) got.insert({pal[i].red, pal[i].green, pal[i].blue});
    EXPECT_EQ(got, want);
    EXPECT_EQ(pal_BuildOptimised(&s, 257, 6, pal), 0);
    EXPECT_EQ(pal_BuildOptimised(&s, 256, 9, pal), 0);
    srf_Destroy(&s);
}

TEST(Palette, NearestEntryLowestIndexWinsTies) {
    PalEntry pal[4] = {{10, 10, 10, 0}, {30, 10, 10, 0}, {20, 10, 10, 0}, {20, 10, 10, 0}};
    EXPECT_EQ(pal_Nearest(pal, 4, 0x000A0A0Fu), 0);    // red 15: 25 to entry 0, 25 to entry 2
    EXPECT_EQ(pal_Nearest(pal, 4, 0x000A0A14u), 2);    // entry 2 and 3 are equal: 2
    EXPECT_EQ(pal_Nearest(pal, 4, 0x000A0AFFu), 1);
    EXPECT_EQ(pal_Nearest(pal, 0, 0), 0);
}

TEST(Palette, SingleColourDithersToItselfOpaque) {
    Img m;
    m.w = 9;
    m.h = 7;
    m.px.assign(63, 0x80123456u);
    Surface s{};
    srf_Create(9, 7, &s);
    WriteImg(&s, m);
    PalEntry pal[256];
    ASSERT_EQ(pal_BuildOptimised(&s, 256, 6, pal), 1);
    EXPECT_EQ(pal[0].red, 0x12);
    EXPECT_EQ(pal[0].green, 0x34);
    EXPECT_EQ(pal[0].blue, 0x56);
    ASSERT_EQ(pal_SmartDither(&s), 1);
    for (uint32_t p : ReadImg(&s).px) EXPECT_EQ(p, 0x00123456u);
    srf_Destroy(&s);
}

TEST(Palette, DitherPairsTheNearestAndTheMirroredEntry) {
    for (auto [w, h] : OddSizes()) {
        std::mt19937 rng(w * 100 + h);
        Img in = RandomImg(w, h, rng);
        Surface s{};
        srf_Create((uint32_t)w, (uint32_t)h, &s);
        WriteImg(&s, in);
        PalEntry pal[256];
        int n = pal_BuildOptimised(&s, 256, 6, pal);
        ASSERT_GT(n, 0);
        Img want = in;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                uint32_t p = in.at(x, y);
                int r = Ch(p, 2), g = Ch(p, 1), b = Ch(p, 0);
                int i = NearestModel(pal, n, r, g, b);
                if ((x + y) % 2)
                    i = NearestModel(pal, n, Clamp255(2 * r - pal[i].red), Clamp255(2 * g - pal[i].green),
                                     Clamp255(2 * b - pal[i].blue));
                want.at(x, y) = Word(pal[i].blue, pal[i].green, pal[i].red, 0);
            }
        for (int ref = 0; ref < 2; ref++) {
            fx_ForceReference(ref);
            WriteImg(&s, in);
            ASSERT_EQ(pal_SmartDither(&s), 1);
            EXPECT_TRUE(ReadImg(&s).px == want.px) << w << "x" << h << " ref " << ref;
        }
        fx_ForceReference(0);
        srf_Destroy(&s);
    }
}

// The narrowed search must agree with a full scan: a grid of colours over the whole
// cube (which the dither also mirrors) next to pixels that crowd the palette
// together or leave it coarse, with ties.
TEST(Palette, NarrowedSearchAgreesWithFullScan) {
    std::mt19937 rng(33);
    for (int trial = 0; trial < 4; trial++) {
        Img m;
        m.w = 256;
        m.h = 40;
        for (int i = 0; i < 4096; i++) m.px.push_back((uint32_t)(((i >> 8) * 17) << 16 | (((i >> 4) & 15) * 17) << 8 | (i & 15) * 17));
        for (int i = 4096; i < m.w * m.h; i++) {
            uint32_t c = rng();
            if (trial == 1) c &= 0x00C0C0C0u;                        // coarse: many ties
            if (trial == 2) c = (c & 0x000F0F0Fu) | 0x00707070u;     // crowded in one corner
            if (trial == 3) c = (rng() & 1) ? 0x00101010u : 0x00303030u;
            m.px.push_back(c);
        }
        Img out[2];
        for (int ref = 0; ref < 2; ref++) {
            fx_ForceReference(ref);
            Surface p{};
            srf_Create((uint32_t)m.w, (uint32_t)m.h, &p);
            WriteImg(&p, m);
            ASSERT_EQ(pal_SmartDither(&p), 1);
            out[ref] = ReadImg(&p);
            srf_Destroy(&p);
        }
        fx_ForceReference(0);
        EXPECT_TRUE(out[0].px == out[1].px) << trial;
    }
}

TEST(Palette, FailureIsReportedAndChangesNothing) {
    uiscript_Reset();
    Surface none{};
    EXPECT_EQ(pal_SmartDither(&none), 0);
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].text, "Could not create optimized palette!!");
    EXPECT_EQ(uiscript_Boxes()[0].title, "Color Engine Error");
    EXPECT_EQ(uiscript_Boxes()[0].flags & 0xF0u, UI_ICONWARNING);
}
