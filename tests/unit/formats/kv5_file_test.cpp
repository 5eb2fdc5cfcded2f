// KV5 current layout: round trips of every colour model through every level, with and
// without author tag and password; the blocks the writer places; the model rules at
// their edges; files of earlier revisions; and every refusal of the reader.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include "app/sysio.h"
#include "unit/formats/kv5_support.h"

using namespace kv5test;

namespace {

enum Kind { INDEXED, INDEXED_ALPHA, GREY, GREY_ALPHA, DIRECT, DIRECT_ALPHA };

void Paint(Surface* s, Kind kind, unsigned seed) {
    std::mt19937 rng(seed);
    uint32_t* p = srf_Lock(s);
    uint32_t colours[40];
    for (auto& c : colours) c = (rng() & 0xFFFFFF) | 0x000001;
    colours[0] = 0x00102030;  // never grey
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t g = (x * 7 + y * 3 + rng() % 3) & 0xFF, v = 0;
            switch (kind) {
            case INDEXED: v = colours[rng() % 40]; break;
            case INDEXED_ALPHA: v = colours[rng() % 40] | (rng() % 2 ? 0x80000000u : 0); break;
            case GREY: v = g * 0x010101u; break;
            case GREY_ALPHA: v = g * 0x010101u | (rng() & 0xFF) << 24; break;
            case DIRECT: v = rng() & 0xFFFFFF; break;
            case DIRECT_ALPHA: v = rng(); break;
            }
            p[y * s->stride + x] = v;
        }
    p[0] = kind == GREY || kind == GREY_ALPHA ? 0x00050505 : p[0];
    srf_Unlock(s);
}

struct Expect {
    uint16_t model;
    uint8_t planes;
};
Expect ModelOf(Kind k) {
    switch (k) {
    case INDEXED: case INDEXED_ALPHA: return {2, 1};
    case GREY: return {1, 1};
    case GREY_ALPHA: return {1, 2};
    case DIRECT: return {0, 3};
    default: return {0, 4};
    }
}

int Load(const Bytes& file, Surface* out, ImageFileInfo* info) {
    return kv5_LoadBytes(out, file.data(), file.size(), info);
}

}  // namespace

TEST(Kv5File, EveryModelRoundTripsAtEveryLevel) {
    const Kind kinds[] = {INDEXED, INDEXED_ALPHA, GREY, GREY_ALPHA, DIRECT, DIRECT_ALPHA};
    for (Kind kind : kinds)
        for (int level = 0; level <= 3; level++)
            for (int author = 0; author <= 1; author++)
                for (int password = 0; password <= 1; password++) {
                    SCOPED_TRACE(testing::Message() << "kind " << kind << " level " << level << " author "
                                                    << author << " password " << password);
                    WriterSettings ws(level, password, author);
                    TestSurface img(37, 23);
                    Paint(img.get(), kind, 11 + level);
                    if (password) QueuePassword("s3cret pass", "the usual");
                    Bytes file = SaveBytes(img.get());
                    ASSERT_FALSE(file.empty());
                    Expect e = ModelOf(kind);
                    EXPECT_EQ(GetU16(file, 16), e.model);
                    EXPECT_EQ(file[18], e.planes);
                    EXPECT_EQ(file[28 + 15], password ? 255 : 0);
                    EXPECT_EQ(GetU32(file, 48), author ? 141u : 0u);
                    for (int i = 0; level == 0 && i < 15; i++) EXPECT_EQ(file[28 + i], 0);
                    EXPECT_EQ(GetU32(file, 20) + GetU32(file, 24), file.size());

                    if (password) QueuePassword("s3cret pass");
                    TestSurface back(1, 1);
                    ImageFileInfo info{};
                    ASSERT_EQ(Load(file, back.get(), &info), 1);
                    EXPECT_TRUE(SameSurface(img.get(), back.get()));
                    EXPECT_EQ(info.isProtected, password);
                    EXPECT_EQ(info.width, 37u);
                    EXPECT_EQ(std::string(info.authorText).rfind("Tester, ", 0) == 0, author == 1);
                    EXPECT_TRUE(uiscript_Boxes().empty());
                }
}

