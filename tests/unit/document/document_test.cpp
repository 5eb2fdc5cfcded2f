// Document operations: stamping and moving the sprite, cropping to content, the
// transparency clean-ups, Create By Masking, the image-size rule and the questions
// that guard destructive commands.
#include <gtest/gtest.h>
#include <cstring>
#include "document/document.h"
#include "document/toolselect.h"
#include "document/undo.h"
#include "engine/shape.h"
#include "settings/settings.h"
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

}  // namespace

TEST_F(DocTest, AddCopyToImageTwiceStampsTwiceDiagonally) {
    MakeSprite(2, 3, 4, 4, 0x00123456u);
    EXPECT_EQ(g_settings.currentTool, TOOL_RECT_SELECT);
    ASSERT_EQ(doc_AddCopyToImage(), 1);
    ASSERT_EQ(doc_AddCopyToImage(), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 2, 3), 0x00123456u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 26, 27), 0x00123456u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 14, 15), 0x00FFFFFFu);
    EXPECT_EQ(g_doc.spriteX1, 50);
    EXPECT_EQ(undo_UndoCount(), 2);
    EXPECT_TRUE(doc_HasUnsavedChanges());
    // Add To Image blends (half-transparent here), writes opaque alpha and discards.
    FillWith(&g_doc.sprite, 0, 0, 3, 3, 0x80000000u);
    g_doc.spriteX1 = g_doc.spriteY1 = 10;
    g_doc.spriteX2 = g_doc.spriteY2 = 17;   // stretched to twice its size
    ASSERT_EQ(doc_AddToImage(), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 10, 10), 0x00808080u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 17, 17), 0x00808080u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 18, 18), 0x00FFFFFFu);
    EXPECT_EQ(g_doc.spritePresent, 0);
    EXPECT_FALSE(srf_IsValid(&g_doc.sprite));
    EXPECT_EQ(doc_AddToImage(), 0);
}

TEST_F(DocTest, FitSpriteKeepsTheContentInPlace) {
    MakeSprite(100, 200, 30, 40, 0xFF000000u);
    FillWith(&g_doc.sprite, 10, 20, 10, 20, 0x00FF0000u);
    ASSERT_EQ(doc_FitSprite(2), 1);
    EXPECT_EQ(g_doc.sprite.width, 5u);
    EXPECT_EQ(g_doc.sprite.height, 5u);
    EXPECT_EQ(g_doc.spriteX1, 108);
    EXPECT_EQ(g_doc.spriteY1, 218);
    EXPECT_EQ(g_doc.spriteX2, 112);
    EXPECT_EQ(WordAt(&g_doc.sprite, 2, 2), 0x00FF0000u);
    EXPECT_EQ(WordAt(&g_doc.sprite, 0, 0), 0xFFFFFFFFu);   // the border is transparent white
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
    EXPECT_EQ(WordAt(&g_doc.mainImage, 0, 0), 0xFF123456u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 1, 0), 0xF0123456u);
    g_settings.colour1 = 0x00332211u;   // COLORREF: red 0x11
    ASSERT_EQ(doc_RemoveRedundantInfo(DOC_TARGET_MAIN), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 0, 0), 0xFF112233u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 1, 0), 0xF0123456u);
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
    uint32_t y = (19595 * 0x20 + 38470 * 0x40 + 7471 * 0x80 + 32768) >> 16;
    EXPECT_EQ(WordAt(&g_doc.mainImage, 3, 3), y * 0x010101u);
    // The user paints: black stays opaque, white turns transparent.
    FillWith(&g_doc.mainImage, 0, 0, 31, 47, 0x00000000u);
    FillWith(&g_doc.mainImage, 32, 0, 63, 47, 0x00FFFFFFu);
    ASSERT_EQ(doc_MaskEndAndFloat(), 1);
    EXPECT_EQ(doc_MaskActive(), 0);
    EXPECT_EQ(g_doc.spritePresent, 1);
    EXPECT_EQ(WordAt(&g_doc.sprite, 0, 0), 0x00204080u);
    EXPECT_EQ(WordAt(&g_doc.sprite, 40, 0), 0xFF204080u);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 40, 0), 0x00204080u);   // the original returns
    EXPECT_EQ(g_doc.spriteX2, 63);
    // Without a cache it fails with its message.
    EXPECT_EQ(doc_MaskEndAndFloat(), 0);
    EXPECT_EQ(uiscript_Boxes().back().title, "Masking Failed");
    EXPECT_EQ(uiscript_Boxes().back().text, "The draw engine couldn't apply Mask.");
}

