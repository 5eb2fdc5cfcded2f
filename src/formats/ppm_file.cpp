// ppm_file.cpp — NetPBM reader and writer (layout in ppm_file.h).
#include "formats/ppm_file.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "formats/fileio.h"
#include "formats/kv5_file.h"
#include "formats/rdwr.h"
#include "platform/refusal.h"
#include "platform/ui.h"

const char PPM_BINARY_QUESTION[] =
    "Would you like to use binary-mode ppm?\n\nBinary-mode files are smaller in size,\n"
    "but text-mode files are more portable.";
const char PPM_BINARY_TITLE[] = "Use Binary Mode PPM";

namespace {

const uint32_t MAX_PIXELS = 1u << 24;
const size_t HEAD_SCAN = 1024;
// Text files may pad samples with blanks and comments; past this nothing is read.
const size_t MAX_FILE = (size_t)1 << 28;

int IsBlank(uint8_t ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f'; }
int IsDigit(uint8_t ch) { return ch >= '0' && ch <= '9'; }

// Next decimal number after blanks and comments; 0 when there is none or it is absurd.
int Number(const uint8_t* d, size_t size, size_t* at, uint32_t* out) {
    size_t i = *at;
    for (;;) {
        while (i < size && IsBlank(d[i])) i++;
        if (i < size && d[i] == '#') {
            while (i < size && d[i] != '\n' && d[i] != '\r') i++;
            continue;
        }
        break;
    }
    if (i >= size || !IsDigit(d[i])) return 0;
    uint32_t v = 0;
    while (i < size && IsDigit(d[i])) {
        v = v * 10 + (d[i++] - '0');
        if (v > 0xFFFFFF) return 0;
    }
    *at = i;
    *out = v;
    return 1;
}

uint8_t Scale(uint32_t v, uint32_t maxValue) {
    if (maxValue <= 255) return (uint8_t)v;
    if (v > maxValue) v = maxValue;
    return (uint8_t)((v * 255 + maxValue / 2) / maxValue);
}

}  // namespace

uint8_t* ppm_ReadAsciiSamples(const uint8_t* text, size_t size, uint32_t maxValue, size_t want,
                              size_t* count) {
    *count = 0;
    uint8_t* buf = (uint8_t*)std::calloc(want ? want : 1, 1);
    if (!buf) return nullptr;
    size_t i = 0, n = 0;
    while (n < want && i < size && text[i] != '#') {
        if (!IsDigit(text[i])) {
            i++;
            continue;
        }
        uint32_t v = 0;
        // Plain bitmaps may run their digits together: there each digit is a sample.
        const size_t stop = maxValue == 1 ? i + 1 : size;
        while (i < stop && IsDigit(text[i])) {
            v = v * 10 + (text[i++] - '0');
            if (v > 0xFFFFFF) v = 0xFFFFFF;  // keeps long digit strings from wrapping
        }
        buf[n++] = maxValue > 255 ? Scale(v, maxValue) : (uint8_t)v;
    }
    *count = n;
    return buf;
}

int ppm_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    refuse_Clear();
    ImageFileInfo local{};
    if (!info) info = &local;
    if (!out || !data) return refuse_With("no data");
    // The magic: the "P" nearest before the first digit outside comments.
    const size_t scan = size < HEAD_SCAN ? size : HEAD_SCAN;
    size_t i = 0;
    while (i < scan && !IsDigit(data[i])) {
        if (data[i] == '#')
            while (i < scan && data[i] != '\n' && data[i] != '\r') i++;
        else
            i++;
    }
    if (i >= scan || i == 0 || data[i - 1] != 'P') return refuse_With("bad signature");
    const int type = data[i] - '0';
    if (type < 1 || type > 6 || i + 1 >= size || !(IsBlank(data[i + 1]) || data[i + 1] == '#'))
        return refuse_With("bad type");
    size_t at = i + 1;
    uint32_t w, h, maxValue = 1;
    if (!Number(data, size, &at, &w) || !Number(data, size, &at, &h)) return refuse_With("bad dimensions");
    const int bitmap = type == 1 || type == 4;
    if (!bitmap && !Number(data, size, &at, &maxValue)) return refuse_With("bad maximum");
    if (w == 0 || h == 0) return refuse_With("bad dimensions");
    if ((uint64_t)w * h > MAX_PIXELS) return refuse_With("too large");
    if (maxValue == 0 || maxValue > 65535) return refuse_With("bad maximum");
    info->width = w;
    info->height = h;
    info->isProtected = 0;
    if (at >= size || !IsBlank(data[at])) return refuse_With("truncated header");
    at++;  // the one blank that ends the header

