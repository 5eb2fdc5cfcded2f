// The one DPI of the windows: layout sizes scaled to it and screen pixels taken back.
#include <gtest/gtest.h>
#include "platform/dpi.h"

// Layout sizes scale to the nearest pixel; a screen pixel of a picture drawn at scale
// lies on the 96-DPI point it was drawn from, also left of the origin.
TEST(Dpi, ScaleAndUnscaleAtCommonSettings) {
    const struct {
        int dpi, size96, scaled, pixel, point, whole;
    } cases[] = {
        {96, 20, 20, 19, 19, 1},   {144, 20, 30, 29, 19, 0}, {144, 5, 8, 7, 4, 0},         {144, 1, 2, -1, -1, 0},
        {192, 20, 40, 39, 19, 2},  {120, 364, 455, 454, 363, 0}, {0, 20, 20, 20, 20, 1} /* unknown: 96 */,
    };
    for (const auto& c : cases) {
        dpi_Set(c.dpi);
        EXPECT_EQ(dpi_Scale(c.size96), c.scaled) << c.dpi << " dpi, " << c.size96;
        EXPECT_EQ(dpi_Unscale(c.pixel), c.point) << c.dpi << " dpi, pixel " << c.pixel;
        EXPECT_EQ(dpi_WholeFactor(), c.whole) << c.dpi;
    }
    dpi_Set(96);
}
