// Fuzzes the PCX reader on arbitrary file bytes under the loader contract.
#include "formats/pcx_file.h"
#include "loader_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fz_QuietLoad<pcx_LoadBytes>(data, size); }
