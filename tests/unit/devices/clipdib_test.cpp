// The clipboard's packed bitmap: the block the program writes, and the checks a
// foreign block passes or fails before its pixels are read.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "devices/clipdib.h"
#include "platform/refusal.h"
#include "support/test_surface.h"

namespace {

// A header of 40 bytes plus `extra` zero bytes.
std::vector<uint8_t> Header(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, uint32_t used,
                            uint32_t imageSize, size_t extra) {
    std::vector<uint8_t> b(40 + extra, 0);
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    put(0, 40);
    put(4, (uint32_t)w);
    put(8, (uint32_t)h);
    b[12] = 1;
    b[14] = (uint8_t)bpp;
    put(16, compression);
    put(20, imageSize);
    put(32, used);
    return b;
}

}  // namespace

TEST(ClipboardBitmap, WrittenBlockIsBottomUpWithAlpha) {
    const uint32_t px[6] = {0x01020304, 0xFF0000FF, 0x80112233, 0x00000000, 0x7F7F7F7F, 0xFFFFFFFF};
    std::vector<uint8_t> block(cdib_BlockSize(2, 3), 0);
    EXPECT_EQ(block.size(), 2u * 3 * 4 + 1064);
    cdib_Write(block.data(), px, 2, 3, 2);
    CdibLayout d;
    ASSERT_TRUE(cdib_Parse(block.data(), block.size(), 1 << 24, &d));
    EXPECT_EQ((Dims{d.width, d.height}), (Dims{2, 3}));
    EXPECT_EQ(d.bitsPerPixel, 32);
    EXPECT_EQ(d.bitsOffset, 40u);
    uint32_t first, last, imageSize;
    std::memcpy(&first, &block[40], 4);
    std::memcpy(&last, &block[40 + 20], 4);
    std::memcpy(&imageSize, &block[20], 4);
    EXPECT_EQ(first, px[4]);  // the bottom row comes first
    EXPECT_EQ(last, px[1]);
    EXPECT_EQ(imageSize, 24u);
}

TEST(ClipboardBitmap, ForeignBlocksAreCheckedBeforeReading) {
    const struct {
        int32_t w, h;
        uint16_t bpp;
        uint32_t compression, used, imageSize;
        size_t extra;
        int ok;
        uint32_t entries;
        size_t offset;
    } cases[] = {
        {3, 2, 24, 0, 0, 0, 24, 1, 0, 40},             // rows padded to 12 bytes
        {3, 2, 24, 0, 0, 0, 23, 0, 0, 0},              // one byte short
        {3, -2, 24, 0, 0, 0, 24, 1, 0, 40},            // top-down
        {4, 4, 8, 0, 16, 0, 64 + 16, 1, 16, 104},      // colours-used replaces 256
        {4, 4, 8, 0, 0, 0, 1024 + 16, 1, 256, 1064},
        {3, 2, 24, 0, 2, 0, 8 + 24, 1, 2, 48},         // a deeper one's table, then its rows
        {4, 4, 8, 0, 0, 0, 1024 + 15, 0, 0, 0},
        {4, 4, 8, 0, 300, 0, 9999, 0, 0, 0},           // a table larger than 256
        {2, 2, 32, 3, 0, 0, 12 + 16, 1, 3, 52},        // bit fields: three masks
        {2, 2, 24, 3, 0, 0, 100, 0, 0, 0},
        {8, 8, 8, 1, 0, 30, 1024 + 30, 1, 256, 1064},  // run-length: the promised bytes
        {8, -8, 8, 1, 0, 30, 1024 + 30, 0, 0, 0},
        {2, 2, 32, 4, 0, 0, 100, 0, 0, 0},             // embedded compressed formats
        {0, 2, 32, 0, 0, 0, 100, 0, 0, 0},
        {40000, 1, 32, 0, 0, 0, 100, 0, 0, 0},
        {5000, 5000, 1, 0, 0, 0, 4000000, 0, 0, 0},    // more pixels than a surface holds
        {2, 2, 7, 0, 0, 0, 100, 0, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> b = Header(c.w, c.h, c.bpp, c.compression, c.used, c.imageSize, c.extra);
        CdibLayout d{};
        refuse_Clear();
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " " << c.bpp);
        EXPECT_EQ(cdib_Parse(b.data(), b.size(), 1 << 24, &d), c.ok);
        if (c.ok) {
            EXPECT_EQ(d.tableEntries, c.entries);
            EXPECT_EQ(d.bitsOffset, c.offset);
        } else {
            EXPECT_STRNE(refuse_Reason(), "");
        }
    }
    std::vector<uint8_t> b = Header(2, 2, 32, 0, 0, 0, 16);
    uint32_t huge = 0x7FFFFFFF;
    std::memcpy(&b[0], &huge, 4);
    CdibLayout d;
    EXPECT_EQ(cdib_Parse(b.data(), b.size(), 1 << 24, &d), 0);
    EXPECT_EQ(cdib_Parse(b.data(), 39, 1 << 24, &d), 0);
}
