// Printing arithmetic as worked values: output sizes per option, the paper line,
// the preview boxes, the margins and the brightening table.
#include <gtest/gtest.h>
#include "devices/printgeom.h"

TEST(PrintGeometry, WorkedValues) {
    const PrintPage a4 = {4800, 6600, 600, 600};
    const struct {
        PrintFit fit;
        unsigned mmW, mmH;
        int w, h;
    } sizes[] = {{PRINT_FIT, 0, 0, 4800, 3600},
                 {PRINT_FIT_BORDER, 0, 0, 4320, 3240},
                 {PRINT_STRETCH, 0, 0, 4800, 6600},
                 {PRINT_DIMENSIONS, 120, 90, 2835, 2126},
                 {PRINT_DIMENSIONS, 900, 900, 4800, 6600}};
    for (const auto& s : sizes) {
        int w, h;
        prn_OutputSize(a4, 400, 300, s.fit, s.mmW, s.mmH, &w, &h);
        EXPECT_EQ(w * 10000 + h, s.w * 10000 + s.h) << s.fit;
    }
    int w, h;
    prn_OutputSize(a4, 300, 900, PRINT_FIT, 0, 0, &w, &h);  // taller than the page's shape
    EXPECT_EQ(w * 10000 + h, 2200 * 10000 + 6600);
    char text[64];
    prn_PaperText(a4, text, sizeof text);
    EXPECT_STREQ(text, "Paper: 203 by 279 mm (24 dots/mm)");
    int paper[4], image[4];
    prn_PreviewBoxes(200, 200, a4, 4320, 3240, paper, image);
    EXPECT_EQ(paper[0] * 1000000 + paper[1] * 10000 + paper[2] * 100 + paper[3], 35 * 1000000 + 10 * 10000 + 130 * 100 + 180);
    EXPECT_EQ(image[2] * 1000 + image[3], 117 * 1000 + 87);
    int left, top;
    prn_Margins(a4, 4320, 3240, &left, &top);
    EXPECT_EQ(left * 10000 + top, 240 * 10000 + 1680);
    uint8_t t[256];
    prn_BrightnessTable(t);
    EXPECT_EQ(t[0] + t[255] * 1000 + t[128] * 1000000, 0 + 255 * 1000 + 168 * 1000000);
}
