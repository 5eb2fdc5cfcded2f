// kv5codec.h — kv5codec.dll, the .kv5 file for other programs: a decoder of the
// system's imaging component (kv5_decoder.cpp) and a thumbnail provider for the
// shell (kv5_thumbnail.cpp), both over the program's own KV5 reader. The registry
// entries are the installer's (settings/codecreg_win32.h).
//
// Pixels handed out are BGRA with straight alpha: the file's translucency byte t
// becomes the opacity 255 - t, colours unchanged — exactly. The reader runs quietly:
// a password-protected file is refused with WINCODEC_ERR_UNSUPPORTEDOPERATION
// (nobody may be asked for the password inside another program), a stream that is
// no KV5 file with WINCODEC_ERR_UNKNOWNIMAGEFORMAT, anything else the reader refuses
// with WINCODEC_ERR_BADIMAGE.
#pragma once
#include <windows.h>
#include <cstdint>

// The whole stream from its start, decoded: a malloc'd w x h block the caller frees.
HRESULT kvc_DecodeStream(IStream* s, uint32_t** pixels, UINT* width, UINT* height);

// Every object counts itself, so the DLL is unloaded only when none is left.
void kvc_ObjectMade();
void kvc_ObjectGone();

// New objects of the two classes, asked for `iid`.
HRESULT kvc_NewDecoder(REFIID iid, void** out);
HRESULT kvc_NewThumbnail(REFIID iid, void** out);
