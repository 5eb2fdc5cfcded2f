// KV5 current layout: round trips of every colour model through every level, with and
// without author tag and password, on both paths; the blocks the writer places; the
// model rules at their edges; files of earlier revisions; messages and the probe.
#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include <string>
#include "platform/sysio.h"
#include "support/format_support.h"

using namespace ftest;

namespace {

enum Kind { INDEXED, INDEXED_ALPHA, GREY, GREY_ALPHA, DIRECT, DIRECT_ALPHA };
// The model and plane count each kind is stored with.
const uint16_t MODEL[] = {2, 2, 1, 1, 0, 0};
const uint8_t PLANES[] = {1, 1, 1, 2, 3, 4};

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

int Load(const Bytes& file, Surface* out, ImageFileInfo* info = nullptr) {
    return kv5_LoadBytes(out, file.data(), file.size(), info);
}

}  // namespace

TEST(Kv5File, EveryModelRoundTripsAtEveryLevelOnBothPaths) {
    for (Kind kind : {INDEXED, INDEXED_ALPHA, GREY, GREY_ALPHA, DIRECT, DIRECT_ALPHA})
        for (int level = 0; level <= 3; level++)
            for (int author = 0; author <= 1; author++)
                for (int password = 0; password <= 1; password++) {
                    SCOPED_TRACE(testing::Message() << "kind " << kind << " level " << level << " author "
                                                    << author << " password " << password);
                    WriterSettings ws(level, password, author);
                    TestSurface img(37, 23);
                    Paint(img.get(), kind, 11 + level);
                    if (password) QueuePassword("s3cret pass", "the usual");
                    Bytes file = Kv5SaveBytes(img.get());
                    ASSERT_FALSE(file.empty());
                    ExpectFields(file, {{16, 2, MODEL[kind]}, {18, 1, PLANES[kind]}, {28 + 15, 1, password ? 255u : 0u},
                                        {48, 4, author ? 141u : 0u}});
                    for (int i = 0; level == 0 && i < 15; i++) EXPECT_EQ(file[28 + i], 0);
                    EXPECT_EQ(GetU32(file, 20) + GetU32(file, 24), file.size());

                    if (password) QueuePassword("s3cret pass");
                    TestSurface back(1, 1), ref(1, 1);
                    ImageFileInfo info{};
                    ASSERT_EQ(Load(file, back.get(), &info), 1);
                    EXPECT_TRUE(SameSurface(img.get(), back.get()));
                    EXPECT_EQ(info.isProtected, password);
                    EXPECT_EQ(info.width, 37u);
                    EXPECT_EQ(std::string(info.authorText).rfind("Tester, ", 0) == 0, author == 1);
                    EXPECT_TRUE(uiscript_Boxes().empty());
                    if (password) continue;
                    kv5_SetReferencePath(1);
                    EXPECT_EQ(Kv5SaveBytes(img.get()), file);
                    EXPECT_EQ(Load(file, ref.get()), 1);
                    kv5_SetReferencePath(0);
                    EXPECT_TRUE(SameSurface(img.get(), ref.get()));
                }
}

TEST(Kv5File, BlocksSitWhereTheWriterPutsThem) {
    WriterSettings ws(2, 0, 1, "A. Writer with a long name 12345");
    TestSurface img(5, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) img.at(x, y) = x < 2 ? 0xFF0000u : 0x80112233u;
    Bytes f = Kv5SaveBytes(img.get());
    EXPECT_EQ(std::string(f.begin(), f.begin() + 8), std::string("_KV54\0\0\0", 8));
    // Version, layout, size, no unused planes; the signature text and its end; the author
    // block, then the palette after it (count 2, red, the alpha colour); data at 282.
    ExpectFields(f, {{8, 2, 3}, {10, 2, 2}, {12, 2, 5}, {14, 2, 4}, {19, 1, 0}, {52 + 88, 1, 0}, {141, 1, 129},
                     {44, 4, 270}, {270, 4, 2}, {274, 4, 0xFF0000u}, {278, 4, 0x80112233u}, {20, 4, 282}});
    EXPECT_EQ(std::string((const char*)f.data() + 52).rfind("\r\nWritten By Orvik's Kelvara 1.80\r\n", 0), 0u);
    std::string author = (const char*)f.data() + 142;
    EXPECT_EQ(author.rfind("A. Writer with a long name 1234, ", 0), 0u);  // 31 characters kept
    SioTime now;
    sio_LocalTime(&now);
    EXPECT_NE(author.find(", " + std::to_string(now.year)), std::string::npos);

    // No author tag: the palette at 141; level 0: the index plane as it is.
    WriterSettings plain(0, 0, 0);
    Bytes g = Kv5SaveBytes(img.get());
    ASSERT_EQ(g.size(), 153u + 20);
    ExpectFields(g, {{48, 4, 0}, {44, 4, 141}, {20, 4, 153}, {153, 1, 0}, {155, 1, 1}});

    const struct {
        const char* user;
        int day, month, year;
        const char* text;
    } dates[] = {{"Ann", 5, 12, 2026, "Ann, 5 Dec, 2026"}, {"", 31, 1, 1999, ", 31 Jan, 1999"},
                 {"Bo", 1, 0, 2000, "Bo, 1 Feb, 2000"} /* |0 - 1| mod 12 */, {"Bo", 1, 13, 2000, "Bo, 1 Jan, 2000"}};
    for (const auto& d : dates) {
        char out[128];
        kv5_FormatAuthor(out, d.user, d.day, d.month, d.year);
        EXPECT_STREQ(out, d.text);
    }
}

