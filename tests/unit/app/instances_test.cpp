// Instance table operations: order, the 256-slot limit, removal and damaged tables.
#include <gtest/gtest.h>
#include <cstring>
#include "app/instances.h"

TEST(InstanceTable, InsertAndRemoveKeepSlotsPackedInOrder) {
    InstanceTable t{};
    for (uint32_t id = 101; id <= 105; id++) ASSERT_EQ(inst_Insert(&t, id), 1);
    EXPECT_EQ(t.count, 5u);
    EXPECT_EQ(inst_Remove(&t, 103), 1);
    EXPECT_EQ(t.count, 4u);
    const uint32_t want[] = {101, 102, 104, 105, 0};
    for (int i = 0; i < 5; i++) EXPECT_EQ(t.pid[i], want[i]) << i;
    EXPECT_EQ(inst_Remove(&t, 101), 1);
    EXPECT_EQ(inst_Insert(&t, 106), 1);
    EXPECT_EQ(t.pid[3], 106u);
    EXPECT_EQ(t.count, 4u);
}

TEST(InstanceTable, AFullTableRecordsNoMore) {
    InstanceTable t{};
    for (uint32_t id = 1; id <= 256; id++) ASSERT_EQ(inst_Insert(&t, id), 1);
    EXPECT_EQ(inst_Insert(&t, 999), 0);
    EXPECT_EQ(t.count, 256u);
    EXPECT_EQ(t.pid[255], 256u);
    // A copy that was never recorded cannot lower the count on its way out.
    EXPECT_EQ(inst_Remove(&t, 999), 0);
    EXPECT_EQ(t.count, 256u);
    EXPECT_EQ(inst_Remove(&t, 1), 1);
    EXPECT_EQ(inst_Insert(&t, 999), 1);
    EXPECT_EQ(t.pid[255], 999u);
}

TEST(InstanceTable, DamagedTablesNeverLoseALiveSlot) {
    InstanceTable t{};
    t.pid[0] = 0;
    t.pid[1] = 0;
    t.pid[2] = 7;  // two holes in front, count too low
    t.pid[9] = 8;
    t.count = 1;
    ASSERT_EQ(inst_Insert(&t, 9), 1);
    EXPECT_EQ(t.pid[0], 7u);
    EXPECT_EQ(t.pid[1], 8u);
    EXPECT_EQ(t.pid[2], 9u);
    EXPECT_EQ(t.count, 3u);
    EXPECT_EQ(inst_Insert(&t, 0), 0);  // 0 marks a free slot, never an id
    EXPECT_EQ(t.count, 3u);
}
