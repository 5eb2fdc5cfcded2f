// Auto-save points: the header's bytes, refused headers, list texts, the run's ID
// among existing points, the writer's state machine and the chunked write.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "safety/autosave.h"
#include "support/scratch.h"

TEST(AutosaveHeader, LayoutAndRefusals) {
    std::vector<uint8_t> b(AS_HEADER_SIZE, 0xAA);
    AsHeader h = {0x0102, 0x0304, {2025, 3, 4, 5, 13, 7, 59, 999}}, got{};
    as_PutHeader(b.data(), h);
    const uint8_t want[25] = {0x02, 0x01, 0x04, 0x03, 0, 0, 0, 0, 0xE9, 0x07, 3, 0, 4, 0, 5, 0,
                              13, 0, 7, 0, 59, 0, 0xE7, 0x03, 0xAA};  // the thumbnail is the caller's
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 25), std::vector<uint8_t>(want, want + 25));
    ASSERT_TRUE(as_GetHeader(b.data(), b.size(), &got));
    EXPECT_EQ(std::memcmp(&got, &h, sizeof h), 0);
    const struct {
        int width, height;
        size_t size;
        int ok;
    } cases[] = {{1, 1, AS_HEADER_SIZE, 1},     {4096, 4096, AS_HEADER_SIZE, 1}, {0, 5, AS_HEADER_SIZE, 0},
                 {5, 0, AS_HEADER_SIZE, 0},     {4097, 5, AS_HEADER_SIZE, 0},    {5, 65535, AS_HEADER_SIZE, 0},
                 {5, 5, AS_HEADER_SIZE - 1, 0}, {5, 5, 0, 0}};
    for (const auto& c : cases) {
        h.width = (uint16_t)c.width;
        h.height = (uint16_t)c.height;
        as_PutHeader(b.data(), h);
        EXPECT_EQ(as_GetHeader(b.data(), c.size, &got), c.ok) << c.width << "x" << c.height << " " << c.size;
    }
}

TEST(AutosaveHeader, ListTexts) {
    const struct {
        uint16_t hour, minute, month;
        const char* time;
    } cases[] = {
        {0, 5, 1, "12:05 AM\nDate: 9 Jan"},  {12, 0, 12, "12:00 PM\nDate: 9 Dec"}, {13, 30, 6, "1:30 PM\nDate: 9 Jun"},
        {11, 59, 0, "11:59 AM\nDate: 9 Feb"},  // hostile fields pick an entry, never read past
        {99, 1, 65535, "3:01 AM\nDate: 9 Mar"},
    };
    for (const auto& c : cases) {
        AsHeader h = {640, 480, {2024, c.month, 0, 9, c.hour, c.minute, 0, 0}};
        char text[160];
        ASSERT_TRUE(as_ItemText("77", h, text, sizeof text));
        EXPECT_EQ(std::string(text), std::string("ID: 77\nSize: 640 x 480\nTime: ") + c.time + ", 2024");
    }
    char id[16];
    ASSERT_TRUE(as_IdText("0012x.kvr", id, sizeof id));
    EXPECT_STREQ(id, "0012");
    ASSERT_TRUE(as_IdText("12345678901.kvr", id, sizeof id));
    EXPECT_STREQ(id, "123456789");
    EXPECT_FALSE(as_IdText("abc.kvr", id, sizeof id));
}

TEST(AutosaveId, DrawsPastExistingPoints) {
    uint32_t state = 1;
    const int first[3] = {as_NextRandom(&state), as_NextRandom(&state), as_NextRandom(&state)};
    EXPECT_EQ(std::vector<int>(first, first + 3), (std::vector<int>{41, 18467, 6334}));
    Scratch s;
    EXPECT_EQ(as_DrawRunId(1), 41);
    // Points of earlier runs are skipped; a half-written one does not hold its ID.
    for (const char* f : {"Autosave/41.kvr", "Autosave/18467.kvr", "Autosave/6334.tmp"}) s.Write(f);
    EXPECT_EQ(as_DrawRunId(1), 6334);
    EXPECT_EQ(as_RunId(), 6334);
    char path[KV_MAX_PATH];
    ASSERT_TRUE(as_PointPath(6334, ".tmp", path, sizeof path));
    EXPECT_EQ(std::string(path), s.dir + "\\Autosave\\6334.tmp");
}

namespace {
int g_launches, g_launchOk, g_yields;
int fake_launch(void*, unsigned long* id) {
    g_launches++;
    *id = 77;
    return g_launchOk;
}
// Writes come up short past `limit` bytes in all (0: never).
struct Sink {
    size_t written, limit;
};
uint32_t sink_write(void* ctx, const void*, uint32_t bytes) {
    Sink* s = (Sink*)ctx;
    if (s->limit && s->written + bytes > s->limit) return bytes - 1;
    s->written += bytes;
    return bytes;
}
void count_yield() { g_yields++; }
}  // namespace

TEST(AutosaveWriter, StateMachine) {
    // Each step: what happened before the poll, whether launching works, the poll's
    // answer, the state after it and the launches so far.
    enum { NONE, FINISH_OK, FINISH_FAILED, RESET };
    const struct {
        int before, launchOk, result, state, launches;
    } steps[] = {
        {RESET, 1, 0, AS_RUNNING, 1}, {NONE, 1, 0, AS_RUNNING, 1},          {FINISH_OK, 1, 1, AS_IDLE, 1},
        {NONE, 1, 0, AS_RUNNING, 2},  {FINISH_FAILED, 1, -1, AS_FAILED, 2},
        {NONE, 1, -1, AS_FAILED, 2},   // failed stays failed and starts nothing
        {RESET, 0, -1, AS_FAILED, 3},  // no snapshot memory or no thread
    };
    g_launches = 0;
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; i++) {
        const auto& s = steps[i];
        if (s.before == RESET) as_Reset();
        if (s.before == FINISH_OK || s.before == FINISH_FAILED) as_Finish(s.before == FINISH_OK);
        g_launchOk = s.launchOk;
        as_SetHurry(1);
        const int before = g_launches;
        EXPECT_EQ(as_Start(fake_launch, nullptr), s.result) << i;
        EXPECT_EQ(as_State(), s.state) << i;
        EXPECT_EQ(g_launches, s.launches) << i;
        EXPECT_EQ(as_Hurry(), g_launches == before) << i;  // a new worker starts unhurried
    }
    as_Reset();
}

TEST(AutosaveWriter, ChunksAndYields) {
    const struct {
        size_t bytes;
        int hurry;
        size_t limit;
        int chunks, yields;
    } cases[] = {
        {0, 0, 0, 0, 0},  {1, 0, 0, 1, 0}, {AS_CHUNK, 0, 0, 1, 1}, {2 * AS_CHUNK + 5, 0, 0, 3, 2},
        {2 * AS_CHUNK + 5, 1, 0, 3, 0},           // hurry: no yields
        {3 * AS_CHUNK, 0, 2 * AS_CHUNK, -1, 2},  // the third chunk comes up short
    };
    std::vector<uint8_t> data(3 * AS_CHUNK);
    for (const auto& c : cases) {
        Sink sink = {0, c.limit};
        g_yields = 0;
        as_SetHurry(c.hurry);
        EXPECT_EQ(as_WriteChunks(data.data(), c.bytes, sink_write, &sink, count_yield), c.chunks) << c.bytes;
        EXPECT_EQ(as_LastChunks(), c.chunks);
        EXPECT_EQ(g_yields, c.yields) << c.bytes;
        EXPECT_EQ(sink.written, c.chunks < 0 ? 2 * AS_CHUNK : c.bytes);
    }
    as_SetHurry(0);
}