TEST(Kv5File, ModelChoiceAtItsEdges) {
    WriterSettings ws(2, 0, 0);
    struct Case {
        uint32_t w, h, distinct, alphaPixel;  // distinct non-grey colours
        uint16_t model;
        uint8_t planes;
    } cases[] = {{1, 1, 1, 0, 2, 1}, {16, 16, 256, 0, 2, 1}, {17, 16, 257, 0, 0, 3}, {17, 16, 257, 1, 0, 4}, {9, 3, 1, 0, 2, 1}};
    for (const Case& c : cases) {
        TestSurface img(c.w, c.h);
        for (uint32_t i = 0; i < c.w * c.h; i++) img.at(i % c.w, i / c.w) = 0x00400000u + (i % c.distinct) * 3 + 1;
        if (c.alphaPixel) img.at(0, 0) |= 0x01000000u;
        Bytes f = Kv5SaveBytes(img.get());
        ExpectFields(f, {{16, 2, c.model}, {18, 1, c.planes}});
        if (c.model == 2) EXPECT_EQ(GetU32(f, GetU32(f, 44)), c.distinct);
        TestSurface back(1, 1);
        ASSERT_EQ(Load(f, back.get()), 1);
        EXPECT_TRUE(SameSurface(img.get(), back.get()));
    }
    // Grey with few values is stored as grey, never indexed; with alpha: two planes.
    TestSurface grey(8, 8);
    for (int i = 0; i < 64; i++) grey.at(i % 8, i / 8) = (i % 3) * 0x010101u | (i == 5 ? 0x7F000000u : 0);
    ExpectFields(Kv5SaveBytes(grey.get()), {{16, 2, 1}, {18, 1, 2}, {44, 4, 0}});
}

TEST(Kv5File, EarlierRevisionsAndCodecListsDecode) {
    // Every list decodes to the planes: the fast path as the reference path does, and
    // the first pixel as its plane bytes say (grey: spread, alpha from plane 1).
    std::mt19937 rng(8);
    const int w = 96, h = 64;
    const uint32_t first[5] = {0, 0, 0x22111111u, 0x00332211u, 0x44332211u};
    for (int planes = 2; planes <= 4; planes++) {
        Bytes raw((size_t)w * h * planes);
        for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)(i / 7 % 50 + (rng() % 3 == 0 ? rng() % 4 : 0));
        for (int p = 0; p < planes; p++) raw[(size_t)p * w * h] = (uint8_t)(0x11 * (p + 1));
        for (auto list : {std::initializer_list<int>{1}, {1, 2}, {2, 19}, {1, 2, 19}, {1, 2, 19, 1}, {2, 3}, {35}})
            for (uint16_t version : {1, 3}) {
                FileSpec s;
                s.version = version, s.width = w, s.height = h, s.planes = (uint8_t)planes;
                s.model = planes == 2 ? 1 : 0;
                s.codecs = list;
                s.stream = Chain(raw, list);
                SCOPED_TRACE(testing::Message() << "planes " << planes << " list " << *list.begin() << " of " << list.size());
                TestSurface fast(1, 1), ref(1, 1);
                ASSERT_EQ(Load(BuildFile(s), fast.get()), 1);
                kv5_SetReferencePath(1);
                ASSERT_EQ(Load(BuildFile(s), ref.get()), 1);
                kv5_SetReferencePath(0);
                EXPECT_TRUE(SameSurface(fast.get(), ref.get()));
                EXPECT_EQ(fast.at(0, 0), first[planes]);
            }
    }
    // Before version 1 the palette count sits in the header word at 48, not an author tag.
    FileSpec s;
    s.version = 0, s.width = 4, s.height = 2, s.model = 2, s.planes = 1, s.legacyPalette = true;
    s.palette = {0x11223344u, 0x00ABCDEFu, 0xFF000000u};
    s.stream = {0, 1, 2, 1, 0, 2, 2, 1};
    TestSurface back(1, 1);
    ImageFileInfo info{};
    ASSERT_EQ(Load(BuildFile(s), back.get(), &info), 1);
    for (int i = 0; i < 8; i++) EXPECT_EQ(back.at(i % 4, i / 4), s.palette[s.stream[i]]);
    EXPECT_STREQ(info.authorText, "");
    // Later ones carry it in the block, where only the low 16 bits count; 257 are refused.
    s.version = 1, s.legacyPalette = false;
    Bytes g = BuildFile(s);
    for (uint32_t count : {3u, 0x10003u, 257u}) {
        PutU32(g, GetU32(g, 44), count);
        EXPECT_EQ(Load(g, back.get()), count == 257 ? 0 : 1) << count;
    }
}

