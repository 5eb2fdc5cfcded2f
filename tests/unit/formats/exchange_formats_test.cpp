// The exchange formats, readers and writers: BMP, PCX, NetPBM, TGA and the icon. One
// table of worked examples covers every pixel kind of the readers (16-bit expansion,
// palette gap rule, row orders, PCX palettes and packed planes, every NetPBM type, TGA
// grey, maps and runs); the writers' exact bytes and choices; the BMP structure check
// on lying, cut and overrunning files; the real files of the shared corpus. Round trips
// and refusals: contract_test.cpp.
#include <gtest/gtest.h>
#include <png.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>
#include "formats/dispatch.h"
#include "platform/sysio.h"
#include "formats/bmp_file.h"
#include "formats/ico_file.h"
#include "formats/pcx_file.h"
#include "formats/plugin_filter.h"
#include "formats/ppm_file.h"
#include "formats/tga_file.h"
#include "support/corpus_index.h"
#include "support/format_support.h"
#include "support/settings_support.h"

using namespace ftest;

namespace {

// A surface whose pixels run through `colours` distinct opaque values.
void FillDistinct(TestSurface& t, uint32_t colours) {
    srf_Lock(t.get());
    for (uint32_t i = 0; i < t->width * t->height; i++) t.at(i % t->width, i / t->width) = (i % colours) * 0x010203u & 0xFFFFFF;
    srf_Unlock(t.get());
}

}  // namespace

