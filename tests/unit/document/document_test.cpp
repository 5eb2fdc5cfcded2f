// Document operations: stamping and moving the sprite, cropping to content, the
// transparency clean-ups, Create By Masking, the image-size rule, the questions
// that guard destructive commands, and the rule for choosing the current tool.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "document/document.h"
#include "document/toolselect.h"
#include "document/undo.h"
#include "effects/catalogue.h"
#include "engine/shape.h"
#include "settings/settings.h"
#include "support/settings_support.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace {

struct DocTest : ::testing::Test {
    void SetUp() override {
        uiscript_Reset();
        undo_Shutdown();
        undo_Init(8 << 20);
        doc_Shutdown();
        srf_Create(64, 48, &g_doc.mainImage);
        FillWith(&g_doc.mainImage, 0, 0, 63, 47, 0x00FFFFFFu);
        undo_Reset(&g_doc.mainImage);
        doc_MarkSaved();
    }
    void TearDown() override {
        doc_Shutdown();
        undo_Shutdown();
    }
    // A sprite of w x h in one colour at (x, y).
    void MakeSprite(int x, int y, int w, int h, uint32_t colour) {
        Surface s{};
        srf_Create(w, h, &s);
        FillWith(&s, 0, 0, w - 1, h - 1, colour);
        ASSERT_EQ(doc_AdoptSprite(&s), 1);
        g_doc.spriteX1 = x;
        g_doc.spriteY1 = y;
        g_doc.spriteX2 = x + w - 1;
        g_doc.spriteY2 = y + h - 1;
    }
};

typedef std::vector<uint32_t> Words;

// The words at the given points of an unlocked surface.
Words At(Surface* s, const std::vector<std::pair<int, int>>& points) {
    Words w;
    for (const auto& p : points) w.push_back(WordAt(s, p.first, p.second));
    return w;
}

}  // namespace

TEST_F(DocTest, AddCopyToImageTwiceStampsTwiceDiagonally) {
    MakeSprite(2, 3, 4, 4, 0x00123456u);
    EXPECT_EQ(g_settings.currentTool, TOOL_SEL_RECT);
    ASSERT_EQ(doc_AddCopyToImage(), 1);
    ASSERT_EQ(doc_AddCopyToImage(), 1);
    EXPECT_EQ(At(&g_doc.mainImage, {{2, 3}, {26, 27}, {14, 15}}), (Words{0x00123456u, 0x00123456u, 0x00FFFFFFu}));
    EXPECT_EQ(g_doc.spriteX1, 50);
    EXPECT_EQ(undo_UndoCount(), 2);
    EXPECT_TRUE(doc_HasUnsavedChanges());
    // Add To Image blends (half-transparent here), writes opaque alpha and discards.
    FillWith(&g_doc.sprite, 0, 0, 3, 3, 0x80000000u);
    g_doc.spriteX1 = g_doc.spriteY1 = 10;
    g_doc.spriteX2 = g_doc.spriteY2 = 17;   // stretched to twice its size
    ASSERT_EQ(doc_AddToImage(), 1);
    EXPECT_EQ(At(&g_doc.mainImage, {{10, 10}, {17, 17}, {18, 18}}), (Words{0x00808080u, 0x00808080u, 0x00FFFFFFu}));
    EXPECT_EQ(g_doc.spritePresent, 0);
    EXPECT_FALSE(srf_IsValid(&g_doc.sprite));
    EXPECT_EQ(doc_AddToImage(), 0);
}

TEST_F(DocTest, FitSpriteKeepsTheContentInPlace) {
    MakeSprite(100, 200, 30, 40, 0xFF000000u);
    FillWith(&g_doc.sprite, 10, 20, 10, 20, 0x00FF0000u);
    ASSERT_EQ(doc_FitSprite(2), 1);
    EXPECT_EQ((std::vector<int>{(int)g_doc.sprite.width, (int)g_doc.sprite.height, g_doc.spriteX1, g_doc.spriteY1,
                                g_doc.spriteX2}),
              (std::vector<int>{5, 5, 108, 218, 112}));
    // The border is transparent white.
    EXPECT_EQ(At(&g_doc.sprite, {{2, 2}, {0, 0}}), (Words{0x00FF0000u, 0xFFFFFFFFu}));
    // Nothing visible: left as it is.
    FillWith(&g_doc.sprite, 0, 0, 4, 4, 0xFE000000u);
    EXPECT_EQ(doc_FitSprite(1), 0);
    EXPECT_EQ(g_doc.sprite.width, 5u);
}