TEST(Kv5File, BlocksSitWhereTheWriterPutsThem) {
    WriterSettings ws(2, 0, 1, "A. Writer with a long name 12345");
    TestSurface img(5, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) img.at(x, y) = x < 2 ? 0xFF0000u : 0x80112233u;
    Bytes f = SaveBytes(img.get());
    ASSERT_GE(f.size(), 282u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 8), std::string("_KV54\0\0\0", 8));
    EXPECT_EQ(GetU16(f, 8), 3u);
    EXPECT_EQ(GetU16(f, 10), 2u);
    EXPECT_EQ(GetU16(f, 12), 5u);
    EXPECT_EQ(GetU16(f, 14), 4u);
    EXPECT_EQ(f[19], 0);
    const char* sig = (const char*)f.data() + 52;
    EXPECT_EQ(std::string(sig).rfind("\r\nWritten By Orvik's Kelvara 1.80\r\n", 0), 0u);
    EXPECT_EQ(f[52 + 88], 0);
    EXPECT_EQ(f[141], 129);
    std::string author = (const char*)f.data() + 142;
    EXPECT_EQ(author.rfind("A. Writer with a long name 1234, ", 0), 0u);  // 31 characters kept
    SioTime now;
    sio_LocalTime(&now);
    EXPECT_NE(author.find(", " + std::to_string(now.year)), std::string::npos);
    EXPECT_EQ(GetU32(f, 44), 270u);  // palette after the author tag
    EXPECT_EQ(GetU32(f, 270), 2u);
    EXPECT_EQ(GetU32(f, 274), 0xFF0000u);
    EXPECT_EQ(GetU32(f, 278), 0x80112233u);
    EXPECT_EQ(GetU32(f, 20), 282u);

    WriterSettings plain(0, 0, 0);
    Bytes g = SaveBytes(img.get());
    EXPECT_EQ(GetU32(g, 48), 0u);
    EXPECT_EQ(GetU32(g, 44), 141u);  // no author tag: the palette at 141
    EXPECT_EQ(GetU32(g, 20), 153u);
    EXPECT_EQ(g.size(), 153u + 20);  // level 0: the index plane as it is
    EXPECT_EQ(g[153], 0);
    EXPECT_EQ(g[155], 1);
}

TEST(Kv5File, AuthorDateFormat) {
    char out[128];
    kv5_FormatAuthor(out, "Ann", 5, 12, 2026);
    EXPECT_STREQ(out, "Ann, 5 Dec, 2026");
    kv5_FormatAuthor(out, "", 31, 1, 1999);
    EXPECT_STREQ(out, ", 31 Jan, 1999");
    kv5_FormatAuthor(out, "Bo", 1, 0, 2000);  // |0 - 1| mod 12
    EXPECT_STREQ(out, "Bo, 1 Feb, 2000");
    kv5_FormatAuthor(out, "Bo", 1, 13, 2000);
    EXPECT_STREQ(out, "Bo, 1 Jan, 2000");
}

