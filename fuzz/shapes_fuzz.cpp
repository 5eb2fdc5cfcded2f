// shapes_fuzz.cpp — drives every shape rasteriser with coordinates, colours and
// modes decoded from the input, on a small surface framed by guard pixels.
// Traps when a shape writes into the frame; the sanitizers catch reads and writes
// past the pixel blocks (the warp source has exactly its own size), overflow and
// division by zero.
#include <cstring>
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "fuzz_input.h"

namespace {
const int GUARD = 2;
const uint32_t GUARD_WORD = 0xDEADBEEFu;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    eng_Init();
    const int kind = in.Byte() % 24, mode = in.Byte() % 8;
    eng_SetOption(1, in.Byte() & 1);
    const int w = 1 + in.Byte() % 19, h = 1 + in.Byte() % 15, sw = 1 + in.Byte() % 9, sh = 1 + in.Byte() % 9;
    Surface frame{}, src{};
    srf_Create((uint32_t)(w + 2 * GUARD), (uint32_t)(h + 2 * GUARD), &frame);
    srf_Create((uint32_t)sw, (uint32_t)sh, &src);
    uint32_t* fp = srf_Lock(&frame);
    uint32_t* sp = srf_Lock(&src);
    if (fp && sp) {
        const uint32_t seed = in.Word();
        for (uint32_t i = 0; i < frame.stride * frame.height; i++) fp[i] = GUARD_WORD;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) fp[(size_t)(y + GUARD) * frame.stride + x + GUARD] = seed * (uint32_t)(x + 7 * y);
        for (int i = 0; i < sw * sh; i++) sp[i] = seed ^ (uint32_t)(i * 0x9E3779B9u);
        // The drawing target: the inside of the frame, with the frame's stride.
        Surface s = frame;
        s.pixels = fp + (size_t)GUARD * frame.stride + GUARD;
        s.width = (uint32_t)w;
        s.height = (uint32_t)h;
        int c[12];
        for (int i = 0; i < 12; i++) c[i] = in.Coordinate(i % 2 ? h : w);
        uint32_t k[4];
        for (uint32_t& v : k) v = in.Word();
        Surface* d = &s;
        switch (kind) {
        case 0: drw_Line(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 1: drw_LineBlend(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 2: drw_LineGradient(d, c[0], c[1], c[2], c[3], k[0], k[1]); break;
        case 3: drw_LineOp(d, c[0], c[1], c[2], c[3], k[0], mode); break;
        case 4: drw_LineMarker(d, c[0], c[1], c[2], c[3]); break;
        case 5: drw_ThickLine(d, c[0], c[1], c[2], c[3], c[4], k[0], mode); break;
        case 6: drw_Rect(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 7: drw_RectBlend(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 8: drw_FillRect(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 9: drw_FillRectBlend(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 10: drw_FillRectOp(d, c[0], c[1], c[2], c[3], k[0], mode); break;
        case 11: drw_ReplaceColor(d, c[0], c[1], c[2], c[3], k[0], k[1]); break;
        case 12: drw_GradientRect(d, c[0], c[1], c[2], c[3], k[0], k[1], k[2], k[3]); break;
        case 13: drw_GradientRectBlend(d, c[0], c[1], c[2], c[3], k[0], k[1], k[2], k[3]); break;
        case 14: drw_Ellipse(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 15: drw_FillEllipse(d, c[0], c[1], c[2], c[3], k[0]); break;
        case 16: drw_FillEllipseOp(d, c[0], c[1], c[2], c[3], k[0], mode); break;
        case 17: drw_RadialEllipse(d, c[0], c[1], c[2], c[3], k[0], k[1]); break;
        case 18: drw_RadialEllipseBlend(d, c[0], c[1], c[2], c[3], k[0], k[1]); break;
        case 19: drw_Triangle(d, c[0], c[1], c[2], c[3], c[4], c[5], k[0], k[1], k[2]); break;
        case 20: drw_TriangleBlend(d, c[0], c[1], c[2], c[3], c[4], c[5], k[0], k[1], k[2]); break;
        case 21: drw_Quad(d, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], k[0], k[1], k[2], k[3]); break;
        case 22: drw_QuadBlend(d, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], k[0], k[1], k[2], k[3]); break;
        default: drw_WarpQuad(d, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], &src, c[8], c[9], c[10], c[11]);
        }
        // Only the inside may change.
        for (uint32_t y = 0; y < frame.height; y++)
            for (uint32_t x = 0; x < frame.width; x++)
                if ((x - GUARD >= (uint32_t)w || y - GUARD >= (uint32_t)h) && fp[(size_t)y * frame.stride + x] != GUARD_WORD)
                    __builtin_trap();
    }
    srf_Unlock(&src);
    srf_Unlock(&frame);
    srf_Destroy(&src);
    srf_Destroy(&frame);
    eng_SetOption(1, 0);
    return 0;
}