TEST(ExchangeReaders, WorkedExamples) {
    const uint32_t W = 0xFFFFFF;
    Bytes masks, ramp, three(768, 0), four(8, 0), four1024(1024, 0);
    for (uint32_t m : {0xF800, 0x07E0, 0x001F}) Add32(masks, m);
    for (uint32_t i = 0; i < 32; i++) Add16(ramp, i * 0x0421);
    three[3] = 0x10, three[4] = 0x20, three[5] = 0x30;  // entry 1 of three-byte entries
    for (Bytes* f : {&four, &four1024}) (*f)[4] = 0x10, (*f)[5] = 0x20, (*f)[6] = 0x30, (*f)[7] = 0x80;
    // 24-bit, width 3 (rows padded to 12), top-down; bottom-up without the last row's padding.
    const Bytes top = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    const Bytes bottom = Cat({Bytes(top.begin() + 12, top.end()), Bytes(top.begin(), top.begin() + 9)});
    const std::vector<uint32_t> rgb3x2 = {0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D, 0x121110};
    Bytes ega = Pcx(5, 3, 1, 4, 2, 1);  // 16 colours from 4 one-bit planes
    for (int i = 0; i < 16; i++) ega[16 + 3 * i] = (uint8_t)(i * 16), ega[17 + 3 * i] = 1, ega[18 + 3 * i] = 2;
    Bytes cga = Pcx(3, 5, 1, 1, 2, 2);  // 4 colours, version 3: still the header's
    for (int i = 0; i < 4; i++) cga[16 + 3 * i] = (uint8_t)(0x40 * i + 1);
    Bytes mono = Pcx(5, 10, 1, 1, 2, 1);
    mono[16] = mono[17] = mono[18] = 0x55;  // header colours do not matter for mono
    Bytes end256 = Cat({Pcx(5, 2, 1, 1, 2), {0xC2, 0x03, 12}});
    for (int i = 0; i < 768; i++) end256.push_back((uint8_t)(i % 3 == 0 ? i / 3 : 0x11));
    Bytes header16 = Cat({Pcx(5, 2, 1, 1, 2), {0x01, 0x20}, Bytes(800, 0)});
    header16[16 + 3] = 0xAA, header16[16 + 4] = 0xBB, header16[16 + 5] = 0xCC;
    struct Case {
        const char* what;
        BytesLoader load;
        Bytes file;
        std::vector<uint32_t> want;
    } cases[] = {
        // 0x7E00: red 31 -> 255, green 16 -> 132, blue 0; alpha 0, masks or not.
        {"bmp 16-bit", bmp_LoadBytes, Bmp(1, 1, 16, 0, {}, {0x00, 0x7E, 0, 0}), {0x00FF8400u}},
        {"bmp 16-bit bit fields", bmp_LoadBytes, Bmp(1, 1, 16, 3, masks, {0x00, 0x7E, 0, 0}), {0x00FF8400u}},
        // A short (OS/2-style) header with a gap of up to 768 bytes: three-byte entries; a
        // Windows header: four-byte entries whatever the gap, the fourth byte alpha.
        {"bmp palette gap 768", bmp_LoadBytes, Bmp(2, 1, 8, 0, three, {1, 0, 0, 0}, 1, 16), {0x00302010u, 0}},
        {"bmp palette gap 8", bmp_LoadBytes, Bmp(1, 1, 8, 0, four, {1, 0, 0, 0}), {0x80302010u}},
        {"bmp palette gap 1024", bmp_LoadBytes, Bmp(1, 1, 8, 0, four1024, {1, 0, 0, 0}), {0x80302010u}},
        {"bmp top-down", bmp_LoadBytes, Bmp(3, -2, 24, 0, {}, top), rgb3x2},
        {"bmp bottom-up", bmp_LoadBytes, Bmp(3, 2, 24, 0, {}, bottom), rgb3x2},
        // PCX: plane p gives bit p of the index: pixels 1+2+8 = 11, 0, 4+8 = 12.
        {"pcx EGA planes", pcx_LoadBytes, Cat({ega, {0x80, 0, 0x80, 0, 0x20, 0, 0xA0, 0}}), {0x00B00102u, 0x00000102u, 0x00C00102u}},
        {"pcx CGA pairs", pcx_LoadBytes, Cat({cga, {0x1B, 0xC1, 0xC0}}), {0x00010000u, 0x00410000u, 0x00810000u, 0x00C10000u, 0x00C10000u}},
        {"pcx mono", pcx_LoadBytes, Cat({mono, {0xA0, 0x40}}), {W, 0, W, 0, 0, 0, 0, 0, 0, W}},
        {"pcx 256 colours at the end", pcx_LoadBytes, end256, {0x00031111u, 0x00031111u}},
        {"pcx header colours", pcx_LoadBytes, header16, {0x00AABBCCu, 0}},  // index 32 has no colour
        // 24-bit: three planes, red first; an overlong run is cut at the line end.
        {"pcx 24-bit", pcx_LoadBytes, Cat({Pcx(5, 1, 2, 3, 2), {0x10, 0, 0x20, 0, 0x30, 0, 0xFF, 0x44}}), {0x00102030u, 0x00444444u}},
        // NetPBM: maxima below 256 unscaled, above scaled; bits with 1 black, a 10-wide P4
        // row in two bytes; comments in odd places.
        {"P5 maximum 100", ppm_LoadBytes, Cat({Text("P5 2 1 100\n"), {0, 100}}), {0, 0x00646464u}},
        {"P6 comments between numbers", ppm_LoadBytes, Text("P6\n# a\n1 # b\n# c\n1\n255\nABC"), {0x00414243u}},
        {"P4", ppm_LoadBytes, Cat({Text("P4\n10 2\n"), {0x80, 0x40, 0xFF, 0xC0}}), {0, W, W, W, W, W, W, W, W, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"P1", ppm_LoadBytes, Text("P1 3 1 1 0\n1"), {0, W, 0}},
        {"P1 digits touching", ppm_LoadBytes, Text("P1 3 1\n011"), {W, 0, 0}},
        {"P2 cut by a comment", ppm_LoadBytes, Text("P2 3 1 255 7 # 8 9"), {0x00070707u, 0, 0}},
        {"P5 16-bit", ppm_LoadBytes, Cat({Text("P5 2 1 65535\n"), {0xFF, 0xFF, 0x80, 0x00}}), {W, 0x00808080u}},
        {"P2 samples past the maximum wrap to a byte", ppm_LoadBytes, Text("P2 2 1 255 300 7"), {0x002C2C2Cu, 0x00070707u}},
        {"P3 maximum 1000", ppm_LoadBytes, Text("P3 1 1 1000 1000 500 0"), {0x00FF8000u}},
        // TGA: 0x8000 black with alpha 255, 16 expands to 132; grey from the low byte, the
        // high byte the opacity (alpha 255 - it); a map of two entries serving indices 5 and 6 (index 0
        // has none); bottom-up rows; runs across rows.
        {"tga 16-bit", tga_LoadBytes, Cat({Tga(2, 3, 1, 16, 0x20), {0x00, 0x80, 0xFF, 0x7F, 0x10, 0x42}}), {0xFF000000u, W, 0x00848484u}},
        {"tga grey", tga_LoadBytes, Cat({Tga(3, 2, 1, 8, 0x20), {0x40, 0xFF}}), {0x00404040u, W}},
        {"tga grey and alpha", tga_LoadBytes, Cat({Tga(3, 2, 1, 16, 0x20), {0x40, 0x80, 0xFF, 0x01}}), {0x7F404040u, 0xFEFFFFFFu}},
        {"tga grey and alpha, runs", tga_LoadBytes, Cat({Tga(11, 3, 1, 16, 0x20), {0x81, 0x10, 0xC0, 0x00, 0x20, 0x00}}),
         {0x3F101010u, 0x3F101010u, 0xFF202020u}},
        {"tga mapped", tga_LoadBytes, Cat({Tga(1, 3, 1, 8, 0x20, 2, 5, 24, 3), {'i', 'd', '!', 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 5, 6, 0}}),
         {0x00302010u, 0x00605040u, 0}},
        {"tga mapped 16-bit entries", tga_LoadBytes, Cat({Tga(1, 1, 1, 8, 0x20, 1, 0, 16), {0x1F, 0x80, 0}}), {0xFF0000FFu}},
        {"tga bottom-up", tga_LoadBytes, Cat({Tga(2, 2, 2, 24, 0), {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}}),
         {0x00030201u, 0x00060504u, 0x00090807u, 0x000C0B0Au}},
        {"tga runs across rows", tga_LoadBytes, Cat({Tga(10, 2, 2, 32, 0x20), {0x82, 1, 2, 3, 4, 0x00, 9, 9, 9, 9}}),
         {0x04030201u, 0x04030201u, 0x04030201u, 0x09090909u}},
        {"tga run past the image, cut", tga_LoadBytes, Cat({Tga(10, 2, 1, 24, 0x20), {0x82, 1, 2, 3}}), {0x030201u, 0x030201u}},
    };
    for (const Case& c : cases) {
        Loaded r = LoadWith(c.load, c.file);
        ASSERT_TRUE(r.ok) << c.what << ": " << r.why;
        EXPECT_EQ(r.px, c.want) << c.what;
    }
    // Every level of each 16-bit channel: 32 grey steps, pinned whole.
    Loaded all = LoadWith(bmp_LoadBytes, Bmp(32, 1, 16, 0, {}, ramp));
    ASSERT_TRUE(all.ok);
    EXPECT_EQ(all.at(1, 0), 0x00080808u);
    EXPECT_EQ(Fnv(all.px.data(), all.px.size() * 4), 0x3B8C09B5u);
}

TEST(BmpStructure, LyingOrCutFilesAreRefused) {
    const Bytes pal4(16, 0x40), px = {0, 1, 2, 3, 3, 2, 1, 0};
    const auto good = Bmp(4, 2, 8, 0, pal4, px);
    auto patched = [&](std::initializer_list<std::pair<size_t, uint32_t>> fields) {
        auto b = good;
        for (auto [at, v] : fields) PutU32(b, at, v);
        return b;
    };
    const uint32_t size = (uint32_t)good.size();
    struct Case {
        const char* what;
        Bytes file;
        const char* reason;  // "" = sound
    } cases[] = {
        {"good", good, ""},
        {"smaller stored file size", patched({{2, size - 5}}), ""},
        {"stored file size beyond the file", patched({{2, size + 1}}), "size field past end"},
        {"image size beyond the rows", patched({{34, 9}}), "size field past end"},
        {"unknown header size", Bmp(4, 2, 8, 0, pal4, px, 1, 66), "bad header size"},
        {"two planes", Bmp(4, 2, 8, 0, pal4, px, 2), "bad planes"},
        {"densities alike", patched({{38, 2835}, {42, 2834}}), ""},
        {"densities 10^7 apart", patched({{38, 30000000}, {42, 3}}), "bad density"},
        {"index past the four colours", Bmp(4, 2, 8, 0, pal4, {0, 1, 2, 3, 3, 4, 1, 0}), "index past palette"},
        {"4-bit padding nibble ignored", Bmp(3, 1, 4, 0, Bytes(8, 0), {0x01, 0x1F, 0, 0}), ""},
        {"4-bit index past two colours", Bmp(3, 1, 4, 0, Bytes(8, 0), {0x01, 0x20, 0, 0}), "index past palette"},
        {"a row cut off", Bytes(good.begin(), good.end() - 4), "size field past end"},
        {"empty red mask", Bmp(1, 1, 32, 3, {0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0}, {1, 2, 3, 4}), "empty bit mask"},
        // Run-length: runs, end of line, literal pixels padded to even, delta.
        {"RLE8 that fits", Bmp(4, 2, 8, 1, pal4, {4, 1, 0, 0, 0, 4, 1, 2, 3, 0, 0, 1}), ""},
        {"RLE8 run past the row", Bmp(4, 2, 8, 1, pal4, {5, 1, 0, 1}), "bad run-length data"},
        {"RLE8 literal past the data", Bmp(4, 2, 8, 1, pal4, {0, 4, 1, 2}), "bad run-length data"},
        {"RLE8 delta out of the image", Bmp(4, 2, 8, 1, pal4, {0, 2, 5, 0, 0, 1}), "bad run-length data"},
        {"RLE8 pixels below the image", Bmp(4, 2, 8, 1, pal4, {0, 0, 0, 0, 1, 1, 0, 1}), "bad run-length data"},
        {"RLE8 top-down", Bmp(4, -2, 8, 1, pal4, {0, 1}), "bad dimensions"},
        {"RLE4 that fits", Bmp(4, 2, 4, 2, pal4, {0, 3, 0x12, 0x30, 0, 0, 4, 0x11, 0, 1}), ""},
        {"RLE4 literal padding cut", Bmp(8, 1, 4, 2, pal4, {0, 5, 0x12, 0x34, 0x50}), "bad run-length data"},
    };
    for (const Case& c : cases) {
        refuse_Clear();
        EXPECT_EQ(bmp_CheckStructure(c.file.data(), c.file.size()), *c.reason ? 0 : 1) << c.what;
        EXPECT_STREQ(refuse_Reason(), c.reason) << c.what;
    }
}

TEST(BmpWriter, DepthPaletteAndHeaders) {
    // 256 colours: 8 bits; 257: 24; one alpha pixel among 257: 32, among 200: 8 with
    // the alpha in the palette entry.
    TestSurface a(16, 16), b(257, 1), c(257, 1), few(200, 2);
    FillDistinct(a, 256);
    FillDistinct(b, 257);
    FillDistinct(c, 257);
    FillDistinct(few, 200);
    FillWith(c.get(), 7, 0, 7, 0, 0x01000000 | WordAt(c.get(), 7, 0));
    FillWith(few.get(), 0, 0, 0, 0, 0x00ABCDEF);
    FillWith(few.get(), 5, 1, 5, 1, 0x7F000000);
    EXPECT_EQ(GetU16(Saved<bmp_SaveBytes>(a.get()), 28), 8u);
    EXPECT_EQ(GetU16(Saved<bmp_SaveBytes>(b.get()), 28), 24u);
    EXPECT_EQ(GetU16(Saved<bmp_SaveBytes>(c.get()), 28), 32u);
    auto f = Saved<bmp_SaveBytes>(few.get());
    ASSERT_EQ(GetU16(f, 28), 8u);
    // Row 1 comes first (bottom-up); pixel 5 points at the entry holding 0x7F000000.
    // The first pixel's value fills the unused entries and is written as index 255;
    // new values take the entries from index 0 up.
    EXPECT_EQ(GetU32(f, 54 + 4 * f[1078 + 5]), 0x7F000000u);
    ExpectFields(f, {{1078 + 200, 1, 255}, {1078 + 201, 1, 0}, {54 + 4 * 254, 4, 0x00ABCDEF}});

    // "BM", file size, pixel offset, header size, 1 x 1 (bottom-up), 8 bits, image size
    // of one 4-byte row, then index 255 and three zero fill bytes.
    TestSurface one(1, 1);
    FillWith(one.get(), 0, 0, 0, 0, 0x00ABCDEF);
    f = Saved<bmp_SaveBytes>(one.get());
    ASSERT_EQ(f.size(), 1082u);
    ExpectFields(f, {{0, 2, 0x4D42}, {2, 4, 1082}, {6, 4, 0}, {10, 4, 1078}, {14, 4, 40}, {18, 4, 1},
                     {22, 4, 1}, {26, 2, 1}, {28, 2, 8}, {30, 4, 0}, {34, 4, 4}, {1078, 4, 255}});
}

TEST(PcxWriter, HeaderAndCodes) {
    TestSurface src(3, 1);
    FillWith(src.get(), 0, 0, 0, 0, 0x00C50505);
    FillWith(src.get(), 1, 0, 2, 0, 0x00010505);
    Bytes b = Saved<pcx_SaveBytes>(src.get()), head = Pcx(5, 3, 1, 3, 4);  // bytes per line rounded up to even
    PutU16(head, 12, 96);
    PutU16(head, 14, 96);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 128), head);
    // red C5 01 01 0 (C5 escaped), then green 05 05 05 0 and blue alike: runs span planes.
    EXPECT_EQ(Bytes(b.begin() + 128, b.end()), Bytes({0xC1, 0xC5, 0xC2, 0x01, 0x00, 0xC3, 0x05, 0x00, 0xC3, 0x05, 0x00}));
    TestSurface wide(64, 1);
    FillWith(wide.get(), 0, 0, 63, 0, 0x00070707);
    Bytes w = Saved<pcx_SaveBytes>(wide.get());
    EXPECT_EQ(Bytes(w.begin() + 128, w.end()), Bytes({0xFF, 7, 0xFF, 7, 0xFF, 7, 0xC3, 7}));  // runs of 63 at most
}

