// The tool dispatcher: the rules as worked values, the rectangles each family
// reports, pixels against the kernel called directly, point lists and their reset,
// selections into sprites, the Text-Art drag's ask for its editor, the press on the
// sprite, the picker and the status lines.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "document/document.h"
#include "document/document_ids.h"
#include "document/toolkernel.h"
#include "document/tools.h"
#include "document/toolselect.h"
#include "document/undo.h"
#include "engine/shape.h"
#include "settings/settings.h"
#include "support/settings_support.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

static bool operator==(const ToolRect& a, const ToolRect& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}
static std::ostream& operator<<(std::ostream& o, const ToolRect& r) {
    return o << "(" << r.x1 << "," << r.y1 << ")-(" << r.x2 << "," << r.y2 << ")";
}

namespace {

struct Step {
    int phase, buttons, x, y;
};
const int P = TOOL_PRESS, M = TOOL_MOVE, R = TOOL_RELEASE, L = TOOL_LEFT, RT = TOOL_RIGHT;


struct ToolsTest : ::testing::Test {
    int zoom = 1;
    Surface composite{};
    void SetUp() override {
        doc_Shutdown();
        srf_Create(64, 48, &g_doc.mainImage);
        FillAll(&g_doc.mainImage, 0x00FFFFFFu);
        srf_Duplicate(&composite, &g_doc.mainImage);
        EditSettings([](SettingsRecord& r) {
            r.toolWidth = 3;
            r.toolLevel = 50;
            r.alpha1 = 1;
            r.alpha2 = 2;
            r.colour1 = 0x0000FFu;
            r.colour2 = 0xFF0000u;
        }, true);
        uiscript_Reset();  // after the record is stored: it tells the colour panels
        tool_ResetPending();
    }
    void TearDown() override {
        srf_Destroy(&composite);
        doc_Shutdown();
    }
    // Runs the steps with `tool` current; returns the union of the reported changes.
    ToolRect Stroke(int tool, const std::vector<Step>& steps, int* changes = nullptr) {
        if (tool >= 0) tool_Select(tool);
        ToolRect all = TOOL_RECT_EMPTY, r, o;
        int n = 0;
        for (const Step& s : steps) {
            if (ToolApply(&g_doc.mainImage, s.x, s.y, zoom, &r, s.phase, s.buttons)) {
                all = tool_RectUnion(all, r);
                n++;
            }
            ToolOverlay(&composite, TOOL_RECT_EMPTY, nullptr, &o, s.phase, s.buttons, 1, zoom);
        }
        if (changes) *changes = n;
        return all;
    }
    std::string Status() { return uiscript_Statuses().empty() ? "" : uiscript_Statuses().back(); }
};

}  // namespace

TEST(ToolRules, WorkedValues) {
    ToolRect e = tool_EllipseBox(20, 20, 26, 17);
    EXPECT_EQ(e, (ToolRect{14, 17, 26, 23}));
    const struct {
        int ax, ay, px, py, zoom, taken;
    } selections[] = {{5, 5, 5, 5, 5, 1}, {5, 5, 5, 5, 1, 0}, {5, 5, 9, 9, 1, 1}, {5, 5, 9, 8, 1, 0},
                      {-9, -9, -1, -1, 1, 0}, {-9, 40, 3, 50, 1, 1}, {70, 70, 60, 47, 1, 1},
                      {5, 5, 13, 13, -2, 0}, {5, 5, 14, 14, -2, 1}};
    for (const auto& s : selections)
        EXPECT_EQ(tool_RectSelectionTaken(s.ax, s.ay, s.px, s.py, s.zoom, 64, 48), s.taken) << s.ax << "," << s.px;
    const struct {
        int px, py;
        const char* text;
    } rulers[] = {{5, 1, " Ruler: [0,0] - [5,1]; Length: 5.9 (5x,1y); Angle: 348.69\xC2\xBA "},
                  {0, -7, " Ruler: [0,0] - [0,-7]; Length: 7.0 (0x,7y); Angle: 90.0\xC2\xBA "},
                  {-3, 0, " Ruler: [0,0] - [-3,0]; Length: 3.0 (3x,0y); Angle: 180.0\xC2\xBA "},
                  {3, -3, " Ruler: [0,0] - [3,-3]; Length: 4.24 (3x,3y); Angle: 45.0\xC2\xBA "}};
    char text[128];
    for (const auto& r : rulers) {
        tool_RulerText(text, sizeof text, 0, 0, r.px, r.py);
        EXPECT_STREQ(text, r.text);
    }
    EXPECT_EQ(tool_Angle100(0, 0, 0, 0), 9000);
    EXPECT_EQ((std::vector<int>{tool_LensPower(1), tool_LensPower(2), tool_LensPower(3)}), (std::vector<int>{2, 4, 8}));
}

