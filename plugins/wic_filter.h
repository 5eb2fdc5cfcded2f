// wic_filter.h — what the filter plug-ins do with the Windows Imaging Component:
// decode one container format into a bitmap for the program, and encode the
// program's bitmap into that format. Each plug-in links its own copy.
//
// Bitmaps both ways are 32-bit top-down DIB sections whose fourth byte is the
// program's translucency (0 opaque, 255 transparent); image files store opacity,
// so the byte is complemented on the way in and out — exactly, no rounding.
// Decoding refuses files that do not start with the format's signature and images
// of more than WIC_MAX_PIXELS; encoding goes to memory first, so a failed save never
// leaves a half-written file, nor touches an existing one.
#pragma once
#include <windows.h>
#include <wincodec.h>
#include <cstddef>
#include <cstdint>

const uint32_t WIC_MAX_SIDE = 65535;
const uint64_t WIC_MAX_PIXELS = (uint64_t)8192 * 8192;

// Extensions are compared without case, dot included; the list ends with a null.
int wic_ExtensionListed(const char* ext, const char* const* list);
// The extension of the path's file name (from its last dot) is listed.
int wic_PathListed(const char* path, const char* const* list);

// A new bitmap the caller owns, or null.
HBITMAP wic_Load(const char* path, REFGUID container, const uint8_t* signature, size_t signatureSize);
// The same for a file of any container the component decodes, except those listed
// (a null-terminated list): the decoder is chosen by the file's content.
HBITMAP wic_LoadAnyBut(const char* path, const GUID* const* refused);

// The file extensions of every installed decoder except the refused containers, as one
// comma-separated list (".tiff,.tif,.gif"), asked from the component at each call.
// Returns its length; lists that do not fit whole in `cap` are left out.
size_t wic_DecoderExtensions(char* out, size_t cap, const GUID* const* refused);
// `ext` (dot included) is one of a comma-separated list, without case.
int wic_ExtensionInList(const char* ext, const char* commaList);

struct WicSave {
    REFGUID container;
    int keepAlpha;  // 0: colour only; 1: alpha too, unless every pixel is opaque
    float quality;  // 0..1 for encoders that take one; below 0 = the encoder's own
};
// 1 when the file was written whole.
int wic_Save(HBITMAP bitmap, const char* path, const WicSave& how);
