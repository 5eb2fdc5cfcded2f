// kvbench_undo — undo and redo step times with many small records and with
// whole-image records against a large budget, and the process's peak memory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "document/undo.h"
#include "engine/shape.h"
#include "engine/surface.h"

namespace {

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Peak resident memory of the process in MB (Linux /proc; 0 elsewhere).
double PeakMB() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    double kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::atof(line + 6);
    std::fclose(f);
    return kb / 1024;
}

void Steps(const char* label, Surface* img, int steps) {
    auto t0 = std::chrono::steady_clock::now();
    int done = 0;
    for (int i = 0; i < steps; i++) done += undo_Undo(img);
    auto t1 = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; i++) done += undo_Redo(img);
    auto t2 = std::chrono::steady_clock::now();
    std::printf("%-44s undo %7.2f ms/step   redo %7.2f ms/step   (%d steps done)\n", label,
                Ms(t1 - t0) / steps, Ms(t2 - t1) / steps, done);
}

}  // namespace

int main() {
    std::printf("kvbench_undo: each undo or redo repaints the base and replays the retained records.\n\n");
    double before = PeakMB();

    undo_Init(0);
    Surface img{};
    srf_Create(2048, 2048, &img);
    undo_Reset(&img);
    for (int i = 0; i < 1001; i++) {
        int x = (i * 97) % (2048 - 64), y = (i * 61) % (2048 - 64);
        srf_Lock(&img);
        drw_FillRect(&img, x, y, x + 63, y + 63, 0x00010203u * (uint32_t)(i + 1));
        srf_Unlock(&img);
        undo_Record(&img, x, y, x + 63, y + 63, 0);
    }
    std::printf("2048 x 2048, %d retained 64 x 64 records, base + records %.1f MB\n", undo_UndoCount(),
                undo_TotalBytes() / 1048576.0);
    Steps("  first steps back from the newest", &img, 20);
    undo_Shutdown();
    srf_Destroy(&img);

    const uint32_t budget = 64u << 20;
    undo_Init(budget);
    srf_Create(4096, 4096, &img);
    undo_Reset(&img);
    for (int i = 0; i < 4; i++) {
        srf_Lock(&img);
        drw_FillRect(&img, 0, 0, 4095, 4095, 0x00101010u * (uint32_t)(i + 1));
        srf_Unlock(&img);
        undo_Record(&img, 0, 0, 0, 0, 1);
    }
    std::printf("4096 x 4096, whole-image records, 64 MB budget: %d record(s) kept, records %.1f MB\n",
                undo_UndoCount(), (undo_TotalBytes() - undo_BaseBytes()) / 1048576.0);
    Steps("  steps", &img, 1);
    std::printf("  peak memory of the process %.0f MB (%.0f MB before; image 64 MB, base 64 MB, budget 64 MB)\n",
                PeakMB(), before);
    undo_Shutdown();
    srf_Destroy(&img);
    return 0;
}