TEST_F(DocTest, EndAndFloatAfterTheImageShrank) {
    ASSERT_EQ(doc_MaskBegin(), 1);
    Surface smaller{};
    srf_Create(20, 10, &smaller);
    srf_Destroy(&g_doc.mainImage);
    g_doc.mainImage = smaller;
    ASSERT_EQ(doc_MaskEndAndFloat(), 1);
    EXPECT_EQ(g_doc.sprite.width, 64u);
    EXPECT_EQ(WordAt(&g_doc.sprite, 30, 5), 0xFF000000u);
    EXPECT_EQ(WordAt(&g_doc.sprite, 5, 20), 0xFF000000u);
    EXPECT_EQ(WordAt(&g_doc.sprite, 5, 5), 0x00FFFFFFu);   // black painted: opaque
}

TEST_F(DocTest, ImageSizeRule) {
    int w = 8192, h = 2048;
    uiscript_QueueBox("Performance Warning", UI_IDYES);
    EXPECT_EQ(doc_CheckImageSize(&w, &h), 1);
    w = 4097, h = 4097;
    EXPECT_EQ(doc_CheckImageSize(&w, &h), 0);
    EXPECT_EQ(w, 4096);
    EXPECT_EQ(h, 4096);
    EXPECT_EQ(uiscript_Boxes().back().title, "Dimensions Too Large");
    w = 3000, h = 3000;
    uiscript_QueueBox("Performance Warning", UI_IDNO);
    EXPECT_EQ(doc_CheckImageSize(&w, &h), 0);
    EXPECT_EQ(w, 3000);
    w = 2, h = 100;
    EXPECT_EQ(doc_CheckImageSize(&w, &h), 0);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 100);
    EXPECT_EQ(uiscript_Boxes().back().text,
              " The image size you have selected is less that the\nminimum of 4 by 4 pixels.\n");
    w = 640, h = 480;
    EXPECT_EQ(doc_CheckImageSize(&w, &h), 1);
}

TEST_F(DocTest, NewImageIsWhiteAndTransparentOnlyWhenAsked) {
    g_settings.newImageTransparent = 1;
    ASSERT_EQ(doc_NewImage(10, 7), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 9, 6), 0xFFFFFFFFu);
    EXPECT_STREQ(g_doc.fileName, "- untitled -");
    g_settings.newImageTransparent = 0;
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

TEST_F(DocTest, TargetsAndEffectResults) {
    EXPECT_EQ(doc_EffectCode(12, DOC_TARGET_SPRITE), 12u | (1u << 27));
    EXPECT_EQ(doc_ShouldRecordUndo(1), 1);
    EXPECT_EQ(doc_ShouldRecordUndo(129), 0);
    EXPECT_EQ(doc_ShouldRecordUndo(128), 0);
    EXPECT_EQ(doc_ShouldRecordUndo(0), 0);
    doc_ReportTarget(DOC_TARGET_SPRITE);
    EXPECT_EQ(uiscript_Statuses().back(), " Target set to Sprite...");
    // Effects 12 and 14 need transparency.
    EXPECT_EQ(doc_CheckTransparencyFor(12, &g_doc.mainImage), 0);
    EXPECT_EQ(uiscript_Boxes().back().title, "No Transparency");
    EXPECT_EQ(doc_CheckTransparencyFor(13, &g_doc.mainImage), 1);
    FillWith(&g_doc.mainImage, 3, 3, 3, 3, 0x01FFFFFFu);
    EXPECT_EQ(doc_CheckTransparencyFor(14 | (1u << 27), &g_doc.mainImage), 1);
    // No undo steps: no question; with steps, the answer decides.
    EXPECT_EQ(doc_ConfirmTransformWithoutUndo(DOC_TARGET_MAIN), 1);
    undo_Record(&g_doc.mainImage, 3, 3, 3, 3, 0);
    uiscript_QueueBox("Continue Without Undo?", UI_IDNO);
    EXPECT_EQ(doc_ConfirmTransformWithoutUndo(DOC_TARGET_MAIN), 0);
    EXPECT_EQ(doc_ConfirmTransformWithoutUndo(DOC_TARGET_SPRITE), 1);
}
