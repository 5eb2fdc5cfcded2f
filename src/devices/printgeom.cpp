// printgeom.cpp — printing arithmetic (printgeom.h).
#include "devices/printgeom.h"

#include <cmath>
#include <cstdio>

void prn_OutputSize(const PrintPage& page, int imgW, int imgH, PrintFit fit, unsigned widthMm, unsigned heightMm,
                    int* outW, int* outH) {
    *outW = page.width;
    *outH = page.height;
    if (imgW < 1 || imgH < 1 || page.width < 1 || page.height < 1) return;
    if (fit == PRINT_FIT || fit == PRINT_FIT_BORDER) {
        double aspect = (double)imgW / imgH;
        double rw = (double)imgW / page.width, rh = (double)imgH / page.height;
        if (rw > rh) {
            *outW = page.width;
            *outH = (int)(*outW / aspect);
        } else {
            *outH = page.height;
            *outW = (int)(*outH * aspect);
        }
        if (fit == PRINT_FIT_BORDER) {
            *outW = *outW * 9 / 10;
            *outH = *outH * 9 / 10;
        }
    } else if (fit == PRINT_DIMENSIONS) {
        double w = page.dpiX / 25.4 * widthMm + 0.5, h = page.dpiY / 25.4 * heightMm + 0.5;
        *outW = w < page.width ? (int)w : page.width;
        *outH = h < page.height ? (int)h : page.height;
    }
}

void prn_PaperText(const PrintPage& page, char* out, size_t cap) {
    int w = page.dpiX > 0 ? (int)(page.width * 25.4 / page.dpiX + 0.5) : 0;
    int h = page.dpiY > 0 ? (int)(page.height * 25.4 / page.dpiY + 0.5) : 0;
    int dots = (int)(std::sqrt(page.dpiY * page.dpiX / 645.16) + 0.5);
    std::snprintf(out, cap, "Paper: %i by %i mm (%i dots/mm)", w, h, dots);
}

void prn_PreviewBoxes(int cw, int ch, const PrintPage& page, int outW, int outH, int paper[4], int image[4]) {
    for (int i = 0; i < 4; i++) paper[i] = image[i] = 0;
    if (!page.width || !page.height || !outW || !outH) return;
    int pw, ph;
    if (page.width <= page.height) {
        ph = ch * 9 / 10;
        pw = (int)((int64_t)ph * page.width / page.height);
    } else {
        pw = cw * 9 / 10;
        ph = (int)((int64_t)pw * page.height / page.width);
    }
    paper[0] = (cw - pw + 1) / 2;
    paper[1] = (ch - ph + 1) / 2;
    paper[2] = pw;
    paper[3] = ph;
    int iw = (int)((int64_t)pw * outW / page.width), ih = (int)((int64_t)pw * outH / page.width);
    image[0] = paper[0] + (pw - iw + 1) / 2;
    image[1] = paper[1] + (ph - ih + 1) / 2;
    image[2] = iw;
    image[3] = ih;
}

void prn_Margins(const PrintPage& page, int outW, int outH, int* left, int* top) {
    *left = (page.width - outW + 1) / 2;
    *top = (page.height - outH + 1) / 2;
}

void prn_BrightnessTable(uint8_t table[256]) {
    for (int i = 0; i < 256; i++) {
        int v = (int)(255.0 * std::pow(i / 255.0, 0.6));
        table[i] = (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}
