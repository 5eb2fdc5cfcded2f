// fx_hsl.cpp — the tables of the fast HSL conversions, built once.
#include "effects/fx_hsl.h"

namespace {

FxHslTables Build() {
    FxHslTables t{};
    for (uint32_t both = 0; both <= 510; both++) {
        const uint32_t l = (both * 2400 + 255) / 510;
        t.lightByte[both] = (uint8_t)((l * 255 / 2400) & 0xFF);
        t.sum[both] = (uint16_t)(l > 1200 ? 510 - both : both);
    }
    t.bySum[0] = 0;
    for (uint64_t s = 1; s <= 510; s++) t.bySum[s] = ((uint64_t)1 << 40) / s + 1;
    t.bySpread[0] = 0;
    for (uint64_t d = 1; d <= 255; d++) t.bySpread[d] = ((uint64_t)1 << 32) / d + 1;
    return t;
}

}  // namespace

const FxHslTables& fx_HslTables() {
    static const FxHslTables tables = Build();   // thread-safe first use
    return tables;
}
