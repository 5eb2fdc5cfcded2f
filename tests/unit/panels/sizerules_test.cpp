// Size dialog rules: the kept aspect as worked values, reading a field, the presets,
// and OK refusing sides the packed size cannot carry.
#include <gtest/gtest.h>
#include <string>
#include "panels/sizerules.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

TEST(SizeRules, KeptAspectFollowsTheEditedSide) {
    const struct {
        int aw, ah;          // the size the aspect comes from
        unsigned typed;      // the edited side
        int editedWidth;     // 1: width typed, height follows
        unsigned other;
    } cases[] = {{4, 3, 1000, 1, 750},        {4, 3, 750, 0, 1000},  {640, 0, 1000, 1, 750},
                 {2048, 1448, 1448, 0, 2048}, {1, 1000, 1, 1, 1000}, {1, 1000, 4294967295u, 1, 4294967295u}};
    for (const auto& c : cases) {
        double aspect = sizer_Aspect(c.aw, c.ah);
        unsigned got = c.editedWidth ? sizer_HeightFor(c.typed, aspect) : sizer_WidthFor(c.typed, aspect);
        EXPECT_EQ(got, c.other) << c.aw << ":" << c.ah << " typed " << c.typed;
    }
}

TEST(SizeRules, FieldsReadAsUnsignedNumbers) {
    const struct { const char* text; int ok; unsigned value; } cases[] = {{"640", 1, 640}, {"  72 ", 1, 72}, {"", 0, 0},        {"12a", 0, 0},
                 {"-5", 0, 0},    {"4 4", 0, 0},    {"99999999999", 1, 4294967295u}};
    for (const auto& c : cases) {
        unsigned v = 12345;
        EXPECT_EQ(sizer_ParseField(c.text, &v), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(SizeRules, PresetsPackTheirSizes) {
    const struct { int button, w, h; } cases[] = {{3, 724, 1024}, {6, 1448, 1024}, {8, 2048, 1448}, {9, 1920, 1080}, {2, 0, 0}, {10, 0, 0}};
    for (const auto& c : cases) {
        int w = -1, h = -1;
        sizer_UnpackPreset(sizer_PresetSize(c.button, 1920, 1080), &w, &h);
        EXPECT_EQ((Dims{w, h}), (Dims{c.w, c.h})) << c.button;
    }
    int w, h;
    sizer_UnpackPreset(0x8032u << 16 | 0x8064u, &w, &h);  // the fields take 15 bits a side
    EXPECT_EQ((Dims{w, h}), (Dims{100, 50}));
}

TEST(SizeRules, OkRefusesSidesThePackedSizeCannotCarry) {
    // The pixel count alone would pass the first two; the largest side that fits passes.
    const struct {
        unsigned w, h;
        int result;
        const char *fields, *title;
    } cases[] = {{70000, 4, 0, "4096x4096", "Dimensions Too Large"},
                 {4294967295u, 4294967295u, 0, "4096x4096", "Dimensions Too Large"},
                 {32767, 512, 1, "32767x512", "Performance Warning"}};
    for (const auto& c : cases) {
        uiscript_Reset();
        unsigned w = c.w, h = c.h;
        EXPECT_EQ(sizer_AcceptSize(&w, &h), c.result) << c.w;
        EXPECT_EQ(std::to_string(w) + "x" + std::to_string(h), c.fields);
        EXPECT_EQ(uiscript_Boxes().size() == 1 ? uiscript_Boxes()[0].title : "", c.title) << c.w;
    }
}
