// The filter plug-ins under Wine: the shipped PNG, JPEG and imaging plug-ins through
// the load and save dispatchers, the caches and scans with their status texts, misbehaving
// plug-ins (one that claims everything, one that faults) and the PngSuite files.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincodec.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>
#include "formats/dispatch.h"
#include "formats/plugin_api_win32.h"
#include "formats/plugin_filter.h"
#include "settings/settings.h"
#include "support/corpus_index.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/settings_support.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

using ftest::LoadFile;
using ftest::Loaded;

namespace {

const char PNG_DLL[] = "PNG filter.dll";
const char JPEG_DLL[] = "JPEG filter.dll";
const char IMAGING_DLL[] = "Imaging filter.dll";
const char ACCEPT_DLL[] = "Accept all.dll";
const char CRASH_DLL[] = "Crash.dll";

std::string Built(const char* dll) {
    const bool shipped = std::string(dll) == PNG_DLL || std::string(dll) == JPEG_DLL || std::string(dll) == IMAGING_DLL;
    return WinPath(shipped ? KV_PLUGIN_BUILD_DIR : KV_PLUGIN_HELPER_DIR) + "\\" + dll;
}

// A program folder with the given plug-ins, fresh caches and a quiet, non-inverting loader.
struct PluginTest : ::testing::Test {
    Scratch d{"kvplg"};
    const KeptSettings kept;
    void SetUp() override {
        ASSERT_TRUE(path_CreateFolders());
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the codec alone, for comparison
        pflt_ResetCaches();
        uiscript_Reset();
        EditSettings([](SettingsRecord& r) { r.autoDetectAlpha = 0; });  // the pixels exactly as the plug-in gave them
    }
    void TearDown() override {
        CoUninitialize();
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        SetCurrentDirectoryA(tmp);  // the scans leave the program folder current
    }
    void Install(std::initializer_list<const char*> dlls) {
        for (const char* dll : dlls)
            ASSERT_TRUE(CopyFileA(Built(dll).c_str(), (d.dir + "\\Plugins\\" + dll).c_str(), FALSE)) << dll;
    }
    std::string File(const char* name) { return d.dir + "\\" + name; }
    std::string DllPath(const char* dll) { return d.dir + "\\Plugins\\" + dll; }
};

std::vector<std::string> ScanStatuses() {
    std::vector<std::string> r;
    for (const std::string& s : uiscript_Statuses())
        if (s.find("Plug-in") != std::string::npos) r.push_back(s);
    return r;
}

// The file decoded by the system's codec alone: 32-bit blue, green, red, opacity.
std::vector<uint32_t> DecodeDirect(const std::string& path, UINT* w, UINT* h) {
    std::vector<uint32_t> px;
    std::wstring wide(path.begin(), path.end());
    IWICImagingFactory* f = nullptr;
    IWICBitmapDecoder* dec = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* conv = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   (void**)&f)) &&
        SUCCEEDED(f->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                               &dec)) &&
        SUCCEEDED(dec->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(w, h)) &&
        SUCCEEDED(f->CreateFormatConverter(&conv)) &&
        SUCCEEDED(conv->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom))) {
        px.resize((size_t)*w * *h);
        if (FAILED(conv->CopyPixels(nullptr, *w * 4, *w * 4 * *h, (BYTE*)px.data()))) px.clear();
    }
    for (IUnknown* u : {(IUnknown*)conv, (IUnknown*)frame, (IUnknown*)dec, (IUnknown*)f})
        if (u) u->Release();
    return px;
}

// A photograph-like picture: smooth colour ramps with a little noise.
void FillPhoto(Surface* s) {
    uint32_t* p = srf_Lock(s);
    std::mt19937 rng(7);
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++)
            p[(size_t)y * s->stride + x] = (x * 2 + rng() % 3) << 16 | (y * 3 + rng() % 3) << 8 | ((x + y) + 64);
    srf_Unlock(s);
}

