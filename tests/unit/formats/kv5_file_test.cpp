// The KV5 format: the current layout, the password layer and the legacy tiled layout,
// each in its section below.
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>
#include "engine/engine.h"
#include "formats/kv5_tiled.h"
#include "platform/sysio.h"
#include "support/format_support.h"

using namespace ftest;

// Current layout: round trips of every colour model through every level, with and
// without author tag and password, on both paths; the blocks the writer places; the
// model rules at their edges; files of earlier revisions; messages and the probe.
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
            // Each row ends in a run of its first pixel: something for every level to pack.
            p[y * s->stride + x] = x < 14 ? v : p[y * s->stride];
        }
    p[0] = kind == GREY || kind == GREY_ALPHA ? 0x00050505 : p[0];
    srf_Unlock(s);
}

int Load(const Bytes& file, Surface* out, ImageFileInfo* info = nullptr) {
    return kv5_LoadBytes(out, file.data(), file.size(), info);
}

}  // namespace

// The codec list at every level: filled from slot 0 without gaps, with codecs the
// reader knows; a codec stays only when it shortened the stream, so an empty list
// means the planes as they are (plus the password layer). Every level above 0 packs
// the rows' runs.
TEST(Kv5File, EveryModelRoundTripsAtEveryLevelOnBothPaths) {
    for (Kind kind : {INDEXED, INDEXED_ALPHA, GREY, GREY_ALPHA, DIRECT, DIRECT_ALPHA})
        for (int level = 0; level <= 3; level++)
            for (int author = 0; author <= 1; author++)
                for (int password = 0; password <= 1; password++) {
                    SCOPED_TRACE(testing::Message() << "kind " << kind << " level " << level << " author "
                                                    << author << " password " << password);
                    const Kv5SaveOptions options = {level, author ? "Tester" : nullptr, 0,
                                                    password ? "s3cret pass" : nullptr, "the usual"};
                    uiscript_Reset();
                    TestSurface img(37, 23);
                    Paint(img.get(), kind, 11 + level);
                    Bytes file = Kv5SaveBytes(img.get(), &options);
                    ExpectFields(file, {{16, 2, MODEL[kind]}, {18, 1, PLANES[kind]}, {28 + 15, 1, password ? 255u : 0u},
                                        {48, 4, author ? 141u : 0u}});
                    EXPECT_EQ(GetU32(file, 20) + GetU32(file, 24), file.size());
                    int used = 0;
                    while (used < 15 && file[28 + used]) EXPECT_TRUE(kv5_IsDecodable(file[28 + used++]));
                    for (int i = used; i < 15; i++) EXPECT_EQ(file[28 + i], 0) << "slot " << i;
                    const size_t raw = 37 * 23 * PLANES[kind] + (password ? KV5_PROTECT_HEADER : 0);
                    EXPECT_EQ(GetU32(file, 24) == raw, used == 0);
                    EXPECT_LE(GetU32(file, 24), raw);
                    EXPECT_EQ(used > 0, level > 0);
                    if (password) {
                        EXPECT_EQ(std::string((const char*)&file[GetU32(file, 20) + 1]), "the usual");
                    }

                    TestSurface back(1, 1), ref(1, 1);
                    ImageFileInfo info{};
                    if (password) QueuePassword("s3cret pass");
                    ASSERT_EQ(Load(file, back.get(), &info), 1);
                    EXPECT_TRUE(SameSurface(img.get(), back.get()));
                    EXPECT_EQ(info.isProtected, password);
                    EXPECT_EQ(std::string(info.authorText).rfind("Tester, ", 0) == 0, author == 1);
                    eng_ForceReference(1);
                    EXPECT_EQ(Kv5SaveBytes(img.get(), &options), file);
                    if (password) QueuePassword("s3cret pass");
                    EXPECT_EQ(Load(file, ref.get()), 1);
                    eng_ForceReference(0);
                    EXPECT_TRUE(SameSurface(img.get(), ref.get()));
                    EXPECT_TRUE(uiscript_Boxes().empty());
                    EXPECT_EQ(uiscript_PromptsAsked().size(), password ? 2u : 0u);  // the loads ask, the saves never
                }
}

