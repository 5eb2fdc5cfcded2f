// small_image.h — a KV5 input (either layout) that declares a large accepted size is
// read as one of at most 64 x 64: past the size checks, which refused sizes still
// reach, the readers take the same paths at any size, and a 4096 x 4096 header makes
// every run allocate, decode and clear hundreds of megabytes for a few bytes of input.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

inline const std::vector<uint8_t>& fz_SmallKv5(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> copy;
    copy.reserve(size + 1);  // never a null pointer, as the fuzzer never passes one
    copy.assign(data, data + size);
    if (size < 16) return copy;
    uint32_t w = copy[12] | copy[13] << 8, h = copy[14] | copy[15] << 8;
    if (w && h && w <= 4096 && h <= 4096 && w * h > 4096) {
        w = 1 + w % 64, h = 1 + h % 64;
        copy[12] = (uint8_t)w, copy[13] = (uint8_t)(w >> 8), copy[14] = (uint8_t)h, copy[15] = (uint8_t)(h >> 8);
    }
    return copy;
}
