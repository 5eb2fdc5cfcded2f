// sysbitmap_win32.cpp — BMP files converted by GDI (bmp_LoadSystem), files the
// system image loader opens as bitmaps (img_LoadSystemImage), and the hand-over of
// finished Surfaces that every system loader shares.
//
// bmp_LoadSystem hands GDI a BITMAPINFO and pixel rows straight out of the file, so
// GDI reads as far as the header says. Before that happens:
//   - the file must pass the BMP structure check (bmp_file.h): a cut, lying or
//     overrunning file is refused rather than decoded with made-up rows;
//   - the header kind (12-byte core, or 40 bytes and more), bit count (1, 4, 8, 16,
//     24, 32) and compression (none, RLE8, RLE4, bit fields) must be ones GDI decodes
//     from the given bytes alone; the colour table may hold at most 256 entries;
//   - width and |height| must fit a Surface exactly;
//   - header and pixel offset must lie inside the file;
//   - the buffer is zero-filled and at least as long as every byte GDI can read:
//     header, masks and a full colour table, and the rows (uncompressed) or the
//     coded data (RLE; a stated size of 0 becomes what the file holds).
#include "formats/sysload_win32.h"
#include <cstdlib>
#include <cstring>
#include "engine/surface_win32.h"
#include "formats/bmp_file.h"
#include "formats/fileio.h"
#include "formats/kv5_file.h"
#include "formats/rdwr.h"