TEST(TgaWriter, HeaderAndPacketChoice) {
    TestSurface src(6, 1);
    // A B B C C C: raw packet takes A B B (a pair stays raw), then a run of three.
    for (auto [x, v] : {std::pair<int, uint32_t>{0, 1}, {1, 2}, {2, 2}, {3, 3}, {4, 3}, {5, 3}}) FillWith(src.get(), x, 0, x, 0, v);
    Bytes b = Saved<tga_SaveBytes>(src.get());
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 18), Tga(10, 6, 1, 24, 0x20));
    EXPECT_EQ(Bytes(b.begin() + 18, b.end()),
              Cat({{2, 1, 0, 0, 2, 0, 0, 2, 0, 0, 0x82, 3, 0, 0}, Text(TGA_SIGNATURE_TEXT)}));
    EXPECT_STREQ(TGA_SIGNATURE_TEXT, "Orvik Lab's (Orvik)");
    // 130 equal pixels: a full run of 128, then a run of 2.
    TestSurface flat(130, 1);
    FillWith(flat.get(), 0, 0, 129, 0, 0x00ABCDEF);
    Bytes f = Saved<tga_SaveBytes>(flat.get());
    EXPECT_EQ(Bytes(f.begin() + 18, f.begin() + 26), Bytes({0xFF, 0xEF, 0xCD, 0xAB, 0x81, 0xEF, 0xCD, 0xAB}));
    // 129 different pixels: a raw packet of 128, then one of 1.
    TestSurface ramp(129, 1);
    for (int x = 0; x < 129; x++) FillWith(ramp.get(), x, 0, x, 0, (uint32_t)x);
    ExpectFields(Saved<tga_SaveBytes>(ramp.get()), {{18, 1, 0x7F}, {18 + 1 + 128 * 3, 1, 0}});
}