TEST_F(DocTest, FitImageCropsAndStartsANewHistory) {
    FillWith(&g_doc.mainImage, 0, 0, 63, 47, 0xFF000000u);
    FillWith(&g_doc.mainImage, 5, 6, 7, 9, 0x00000000u);
    undo_Record(&g_doc.mainImage, 0, 0, 0, 0, 1);
    ASSERT_EQ(doc_FitImage(0), 1);
    EXPECT_EQ(g_doc.mainImage.width, 3u);
    EXPECT_EQ(g_doc.mainImage.height, 4u);
    EXPECT_EQ(undo_UndoCount(), 0);
    EXPECT_TRUE(uiscript_ViewChanges() & UI_VIEW_RESIZED);
}

TEST_F(DocTest, TransparencyCleanups) {
    FillWith(&g_doc.mainImage, 0, 0, 0, 0, 0xF1123456u);   // alpha 241
    FillWith(&g_doc.mainImage, 1, 0, 1, 0, 0xF0123456u);   // alpha 240
    ASSERT_EQ(doc_RebaseTransparentPoint(DOC_TARGET_MAIN), 1);
    EXPECT_EQ(At(&g_doc.mainImage, {{0, 0}, {1, 0}}), (Words{0xFF123456u, 0xF0123456u}));
    set_Colour(1, 0x00332211u);   // COLORREF: red 0x11
    ASSERT_EQ(doc_RemoveRedundantInfo(DOC_TARGET_MAIN), 1);
    EXPECT_EQ(At(&g_doc.mainImage, {{0, 0}, {1, 0}}), (Words{0xFF112233u, 0xF0123456u}));
    ASSERT_EQ(doc_RemoveTransparency(), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 0, 0), 0x00112233u);
    EXPECT_EQ(undo_UndoCount(), 3);
    EXPECT_EQ(doc_RebaseTransparentPoint(DOC_TARGET_SPRITE), 0);   // no sprite
}

TEST_F(DocTest, MaskingRoundTripGivesThePaintedLumaAsAlpha) {
    FillWith(&g_doc.mainImage, 0, 0, 63, 47, 0x00204080u);
    EXPECT_EQ(doc_MaskActive(), 0);
    ASSERT_EQ(doc_MaskBegin(), 1);
    EXPECT_EQ(doc_MaskActive(), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 3, 3), 0x003E3E3Eu);   // the luma, 62.2
    // The user paints: black stays opaque, white turns transparent.
    FillWith(&g_doc.mainImage, 0, 0, 31, 47, 0x00000000u);
    FillWith(&g_doc.mainImage, 32, 0, 63, 47, 0x00FFFFFFu);
    ASSERT_EQ(doc_MaskEndAndFloat(), 1);
    EXPECT_EQ(doc_MaskActive(), 0);
    EXPECT_EQ(g_doc.spritePresent, 1);
    EXPECT_EQ(At(&g_doc.sprite, {{0, 0}, {40, 0}}), (Words{0x00204080u, 0xFF204080u}));
    EXPECT_EQ(WordAt(&g_doc.mainImage, 40, 0), 0x00204080u);   // the original returns
    EXPECT_EQ(g_doc.spriteX2, 63);
    // Without a cache it fails with its message.
    EXPECT_EQ(doc_MaskEndAndFloat(), 0);
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>{"Masking Failed: The draw engine couldn't apply Mask."});
}

TEST_F(DocTest, EndAndFloatAfterTheImageShrank) {
    ASSERT_EQ(doc_MaskBegin(), 1);
    Surface smaller{};
    srf_Create(20, 10, &smaller);
    srf_Destroy(&g_doc.mainImage);
    g_doc.mainImage = smaller;
    ASSERT_EQ(doc_MaskEndAndFloat(), 1);
    EXPECT_EQ(g_doc.sprite.width, 64u);
    // Outside the smaller image: clear; black painted: opaque.
    EXPECT_EQ(At(&g_doc.sprite, {{30, 5}, {5, 20}, {5, 5}}), (Words{0xFF000000u, 0xFF000000u, 0x00FFFFFFu}));
}