namespace {

const size_t FILE_HEADER = 14;
const size_t CORE_HEADER = 12;
const size_t INFO_HEADER = 40;
const size_t SLACK = 1024;
// The largest Surface (8192 × 8192) as 32-bit rows, plus room for headers.
const size_t BMP_MAX_FILE = (size_t)4 * SRF_MAX_SIDE * SRF_MAX_SIDE + ((size_t)1 << 20);

const uint32_t BMP_RGB = 0, BMP_RLE8 = 1, BMP_RLE4 = 2, BMP_BITFIELDS = 3;

struct DibPlan {
    uint32_t width, height;  // height made positive
    uint32_t dataOffset;
    uint32_t compression;
    size_t bufferSize;
    bool whole;  // colour table and pixel data (RLE: the stated coded size) in the file
};

bool KnownBitCount(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool CompressionFits(uint32_t compression, uint32_t bits) {
    switch (compression) {
    case BMP_RGB: return true;
    case BMP_RLE8: return bits == 8;
    case BMP_RLE4: return bits == 4;
    case BMP_BITFIELDS: return bits == 16 || bits == 32;
    default: return false;
    }
}

uint64_t Max64(uint64_t a, uint64_t b) { return a > b ? a : b; }

// Checks the whole file (fileSize bytes at `head`) and works out the buffer GDI may
// read from. 0 refuses the file.
int PlanDib(const uint8_t* head, size_t fileSize, DibPlan* plan) {
    // Also makes sure the info header the file declares is there to read below.
    if (!bmp_CheckStructure(head, fileSize)) return 0;
    const uint32_t dataOffset = rd_U32At(head, 10);
    const uint32_t headerSize = rd_U32At(head, 14);
    int64_t width, height;
    uint32_t bits, compression = BMP_RGB, colours = 0, codedSize = 0;
    uint64_t tableRoom;  // the most a colour table of this header kind can take
    if (headerSize == CORE_HEADER) {
        width = rd_U16At(head, 18);
        height = rd_U16At(head, 20);
        bits = rd_U16At(head, 24);
        tableRoom = 3 * 256;
    } else if (headerSize >= INFO_HEADER) {
        width = (int32_t)rd_U32At(head, 18);
        height = (int32_t)rd_U32At(head, 22);
        bits = rd_U16At(head, 28);
        compression = rd_U32At(head, 30);
        codedSize = rd_U32At(head, 34);
        colours = rd_U32At(head, 46);
        tableRoom = 12 + 4 * 256;  // bit-field masks after a 40-byte header, then colours
    } else {
        return 0;
    }
    if (FILE_HEADER + (uint64_t)headerSize > fileSize || dataOffset >= fileSize) return 0;
    if (!KnownBitCount(bits) || !CompressionFits(compression, bits) || colours > 256) return 0;
    const bool rle = compression == BMP_RLE8 || compression == BMP_RLE4;
    if (width <= 0 || height == 0 || (rle && height < 0)) return 0;
    const uint64_t w = (uint64_t)width, h = (uint64_t)(height < 0 ? -height : height);
    size_t pixels;
    if (w > SRF_MAX_PIXELS || h > SRF_MAX_PIXELS || !srf_SizeAccepted((uint32_t)w, (uint32_t)h, &pixels))
        return 0;

    uint64_t pixelBytes;
    const uint64_t held = fileSize - dataOffset;
    if (rle) {
        pixelBytes = codedSize && codedSize < held ? codedSize : held;
        plan->whole = codedSize && codedSize <= held;
    } else {
        pixelBytes = (w * bits + 31) / 32 * 4 * h;
        plan->whole = pixelBytes <= held;
    }
    const uint64_t entries = colours ? colours : bits <= 8 ? 1u << bits : 0;
    const uint64_t table = headerSize == CORE_HEADER ? 3 * entries
                           : 4 * entries + (compression == BMP_BITFIELDS && headerSize == INFO_HEADER ? 12 : 0);
    plan->whole = plan->whole && FILE_HEADER + headerSize + table <= fileSize;
    uint64_t need = Max64(fileSize + SLACK, (uint64_t)pixels * 4);
    need = Max64(need, (uint64_t)dataOffset + 3 + pixelBytes);  // 3: the alignment move
    need = Max64(need, FILE_HEADER + (uint64_t)headerSize + tableRoom);
    if (need > BMP_MAX_FILE + SLACK) return 0;

    plan->width = (uint32_t)w;
    plan->height = (uint32_t)h;
    plan->dataOffset = dataOffset;
    plan->compression = compression;
    plan->bufferSize = (size_t)need;
    return 1;
}

// The whole file in a zero-filled buffer of plan->bufferSize bytes, pixel data moved
// to a 4-byte boundary when uncompressed; RLE's coded size cut to what is there.
uint8_t* LoadDib(const char* path, DibPlan* plan) {
    uint8_t* data;
    size_t size;
    if (!fio_ReadPrefix(path, BMP_MAX_FILE + 1, &data, &size)) return nullptr;
    if (size > BMP_MAX_FILE || !PlanDib(data, size, plan)) {
        std::free(data);
        return nullptr;
    }
    uint8_t* buf = (uint8_t*)std::realloc(data, plan->bufferSize);
    if (!buf) {
        std::free(data);
        return nullptr;
    }
    std::memset(buf + size, 0, plan->bufferSize - size);
    const size_t held = size - plan->dataOffset;
    if (plan->compression == BMP_RLE8 || plan->compression == BMP_RLE4) {
        const uint32_t coded = rd_U32At(buf, 34);
        if (coded == 0 || coded > held) wr_U32At(buf + 34, (uint32_t)held);
    } else if (plan->dataOffset % 4) {
        // Rows of an uncompressed DIB are expected on a 4-byte boundary.
        const uint32_t shift = 4 - plan->dataOffset % 4;
        std::memmove(buf + plan->dataOffset + shift, buf + plan->dataOffset, held);
        plan->dataOffset += shift;
        wr_U32At(buf + 10, plan->dataOffset);
    }
    return buf;
}

}  // namespace

int sys_DibIsWhole(const uint8_t* data, size_t size) {
    DibPlan plan;
    return data && size <= BMP_MAX_FILE && PlanDib(data, size, &plan) && plan.whole;
}

void sys_Install(Surface* out, Surface* made, ImageFileInfo* info) {
    srf_Install(out, made);
    if (info) {
        info->width = out->width;
        info->height = out->height;
        info->isProtected = 0;
    }
}

int sys_InstallBitmap(Surface* out, HBITMAP bitmap, ImageFileInfo* info, int opaque) {
    Surface made{};
    if (!out || !bitmap || !srf_FromBitmap(bitmap, &made)) return 0;
    if (!srf_IsValid(&made) || !srf_Lock(&made)) {
        if (made.created) srf_Destroy(&made);
        return 0;
    }
    if (opaque)
        for (uint32_t y = 0; y < made.height; y++) {
            uint32_t* row = made.pixels + (size_t)y * made.stride;
            for (uint32_t x = 0; x < made.width; x++) row[x] &= 0x00FFFFFF;
        }
    sys_Install(out, &made, info);
    return 1;
}

int bmp_LoadSystem(Surface* out, const char* path, ImageFileInfo* info) {
    if (!out || !path) return 0;
    // The signature and header size first, so foreign files are not read whole; the
    // info header itself need only be as long as the file says.
    uint8_t* head;
    size_t got;
    if (!fio_ReadPrefix(path, FILE_HEADER + 4, &head, &got)) return 0;
    const bool bm = got == FILE_HEADER + 4 && head[0] == 'B' && head[1] == 'M';
    std::free(head);
    if (!bm) return 0;

    DibPlan plan;
    uint8_t* buf = LoadDib(path, &plan);
    if (!buf) return 0;
    const BITMAPINFO* bmi = (const BITMAPINFO*)(buf + FILE_HEADER);
    const void* bits = buf + plan.dataOffset;

    Surface made;
    int rows = 0;
    if (srf_CreateExact(plan.width, plan.height, &made)) {
        HDC dc;
        if (srf_GetDC(&dc, nullptr, &made)) {
            rows = SetDIBits(dc, (HBITMAP)made.bitmap, 0, plan.height, bits, bmi, DIB_RGB_COLORS);
            if (rows <= 0) {
                // The surface's bitmap stays selected into its DC, which SetDIBits may
                // refuse; drawing the rows 1:1 gives the same pixels.
                const int mode = SetStretchBltMode(dc, COLORONCOLOR);
                rows = StretchDIBits(dc, 0, 0, (int)plan.width, (int)plan.height, 0, 0, (int)plan.width,
                                     (int)plan.height, bits, bmi, DIB_RGB_COLORS, SRCCOPY);
                if (mode) SetStretchBltMode(dc, mode);
            }
            srf_ReleaseDC(&dc, &made);
        }
        if (rows > 0) {
            sys_Install(out, &made, info);
        } else {
            srf_Unlock(&made);
            srf_Destroy(&made);
            rows = 0;
        }
    }
    std::free(buf);
    return rows > 0 ? 1 : 0;
}

int img_LoadSystemImage(Surface* out, const char* path, ImageFileInfo* info) {
    if (!out || !path) return 0;
    // The system loader trusts the headers and reads the file where it lies, past
    // its end if they say so: only whole files that pass the checks go to it.
    uint8_t* data;
    size_t size;
    if (!fio_ReadPrefix(path, BMP_MAX_FILE + 1, &data, &size)) return 0;
    const int whole = sys_DibIsWhole(data, size);
    std::free(data);
    if (!whole) return 0;
    HBITMAP bmp = (HBITMAP)LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (!bmp) return 0;
    int ok = GetObjectType(bmp) == OBJ_BITMAP && sys_InstallBitmap(out, bmp, info, 0);
    DeleteObject(bmp);
    return ok;
}