TEST(Kv5File, ModelChoiceAtItsEdges) {
    WriterSettings ws(2, 0, 0);
    struct Case {
        uint32_t w, h;
        uint32_t distinct;  // colours used, all non-grey
        uint32_t alphaPixel;
        uint16_t model;
        uint8_t planes;
    };
    const Case cases[] = {{1, 1, 1, 0, 2, 1},   {16, 16, 256, 0, 2, 1}, {17, 16, 257, 0, 0, 3},
                          {17, 16, 257, 1, 0, 4}, {9, 3, 1, 0, 2, 1}};
    for (const Case& c : cases) {
        TestSurface img(c.w, c.h);
        for (uint32_t i = 0; i < c.w * c.h; i++)
            img.at(i % c.w, i / c.w) = 0x00400000u + (i % c.distinct) * 3 + 1;
        if (c.alphaPixel) img.at(0, 0) |= 0x01000000u;
        Bytes f = SaveBytes(img.get());
        EXPECT_EQ(GetU16(f, 16), c.model) << c.distinct;
        EXPECT_EQ(f[18], c.planes) << c.distinct;
        if (c.model == 2) {
            EXPECT_EQ(GetU32(f, GetU32(f, 44)), c.distinct);
        }
        TestSurface back(1, 1);
        ASSERT_EQ(Load(f, back.get(), nullptr), 1);
        EXPECT_TRUE(SameSurface(img.get(), back.get()));
    }
    // Grey with few values is stored as grey, never indexed; with alpha: two planes.
    TestSurface grey(8, 8);
    for (int i = 0; i < 64; i++) grey.at(i % 8, i / 8) = (i % 3) * 0x010101u | (i == 5 ? 0x7F000000u : 0);
    Bytes f = SaveBytes(grey.get());
    EXPECT_EQ(GetU16(f, 16), 1u);
    EXPECT_EQ(f[18], 2);
    EXPECT_EQ(GetU32(f, 44), 0u);
}

TEST(Kv5File, ReferencePathWritesTheSameFile) {
    WriterSettings ws(3, 0, 0);
    TestSurface img(64, 40);
    for (Kind kind : {INDEXED_ALPHA, DIRECT, GREY_ALPHA}) {
        Paint(img.get(), kind, 3);
        Bytes fast = SaveBytes(img.get());
        kv5_SetReferencePath(1);
        Bytes ref = SaveBytes(img.get());
        kv5_SetReferencePath(0);
        EXPECT_EQ(fast, ref) << kind;
    }
}

TEST(Kv5File, ReferencePathLoadsTheSameImage) {
    TestSurface img(70, 33);
    for (Kind kind : {INDEXED_ALPHA, DIRECT, DIRECT_ALPHA, GREY, GREY_ALPHA})
        for (int level = 0; level <= 3; level++) {
            WriterSettings ws(level, 0, 0);
            Paint(img.get(), kind, 5);
            Bytes f = SaveBytes(img.get());
            TestSurface fast(1, 1), ref(1, 1);
            ASSERT_EQ(Load(f, fast.get(), nullptr), 1);
            kv5_SetReferencePath(1);
            ASSERT_EQ(Load(f, ref.get(), nullptr), 1);
            kv5_SetReferencePath(0);
            EXPECT_TRUE(SameSurface(fast.get(), ref.get()));
            EXPECT_TRUE(SameSurface(img.get(), fast.get()));
        }
}

TEST(Kv5File, EarlierRevisionsAndCodecListsDecode) {
    std::mt19937 rng(8);
    const int w = 96, h = 64;
    for (int planes = 2; planes <= 4; planes++) {
        Bytes raw((size_t)w * h * planes);
        for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)(i / 7 % 50 + (rng() % 3 == 0 ? rng() % 4 : 0));
        const std::initializer_list<int> lists[] = {{1}, {1, 2}, {2, 19}, {1, 2, 19}, {1, 2, 19, 1}, {2, 3}, {35}};
        for (auto list : lists)
            for (uint16_t version : {1, 2, 3}) {
                FileSpec s;
                s.version = version;
                s.width = w;
                s.height = h;
                s.model = planes == 2 ? 1 : 0;
                s.planes = (uint8_t)planes;
                s.codecs = list;
                s.stream = Chain(raw, list);
                SCOPED_TRACE(testing::Message() << "planes " << planes << " list " << *list.begin() << " of " << list.size());
                TestSurface back(1, 1);
                ASSERT_EQ(Load(BuildFile(s), back.get(), nullptr), 1);
                for (int i = 0; i < w * h; i++) {
                    uint32_t v = back.at(i % w, i / w), want = 0;
                    for (int p = 0; p < planes; p++) want |= (uint32_t)raw[(size_t)p * w * h + i] << (8 * p);
                    if (planes == 2) want = want << 16 | (want & 0xFF) << 8 | (want & 0xFF);
                    ASSERT_EQ(v, want) << "pixel " << i;
                }
            }
    }
}

