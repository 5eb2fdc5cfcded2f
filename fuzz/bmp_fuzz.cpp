// Fuzzes the BMP structure check and the own BMP reader on arbitrary file bytes: the
// reader loads only what the check calls sound, and a load either succeeds with a
// Surface of the size it reports or refuses and leaves nothing behind. Whatever it
// loads, the writer must store and the reader give back word for word.
#include <cstdint>
#include <cstdlib>
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
    if (!sound || !bmp_SaveBytes(&out, &file, &n) || !bmp_LoadBytes(&back, file, n, nullptr) ||
        !fz_SamePixels(&out, &back))
        std::abort();
    std::free(file);
    srf_Destroy(&back);
    srf_Destroy(&out);
    return 0;
}
