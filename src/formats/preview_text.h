// preview_text.h — the texts and geometry of the file dialogs' preview panel, and the
// small filter-pattern rules of the save dialogs, kept apart from the Win32 dialog
// so they can be checked natively.
//
// Promises: every builder writes a zero-terminated text that fits `cap` (cut when it
// must be) and never reads past its inputs; the fit rectangle is never empty for a
// non-empty box and image.
#pragma once
#include <cstddef>
#include <cstdint>
#include "formats/imageinfo.h"

// "%i bytes" below 1 KiB, "%i.%02i KB" below 1 MiB, else "%i.%02i MB" (hundredths
// truncated); "<unknown>" for a negative size (the size could not be read).
void pvt_FileSizeText(int64_t size, char* out, size_t cap);

// The extension of the file name (after the last dot of the part after the last
// "\" or "/") upper-cased, without the dot; "<unknown>" when there is none.
void pvt_TypeFallback(const char* path, char* out, size_t cap);

// Information of a loaded image: size, "Password: NONE", file size, format name,
// the transparency lines and, when the author text is not empty, the rights line.
void pvt_LoadedInfo(const ImageFileInfo* info, const char* sizeText, const char* typeName,
                    char* out, size_t cap);
// Information of a KV5 file that was only probed (protected files are not loaded).
void pvt_ProbedInfo(const ImageFileInfo* info, const char* sizeText, char* out, size_t cap);

// Where an image goes in the preview box: scaled to fit in both directions (small
// images are enlarged too) and centred. Computed exactly in integers:
// a relatively wider image takes the box width and height = boxW * h / w, any other
// the box height and width = boxH * w / h, truncated (at least 1).
struct PvtRect {
    int x, y, width, height;
};
PvtRect pvt_FitRect(int boxWidth, int boxHeight, uint32_t imageWidth, uint32_t imageHeight);

// 1-based index of the first pattern list (";"-separated, like "*.bmp;*.dib") holding
// "*" + ext (ext with its dot, compared without regard to case); 0 when none does.
int pvt_PatternIndexForExtension(const char* const* patterns, int count, const char* ext);
// The default extension a pattern list stands for: the (up to) three characters after
// its leading "*.". 0 for "*.*" or a list that does not start with "*.".
int pvt_PatternExtension(const char* patterns, char out[4]);
// `name` with its extension (from the last dot of the file-name part) replaced by
// "." + ext, or with "." + ext appended when it has none. An empty name stays empty.
void pvt_ReplaceExtension(const char* name, const char* ext, char* out, size_t cap);
// Pointer to the extension of the file-name part of path (at its dot), or null.
const char* pvt_Extension(const char* path);
