// dpi.cpp — the current DPI and its scaling (dpi.h).
#include "platform/dpi.h"

namespace {

int g_dpi = DPI_BASE;

// Rounds a / b to the nearest integer, halves away from zero; b > 0.
int RoundDiv(long long a, long long b) { return (int)(a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b)); }

}  // namespace

void dpi_Set(int dpi) {
    if (dpi <= 0) dpi = DPI_BASE;
    g_dpi = dpi < 48 ? 48 : dpi > 960 ? 960 : dpi;
}

int dpi_Get() { return g_dpi; }

int dpi_Scale(int size96) { return RoundDiv((long long)size96 * g_dpi, DPI_BASE); }

int dpi_Unscale(int pixels) {
    long long p = (long long)pixels * DPI_BASE;
    return (int)(p >= 0 ? p / g_dpi : -((-p + g_dpi - 1) / g_dpi));
}

int dpi_WholeFactor() { return g_dpi % DPI_BASE == 0 ? g_dpi / DPI_BASE : 0; }
