// blit_fast.cpp — picks, once, the fastest row kernels this processor runs:
// AVX2 when the processor and the system support it, else SSE2 (the x86-64
// baseline), else the reference kernels. Tests may pin another runnable set.
#include "engine/blit_simd.h"
#include <cstring>
#include "engine/engine.h"

namespace {
const BlitKernels* g_override = nullptr;

const BlitKernels* Pick() {
    if (const BlitKernels* k = blt_KernelsNamed("avx2")) return k;
    if (const BlitKernels* k = blt_KernelsNamed("sse2")) return k;
    return &blt_ReferenceKernels;
}
}  // namespace

const BlitKernels* blt_KernelsNamed(const char* name) {
#if defined(__x86_64__) || defined(_M_X64)
    if (std::strcmp(name, "sse2") == 0) return &blt_Sse2Kernels;
    if (std::strcmp(name, "avx2") == 0 && eng_HasAvx2()) return &blt_Avx2Kernels;
#endif
    return nullptr;
}

void blt_OverrideFastKernels(const BlitKernels* kernels) { g_override = kernels; }

const BlitKernels& blt_FastKernels() {
    static const BlitKernels* chosen = Pick();
    return g_override ? *g_override : *chosen;
}