TEST(Kv5File, BlocksSitWhereTheWriterPutsThem) {
    const Kv5SaveOptions ws = WriterOptions(2, 0, 1, "A. Writer with a long name 12345");
    TestSurface img(5, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) img.at(x, y) = x < 2 ? 0xFF0000u : 0x80112233u;
    Bytes f = Kv5SaveBytes(img.get(), &ws);
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
    Bytes g = Kv5SaveBytes(img.get(), nullptr);
    ASSERT_EQ(g.size(), 153u + 20);
    ExpectFields(g, {{48, 4, 0}, {44, 4, 141}, {20, 4, 153}, {153, 1, 0}, {155, 1, 1}});

    const struct {
        const char* user;
        int day, month, year;
        const char* text;
    } dates[] = {{"Ann", 5, 12, 2026, "Ann, 5 Dec, 2026"}, {"", 31, 1, 1999, ", 31 Jan, 1999"},
                 {"Bo", 1, 0, 2000, "Bo, 1 Feb, 2000"} /* |0 - 1| mod 12 */, {"Bo", 1, 13, 2000, "Bo, 1 Jan, 2000"},
                 // 31 bytes hold the name: a 3-byte character from byte 29 on stays out whole.
                 {"Anna Maria Magdalena Kowalska\xE5\x86\x99", 2, 2, 2002, "Anna Maria Magdalena Kowalska, 2 Feb, 2002"}};
    for (const auto& d : dates) {
        char out[128];
        kv5_FormatAuthor(out, d.user, d.day, d.month, d.year);
        EXPECT_STREQ(out, d.text);
    }
}

