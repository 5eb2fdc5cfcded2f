// The loaders that let Windows decode, the shared corpus through the dispatcher with
// every Windows loader in place, and icons, each in its section below.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <shellapi.h>
#include <string>
#include <thread>
#include <tuple>
#include <vector>
#include "formats/bmp_file.h"
#include "formats/dispatch.h"
#include "formats/formats_ids.h"
#include "formats/sysload_win32.h"
#include "platform/sysio.h"
#include "settings/settings.h"
#include "support/corpus_index.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/settings_support.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

using namespace ftest;

// BMP through GDI's conversion and the system image loader (pixels equal to what the
// writer stored, hostile headers refused with the target kept), enhanced metafiles,
// and metafile, JPEG and GIF pictures through OLE.
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
    TestSurface few(13, 9), many(37, 9), tiny(2, 2), alpha(37, 9);  // 8, 24 and 32-bit files, odd widths
    Paint(few, 11, true);
    Paint(many, 5, false);
    std::mt19937 rng(9);
    FillRandom(alpha.get(), rng);
    const Bytes eight = Saved<bmp_SaveBytes>(few.get()), good = Saved<bmp_SaveBytes>(many.get()), deep = Saved<bmp_SaveBytes>(alpha.get());
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
        {"32 bits, alpha kept", bmp_LoadSystem, deep, alpha.get()},
        {"pixels moved to a boundary", bmp_LoadSystem, ShiftPixels(good, 1), many.get()},
        {"pixels already on one", bmp_LoadSystem, ShiftPixels(good, 2), many.get()},
        {"8 bits at 1081", bmp_LoadSystem, ShiftPixels(eight, 3), few.get()},
        {"2 x 2 without padding", bmp_LoadSystem, two, tiny.get()},
        {"system image loader", img_LoadSystemImage, good, many.get()},
        {"system image loader, text", img_LoadSystemImage, Bytes(200, 'x'), nullptr},
        // Refused by the BMP structure check (its cases: BmpStructure, natively) and by
        // the checks of what GDI would act on.
        {"top rows cut off", bmp_LoadSystem, Bytes(good.begin(), good.end() - 2 * 112), nullptr},
        {"not BM", bmp_LoadSystem, With(good, 0, 0x4142, 2), nullptr},
        {"more pixels than a surface holds", bmp_LoadSystem, With(good, 22, 3000000), nullptr},
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

TEST(EmfLoad, BoundsFromTenTenKeepABlackMargin) {
    Scratch d("kvsys");
    HDC rec = CreateEnhMetaFileA(nullptr, d.At("rect.emf").c_str(), nullptr, nullptr);
    ASSERT_TRUE(rec);
    SelectObject(rec, GetStockObject(WHITE_BRUSH));
    SelectObject(rec, GetStockObject(WHITE_PEN));
    Rectangle(rec, 10, 10, 50, 40);
    DeleteEnhMetaFile(CloseEnhMetaFile(rec));
    // Bounds (10, 10)-(49, 39), inclusive: the picture runs from (0, 0) to their far corner.
    Held l;
    ASSERT_EQ(l.load(emf_Load, d.At("rect.emf")), 1);
    EXPECT_EQ(l.s.width, 50u);
    EXPECT_EQ(l.s.height, 40u);
    for (uint32_t i = 0; i < l.s.width; i++) EXPECT_EQ(WordAt(&l.s, i, 5), 0u);
    for (uint32_t i = 0; i < l.s.height; i++) EXPECT_EQ(WordAt(&l.s, 5, i), 0u);
    EXPECT_EQ(WordAt(&l.s, 30, 25), 0x00FFFFFFu);

    // Nothing drawn: the bounds are empty (right and bottom below zero). Not a metafile.
    DeleteEnhMetaFile(CloseEnhMetaFile(CreateEnhMetaFileA(nullptr, d.At("empty.emf").c_str(), nullptr, nullptr)));
    EXPECT_EQ(l.load(emf_Load, d.At("empty.emf")), 0);
    d.Write("notemf.emf", Bytes(300, 1));
    EXPECT_EQ(l.load(emf_Load, d.At("notemf.emf")), 0);
    EXPECT_EQ(l.s.width, 50u);
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
    EXPECT_LE(MaxByteDifference(WordsOf(&gif.s), WordsOf(&bmp.s)), 10);

    Held l;
    d.Write("junk.jpg", Bytes(500, 0x5A));
    EXPECT_EQ(l.load(pic_LoadSystem, d.At("junk.jpg")), 0);
    EXPECT_EQ(l.load(pic_LoadSystem, d.At("missing.jpg")), 0);
    EXPECT_FALSE(l.s.created);
}

