// small_image.h — a KV5 input (either layout) that declares a large accepted size is
// read as one of at most 64 x 64 (each side): past the size checks, which refused sizes still
// reach, the readers take the same paths at any size, and a large header makes every
// run allocate, decode and clear hundreds of megabytes for a few bytes of input.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>
#include "engine/surface.h"

inline const std::vector<uint8_t>& fz_SmallKv5(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> copy;
    copy.reserve(size + 1);  // never a null pointer, as the fuzzer never passes one
    copy.assign(data, data + size);
    if (size < 16) return copy;
    uint32_t w = copy[12] | copy[13] << 8, h = copy[14] | copy[15] << 8;
    // Either side: the tiled layout's buffers follow the count of 16 x 16 tiles.
    size_t pixels = 0;
    if (srf_SizeAccepted(w, h, &pixels) && (w > 64 || h > 64)) {
        w = 1 + w % 64, h = 1 + h % 64;
        copy[12] = (uint8_t)w, copy[13] = (uint8_t)(w >> 8), copy[14] = (uint8_t)h, copy[15] = (uint8_t)(h >> 8);
    }
    return copy;
}
