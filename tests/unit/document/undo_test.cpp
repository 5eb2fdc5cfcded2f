// Undo engine: redo dropping, the budget and level limits, rectangle rules, the
// out-of-memory path, the status texts, and random sequences (of rectangles and of
// two-part changes) checked against the images the test recorded.
#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <vector>
#include "document/memblock.h"
#include "document/undo.h"
#include "engine/shape.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace {

struct UndoTest : ::testing::Test {
    Surface img{};
    void SetUp() override {
        uiscript_Reset();
        undo_Shutdown();
        undo_Init(1 << 20);
        srf_Create(40, 30, &img);
        ASSERT_EQ(undo_Reset(&img), 1);
    }
    void TearDown() override {
        undo_Shutdown();
        srf_Destroy(&img);
    }
};

}  // namespace

// Reversed and partly outside rectangles are left to the random sequences below.
TEST_F(UndoTest, RectangleRules) {
    EXPECT_EQ(undo_Undo(&img) + undo_Redo(&img), 0);   // nothing to undo or redo: no status either
    EXPECT_TRUE(uiscript_Statuses().empty());
    // (0,0)-(0,0) without `whole` means nothing changed; wholly outside, nothing either.
    EXPECT_EQ(undo_Record(&img, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(undo_Record(&img, 50, 2, 60, 8, 0), 0);
    EXPECT_EQ(undo_Record(&img, -9, -9, -1, -2, 0), 0);
    EXPECT_EQ(undo_UndoCount(), 0);
    ASSERT_EQ(undo_Record(&img, 30, 20, 45, 35, 0), 1);
    // Another surface, or a resized one, starts a new history.
    Surface other{};
    srf_Create(40, 30, &other);
    EXPECT_EQ(undo_Record(&other, 1, 1, 2, 2, 0), 1);
    EXPECT_EQ(undo_UndoCount(), 0);
    srf_Destroy(&other);
}

TEST_F(UndoTest, RecordsFillingTheBudgetExactlyAreAllKept) {
    FillWith(&img, 1, 1, 4, 4, 0x11);
    ASSERT_EQ(undo_Record(&img, 1, 1, 4, 4, 0), 1);
    const uint64_t one = undo_TotalBytes() - undo_BaseBytes();
    undo_Config((uint32_t)(2 * one), UNDO_SET | 1);
    FillWith(&img, 6, 6, 9, 9, 0x22);   // a record of the same size
    ASSERT_EQ(undo_Record(&img, 6, 6, 9, 9, 0), 1);
    EXPECT_EQ(undo_UndoCount(), 2);
    FillWith(&img, 11, 11, 14, 14, 0x33);   // three overflow it: the oldest folds
    ASSERT_EQ(undo_Record(&img, 11, 11, 14, 14, 0), 1);
    EXPECT_EQ(undo_UndoCount(), 2);
}

TEST_F(UndoTest, LevelLimitFoldsTheOldestIntoTheBase) {
    undo_Config(0, UNDO_SET | 1);   // no memory limit: only the level limit folds
    EXPECT_EQ(undo_Config(5, UNDO_SET | 2), 0u);
    std::vector<uint32_t> afterFirst;
    for (int i = 0; i < 1002; i++) {
        int x = (i + 1) % 40, y = ((i + 1) / 40) % 30;
        FillWith(&img, x, y, x, y, 0x1000u + i);
        ASSERT_EQ(undo_Record(&img, x, y, x, y, 0), 1);
        if (i == 0) afterFirst = WordsOf(&img);
    }
    EXPECT_EQ(undo_UndoCount(), 1001);
    while (undo_Undo(&img)) {
    }
    EXPECT_EQ(WordsOf(&img), afterFirst);   // the first change became part of the base
}

TEST_F(UndoTest, AllocationFailureRetriesThenResetsKeepingTheImage) {
    FillWith(&img, 2, 2, 3, 3, 0x99);
    ASSERT_EQ(undo_Record(&img, 2, 2, 3, 3, 0), 1);
    FillWith(&img, 4, 4, 6, 6, 0xAA);
    auto now = WordsOf(&img);
    mem_FailNext(6);
    EXPECT_EQ(undo_Record(&img, 4, 4, 6, 6, 0), 0);
    EXPECT_EQ(uiscript_SleptMs(), 2500u);
    EXPECT_EQ(uiscript_BeepCount(), 6);
    EXPECT_EQ(uiscript_Statuses().back(), " UNDO ERROR: Can't Allocate Memory!!");
    EXPECT_EQ(uiscript_BoxLines(),
              std::vector<std::string>{"Undo Engine Error: Could not allocate memory.\nAll undo info will be lost!!!"});
    EXPECT_EQ(undo_UndoCount(), 0);
    EXPECT_EQ(WordsOf(&img), now);
    // The reset took the present image as the new base: history works again.
    FillWith(&img, 7, 7, 8, 8, 0xBB);
    ASSERT_EQ(undo_Record(&img, 7, 7, 8, 8, 0), 1);
    ASSERT_EQ(undo_Undo(&img), 1);
    EXPECT_EQ(WordsOf(&img), now);
    EXPECT_EQ(uiscript_Statuses().back(), " Undo completed successfully...");
    ASSERT_EQ(undo_Redo(&img), 1);
    EXPECT_EQ(uiscript_Statuses().back(), " Redo completed successfully...");
}

// A whole-image record (4800 bytes) is over the budget: it is kept alone.
TEST_F(UndoTest, RandomSequencesGiveBackEveryRecordedImage) {
    const uint32_t budget = 4000;
    undo_Config(budget, UNDO_SET | 1);
    std::mt19937 rng(2024);
    std::vector<std::vector<uint32_t>> history{WordsOf(&img)};
    size_t at = 0;
    for (int step = 0; step < 3000; step++) {
        int action = rng() % 10;
        if (action < 6) {
            int x1 = (int)(rng() % 50) - 5, y1 = (int)(rng() % 40) - 5;
            int x2 = x1 + (int)(rng() % 12) - 3, y2 = y1 + (int)(rng() % 12) - 3;
            int whole = rng() % 20 == 0, parts = !whole && rng() % 4 == 0;
            if (!whole && x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0) continue;   // "nothing changed"
            FillWith(&img, whole ? 0 : x1, whole ? 0 : y1, whole ? 39 : x2, whole ? 29 : y2, rng());
            // Or a change of two places, recorded as two parts.
            ToolRect two[] = {{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)},
                              {x2 + 7, y1 - 4, x2 + 9, y1 + 1}};
            if (parts) FillWith(&img, two[1].x1, two[1].y1, two[1].x2, two[1].y2, rng());
            if (parts ? undo_RecordParts(&img, two, 2) : undo_Record(&img, x1, y1, x2, y2, whole)) {
                history.resize(at + 1);
                history.push_back(WordsOf(&img));
                at++;
            } else {
                ASSERT_EQ(WordsOf(&img), history[at]) << step;   // only rectangles wholly outside
            }
            uint64_t records = undo_TotalBytes() - undo_BaseBytes();
            ASSERT_TRUE(records <= budget || undo_UndoCount() + undo_RedoCount() == 1) << step;
            ASSERT_LE(undo_UndoCount(), (int)at);
        } else if (action < 8) {
            int expect = undo_UndoCount() > 0;
            ASSERT_EQ(undo_Undo(&img), expect);
            ASSERT_TRUE(!expect || WordsOf(&img) == history[--at]) << step;
        } else {
            int expect = undo_RedoCount() > 0;
            ASSERT_EQ(undo_Redo(&img), expect);
            ASSERT_TRUE(!expect || WordsOf(&img) == history[++at]) << step;
        }
    }
}