TEST(Kv5File, VersionWarningUnknownCodecAndStreamToTheEnd) {
    uiscript_Reset();
    FileSpec s;
    s.width = 2, s.height = 2, s.planes = 3, s.stream = Bytes(12, 0x42), s.version = 4, s.dataSizeZero = true;
    const Bytes newer = BuildFile(s);
    s.version = 3, s.codecs = {4};
    const Bytes unknown = BuildFile(s);
    const struct {
        const Bytes& file;
        int ok;
        const char* title;
        const char* text;
        unsigned flags;
    } cases[] = {
        {newer, 1, "Version Conflict", "This file was created by a newer version of Kelvara.\n\nThe loading process MIGHT FAIL.",
         UI_TASKMODAL | UI_ICONWARNING},
        {unknown, 0, "Unknown Codec", "Unknown/unsupported compression.", UI_ICONWARNING},
    };
    for (const auto& c : cases)
        for (int quiet = 0; quiet <= 1; quiet++) {
            uiscript_Reset();
            TestSurface back(1, 1);
            ImageFileInfo info{};
            info.quiet = (uint8_t)quiet;
            ASSERT_EQ(Load(c.file, back.get(), &info), c.ok) << c.title;
            if (c.ok) EXPECT_EQ(back.at(1, 1), 0x424242u);
            ASSERT_EQ(uiscript_Boxes().size(), quiet ? 0u : 1u) << c.title;
            if (quiet) continue;
            EXPECT_EQ(uiscript_Boxes()[0].title, c.title);
            EXPECT_EQ(uiscript_Boxes()[0].text, c.text);
            EXPECT_EQ(uiscript_Boxes()[0].flags, c.flags);
        }
}

TEST(Kv5File, ProbeReadsHeaderAndAuthorOnly) {
    FileSpec s;
    s.width = 300, s.height = 200, s.codecs = {1, 255}, s.author = "Someone, 1 Jan, 2020";
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
    EXPECT_EQ(kv5_ProbeBytes(f.data(), 200, &info), 0);  // the author block is cut short
    f[18] = 9;
    EXPECT_EQ(kv5_ProbeBytes(f.data(), f.size(), &info), 0);
    f[18] = 3;
    PutU16(f, 10, 0);  // tiled layout 0 is not probed
    EXPECT_EQ(kv5_ProbeBytes(f.data(), f.size(), &info), 0);
    PutU16(f, 10, 1);
    f[24 + 3] = 255;
    ASSERT_EQ(kv5_ProbeBytes(f.data(), 40, &info), 1);
    EXPECT_EQ(info.isProtected, 1);

    // An author text running past its block is cut at text position 127.
    s = FileSpec{};
    s.stream = Bytes(3, 1);
    s.author = std::string(128, 'x');
    f = BuildFile(s);
    TestSurface back(1, 1);
    ASSERT_EQ(Load(f, back.get(), &info), 1);
    EXPECT_EQ(std::string(info.authorText), std::string(127, 'x'));
    // Offsets 1..4 point into the header: the loader takes no author from there, the
    // probe reads the block as it finds it (length byte 'K' at 1, text from 2 on).
    for (uint32_t off : {1u, 4u}) {
        PutU32(f, 48, off);
        ASSERT_EQ(Load(f, back.get(), &info), 1);
        EXPECT_STREQ(info.authorText, "");
        ImageFileInfo probe{};
        ASSERT_EQ(kv5_ProbeBytes(f.data(), f.size(), &probe), 1) << off;
        EXPECT_STREQ(probe.authorText, off == 1 ? "V54" : "") << off;
    }
    PutU32(f, 48, 1);
    EXPECT_EQ(kv5_ProbeExtent(f.data(), f.size()), 1u + 256);  // the file shell reads that far
}