double Psnr(Surface* a, Surface* b) {
    const std::vector<uint32_t> x = WordsOf(a), y = WordsOf(b);
    double sum = 0;
    for (size_t i = 0; i < x.size(); i++)
        for (int shift = 0; shift < 24; shift += 8) {
            const double e = (double)(x[i] >> shift & 255) - (double)(y[i] >> shift & 255);
            sum += e * e;
        }
    const double mse = sum / (3.0 * (double)x.size());
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace

// PNG keeps every byte, alpha included, through the dispatchers; the file itself holds
// opacity (255 − translucency), so other programs see the same transparency.
TEST_F(PluginTest, PngRoundTripKeepsEveryByte) {
    Install({PNG_DLL, JPEG_DLL});
    struct Case {
        uint32_t w, h;
        bool opaque;
    } cases[] = {{37, 23, false}, {1, 9, false}, {9, 1, false}, {16, 5, true}};
    std::mt19937 rng(3);
    for (const Case& c : cases) {
        TestSurface t(c.w, c.h);
        FillRandom(t.get(), rng);
        if (c.opaque)
            for (uint32_t y = 0; y < c.h; y++)
                for (uint32_t x = 0; x < c.w; x++) t.at(x, y) &= 0x00FFFFFF;
        const std::string path = File("round.png");
        ASSERT_NE(img_SaveFile(t.get(), path.c_str(), nullptr), 0) << c.w << "x" << c.h;
        EXPECT_EQ(LoadFile(path).px, WordsOf(t.get())) << c.w << "x" << c.h;

        UINT w = 0, h = 0;
        const std::vector<uint32_t> file = DecodeDirect(path, &w, &h), mine = WordsOf(t.get());
        ASSERT_EQ(file.size(), mine.size());
        for (size_t i = 0; i < file.size(); i++) ASSERT_EQ(file[i], mine[i] ^ 0xFF000000u) << i;
    }
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>{});
}

// JPEG within a PSNR bound at the stored quality; the setting changes the file; the
// settings dialog writes the plug-in's own .ini.
TEST_F(PluginTest, JpegRoundTripAndQualitySetting) {
    Install({PNG_DLL, JPEG_DLL});
    TestSurface t(96, 64);
    srf_Unlock(t.get());
    FillPhoto(t.get());
    const std::string ini = DllPath("JPEG filter.ini");
    struct Case {
        const char* name;
        int quality;
        double psnr;
    } cases[] = {{"q95.jpg", 95, 38}, {"q90.JPEG", 0, 34}, {"q10.jfif", 10, 24}};
    std::map<int, size_t> sizes;
    for (const Case& c : cases) {
        DeleteFileA(ini.c_str());
        if (c.quality) WritePrivateProfileStringA("JPEG", "Quality", std::to_string(c.quality).c_str(), ini.c_str());
        ASSERT_NE(img_SaveFile(t.get(), File(c.name).c_str(), nullptr), 0) << c.name;
        Surface back{};
        ImageFileInfo info{};
        ASSERT_EQ(plugin_FilterLoad(&back, File(c.name).c_str(), &info), 1) << c.name;
        EXPECT_EQ(info.width, 96u);
        EXPECT_GE(Psnr(t.get(), &back), c.psnr) << c.name;
        EXPECT_FALSE(img_HasAlpha(&back));
        srf_Destroy(&back);
        sizes[c.quality] = d.Read(c.name).size();
    }
    // Wine's encoder takes the quality but keeps its own; Windows' follows it.
    EXPECT_LE(sizes[10], sizes[0]);
    EXPECT_LE(sizes[0], sizes[95]);
    std::printf("quality followed by this system's encoder: %s\n", sizes[10] < sizes[95] ? "yes" : "no");

    HMODULE m = LoadLibraryA(DllPath(JPEG_DLL).c_str());
    ASSERT_TRUE(m);
    PlgConfigure configure = (PlgConfigure)(void*)GetProcAddress(m, "plg_Configure");
    ASSERT_TRUE(configure);
    std::thread user = DriveWindowLater("JPEG Image Filter Settings", [](HWND dlg) {
        SetDlgItemTextA(dlg, 101, "42");
        PressButton(dlg, IDOK);
    });
    EXPECT_EQ(configure(nullptr), 1);
    user.join();
    EXPECT_EQ(GetPrivateProfileIntA("JPEG", "Quality", 0, ini.c_str()), 42u);
    FreeLibrary(m);
}