TEST_F(ToolsTest, FamiliesReportTheirRectangles) {
    const struct {
        int tool;
        std::vector<Step> steps;
        ToolRect reported;
        int changes;
    } cases[] = {
        {0, {{P, L, 10, 10}, {M, L, 20, 15}, {R, L, 20, 15}}, {9, 9, 21, 16}, 2},
        {4, {{P, L, 10, 10}, {M, L, 20, 15}, {M, 0, 30, 30}, {R, L, 20, 15}}, {7, 7, 23, 18}, 2},
        {2, {{P, L, 10, 10}, {M, L, 15, 12}, {R, L, 20, 15}}, {7, 7, 23, 18}, 1},
        {21, {{P, RT, 20, 20}, {R, RT, 26, 24}}, {9, 11, 31, 29}, 1},
        {21, {{P, L, 20, 20}, {R, L, 20, 20}}, TOOL_RECT_EMPTY, 0},
        {27, {{P, L, 20, 20}, {R, L, 26, 20}}, TOOL_RECT_EMPTY, 0},
        {26, {{P, L, 5, 6}, {R, L, 9, 20}}, {2, 3, 12, 23}, 1},
        {29, {{P, L, 20, 20}, {R, L, 23, 16}}, {13, 9, 30, 27}, 1},
        {30, {{P, L, 20, 20}, {R, L, 23, 24}}, {14, 14, 26, 26}, 1},
        {12, {{P, L, 2, 2}, {M, L, 9, 9}, {R, L, 9, 9}}, TOOL_RECT_EMPTY, 0},
        {18, {{P, L, 2, 2}, {R, L, 9, 9}}, TOOL_RECT_EMPTY, 0},
    };
    for (const auto& c : cases) {
        int n;
        EXPECT_EQ(Stroke(c.tool, c.steps, &n), c.reported) << "tool " << c.tool;
        EXPECT_EQ(n, c.changes) << "tool " << c.tool;
    }
    EXPECT_TRUE(doc_HasUnsavedChanges());
}

TEST_F(ToolsTest, StrokesPaintWhatTheKernelPaints) {
    Surface expect{};
    srf_Duplicate(&expect, &g_doc.mainImage);
    Stroke(34, {{P, L, 10, 10}, {M, L, 30, 20}, {R, L, 30, 20}});
    tk_EraseStroke(&expect, 10, 10, 10, 10, 3, 0);
    tk_EraseStroke(&expect, 10, 10, 30, 20, 3, 0);
    Stroke(24, {{P, RT, 5, 40}, {M, RT, 9, 9}, {R, RT, 50, 30}});
    tk_GradientBar(&expect, 5, 40, 50, 30, 3, 0x0000FFu, 0xFF0000u);
    EXPECT_TRUE(SameSurface(&expect, &g_doc.mainImage));
    srf_Destroy(&expect);
}

TEST_F(ToolsTest, TrianglePointsKeepTheirColoursAndToolChangesDropThem) {
    Surface expect{};
    srf_Duplicate(&expect, &g_doc.mainImage);
    const TkPoint pts[3] = {{5, 5}, {40, 8}, {20, 40}};
    const uint32_t colours[3] = {0x010000FFu, 0x0100FF00u, 0x40FF0000u};
    for (int i = 0; i < 3; i++) {
        set_Colour(1, colours[i]);
        set_ToolValue(SET_TOOL_ALPHA1, (int)(colours[i] >> 24));
        Stroke(32, {{P, L, pts[i].x, pts[i].y}, {R, L, pts[i].x, pts[i].y}});
    }
    EXPECT_EQ(Status(), " Triangle Fan :: 3/256 NB: You can change colors and alpha as you set points");
    set_Colour(1, 0);
    int n;
    EXPECT_EQ(Stroke(32, {{P, RT, 60, 40}}, &n), (ToolRect{0, 0, 45, 45}));
    tk_TriangleFan(&expect, pts, colours, 3);
    EXPECT_TRUE(SameSurface(&expect, &g_doc.mainImage));
    // Two points set, another tool chosen, back: the right press paints nothing.
    Stroke(33, {{P, L, 1, 1}, {R, L, 1, 1}, {P, L, 9, 9}, {R, L, 9, 9}});
    Stroke(4, {{M, 0, 3, 3}});
    EXPECT_EQ(Stroke(33, {{P, RT, 20, 20}}, &n), TOOL_RECT_EMPTY);
    EXPECT_EQ(n, 0);
    for (int i = 0; i < 3; i++) Stroke(3, {{P, L, 10 + i, 10}, {R, L, 10 + i, 10}});
    EXPECT_EQ(Status(), " IntelliCurve :: 3 Points set - 0% of point buffer");
    srf_Destroy(&expect);
}

