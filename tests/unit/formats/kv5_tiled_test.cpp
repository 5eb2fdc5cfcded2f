// Legacy tiled layout: files built tile by tile covering each tile kind, the strip
// order (also on a repeat), the persistent palette, the extra byte, edge clipping, the
// red/blue swap and codec lists (refusals: contract_test.cpp).
#include <gtest/gtest.h>
#include <functional>
#include "formats/kv5_tiled.h"
#include "support/format_support.h"

using namespace ftest;

namespace {

typedef std::function<uint32_t(int)> Words;  // a tile's 256 words in file order

void AddPlanes(Bytes& s, int planes, int n, const Words& word) {
    for (int p = 0; p < planes; p++)
        for (int i = 0; i < n; i++) s.push_back((uint8_t)(word(i) >> (8 * p)));
}
void Direct(Bytes& s, int planes, const Words& word, int flags = 0) {
    s.push_back((uint8_t)((planes - 1) | 0x08 | flags));
    AddPlanes(s, planes, 256, word);
}
// Entries [start, start + n); `withStart` sets bit 5 (else start must be 0).
void Indexed(Bytes& s, int planes, const Words& index, int start, int n, const Words& entry, bool withStart) {
    s.push_back((uint8_t)((planes - 1) | 0x18 | (withStart ? 0x20 : 0)));
    for (int i = 0; i < 256; i++) s.push_back((uint8_t)index(i));
    s.push_back((uint8_t)(withStart ? n : n - 1));
    if (withStart) s.push_back((uint8_t)start);
    AddPlanes(s, planes, n, entry);
}
void Grey(Bytes& s, int planes, const Words& grey) {
    s.push_back((uint8_t)(planes - 1));
    for (int i = 0; i < 256; i++) s.push_back((uint8_t)grey(i));
    s.insert(s.end(), (size_t)(planes - 1) * 256, 0xEE);  // skipped
}

Bytes TiledFile(uint16_t w, uint16_t h, const Bytes& stream, std::vector<int> codecs = {}, uint16_t layout = 0) {
    Bytes b(40, 0);
    std::memcpy(b.data(), "_KV5", 4);
    for (auto [at, v] : {std::pair<size_t, uint32_t>{8, 7}, {10, layout}, {12, w}, {14, h}}) PutU16(b, at, v);
    PutU32(b, 4, 40);
    PutU32(b, 16, 40);
    PutU32(b, 20, (uint32_t)stream.size());
    for (size_t i = 0; i < codecs.size(); i++) b[24 + (codecs[i] == 255 ? 15 : i)] = (uint8_t)codecs[i];
    return Cat({b, stream});
}

uint32_t Swap(uint32_t v) { return (v & 0xFF00FF00u) | (v & 0xFF) << 16 | (v >> 16 & 0xFF); }

int LoadTiled(const Bytes& f, Surface* out, ImageFileInfo* info = nullptr) {
    return kv5_LoadTiledBytes(out, f.data(), f.size(), info);
}

}  // namespace

TEST(Kv5Tiled, TileKindsAndEdgeClipping) {
    auto directWord = [](int i) { return 0xA0000000u | (uint32_t)i << 8 | (uint32_t)(255 - i) | 0x00110000u; };
    auto index = [](int i) { return (uint32_t)(10 + i % 3); };
    auto entry = [](int j) { return 0x00102030u * (uint32_t)(j + 1); };
    auto grey = [](int i) { return (uint32_t)(i ^ 0x5A); };
    Bytes s;
    Direct(s, 4, directWord);
    Indexed(s, 3, index, 10, 3, entry, true);
    Grey(s, 2, grey);
    s.push_back(0x10);  // repeat: the grey tile again
    TestSurface out(1, 1);
    ImageFileInfo info{};
    ASSERT_EQ(LoadTiled(TiledFile(20, 18, s), out.get(), &info), 1);
    EXPECT_EQ(info.width, 20u);
    EXPECT_EQ(info.height, 18u);
    for (int y = 0; y < 18; y++)
        for (int x = 0; x < 20; x++) {
            int i = (y % 16) * 16 + x % 16;
            uint32_t want = x < 16 && y < 16 ? directWord(i) : y < 16 ? entry(index(i) - 10) : grey(i) * 0x010101u;
            ASSERT_EQ(out.at(x, y), Swap(want)) << x << "," << y;
        }
}

