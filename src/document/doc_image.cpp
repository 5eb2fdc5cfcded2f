// doc_image.cpp — document operations on pixels: cropping to content, transparency
// clean-ups, Create By Masking, and the size rule and creation of new images.
#include <cstring>
#include "document/document.h"
#include "document/undo.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/shape.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace {

const int64_t MAX_IMAGE_PIXELS = 16777216;
const int64_t WARN_IMAGE_PIXELS = 4194304;

inline uint32_t Luma(uint32_t p) {
    uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return (19595 * r + 38470 * g + 7471 * b + 32768) >> 16;
}

// Applies fn to every pixel of a surface; 0 when it cannot be locked.
template <typename Fn>
int ForEachPixel(Surface* s, Fn fn) {
    uint32_t* px = srf_Lock(s);
    if (!px) return 0;
    for (uint32_t y = 0; y < s->height; y++) {
        uint32_t* row = px + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) row[x] = fn(row[x]);
    }
    srf_Unlock(s);
    return 1;
}

// Runs a pixel rule on the target; the main image gets a whole-image undo step.
template <typename Fn>
int ApplyToTarget(int target, Fn fn) {
    return doc_ChangeTargetWith(target, [&](Surface* s) { return ForEachPixel(s, fn); });
}

}  // namespace

int doc_CropToContent(Surface* s, int border, int* boxX, int* boxY) {
    if (border < 0) return 0;
    uint32_t* px = srf_Lock(s);
    if (!px) return 0;
    int w = (int)s->width, h = (int)s->height;
    int x1 = w, y1 = h, x2 = -1, y2 = -1;
    for (int y = 0; y < h; y++) {
        const uint32_t* row = px + (size_t)y * s->stride;
        for (int x = 0; x < w; x++)
            if ((row[x] >> 24) < 254) {
                if (x < x1) x1 = x;
                if (x > x2) x2 = x;
                if (y < y1) y1 = y;
                if (y > y2) y2 = y;
            }
    }
    srf_Unlock(s);
    if (x2 < 0) return 0;
    Surface cropped{};
    srf_Create((uint32_t)(x2 - x1 + 1 + 2 * (int64_t)border), (uint32_t)(y2 - y1 + 1 + 2 * (int64_t)border),
               &cropped);
    if (!srf_IsValid(&cropped) || !srf_Lock(&cropped)) {
        srf_Destroy(&cropped);
        return 0;
    }
    drw_FillRect(&cropped, 0, 0, (int)cropped.width - 1, (int)cropped.height - 1, 0xFFFFFFFFu);
    srf_Unlock(&cropped);
    blt_Copy(&cropped, border, border, border + x2 - x1, border + y2 - y1, s, x1, y1, x2, y2, 0);
    srf_Destroy(s);
    *s = cropped;
    *boxX = x1;
    *boxY = y1;
    return 1;
}

int doc_FitSprite(int border) {
    if (!g_doc.spritePresent || !srf_IsValid(&g_doc.sprite)) return 0;
    int bx, by;
    if (!doc_CropToContent(&g_doc.sprite, border, &bx, &by)) return 0;
    int x1 = g_doc.spriteX1 + bx - border, y1 = g_doc.spriteY1 + by - border;
    g_doc.spriteX1 = x1;
    g_doc.spriteY1 = y1;
    g_doc.spriteX2 = x1 + (int)g_doc.sprite.width - 1;
    g_doc.spriteY2 = y1 + (int)g_doc.sprite.height - 1;
    ui_ViewChanged(UI_VIEW_REPAINT);
    return 1;
}

int doc_FitImage(int border) {
    int bx, by;
    if (!doc_CropToContent(&g_doc.mainImage, border, &bx, &by)) return 0;
    undo_Reset(&g_doc.mainImage);
    doc_MarkChanged();
    ui_ViewChanged(UI_VIEW_RESIZED | UI_VIEW_REPAINT);
    return 1;
}

int doc_RemoveRedundantInfo(int target) {
    uint32_t fill = (clr_SwapRB(g_settings.colour1) & 0x00FFFFFFu) | 0xFF000000u;
    return ApplyToTarget(target, [fill](uint32_t p) { return (p >> 24) == 255 ? fill : p; });
}

int doc_RebaseTransparentPoint(int target) {
    return ApplyToTarget(target, [](uint32_t p) { return (p >> 24) > 240 ? p | 0xFF000000u : p; });
}

int doc_RemoveTransparency() {
    return ApplyToTarget(DOC_TARGET_MAIN, [](uint32_t p) { return p & 0x00FFFFFFu; });
}

int doc_MaskActive() { return g_doc.maskCache != nullptr; }

int doc_MaskBegin() {
    if (g_doc.maskCache) mem_Free(g_doc.maskCache);
    g_doc.maskCache = nullptr;
    Surface* img = &g_doc.mainImage;
    uint32_t* px = srf_Lock(img);
    size_t w = px ? img->width : 0, h = px ? img->height : 0;
    // Room for the 8-byte header and the pixels (narrow images included).
    size_t bytes = w * (h + 1) * 4;
    if (bytes < 8 + w * h * 4) bytes = 8 + w * h * 4;
    MemBlock cache = px ? mem_Alloc(bytes) : nullptr;
    if (cache) {
        uint32_t* c = static_cast<uint32_t*>(mem_Lock(cache));
        c[0] = (uint32_t)w;
        c[1] = (uint32_t)h;
        for (size_t y = 0; y < h; y++) {
            uint32_t* row = px + y * img->stride;
            std::memcpy(c + 2 + y * w, row, w * 4);
            for (size_t x = 0; x < w; x++) {
                uint32_t v = Luma(row[x]);
                row[x] = (row[x] & 0xFF000000u) | (v << 16) | (v << 8) | v;
            }
        }
        mem_Unlock(cache);
        g_doc.maskCache = cache;
    }
    if (px) srf_Unlock(img);
    if (!cache)
        ui_MessageBox("The draw engine couldn't create Mask.", "Masking Failed", UI_OK | UI_ICONERROR);
    undo_Record(img, 0, 0, 0, 0, 1);
    doc_MarkChanged();
    ui_ViewChanged(UI_VIEW_REPAINT);
    return cache != nullptr;
}

