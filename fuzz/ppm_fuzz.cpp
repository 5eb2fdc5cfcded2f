// Fuzzes the PPM reader on arbitrary file bytes: a load either succeeds with a Surface
// of the size it reports or refuses and leaves nothing behind.
#include <cstdint>
#include <cstdlib>
#include "formats/ppm_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Surface out{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (ppm_LoadBytes(&out, data, size, &info)) {
        if (!srf_IsValid(&out) || out.width != info.width || out.height != info.height) std::abort();
        srf_Destroy(&out);
    } else if (out.created) {
        std::abort();
    }
    return 0;
}
