// Legacy tiled layout: files built tile by tile covering each tile kind, the strip
// order (also on a repeat), the persistent palette, the extra byte, edge clipping, the
// red/blue swap, codec lists, and the refusals.
#include <gtest/gtest.h>
#include <functional>
#include "formats/kv5_tiled.h"
#include "unit/formats/kv5_support.h"

using namespace kv5test;

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
void Indexed(Bytes& s, int planes, const std::function<uint8_t(int)>& index, int start, int n,
             const Words& entry, bool withStart, int flags = 0) {
    s.push_back((uint8_t)((planes - 1) | 0x18 | (withStart ? 0x20 : 0) | flags));
    for (int i = 0; i < 256; i++) s.push_back(index(i));
    s.push_back((uint8_t)(withStart ? n : n - 1));
    if (withStart) s.push_back((uint8_t)start);
    AddPlanes(s, planes, n, entry);
}

void Grey(Bytes& s, int planes, const std::function<uint8_t(int)>& grey, int flags = 0) {
    s.push_back((uint8_t)((planes - 1) | flags));
    for (int i = 0; i < 256; i++) s.push_back(grey(i));
    s.insert(s.end(), (size_t)(planes - 1) * 256, 0xEE);  // skipped
}

void Repeat(Bytes& s, int flags = 0) { s.push_back((uint8_t)(0x10 | flags)); }

Bytes TiledFile(uint16_t w, uint16_t h, const Bytes& stream, std::vector<int> codecs = {},
                uint16_t layout = 0) {
    Bytes b(40, 0);
    std::memcpy(b.data(), "_KV5", 4);
    PutU32(b, 4, 40);
    PutU16(b, 8, 7);
    PutU16(b, 10, layout);
    PutU16(b, 12, w);
    PutU16(b, 14, h);
    PutU32(b, 16, 40);
    PutU32(b, 20, (uint32_t)stream.size());
    for (size_t i = 0; i < codecs.size(); i++) b[24 + (codecs[i] == 255 ? 15 : i)] = (uint8_t)codecs[i];
    b.insert(b.end(), stream.begin(), stream.end());
    return b;
}

uint32_t Swap(uint32_t v) { return (v & 0xFF00FF00u) | (v & 0xFF) << 16 | (v >> 16 & 0xFF); }

// Strip order: stored pixel i -> tile position.
int StripAt(int i) {
    int k = i / 32, j = i % 32;
    return (2 * k + (j % 4 == 1 || j % 4 == 2)) * 16 + j / 2;
}

int LoadTiled(const Bytes& f, Surface* out, ImageFileInfo* info = nullptr) {
    return kv5_LoadTiledBytes(out, f.data(), f.size(), info);
}

}  // namespace

TEST(Kv5Tiled, TileKindsAndEdgeClipping) {
    auto directWord = [](int i) { return 0xA0000000u | (uint32_t)i << 8 | (uint32_t)(255 - i) | 0x00110000u; };
    auto index = [](int i) { return (uint8_t)(10 + i % 3); };
    auto entry = [](int j) { return 0x00102030u * (uint32_t)(j + 1); };
    auto grey = [](int i) { return (uint8_t)(i ^ 0x5A); };
    Bytes s;
    Direct(s, 4, directWord);
    Indexed(s, 3, index, 10, 3, entry, true);
    Grey(s, 2, grey);
    Repeat(s);
    TestSurface out(1, 1);
    ImageFileInfo info{};
    ASSERT_EQ(LoadTiled(TiledFile(20, 18, s), out.get(), &info), 1);
    EXPECT_EQ(info.width, 20u);
    EXPECT_EQ(info.height, 18u);
    for (int y = 0; y < 18; y++)
        for (int x = 0; x < 20; x++) {
            int i = (y % 16) * 16 + x % 16;
            bool right = x >= 16, bottom = y >= 16;
            uint32_t want;
            if (!right && !bottom) want = directWord(i);
            else if (right && !bottom) want = entry(index(i) - 10);
            else want = grey(i) * 0x010101u;  // the repeat tile shows the grey tile again
            ASSERT_EQ(out.at(x, y), Swap(want)) << x << "," << y;
        }
}

