// ico_file.cpp — the icon writer (layout in ico_file.h).
#include "formats/ico_file.h"
#include <cstdlib>
#include <cstring>
#include "effects/palette.h"
#include "formats/fileio.h"
#include "formats/rdwr.h"
#include "platform/refusal.h"
#include "platform/ui.h"

namespace {

const uint32_t SIDE = 32;
const uint32_t IMAGE_DATA = ICO_FILE_SIZE - 22;   // 2216: info header to the end
const uint32_t PIXEL_BYTES = SIDE * SIDE + SIDE * 4;  // indices and mask: 1152

int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

}  // namespace

int ico_SaveBytes(Surface* s, uint8_t** data, size_t* size) {
    refuse_Clear();
    *data = nullptr;
    *size = 0;
    if (!s || s->width != SIDE || s->height != SIDE) return refuse_With("not 32 x 32");
    PalEntry pal[256];
    const int count = pal_BuildOptimised(s, 255, 6, pal);
    if (count < 1) {
        ui_MessageBox("Could not create optimized palette!!", "Icon Creator Error", UI_OK | UI_ICONWARNING);
        return refuse_With("no palette");
    }
    uint8_t* file = (uint8_t*)std::malloc(ICO_FILE_SIZE);
    if (!file || !srf_Lock(s)) {
        std::free(file);
        return refuse_With(file ? "cannot lock surface" : "out of memory");
    }
    WrCursor c = wr_Make(file, ICO_FILE_SIZE);
    // Directory and its one entry.
    wr_U16LE(&c, 0);
    wr_U16LE(&c, 1);
    wr_U16LE(&c, 1);
    wr_U8(&c, SIDE);
    wr_U8(&c, SIDE);
    wr_U8(&c, 0);
    wr_U8(&c, 0);
    wr_U16LE(&c, 1);
    wr_U16LE(&c, 8);
    wr_U32LE(&c, IMAGE_DATA);
    wr_U32LE(&c, 22);
    // Info header: the height counts the colour rows and the mask rows.
    wr_U32LE(&c, 40);
    wr_U32LE(&c, SIDE);
    wr_U32LE(&c, SIDE * 2);
    wr_U16LE(&c, 1);
    wr_U16LE(&c, 8);
    wr_U32LE(&c, 0);
    wr_U32LE(&c, PIXEL_BYTES);
    wr_Zeros(&c, 16);
    // Palette: entries past the optimised ones stay zero; 255 is the transparent one.
    for (int i = 0; i < 256; i++) {
        const int used = i < count && i < 255;
        wr_U8(&c, used ? pal[i].blue : 0);
        wr_U8(&c, used ? pal[i].green : 0);
        wr_U8(&c, used ? pal[i].red : 0);
        wr_U8(&c, 0);
    }
    uint8_t indices[SIDE * SIDE];
    uint8_t mask[SIDE * 4] = {};
    for (uint32_t row = 0; row < SIDE; row++) {
        const uint32_t* src = s->pixels + (size_t)(SIDE - 1 - row) * s->stride;
        for (uint32_t x = 0; x < SIDE; x++) {
            const uint32_t p = src[x];
            uint8_t index = 255;
            if (p >> 24 >= 128) {
                mask[row * 4 + x / 8] |= (uint8_t)(0x80 >> (x % 8));
            } else {
                const int r = (int)(p >> 16 & 0xFF), g = (int)(p >> 8 & 0xFF), b = (int)(p & 0xFF);
                int i = pal_Nearest(pal, count, (uint32_t)(r | g << 8 | b << 16));
                // Odd cells take the entry that cancels the even cells' error.
                if ((x + row) & 1) {
                    const int r2 = Clamp(2 * r - pal[i].red), g2 = Clamp(2 * g - pal[i].green),
                              b2 = Clamp(2 * b - pal[i].blue);
                    i = pal_Nearest(pal, count, (uint32_t)(r2 | g2 << 8 | b2 << 16));
                }
                index = (uint8_t)i;
            }
            indices[row * SIDE + x] = index;
        }
    }
    srf_Unlock(s);
    wr_Bytes(&c, indices, sizeof indices);
    wr_Bytes(&c, mask, sizeof mask);
    if (!c.ok || c.p != file + ICO_FILE_SIZE) {  // cannot happen: the layout is fixed
        std::free(file);
        return refuse_With("size mismatch");
    }
    *data = file;
    *size = ICO_FILE_SIZE;
    return 1;
}

int ico_Save(Surface* s, const char* path) { return fio_SaveFile(s, path, ico_SaveBytes); }
