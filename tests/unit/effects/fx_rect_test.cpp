// fx_rect_test.cpp — a rectangle of an effect or transform made apart (what a
// preview computes for the view) against the same rectangle of the whole result, bit
// for bit: every row of both tables, settings that reach each row's regimes, and
// rectangles touching and not touching the image's edges.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "effects/catalogue.h"
#include "unit/effects/fx_test_util.h"

namespace {

const int W = 97, H = 61;
const CatRect kRects[] = {{13, 7, 52, 40}, {0, 0, 10, 5}, {60, 30, W - 1, H - 1}, {5, H - 2, 90, H - 1},
                          {W - 3, 0, W - 1, H - 1}, {0, 0, W - 1, H - 1}};
// level, distance, parameter, channels: the middle, the ends, and the unblurred shadow.
const FxSettings kFx[] = {{0, 2, 0, 0xF, 0}, {333, 5, 0, 0x5, 0}, {700, 9, 90, 0xA, 0}, {1000, 64, 255, 0xF, 0}};
const int kTfLevels[] = {0, 250, 640, 1000};

// "" when rectangle r of `made` holds the words of `want` there (r clipped to it).
std::string Differs(Surface* made, Img want, CatRect r) {
    Img a = ReadImg(made);
    if (a.w != want.w || a.h != want.h) return "another size";
    for (int y = r.y1 < 0 ? 0 : r.y1; y <= r.y2 && y < a.h; y++)
        for (int x = r.x1 < 0 ? 0 : r.x1; x <= r.x2 && x < a.w; x++)
            if (a.at(x, y) != want.at(x, y)) return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

std::string Where(const char* name, int a, int b, const CatRect& r) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %d/%d rect %d,%d-%d,%d: ", name, a, b, r.x1, r.y1, r.x2, r.y2);
    return text;
}

}  // namespace

TEST(PreviewRects, EveryEffectsRectangleIsThatOfTheWholeResult) {
    std::mt19937 rng(30);
    Held in(PatchyImg(W, H, rng));
    const uint32_t c1 = in.img().at(40, 20) & 0xFFFFFF, c2 = 0x00CC8844u;
    int count = 0;
    const EffectInfo* rows = cat_Effects(&count);
    for (int i = 0; i < count; i++) {
        CatWhole inputs{};   // as a dialog keeps it: one original, settings changing
        for (const FxSettings& s : kFx) {
            Held whole(in.img());
            ASSERT_EQ(cat_ApplyEffect(&whole.s, rows[i].code, s, c1, c2), 1) << rows[i].key;
            for (const CatRect& r : kRects) {
                Held made(Flat(W, H, 0x5A5A5A5Au));
                const int byRect = cat_EffectByRect(rows[i].code, s);
                ASSERT_EQ(cat_EffectRect(&made.s, &in.s, rows[i].code, s, c1, c2, r, &inputs), byRect);
                if (!byRect) continue;
                EXPECT_EQ(Differs(&made.s, whole.img(), r), "") << Where(rows[i].key, s.level, s.parameter, r);
                // Left of the rectangle the target stays as it was.
                EXPECT_EQ(Differs(&made.s, Flat(W, H, 0x5A5A5A5Au), {0, 0, r.x1 - 1, H - 1}), "") << rows[i].key;
            }
        }
        cat_ReleaseWhole(&inputs);
    }
}

TEST(PreviewRects, EveryTransformsRectangleIsThatOfTheWholeResult) {
    std::mt19937 rng(31);
    Held in(PatchyImg(W, H, rng));
    for (uint32_t code = TFC_ROTATE; code <= TFC_ROTATE90; code++)
        for (int level : kTfLevels)
            for (int edge = 0; edge < 4; edge++) {
                const TfSettings s = {level, edge, 0};
                Held whole(Flat(1, 1, 0));
                ASSERT_EQ(cat_ApplyTransform(&whole.s, &in.s, code, s), 1);
                int w = 0, h = 0;
                ASSERT_EQ(cat_TransformSize(&in.s, code, s, &w, &h), 1);
                EXPECT_EQ(w * 100000 + h, (int)whole.s.width * 100000 + (int)whole.s.height) << code;
                for (const CatRect& r : kRects) {
                    Held made(Flat(1, 1, 0));
                    ASSERT_EQ(cat_TransformRect(&made.s, &in.s, code, s, r), 1);
                    const char* name = cat_TransformCaption(code);
                    EXPECT_EQ(Differs(&made.s, whole.img(), r), "") << Where(name, level, edge, r);
                }
            }
}