TEST(PpmWriter, HeadersSamplesAndTheQuestion) {
    TestSurface one(2, 1);
    FillWith(one.get(), 0, 0, 0, 0, 0x00FF0A00);
    FillWith(one.get(), 1, 0, 1, 0, 0x80010203);
    EXPECT_EQ(Saved<PpmSave<0>>(one.get()), Text("P3\n# Created by Orvik's Kelvara\n2 1\n255\n255 10 0 1 2 3 "));
    EXPECT_EQ(Saved<PpmSave<1>>(one.get()), Text("P6\n# Created by Orvik's Kelvara\n# Binary samples: red, green, blue\n2 1\n255\n" +
                                                 std::string("\xFF\x0A\x00\x01\x02\x03", 6)));

    uiscript_Reset();
    uiscript_QueueBox(PPM_BINARY_TITLE, UI_IDNO);
    EXPECT_FALSE(ppm_Save(one.get(), "/nonexistent-dir/x.ppm"));
    EXPECT_STREQ(refuse_Reason(), "cannot create file");
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].title, "Use Binary Mode PPM");
    EXPECT_TRUE(uiscript_Boxes()[0].flags & UI_TOPMOST);
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
    auto f = Saved<ico_SaveBytes>(t.get());
    ASSERT_EQ(f.size(), 2238u);
    ExpectFields(f, {{0, 2, 0}, {2, 2, 1}, {4, 2, 1}, {6, 1, 32}, {7, 1, 32}, {8, 2, 0}, {10, 2, 1},
                     {12, 2, 8}, {14, 4, 2216}, {18, 4, 22}, {22, 4, 40}, {26, 4, 32}, {30, 4, 64},
                     {34, 2, 1}, {36, 2, 8}, {38, 4, 0}, {42, 4, 1152}, {62 + 4 * 255, 4, 0}});
    int grey102 = -1, grey96 = -1;
    for (int i = 0; i < 255; i++) {
        if (GetU32(f, 62 + 4 * i) == 0x00666666u) grey102 = i;
        if (GetU32(f, 62 + 4 * i) == 0x00606060u) grey96 = i;
    }
    ASSERT_TRUE(grey102 >= 0 && grey96 >= 0);
    const uint8_t *index = f.data() + 1086, *mask = f.data() + 2110;
    // Stored row 0 is the image's bottom row: the key index and the mask bit there.
    ExpectFields(f, {{1086, 1, 255}, {2110, 1, 0x80}, {1087, 1, (uint32_t)grey96}});
    for (int row = 24; row < 32; row++)  // image rows 7..0
        for (int x = 0; x < 32; x++) ASSERT_EQ(index[row * 32 + x], (x + row) % 2 ? grey96 : grey102) << row << " " << x;
    for (int i = 1; i < 128; i++) ASSERT_EQ(mask[i], 0) << i;
    EXPECT_TRUE(uiscript_Boxes().empty());
    TestSurface wrong(32, 31);
    EXPECT_TRUE(Saved<ico_SaveBytes>(wrong.get()).empty());
    EXPECT_STREQ(refuse_Reason(), "not 32 x 32");
}

