// kv5codec.dll under Wine, registered as the installer registers it: every compression
// level and several sizes decode to the KV5 reader's pixels (alpha as opacity), the
// imaging plug-in then opens .kv5 as any program would, protected, cut or hostile
// files are refused with the imaging component's errors, and the shell's thumbnail is
// a smooth reduction with aspect and alpha kept.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincodec.h>
#include <propsys.h>
#include <thumbcache.h>
#include <filesystem>
#include <random>
#include <string>
#include <vector>
#include "formats/kv5_file.h"
#include "formats/plugin_filter.h"
#include "platform/refusal.h"
#include "settings/codecreg_win32.h"
#include "support/scratch.h"
#include "support/settings_support.h"
#include "support/test_surface.h"
#include "support/win_driver_win32.h"

namespace {

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

struct Decoded {
    HRESULT hr;
    GUID container{};
    std::vector<uint32_t> px;
};

// Through the component's own choice of decoder, or the KV5 decoder made directly.
Decoded Decode(IWICImagingFactory* f, const std::string& path, bool direct = false) {
    Decoded r;
    IWICBitmapDecoder* dec = nullptr;
    IWICStream* s = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    UINT w = 0, h = 0;
    WICPixelFormatGUID format{};
    if (direct)
        r.hr = f->CreateStream(&s);
    if (direct && SUCCEEDED(r.hr)) r.hr = s->InitializeFromFilename(Wide(path).c_str(), GENERIC_READ);
    if (direct && SUCCEEDED(r.hr))
        r.hr = CoCreateInstance(CREG_CLSID_KV5_DECODER, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                (void**)&dec);
    if (direct && SUCCEEDED(r.hr)) r.hr = dec->Initialize(s, WICDecodeMetadataCacheOnDemand);
    if (!direct)
        r.hr = f->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            &dec);
    if (SUCCEEDED(r.hr)) r.hr = dec->GetContainerFormat(&r.container);
    if (SUCCEEDED(r.hr)) r.hr = dec->GetFrame(0, &frame);
    if (SUCCEEDED(r.hr)) r.hr = frame->GetSize(&w, &h);
    if (SUCCEEDED(r.hr)) r.hr = frame->GetPixelFormat(&format);
    if (SUCCEEDED(r.hr) && format != GUID_WICPixelFormat32bppBGRA) r.hr = E_FAIL;
    if (SUCCEEDED(r.hr)) {
        r.px.resize((size_t)w * h);
        r.hr = frame->CopyPixels(nullptr, w * 4, w * h * 4, (BYTE*)r.px.data());
        for (uint32_t& v : r.px) v ^= 0xFF000000u;  // opacity back to the surface's translucency
    }
    for (IUnknown* u : std::initializer_list<IUnknown*>{frame, dec, s})
        if (u) u->Release();
    return r;
}

// Registered once for the suite: the component keeps what it learnt of the
// registry for the rest of the process.
struct Kv5DecoderTest : ::testing::Test {
    Scratch d{"kvwic"};
    IWICImagingFactory* f = nullptr;
    static void SetUpTestSuite() {
        ASSERT_TRUE(creg_RegisterKv5Codec(WinPath(KV_KV5CODEC_PATH).c_str()));
    }
    static void TearDownTestSuite() {
        EXPECT_TRUE(creg_UnregisterKv5Codec());
        HKEY h;
        EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, CREG_DECODER_KEY, 0, KEY_READ, &h), ERROR_SUCCESS);
        EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, CREG_INSTANCE_KEY, 0, KEY_READ, &h), ERROR_SUCCESS);
    }
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IWICImagingFactory, (void**)&f));
    }
    void TearDown() override {
        if (f) f->Release();
        CoUninitialize();
    }
};

}  // namespace

