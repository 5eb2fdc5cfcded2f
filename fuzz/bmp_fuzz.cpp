// Fuzzes the BMP structure check and the own BMP reader on arbitrary file bytes: the
// reader loads only what the check calls sound, and a load either succeeds with a
// Surface of the size it reports or refuses and leaves nothing behind. Whatever it
// loads, the writer must store and the reader give back word for word.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "formats/bmp_file.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Surface out{}, back{};
    ImageFileInfo info{};
    info.quiet = 1;
    const int sound = bmp_CheckStructure(data, size);
    if (!fz_CheckLoad(bmp_LoadBytes(&out, data, size, &info), &out, info)) return 0;
    uint8_t* file;
    size_t n;
    if (!sound || !bmp_SaveBytes(&out, &file, &n) || !bmp_LoadBytes(&back, file, n, nullptr)) std::abort();
    const uint32_t* a = srf_Lock(&out);
    const uint32_t* b = srf_Lock(&back);
    if (back.width != out.width || back.height != out.height) std::abort();
    for (uint32_t y = 0; y < out.height; y++)
        if (std::memcmp(a + (size_t)y * out.stride, b + (size_t)y * back.stride, out.width * 4u) != 0) std::abort();
    srf_Unlock(&back);
    srf_Unlock(&out);
    std::free(file);
    srf_Destroy(&back);
    srf_Destroy(&out);
    return 0;
}
