// palette_test.cpp — smart dither: the nearest-entry rule, the dither pattern worked
// by hand, the narrowed search against the full scan, and the failure message. The
// optimised palette is the engine's octree (tested with the engine).
#include <gtest/gtest.h>
#include "effects/fx_common.h"
#include "effects/palette.h"
#include "engine/engine.h"
#include "support/ui_script.h"
#include "unit/effects/fx_test_util.h"

TEST(Palette, NearestEntryLowestIndexWinsTies) {
    PalEntry pal[4] = {{10, 10, 10, 0}, {30, 10, 10, 0}, {20, 10, 10, 0}, {20, 10, 10, 0}};
    EXPECT_EQ(pal_Nearest(pal, 4, 0x000A0A0Fu), 0);    // red 15: 25 to entry 0, 25 to entry 2
    EXPECT_EQ(pal_Nearest(pal, 4, 0x000A0A14u), 2);    // entry 2 and 3 are equal: 2
    EXPECT_EQ(pal_Nearest(pal, 4, 0x000A0AFFu), 1);
    EXPECT_EQ(pal_Nearest(pal, 0, 0), 0);
}

TEST(Palette, DitherPairsTheNearestAndTheMirroredEntry) {
    // Greys 0 and 3 share a 6-bit cell (entry 1), 7 has one of its own. Even x + y
    // takes the nearest entry; odd takes the one nearest the colour mirrored through
    // it: 3 mirrored through 1 is 5, nearer 7. Alpha comes out opaque.
    eng_ForceReference(1);
    Img in = Flat(3, 2, 0x80070707u);
    in.px[0] = 0;
    in.px[1] = 0x00030303u;
    Held s(in);
    ASSERT_EQ(pal_SmartDither(&s.s), 1);
    eng_ForceReference(0);
    EXPECT_EQ(s.img().px, (std::vector<uint32_t>{0x00010101u, 0x00070707u, 0x00070707u, 0x00070707u, 0x00070707u,
                                                 0x00070707u}));
}

// The narrowed search must agree with a full scan: a grid of colours over the whole
// cube (which the dither also mirrors) next to pixels that crowd the palette
// together or leave it coarse, with ties.
TEST(Palette, NarrowedSearchAgreesWithFullScan) {
    std::mt19937 rng(33);
    for (int trial = 0; trial < 4; trial++) {
        Img m = Flat(256, 40, 0);
        for (int i = 0; i < m.w * m.h; i++) {
            uint32_t c = rng();
            if (trial == 1) c &= 0x00C0C0C0u;                        // coarse: many ties
            if (trial == 2) c = (c & 0x000F0F0Fu) | 0x00707070u;     // crowded in one corner
            if (trial == 3) c = (rng() & 1) ? 0x00101010u : 0x00303030u;
            m.px[i] = i < 4096 ? (uint32_t)(((i >> 8) * 17) << 16 | (((i >> 4) & 15) * 17) << 8 | (i & 15) * 17) : c;
        }
        Img out[2];
        for (int ref = 0; ref < 2; ref++) {
            eng_ForceReference(ref);
            Held p(m);
            ASSERT_EQ(pal_SmartDither(&p.s), 1);
            out[ref] = p.img();
        }
        eng_ForceReference(0);
        EXPECT_TRUE(out[0].px == out[1].px) << trial;
    }
}

TEST(Palette, FailureIsReportedAndChangesNothing) {
    uiscript_Reset();
    Surface none{};
    EXPECT_EQ(pal_SmartDither(&none), 0);
    ASSERT_EQ(uiscript_BoxLines(), std::vector<std::string>{"Color Engine Error: Could not create optimized palette!!"});
    EXPECT_EQ(uiscript_Boxes()[0].flags & 0xF0u, UI_ICONWARNING);
}
