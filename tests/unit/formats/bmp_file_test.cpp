// BMP: the writer's choice of depth and its palette, round trips of every depth with
// odd widths, the reader's pixel kinds (16-bit expansion, the palette gap rule, both
// row orders) and its refusals, the structure check on lying, cut and overrunning
// files. Icon: the 2238-byte layout, the mask, the dither.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <random>
#include "formats/bmp_file.h"
#include "formats/ico_file.h"
#include "formats/rdwr.h"
#include "support/ui_script.h"
#include "unit/formats/exchange_support.h"

using namespace xtest;

namespace {

void U16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}
void U32(std::vector<uint8_t>& b, uint32_t v) {
    U16(b, v & 0xFFFF);
    U16(b, v >> 16);
}

// File and info header (`header` bytes of the 40-byte layout), `gap` bytes of palette
// or masks, then `pixels`.
std::vector<uint8_t> File(int32_t w, int32_t h, int bits, int compression, const std::vector<uint8_t>& gap,
                          const std::vector<uint8_t>& pixels, int planes = 1, uint32_t header = 40,
                          uint32_t coloursUsed = 0) {
    std::vector<uint8_t> info;
    U32(info, header);
    U32(info, (uint32_t)w);
    U32(info, (uint32_t)h);
    U16(info, (uint32_t)planes);
    U16(info, (uint32_t)bits);
    U32(info, (uint32_t)compression);
    for (int i = 0; i < 3; i++) U32(info, 0);
    U32(info, coloursUsed);
    U32(info, 0);
    info.resize(header);
    std::vector<uint8_t> b = {'B', 'M'};
    U32(b, (uint32_t)(14 + header + gap.size() + pixels.size()));
    U32(b, 0);
    U32(b, (uint32_t)(14 + header + gap.size()));
    b.insert(b.end(), info.begin(), info.end());
    b.insert(b.end(), gap.begin(), gap.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

std::vector<uint8_t> Save(Surface* s) {
    uint8_t* data;
    size_t size;
    EXPECT_TRUE(bmp_SaveBytes(s, &data, &size));
    return Take(data, size);
}

uint32_t BitCount(const std::vector<uint8_t>& f) { return rd_U16At(f.data(), 28); }

// Little-endian fields of a written file: offset, width in bytes, value.
struct Field {
    size_t at;
    int bytes;
    uint32_t value;
};
void ExpectFields(const std::vector<uint8_t>& f, std::initializer_list<Field> fields) {
    for (const Field& d : fields) {
        const uint32_t got = d.bytes == 4   ? rd_U32At(f.data(), d.at)
                             : d.bytes == 2 ? rd_U16At(f.data(), d.at)
                                            : f[d.at];
        EXPECT_EQ(got, d.value) << "offset " << d.at;
    }
}

// A surface of w x h whose pixels run through `colours` distinct opaque values.
void FillDistinct(TestSurface& t, uint32_t colours) {
    srf_Lock(t.get());
    for (uint32_t i = 0; i < t->width * t->height; i++)
        t.at(i % t->width, i / t->width) = (i % colours) * 0x010203u & 0xFFFFFF;
    srf_Unlock(t.get());
}

}  // namespace

TEST(BmpReader, SixteenBitIsFiveFiveFiveEvenWithBitFields) {
    // Red 31, green 16, blue 0 — then the same word in a 5-6-5 bit-field file.
    std::vector<uint8_t> px = {0x00, 0x7E, 0, 0};  // 0x7E00: r 31, g 16, b 0
    auto plain = File(1, 1, 16, 0, {}, px);
    std::vector<uint8_t> masks;
    U32(masks, 0xF800);
    U32(masks, 0x07E0);
    U32(masks, 0x001F);
    auto fields = File(1, 1, 16, 3, masks, px);
    for (auto* f : {&plain, &fields}) {
        Loaded r = LoadWith(bmp_LoadBytes, *f);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.at(0, 0), 0x00FF8400u);  // 31 -> 255, 16 -> 132, alpha 0
    }
    for (int i = 0; i < 32; i++) EXPECT_EQ(FIVE_BIT_EXPAND[i], (i * 255 + 15) / 31);
}