// What each shipped plug-in claims, and that it writes nothing it does not claim.
TEST_F(PluginTest, EachPluginClaimsItsOwnExtensionsOnly) {
    Install({PNG_DLL, JPEG_DLL, IMAGING_DLL});
    struct Case {
        const char* dll;
        const char* ext;
        int claims;
    } cases[] = {{PNG_DLL, ".png", 1},  {PNG_DLL, ".PNG", 1},    {PNG_DLL, ".jpg", 0},   {PNG_DLL, ".***", 0},
                 {PNG_DLL, "", 0},      {JPEG_DLL, ".jpg", 1},   {JPEG_DLL, ".jpe", 1},  {JPEG_DLL, ".jff", 1},
                 {JPEG_DLL, ".jpeg", 1}, {JPEG_DLL, ".JFIF", 1}, {JPEG_DLL, ".png", 0}, {JPEG_DLL, ".***", 0},
                 {IMAGING_DLL, ".tif", 1}, {IMAGING_DLL, ".TIFF", 1}, {IMAGING_DLL, ".gif", 0},
                 {IMAGING_DLL, ".png", 0}, {IMAGING_DLL, ".***", 0}};
    TestSurface t(4, 4);
    HBITMAP bitmap = (HBITMAP)t->bitmap;
    for (const Case& c : cases) {
        HMODULE m = LoadLibraryA(DllPath(c.dll).c_str());
        ASSERT_TRUE(m) << c.dll;
        FltSaveIsExtensionOk isOk = (FltSaveIsExtensionOk)(void*)GetProcAddress(m, "flt_Save_IsExtensionOk");
        FltSavePicture save = (FltSavePicture)(void*)GetProcAddress(m, "flt_SavePicture");
        PlgGetNameAndType name = (PlgGetNameAndType)(void*)GetProcAddress(m, "plg_GetNameAndType");
        char text[PLG_NAME_BUFFER] = "";
        ASSERT_TRUE(isOk && save && name && GetProcAddress(m, "flt_LoadPicture") && GetProcAddress(m, "plg_About"));
        EXPECT_EQ(name(text), PLG_TYPE_FILTER);
        EXPECT_EQ(isOk(c.ext), c.claims) << c.dll << " " << c.ext;
        const std::string out = File((std::string("out") + c.ext).c_str());
        EXPECT_EQ(save(bitmap, out.c_str(), nullptr) != 0, c.claims && *c.ext != 0) << c.dll << " " << c.ext;
        DeleteFileA(out.c_str());
        FreeLibrary(m);
    }
}

// The imaging plug-in: TIFF round trips keep every byte, alpha included; the corpus'
// GIF files load (the paletted one close to its BMP twin); the 16-bit TIFF loads equal
// to its PGM twin within the rounding of 16 to 8 bits, or is refused cleanly where the
// system's converter cannot widen it (printed); PNG and JPEG content and names no
// decoder lists are left to others.
TEST_F(PluginTest, ImagingPluginReadsOtherFormatsAndSavesTiff) {
    Install({PNG_DLL, JPEG_DLL, IMAGING_DLL});
    std::mt19937 rng(11);
    for (const char* name : {"round.tif", "round.TIFF"}) {
        TestSurface t(29, 17);
        FillRandom(t.get(), rng);
        ASSERT_NE(img_SaveFile(t.get(), File(name).c_str(), nullptr), 0) << name;
        EXPECT_EQ(LoadFile(File(name)).px, WordsOf(t.get())) << name;
    }
    const std::string root = WinPath("/work/shared/corpus/");
    struct Case {
        const char* file;
        uint32_t w, h;
        const char* twin;  // read in-house; 0 = none
        int tolerance;
    } cases[] = {{"pillow/system/hopper.gif", 128, 128, nullptr, 0},
                 {"sdl-image/palette.gif", 23, 42, "sdl-image/palette.bmp", 10},
                 {"pillow/pnm/16_bit_binary_pgm.tiff", 20, 100, "pillow/pnm/16_bit_binary.pgm", 1}};
    for (const Case& c : cases) {
        Surface s{};
        ImageFileInfo info{};
        const int loaded = plugin_FilterLoad(&s, (root + c.file).c_str(), &info);
        if (!loaded && c.tolerance == 1) {
            std::printf("  system codec: %s refused (no conversion of its samples to 8 bits)\n", c.file);
            continue;
        }
        ASSERT_EQ(loaded, 1) << c.file;
        EXPECT_EQ(s.width, c.w) << c.file;
        EXPECT_EQ(s.height, c.h) << c.file;
        if (c.twin) {
            const Loaded twin = LoadFile(root + c.twin);
            ASSERT_TRUE(twin.ok) << c.twin;
            EXPECT_LE(MaxByteDifference(WordsOf(&s), twin.px), c.tolerance) << c.file;
        }
        srf_Destroy(&s);
    }
    HMODULE m = LoadLibraryA(DllPath(IMAGING_DLL).c_str());
    ASSERT_TRUE(m);
    FltLoadPicture load = (FltLoadPicture)(void*)GetProcAddress(m, "flt_LoadPicture");
    TestSurface t(6, 6);
    ASSERT_NE(img_SaveFile(t.get(), File("real.png").c_str(), nullptr), 0);
    ASSERT_NE(img_SaveFile(t.get(), File("real.tif").c_str(), nullptr), 0);
    for (const char* name : {"real.png", "png named.gif", "tiff named.dat"}) {
        if (name[0] != 'r') CopyFileA(File(name[0] == 'p' ? "real.png" : "real.tif").c_str(), File(name).c_str(), FALSE);
        HBITMAP b = load(File(name).c_str(), nullptr);
        EXPECT_EQ(b, nullptr) << name;
        if (b) DeleteObject(b);
    }
    HBITMAP tif = load(File("real.tif").c_str(), nullptr);
    EXPECT_NE(tif, nullptr);
    if (tif) DeleteObject(tif);
    FreeLibrary(m);
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>{});
}

