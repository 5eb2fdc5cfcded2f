// The display composite: golden pixels of a whole compose (checkerboard through
// transparent pixels, the sprite over its dimmed underlay with its frame, a tool's
// preview), and sequences of partial updates that must leave exactly what a whole
// compose makes.
#include <gtest/gtest.h>
#include <functional>
#include <vector>
#include "document/compose.h"
#include "document/document.h"
#include "document/tools.h"
#include "document/toolselect.h"
#include "engine/engine.h"
#include "engine/reduce.h"
#include "settings/settings.h"
#include "support/settings_support.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace {

const int W = 40, H = 30, RECT_TOOL = 20;

struct ComposeTest : ::testing::Test {
    void SetUp() override {
        cmp_Shutdown();
        doc_Shutdown();
        EditSettings([](SettingsRecord& r) { r.toolWidth = 3; }, true);
        uiscript_Reset();  // after the record is stored: it tells the colour panels
        eng_SetChecker(0x00FFFFFFu, 0x00C0C0C0u);
        tool_ResetPending();
        // Transparent on the left, half translucent red, opaque blue-grey elsewhere.
        srf_Create(W, H, &g_doc.mainImage);
        FillAll(&g_doc.mainImage, 0x00336699u);
        FillWith(&g_doc.mainImage, 0, 0, 11, H - 1, 0xFF000000u);
        FillWith(&g_doc.mainImage, 12, 0, 19, H - 1, 0x80FF0000u);
        // An opaque green sprite with a transparent corner at (22, 8)-(31, 15).
        Surface sprite{};
        srf_Create(10, 8, &sprite);
        FillAll(&sprite, 0x0000FF00u);
        FillWith(&sprite, 0, 0, 4, 3, 0xFF000000u);
        ASSERT_EQ(doc_AdoptSprite(&sprite), 1);
        doc_PlaceSprite(22, 8, 31, 15);
        // The rectangle tool dragged from (2, 20) to (14, 26), held: its marker shows.
        tool_Select(RECT_TOOL);
        Move(TOOL_PRESS, 2, 20);
        Move(TOOL_MOVE, 14, 26);
        ASSERT_NE(cmp_Fit(), nullptr);
        cmp_Preview(CMP_ALL, TOOL_MOVE, TOOL_LEFT, 1, 1);
    }
    void TearDown() override {
        cmp_Shutdown();
        doc_Shutdown();
    }
    static void Move(int phase, int x, int y) {
        ToolRect changed;
        ToolApply(&g_doc.mainImage, x, y, 1, &changed, phase, TOOL_LEFT);
        cmp_Changed(changed);
    }
    // The composite as a whole compose of the present state makes it.
    static std::vector<uint32_t> Whole() {
        cmp_Changed(CMP_ALL);
        cmp_Update(CMP_ALL, TOOL_LEFT, 1);
        return WordsOf(cmp_Composite());
    }
};

}  // namespace

TEST_F(ComposeTest, WholeComposeGoldenPixels) {
    const struct {
        const char* what;
        int x, y;
        uint32_t word;
    } cases[] = {
        {"checkerboard through a transparent pixel, light square", 1, 1, 0x00FFFFFFu},
        {"checkerboard through a transparent pixel, dark square", 5, 1, 0x00C0C0C0u},
        {"half translucent red over the checkerboard", 13, 1, 0x00DF6060u},
        {"opaque image", 35, 2, 0x00336699u},
        {"dimmed underlay under a transparent sprite pixel", 24, 10, 0x005882ABu},
        {"opaque sprite", 29, 13, 0x0000FF00u},
        {"sprite frame", 22, 12, 0x2600D000u},
        {"sprite frame, corner", 31, 15, 0x2600D000u},
        {"tool preview", 2, 23, 0x0070787Fu},
    };
    Surface* c = cmp_Composite();
    ASSERT_NE(c, nullptr);
    for (const auto& k : cases) EXPECT_EQ(WordAt(c, k.x, k.y), k.word) << k.what;
    EXPECT_EQ(HashSurface(c), 2493482642u);
    // Repaints redraw the preview quietly; a mouse event tells the status line.
    size_t statuses = uiscript_Statuses().size();
    cmp_Changed(CMP_ALL);
    cmp_Update(CMP_ALL, TOOL_LEFT, 1);
    EXPECT_EQ(uiscript_Statuses().size(), statuses);
    cmp_Preview(CMP_ALL, TOOL_MOVE, TOOL_LEFT, 1, 1);
    EXPECT_EQ(uiscript_Statuses().size(), statuses + 1);
}