TEST(Kv5Tiled, StripOrderAlsoReordersARepeat) {
    EXPECT_EQ(StripAt(0), 0);
    EXPECT_EQ(StripAt(1), 16);
    EXPECT_EQ(StripAt(2), 17);
    EXPECT_EQ(StripAt(3), 1);
    EXPECT_EQ(StripAt(4), 2);
    EXPECT_EQ(StripAt(32), 32);
    auto word = [](int i) { return (uint32_t)i | 0x00770000u; };
    Bytes s;
    Direct(s, 3, word, 0x40);
    Repeat(s, 0x40);
    TestSurface out(1, 1);
    ASSERT_EQ(LoadTiled(TiledFile(32, 16, s), out.get()), 1);
    uint32_t once[256], twice[256];
    for (int i = 0; i < 256; i++) once[StripAt(i)] = word(i);
    for (int i = 0; i < 256; i++) twice[StripAt(i)] = once[i];
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            ASSERT_EQ(out.at(x, y), Swap(once[y * 16 + x]));
            ASSERT_EQ(out.at(16 + x, y), Swap(twice[y * 16 + x]));
        }
}

TEST(Kv5Tiled, PalettePersistsAndExtraBytesAreSkipped) {
    auto entryA = [](int j) { return 0x01000000u * (uint32_t)(j + 1) + 0x000A0B0Cu; };
    auto index = [](int i) { return (uint8_t)(i % 4); };
    Bytes s;
    Indexed(s, 4, index, 0, 4, entryA, false);  // entries 0..3 (count byte 3)
    s.push_back(0x80 | 0x04 | 0x18 | 0x20 | 0);  // bit 7 and the ignored bit 2, one plane
    s.push_back(0x99);                          // the skipped byte
    for (int i = 0; i < 256; i++) s.push_back(index(i));
    s.push_back(1);                             // one entry
    s.push_back(2);                             // from entry 2
    s.push_back(0x42);                          // entry 2 = 0x42 (one plane)
    TestSurface out(1, 1);
    ASSERT_EQ(LoadTiled(TiledFile(32, 1, s), out.get()), 1);
    for (int x = 0; x < 16; x++) EXPECT_EQ(out.at(x, 0), Swap(entryA(x % 4)));
    for (int x = 0; x < 16; x++) EXPECT_EQ(out.at(16 + x, 0), Swap(x % 4 == 2 ? 0x42 : entryA(x % 4)));
}

TEST(Kv5Tiled, CodecListsProtectionAndHeaderRules) {
    Bytes s;
    Grey(s, 1, [](int i) { return (uint8_t)(i / 16); });
    Bytes coded = Chain(s, {1, 2});
    TestSurface out(1, 1);
    uiscript_Reset();
    // Codec 4 is not defined: passed over without a message.
    ASSERT_EQ(LoadTiled(TiledFile(16, 16, coded, {1, 4, 2}), out.get()), 1);
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
    Bytes prot = TiledFile(16, 16, s, {255});
    EXPECT_EQ(LoadTiled(prot, out.get(), &info), 0);
    EXPECT_EQ(info.isProtected, 1);
    EXPECT_TRUE(uiscript_PromptsAsked().empty());
}

TEST(Kv5Tiled, RefusesStreamsThatEndEarlyAndPalettesPast256) {
    Bytes two;
    Direct(two, 2, [](int i) { return (uint32_t)i; });
    Repeat(two);
    TestSurface keep(3, 3);
    keep.at(2, 2) = 0xCAFE;
    Bytes cut = two;
    cut.resize(100);  // ends inside the first tile
    EXPECT_EQ(LoadTiled(TiledFile(32, 16, cut), keep.get()), 0);
    EXPECT_EQ(LoadTiled(TiledFile(48, 16, two), keep.get()), 0);  // a third tile is missing
    Bytes pal;
    Indexed(pal, 1, [](int) { return (uint8_t)0; }, 250, 7, [](int) { return 1u; }, true);
    EXPECT_EQ(LoadTiled(TiledFile(16, 16, pal), keep.get()), 0);
    Bytes header = TiledFile(16, 16, two);
    PutU32(header, 4, 20);  // headerSize below 24
    EXPECT_EQ(LoadTiled(header, keep.get()), 0);
    EXPECT_EQ(keep->width, 3u);
    EXPECT_EQ(keep.at(2, 2), 0xCAFEu);
}
