// The loaders that let Windows decode: BMP through GDI's conversion (pixels equal to
// what the writer stored, hostile headers refused), the system image loader, enhanced
// metafiles, metafile and JPEG/GIF pictures through OLE, icons with the key colour,
// and the real "Select a resource to load" picker driven from a second thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "formats/bmp_file.h"
#include "formats/formats_ids.h"
#include "formats/rdwr.h"
#include "formats/sysload_win32.h"
#include "support/test_surface.h"
#include "support/win_driver_win32.h"

namespace {

typedef std::vector<uint8_t> Bytes;
typedef int (*Loader)(Surface*, const char*, ImageFileInfo*);

std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "kvsys_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

std::string Write(const char* name, const Bytes& b) {
    std::string path = TempFile(name);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    if (f != INVALID_HANDLE_VALUE) {
        WriteFile(f, b.data(), (DWORD)b.size(), &done, nullptr);
        CloseHandle(f);
    }
    return path;
}

const std::string CORPUS = "/work/shared/corpus/";

// A loaded surface that destroys itself; `load` keeps the info for size checks.
struct Loaded {
    Surface s{};
    ImageFileInfo info{};
    ~Loaded() {
        if (s.created) srf_Destroy(&s);
    }
    int load(Loader f, const std::string& path, bool quiet = true) {
        info = ImageFileInfo{};
        info.quiet = quiet;
        return f(&s, path.c_str(), &info);
    }
};

Bytes SavedBmp(Surface* s) {
    uint8_t* data;
    size_t size;
    Bytes b;
    if (bmp_SaveBytes(s, &data, &size)) b.assign(data, data + size);
    std::free(data);
    return b;
}

void Put32(Bytes& b, size_t at, uint32_t v) { wr_U32At(&b[at], v); }

// Moves the pixel data `by` bytes further into the file.
Bytes ShiftPixels(Bytes b, uint32_t by) {
    uint32_t offset = rd_U32At(b.data(), 10);
    b.insert(b.begin() + offset, by, 0xA5);
    Put32(b, 10, offset + by);
    Put32(b, 2, (uint32_t)b.size());
    return b;
}

}  // namespace

TEST(BmpLoadSystem, GivesThePixelsTheWriterStored) {
    std::mt19937 rng(11);
    TestSurface few(13, 9), many(37, 9);  // 8-bit and 24-bit files, odd widths
    uint32_t* p = few->pixels;
    for (uint32_t y = 0; y < 9; y++)
        for (uint32_t x = 0; x < 13; x++) p[y * few->stride + x] = (rng() % 7) * 0x00251C13u;
    FillRandom(many.get(), rng);
    for (uint32_t y = 0; y < 9; y++)
        for (uint32_t x = 0; x < 37; x++) many.at(x, y) &= 0x00FFFFFF;

    Bytes eight = SavedBmp(few.get()), twentyFour = SavedBmp(many.get());
    ASSERT_EQ(rd_U16At(eight.data(), 28), 8);
    ASSERT_EQ(rd_U16At(twentyFour.data(), 28), 24);
    struct Case {
        const char* name;
        Bytes bytes;
        Surface* want;
    } cases[] = {
        {"pal.bmp", eight, few.get()},
        {"rgb.bmp", twentyFour, many.get()},
        {"rgb_off55.bmp", ShiftPixels(twentyFour, 1), many.get()},  // moved to a boundary
        {"rgb_off56.bmp", ShiftPixels(twentyFour, 2), many.get()},  // already on one
        {"pal_off1081.bmp", ShiftPixels(eight, 3), few.get()},
    };
    for (Case& c : cases) {
        Loaded l;
        ASSERT_EQ(l.load(bmp_LoadSystem, Write(c.name, c.bytes)), 1) << c.name;
        EXPECT_TRUE(SameSurface(&l.s, c.want)) << c.name;
        EXPECT_EQ(l.info.width, c.want->width);
        EXPECT_EQ(l.info.height, c.want->height);
        DeleteFileA(TempFile(c.name).c_str());
    }
}

