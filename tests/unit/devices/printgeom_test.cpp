// Printing arithmetic as worked values: output sizes per option, the paper line,
// the preview boxes, the margins and the brightening table.
#include <gtest/gtest.h>
#include "devices/printgeom.h"
#include "support/test_surface.h"

TEST(PrintGeometry, WorkedValues) {
    const PrintPage a4 = {4800, 6600, 600, 600};
    const struct {
        int imgW, imgH;
        PrintFit fit;
        unsigned mmW, mmH;
        int w, h;
    } sizes[] = {{400, 300, PRINT_FIT, 0, 0, 4800, 3600},
                 {300, 900, PRINT_FIT, 0, 0, 2200, 6600},  // taller than the page's shape
                 {400, 300, PRINT_FIT_BORDER, 0, 0, 4320, 3240},
                 {400, 300, PRINT_STRETCH, 0, 0, 4800, 6600},
                 {400, 300, PRINT_DIMENSIONS, 120, 90, 2835, 2126},
                 {400, 300, PRINT_DIMENSIONS, 900, 900, 4800, 6600}};
    for (const auto& s : sizes) {
        int w, h;
        prn_OutputSize(a4, s.imgW, s.imgH, s.fit, s.mmW, s.mmH, &w, &h);
        EXPECT_EQ((Dims{w, h}), (Dims{s.w, s.h})) << s.imgW << "x" << s.imgH << " fit " << s.fit;
    }
    char text[64];
    prn_PaperText(a4, text, sizeof text);
    EXPECT_STREQ(text, "Paper: 203 by 279 mm (24 dots/mm)");
    int paper[4], image[4];
    prn_PreviewBoxes(200, 200, a4, 4320, 3240, paper, image);
    const int wantPaper[4] = {35, 10, 130, 180};  // x, y, w, h
    for (int i = 0; i < 4; i++) EXPECT_EQ(paper[i], wantPaper[i]) << "paper[" << i << "]";
    EXPECT_EQ((Dims{image[2], image[3]}), (Dims{117, 87}));
    int left, top;
    prn_Margins(a4, 4320, 3240, &left, &top);
    EXPECT_EQ(left, 240);
    EXPECT_EQ(top, 1680);
    uint8_t t[256];
    prn_BrightnessTable(t);
    const int entries[][2] = {{0, 0}, {128, 168}, {255, 255}};  // index, value
    for (const auto& e : entries) EXPECT_EQ(t[e[0]], e[1]) << "entry " << e[0];
}