    const int channels = type == 3 || type == 6 ? 3 : 1;
    const size_t pixels = (size_t)w * h, samples = pixels * channels;
    uint8_t* s = nullptr;  // one byte per sample, rows top-down
    if (type <= 3) {
        size_t got;
        s = ppm_ReadAsciiSamples(data + at, size - at, maxValue, samples, &got);
    } else if (type == 4) {
        const size_t rowBytes = (w + 7) / 8;
        RdCursor c = rd_Make(data + at, size - at);
        const uint8_t* bits = rd_Bytes(&c, rowBytes * h);
        s = bits ? (uint8_t*)std::malloc(samples) : nullptr;
        if (s)
            for (size_t y = 0; y < h; y++)
                for (size_t x = 0; x < w; x++)
                    s[y * w + x] = (bits[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
    } else {
        const size_t width = maxValue > 255 ? 2 : 1;
        RdCursor c = rd_Make(data + at, size - at);
        const uint8_t* raw = rd_Bytes(&c, samples * width);
        s = raw ? (uint8_t*)std::malloc(samples) : nullptr;
        if (s)
            for (size_t k = 0; k < samples; k++)
                s[k] = width == 1 ? raw[k] : Scale((uint32_t)raw[2 * k] << 8 | raw[2 * k + 1], maxValue);
    }
    Surface made;
    if (!s || !srf_CreateExact(w, h, &made)) {
        const int binaryCut = type > 3 && !s;
        std::free(s);
        return refuse_With(binaryCut ? "truncated data" : "cannot make surface");
    }
    for (uint32_t y = 0; y < h; y++) {
        uint32_t* dst = made.pixels + (size_t)y * made.stride;
        for (uint32_t x = 0; x < w; x++) {
            const uint8_t* p = s + ((size_t)y * w + x) * channels;
            uint32_t v;
            if (bitmap) v = p[0] ? 0 : 0xFFFFFFu;  // 1 is black
            else if (channels == 1) v = p[0] * 0x010101u;
            else v = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
            dst[x] = v;
        }
    }
    std::free(s);
    srf_Install(out, &made);
    return 1;
}

int ppm_Load(Surface* out, const char* path, ImageFileInfo* info) {
    return fio_LoadFile(path, MAX_FILE, ppm_LoadBytes, out, info);
}

int ppm_SaveBytes(Surface* s, int binary, uint8_t** data, size_t* size) {
    refuse_Clear();
    *data = nullptr;
    *size = 0;
    if (!s || !srf_IsValid(s) || !srf_Lock(s)) return refuse_With("cannot lock surface");
    const uint32_t w = s->width, h = s->height;
    char head[160];
    int n = std::snprintf(head, sizeof head,
                          binary ? "P6\n# Created by Orvik's Kelvara\n# Binary samples: red, green, blue\n%i %i\n255\n"
                                 : "P3\n# Created by Orvik's Kelvara\n%i %i\n255\n",
                          (int)w, (int)h);
    size_t cap = 0;
    uint8_t* buf = nullptr;
    if (n > 0 && sz_Mul((size_t)w * h, binary ? 3 : 12, &cap) && sz_Add(cap, (size_t)n + 1, &cap))  // + snprintf's zero
        buf = (uint8_t*)std::malloc(cap);
    if (!buf) {
        srf_Unlock(s);
        return refuse_With("out of memory");
    }
    std::memcpy(buf, head, n);
    size_t at = n;
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w; x++) {
            uint32_t v = s->pixels[(size_t)y * s->stride + x];
            uint8_t rgb[3] = {(uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v};
            if (binary) {
                std::memcpy(buf + at, rgb, 3);
                at += 3;
            } else {
                for (uint8_t c : rgb) at += std::snprintf((char*)buf + at, 5, "%u ", c);
            }
        }
    srf_Unlock(s);
    *data = buf;
    *size = at;
    return 1;
}

int ppm_Save(Surface* s, const char* path) {
    refuse_Clear();
    if (!s || !path) return refuse_With("no path");
    int binary = ui_MessageBox(PPM_BINARY_QUESTION, PPM_BINARY_TITLE, UI_YESNO | UI_TOPMOST) != UI_IDNO;
    uint8_t* data;
    size_t size;
    if (!ppm_SaveBytes(s, binary, &data, &size)) return 0;
    return fio_WriteBlock(path, data, size);
}