TEST(BmpLoadSystem, RefusesHostileHeadersAndKeepsTheTarget) {
    TestSurface src(31, 10);  // over 256 colours: a 24-bit file
    std::mt19937 rng(5);
    FillRandom(src.get(), rng, false);
    for (uint32_t y = 0; y < 10; y++)
        for (uint32_t x = 0; x < 31; x++) src.at(x, y) &= 0x00FFFFFF;
    const Bytes good = SavedBmp(src.get());
    auto with = [&](size_t at, uint32_t v) {
        Bytes b = good;
        Put32(b, at, v);
        return b;
    };
    auto with16 = [&](size_t at, uint16_t v) {
        Bytes b = good;
        b[at] = (uint8_t)v;
        b[at + 1] = (uint8_t)(v >> 8);
        return b;
    };
    struct Case {
        const char* what;
        Bytes bytes;
    } hostile[] = {
        {"cut inside the info header", Bytes(good.begin(), good.begin() + 40)},
        {"two planes", with16(26, 2)},
        {"file size beyond the file", with(2, (uint32_t)good.size() + 4)},
        {"top rows cut off", Bytes(good.begin(), good.end() - 2 * 96)},  // row size 96
        {"not BM", with16(0, 0x4142)},
        {"zero width", with(18, 0)},
        {"negative width", with(18, (uint32_t)-31)},
        {"zero height", with(22, 0)},
        {"more pixels than a surface holds", with(22, 3000000)},
        {"header past the end", with(14, 0x7FFFFFF0)},
        {"header size between core and info", with(14, 20)},
        {"pixel offset past the end", with(10, (uint32_t)good.size())},
        {"absurd bit count", with16(28, 30000)},
        {"JPEG inside", with(30, 4)},
        {"RLE8 on 24 bits", with(30, 1)},
        {"colour table above 256", with(46, 100000)},
    };
    Loaded l;
    l.load(bmp_LoadSystem, Write("keep.bmp", good));
    ASSERT_TRUE(SameSurface(&l.s, src.get()));
    void* kept = l.s.bitmap;
    for (Case& c : hostile) {
        EXPECT_EQ(l.load(bmp_LoadSystem, Write("bad.bmp", c.bytes)), 0) << c.what;
        EXPECT_EQ(l.s.bitmap, kept) << c.what;
    }
    EXPECT_TRUE(SameSurface(&l.s, src.get()));

    // A whole file needs no more than its headers and rows: 2 × 2 at 24 bits is 70
    // bytes, its last row's padding cut off 68.
    Bytes tiny = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24};
    tiny.resize(54, 0);
    for (uint8_t v : {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12}) tiny.push_back(v);
    ASSERT_EQ(l.load(bmp_LoadSystem, Write("tiny.bmp", tiny)), 1);
    EXPECT_EQ(l.s.width, 2u);
    EXPECT_EQ(WordAt(&l.s, 1, 0), 0x000C0B0Au);  // top row: the second stored
    EXPECT_EQ(WordAt(&l.s, 0, 1), 0x00030201u);
    DeleteFileA(TempFile("keep.bmp").c_str());
    DeleteFileA(TempFile("bad.bmp").c_str());
    DeleteFileA(TempFile("tiny.bmp").c_str());
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
                Loaded l;
                int r = l.load(f, folder + fd.cFileName);
                if (r) {
                    EXPECT_TRUE(l.s.width >= 1 && l.s.height >= 1);
                }
                if (f == bmp_LoadSystem && std::string(dir) == "bmpsuite/g") {
                    EXPECT_EQ(r, 1) << fd.cFileName;
                }
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
}

