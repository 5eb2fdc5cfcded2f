// The loaders that let Windows decode: BMP through GDI's conversion and the system
// image loader (pixels equal to what the writer stored, hostile headers refused with
// the target kept), the suites' files through every loader that takes BMPs, enhanced
// metafiles, and metafile, JPEG and GIF pictures through OLE.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <tuple>
#include "formats/bmp_file.h"
#include "formats/sysload_win32.h"
#include "support/format_support.h"
#include "support/scratch.h"

using namespace ftest;

namespace {

typedef int (*Loader)(Surface*, const char*, ImageFileInfo*);
const std::string CORPUS = "/work/shared/corpus/";

// A loaded surface that destroys itself; `load` keeps the info for size checks.
struct Held {
    Surface s{};
    ImageFileInfo info{};
    ~Held() {
        if (s.created) srf_Destroy(&s);
    }
    int load(Loader f, const std::string& path) {
        info = ImageFileInfo{};
        info.quiet = 1;
        return f(&s, path.c_str(), &info);
    }
};

Bytes SavedBmp(Surface* s) {
    uint8_t* data;
    size_t size;
    return bmp_SaveBytes(s, &data, &size) ? Take(data, size) : Bytes{};
}

// Random opaque pixels, or few distinct values for an 8-bit file.
void Paint(TestSurface& t, unsigned seed, bool few) {
    std::mt19937 rng(seed);
    FillRandom(t.get(), rng, false);
    for (uint32_t y = 0; y < t->height; y++)
        for (uint32_t x = 0; x < t->width; x++) t.at(x, y) = few ? (t.at(x, y) % 7) * 0x00251C13u : t.at(x, y) & 0xFFFFFF;
}

// Moves the pixel data `by` bytes further into the file.
Bytes ShiftPixels(Bytes b, uint32_t by) {
    uint32_t offset = GetU32(b, 10);
    b.insert(b.begin() + offset, by, 0xA5);
    PutU32(b, 10, offset + by);
    PutU32(b, 2, (uint32_t)b.size());
    return b;
}

Bytes With(Bytes b, size_t at, uint32_t v, int bytes = 4) {
    bytes == 4 ? PutU32(b, at, v) : PutU16(b, at, v);
    return b;
}

}  // namespace

TEST(BmpLoadSystem, GivesWhatTheWriterStoredAndRefusesHostileHeaders) {
    Scratch d("kvsys");
    TestSurface few(13, 9), many(37, 9), tiny(2, 2);  // 8-bit and 24-bit files, odd widths
    Paint(few, 11, true);
    Paint(many, 5, false);
    const Bytes eight = SavedBmp(few.get()), good = SavedBmp(many.get());
    ASSERT_EQ(GetU16(eight, 28), 8u);
    ASSERT_EQ(GetU16(good, 28), 24u);
    // A whole file needs no more than its headers and rows: 2 x 2 at 24 bits is 70 bytes,
    // its last row's padding cut off 68. The top row is the second stored.
    const Bytes two = Bmp(2, 2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12});
    for (auto [x, y, v] : {std::tuple<int, int, uint32_t>{0, 0, 0x090807}, {1, 0, 0x0C0B0A}, {0, 1, 0x030201}, {1, 1, 0x060504}})
        FillWith(tiny.get(), x, y, x, y, v);
    struct Case {
        const char* what;
        Loader load;
        Bytes bytes;
        Surface* want;  // null: refused
    } cases[] = {
        {"8 bits", bmp_LoadSystem, eight, few.get()},
        {"24 bits", bmp_LoadSystem, good, many.get()},
        {"pixels moved to a boundary", bmp_LoadSystem, ShiftPixels(good, 1), many.get()},
        {"pixels already on one", bmp_LoadSystem, ShiftPixels(good, 2), many.get()},
        {"8 bits at 1081", bmp_LoadSystem, ShiftPixels(eight, 3), few.get()},
        {"2 x 2 without padding", bmp_LoadSystem, two, tiny.get()},
        {"system image loader", img_LoadSystemImage, good, many.get()},
        {"system image loader, text", img_LoadSystemImage, Bytes(200, 'x'), nullptr},
        {"cut inside the info header", bmp_LoadSystem, Bytes(good.begin(), good.begin() + 40), nullptr},
        {"two planes", bmp_LoadSystem, With(good, 26, 2, 2), nullptr},
        {"file size beyond the file", bmp_LoadSystem, With(good, 2, (uint32_t)good.size() + 4), nullptr},
        {"top rows cut off", bmp_LoadSystem, Bytes(good.begin(), good.end() - 2 * 112), nullptr},
        {"not BM", bmp_LoadSystem, With(good, 0, 0x4142, 2), nullptr},
        {"zero width", bmp_LoadSystem, With(good, 18, 0), nullptr},
        {"negative width", bmp_LoadSystem, With(good, 18, (uint32_t)-37), nullptr},
        {"zero height", bmp_LoadSystem, With(good, 22, 0), nullptr},
        {"more pixels than a surface holds", bmp_LoadSystem, With(good, 22, 3000000), nullptr},
        {"header past the end", bmp_LoadSystem, With(good, 14, 0x7FFFFFF0), nullptr},
        {"header size between core and info", bmp_LoadSystem, With(good, 14, 20), nullptr},
        {"pixel offset past the end", bmp_LoadSystem, With(good, 10, (uint32_t)good.size()), nullptr},
        {"absurd bit count", bmp_LoadSystem, With(good, 28, 30000, 2), nullptr},
        {"JPEG inside", bmp_LoadSystem, With(good, 30, 4), nullptr},
        {"RLE8 on 24 bits", bmp_LoadSystem, With(good, 30, 1), nullptr},
        {"colour table above 256", bmp_LoadSystem, With(good, 46, 100000), nullptr},
    };
    Held l;
    int serial = 0;
    for (Case& c : cases) {
        const std::string name = std::to_string(serial++) + ".256";  // one file each: nothing cached
        d.Write(name, c.bytes);
        void* before = l.s.bitmap;
        ASSERT_EQ(l.load(c.load, d.At(name)), c.want ? 1 : 0) << c.what;
        if (!c.want) {
            EXPECT_EQ(l.s.bitmap, before) << c.what;
            continue;
        }
        EXPECT_TRUE(SameSurface(&l.s, c.want)) << c.what;
        EXPECT_EQ(l.info.width, c.want->width) << c.what;
        EXPECT_EQ(l.info.height, c.want->height) << c.what;
    }
}

