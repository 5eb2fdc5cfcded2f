// Fuzzes the TGA reader on arbitrary file bytes: a load either succeeds with a Surface
// of the size it reports or refuses and leaves nothing behind.
#include <cstdint>
#include <cstdlib>
#include "formats/tga_file.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Surface out{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (fz_CheckLoad(tga_LoadBytes(&out, data, size, &info), &out, info)) srf_Destroy(&out);
    return 0;
}