TEST(ImgLoadSystemImage, LoadsABitmapFileAndRefusesOthers) {
    TestSurface src(19, 11);
    std::mt19937 rng(8);
    FillRandom(src.get(), rng, false);
    for (uint32_t y = 0; y < 11; y++)
        for (uint32_t x = 0; x < 19; x++) src.at(x, y) &= 0x00FFFFFF;
    Loaded l;
    std::string path = Write("pic.256", SavedBmp(src.get()));
    ASSERT_EQ(l.load(img_LoadSystemImage, path), 1);
    EXPECT_TRUE(SameSurface(&l.s, src.get()));
    EXPECT_EQ(l.info.width, 19u);
    EXPECT_EQ(l.info.height, 11u);
    std::string text = Write("text.016", Bytes(200, 'x'));
    EXPECT_EQ(l.load(img_LoadSystemImage, text), 0);
    EXPECT_EQ(l.s.width, 19u);
    DeleteFileA(path.c_str());
    DeleteFileA(text.c_str());
}

TEST(EmfLoad, BoundsFromTenTenKeepABlackMargin) {
    std::string path = TempFile("rect.emf");
    HDC rec = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    ASSERT_TRUE(rec);
    SelectObject(rec, GetStockObject(WHITE_BRUSH));
    SelectObject(rec, GetStockObject(WHITE_PEN));
    Rectangle(rec, 10, 10, 50, 40);
    DeleteEnhMetaFile(CloseEnhMetaFile(rec));
    HENHMETAFILE emf = GetEnhMetaFileA(path.c_str());
    ENHMETAHEADER hdr{};
    GetEnhMetaFileHeader(emf, sizeof hdr, &hdr);
    DeleteEnhMetaFile(emf);
    ASSERT_EQ(hdr.rclBounds.left, 10);
    ASSERT_EQ(hdr.rclBounds.top, 10);

    Loaded l;
    ASSERT_EQ(l.load(emf_Load, path), 1);
    EXPECT_EQ(l.s.width, (uint32_t)hdr.rclBounds.right + 1);
    EXPECT_EQ(l.s.height, (uint32_t)hdr.rclBounds.bottom + 1);
    EXPECT_EQ(l.info.width, l.s.width);
    for (uint32_t i = 0; i < l.s.width; i++) EXPECT_EQ(WordAt(&l.s, i, 5), 0u);
    for (uint32_t i = 0; i < l.s.height; i++) EXPECT_EQ(WordAt(&l.s, 5, i), 0u);
    EXPECT_EQ(WordAt(&l.s, 30, 25), 0x00FFFFFFu);

    // Nothing drawn: the bounds are empty (right and bottom below zero).
    std::string emptyPath = TempFile("empty.emf");
    DeleteEnhMetaFile(CloseEnhMetaFile(CreateEnhMetaFileA(nullptr, emptyPath.c_str(), nullptr, nullptr)));
    EXPECT_EQ(l.load(emf_Load, emptyPath), 0);
    EXPECT_EQ(l.s.width, (uint32_t)hdr.rclBounds.right + 1);
    EXPECT_EQ(l.load(emf_Load, Write("notemf.emf", Bytes(300, 1))), 0);
    DeleteFileA(path.c_str());
    DeleteFileA(emptyPath.c_str());
    DeleteFileA(TempFile("notemf.emf").c_str());
}

