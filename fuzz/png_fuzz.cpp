// Fuzzes the native PNG reader on arbitrary file bytes under the loader contract;
// whatever it loads, the PNG writer must store and the reader give back word for word.
#include <cstdlib>
#include "formats/photo_native.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Surface out{}, back{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (!fz_CheckLoad(photo_LoadPngBytes(&out, data, size, &info), &out, info)) return 0;
    uint8_t* file;
    size_t n;
    if (!photo_SavePngBytes(&out, &file, &n) || !photo_LoadPngBytes(&back, file, n, nullptr) ||
        !fz_SamePixels(&out, &back))
        std::abort();
    std::free(file);
    srf_Destroy(&back);
    srf_Destroy(&out);
    return 0;
}
