// Fuzzes the tiled KV5 reader (quiet) on arbitrary file bytes, cut where the file
// reader would stop reading.
#include <cstdint>
#include <cstdlib>
#include "formats/kv5_tiled.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t use = kv5_TiledExtent(data, size);
    if (use > size) use = size;
    ImageFileInfo info{};
    info.quiet = 1;
    Surface out{};
    if (kv5_LoadTiledBytes(&out, data, use, &info)) {
        if (!srf_IsValid(&out) || out.width != info.width || out.height != info.height) std::abort();
        srf_Destroy(&out);
    } else if (out.created) {
        std::abort();
    }
    return 0;
}