TEST(Kv5File, ModelChoiceAtItsEdges) {
    const Kv5SaveOptions ws = WriterOptions(2, 0, 0);
    struct Case {
        uint32_t w, h, distinct, alphaPixel;  // distinct non-grey colours
        uint16_t model;
        uint8_t planes;
    } cases[] = {{1, 1, 1, 0, 2, 1}, {16, 16, 256, 0, 2, 1}, {17, 16, 257, 0, 0, 3}, {17, 16, 257, 1, 0, 4}, {9, 3, 1, 0, 2, 1}};
    for (const Case& c : cases) {
        TestSurface img(c.w, c.h);
        for (uint32_t i = 0; i < c.w * c.h; i++) img.at(i % c.w, i / c.w) = 0x00400000u + (i % c.distinct) * 3 + 1;
        if (c.alphaPixel) img.at(0, 0) |= 0x01000000u;
        Bytes f = Kv5SaveBytes(img.get(), &ws);
        ExpectFields(f, {{16, 2, c.model}, {18, 1, c.planes}});
        if (c.model == 2) EXPECT_EQ(GetU32(f, GetU32(f, 44)), c.distinct);
        TestSurface back(1, 1);
        ASSERT_EQ(Load(f, back.get()), 1);
        EXPECT_TRUE(SameSurface(img.get(), back.get()));
    }
    // Grey with few values is stored as grey, never indexed; with alpha: two planes.
    TestSurface grey(8, 8);
    for (int i = 0; i < 64; i++) grey.at(i % 8, i / 8) = (i % 3) * 0x010101u | (i == 5 ? 0x7F000000u : 0);
    ExpectFields(Kv5SaveBytes(grey.get(), &ws), {{16, 2, 1}, {18, 1, 2}, {44, 4, 0}});
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
        // One stage and chains of two, three and four (a repeat among them) over each coder.
        for (auto list : {std::initializer_list<int>{35}, {2, 3}, {1, 2, 19}, {1, 2, 19, 1}}) {
            FileSpec s;
            s.width = w, s.height = h, s.planes = (uint8_t)planes;
            s.model = planes == 2 ? 1 : 0;
            s.codecs = list;
            s.stream = Chain(raw, list);
            SCOPED_TRACE(testing::Message() << "planes " << planes << " list " << *list.begin() << " of " << list.size());
            TestSurface fast(1, 1), ref(1, 1);
            ASSERT_EQ(Load(BuildFile(s), fast.get()), 1);
            eng_ForceReference(1);
            ASSERT_EQ(Load(BuildFile(s), ref.get()), 1);
            eng_ForceReference(0);
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
            const std::vector<std::string> shown = {std::string(c.title) + ": " + c.text};
            ASSERT_EQ(uiscript_BoxLines(), quiet ? std::vector<std::string>{} : shown);
            if (!quiet) EXPECT_EQ(uiscript_Boxes()[0].flags, c.flags);
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

// Password layer: the stream it writes, the three messages and their loops, the
// checksum rules, and how saving and loading react to Skip and quiet (the right
// password: Kv5File round trips; a cancelled one: dispatch_test.cpp).
namespace {

Bytes Protect(const Bytes& in, const char* password, const char* hint = nullptr) {
    Bytes out(in.size() + 72);
    out.resize(kv5_Protect(out.data(), out.size(), in.data(), in.size(), password, hint));
    return out;
}

Bytes Unprotect(const Bytes& in) {
    Bytes out(in.size());
    out.resize(kv5_Unprotect(out.data(), out.size(), in.data(), in.size()));
    return out;
}

// The titles of the boxes shown so far, each a plain warning.
std::vector<std::string> Titles() {
    std::vector<std::string> t;
    for (const auto& b : uiscript_Boxes()) {
        t.push_back(b.title);
        EXPECT_EQ(b.flags, UI_ICONWARNING) << b.title;
    }
    return t;
}

}  // namespace

TEST(Kv5Protect, LayerLayoutChecksumAndHeaderSize) {
    uiscript_Reset();
    Bytes plain = {1, 2, 3, 250, 0};
    Bytes p = Protect(plain, "ab", "a hint");
    ASSERT_EQ(p.size(), 77u);
    // Header size, hint text and its end, the checksum of the plain bytes, then the
    // bytes with the password's characters added in turn.
    ExpectFields(p, {{0, 1, 72}, {67, 1, 0}, {68, 4, 256}});
    EXPECT_EQ(std::string((const char*)p.data() + 1), "a hint");
    EXPECT_EQ(Bytes(p.begin() + 72, p.end()), Bytes({1 + 'a', 2 + 'b', 3 + 'a', (uint8_t)(250 + 'b'), 'a'}));
    EXPECT_TRUE(uiscript_PromptsAsked().empty());  // the layer itself never asks

    EXPECT_TRUE(Protect(plain, "").empty());  // nothing to protect with
    EXPECT_TRUE(Protect(plain, nullptr, "hint").empty());
    Bytes tooSmall(72 + plain.size() - 1);
    EXPECT_EQ(kv5_Protect(tooSmall.data(), tooSmall.size(), plain.data(), plain.size(), "ab", nullptr), 0u);

    uiscript_Reset();
    p = Protect({10, 20, 30}, "k");
    PutU32(p, 68, 0);  // checksum 0: any password applies, with a warning
    QueuePassword("wrong key");
    EXPECT_EQ(Unprotect(p).size(), 3u);
    EXPECT_EQ(Titles(), std::vector<std::string>({"Skipping Validation"}));
    EXPECT_EQ(uiscript_Boxes()[0].text,
              "The password you entered has been\napplied without validation. If the\nimage is corrupted, it's incorrect.\n");

    // Plain bytes summing to 0: accepted without a word.
    uiscript_Reset();
    Bytes z = Protect({0, 0}, "k");
    ASSERT_EQ(GetU32(z, 68), 0u);
    QueuePassword("k");
    EXPECT_EQ(Unprotect(z), Bytes({0, 0}));
    EXPECT_TRUE(uiscript_Boxes().empty());

    // H = 10: no checksum, cipher from byte 10. H = 80: checksum still at 68, cipher from 80.
    Bytes s = {10, 'h', 'i', 0, 0, 0, 0, 0, 0, 0, 5 + 'x', 6 + 'x'};
    QueuePassword("x");
    EXPECT_EQ(Unprotect(s), Bytes({5, 6}));
    Bytes t(82, 0);
    t[0] = 80, t[80] = 1 + 'y', t[81] = 2 + 'y';
    PutU32(t, 68, 3);
    QueuePassword("y");
    EXPECT_EQ(Unprotect(t), Bytes({1, 2}));
    // No cipher bytes at all: refused without asking.
    uiscript_Reset();
    Bytes headerOnly(72, 0);
    headerOnly[0] = 72;
    EXPECT_TRUE(Unprotect(headerOnly).empty());
    EXPECT_TRUE(Unprotect({200, 1, 2}).empty());
    EXPECT_TRUE(uiscript_PromptsAsked().empty());
}

TEST(Kv5Protect, RightWrongAndMissingPasswords) {
    uiscript_Reset();
    Bytes plain(300);
    for (size_t i = 0; i < plain.size(); i++) plain[i] = (uint8_t)(i * 7);
    Bytes p = Protect(plain, "Case Sensitive");

    for (const char* pw : {"case sensitive", "", "Case Sensitive"}) QueuePassword(pw);
    EXPECT_EQ(Unprotect(p), plain);
    EXPECT_EQ(Titles(), std::vector<std::string>({"Wrong Password", "No Password"}));
    EXPECT_EQ(uiscript_Boxes()[0].text, "The password you entered is incorrect.");
    EXPECT_EQ(uiscript_Boxes()[1].text, "Please enter a valid password.");

    uiscript_Reset();
    QueuePassword("nope");
    QueuePassword("", "", 0);  // gives up after the warning
    EXPECT_TRUE(Unprotect(p).empty());
    EXPECT_EQ(Titles(), std::vector<std::string>({"Wrong Password"}));
    EXPECT_EQ(uiscript_PromptsAsked().size(), 2u);
}

// The program's save asks; Skip, or Apply with no password, saves the file open.
TEST(Kv5Protect, SkipSavesPlainAndQuietLoadsRefuse) {
    const Kv5SaveOptions ask = WriterOptions(2, 1, 1);
    TestSurface img(20, 10), back(1, 1);
    QueuePassword("", "", 0);  // Skip
    EXPECT_EQ(Kv5SaveBytes(img.get(), &ask)[28 + 15], 0);
    QueuePassword("", "a hint");
    EXPECT_EQ(Kv5SaveBytes(img.get(), &ask)[28 + 15], 0);
    QueuePassword("pw", "hint");
    Bytes f = Kv5SaveBytes(img.get(), &ask);
    EXPECT_EQ(std::string((const char*)&f[GetU32(f, 20) + 1]), "hint");
    ImageFileInfo info{};
    info.quiet = 1;  // previews never ask, but learn the file is protected
    EXPECT_EQ(kv5_LoadBytes(back.get(), f.data(), f.size(), &info), 0);
    EXPECT_EQ(info.isProtected, 1);
    EXPECT_EQ(uiscript_PromptsAsked().size(), 3u);
}

// No password lives between saves: two threads write with different passwords at
// once, and each file refuses the other's password and opens with its own.
TEST(Kv5Protect, TwoProtectedSavesAtOnceKeepTheirOwnPasswords) {
    uiscript_Reset();
    const char* const passwords[2] = {"first one", "2nd"};
    TestSurface a(64, 48), b(64, 48);
    Surface* img[2] = {a.get(), b.get()};
    for (int i = 0; i < 2; i++) Paint(img[i], i ? GREY_ALPHA : DIRECT, 5 + i);
    Bytes files[2][20];
    {
        std::vector<std::thread> writers;
        for (int i = 0; i < 2; i++)
            writers.emplace_back([&, i] {
                const Kv5SaveOptions o = {2, nullptr, 0, passwords[i], passwords[1 - i]};
                for (Bytes& f : files[i]) f = Kv5SaveBytes(img[i], &o);
            });
        for (auto& t : writers) t.join();
    }
    EXPECT_TRUE(uiscript_PromptsAsked().empty());
    for (int i = 0; i < 2; i++)
        for (const Bytes& f : files[i]) {
            ASSERT_EQ(f, files[i][0]) << "thread " << i;
            TestSurface back(1, 1);
            uiscript_Reset();
            QueuePassword(passwords[1 - i]);
            QueuePassword(passwords[i]);
            ASSERT_EQ(Load(f, back.get()), 1) << "thread " << i;
            EXPECT_TRUE(SameSurface(img[i], back.get())) << "thread " << i;
            EXPECT_EQ(Titles(), std::vector<std::string>({"Wrong Password"})) << "thread " << i;
        }
}

// Legacy tiled layout: files built tile by tile covering each tile kind, the strip
// order (also on a repeat), the persistent palette, the extra byte, edge clipping, the
// red/blue swap and codec lists (refusals: contract_test.cpp).
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

uint32_t Swap(uint32_t v) { return (v & 0xFF00FF00u) | (v & 0xFF) << 16 | (v >> 16 & 0xFF); }

int LoadTiled(const Bytes& f, Surface* out, ImageFileInfo* info = nullptr) {
    return kv5_LoadTiledBytes(out, f.data(), f.size(), info);
}

}  // namespace

TEST(Kv5Tiled, TileKindsEdgeClippingAndThePersistentPalette) {
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
    EXPECT_EQ(std::make_pair(info.width, info.height), std::make_pair(20u, 18u));
    for (int y = 0; y < 18; y++)
        for (int x = 0; x < 20; x++) {
            int i = (y % 16) * 16 + x % 16;
            uint32_t want = x < 16 && y < 16 ? directWord(i) : y < 16 ? entry(index(i) - 10) : grey(i) * 0x010101u;
            ASSERT_EQ(out.at(x, y), Swap(want)) << x << "," << y;
        }

    // The palette persists from tile to tile; bit 7 announces an extra byte, skipped.
    auto entryA = [](int j) { return 0x01000000u * (uint32_t)(j + 1) + 0x000A0B0Cu; };
    auto index4 = [](int i) { return (uint32_t)(i % 4); };
    Bytes p;
    Indexed(p, 4, index4, 0, 4, entryA, false);    // entries 0..3 (count byte 3)
    p.push_back(0x80 | 0x04 | 0x18 | 0x20 | 0);   // bit 7 and the ignored bit 2, one plane
    p.push_back(0x99);                            // the skipped byte
    for (int i = 0; i < 256; i++) p.push_back((uint8_t)index4(i));
    p.insert(p.end(), {1, 2, 0x42});              // one entry, from entry 2: 0x42
    ASSERT_EQ(LoadTiled(TiledFile(32, 1, p), out.get()), 1);
    for (int x = 0; x < 16; x++) EXPECT_EQ(out.at(x, 0), Swap(entryA(x % 4)));
    for (int x = 0; x < 16; x++) EXPECT_EQ(out.at(16 + x, 0), Swap(x % 4 == 2 ? 0x42 : entryA(x % 4)));
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
