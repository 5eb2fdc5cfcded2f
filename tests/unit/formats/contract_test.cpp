// What every own reader and writer promises, one table of formats: round trips at
// 1 x n, n x 1 and odd widths; every cut of a good file refused with a reason and the
// target untouched; and the hostile headers of each format, each refused by the check
// named in its row. (Arbitrary bytes: the fuzz targets, their seeds replayed by ctest.)
#include <gtest/gtest.h>
#include <random>
#include "formats/bmp_file.h"
#include "formats/kv5_tiled.h"
#include "formats/pcx_file.h"
#include "formats/ppm_file.h"
#include "formats/tga_file.h"
#include "support/format_support.h"

using namespace ftest;

namespace {

struct Format {
    const char* name;
    Bytes (*save)(Surface*);
    BytesLoader load;
    uint32_t kept;      // bits of a pixel the format stores
    size_t optional;    // trailing bytes a reader may go without
};

// Packed hard with an author tag: every block of the file a cut can fall into.
Bytes Kv5Full(Surface* s) {
    const Kv5SaveOptions o = {3, "Tester", 0, nullptr, nullptr};
    return Kv5SaveBytes(s, &o);
}

const Format FORMATS[] = {
    {"kv5", Kv5Full, kv5_LoadBytes, 0xFFFFFFFF, 0},
    {"bmp", Saved<bmp_SaveBytes>, bmp_LoadBytes, 0xFFFFFFFF, 0},
    {"pcx", Saved<pcx_SaveBytes>, pcx_LoadBytes, 0xFFFFFF, 0},
    {"tga", Saved<tga_SaveBytes>, tga_LoadBytes, 0xFFFFFF, 19},  // the signature text
    {"ppm binary", Saved<PpmSave<1>>, ppm_LoadBytes, 0xFFFFFF, 0},
    {"ppm text", Saved<PpmSave<0>>, ppm_LoadBytes, 0xFFFFFF, SIZE_MAX},  // missing samples stay 0
};

// Random words, or few distinct values (palettes, grey planes, runs).
void Paint(Surface* s, std::mt19937& rng, int few) {
    FillRandom(s, rng);
    if (!few) return;
    uint32_t* p = srf_Lock(s);
    const uint32_t values[] = {0x00102030, 0x80102030, 0x00FFFFFF, 0x00000000, 0x00777777};
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) p[y * s->stride + x] = values[rng() % (few == 2 ? 5 : 2) + (few == 2 ? 0 : 2)];
    srf_Unlock(s);
}

// A quiet load into a painted target that must refuse, give a reason and leave the
// target exactly as it was.
void ExpectRefused(BytesLoader load, const uint8_t* data, size_t n, const std::string& what) {
    TestSurface t(3, 2);
    FillWith(t.get(), 0, 0, 2, 1, 0x12345678);
    ImageFileInfo info{};
    info.quiet = 1;
    EXPECT_EQ(load(t.get(), data, n, &info), 0) << what;
    EXPECT_STRNE(refuse_Reason(), "") << what;
    EXPECT_EQ(t->width, 3u) << what;
    EXPECT_EQ(WordAt(t.get(), 2, 1), 0x12345678u) << what;
}

}  // namespace

TEST(FormatContract, RoundTripsAtThinAndOddSizes) {
    std::mt19937 rng(7);
    const uint32_t sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {5, 3}, {13, 4}, {130, 2}};
    for (const Format& f : FORMATS)
        for (auto wh : sizes)
            for (int few = 0; few <= 2; few++) {
                SCOPED_TRACE(testing::Message() << f.name << " " << wh[0] << "x" << wh[1] << " few " << few);
                TestSurface src(wh[0], wh[1]);
                Paint(src.get(), rng, few);
                Bytes file = f.save(src.get());
                Loaded back = LoadWith(f.load, file);
                ASSERT_TRUE(back.ok) << back.why;
                EXPECT_EQ(back.info.width, wh[0]);
                EXPECT_EQ(back.info.height, wh[1]);
                std::vector<uint32_t> want = WordsOf(src.get());
                for (auto& v : want) v &= f.kept;
                EXPECT_EQ(back.px, want);
            }
}

