// exchange_support.h — helpers shared by the TGA, PPM and PCX tests.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "engine/surface.h"
#include "formats/imageinfo.h"
#include "support/test_surface.h"

namespace xtest {

typedef int (*BytesLoader)(Surface*, const uint8_t*, size_t, ImageFileInfo*);

// Loads from bytes into a fresh surface; empty vector and w = h = 0 when refused.
struct Loaded {
    int ok = 0;
    uint32_t w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(uint32_t x, uint32_t y) const { return px[(size_t)y * w + x]; }
};

inline Loaded LoadWith(BytesLoader load, const std::vector<uint8_t>& bytes) {
    Loaded r;
    Surface s{};
    ImageFileInfo info{};
    info.quiet = 1;
    r.ok = load(&s, bytes.data(), bytes.size(), &info);
    if (r.ok) {
        r.w = s.width;
        r.h = s.height;
        r.px = WordsOf(&s);
        srf_Destroy(&s);
    }
    return r;
}

inline std::vector<uint8_t> Take(uint8_t* data, size_t size) {
    std::vector<uint8_t> v(data, data + size);
    std::free(data);
    return v;
}

inline std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace xtest