TEST(BmpReader, PaletteGapRuleAndRowOrders) {
    // A short (OS/2-style) header with a gap of up to 768 bytes: three-byte entries.
    std::vector<uint8_t> three(768, 0);
    three[3] = 0x10, three[4] = 0x20, three[5] = 0x30;  // entry 1
    Loaded a = LoadWith(bmp_LoadBytes, File(2, 1, 8, 0, three, {1, 0, 0, 0}, 1, 16));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.at(0, 0), 0x00302010u);
    EXPECT_EQ(a.at(1, 0), 0u);
    // A Windows header: four-byte entries whatever the gap, the fourth byte is alpha.
    for (size_t gap : {8u, 1024u}) {
        std::vector<uint8_t> four(gap, 0);
        four[4] = 0x10, four[5] = 0x20, four[6] = 0x30, four[7] = 0x80;
        Loaded b = LoadWith(bmp_LoadBytes, File(1, 1, 8, 0, four, {1, 0, 0, 0}));
        ASSERT_TRUE(b.ok) << gap;
        EXPECT_EQ(b.at(0, 0), 0x80302010u) << gap;
    }
    // 24-bit, width 3 (row padded to 12): bottom-up and top-down give the same image;
    // the last row's padding may be missing.
    std::vector<uint8_t> top = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,
                                10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    std::vector<uint8_t> bottom(top.begin() + 12, top.end());
    bottom.insert(bottom.end(), top.begin(), top.begin() + 12);
    Loaded down = LoadWith(bmp_LoadBytes, File(3, -2, 24, 0, {}, top));
    bottom.resize(bottom.size() - 3);
    Loaded up = LoadWith(bmp_LoadBytes, File(3, 2, 24, 0, {}, bottom));
    ASSERT_TRUE(down.ok && up.ok);
    EXPECT_EQ(down.h, 2u);
    EXPECT_EQ(down.px, up.px);
    EXPECT_EQ(up.at(0, 0), 0x00030201u);
    EXPECT_EQ(up.at(2, 1), 0x00121110u);
}

TEST(BmpReader, Refusals) {
    std::vector<uint8_t> row4 = {1, 2, 3, 4};
    auto notBm = File(1, 1, 32, 0, {}, row4);
    notBm[1] = 'A';
    std::vector<std::vector<uint8_t>> bad = {
        notBm,
        File(1, 1, 4, 0, {}, row4),          // fewer than 8 bits
        File(1, 1, 64, 0, {}, {1, 2, 3, 4, 5, 6, 7, 8}),  // beyond 32 bits
        File(1, 1, 8, 0, {}, row4, 0),       // no planes
        File(1, 1, 8, 1, {}, row4),          // run-length
        File(1, 1, 24, 4, {}, row4),         // embedded JPEG
        File(1, 1, 32, 6, {}, row4),         // alpha bit fields
        File(0, 1, 32, 0, {}, row4),         // no width
        File(-1, 1, 32, 0, {}, row4),        // negative width
        File(1, 0, 32, 0, {}, row4),         // no height
        File(3000000, 2000000, 24, 0, {}, row4),  // larger than a surface
        File(9000, 2000, 8, 0, {}, row4),
        File(2, (int32_t)0x80000000, 8, 0, {}, row4),  // height without a magnitude
        File(2, 2, 32, 0, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),  // a pixel short
        File(1, 1, 8, 0, std::vector<uint8_t>(8, 0), {2, 0, 0, 0}),     // index past the palette
        File(1, 1, 8, 0, std::vector<uint8_t>(1024, 0), {2, 0, 0, 0}, 1, 40, 2),  // ... as counted
        File(1, 1, 8, 0, std::vector<uint8_t>(1024, 0), {0, 0, 0, 0}, 1, 40, 300),  // count a lie
        File(1, 1, 16, 3, {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0, 0, 0, 0}, row4),  // no blue bits
    };
    for (size_t i = 0; i < bad.size(); i++) {
        Surface s{};
        ImageFileInfo info{};
        EXPECT_FALSE(bmp_LoadBytes(&s, bad[i].data(), bad[i].size(), &info)) << i;
        EXPECT_FALSE(s.created) << i;
    }
    // Pixel data offset far beyond the file; every cut of a good file.
    auto good = File(2, 2, 24, 0, {}, std::vector<uint8_t>(16, 7));
    auto far = good;
    far[10] = far[11] = far[12] = far[13] = 0xFF;
    EXPECT_FALSE(LoadWith(bmp_LoadBytes, far).ok);
    ASSERT_TRUE(LoadWith(bmp_LoadBytes, good).ok);
    for (size_t n = 0; n < good.size() - 2; n++) {
        Surface s{};
        EXPECT_FALSE(bmp_LoadBytes(&s, good.data(), n, nullptr)) << n;
    }
}

