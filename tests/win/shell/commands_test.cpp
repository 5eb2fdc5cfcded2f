// The command table: every effect and transform has its one row, the enabling rules
// follow the document, and a command runs only through its row. (The real Win32 seam:
// the command layer brings the view; nothing here opens a window.)
#include <gtest/gtest.h>
#include <set>
#include "app/app_ids.h"
#include "app/commands.h"
#include "document/document.h"
#include "document/undo.h"
#include "effects/catalogue.h"
#include "support/test_surface.h"

namespace {

struct CommandTable : ::testing::Test {
    void SetUp() override {
        undo_Init(8 << 20);
        doc_Shutdown();
        srf_Create(16, 8, &g_doc.mainImage);
        FillWith(&g_doc.mainImage, 0, 0, 15, 7, 0x00FFFFFFu);
        doc_StartHistory();
        doc_SetFileName(nullptr);
        doc_MarkSaved();
    }
    void TearDown() override {
        doc_Shutdown();
        undo_Shutdown();
    }
    void AddSprite() {
        Surface s{};
        srf_Create(4, 4, &s);
        FillWith(&s, 0, 0, 3, 3, 0x00808080u);
        ASSERT_EQ(doc_AdoptSprite(&s), 1);
    }
};

}  // namespace

TEST_F(CommandTable, EveryEffectAndTransformHasItsOneRow) {
    int rows, effects;
    const CommandRow* table = cmd_Rows(&rows);
    const EffectInfo* fx = cat_Effects(&effects);
    std::multiset<uint32_t> effectRows, transformRows;
    std::set<int> ids;
    for (const CommandRow* r = table; r < table + rows; r++) {
        EXPECT_TRUE(ids.insert(r->id).second) << "id " << r->id << " twice";
        if (r->flags & CMDF_EFFECT) effectRows.insert(r->code);
        if (r->flags & CMDF_TRANSFORM) transformRows.insert(r->code);
        EXPECT_TRUE(r->run || (r->flags & (CMDF_EFFECT | CMDF_TRANSFORM | CMDF_HEADING))) << "id " << r->id;
    }
    EXPECT_EQ((int)effectRows.size(), effects);
    for (const EffectInfo* e = fx; e < fx + effects; e++) EXPECT_EQ(effectRows.count(e->code), 1u) << e->key;
    for (uint32_t t = TFC_ROTATE; t <= TFC_ROTATE90; t++) EXPECT_EQ(transformRows.count(t), 1u) << "transform " << t;
    EXPECT_EQ(cmd_Find(12345), nullptr);
}

TEST_F(CommandTable, EnablingRulesFollowTheDocument) {
    enum State { PLAIN, SPRITE, STROKE, UNDONE, MASKING, NAMED };
    // command, state, enabled
    const struct {
        int id;
        State state;
        int enabled;
    } rows[] = {{CMD_SPRITE_DISCARD, PLAIN, 0}, {CMD_SPRITE_DISCARD, SPRITE, 1}, {CMD_SPRITE_RESIZE, PLAIN, 0},
                {CMD_UNDO, PLAIN, 0},           {CMD_UNDO, STROKE, 1},           {CMD_REDO, STROKE, 0},
                {CMD_REDO, UNDONE, 1},          {CMD_MASK_BEGIN, PLAIN, 1},      {CMD_MASK_BEGIN, MASKING, 0},
                {CMD_MASK_END, PLAIN, 0},       {CMD_MASK_END, MASKING, 1},      {CMD_RELOAD, PLAIN, 0},
                {CMD_RELOAD, NAMED, 1},         {CMD_HEADING, PLAIN, 0},         {CMD_FX_BLUR, PLAIN, 1},
                {CMD_TR_FLIP, SPRITE, 1},       {12345, PLAIN, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "command " << r.id << " state " << r.state);
        SetUp();
        if (r.state == SPRITE) AddSprite();
        if (r.state == STROKE || r.state == UNDONE) {
            doc_BeginStroke();
            doc_StrokeChanged(0, 0, 1, 1);
            doc_EndStroke();
            if (r.state == UNDONE) doc_Undo();
        }
        if (r.state == MASKING) doc_MaskBegin();
        if (r.state == NAMED) doc_SetFileName("C:\\pictures\\a.kv5");
        EXPECT_EQ(cmd_Enabled(r.id), r.enabled);
        TearDown();
    }
}

TEST_F(CommandTable, CommandsRunThroughTheirRowsAndTheDocument) {
    // A direct effect through the effect table: one undo step, unsaved.
    ASSERT_EQ(cmd_Run(CMD_FX_NEGATIVE), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 3, 3), 0x00000000u);
    EXPECT_EQ(undo_UndoCount(), 1);
    EXPECT_TRUE(doc_HasUnsavedChanges());
    ASSERT_EQ(cmd_Run(CMD_UNDO), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 3, 3), 0x00FFFFFFu);
    // A refused command does nothing.
    EXPECT_EQ(cmd_Run(CMD_SPRITE_DISCARD), 0);
    EXPECT_EQ(cmd_Run(CMD_HEADING), 0);
    // Enhancement changes the sprite when there is one, without asking.
    AddSprite();
    ASSERT_EQ(cmd_Run(CMD_FX_ENHANCE), 1);
    EXPECT_EQ(WordAt(&g_doc.mainImage, 3, 3), 0x00FFFFFFu);
    ASSERT_EQ(cmd_Run(CMD_SPRITE_DISCARD), 1);
    EXPECT_EQ(g_doc.spritePresent, 0);
}