TEST(FormatContract, EveryCutOfAGoodFileIsRefusedAndLeavesTheTarget) {
    std::mt19937 rng(11);
    TestSurface src(8, 3);  // rows of whole words: no padding a reader may go without
    Paint(src.get(), rng, 0);
    for (const Format& f : FORMATS) {
        if (f.optional == SIZE_MAX) continue;
        Bytes file = f.save(src.get());
        ASSERT_GT(file.size(), f.optional) << f.name;
        for (size_t n = 0; n + f.optional < file.size(); n++)
            ExpectRefused(f.load, file.data(), n, f.name + std::string(" cut at ") + std::to_string(n));
    }
}

namespace {

Bytes Kv5(void (*change)(FileSpec&)) {
    FileSpec s;
    s.width = 3, s.height = 2, s.planes = 4, s.codecs = {1};
    s.stream = Chain(Bytes(24, 7), {1});
    if (change) change(s);
    return BuildFile(s);
}
Bytes Kv5Patched(size_t at, uint32_t v) {
    Bytes b = Kv5(nullptr);
    PutU32(b, at, v);
    return b;
}
Bytes GreyTile() {
    Bytes t(257, 5);
    t[0] = 0;
    return t;
}

struct Hostile {
    const char* what;
    BytesLoader load;
    Bytes file;
    const char* reason;
};

}  // namespace