// Above 4096 x 4096 pixels refused and cut down; above 2048 x 2048 the user decides;
// below 4 in either direction refused and raised.
TEST_F(DocTest, ImageSizeRule) {
    const struct {
        int w, h, answer, result, wantW, wantH;
        const char* title;
    } cases[] = {{8192, 2048, UI_IDYES, 1, 8192, 2048, "Performance Warning"},
                 {4097, 4097, 0, 0, 4096, 4096, "Dimensions Too Large"},
                 {3000, 3000, UI_IDNO, 0, 3000, 3000, "Performance Warning"},
                 {2, 100, 0, 0, 4, 100, "Dimensions Too Small"},
                 {640, 480, 0, 1, 640, 480, nullptr}};
    for (const auto& c : cases) {
        uiscript_Reset();
        if (c.answer) uiscript_QueueBox(c.title, c.answer);
        int w = c.w, h = c.h;
        EXPECT_EQ(doc_CheckImageSize(&w, &h), c.result) << c.w;
        EXPECT_EQ((Dims{w, h}), (Dims{c.wantW, c.wantH})) << c.w;
        EXPECT_EQ(uiscript_Boxes().size(), c.title ? 1u : 0u) << c.w;
        for (const UiRecordedBox& b : uiscript_Boxes()) EXPECT_EQ(b.title, c.title) << c.w;
        if (c.wantW == 4) {
            EXPECT_EQ(uiscript_Boxes().back().text,
                      " The image size you have selected is less that the\nminimum of 4 by 4 pixels.\n");
        }
    }
}

TEST_F(DocTest, NewImageIsWhiteAndTransparentOnlyWhenAsked) {
    EditSettings([](SettingsRecord& r) { r.newImageTransparent = 1; });
    ASSERT_EQ(doc_NewImage(10, 7), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 9, 6), 0xFFFFFFFFu);
    EXPECT_STREQ(g_doc.fileName, "- untitled -");
    EditSettings([](SettingsRecord& r) { r.newImageTransparent = 0; });
    ASSERT_EQ(doc_NewImage(5, 5), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 0, 0), 0x00FFFFFFu);
    EXPECT_EQ(doc_NewImage(0, 5), 0);
    EXPECT_EQ(g_doc.mainImage.width, 5u);
}

TEST_F(DocTest, SendToBottomAsksAndNeverDestroysAnUnsavedImageWithoutASave) {
    MakeSprite(0, 0, 8, 6, 0x00ABCDEFu);
    doc_MarkChanged();
    uiscript_QueueBox("Save Main Image?", UI_IDCANCEL);
    EXPECT_EQ(doc_SendToBottomAsMainImage(nullptr), 0);
    uiscript_QueueBox("Save Main Image?", UI_IDYES);
    EXPECT_EQ(doc_SendToBottomAsMainImage([] { return 0; }), 0);   // the save failed
    EXPECT_EQ(g_doc.mainImage.width, 64u);
    uiscript_QueueBox("Save Main Image?", UI_IDNO);
    doc_SetFileName("C:\\x.kv5");
    ASSERT_EQ(doc_SendToBottomAsMainImage(nullptr), 1);
    EXPECT_EQ(g_doc.mainImage.width, 8u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 7, 5), 0x00ABCDEFu);
    EXPECT_EQ(g_doc.spritePresent, 0);
    EXPECT_STREQ(g_doc.fileName, "- untitled -");
}

TEST_F(DocTest, BringToTopAsksBeforeDiscardingASprite) {
    ASSERT_EQ(doc_BringToTopAsSprite(), 1);
    EXPECT_EQ(g_doc.spriteX1, 4);
    EXPECT_EQ(g_doc.spriteX2, 67);
    EXPECT_TRUE(uiscript_Boxes().empty());
    uiscript_QueueBox("Discard Sprite?", UI_IDNO);
    EXPECT_EQ(doc_BringToTopAsSprite(), 0);
}

