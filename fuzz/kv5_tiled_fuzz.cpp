// Fuzzes the tiled KV5 reader (quiet) on arbitrary file bytes, cut where the file
// reader would stop reading.
#include "formats/kv5_tiled.h"
#include "loader_contract.h"
#include "small_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t>& in = fz_SmallKv5(data, size);
    return fz_QuietLoad<kv5_LoadTiledBytes>(in.data(), in.size(), kv5_TiledExtent(in.data(), in.size()));
}
