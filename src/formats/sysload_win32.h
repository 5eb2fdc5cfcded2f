// sysload_win32.h — image loaders that let Windows do the decoding: bitmaps through
// the system's DIB conversion, image files through the system image loader, icons
// and icon resources (with the interactive picker), enhanced metafiles, and JPEG,
// GIF and WMF through the OLE picture loader. Each follows the loader convention
// (surface_out, path, info) → 1 / 0: it sets width, height and isProtected = 0 and
// leaves surface_out as it was on failure (a new Surface replaces it on success).
//
// bmp_LoadSystem checks every header field GDI will act on before GDI sees the file:
// the file must pass the BMP structure check (bmp_file.h; cut, lying and overrunning
// files are refused), the headers, colour table and pixel rows GDI reads all lie
// inside a zero-filled buffer; unsupported bit counts and compressions (JPEG/PNG
// inside BMP) are refused.
// img_LoadSystemImage and pic_LoadSystem give BMP data to the system only when the
// same checks pass and the colour table and pixels lie wholly inside the file.
// ico_Load refuses an icon or cursor file whose directory, or an image it names, lies
// beyond the file's end before the system reads any of it.
// emf_Load refuses bounds whose right or bottom edge is negative or whose size the
// Surface cannot hold; a negative left or top edge is kept and what lies left of or
// above (0, 0) is cut off. pic_LoadSystem refuses files above PIC_MAX_FILE and files
// that start with two zero bytes (the OLE loader would read them as icons, trusting
// their directory; the program takes no icon pictures).
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/imageinfo.h"

const size_t PIC_MAX_FILE = (size_t)256 << 20;
// Metafile pictures are drawn at one pixel per hundredth of a millimetre, their
// larger side brought down to this.
const int PIC_MAX_METAFILE_SIDE = 4096;

int bmp_LoadSystem(Surface* out, const char* path, ImageFileInfo* info);
int img_LoadSystemImage(Surface* out, const char* path, ImageFileInfo* info);
// quiet: the file's first large icon; otherwise the user picks one in "Select a
// resource to load" (Cancel or a file without icons → 0). An .ico or .cur file in
// which the extractor finds no icon loads as one icon or cursor image instead.
int ico_Load(Surface* out, const char* path, ImageFileInfo* info);
// Draws the icon over the key colour 0xF0E0E0 at width × width; key pixels become
// fully transparent, all others opaque. Replaces what out held; 0 leaves it.
int ico_ToSurface(Surface* out, HICON icon);
int emf_Load(Surface* out, const char* path, ImageFileInfo* info);
int pic_LoadSystem(Surface* out, const char* path, ImageFileInfo* info);
// The same from bytes in memory (a picture carried as a resource).
int pic_LoadSystemBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);

// ---- shared by the system loaders ----

// Pixel word of the background icons are drawn on (red F0, green E0, blue E0).
const uint32_t ICO_KEY_COLOUR = 0x00F0E0E0;

// Converts a GDI bitmap (scaled to fit 8192 on a side) into a new Surface, gives it
// to out and fills info's size. The caller keeps the bitmap. `opaque` clears every
// fourth byte, for bitmaps whose fourth byte is not an alpha channel.
int sys_InstallBitmap(Surface* out, HBITMAP bitmap, ImageFileInfo* info, int opaque);
// 1 when the bytes are a BMP that bmp_LoadSystem accepts and whose colour table and
// pixel data (for RLE, the coded size the header states) lie wholly inside them: a
// decoder that trusts the headers then reads nothing beyond.
int sys_DibIsWhole(const uint8_t* data, size_t size);
// Gives a finished Surface to out (destroying what out held) and fills info.
void sys_Install(Surface* out, Surface* made, ImageFileInfo* info);