// Every BMP of the suites, valid or hostile, through each loader that takes BMPs: no
// crash (the system loaders read files where their headers point); the valid ones load.
TEST(BmpLoadSystem, SuiteFilesLoadOrAreRefused) {
    for (const char* dir : {"bmpsuite/g", "bmpsuite/b", "bmpsuite/q", "image-rs/bad/bmp"}) {
        std::string folder = CORPUS + dir + "/";
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((folder + "*.bmp").c_str(), &fd);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << folder;
        do {
            for (Loader f : {bmp_LoadSystem, img_LoadSystemImage, pic_LoadSystem}) {
                Held l;
                int r = l.load(f, folder + fd.cFileName);
                EXPECT_TRUE(!r || (l.s.width >= 1 && l.s.height >= 1));
                if (f == bmp_LoadSystem && std::string(dir) == "bmpsuite/g") EXPECT_EQ(r, 1) << fd.cFileName;
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
}

TEST(EmfLoad, BoundsFromTenTenKeepABlackMargin) {
    Scratch d("kvsys");
    HDC rec = CreateEnhMetaFileA(nullptr, d.At("rect.emf").c_str(), nullptr, nullptr);
    ASSERT_TRUE(rec);
    SelectObject(rec, GetStockObject(WHITE_BRUSH));
    SelectObject(rec, GetStockObject(WHITE_PEN));
    Rectangle(rec, 10, 10, 50, 40);
    DeleteEnhMetaFile(CloseEnhMetaFile(rec));
    HENHMETAFILE emf = GetEnhMetaFileA(d.At("rect.emf").c_str());
    ENHMETAHEADER hdr{};
    GetEnhMetaFileHeader(emf, sizeof hdr, &hdr);
    DeleteEnhMetaFile(emf);
    ASSERT_EQ(hdr.rclBounds.left, 10);
    ASSERT_EQ(hdr.rclBounds.top, 10);

    Held l;
    ASSERT_EQ(l.load(emf_Load, d.At("rect.emf")), 1);
    EXPECT_EQ(l.s.width, (uint32_t)hdr.rclBounds.right + 1);
    EXPECT_EQ(l.s.height, (uint32_t)hdr.rclBounds.bottom + 1);
    EXPECT_EQ(l.info.width, l.s.width);
    for (uint32_t i = 0; i < l.s.width; i++) EXPECT_EQ(WordAt(&l.s, i, 5), 0u);
    for (uint32_t i = 0; i < l.s.height; i++) EXPECT_EQ(WordAt(&l.s, 5, i), 0u);
    EXPECT_EQ(WordAt(&l.s, 30, 25), 0x00FFFFFFu);

    // Nothing drawn: the bounds are empty (right and bottom below zero). Not a metafile.
    DeleteEnhMetaFile(CloseEnhMetaFile(CreateEnhMetaFileA(nullptr, d.At("empty.emf").c_str(), nullptr, nullptr)));
    EXPECT_EQ(l.load(emf_Load, d.At("empty.emf")), 0);
    d.Write("notemf.emf", Bytes(300, 1));
    EXPECT_EQ(l.load(emf_Load, d.At("notemf.emf")), 0);
    EXPECT_EQ(l.s.width, (uint32_t)hdr.rclBounds.right + 1);
}

namespace {

void Record(Bytes& b, uint16_t function, std::initializer_list<uint16_t> params) {
    Add32(b, 3 + (uint32_t)params.size());
    Add16(b, function);
    for (uint16_t p : params) Add16(b, p);
}

// A placeable metafile 5000 x 2000 units at 2540 units per inch (50 mm x 20 mm),
// white in its top-left quarter.
Bytes PlaceableWmf() {
    Bytes b;
    for (uint16_t w : {0xCDD7, 0x9AC6, 0, 0, 0, 5000, 2000, 2540, 0, 0}) Add16(b, w);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= (uint16_t)GetU16(b, i);
    Add16(b, sum);
    Bytes body;
    Record(body, 0x020B, {0, 0});                  // window origin
    Record(body, 0x020C, {2000, 5000});            // window extent (y, x)
    Record(body, 0x02FC, {0, 0xFFFF, 0x00FF, 0});  // solid white brush
    Record(body, 0x012D, {0});                     // select it
    Record(body, 0x041B, {1000, 2500, 0, 0});      // rectangle (bottom, right, top, left)
    Record(body, 0x0000, {});
    const uint32_t words = 9 + (uint32_t)body.size() / 2;
    for (uint16_t w : {1, 9, 0x300, (int)(words & 0xFFFF), (int)(words >> 16), 1, 7, 0, 0}) Add16(b, w);
    return Cat({b, body});
}

}  // namespace

TEST(PicLoadSystem, MetafileJpegGifAndJunk) {
    Scratch d("kvsys");
    // The metafile of 50 x 20 mm fits 4096 wide; its white quarter is drawn to scale,
    // the right way up: top left.
    d.Write("wide.wmf", PlaceableWmf());
    Held w;
    ASSERT_EQ(w.load(pic_LoadSystem, d.At("wide.wmf")), 1);
    EXPECT_EQ(w.s.width, 4096u);
    EXPECT_EQ(w.s.height, 1638u);  // 2000 x 4096 / 5000, truncated
    EXPECT_EQ(w.info.height, 1638u);
    const std::vector<uint32_t> px = WordsOf(&w.s);
    EXPECT_EQ(px[100 * 4096 + 100], 0x00FFFFFFu);
    EXPECT_NE(px[1500 * 4096 + 100], 0x00FFFFFFu);
    EXPECT_NE(px[100 * 4096 + 4000], 0x00FFFFFFu);
    EXPECT_NEAR(std::count(px.begin(), px.end(), 0x00FFFFFFu) / (4096.0 * 1638.0), 0.25, 0.01);

    for (const char* f : {"pillow/system/hopper.jpg", "sdl-image/sample.jpg" /* progressive */}) {
        Held l;
        ASSERT_EQ(l.load(pic_LoadSystem, CORPUS + f), 1) << f;
        for (uint32_t v : WordsOf(&l.s)) ASSERT_EQ(v >> 24, 0u) << f << ": every pixel opaque";
    }
    // The GIF is the same picture as a BMP of the suite, within the suite's tolerance of
    // 10 per channel: upright, not mirrored, colours in place, opaque. (Sizes of the
    // corpus's pictures: corpus_dispatch_test.cpp.)
    Held gif, bmp;
    ASSERT_EQ(gif.load(pic_LoadSystem, CORPUS + "sdl-image/palette.gif"), 1);
    ASSERT_EQ(bmp.load(bmp_LoadSystem, CORPUS + "sdl-image/palette.bmp"), 1);
    const std::vector<uint32_t> a = WordsOf(&gif.s), b = WordsOf(&bmp.s);
    ASSERT_EQ(a.size(), b.size());
    int worst = 0;
    for (size_t i = 0; i < a.size(); i++)
        for (int shift = 0; shift < 32; shift += 8)
            worst = std::max(worst, std::abs((int)(a[i] >> shift & 255) - (int)(b[i] >> shift & 255)));
    EXPECT_LE(worst, 10);

    Held l;
    d.Write("junk.jpg", Bytes(500, 0x5A));
    EXPECT_EQ(l.load(pic_LoadSystem, d.At("junk.jpg")), 0);
    EXPECT_EQ(l.load(pic_LoadSystem, d.At("missing.jpg")), 0);
    EXPECT_FALSE(l.s.created);
}
