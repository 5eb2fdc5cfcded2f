// Fuzzes the native JPEG reader on arbitrary file bytes under the loader contract;
// whatever it loads is opaque, and the JPEG writer must store it as a file of that size.
#include <cstdlib>
#include <vector>
#include "formats/photo_native.h"
#include "loader_contract.h"

namespace {
// The first frame header's size, when it declares more than 4 K pixels, is read as at
// most 64 x 64: the decoder takes the same paths at any size, and a few bytes that
// declare 4096 x 4096 otherwise cost a 64 MB image (cleared, converted, checked and
// written back) per run.
const std::vector<uint8_t>& SmallFrame(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> copy;
    copy.reserve(size + 1);  // never a null pointer, as the fuzzer never passes one
    copy.assign(data, data + size);
    // Marker segments from after the start of image, each skipped by its length; bytes
    // between them are skipped up to the next marker, as the decoder does.
    for (size_t i = 2; i + 9 <= size;) {
        const uint8_t m = copy[i + 1];
        if (copy[i] != 0xFF || m == 0xFF || m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD9)) {
            i++;
            continue;
        }
        if (m < 0xC0 || m > 0xCF || m == 0xC4 || m == 0xC8 || m == 0xCC) {
            i += 2 + (copy[i + 2] << 8 | copy[i + 3]);
            continue;
        }
        uint32_t h = copy[i + 5] << 8 | copy[i + 6], w = copy[i + 7] << 8 | copy[i + 8];
        if (w * h > 4096) {
            h = 1 + h % 64, w = 1 + w % 64;
            copy[i + 5] = 0, copy[i + 6] = (uint8_t)h, copy[i + 7] = 0, copy[i + 8] = (uint8_t)w;
        }
        break;
    }
    return copy;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* raw, size_t size) {
    const uint8_t* data = SmallFrame(raw, size).data();
    Surface out{}, back{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (!fz_CheckLoad(photo_LoadJpegBytes(&out, data, size, &info), &out, info)) return 0;
    const uint32_t* px = srf_Lock(&out);
    for (uint32_t y = 0; y < out.height; y++)
        for (uint32_t x = 0; x < out.width; x++)
            if (px[(size_t)y * out.stride + x] >> 24) std::abort();
    srf_Unlock(&out);
    uint8_t* file;
    size_t n;
    if (!photo_SaveJpegBytes(&out, 75, &file, &n) || !photo_LoadJpegBytes(&back, file, n, nullptr) ||
        back.width != out.width || back.height != out.height)
        std::abort();
    std::free(file);
    srf_Destroy(&back);
    srf_Destroy(&out);
    return 0;
}