TEST(Kv5Tiled, StripOrderAlsoReordersARepeat) {
    Bytes s;
    Direct(s, 3, [](int i) { return (uint32_t)i; }, 0x40);
    s.push_back(0x10 | 0x40);
    TestSurface out(1, 1);
    ASSERT_EQ(LoadTiled(TiledFile(32, 16, s), out.get()), 1);
    // Stored pixels 0..7 fill two rows in the order 0 3 4 7 / 1 2 5 6; 32 starts row 2.
    const struct {
        int x, y;
        uint32_t stored;
    } at[] = {{0, 0, 0}, {1, 0, 3}, {2, 0, 4}, {3, 0, 7}, {0, 1, 1}, {1, 1, 2}, {2, 1, 5}, {3, 1, 6}, {0, 2, 32}, {15, 15, 254}};
    for (auto a : at) EXPECT_EQ(out.at(a.x, a.y), Swap(a.stored)) << a.x << "," << a.y;
    EXPECT_EQ(out.at(16, 0), Swap(0));
    EXPECT_EQ(out.at(17, 0), out.at(3, 0));  // the repeat is reordered once more
    EXPECT_EQ(HashSurface(out.get()), 0x36E80DB5u);
}

TEST(Kv5Tiled, PalettePersistsAndExtraBytesAreSkipped) {
    auto entryA = [](int j) { return 0x01000000u * (uint32_t)(j + 1) + 0x000A0B0Cu; };
    auto index = [](int i) { return (uint32_t)(i % 4); };
    Bytes s;
    Indexed(s, 4, index, 0, 4, entryA, false);    // entries 0..3 (count byte 3)
    s.push_back(0x80 | 0x04 | 0x18 | 0x20 | 0);   // bit 7 and the ignored bit 2, one plane
    s.push_back(0x99);                            // the skipped byte
    for (int i = 0; i < 256; i++) s.push_back((uint8_t)index(i));
    s.insert(s.end(), {1, 2, 0x42});              // one entry, from entry 2: 0x42
    TestSurface out(1, 1);
    ASSERT_EQ(LoadTiled(TiledFile(32, 1, s), out.get()), 1);
    for (int x = 0; x < 16; x++) EXPECT_EQ(out.at(x, 0), Swap(entryA(x % 4)));
    for (int x = 0; x < 16; x++) EXPECT_EQ(out.at(16 + x, 0), Swap(x % 4 == 2 ? 0x42 : entryA(x % 4)));
}

TEST(Kv5Tiled, CodecListsProtectionAndHeaderRules) {
    Bytes s;
    Grey(s, 1, [](int i) { return (uint32_t)(i / 16); });
    TestSurface out(1, 1);
    uiscript_Reset();
    // Codec 4 is not defined: passed over without a message.
    ASSERT_EQ(LoadTiled(TiledFile(16, 16, Chain(s, {1, 2}), {1, 4, 2}), out.get()), 1);
    EXPECT_TRUE(uiscript_Boxes().empty());
    EXPECT_EQ(out.at(3, 9), 0x090909u);
    // One pixel still needs its whole tile.
    ASSERT_EQ(LoadTiled(TiledFile(1, 1, s, {}, 1), out.get()), 1);
    EXPECT_EQ(out->width, 1u);
    // Layout 2 belongs to the other reader; an oversized data offset means headerSize.
    EXPECT_EQ(LoadTiled(TiledFile(16, 16, s, {}, 2), out.get()), 0);
    Bytes far = TiledFile(16, 16, s);
    PutU32(far, 16, 5000);
    EXPECT_EQ(LoadTiled(far, out.get()), 1);
    // Protected and quiet: refused without asking, flagged.
    ImageFileInfo info{};
    info.quiet = 1;
    EXPECT_EQ(LoadTiled(TiledFile(16, 16, s, {255}), out.get(), &info), 0);
    EXPECT_EQ(info.isProtected, 1);
    EXPECT_TRUE(uiscript_PromptsAsked().empty());
}