TEST(FormatContract, HostileHeadersAreRefusedByTheirCheck) {
    const Bytes row4 = {1, 2, 3, 4};
    Bytes notBm = Bmp(1, 1, 32, 0, {}, row4);
    notBm[1] = 'A';
    Bytes p4 = Text("P4 9 1\n");
    p4.push_back(1);
    Bytes notPcx = Cat({Pcx(5, 1, 1, 1, 2), {0xC2, 0}});
    notPcx[0] = 11;
    Bytes core = Bmp(1, 1, 24, 0, {}, row4, 1, 12);  // core fields: u16 width, height, planes, bits
    for (size_t i = 0; i < 8; i++) core[18 + i] = (uint8_t)(i % 2 ? 0 : i == 6 ? 24 : 1);
    const Hostile cases[] = {
        {"bmp signature", bmp_LoadBytes, notBm, "bad signature"},
        {"bmp 4 bits", bmp_LoadBytes, Bmp(1, 1, 4, 0, Bytes(8, 0), {0, 0, 0, 0}), "bad bit depth"},
        {"bmp 64 bits", bmp_LoadBytes, Bmp(1, 1, 64, 0, {}, Bytes(8, 1)), "bad bit depth"},
        {"bmp run-length", bmp_LoadBytes, Bmp(1, 1, 8, 1, Bytes(8, 0), {1, 0, 0, 1}), "unsupported compression"},
        {"bmp jpeg inside", bmp_LoadBytes, Bmp(1, 1, 24, 4, {}, row4), "unsupported compression"},
        {"bmp no width", bmp_LoadBytes, Bmp(0, 1, 32, 0, {}, row4), "bad dimensions"},
        {"bmp negative width", bmp_LoadBytes, Bmp(-1, 1, 32, 0, {}, row4), "bad dimensions"},
        {"bmp beyond a surface", bmp_LoadBytes, Bmp(8193, 2049, 8, 0, Bytes(4, 0), Bytes(8196 * 2049, 0)), "too large"},
        {"bmp height without magnitude", bmp_LoadBytes, Bmp(2, (int32_t)0x80000000, 8, 0, {}, row4), "truncated pixels"},
        {"bmp a pixel short", bmp_LoadBytes, Bmp(2, 2, 32, 0, {}, Bytes(12, 1)), "truncated pixels"},
        {"bmp index past count", bmp_LoadBytes, Bmp(1, 1, 8, 0, Bytes(1024, 0), {2, 0, 0, 0}, 1, 40, 2), "index past palette"},
        {"bmp colour count a lie", bmp_LoadBytes, Bmp(1, 1, 8, 0, Bytes(1024, 0), row4, 1, 40, 257), "too many colours"},
        {"bmp core header", bmp_LoadBytes, core, "core header"},
        {"pcx signature", pcx_LoadBytes, notPcx, "bad signature"},
        {"pcx 3-bit planes", pcx_LoadBytes, Cat({Pcx(5, 8, 1, 1, 8, 3), {0xC8, 0}}), "bad bit depth"},
        {"pcx 1 bit x 8 planes", pcx_LoadBytes, Cat({Pcx(5, 8, 1, 8, 1, 1), Bytes(8, 0)}), "bad bit depth"},
        {"pcx no planes", pcx_LoadBytes, Pcx(5, 8, 1, 0, 8), "no planes"},
        {"pcx line shorter than width", pcx_LoadBytes, Cat({Pcx(5, 8, 1, 1, 7), {0xC7, 0}}), "line too short"},
        {"pcx 1-bit line too short", pcx_LoadBytes, Cat({Pcx(5, 17, 1, 1, 2, 1), {0xC2, 0}}), "line too short"},
        {"pcx no coded data", pcx_LoadBytes, Pcx(5, 8, 2, 3, 8), "truncated data"},
        {"pcx over 2^24 pixels", pcx_LoadBytes, Pcx(5, 8192, 4097, 1, 8192), "too large"},
        {"tga no image", tga_LoadBytes, Tga(0, 1, 1, 24), "bad image type"},
        {"tga type 12", tga_LoadBytes, Tga(12, 1, 1, 24), "bad image type"},
        {"tga 12 bits", tga_LoadBytes, Tga(2, 1, 1, 12), "bad bit depth"},
        {"tga 40 bits", tga_LoadBytes, Tga(2, 1, 1, 40), "bad bit depth"},
        {"tga 24-bit grey", tga_LoadBytes, Cat({Tga(3, 1, 1, 24), {1, 2, 3}}), "bad bit depth"},
        {"tga 16-bit indices", tga_LoadBytes, Cat({Tga(1, 1, 1, 16, 0, 2, 0, 24), Bytes(8, 0)}), "bad bit depth"},
        {"tga no pixels", tga_LoadBytes, Tga(2, 0, 5, 24), "bad dimensions"},
        {"tga over 2^24 pixels", tga_LoadBytes, Tga(2, 8192, 4097, 24), "too large"},
        {"tga mapped without map", tga_LoadBytes, Cat({Tga(1, 1, 1, 8), {0}}), "no palette"},
        {"tga map of 300", tga_LoadBytes, Tga(1, 1, 1, 8, 0, 300, 0, 24), "palette too large"},
        {"tga map of 8 bits", tga_LoadBytes, Cat({Tga(1, 1, 1, 8, 0, 2, 0, 8), {1, 2, 0}}), "bad palette depth"},
        {"tga map cut", tga_LoadBytes, Cat({Tga(1, 1, 1, 8, 0, 2, 0, 24), {1, 2, 3}}), "truncated palette"},
        {"tga raw data missing", tga_LoadBytes, Cat({Tga(2, 4, 4, 24), Bytes(47, 0)}), "truncated data"},
        {"tga runs end early", tga_LoadBytes, Cat({Tga(10, 2, 2, 32), {0x82, 1, 2, 3, 4, 0, 9}}), "truncated data"},
        {"ppm empty", ppm_LoadBytes, {}, "no data"},
        {"ppm P7", ppm_LoadBytes, Text("P7 1 1 255\n"), "bad type"},
        {"ppm Q6", ppm_LoadBytes, Text("Q6 1 1 255\nabc"), "bad signature"},
        {"ppm digits after P6", ppm_LoadBytes, Text("P61 1 255\nabc"), "bad type"},
        {"ppm no width", ppm_LoadBytes, Text("P6 0 1 255\nabc"), "bad dimensions"},
        {"ppm huge number", ppm_LoadBytes, Text("P6 99999999999 1 255\n"), "bad dimensions"},
        {"ppm maximum 0", ppm_LoadBytes, Text("P6 1 1 0\nabc"), "bad maximum"},
        {"ppm maximum 65536", ppm_LoadBytes, Text("P6 1 1 65536\nabcdef"), "bad maximum"},
        {"ppm 25 megapixels", ppm_LoadBytes, Text("P6 5000 5000 255\n"), "too large"},
        {"ppm no blank after header", ppm_LoadBytes, Text("P6 1 1 255"), "truncated header"},
        {"ppm 16-bit short", ppm_LoadBytes, Text("P5 1 1 300\na"), "truncated data"},
        {"ppm P4 row short", ppm_LoadBytes, p4, "truncated data"},
        {"kv5 header size 23", kv5_LoadBytes, Kv5([](FileSpec& s) { s.headerSize = 23; }), "bad header size"},
        {"kv5 tiled layout", kv5_LoadBytes, Kv5([](FileSpec& s) { s.layout = 1; }), "not the current layout"},
        {"kv5 no width", kv5_LoadBytes, Kv5([](FileSpec& s) { s.width = 0; }), "bad dimensions"},
        {"kv5 beyond a surface", kv5_LoadBytes, Kv5([](FileSpec& s) { s.width = 65535, s.height = 300; }), "bad dimensions"},
        {"kv5 nine planes", kv5_LoadBytes, Kv5([](FileSpec& s) { s.planes = 9; }), "too many planes"},
        {"kv5 planes short", kv5_LoadBytes, Kv5([](FileSpec& s) { s.height = 3; }), "decoded stream too short"},
        {"kv5 unused planes missing", kv5_LoadBytes, Kv5([](FileSpec& s) { s.planes = 6; }), "decoded stream too short"},
        {"kv5 plain stream short", kv5_LoadBytes, Kv5([](FileSpec& s) { s.codecs = {}, s.stream = Bytes(23, 1); }), "decoded stream too short"},
        {"kv5 stream past buffers", kv5_LoadBytes, Kv5([](FileSpec& s) { s.codecs = {}, s.stream = Bytes(300, 1), s.dataSizeZero = true; }), "stream too large"},
        {"kv5 run past buffers", kv5_LoadBytes, Kv5([](FileSpec& s) { s.stream = {0x80, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0}; }), "output too large"},
        {"kv5 codec 4", kv5_LoadBytes, Kv5([](FileSpec& s) { s.codecs = {4}; }), "unknown codec"},
        {"kv5 protected, quiet", kv5_LoadBytes, Kv5([](FileSpec& s) { s.codecs = {1, 255}; }), "protected file"},
        {"kv5 palette of 257", kv5_LoadBytes, Kv5([](FileSpec& s) { s.palette = std::vector<uint32_t>(257, 1); }), "palette too large"},
        {"kv5 data offset past end", kv5_LoadBytes, Kv5Patched(20, 0xFFFFFFF0u), "data offset past end"},
        {"kv5 data size past end", kv5_LoadBytes, Kv5Patched(24, 1000), "truncated stream"},
        {"kv5 palette past end", kv5_LoadBytes, Kv5Patched(44, 500), "palette past end"},
        {"kv5 palette cut", kv5_LoadBytes, Kv5Patched(44, 142), "truncated palette"},
        {"kv5 signature", kv5_LoadBytes, Kv5Patched(0, 0x34354B5F), "bad signature"},
        {"tiled header size 20", kv5_LoadTiledBytes, TiledFile(16, 16, GreyTile(), {}, 0, 20), "bad header size"},
        {"tiled stream ends in a tile", kv5_LoadTiledBytes, TiledFile(16, 16, Bytes(100, 8)), "truncated tile"},
        {"tiled third tile missing", kv5_LoadTiledBytes, TiledFile(48, 16, Cat({GreyTile(), {0x10}})), "truncated tile"},
        {"tiled palette past 256", kv5_LoadTiledBytes, TiledFile(16, 16, Cat({{0x38}, Bytes(256, 0), {7, 250}, Bytes(7, 1)})), "palette past 256"},
        {"tiled width 0", kv5_LoadTiledBytes, TiledFile(0, 16, GreyTile()), "bad dimensions"},
    };
    // (Checks with cases of their own elsewhere: BmpStructure, Kv5Codec, EveryCut.)
    for (const Hostile& c : cases) {
        ExpectRefused(c.load, c.file.data(), c.file.size(), c.what);
        EXPECT_STREQ(refuse_Reason(), c.reason) << c.what;
    }
}