// The real BMP, TGA, PCX, NetPBM, PNG and JPEG files of the shared corpus, as its index
// describes them: files to load load with the stated size, files to reject are refused,
// questionable ones may go either way; the kinds these readers leave out on purpose
// (BMP below 8 or above 32 bits, run-length or embedded BMP, OS/2 headers) must be
// refused. Where the index names a PNG twin, the file as the user gets it (through the
// load dispatcher, alpha convention settled) has the twin's pixels; pixels the twin
// leaves fully transparent compare equal whatever their colour. Natively, so the
// sanitizers watch every file.
namespace {

const char* CORPUS = "/work/shared/corpus/";

using corpus::Row;

typedef int (*FileLoader)(Surface*, const char*, ImageFileInfo*);

FileLoader LoaderFor(const std::string& format) {
    if (format.rfind("BMP", 0) == 0) return bmp_Load;
    if (format.rfind("TGA", 0) == 0) return tga_Load;
    if (format.rfind("PCX", 0) == 0) return pcx_Load;
    if (format == "PPM" || format == "PGM" || format == "PBM") return ppm_Load;
    if (format == "PNG" || format == "JPEG") return plugin_FilterLoad;  // natively libpng and libjpeg
    return nullptr;
}

// Kinds left out of these readers: a clean refusal is the expected result.
bool OutOfScope(const Row& r) {
    if (r.format.rfind("BMP", 0) == 0) {
        const int bits = std::atoi(r.kind.c_str());
        for (const char* left : {"RLE", "JPEG", "PNG", "HUFFMAN", "ALPHABITFIELDS", "CORE hdr", "OS2"})
            if (r.kind.find(left) != std::string::npos) return true;
        return bits < 8 || bits > 32 || r.format != "BMP";
    }
    return false;
}

// Where a file differs from its twin by this program's own rules. Listed, counted and
// printed; a difference not listed fails, and so does a listed file that now agrees.
const char* const FIVE_FIVE_FIVE = "16-bit BMP pixels are 5-5-5 with alpha 0 whatever the masks say";
const char* const AS_STORED = "32-bit BMP pixels are taken as stored, whatever the masks say";
const char* const GUESSED = "32-bit alpha stays in the file's convention and the load's check guesses it wrong";
const std::map<std::string, const char*> KNOWN = {
    {"bmpsuite/g/rgb16-565.bmp", FIVE_FIVE_FIVE},
    {"bmpsuite/g/rgb16-565pal.bmp", FIVE_FIVE_FIVE},
    {"bmpsuite/q/rgb16-3103.bmp", FIVE_FIVE_FIVE},
    {"bmpsuite/q/rgba16-1924.bmp", FIVE_FIVE_FIVE},
    {"bmpsuite/q/rgba16-5551.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_A1_R5_G5_B5.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_A1_R5_G5_B5_Top_Down.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_A4_R4_G4_B4.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_A4_R4_G4_B4_Top_Down.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_R5_G6_B5.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_R5_G6_B5_Top_Down.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_X4_R4_G4_B4.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V3_X4_R4_G4_B4_Top_Down.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V4_R5_G6_B5.bmp", FIVE_FIVE_FIVE},
    {"image-rs/bmp/V5_A1_R5_G5_B5.bmp", FIVE_FIVE_FIVE},
    {"bmpsuite/q/rgb32-7187.bmp", AS_STORED},
    {"bmpsuite/q/rgba32-1010102.bmp", AS_STORED},
    {"bmpsuite/q/rgba32-61754.bmp", AS_STORED},
    {"bmpsuite/q/rgba32-81284.bmp", AS_STORED},
    {"image-rs/bmp/V3_X8_R8_G8_B8.bmp", AS_STORED},
    {"image-rs/bmp/V3_X8_R8_G8_B8_Top_Down.bmp", AS_STORED},
    {"image-rs/bmp/V5_A8_R8_G8_B8_Rgb.bmp", GUESSED},
    {"image-rs/tga/testsuite/bottom_left.tga", GUESSED},
    {"image-rs/tga/testsuite/top_left.tga", GUESSED},
    {"image-rs/tga/testsuite/top_right.tga", GUESSED},
    {"image-rs/tga/testsuite/b5-attrib.tga", "a 16-bit TGA's bit 15 gives alpha 255, and the load's check keeps it"},
    {"image-rs/tga/testsuite/bottom_right.tga", "the right-to-left bit is ignored"},
};

bool Exists(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

// The PNG twin the row's notes name ("must equal x.png", "Ref: html/x.png", "ref
// dir/ref/x.png", "the same-named .png"), looked up beside the file and then from its
// suite's folder; "" when there is none.
std::string TwinOf(const Row& r) {
    const std::string folder = r.path.substr(0, r.path.rfind('/') + 1), suite = r.path.substr(0, r.path.find('/') + 1);
    if (r.notes.find("the same-named .png") != std::string::npos) {
        const std::string twin = r.path.substr(0, r.path.rfind('.')) + ".png";
        return Exists(CORPUS + twin) ? twin : "";
    }
    for (const char* lead : {"must equal ", "Ref: ", "ref "}) {
        const size_t at = r.notes.find(lead);
        if (at == std::string::npos) continue;
        const size_t from = at + std::strlen(lead), end = r.notes.find_first_of(" ;,)", from);
        const std::string name = r.notes.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".png") != 0) continue;
        for (const std::string& base : {folder, suite})
            if (Exists(CORPUS + base + name)) return base + name;
    }
    return "";
}