TEST(BmpStructure, LyingOrCutFilesAreRefused) {
    const std::vector<uint8_t> pal4(16, 0x40), px = {0, 1, 2, 3, 3, 2, 1, 0};
    const auto good = File(4, 2, 8, 0, pal4, px);
    auto patched = [&](size_t at, uint32_t v) {
        auto b = good;
        wr_U32At(&b[at], v);
        return b;
    };
    auto densities = [&](uint32_t x, uint32_t y) {
        auto b = patched(38, x);
        wr_U32At(&b[42], y);
        return b;
    };
    const uint32_t size = (uint32_t)good.size();
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        bool sound;
    } cases[] = {
        {"good", good, true},
        {"smaller stored file size", patched(2, size - 5), true},
        {"stored file size beyond the file", patched(2, size + 1), false},
        {"image size beyond the rows", patched(34, 9), false},
        {"unknown header size", File(4, 2, 8, 0, pal4, px, 1, 66), false},
        {"two planes", File(4, 2, 8, 0, pal4, px, 2), false},
        {"densities alike", densities(2835, 2834), true},
        {"densities 10^7 apart", densities(30000000, 3), false},
        {"index past the four colours", File(4, 2, 8, 0, pal4, {0, 1, 2, 3, 3, 4, 1, 0}), false},
        {"4-bit padding nibble ignored", File(3, 1, 4, 0, std::vector<uint8_t>(8, 0), {0x01, 0x1F, 0, 0}), true},
        {"4-bit index past two colours", File(3, 1, 4, 0, std::vector<uint8_t>(8, 0), {0x01, 0x20, 0, 0}), false},
        {"a row cut off", std::vector<uint8_t>(good.begin(), good.end() - 4), false},
        {"empty red mask", File(1, 1, 32, 3, {0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0}, {1, 2, 3, 4}), false},
        // Run-length: runs, end of line, literal pixels padded to even, delta.
        {"RLE8 that fits", File(4, 2, 8, 1, pal4, {4, 1, 0, 0, 0, 4, 1, 2, 3, 0, 0, 1}), true},
        {"RLE8 run past the row", File(4, 2, 8, 1, pal4, {5, 1, 0, 1}), false},
        {"RLE8 literal past the data", File(4, 2, 8, 1, pal4, {0, 4, 1, 2}), false},
        {"RLE8 delta out of the image", File(4, 2, 8, 1, pal4, {0, 2, 5, 0, 0, 1}), false},
        {"RLE8 pixels below the image", File(4, 2, 8, 1, pal4, {0, 0, 0, 0, 1, 1, 0, 1}), false},
        {"RLE8 top-down", File(4, -2, 8, 1, pal4, {0, 1}), false},
        {"RLE4 that fits", File(4, 2, 4, 2, pal4, {0, 3, 0x12, 0x30, 0, 0, 4, 0x11, 0, 1}), true},
        {"RLE4 literal padding cut", File(8, 1, 4, 2, pal4, {0, 5, 0x12, 0x34, 0x50}), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bmp_CheckStructure(c.file.data(), c.file.size()), c.sound ? 1 : 0) << c.what;
        if (!c.sound) {
            EXPECT_FALSE(LoadWith(bmp_LoadBytes, c.file).ok) << c.what;
        }
    }
}