TEST_F(DocTest, ChangesOfATargetKeepTheirUndoStepUnsavedFlagAndPlace) {
    // target, new size (0: same), change succeeds -> undo steps, unsaved, view told to refit
    const struct {
        int target, side, ok, steps, unsaved, resized;
    } rows[] = {{DOC_TARGET_MAIN, 0, 1, 1, 1, 0}, {DOC_TARGET_MAIN, 20, 1, 0, 1, 1}, {DOC_TARGET_MAIN, 0, 0, 0, 0, 0},
                {DOC_TARGET_SPRITE, 20, 1, 0, 0, 0}, {DOC_TARGET_SPRITE, 0, 0, 0, 0, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(&r - rows);
        SetUp();
        MakeSprite(5, 6, 8, 4, 0x00ABCDEFu);
        uiscript_Reset();
        int got = doc_ChangeTargetWith(r.target, [&](Surface* s) {
            if (r.side) srf_Resize(s, r.side, r.side, 3);
            return r.ok;
        });
        EXPECT_EQ(got, r.ok);
        EXPECT_EQ(undo_UndoCount(), r.steps);
        EXPECT_EQ(doc_HasUnsavedChanges(), r.unsaved);
        EXPECT_EQ((uiscript_ViewChanges() & UI_VIEW_RESIZED) != 0, r.resized != 0);
        EXPECT_EQ(uiscript_ViewChanges() != 0, r.ok != 0);
        if (r.target == DOC_TARGET_SPRITE && r.ok) {   // keeps its top-left corner
            EXPECT_EQ(g_doc.spriteX1, 5);
            EXPECT_EQ(g_doc.spriteX2, 24);
        }
    }
    doc_Discard();
    EXPECT_EQ(doc_ChangeTargetWith(DOC_TARGET_SPRITE, [](Surface*) { return 1; }), 0);   // no sprite
}

TEST_F(DocTest, PreviewedEditsRestoreOnCancelAndCountOnceWhenKept) {
    auto paint = [](Surface* t, Surface*, void*) { return FillWith(t, 0, 0, 3, 3, 0x00000000u), 1; };
    for (int keep : {0, 1}) {
        SCOPED_TRACE(keep);
        SetUp();
        ASSERT_EQ(doc_EditBegin(DOC_TARGET_MAIN), 1);
        EXPECT_EQ(doc_EditPreview(paint, nullptr, 1, 0), 1);
        EXPECT_EQ(doc_EditPreview(paint, nullptr, 1, 0), 1);
        EXPECT_EQ(WordAt(&g_doc.mainImage, 2, 2), 0x00000000u);
        EXPECT_EQ(undo_UndoCount(), 0);   // previews are no steps
        doc_EditEnd(keep);
        EXPECT_EQ(doc_EditActive(), 0);
        EXPECT_EQ(WordAt(&g_doc.mainImage, 2, 2), keep ? 0x00000000u : 0x00FFFFFFu);
        EXPECT_EQ(undo_UndoCount(), keep);
        EXPECT_EQ(doc_HasUnsavedChanges(), keep);
    }
    // A sprite turned by a transform keeps its centre.
    MakeSprite(4, 4, 64, 48, 0x00123456u);
    ASSERT_EQ(doc_EditBegin(DOC_TARGET_SPRITE), 1);
    auto turn = [](Surface* t, Surface* original, void*) { return (int)(srf_Duplicate(t, original) && srf_Resize(t, 48, 64, 3)); };
    ASSERT_EQ(doc_EditPreview(turn, nullptr, 0, 1), 1);
    doc_EditEnd(1);
    EXPECT_EQ(std::vector<int>({g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2}),
              std::vector<int>({12, -3, 59, 60}));
}

TEST_F(DocTest, StrokesUndoAndRedoAreDocumentChanges) {
    doc_BeginStroke();
    EXPECT_EQ(doc_EndStroke(), 0);   // a press that changed nothing is no step
    doc_BeginStroke();
    FillWith(&g_doc.mainImage, 1, 1, 2, 2, 0x00000000u);
    doc_StrokeChanged(2, 2, 1, 1);
    EXPECT_EQ(doc_EndStroke(), 1);
    EXPECT_EQ(undo_UndoCount(), 1);
    EXPECT_TRUE(doc_HasUnsavedChanges());
    doc_MarkSaved();
    uiscript_Reset();
    ASSERT_EQ(doc_Undo(), 1);
    EXPECT_EQ(At(&g_doc.mainImage, {{1, 1}, {2, 2}}), (Words{0x00FFFFFFu, 0x00FFFFFFu}));
    EXPECT_TRUE(doc_HasUnsavedChanges());
    EXPECT_EQ(uiscript_ViewChanges(), UI_VIEW_REPAINT);
    ASSERT_EQ(doc_Redo(), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 1, 1), 0x00000000u);
    EXPECT_EQ(doc_Redo(), 0);
}

