// Fuzzes the checks of a foreign clipboard bitmap: whatever they accept, every
// pixel byte they promise must lie inside the block (read here to prove it).
#include <cstddef>
#include <cstdint>
#include "devices/clipdib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CdibLayout d;
    if (!cdib_Parse(data, size, 1 << 24, &d)) return 0;
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < d.bitsSize; i++) sum += data[d.bitsOffset + i];
    (void)sum;
    return 0;
}
