// imageinfo.h — ImageFileInfo, the record every image loader fills.
//
// The caller zeroes the record and sets `quiet` before each loader call; a loader
// fills what its format knows. With `quiet` set a loader shows no dialog or message
// box and refuses password-protected files (still setting isProtected, so the caller
// can tell why). The layout is fixed at 148 bytes because callers copy it whole.
#pragma once
#include <cstddef>
#include <cstdint>

const size_t IMG_AUTHOR_TEXT = 129;

struct ImageFileInfo {
    uint32_t width;
    uint32_t height;
    uint32_t reserved;
    uint8_t isProtected;       // 1 = the file is password-protected
    uint8_t hasAlpha;          // 1 = some loaded pixel has a non-zero alpha byte
    uint8_t looksLikeOpacity;  // 0 engine convention, 1 opacity, 2 proprietary
    char authorText[IMG_AUTHOR_TEXT];  // zero-terminated, empty when the format has none
    uint8_t quiet;             // set by the caller
};

static_assert(sizeof(ImageFileInfo) == 148, "image file info size");
static_assert(offsetof(ImageFileInfo, isProtected) == 12, "protected flag");
static_assert(offsetof(ImageFileInfo, authorText) == 15, "author text");
static_assert(offsetof(ImageFileInfo, quiet) == 144, "quiet flag");