TEST(BmpWriter, DepthFollowsColoursAndAlpha) {
    TestSurface a(16, 16), b(257, 1), c(257, 1);
    FillDistinct(a, 256);
    FillDistinct(b, 257);
    FillDistinct(c, 257);
    FillWith(c.get(), 7, 0, 7, 0, 0x01000000 | WordAt(c.get(), 7, 0));
    EXPECT_EQ(BitCount(Save(a.get())), 8u);
    EXPECT_EQ(BitCount(Save(b.get())), 24u);
    EXPECT_EQ(BitCount(Save(c.get())), 32u);
    // 300 colours and one alpha pixel: 32 bits. 200 colours and the same: 8 bits with
    // the alpha in the palette entry.
    TestSurface many(300, 2), few(200, 2);
    FillDistinct(many, 300);
    FillDistinct(few, 200);
    FillWith(few.get(), 0, 0, 0, 0, 0x00ABCDEF);
    FillWith(many.get(), 5, 1, 5, 1, 0x7F000000);
    FillWith(few.get(), 5, 1, 5, 1, 0x7F000000);
    EXPECT_EQ(BitCount(Save(many.get())), 32u);
    auto f = Save(few.get());
    ASSERT_EQ(BitCount(f), 8u);
    // Row 1 comes first (bottom-up); pixel 5 points at the entry holding 0x7F000000.
    EXPECT_EQ(rd_U32At(f.data(), 54 + 4 * f[1078 + 5]), 0x7F000000u);
    // The first pixel's value fills the unused entries and is written as index 255;
    // new values take the entries from index 0 up.
    ExpectFields(f, {{1078 + 200, 1, 255}, {1078 + 201, 1, 0}, {54 + 4 * 254, 4, 0x00ABCDEF}});
}

TEST(BmpWriter, HeadersAndOnePixel) {
    TestSurface one(1, 1);
    FillWith(one.get(), 0, 0, 0, 0, 0x00ABCDEF);
    auto f = Save(one.get());
    ASSERT_EQ(f.size(), 1082u);
    // "BM", file size, pixel offset, header size, 1 x 1 (bottom-up), 8 bits, image size
    // of one 4-byte row, then index 255 and three zero fill bytes.
    ExpectFields(f, {{0, 2, 0x4D42}, {2, 4, 1082}, {6, 4, 0}, {10, 4, 1078}, {14, 4, 40}, {18, 4, 1},
                     {22, 4, 1}, {26, 2, 1}, {28, 2, 8}, {30, 4, 0}, {34, 4, 4}, {1078, 4, 255}});
    // A one-pixel-wide true-colour image: rows of 4 bytes, header 54.
    TestSurface tall(1, 300);
    FillDistinct(tall, 300);
    auto t = Save(tall.get());
    EXPECT_EQ(BitCount(t), 24u);
    EXPECT_EQ(rd_U32At(t.data(), 10), 54u);
    EXPECT_EQ(t.size(), 54u + 4 * 300);
}

TEST(BmpWriter, RoundTripEveryDepthAndOddWidths) {
    std::mt19937 rng(3);
    for (uint32_t w : {1u, 3u, 5u, 6u, 7u}) {
        TestSurface pal(w, 3), rgb(w, 300), argb(w, 300);
        FillDistinct(pal, 7);
        FillWith(pal.get(), 0, 2, 0, 2, 0xC0112233);
        FillRandom(rgb.get(), rng);
        FillRandom(argb.get(), rng);
        srf_Lock(rgb.get());
        for (uint32_t y = 0; y < 300; y++)
            for (uint32_t x = 0; x < w; x++) rgb.at(x, y) &= 0xFFFFFF;
        srf_Unlock(rgb.get());
        FillWith(argb.get(), 0, 0, 0, 0, 0x80000000);  // at least one alpha
        struct Case {
            TestSurface* s;
            uint32_t bits;
        } cases[] = {{&pal, 8}, {&rgb, 24}, {&argb, 32}};
        for (const Case& k : cases) {
            auto f = Save(k.s->get());
            EXPECT_EQ(BitCount(f), k.bits) << w;
            Loaded back = LoadWith(bmp_LoadBytes, f);
            ASSERT_TRUE(back.ok) << w << " " << k.bits;
            EXPECT_EQ(back.px, WordsOf(k.s->get())) << w << " " << k.bits;
        }
    }
}