const ToolRect LEFT = {0, 0, 19, H - 1}, RIGHT = {20, 0, W - 1, H - 1};
const ToolRect TOP = {0, 0, W - 1, 13}, BOTTOM = {0, 14, W - 1, H - 1};

TEST_F(ComposeTest, PartialUpdatesMatchAWholeCompose) {
    const struct {
        const char* what;
        std::function<void()> change;
        std::vector<ToolRect> shown;
    } steps[] = {
        {"image pixels changed, shown left then right",
         [] {
             FillWith(&g_doc.mainImage, 5, 5, 30, 20, 0x40FFFF00u);
             cmp_Changed({5, 5, 30, 20});
         },
         {LEFT, RIGHT}},
        {"image pixels changed, shown top then bottom",
         [] {
             FillWith(&g_doc.mainImage, 0, 10, W - 1, 18, 0x00102030u);
             cmp_Changed({0, 10, W - 1, 18});
         },
         {TOP, BOTTOM}},
        {"whole image changed, the middle shown first, then the edges",
         [] {
             FillWith(&g_doc.mainImage, 0, 0, W - 1, H - 1, 0x20406080u);
             cmp_Changed(CMP_ALL);
         },
         {{10, 8, 29, 21}, LEFT, RIGHT}},
        {"sprite moved, shown in quarters",
         [] {
             ToolRect before = {g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2};
             doc_MoveSprite(-6, 5);
             cmp_Changed(tool_RectUnion(before, {g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2}));
         },
         {{0, 0, 19, 13}, {20, 0, W - 1, 13}, {0, 14, 19, H - 1}, {20, 14, W - 1, H - 1}}},
        {"preview moved while the left half is shown",
         [] {
             Move(TOOL_MOVE, 33, 3);
             cmp_Preview(LEFT, TOOL_MOVE, TOOL_LEFT, 1, 1);
         },
         {RIGHT}},
        {"repaint of a small window across the sprite's frame",
         [] { cmp_Changed(CMP_ALL); },
         {{14, 15, 18, 17}, {0, 0, 3, 3}}},
        {"preview moved back over changed pixels",
         [] {
             FillWith(&g_doc.mainImage, 0, 22, 8, 28, 0x00808080u);
             cmp_Changed({0, 22, 8, 28});
             Move(TOOL_MOVE, 6, 25);
             cmp_Preview(RIGHT, TOOL_MOVE, TOOL_LEFT, 1, 1);
         },
         {LEFT}},
    };
    for (const auto& s : steps) {
        s.change();
        for (const ToolRect& r : s.shown) cmp_Update(r, TOOL_LEFT, 1);
        std::vector<uint32_t> partial = WordsOf(cmp_Composite()), whole = Whole();
        ASSERT_EQ(partial.size(), whole.size());
        size_t i = 0;
        while (i < partial.size() && partial[i] == whole[i]) i++;
        EXPECT_EQ(i, partial.size()) << s.what << ": first difference at (" << i % W << ", " << i / W << ")";
    }
}

TEST_F(ComposeTest, ReducedCopyFollowsChangesShownInPieces) {
    for (int s : {2, 4, 16}) {
        ASSERT_NE(cmp_Reduced(CMP_ALL, s, TOOL_LEFT, -s), nullptr);
        // Changed pixels across block borders and a moved preview, then shown in halves.
        FillWith(&g_doc.mainImage, 3, 5, 17, 9, 0x0000FFFFu + (uint32_t)s);
        cmp_Changed({3, 5, 17, 9});
        Move(TOOL_MOVE, 30 - s, 20);
        cmp_Preview(LEFT, TOOL_MOVE, TOOL_LEFT, -s, 1);
        cmp_Reduced(LEFT, s, TOOL_LEFT, -s);
        std::vector<uint32_t> shown = WordsOf(cmp_Reduced(RIGHT, s, TOOL_LEFT, -s));
        Whole();
        TestSurface want(red_Size(W, s), red_Size(H, s));
        red_Average(want.get(), cmp_Composite(), s, 0, 0, W, H);
        EXPECT_EQ(shown, WordsOf(want.get())) << "block size " << s;
    }
}
