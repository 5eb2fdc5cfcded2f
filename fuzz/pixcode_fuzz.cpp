// Fuzzes the compiler and the interpreters: two bytes pick a small image size, the
// rest is program text. Whatever compiles runs over the image on the plain path and
// on the pre-decoded path with a jump budget per pixel, so that loops end; the two
// must give the same result and the same pixels, or the target aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "engine/engine.h"
#include "pixcode/pix_compile.h"
#include "pixcode/pix_run.h"
#include "support/ui_script.h"

namespace {
struct Run {
    int ok, stop;
    size_t boxes;
    uint32_t pixels[16 * 16];
};

void RunOnce(const PixCell* cells, const PixMachine* compiled, uint32_t w, uint32_t h,
             int reference, Run* out) {
    Surface s{};
    srf_Create(w, h, &s);
    uint32_t* p = srf_Lock(&s);
    uint32_t seed = w * 131 + h;
    for (uint32_t i = 0; i < w * h; i++) p[i] = seed = seed * 1103515245u + 12345u;
    PixMachine m = *compiled;
    m.jumpBudget = 64;
    uiscript_Reset();
    eng_ForceReference(reference);
    out->ok = pix_RunPixels(&s, cells, &m);
    out->stop = m.stop;
    out->boxes = uiscript_Boxes().size();
    std::memcpy(out->pixels, p, w * h * 4);
    srf_Unlock(&s);
    srf_Destroy(&s);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    uint32_t w = data[0] % 16 + 1, h = data[1] % 16 + 1;
    std::string text((const char*)data + 2, size - 2);
    static PixCell cells[PIX_CELLS];
    PixMachine m;
    PixCompileOut out;
    uiscript_Reset();
    if (pix_Compile(text.c_str(), cells, &m, nullptr, &out)) {
        static Run a, b;
        RunOnce(cells, &m, w, h, 1, &a);
        RunOnce(cells, &m, w, h, 0, &b);
        eng_ForceReference(0);
        if (a.ok != b.ok || a.stop != b.stop || a.boxes != b.boxes ||
            std::memcmp(a.pixels, b.pixels, w * h * 4) != 0)
            std::abort();
    }
    uiscript_Reset();
    return 0;
}