TEST(BmpFiles, SaveReplacesOnlyWhenWhole) {
    char tmpl[] = "/tmp/bmptest.XXXXXX";
    std::string dir = mkdtemp(tmpl);
    TestSurface src(5, 3);
    FillDistinct(src, 15);
    const std::string path = dir + "/a.bmp", icon = dir + "/a.ico";
    ASSERT_TRUE(bmp_Save(src.get(), path.c_str()));
    Surface s{};
    ImageFileInfo info{};
    ASSERT_TRUE(bmp_Load(&s, path.c_str(), &info));
    EXPECT_EQ(info.width, 5u);
    EXPECT_EQ(info.height, 3u);
    EXPECT_EQ(WordsOf(&s), WordsOf(src.get()));
    srf_Destroy(&s);
    // Failed writes report failure; the previous file stays as it was.
    Surface none{};
    EXPECT_FALSE(bmp_Save(&none, path.c_str()));
    EXPECT_FALSE(bmp_Save(src.get(), (dir + "/missing/a.bmp").c_str()));
    ASSERT_TRUE(bmp_Load(&s, path.c_str(), &info));
    srf_Destroy(&s);
    TestSurface square(32, 32);
    FillDistinct(square, 40);
    ASSERT_TRUE(ico_Save(square.get(), icon.c_str()));
    struct stat st;
    ASSERT_EQ(stat(icon.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 2238);
    EXPECT_FALSE(ico_Save(src.get(), icon.c_str()));  // not 32 x 32
    ASSERT_EQ(stat(icon.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 2238);
    std::remove(path.c_str());
    std::remove(icon.c_str());
    rmdir(dir.c_str());
}

TEST(IconWriter, LayoutMaskAndDither) {
    // Grey 100 (rows 0-7) and 103 (rows 8-29) share one depth-6 leaf, averaging 102;
    // grey 96 (rows 30-31) has its own. 100 is nearest to 102, and 2*100 - 102 = 98
    // is nearest to 96, so the flat rows alternate between those two entries.
    TestSurface t(32, 32);
    FillWith(t.get(), 0, 0, 31, 7, 0x00646464);
    FillWith(t.get(), 0, 8, 31, 29, 0x00676767);
    FillWith(t.get(), 0, 30, 31, 31, 0x00606060);
    FillWith(t.get(), 0, 31, 0, 31, 0x80606060);  // transparent half
    FillWith(t.get(), 1, 31, 1, 31, 0x7F606060);  // still opaque
    uiscript_Reset();
    uint8_t* data;
    size_t size;
    ASSERT_TRUE(ico_SaveBytes(t.get(), &data, &size));
    auto f = Take(data, size);
    ASSERT_EQ(f.size(), 2238u);
    const uint8_t* p = f.data();
    ExpectFields(f, {{0, 2, 0}, {2, 2, 1}, {4, 2, 1}, {6, 1, 32}, {7, 1, 32}, {8, 2, 0}, {10, 2, 1},
                     {12, 2, 8}, {14, 4, 2216}, {18, 4, 22}, {22, 4, 40}, {26, 4, 32}, {30, 4, 64},
                     {34, 2, 1}, {36, 2, 8}, {38, 4, 0}, {42, 4, 1152}, {62 + 4 * 255, 4, 0}});
    int grey102 = -1, grey96 = -1;
    for (int i = 0; i < 255; i++) {
        if (rd_U32At(p, 62 + 4 * i) == 0x00666666u) grey102 = i;
        if (rd_U32At(p, 62 + 4 * i) == 0x00606060u) grey96 = i;
    }
    ASSERT_GE(grey102, 0);
    ASSERT_GE(grey96, 0);
    const uint8_t* index = p + 1086;
    const uint8_t* mask = p + 2110;
    EXPECT_EQ(index[0], 255);  // stored row 0 is the image's bottom row
    EXPECT_EQ(mask[0], 0x80);
    EXPECT_EQ(index[1], grey96);
    for (int row = 24; row < 32; row++)  // image rows 7..0
        for (int x = 0; x < 32; x++)
            ASSERT_EQ(index[row * 32 + x], (x + row) % 2 ? grey96 : grey102) << row << " " << x;
    for (int i = 1; i < 128; i++) ASSERT_EQ(mask[i], 0) << i;
    EXPECT_TRUE(uiscript_Boxes().empty());
    // No palette for a surface that cannot be locked: the message, and no file.
    Surface broken{};
    broken.width = broken.height = 32;
    EXPECT_FALSE(ico_SaveBytes(&broken, &data, &size));
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].text, "Could not create optimized palette!!");
    EXPECT_EQ(uiscript_Boxes()[0].title, "Icon Creator Error");
    EXPECT_EQ(uiscript_Boxes()[0].flags & 0xF0, (unsigned)UI_ICONWARNING);
}
