// printgeom.h — the arithmetic of printing one image on one page, apart from any
// printer: the output size for each sizing option, the paper description, the
// preview's paper and image boxes, the page margins and the brightness table.
// All pure; sizes are device pixels unless named millimetres.
#pragma once
#include <cstddef>
#include <cstdint>

enum PrintFit { PRINT_FIT = 0, PRINT_FIT_BORDER = 1, PRINT_STRETCH = 2, PRINT_DIMENSIONS = 3 };

struct PrintPage {
    int width, height;   // HORZRES, VERTRES
    double dpiX, dpiY;   // LOGPIXELSX, LOGPIXELSY
};

// The output size of an imgW x imgH image on the page by option; `widthMm` and
// `heightMm` count for PRINT_DIMENSIONS only.
void prn_OutputSize(const PrintPage& page, int imgW, int imgH, PrintFit fit, unsigned widthMm, unsigned heightMm,
                    int* outW, int* outH);
// "Paper: %i by %i mm (%i dots/mm)".
void prn_PaperText(const PrintPage& page, char* out, size_t cap);
// The preview's paper box and image box inside a control of cw x ch (x, y, w, h each).
void prn_PreviewBoxes(int cw, int ch, const PrintPage& page, int outW, int outH, int paper[4], int image[4]);
// Where the output's top-left corner lands on the page.
void prn_Margins(const PrintPage& page, int outW, int outH, int* left, int* top);
// The brightening table: trunc(255 * (i / 255)^0.6).
void prn_BrightnessTable(uint8_t table[256]);
// Rows of one band sent to the printer.
const int PRINT_BAND_ROWS = 128;