TEST(Kv5File, LegacyPaletteCountInTheHeader) {
    FileSpec s;
    s.version = 0;
    s.width = 4;
    s.height = 2;
    s.model = 2;
    s.planes = 1;
    s.palette = {0x11223344u, 0x00ABCDEFu, 0xFF000000u};
    s.legacyPalette = true;
    s.stream = {0, 1, 2, 1, 0, 2, 2, 1};
    Bytes f = BuildFile(s);
    ASSERT_EQ(GetU32(f, 48), 3u);
    TestSurface back(1, 1);
    ImageFileInfo info{};
    ASSERT_EQ(Load(f, back.get(), &info), 1);
    for (int i = 0; i < 8; i++) EXPECT_EQ(back.at(i % 4, i / 4), s.palette[s.stream[i]]);
    EXPECT_STREQ(info.authorText, "");  // the count is not an author tag offset

    // Version 1 and later carry the count in the block; 257 entries are refused.
    s.version = 1;
    s.legacyPalette = false;
    Bytes g = BuildFile(s);
    ASSERT_EQ(Load(g, back.get(), nullptr), 1);
    PutU32(g, GetU32(g, 44), 257);
    EXPECT_EQ(Load(g, back.get(), nullptr), 0);
    PutU32(g, GetU32(g, 44), 0x10003);  // only the low 16 bits count
    EXPECT_EQ(Load(g, back.get(), nullptr), 1);
}

TEST(Kv5File, VersionWarningUnknownCodecAndStreamToTheEnd) {
    uiscript_Reset();
    FileSpec s;
    s.width = 2;
    s.height = 2;
    s.planes = 3;
    s.stream = Bytes(12, 0x42);
    s.version = 4;
    s.dataSizeZero = true;
    Bytes f = BuildFile(s);
    TestSurface back(1, 1);
    ImageFileInfo info{};
    ASSERT_EQ(Load(f, back.get(), &info), 1);
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].title, "Version Conflict");
    EXPECT_EQ(uiscript_Boxes()[0].text,
              "This file was created by a newer version of Kelvara.\n\nThe loading process MIGHT FAIL.");
    EXPECT_EQ(uiscript_Boxes()[0].flags, UI_TASKMODAL | UI_ICONWARNING);
    EXPECT_EQ(back.at(1, 1), 0x424242u);
    info.quiet = 1;
    EXPECT_EQ(Load(f, back.get(), &info), 1);
    EXPECT_EQ(uiscript_Boxes().size(), 1u);

    s.version = 3;
    s.codecs = {4};
    f = BuildFile(s);
    info.quiet = 0;
    EXPECT_EQ(Load(f, back.get(), &info), 0);
    ASSERT_EQ(uiscript_Boxes().size(), 2u);
    EXPECT_EQ(uiscript_Boxes()[1].title, "Unknown Codec");
    EXPECT_EQ(uiscript_Boxes()[1].text, "Unknown/unsupported compression.");
    EXPECT_EQ(uiscript_Boxes()[1].flags, UI_ICONWARNING);
    info.quiet = 1;
    EXPECT_EQ(Load(f, back.get(), &info), 0);
    EXPECT_EQ(uiscript_Boxes().size(), 2u);
}

