// Fuzzes the BMP structure check and the own BMP reader on arbitrary file bytes: the
// reader loads only what the check calls sound, and a load either succeeds with a
// Surface of the size it reports or refuses and leaves nothing behind. Whatever it
// loads, the writer must store and the reader give back word for word.
#include <cstdint>
#include <cstdlib>
#include "formats/bmp_file.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fz_LoadedRoundTrips<bmp_LoadBytes, bmp_SaveBytes>(data, size, bmp_CheckStructure(data, size));
}
