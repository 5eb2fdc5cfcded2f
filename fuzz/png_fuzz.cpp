// Fuzzes the native PNG reader on arbitrary file bytes under the loader contract;
// whatever it loads, the PNG writer must store and the reader give back word for word.
#include "formats/photo_native.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fz_LoadedRoundTrips<photo_LoadPngBytes, photo_SavePngBytes>(data, size);
}