// A PNG's pixels in the surface's convention (0xAARRGGBB, alpha 0 opaque).
bool ReadPng(const std::string& path, uint32_t* w, uint32_t* h, std::vector<uint32_t>* px) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_BGRA;
    px->assign((size_t)img.width * img.height, 0);
    if (!png_image_finish_read(&img, nullptr, px->data(), 0, nullptr)) return false;
    for (uint32_t& v : *px) v ^= 0xFF000000u;
    *w = img.width, *h = img.height;
    return true;
}

// The first pixel where the loaded file and its twin differ, as "x,y: got ... want ...";
// "" when they agree.
std::string TwinDifference(const std::string& file, const std::string& twin) {
    uint32_t w = 0, h = 0;
    std::vector<uint32_t> want;
    if (!ReadPng(CORPUS + twin, &w, &h, &want)) return "twin unreadable";
    char path[KV_MAX_PATH];
    std::snprintf(path, sizeof path, "%s%s", CORPUS, file.c_str());
    Surface s{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (!img_LoadFile(&s, path, &info)) return "not loaded through the dispatcher";
    std::string diff;
    const uint32_t* p = srf_Lock(&s);
    if (s.width != w || s.height != h) diff = "size differs";
    for (uint32_t y = 0; p && diff.empty() && y < h; y++)
        for (uint32_t x = 0; x < w; x++) {
            const uint32_t got = p[(size_t)y * s.stride + x], expect = want[(size_t)y * w + x];
            if (got == expect || (expect >> 24 == 255 && got >> 24 == 255)) continue;
            char at[96];
            std::snprintf(at, sizeof at, "%u,%u: got %08X want %08X", x, y, got, expect);
            diff = at;
            break;
        }
    srf_Unlock(&s);
    srf_Destroy(&s);
    return diff;
}

}  // namespace