// The second save or load of an extension asks the remembered plug-in without a scan.
// The program folder is current afterwards.
TEST_F(PluginTest, SecondUseOfAnExtensionSkipsTheScan) {
    Install({PNG_DLL, JPEG_DLL});
    TestSurface t(8, 8);
    const std::vector<std::string> scanned = {std::string(" Scanning For Plug-in :: ") + PNG_DLL,
                                              std::string(" Plug-in Found :: ") + PNG_DLL};
    for (int direction : {PFLT_SAVE, PFLT_LOAD}) {
        for (const char* name : {"a.png", "b.png"}) {
            uiscript_Reset();
            if (direction == PFLT_SAVE) ASSERT_NE(img_SaveFile(t.get(), File(name).c_str(), nullptr), 0);
            else ASSERT_TRUE(LoadFile(File(name)).ok);
            const std::vector<std::string> got = ScanStatuses();
            if (name[0] == 'b') EXPECT_EQ(got, std::vector<std::string>{}) << name;
            else EXPECT_TRUE(got.size() >= 2 && got.back() == scanned[1] &&
                             std::find(got.begin(), got.end(), scanned[0]) != got.end()) << name;
        }
        EXPECT_STREQ(pflt_Cache(direction)->slot[0].ext, ".png");
        EXPECT_STREQ(pflt_Cache(direction)->slot[0].name, PNG_DLL);
    }
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    EXPECT_EQ(std::string(cwd), d.dir);
}