// A stroke keeps the blocks it touched: corners far apart (one of them the origin's
// single pixel, one reported partly outside) cost three blocks, not the image.
TEST_F(DocTest, StrokesKeepOnlyTheBlocksTheyTouched) {
    srf_Destroy(&g_doc.mainImage);
    srf_Create(1000, 700, &g_doc.mainImage);
    undo_Reset(&g_doc.mainImage);
    const Words before = WordsOf(&g_doc.mainImage);
    const uint64_t base = undo_TotalBytes();
    doc_BeginStroke();
    const ToolRect changes[] = {{0, 0, 0, 0}, {990, 600, 1010, 720}, {500, 300, 500, 300}};
    for (const ToolRect& r : changes) {
        FillWith(&g_doc.mainImage, std::max(r.x1, 0), r.y1, std::min(r.x2, 999), std::min(r.y2, 699), 0x00ABCDEFu);
        doc_StrokeChanged(r.x1, r.y1, r.x2, r.y2);
    }
    ASSERT_EQ(doc_EndStroke(), 1);
    const Words after = WordsOf(&g_doc.mainImage);
    EXPECT_LT(undo_TotalBytes() - base, 4u * 64 * 64 * 4);
    ASSERT_EQ(doc_Undo(), 1);
    EXPECT_EQ(WordsOf(&g_doc.mainImage), before);
    ASSERT_EQ(doc_Redo(), 1);
    EXPECT_EQ(WordsOf(&g_doc.mainImage), after);
}

TEST_F(DocTest, TransparencyNeedsAndTransformQuestions) {
    // The effect table says which effects need transparency.
    EXPECT_EQ(doc_CheckTransparencyFor(FXC_DROP_SHADOW, &g_doc.mainImage), 0);
    EXPECT_EQ(uiscript_Boxes().back().title, "No Transparency");
    EXPECT_EQ(doc_CheckTransparencyFor(FXC_COLOR_FILTER, &g_doc.mainImage), 1);
    FillWith(&g_doc.mainImage, 3, 3, 3, 3, 0x01FFFFFFu);
    EXPECT_EQ(doc_CheckTransparencyFor(FXC_AA_EDGES | CAT_ON_SPRITE, &g_doc.mainImage), 1);
    // No undo steps: no question; with steps, the answer decides.
    EXPECT_EQ(doc_ConfirmTransformWithoutUndo(DOC_TARGET_MAIN), 1);
    undo_Record(&g_doc.mainImage, 3, 3, 3, 3, 0);
    uiscript_QueueBox("Continue Without Undo?", UI_IDNO);
    EXPECT_EQ(doc_ConfirmTransformWithoutUndo(DOC_TARGET_MAIN), 0);
    EXPECT_EQ(doc_ConfirmTransformWithoutUndo(DOC_TARGET_SPRITE), 1);
}

// Choosing another tool makes the current one previous; choosing the current one
// again changes nothing, so the middle-button swap still has two tools to exchange.
TEST(ToolSelect, CurrentAndPreviousTool) {
    const KeptSettings kept;
    const int SWAP = -100, LAST = TOOL_COUNT - 1;
    const int steps[][4] = {   // tool (or SWAP), result, current, previous
        {5, 1, 5, 3},        {5, 0, 5, 3},           {TOOL_COUNT, 0, 5, 3}, {-1, 0, 5, 3},
        {LAST, 1, LAST, 5},  {SWAP, 0, 5, LAST},     {SWAP, 0, LAST, 5},    {0, 1, 0, LAST}};
    set_Tools(3, 7);
    for (const auto& s : steps) {
        EXPECT_EQ(s[0] == SWAP ? (tool_SwapWithPrevious(), 0) : tool_Select(s[0]), s[1]) << &s - steps;
        EXPECT_EQ(tool_Current(), s[2]) << &s - steps;
        EXPECT_EQ(g_settings.previousTool, s[3]) << &s - steps;
    }
    set_Tools(TOOL_COUNT, 0);   // an unknown tool from the settings file
    EXPECT_EQ(tool_Current(), -1);
}