TEST_F(Kv5DecoderTest, EveryLevelAndSizeGivesTheReadersPixels) {
    std::mt19937 rng(5);
    const struct { uint32_t w, h; int kind; } sizes[] = {{1, 1, 0}, {37, 23, 1}, {64, 5, 2}, {300, 200, 1}};
    for (const auto& size : sizes)
        for (int level = 0; level <= 3; level++) {
            TestSurface t(size.w, size.h);
            if (size.kind == 1) FillRandom(t.get(), rng);
            else FillPattern(t.get());
            if (size.kind == 2) FillWith(t.get(), 0, 0, 20, 4, 0x80FF0000);
            const std::string path = d.dir + "\\l" + std::to_string(level) + ".kv5";
            const Kv5SaveOptions o = {level, nullptr, 0, nullptr, nullptr};
            ASSERT_TRUE(kv5_Save(t.get(), path.c_str(), &o));
            const Decoded r = Decode(f, path);
            ASSERT_HRESULT_SUCCEEDED(r.hr) << size.w << "x" << size.h << " level " << level;
            EXPECT_TRUE(r.container == CREG_CONTAINER_KV5);
            EXPECT_EQ(r.px, WordsOf(t.get())) << size.w << "x" << size.h << " level " << level;
        }
}

// Any program that reads pictures through the component: here the imaging plug-in,
// which learns the extension from the component's list of decoders.
TEST_F(Kv5DecoderTest, TheImagingPluginOpensKv5) {
    ASSERT_TRUE(path_CreateFolders());
    ASSERT_TRUE(CopyFileA(WinPath(KV_PLUGIN_BUILD_DIR "/Imaging filter.dll").c_str(),
                          (d.dir + "\\Plugins\\Imaging filter.dll").c_str(), FALSE));
    TestSurface t(41, 29);
    FillPattern(t.get());
    FillWith(t.get(), 0, 0, 9, 3, 0xFF336699);
    ASSERT_TRUE(kv5_Save(t.get(), (d.dir + "\\pic.kv5").c_str(), nullptr));
    Surface s{};
    ImageFileInfo info{};
    ASSERT_TRUE(plugin_FilterLoad(&s, (d.dir + "\\pic.kv5").c_str(), &info)) << refuse_Reason();
    EXPECT_EQ(WordsOf(&s), WordsOf(t.get()));
    srf_Destroy(&s);
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    SetCurrentDirectoryA(tmp);  // the scan leaves the program folder current
}

// A protected file cannot be asked for its password inside another program; a cut
// or hostile one is a bad image; neither gives a frame. The fuzzer's KV5 files decode
// exactly where the reader takes them and are refused where it refuses them.
TEST_F(Kv5DecoderTest, ProtectedCutAndHostileFilesAreRefused) {
    TestSurface t(30, 20);
    FillPattern(t.get());
    const Kv5SaveOptions locked = {2, nullptr, 0, "secret", nullptr};
    ASSERT_TRUE(kv5_Save(t.get(), (d.dir + "\\locked.kv5").c_str(), &locked));
    ASSERT_TRUE(kv5_Save(t.get(), (d.dir + "\\whole.kv5").c_str(), nullptr));
    const std::vector<uint8_t> whole = d.Read("whole.kv5");
    d.Write("cut.kv5", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    d.Write("other.kv5", "P3 1 1 255 1 2 3\n");
    const struct { const char* file; HRESULT direct; } rows[] = {
        {"locked.kv5", WINCODEC_ERR_UNSUPPORTEDOPERATION},
        {"cut.kv5", WINCODEC_ERR_BADIMAGE},
        {"other.kv5", WINCODEC_ERR_UNKNOWNIMAGEFORMAT},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Decode(f, d.dir + "\\" + row.file, true).hr, row.direct) << row.file;
        EXPECT_TRUE(FAILED(Decode(f, d.dir + "\\" + row.file).hr)) << row.file;
    }
    int seeds = 0;
    for (const auto& e : std::filesystem::directory_iterator("Z:" KV_FIXTURES_DIR "/fuzz/kv5_load_fuzz")) {
        const std::string path = e.path().string();
        Surface s{};
        ImageFileInfo info{};
        info.quiet = 1;
        const int ok = kv5_Load(&s, path.c_str(), &info);
        const Decoded r = Decode(f, path, true);
        EXPECT_EQ(SUCCEEDED(r.hr), ok == 1) << path;
        if (ok) {
            EXPECT_EQ(r.px, WordsOf(&s)) << path;
            srf_Destroy(&s);
        }
        seeds++;
    }
    EXPECT_GT(seeds, 0);
}

