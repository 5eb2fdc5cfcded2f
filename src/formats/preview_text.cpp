// preview_text.cpp — texts and geometry of the file dialogs' preview panel.
#include "formats/preview_text.h"

#include <cctype>
#include <cstdio>
#include <cstring>

void pvt_FileSizeText(int64_t size, char* out, size_t cap) {
    if (!out || cap == 0) return;
    const int64_t KiB = 1024, MiB = 1024 * 1024;
    if (size < 0)
        std::snprintf(out, cap, "<unknown>");
    else if (size < KiB)
        std::snprintf(out, cap, "%lld bytes", (long long)size);
    else if (size < MiB)
        std::snprintf(out, cap, "%lld.%02lld KB", (long long)(size / KiB), (long long)(size % KiB * 100 / KiB));
    else
        std::snprintf(out, cap, "%lld.%02lld MB", (long long)(size / MiB), (long long)(size % MiB * 100 / MiB));
}

const char* pvt_Extension(const char* path) {
    if (!path) return nullptr;
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/') name = p + 1;
    const char* dot = std::strrchr(name, '.');
    return dot;
}

void pvt_TypeFallback(const char* path, char* out, size_t cap) {
    if (!out || cap == 0) return;
    const char* dot = pvt_Extension(path);
    if (!dot || !dot[1]) {
        std::snprintf(out, cap, "<unknown>");
        return;
    }
    size_t i = 0;
    for (const char* p = dot + 1; *p && i + 1 < cap; p++)
        out[i++] = (char)std::toupper((unsigned char)*p);
    out[i] = 0;
}

// The rights line: "Rights: " with the author text's first 24 characters and "...".
static void append_rights(const ImageFileInfo* info, char* out, size_t cap) {
    char author[IMG_AUTHOR_TEXT];
    std::memcpy(author, info->authorText, sizeof author);
    author[sizeof author - 1] = 0;  // the record is copied whole; never trust its end
    if (!author[0]) return;
    size_t used = std::strlen(out);
    if (used + 1 >= cap) return;
    std::snprintf(out + used, cap - used, "Rights: %.24s...", author);
}

void pvt_LoadedInfo(const ImageFileInfo* info, const char* sizeText, const char* typeName,
                    char* out, size_t cap) {
    if (!out || cap == 0) return;
    char transparency[64];
    if (!info->hasAlpha)
        std::snprintf(transparency, sizeof transparency, "NONE");
    else
        std::snprintf(transparency, sizeof transparency, "YES:\r\n%s",
                      info->looksLikeOpacity == 0   ? "-> Translucency (KVDRAW2)"
                      : info->looksLikeOpacity == 1 ? "-> Opacity (Windows GDI)"
                                                    : "-> Proprietary Alpha Type");
    std::snprintf(out, cap, "Size: %lu by %lu\r\nPassword: NONE\r\nFile Size: %s\r\nFormat: %s\r\nTransparency: %s\r\n",
                  (unsigned long)info->width, (unsigned long)info->height, sizeText, typeName, transparency);
    append_rights(info, out, cap);
}

void pvt_ProbedInfo(const ImageFileInfo* info, const char* sizeText, char* out, size_t cap) {
    if (!out || cap == 0) return;
    std::snprintf(out, cap, "Size: %lu by %lu\r\nPassword: %s\r\nFile Size: %s\r\nFormat: Kelvara Draw Image\r\n",
                  (unsigned long)info->width, (unsigned long)info->height, info->isProtected ? "YES" : "NO",
                  sizeText);
    append_rights(info, out, cap);
}

PvtRect pvt_FitRect(int boxWidth, int boxHeight, uint32_t imageWidth, uint32_t imageHeight) {
    PvtRect r = {0, 0, 0, 0};
    if (boxWidth <= 0 || boxHeight <= 0 || imageWidth == 0 || imageHeight == 0) return r;
    const int64_t bw = boxWidth, bh = boxHeight, w = imageWidth, h = imageHeight;
    // w / h > bw / bh, without the rounding of a division.
    if (w * bh > bw * h) {
        r.width = boxWidth;
        r.height = (int)(bw * h / w);
    } else {
        r.height = boxHeight;
        r.width = (int)(bh * w / h);
    }
    // A sliver (4096 x 4 in a small box) still shows as one line.
    if (r.width < 1) r.width = 1;
    if (r.height < 1) r.height = 1;
    r.x = (boxWidth - r.width) / 2;
    r.y = (boxHeight - r.height) / 2;
    return r;
}

static int ieq(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; i++)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return 0;
    return 1;
}

int pvt_PatternIndexForExtension(const char* const* patterns, int count, const char* ext) {
    if (!patterns || !ext || ext[0] != '.' || !ext[1]) return 0;
    size_t extLen = std::strlen(ext);
    for (int i = 0; i < count; i++) {
        const char* p = patterns[i];
        while (p && *p) {
            const char* end = std::strchr(p, ';');
            size_t len = end ? (size_t)(end - p) : std::strlen(p);
            if (len == extLen + 1 && p[0] == '*' && ieq(p + 1, ext, extLen)) return i + 1;
            p = end ? end + 1 : nullptr;
        }
    }
    return 0;
}

int pvt_PatternExtension(const char* patterns, char out[4]) {
    out[0] = 0;
    if (!patterns || patterns[0] != '*' || patterns[1] != '.') return 0;
    if (std::strcmp(patterns, "*.*") == 0) return 0;
    int n = 0;
    for (const char* p = patterns + 2; *p && *p != ';' && n < 3; p++) out[n++] = *p;
    out[n] = 0;
    return n > 0 && std::strcmp(out, "*") != 0;
}

void pvt_ReplaceExtension(const char* name, const char* ext, char* out, size_t cap) {
    if (!out || cap == 0) return;
    out[0] = 0;
    if (!name || !*name) return;
    const char* dot = pvt_Extension(name);
    size_t stem = dot ? (size_t)(dot - name) : std::strlen(name);
    std::snprintf(out, cap, "%.*s.%s", (int)stem, name, ext ? ext : "");
}