// The shared corpus through the load dispatcher, quiet, with every Windows loader in
// place, for the kinds the system decodes: files to load load with the stated size
// (icons at the size the system hands out), files to reject are refused, questionable
// ones may go either way. (The own readers meet the corpus natively, under the
// sanitizers; the system loaders' pixels are pinned above.)
namespace {

const std::string ROOT = WinPath(CORPUS);

bool StartsWith(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }

bool OfTheseKinds(const std::string& f) {
    for (const char* k : {"BMP", "ICO", "CUR", "JPEG", "GIF", "WMF"})
        if (StartsWith(f, k)) return true;
    return false;
}

// Icons come as the system's large icon whatever sizes the file holds.
std::string ExpectedSize(const corpus::Row& r) {
    if (StartsWith(r.format, "ICO") || StartsWith(r.format, "CUR")) {
        char s[32];
        std::snprintf(s, sizeof s, "%dx%d", GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        return s;
    }
    if (StartsWith(r.format, "WMF")) return "";  // stated in metafile units, not pixels
    return r.size;
}

// Where the system does otherwise than the index says, and why. Listed, counted and
// printed; anything not listed fails.
const std::map<std::string, std::string> KNOWN = {
    {"image-rs/ico/bmp_v5_with_icc.ico", "the system's icon extractor refuses this entry"},
};

}  // namespace

TEST(CorpusDispatch, EveryFileOfTheseKindsThroughTheDispatcher) {
    const KeptSettings kept;
    EditSettings([](SettingsRecord& r) { r.autoDetectAlpha = 0; });
    uiscript_Reset();
    int loaded = 0, refused = 0, known = 0;
    for (const corpus::Row& r : corpus::Rows(ROOT)) {
        if (!OfTheseKinds(r.format) || (r.expect != "load" && r.expect != "reject" && r.expect != "questionable"))
            continue;
        const auto k = KNOWN.find(r.path);
        std::string differs;  // what this file does otherwise than the index says
        const std::string path = WinPath(CORPUS + r.path);
        const Loaded l = LoadFile(path);
        const int ok = l.ok;
        // The chain stops at the first loader that takes a file: each system loader that
        // takes BMPs meets every BMP too, and may refuse it but not crash; the GDI one
        // takes every good suite file.
        const bool bmp = r.path.size() > 4 && r.path.compare(r.path.size() - 4, 4, ".bmp") == 0;
        for (Loader f : {bmp_LoadSystem, img_LoadSystemImage, pic_LoadSystem}) {
            Held t;
            const int took = bmp && t.load(f, path);
            if (f == bmp_LoadSystem && StartsWith(r.path, "bmpsuite/g/")) {
                EXPECT_TRUE(took) << r.path;
            }
        }
        ok ? loaded++ : refused++;
        char got[32];
        std::snprintf(got, sizeof got, "%ux%u", l.w, l.h);
        const std::string size = ExpectedSize(r);
        if (r.expect == "load" && !ok) differs = "refused";
        else if (r.expect == "load" && !size.empty() && size != got) differs = std::string("loaded as ") + got + ", not " + size;
        else if (r.expect == "reject" && ok) differs = "loaded although invalid";
        if (!differs.empty() && k != KNOWN.end()) {
            known++;
            std::printf("  known: %s (%s): %s\n", r.path.c_str(), differs.c_str(), k->second.c_str());
        } else if (!differs.empty()) {
            ADD_FAILURE() << r.path << ": " << differs;
        } else if (k != KNOWN.end()) {
            std::printf("  now as the index says: %s\n", r.path.c_str());
        }
    }
    std::printf("corpus through the dispatcher: loaded %d / refused %d; known differences %d\n", loaded, refused, known);
    EXPECT_TRUE(uiscript_Boxes().empty());  // quiet: nothing asked
    EXPECT_GT(loaded, 0);
}

// Icons as Surfaces: the key colour rule of ico_ToSurface, monochrome icons, and the
// "Select a resource to load" picker on a five-icon module, driven like a user would;
// cursor files and files without icons.
namespace {

const char PICKER[] = "Select a resource to load";
const uint32_t IMAGE_SIZE = 40 + 32 * 32 * 4 + 32 * 4;

// Icon i of the test files is one flat opaque colour.
uint32_t IconColour(int i) { return (uint32_t)(0x10 + 40 * i) << 16 | 0x6400 | (uint32_t)(200 - 30 * i); }

// Icon i as stored in a file or resource: 32 x 32, 32 bits, alpha 255, AND mask all opaque.
Bytes IconImage(int i) {
    Bytes b;
    for (uint32_t v : {40, 32, 64}) Add32(b, v);
    Add16(b, 1), Add16(b, 32);
    b.resize(40, 0);
    for (int p = 0; p < 32 * 32; p++) Add32(b, 0xFF000000 | IconColour(i));
    b.resize(IMAGE_SIZE, 0);
    return b;
}

// Directory entry fields shared by cursor files and group resources.
Bytes EntryHead() {
    Bytes b = {32, 32, 0, 0};
    Add16(b, 1), Add16(b, 32), Add32(b, IMAGE_SIZE);
    return b;
}

// A cursor file (type 2) of one image.
Bytes CursorFile() {
    Bytes b;
    Add16(b, 0), Add16(b, 2), Add16(b, 1);
    b = Cat({b, EntryHead()}), Add32(b, 6 + 16);
    return Cat({b, IconImage(0)});
}

// A copy of this test program whose resources are `count` icons, one image each: a
// file the system counts as holding `count` icons.
bool WriteIconModule(const std::string& path, int count) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    HANDLE up = CopyFileA(self, path.c_str(), FALSE) ? BeginUpdateResourceA(path.c_str(), TRUE) : nullptr;
    bool ok = up != nullptr;
    for (int i = 0; ok && i < count; i++) {
        Bytes image = IconImage(i), group;
        Add16(group, 0), Add16(group, 1), Add16(group, 1);
        group = Cat({group, EntryHead()}), Add16(group, 100 + i);
        ok = UpdateResourceA(up, RT_ICON, MAKEINTRESOURCEA(100 + i), 0, image.data(), (DWORD)image.size()) &&
             UpdateResourceA(up, RT_GROUP_ICON, MAKEINTRESOURCEA(1 + i), 0, group.data(), (DWORD)group.size());
    }
    return up && EndUpdateResourceA(up, !ok) && ok;
}

std::string CounterOf(HWND dlg) {
    char buf[64] = {};
    GetDlgItemTextA(dlg, IDC_ICOPICK_COUNTER, buf, sizeof buf);
    return buf;
}
void Click(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

}  // namespace

TEST(IcoToSurface, KeyColourMaskAndMonochrome) {
    // 32-bit colour plane without alpha, so the mask decides: one masked pixel and one
    // that really is the key colour in the artwork. Then a monochrome icon: AND mask over
    // XOR mask, 32 x 64, black ink (an 8-pixel block) on a transparent field.
    std::vector<uint32_t> colour(32 * 32, 0x00102030);
    colour[4 * 32 + 3] = ICO_KEY_COLOUR;
    colour[9 * 32 + 20] = 0x00000000;
    uint8_t mask[32 * 4] = {}, mono[64 * 4] = {};
    mask[9 * 4 + 20 / 8] = (uint8_t)(0x80 >> (20 % 8));
    std::memset(mono, 0xFF, 32 * 4);
    for (int y = 8; y < 16; y++) mono[y * 4] = 0x00;
    const uint32_t key = 0xFF000000 | ICO_KEY_COLOUR;
    const struct {
        HBITMAP andMask, xorColour;
        std::vector<std::tuple<int, int, uint32_t>> want;
    } cases[] = {
        {CreateBitmap(32, 32, 1, 1, mask), CreateBitmap(32, 32, 1, 32, colour.data()),
         {{3, 4, key}, {20, 9, key}, {0, 0, 0x00102030u}, {31, 31, 0x00102030u}}},
        {CreateBitmap(32, 64, 1, 1, mono), nullptr, {{3, 10, 0x00000000u}, {20, 10, key}}},
    };
    for (const auto& c : cases) {
        ICONINFO ii{TRUE, 0, 0, c.andMask, c.xorColour};
        HICON icon = CreateIconIndirect(&ii);
        ASSERT_TRUE(icon);
        Held out;
        ASSERT_EQ(ico_ToSurface(&out.s, icon), 1);
        EXPECT_EQ(out.s.width, 32u);
        EXPECT_EQ(out.s.height, 32u);  // a monochrome icon is half its masks' height
        for (auto [x, y, v] : c.want) EXPECT_EQ(WordAt(&out.s, x, y), v) << x << "," << y;
        DestroyIcon(icon);
        DeleteObject(c.andMask);
        if (c.xorColour) DeleteObject(c.xorColour);
    }
}

TEST(IcoLoad, PickerCursorAndIconlessFiles) {
    Scratch d("kvico");
    ASSERT_TRUE(WriteIconModule(d.At("five.dll"), 5));
    std::string atStart, afterPrev, afterNext, picture;
    std::thread user = DriveWindowLater(PICKER, [&](HWND dlg) {
        atStart = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_PREV);
        afterPrev = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_NEXT);
        afterNext = CounterOf(dlg);
        picture = SendDlgItemMessageA(dlg, IDC_ICOPICK_PICTURE, STM_GETICON, 0, 0) ? "icon" : "none";
        PressButton(dlg, IDOK);
    });
    Held out;
    ImageFileInfo info{};
    int r = ico_Load(&out.s, d.At("five.dll").c_str(), &info);
    user.join();
    EXPECT_EQ(atStart, "1 of 5");
    EXPECT_EQ(afterPrev, "1 of 5");  // clamped at the first icon
    EXPECT_EQ(afterNext, "2 of 5");
    EXPECT_EQ(picture, "icon");
    ASSERT_EQ(r, 1);
    EXPECT_EQ(info.width, out.s.width);
    EXPECT_EQ(info.height, out.s.height);
    EXPECT_EQ(WordAt(&out.s, 16, 16), IconColour(1));

    // Cancel loads nothing and leaves the surface; quiet takes the first icon.
    void* kept = out.s.bitmap;
    std::thread cancel = AnswerWindowLater(PICKER, IDCANCEL);
    EXPECT_EQ(ico_Load(&out.s, d.At("five.dll").c_str(), &info), 0);
    cancel.join();
    EXPECT_EQ(out.s.bitmap, kept);
    info.quiet = 1;
    ASSERT_EQ(ico_Load(&out.s, d.At("five.dll").c_str(), &info), 1);
    EXPECT_EQ(WordAt(&out.s, 0, 0), IconColour(0));

    // A cursor file, where the extractor finds no icon, loads whole, without a picker.
    info.quiet = 0;
    d.Write("one.cur", CursorFile());
    ASSERT_EQ(ExtractIconExA(d.At("one.cur").c_str(), -1, nullptr, nullptr, 0), 0u);  // else a picker would wait
    ASSERT_EQ(ico_Load(&out.s, d.At("one.cur").c_str(), &info), 1);
    EXPECT_EQ(info.width, 32u);
    EXPECT_EQ(info.height, 32u);
    EXPECT_EQ(WordAt(&out.s, 16, 16), IconColour(0));

    // A file without icons: no dialog, 0, quiet or not.
    d.Write("none.ico", Bytes(64, 0x33));
    for (int quiet = 0; quiet <= 1; quiet++) {
        info.quiet = (uint8_t)quiet;
        EXPECT_EQ(ico_Load(&out.s, d.At("none.ico").c_str(), &info), 0);
    }
    EXPECT_EQ(out.s.width, 32u);
}
