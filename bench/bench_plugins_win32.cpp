// Opening a 4096 × 4096 PNG and JPEG through the filter plug-ins (DLL load, decoding,
// hand-over into a Surface), beside the same file decoded by the system's codec
// alone into plain memory; best of three each, printed as a ratio.
// Run: scripts/wine-session.sh build/win/tests/kvbench_plugins.exe
#include <windows.h>
#include <wincodec.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>
#include "formats/dispatch.h"
#include "formats/plugin_filter.h"
#include "support/scratch.h"

namespace {

double Ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// What a program would do without the plug-in: decode to 32-bit pixels in memory.
size_t DecodeDirect(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    IWICImagingFactory* f = nullptr;
    IWICBitmapDecoder* dec = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* conv = nullptr;
    UINT w = 0, h = 0;
    std::vector<uint32_t> px;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   (void**)&f)) &&
        SUCCEEDED(f->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                               &dec)) &&
        SUCCEEDED(dec->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) &&
        SUCCEEDED(f->CreateFormatConverter(&conv)) &&
        SUCCEEDED(conv->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom))) {
        px.resize((size_t)w * h);
        if (FAILED(conv->CopyPixels(nullptr, w * 4, w * 4 * h, (BYTE*)px.data()))) px.clear();
    }
    for (IUnknown* u : {(IUnknown*)conv, (IUnknown*)frame, (IUnknown*)dec, (IUnknown*)f})
        if (u) u->Release();
    return px.size();
}

// Smooth ramps with noise, like a photograph; PNG gets translucent squares too.
void FillPhoto(Surface* s, bool alpha) {
    uint32_t* p = srf_Lock(s);
    std::mt19937 rng(7);
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) {
            const uint32_t n = rng() % 9, r = (x / 16 + n) & 255, g = (y / 16 + n) & 255, b = ((x + y) / 64 + n) & 255;
            const uint32_t a = alpha && (x / 64 + y / 64) % 2 ? (x * 7 + y) & 255 : 0;
            p[(size_t)y * s->stride + x] = a << 24 | r << 16 | g << 8 | b;
        }
    srf_Unlock(s);
}

}  // namespace

int main() {
    Scratch d("kvbenchplg");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string built = std::string("Z:") + KV_PLUGIN_BUILD_DIR;
    std::replace(built.begin(), built.end(), '/', '\\');
    path_CreateFolders();
    for (const char* dll : {"PNG filter.dll", "JPEG filter.dll"})
        CopyFileA((built + "\\" + dll).c_str(), (d.dir + "\\Plugins\\" + dll).c_str(), FALSE);
    Surface big{};
    if (!srf_CreateExact(4096, 4096, &big)) return 1;
    srf_Unlock(&big);
    int failed = 0;
    for (const char* name : {"big.png", "big.jpg"}) {
        const std::string path = d.dir + "\\" + name;
        FillPhoto(&big, name[4] == 'p');
        if (!img_SaveFile(&big, path.c_str(), nullptr)) return 1;
        double viaPlugin = 1e9, direct = 1e9;
        for (int round = 0; round < 3; round++) {
            auto t0 = std::chrono::steady_clock::now();
            Surface s{};
            ImageFileInfo info{};
            failed |= !plugin_FilterLoad(&s, path.c_str(), &info);
            auto t1 = std::chrono::steady_clock::now();
            if (s.created) srf_Destroy(&s);
            auto t2 = std::chrono::steady_clock::now();
            failed |= DecodeDirect(path) != (size_t)4096 * 4096;
            auto t3 = std::chrono::steady_clock::now();
            viaPlugin = std::min(viaPlugin, Ms(t0, t1));
            direct = std::min(direct, Ms(t2, t3));
        }
        std::printf("open 4096x4096 %s: plug-in %.0f ms, codec alone %.0f ms, ratio %.3f\n", name + 4, viaPlugin,
                    direct, viaPlugin / direct);
    }
    srf_Destroy(&big);
    CoUninitialize();
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    SetCurrentDirectoryA(tmp);  // lets the scratch folder go
    return failed;
}