int doc_MaskEndAndFloat() {
    Surface* img = &g_doc.mainImage;
    int ok = 0;
    if (g_doc.maskCache) {
        const uint32_t* c = static_cast<const uint32_t*>(mem_Lock(g_doc.maskCache));
        uint32_t w = c[0], h = c[1];
        Surface sprite{};
        srf_Create(w, h, &sprite);
        uint32_t* sp = srf_IsValid(&sprite) ? srf_Lock(&sprite) : nullptr;
        uint32_t* px = sp ? srf_Lock(img) : nullptr;
        if (px) {
            for (uint32_t y = 0; y < h; y++)
                for (uint32_t x = 0; x < w; x++) {
                    uint32_t cached = c[2 + (size_t)y * w + x];
                    uint32_t& out = sp[(size_t)y * sprite.stride + x];
                    if (x >= img->width || y >= img->height) {
                        out = 0xFF000000u;
                        continue;
                    }
                    uint32_t& present = px[(size_t)y * img->stride + x];
                    out = (cached & 0x00FFFFFFu) | (Luma(present) << 24);
                    present = cached;   // the original picture returns
                }
            srf_Unlock(img);
            srf_Unlock(&sprite);
            ok = 1;
        } else {
            if (sp) srf_Unlock(&sprite);
            srf_Destroy(&sprite);
        }
        mem_Unlock(g_doc.maskCache);
        if (ok) {
            mem_Free(g_doc.maskCache);
            g_doc.maskCache = nullptr;
            if (srf_IsValid(&g_doc.sprite)) srf_Destroy(&g_doc.sprite);
            g_doc.sprite = sprite;
            g_doc.spritePresent = 1;
            g_doc.spriteX1 = g_doc.spriteY1 = 0;
            g_doc.spriteX2 = (int32_t)w - 1;
            g_doc.spriteY2 = (int32_t)h - 1;
        }
    }
    if (!ok) ui_MessageBox("The draw engine couldn't apply Mask.", "Masking Failed", UI_OK | UI_ICONERROR);
    undo_Record(img, 0, 0, 0, 0, 1);
    doc_MarkChanged();
    ui_ViewChanged(UI_VIEW_REPAINT);
    return ok;
}

void doc_MaskQuickHelp() {
    ui_MessageBox("1. Click \"Begin and Cache\"\n   A copy of the image is saved to cache\n"
                  "   The monochrome image represents the\n   proposed alpha channel (black is opaque).\n"
                  "   Edit this as you wish.\n2. Click \"End and Float\"\n"
                  "   The mask is applied to the image as its\n   transparency and converted to a sprite.\n"
                  "   The original image is then restored.\n",
                  "Using \"Create By Masking\"", UI_OK | UI_ICONINFORMATION);
}

int doc_CheckImageSize(int* width, int* height) {
    int64_t pixels = (int64_t)*width * *height;
    if (pixels > MAX_IMAGE_PIXELS) {
        ui_MessageBox(" The image size you have selected is more that the\nmaximum of 4096 by 4096 pixels.\n",
                      "Dimensions Too Large", UI_OK | UI_ICONWARNING);
        *width = *height = 4096;
        return 0;
    }
    if (pixels > WARN_IMAGE_PIXELS &&
        ui_MessageBox(" The image size you have selected is very large.\nIf your Processor and Graphics "
                      "Adapter are not fast\nenough, or if the amount of RAM you have is not\nsufficient, "
                      "you are in for one very SLOW ride.\n\nDo you want to use this size anyway?",
                      "Performance Warning", UI_YESNO | UI_ICONWARNING) != UI_IDYES)
        return 0;
    if (*width < 4 || *height < 4) {
        ui_MessageBox(" The image size you have selected is less that the\nminimum of 4 by 4 pixels.\n",
                      "Dimensions Too Small", UI_OK | UI_ICONWARNING);
        if (*width < 4) *width = 4;
        if (*height < 4) *height = 4;
        return 0;
    }
    return 1;
}

int doc_NewImage(int width, int height) {
    if (width < 1 || height < 1) return 0;
    Surface fresh{};
    srf_Create((uint32_t)width, (uint32_t)height, &fresh);
    // The old image stays until the new one exists.
    if (!srf_IsValid(&fresh) || !srf_Lock(&fresh)) {
        srf_Destroy(&fresh);
        return 0;
    }
    uint32_t white = g_settings.newImageTransparent ? 0xFFFFFFFFu : 0x00FFFFFFu;
    drw_FillRect(&fresh, 0, 0, (int)fresh.width - 1, (int)fresh.height - 1, white);
    srf_Unlock(&fresh);
    doc_ReplaceMainImage(&fresh, nullptr, 1);
    return 1;
}