TEST(ExchangeCorpus, EveryFileOfTheseKinds) {
    const SettingsRecord saved = g_settings;
    EditSettings([](SettingsRecord& r) { r.autoDetectAlpha = 1; });
    int loaded = 0, refused = 0, outOfScope = 0, twins = 0, known = 0;
    for (const Row& r : corpus::Rows(CORPUS)) {
        FileLoader load = LoaderFor(r.format);
        if (!load || (r.expect != "load" && r.expect != "reject" && r.expect != "questionable")) continue;
        Surface s{};
        ImageFileInfo info{};
        info.quiet = 1;
        const int ok = load(&s, (std::string(CORPUS) + r.path).c_str(), &info);
        const std::string got = std::to_string(s.width) + "x" + std::to_string(s.height);
        ok ? loaded++ : refused++;
        if (ok) srf_Destroy(&s);
        else EXPECT_FALSE(s.created) << r.path;
        if (r.expect == "load" && OutOfScope(r)) {
            outOfScope++;
            EXPECT_FALSE(ok) << r.path << " is of a kind these readers leave out";
        } else if (r.expect == "load") {
            EXPECT_TRUE(ok) << r.path;
            if (ok) EXPECT_EQ(r.size, got) << r.path;
        } else if (r.expect == "reject") {
            EXPECT_FALSE(ok) << r.path;
        }
        const std::string twin = ok ? TwinOf(r) : "";
        if (!twin.empty()) {
            twins++;
            const std::string diff = TwinDifference(r.path, twin);
            const auto k = KNOWN.find(r.path);
            if (k == KNOWN.end()) EXPECT_EQ(diff, "") << r.path << " against " << twin;
            else if (diff.empty()) ADD_FAILURE() << r.path << " now equals its twin: take it off the list";
            else known++, std::printf("  known: %s (%s): %s\n", r.path.c_str(), diff.c_str(), k->second);
        }
    }
    std::printf("BMP/TGA/PCX/NetPBM/PNG/JPEG corpus: loaded %d / refused %d (of them %d as out of scope); %d beside their twins, "
                "%d known differences\n", loaded, refused, outOfScope, twins, known);
    EXPECT_GT(loaded, 0);
    EXPECT_GT(twins, 0);
    set_Record(&saved);
}