// The shell's thumbnail through COM: asked for 64, a 320 x 200 picture comes back
// 64 x 40 with straight alpha, each pixel within a few levels of the imaging
// component's own smooth reduction of the decoded picture; a picture smaller than
// asked comes back whole and exact.
TEST_F(Kv5DecoderTest, ThumbnailKeepsAspectAndAlphaAndReducesSmoothly) {
    TestSurface t(320, 200);
    uint32_t* px = srf_Lock(t.get());
    for (uint32_t y = 0; y < 200; y++)
        for (uint32_t x = 0; x < 320; x++)  // smooth colours; opacity in blocks of 5 x 5 thumbnail pixels
            px[y * t.get()->stride + x] = (x / 25 % 3 == 0 ? (y < 100 ? 0xFFu : 0x60u) : 0u) << 24 | (x * 255 / 319) << 16 |
                                         (y * 255 / 199) << 8 | ((x + y) * 255 / 518);
    srf_Unlock(t.get());
    const std::string path = d.dir + "\\thumb.kv5";
    ASSERT_TRUE(kv5_Save(t.get(), path.c_str(), nullptr));
    for (const UINT ask : {64u, 400u}) {
        IWICStream* s = nullptr;
        IInitializeWithStream* init = nullptr;
        IThumbnailProvider* thumbs = nullptr;
        HBITMAP b = nullptr;
        WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
        ASSERT_HRESULT_SUCCEEDED(f->CreateStream(&s));
        ASSERT_HRESULT_SUCCEEDED(s->InitializeFromFilename(Wide(path).c_str(), GENERIC_READ));
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CREG_CLSID_KV5_THUMBNAIL, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IInitializeWithStream, (void**)&init));
        ASSERT_HRESULT_SUCCEEDED(init->Initialize(s, STGM_READ));
        ASSERT_HRESULT_SUCCEEDED(init->QueryInterface(__uuidof(IThumbnailProvider), (void**)&thumbs));
        ASSERT_HRESULT_SUCCEEDED(thumbs->GetThumbnail(ask, &b, &alpha));
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectA(b, sizeof ds, &ds), (int)sizeof ds);
        const UINT w = ask == 64 ? 64 : 320, h = ask == 64 ? 40 : 200;
        EXPECT_EQ(alpha, WTSAT_ARGB);
        ASSERT_EQ(ds.dsBm.bmWidth, (LONG)w);
        ASSERT_EQ(ds.dsBm.bmHeight, (LONG)h);
        std::vector<uint32_t> got((const uint32_t*)ds.dsBm.bmBits, (const uint32_t*)ds.dsBm.bmBits + w * h), want(w * h);
        for (uint32_t& v : got) v ^= 0xFF000000u;  // opacity back to translucency
        IWICBitmapDecoder* dec = nullptr;
        IWICBitmapFrameDecode* frame = nullptr;
        IWICBitmapScaler* scaler = nullptr;
        ASSERT_HRESULT_SUCCEEDED(f->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ,
                                                             WICDecodeMetadataCacheOnDemand, &dec));
        ASSERT_HRESULT_SUCCEEDED(dec->GetFrame(0, &frame));
        ASSERT_HRESULT_SUCCEEDED(f->CreateBitmapScaler(&scaler));
        ASSERT_HRESULT_SUCCEEDED(scaler->Initialize(frame, w, h, WICBitmapInterpolationModeFant));
        ASSERT_HRESULT_SUCCEEDED(scaler->CopyPixels(nullptr, w * 4, w * h * 4, (BYTE*)want.data()));
        for (uint32_t& v : want) v ^= 0xFF000000u;
        if (ask == 400) {
            EXPECT_EQ(got, WordsOf(t.get()));
        }
        EXPECT_LE(MaxByteDifference(got, want), 3) << ask;
        for (IUnknown* u : std::initializer_list<IUnknown*>{scaler, frame, dec, thumbs, init, s}) u->Release();
        DeleteObject(b);
    }
}
