// Fuzzes the BMP structure check and the own BMP reader on arbitrary file bytes: the
// reader loads only what the check calls sound, and a load either succeeds with a
// Surface of the size it reports or refuses and leaves nothing behind. Whatever it
// loads, the writer must store and the reader give back word for word.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "formats/bmp_file.h"
#include "loader_contract.h"

namespace {

int SameWords(Surface* a, Surface* b) {
    if (a->width != b->width || a->height != b->height || !srf_Lock(a)) return 0;
    int same = srf_Lock(b) != nullptr;
    for (uint32_t y = 0; same && y < a->height; y++)
        same = std::memcmp(a->pixels + (size_t)y * a->stride, b->pixels + (size_t)y * b->stride,
                           a->width * 4u) == 0;
    if (b->pixels) srf_Unlock(b);
    srf_Unlock(a);
    return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Surface out{};
    ImageFileInfo info{};
    info.quiet = 1;
    const int sound = bmp_CheckStructure(data, size);
    if (fz_CheckLoad(bmp_LoadBytes(&out, data, size, &info), &out, info)) {
        if (!sound) std::abort();
        uint8_t* file;
        size_t n;
        if (!bmp_SaveBytes(&out, &file, &n)) std::abort();
        Surface back{};
        if (!bmp_LoadBytes(&back, file, n, nullptr) || !SameWords(&out, &back)) std::abort();
        std::free(file);
        srf_Destroy(&back);
        srf_Destroy(&out);
    }
    return 0;
}
