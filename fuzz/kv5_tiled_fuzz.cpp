// Fuzzes the tiled KV5 reader (quiet) on arbitrary file bytes, cut where the file
// reader would stop reading.
#include "formats/kv5_tiled.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fz_QuietLoad<kv5_LoadTiledBytes>(data, size, kv5_TiledExtent(data, size));
}