// A remembered plug-in that misbehaves is named once and the scan still finds the
// real one: a claim of ".***" is "Defective Plugin!!", a brush for a bitmap is
// "Invalid Bitmap!!", a fault is "Plugin Error!!". With only the faulting DLL
// there, nothing is read and the program goes on.
TEST_F(PluginTest, MisbehavingPluginsAreNamedAndSkipped) {
    Install({PNG_DLL, ACCEPT_DLL, CRASH_DLL});
    TestSurface t(8, 8);
    ASSERT_NE(img_SaveFile(t.get(), File("good.png").c_str(), nullptr), 0);
    struct Case {
        int direction;
        const char* cached;
        std::string box;
    } cases[] = {
        {PFLT_SAVE, ACCEPT_DLL, "Defective Plugin!!: " + DllPath(ACCEPT_DLL)},
        {PFLT_SAVE, CRASH_DLL, "Plugin Error!!: " + DllPath(CRASH_DLL)},
        {PFLT_LOAD, ACCEPT_DLL, std::string("Invalid Bitmap!!: ") + ACCEPT_DLL},
        {PFLT_LOAD, CRASH_DLL, "Plugin Error!!: " + DllPath(CRASH_DLL)},
    };
    std::vector<std::string> all;
    for (const Case& c : cases) all.push_back(c.box);
    for (const Case& c : cases) {
        pflt_ResetCaches();
        pflt_CacheRecord(pflt_Cache(c.direction), ".png", c.cached);
        uiscript_Reset();
        if (c.direction == PFLT_SAVE) EXPECT_NE(img_SaveFile(t.get(), File("again.png").c_str(), nullptr), 0) << c.cached;
        else EXPECT_TRUE(LoadFile(File("good.png")).ok) << c.cached;
        // The scan meets the misbehaving DLLs too, in the folder's order.
        const std::vector<std::string> boxes = uiscript_BoxLines();
        ASSERT_FALSE(boxes.empty()) << c.cached;
        EXPECT_EQ(boxes[0], c.box);
        for (const std::string& b : boxes) EXPECT_TRUE(std::find(all.begin(), all.end(), b) != all.end()) << b;
        EXPECT_STREQ(pflt_Cache(c.direction)->slot[0].name, PNG_DLL) << c.cached;
    }

    ASSERT_TRUE(DeleteFileA(DllPath(PNG_DLL).c_str()));
    ASSERT_TRUE(DeleteFileA(DllPath(ACCEPT_DLL).c_str()));
    pflt_ResetCaches();
    uiscript_Reset();
    Surface back{};
    ImageFileInfo info{};
    EXPECT_EQ(plugin_FilterLoad(&back, File("good.png").c_str(), &info), 0);
    EXPECT_EQ(plugin_FilterSave(t.get(), File("none.png").c_str()), 0);
    EXPECT_FALSE(back.created);
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>(2, "Plugin Error!!: " + DllPath(CRASH_DLL)));
    EXPECT_EQ(ScanStatuses(), std::vector<std::string>(2, std::string(" Scanning For Plug-in :: ") + CRASH_DLL));
}

// Every PngSuite file through the PNG plug-in: files to load come out at their stated
// size, broken ones are refused; the interlaced files equal their plain twins. Where
// the system's codec does otherwise it is listed here and printed.
namespace {

const std::map<std::string, std::string> SYSTEM_CODEC_DIFFERS = {
    {"xcsn0g01.png", "the system's decoder ignores the bad checksum of the image data and reads it"},
    {"xhdn0g08.png", "the system's decoder ignores the bad checksum of the header and reads it"},
};

}  // namespace

TEST_F(PluginTest, PngSuiteThroughThePlugin) {
    Install({PNG_DLL, JPEG_DLL});
    const std::string root = "/work/shared/corpus/";
    int loaded = 0, refused = 0;
    std::map<std::string, std::vector<uint32_t>> words;
    for (const corpus::Row& r : corpus::Rows(WinPath(root))) {
        if (r.path.rfind("pngsuite/", 0) != 0 || (r.expect != "load" && r.expect != "reject")) continue;
        Surface s{};
        ImageFileInfo info{};
        const int ok = plugin_FilterLoad(&s, WinPath(root + r.path).c_str(), &info);
        char got[32] = "refused";
        if (ok) std::snprintf(got, sizeof got, "%ux%u", s.width, s.height);
        const std::string name = r.path.substr(9);
        if (ok && name.rfind("bas", 0) == 0) words[name] = WordsOf(&s);
        ok ? loaded++ : refused++;
        if (s.created) srf_Destroy(&s);
        const bool asSaid = r.expect == "load" ? r.size == got : !ok;
        const auto known = SYSTEM_CODEC_DIFFERS.find(name);
        if (known != SYSTEM_CODEC_DIFFERS.end()) {
            EXPECT_FALSE(asSaid) << name << " is read now";
            std::printf("  system codec: %s (%s, %s): %s\n", name.c_str(), r.expect.c_str(), got, known->second.c_str());
        } else {
            EXPECT_TRUE(asSaid) << name << ": " << r.expect << " " << r.size << ", got " << got;
        }
    }
    std::printf("PngSuite through the plug-in: loaded %d, refused %d\n", loaded, refused);
    int twins = 0;
    for (const auto& w : words)
        if (w.first.rfind("basi", 0) == 0 && words.count("basn" + w.first.substr(4))) {
            EXPECT_EQ(w.second, words["basn" + w.first.substr(4)]) << w.first;
            twins++;
        }
    EXPECT_GT(twins, 10);
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>{});
}
