// Fuzzes the native JPEG reader on arbitrary file bytes under the loader contract;
// whatever it loads is opaque, and the JPEG writer must store it as a file of that size.
#include <cstdlib>
#include "formats/photo_native.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Surface out{}, back{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (!fz_CheckLoad(photo_LoadJpegBytes(&out, data, size, &info), &out, info)) return 0;
    const uint32_t* px = srf_Lock(&out);
    for (uint32_t y = 0; y < out.height; y++)
        for (uint32_t x = 0; x < out.width; x++)
            if (px[(size_t)y * out.stride + x] >> 24) std::abort();
    srf_Unlock(&out);
    uint8_t* file;
    size_t n;
    if (!photo_SaveJpegBytes(&out, 75, &file, &n) || !photo_LoadJpegBytes(&back, file, n, nullptr) ||
        back.width != out.width || back.height != out.height)
        std::abort();
    std::free(file);
    srf_Destroy(&back);
    srf_Destroy(&out);
    return 0;
}
