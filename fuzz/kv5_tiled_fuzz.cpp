// Fuzzes the tiled KV5 reader (quiet) on arbitrary file bytes, cut where the file
// reader would stop reading.
#include <cstdint>
#include <cstdlib>
#include "formats/kv5_tiled.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t use = kv5_TiledExtent(data, size);
    if (use > size) use = size;
    ImageFileInfo info{};
    info.quiet = 1;
    Surface out{};
    if (fz_CheckLoad(kv5_LoadTiledBytes(&out, data, use, &info), &out, info)) srf_Destroy(&out);
    return 0;
}