TEST_F(ToolsTest, RectangleSelectionBecomesTheSprite) {
    zoom = 5;
    Stroke(14, {{P, L, 5, 5}, {R, L, 5, 5}});
    ASSERT_TRUE(g_doc.spritePresent);
    EXPECT_EQ((ToolRect{g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2}), (ToolRect{-3, -3, 13, 13}));
    EXPECT_EQ(WordAt(&g_doc.sprite, 8, 8), 0x00FFFFFFu);   // the selected pixel
    EXPECT_EQ(WordAt(&g_doc.sprite, 7, 8), 0xFF000000u);   // the border of 8
    doc_Discard();
    zoom = 1;
    Stroke(14, {{P, L, 5, 5}, {R, L, 5, 5}});
    EXPECT_FALSE(g_doc.spritePresent);
    EXPECT_EQ(uiscript_BeepCount(), 1);
    // Large enough to ask for the border: closed without a choice means 4.
    FillWith(&g_doc.mainImage, 10, 10, 30, 20, 0x00123456u);
    Stroke(14, {{P, L, 10, 10}, {M, L, 20, 20}, {R, L, 30, 20}});
    ASSERT_TRUE(g_doc.spritePresent);
    EXPECT_EQ((ToolRect{g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2}), (ToolRect{6, 6, 34, 24}));
    EXPECT_EQ(WordAt(&g_doc.sprite, 4, 4), 0x00123456u);
    EXPECT_EQ(WordAt(&g_doc.sprite, 3, 4), 0xFF000000u);
}

// The Text-Art drag asks the shell for the editor through the seam; with no shell
// listening (kvbatch) the ask is dropped and says so.
TEST_F(ToolsTest, TextArtDragAsksTheShellForTheEditor) {
    const struct {
        int x2, y2, listening;
        std::vector<int> commands;
    } rows[] = {
        {30, 25, 1, {CMD_TEXTART}},
        {12, 25, 1, {}},   // too narrow: refused, nothing asked
        {30, 25, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "to (" << row.x2 << "," << row.y2 << ") listening " << row.listening);
        uiscript_Reset();
        doc_Discard();
        if (!row.listening) ui_SetCommandHandler(nullptr);
        Stroke(19, {{P, L, 10, 10}, {M, L, row.x2, row.y2}, {R, L, row.x2, row.y2}});
        EXPECT_EQ(g_doc.spritePresent != 0, row.x2 == 30);
        EXPECT_EQ(uiscript_Commands(), row.commands);
        EXPECT_EQ(ui_PostCommand(CMD_TEXTART), row.listening);
    }
}

TEST_F(ToolsTest, PressOnTheSpriteMovesItAndTheMiddleButtonSwapsBack) {
    Stroke(14, {{P, L, 10, 10}, {R, L, 14, 14}});  // a small selection, border 8
    ASSERT_TRUE(g_doc.spritePresent);
    tool_Select(4);
    int changes;
    Stroke(-1, {{P, L, 10, 10}, {M, L, 13, 14}, {R, L, 13, 14}}, &changes);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(tool_Current(), TOOL_SEL_RECT);
    EXPECT_EQ((ToolRect{g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2}), (ToolRect{5, 6, 25, 26}));
    Stroke(-1, {{P, L, 50, 40}, {R, L, 50, 40}});  // outside: centred on the press
    EXPECT_EQ((ToolRect{g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2}), (ToolRect{40, 30, 60, 50}));
    Stroke(-1, {{M, 0, 1, 2}});
    EXPECT_EQ(Status(), "  (1,2)  :: [SPRITE] :: Rectangle Selection, 3 pixels, 50%, alpha: 1, 2");
    tool_SwapWithPrevious();
    EXPECT_EQ(tool_Current(), 4);
}

TEST_F(ToolsTest, PickerTakesTheColourAndSaysSo) {
    FillWith(&g_doc.mainImage, 0, 0, 3, 3, 0x20102030u);
    zoom = 2;
    Stroke(31, {{P, RT, 2, 2}, {R, RT, 2, 2}});
    EXPECT_EQ(g_settings.colour2, 0x302010u);
    EXPECT_TRUE(uiscript_ViewChanges() & UI_VIEW_COLOURS);
    EXPECT_EQ(uiscript_Statuses()[0], " Picking at (2,2) as Color#2 = RGB{ r16, g32, b48 } ; alpha = 32");
    Stroke(31, {{P, L, 70, 2}, {M, 0, 70, 2}});
    EXPECT_EQ(uiscript_Statuses()[2], " Picking the color at (70,2) as Color#1. PIXEL OUT OF RANGE");
    EXPECT_EQ(Status(), " (70,2) :: Color Picker :: PIXEL OUT OF RANGE");
    Stroke(4, {{M, 0, 7, 8}});
    EXPECT_EQ(Status(), "  (7,8)  :: [ZOOM 2x] :: Brush, 3 pixels, 50%, alpha: 1, 2");
    zoom = -8;  // 1/8
    Stroke(4, {{M, 0, 7, 8}});
    EXPECT_EQ(Status(), "  (7,8)  :: [ZOOM 12.5%] :: Brush, 3 pixels, 50%, alpha: 1, 2");
}
