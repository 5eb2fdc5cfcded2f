// The colour panels' rules: colour-bar hit-testing and texts, the quick palette's
// rows, the two-click palette's picking, manual RGB and the tool-settings bars.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "engine/color.h"
#include "panels/colours.h"
#include "settings/settings.h"
#include "support/settings_support.h"

TEST(ColourBar, HitsAndTexts) {
    EditSettings([](SettingsRecord& r) { r.userColours[4] = 0x00302010; }, true);
    const struct {
        int x, y;
        CbarPart part;
        int index;
        const char* text;
    } cases[] = {
        {3, 3, CBAR_CURRENT, 0, " Current Colors, left-click to swap, right-click to copy"},
        {53, 0, CBAR_CELL, 0, " Fixed Color - Black :: RGB{ r0, g0, b0 }"},
        {72, 19, CBAR_CELL, 0, " Fixed Color - Black :: RGB{ r0, g0, b0 }"},
        {73, 5, CBAR_CELL, 1, " Fixed Color - Dark Blue / Navy :: RGB{ r0, g0, b128 }"},
        {372, 10, CBAR_CELL, 15, " Fixed Color - Full / Bright White :: RGB{ r255, g255, b255 }"},
        {140, 30, CBAR_CELL, 20, " Custom Color #05 - Double-Click To Customize :: RGB{ r16, g32, b48 }"},
        {389, 11, CBAR_BUTTON, 0, " Show Tool-Settings dialog ( Ctrl+Shift+T )"},
        {433, 30, CBAR_BUTTON, 1, " Show Color-Palette dialog ( Ctrl+Shift+C )"},
        {437, 20, CBAR_BUTTON, 2, " Show Image Preview dialog ( Ctrl+Shift+P )"},
        {481, 20, CBAR_BUTTON, 3, " Show Help for this Tool ( F1 )"},
        {460, 20, CBAR_BUTTON_AREA, 0, " Quick bar - Click the appropriate button for quick access to settings"},
        {482, 5, CBAR_BUTTON_AREA, 0, " Left-click to set Color#1, Right-click to set Color#2"},
        {45, 20, CBAR_NOTHING, 0, " Left-click to set Color#1, Right-click to set Color#2"},
    };
    char text[160];
    for (const auto& c : cases) {
        CbarHit hit = cbar_Hit(c.x, c.y);
        EXPECT_EQ(hit.part, c.part) << c.x << "," << c.y;
        if (c.part == CBAR_CELL || c.part == CBAR_BUTTON) EXPECT_EQ(hit.index, c.index) << c.x << "," << c.y;
        cbar_StatusText(c.x, c.y, text, sizeof text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(ColourRules, PaletteStripPickingRgbAndBars) {
    // The quick palette: white along the top, black along the bottom, whatever the hue.
    for (int x : {0, 37, 120})
        EXPECT_EQ(qpal_ColourAt(x, 0, 120, 40) & 0xF0F0F0, 0xF0F0F0u) << x;
    for (int x : {0, 37, 120}) EXPECT_EQ(qpal_ColourAt(x, 40, 120, 40), 0u) << x;
    EXPECT_EQ(qpal_ColourAt(-5, 99, 120, 40), qpal_ColourAt(0, 40, 120, 40));
    char text[160];
    qpal_StatusText(0x00302010, 2, text, sizeof text);
    EXPECT_STREQ(text, " Quick Palette - Color#2 set to :: RGB{ r16, g32, b48 }");

    // Two-click palette: the square sets hue and lightness, the tone bar saturation
    // (picked in this order, so the bar's pick keeps the square's hue and lightness).
    int h = 1, l = 2, s = 3;
    const struct { int x, y, h, l, s; } picks[] = {
        {8 + 8 * 47, 8 + 8 * 31, 255, 255, 255}, {16, 16, 8, 5, 255}, {8 + 8 * 50, 8 + 8 * 15, 8, 5, 123}};
    for (const auto& p : picks) {
        SCOPED_TRACE(testing::Message() << "pick at " << p.x << "," << p.y);
        EXPECT_EQ(cpal_Pick(p.x, p.y, &h, &l, &s), 1);
        EXPECT_EQ(h, p.h);
        EXPECT_EQ(l, p.l);
        EXPECT_EQ(s, p.s);
    }
    EXPECT_EQ(cpal_Pick(8 + 8 * 48, 20, &h, &l, &s), 0);  // between square and bar
    EXPECT_EQ(cpal_Pick(20, 8 + 8 * 32, &h, &l, &s), 0);  // below the square
    EXPECT_EQ(cpal_Colour(0, 128, 255), clr_FromHSL(0xFF8000) & 0xFFFFFF);

    EXPECT_EQ(rgb_FromFields(300, 256, 7), 0x07002Cu);
    const struct {
        int value, code, track, min, max, want;
    } bars[] = {{128, 1, 0, 1, 128, 128}, {125, 3, 0, 1, 128, 128}, {5, 2, 0, 0, 100, 0},
                {50, 5, 77, 0, 100, 77},  {50, 5, 300, 0, 255, 255}, {9, 6, 0, 1, 128, 1}, {9, 7, 0, 0, 255, 255}};
    for (const auto& b : bars) EXPECT_EQ(tset_Scroll(b.value, b.code, b.track, b.min, b.max), b.want);
}