TEST(Kv5File, RefusedFilesLeaveTheOutputAlone) {
    FileSpec good;
    good.width = 3;
    good.height = 2;
    good.planes = 4;
    good.codecs = {1};
    good.stream = Chain(Bytes(24, 7), {1});
    ASSERT_EQ([&] { TestSurface t(1, 1); return Load(BuildFile(good), t.get(), nullptr); }(), 1);

    std::vector<Bytes> bad;
    auto with = [&](auto change) { FileSpec s = good; change(s); bad.push_back(BuildFile(s)); };
    with([](FileSpec& s) { s.headerSize = 23; });
    with([](FileSpec& s) { s.layout = 1; });
    with([](FileSpec& s) { s.width = 0; });
    with([](FileSpec& s) { s.width = 65535; s.height = 300; });     // more than a Surface holds
    with([](FileSpec& s) { s.planes = 9; });
    with([](FileSpec& s) { s.planes = 4; s.height = 3; });          // decoded stream too short
    with([](FileSpec& s) { s.codecs = {}; s.stream = Bytes(23, 1); });
    with([](FileSpec& s) { s.codecs = {}; s.stream = Bytes(24 * 5 + 129, 1); s.dataSizeZero = true; });
    with([](FileSpec& s) { s.codecs = {1}; s.stream = {0x80, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0}; });
    with([](FileSpec& s) { s.codecs = {3}; });                      // not a frequency stream
    Bytes truncated = BuildFile(good);
    truncated.pop_back();
    bad.push_back(truncated);
    Bytes shortHeader = BuildFile(good);
    shortHeader.resize(40);
    bad.push_back(shortHeader);
    Bytes wrongSig = BuildFile(good);
    wrongSig[3] = '4';
    bad.push_back(wrongSig);
    Bytes badOffset = BuildFile(good);
    PutU32(badOffset, 20, 0xFFFFFFF0u);
    bad.push_back(badOffset);
    Bytes palettePastEnd = BuildFile(good);
    PutU32(palettePastEnd, 44, (uint32_t)palettePastEnd.size() - 2);
    bad.push_back(palettePastEnd);

    TestSurface keep(2, 2);
    keep.at(1, 1) = 0x12345678;
    for (size_t i = 0; i < bad.size(); i++) {
        ImageFileInfo info{};
        info.quiet = 1;
        EXPECT_EQ(Load(bad[i], keep.get(), &info), 0) << "case " << i;
        EXPECT_EQ(keep->width, 2u);
        EXPECT_EQ(keep.at(1, 1), 0x12345678u);
    }
}

TEST(Kv5File, ProbeReadsHeaderAndAuthorOnly) {
    FileSpec s;
    s.width = 300;
    s.height = 200;
    s.codecs = {1, 255};
    s.author = "Someone, 1 Jan, 2020";
    s.stream = Bytes(10, 0);  // never decoded
    Bytes f = BuildFile(s);
    uiscript_Reset();
    ImageFileInfo info{};
    ASSERT_EQ(kv5_ProbeBytes(f.data(), f.size(), &info), 1);
    EXPECT_EQ(info.width, 300u);
    EXPECT_EQ(info.height, 200u);
    EXPECT_EQ(info.isProtected, 1);
    EXPECT_STREQ(info.authorText, "Someone, 1 Jan, 2020");
    EXPECT_TRUE(uiscript_PromptsAsked().empty());

    Bytes cut(f.begin(), f.begin() + 200);  // the author block is cut short
    EXPECT_EQ(kv5_ProbeBytes(cut.data(), cut.size(), &info), 0);
    f[18] = 9;
    EXPECT_EQ(kv5_ProbeBytes(f.data(), f.size(), &info), 0);
    f[18] = 3;
    PutU16(f, 10, 0);  // tiled layout 0 is not probed
    EXPECT_EQ(kv5_ProbeBytes(f.data(), f.size(), &info), 0);
    PutU16(f, 10, 1);
    f[24 + 3] = 255;
    ASSERT_EQ(kv5_ProbeBytes(f.data(), 40, &info), 1);
    EXPECT_EQ(info.isProtected, 1);
}

TEST(Kv5File, AuthorBlockIsReadAsStored) {
    FileSpec s;
    s.stream = Bytes(3, 1);
    s.author = std::string(140, 'x');  // runs past the block: cut at text position 127
    s.author.resize(128);
    Bytes f = BuildFile(s);
    TestSurface back(1, 1);
    ImageFileInfo info{};
    ASSERT_EQ(Load(f, back.get(), &info), 1);
    EXPECT_EQ(std::string(info.authorText), std::string(127, 'x'));
    PutU32(f, 48, 3);  // 1..4 is no author tag
    ASSERT_EQ(Load(f, back.get(), &info), 1);
    EXPECT_STREQ(info.authorText, "");
}