namespace {

void Word(Bytes& b, uint16_t v) {
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}
void Record(Bytes& b, uint16_t function, std::initializer_list<uint16_t> params) {
    uint32_t words = 3 + (uint32_t)params.size();
    Word(b, (uint16_t)words);
    Word(b, (uint16_t)(words >> 16));
    Word(b, function);
    for (uint16_t p : params) Word(b, p);
}

// A placeable metafile 5000 × 2000 units at 2540 units per inch (50 mm × 20 mm),
// white in its top-left quarter.
Bytes PlaceableWmf() {
    Bytes b;
    Word(b, 0xCDD7);
    Word(b, 0x9AC6);
    for (uint16_t w : {0, 0, 0, 5000, 2000, 2540, 0, 0}) Word(b, w);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= rd_U16At(b.data(), i);
    Word(b, sum);
    Bytes body;
    Record(body, 0x020B, {0, 0});                     // window origin
    Record(body, 0x020C, {2000, 5000});               // window extent (y, x)
    Record(body, 0x02FC, {0, 0xFFFF, 0x00FF, 0});     // solid white brush
    Record(body, 0x012D, {0});                        // select it
    Record(body, 0x041B, {1000, 2500, 0, 0});         // rectangle (bottom, right, top, left)
    Record(body, 0x0000, {});
    const uint32_t words = 9 + (uint32_t)body.size() / 2;
    for (uint16_t w : {1, 9, 0x300, (int)(words & 0xFFFF), (int)(words >> 16), 1, 7, 0, 0}) Word(b, w);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

}  // namespace

TEST(PicLoadSystem, MetafileOf50By20MillimetresFits4096) {
    std::string path = Write("wide.wmf", PlaceableWmf());
    Loaded l;
    ASSERT_EQ(l.load(pic_LoadSystem, path), 1);
    EXPECT_EQ(l.s.width, 4096u);
    EXPECT_EQ(l.s.height, 1638u);  // 2000 × 4096 / 5000, truncated
    EXPECT_EQ(l.info.height, 1638u);
    // The white quarter is drawn to scale, and the right way up: top left.
    size_t white = 0;
    const uint32_t* px = srf_Lock(&l.s);
    ASSERT_TRUE(px);
    EXPECT_EQ(px[(size_t)100 * l.s.stride + 100], 0x00FFFFFFu);
    EXPECT_NE(px[(size_t)1500 * l.s.stride + 100], 0x00FFFFFFu);
    EXPECT_NE(px[(size_t)100 * l.s.stride + 4000], 0x00FFFFFFu);
    for (uint32_t y = 0; y < 1638; y++)
        for (uint32_t x = 0; x < 4096; x++) white += px[(size_t)y * l.s.stride + x] == 0x00FFFFFF;
    srf_Unlock(&l.s);
    EXPECT_NEAR((double)white / (4096.0 * 1638.0), 0.25, 0.01);
    DeleteFileA(path.c_str());
}

TEST(PicLoadSystem, JpegAndGifFromTheCorpus) {
    struct Case {
        const char* file;
        uint32_t w, h;
    } cases[] = {
        {"pillow/system/hopper.jpg", 128, 128},
        {"pillow/system/hopper.gif", 128, 128},
        {"sdl-image/sample.jpg", 23, 42},  // progressive
        {"sdl-image/palette.gif", 23, 42},
    };
    for (const Case& c : cases) {
        Loaded l;
        ASSERT_EQ(l.load(pic_LoadSystem, CORPUS + c.file), 1) << c.file;
        EXPECT_EQ(l.s.width, c.w) << c.file;
        EXPECT_EQ(l.s.height, c.h) << c.file;
        EXPECT_EQ(l.info.width, c.w);
        int alpha = 0;
        for (uint32_t y = 0; y < c.h; y++)
            for (uint32_t x = 0; x < c.w; x++) alpha |= WordAt(&l.s, x, y) >> 24;
        EXPECT_EQ(alpha, 0) << c.file << ": every pixel opaque";
    }
    // The GIF is the same picture as a BMP of the suite, within the suite's tolerance
    // of 10 per channel: upright, not mirrored, colours in place.
    Loaded gif, bmp;
    ASSERT_EQ(gif.load(pic_LoadSystem, CORPUS + "sdl-image/palette.gif"), 1);
    ASSERT_EQ(bmp.load(bmp_LoadSystem, CORPUS + "sdl-image/palette.bmp"), 1);
    int worst = 0;
    for (uint32_t y = 0; y < 42; y++)
        for (uint32_t x = 0; x < 23; x++) {
            const uint32_t a = WordAt(&gif.s, x, y), b = WordAt(&bmp.s, x, y);
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs((int)(a >> shift & 255) - (int)(b >> shift & 255)));
        }
    EXPECT_LE(worst, 10);

    Loaded l;
    EXPECT_EQ(l.load(pic_LoadSystem, Write("junk.jpg", Bytes(500, 0x5A))), 0);
    EXPECT_EQ(l.load(pic_LoadSystem, TempFile("missing.jpg")), 0);
    EXPECT_FALSE(l.s.created);
    DeleteFileA(TempFile("junk.jpg").c_str());
}
