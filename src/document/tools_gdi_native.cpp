// tools_gdi_native.cpp — the native build has no device context and no windows:
// the tools that need them paint nothing and ask nothing (tools_gdi.h).
#include "document/tools_gdi.h"

int tgdi_FloodFill(Surface*, int, int, uint32_t, int64_t) { return 0; }
int tgdi_PaintCurve(Surface*, const TkPoint*, int, uint32_t, int, ToolRect* box) {
    *box = TOOL_RECT_EMPTY;
    return 0;
}
int tgdi_SelectRegion(int, const TkPoint*, int, ToolRect* spriteArea) {
    *spriteArea = TOOL_RECT_EMPTY;
    return 0;
}
int tgdi_AskBorder() { return -1; }
int tgdi_RenderTextArt(Surface*) { return 0; }
void tgdi_SpriteMenu() {}
int tgdi_PreviewEllipse(Surface*, const ToolRect&) { return 0; }
int tgdi_PreviewCurve(Surface*, const TkPoint*, int, ToolRect* box, int) {
    *box = TOOL_RECT_EMPTY;
    return 0;
}
