// codecreg_win32.h — the registry entries that make the system's imaging component
// (and every program that reads pictures through it) decode .kv5 files, and the
// shell draw their thumbnails, with the DLL shipped beside the program. All under
// the classes root:
//   CLSID\{decoder}                FriendlyName, Author, Vendor {vendor}, ContainerFormat
//                                  {container}, Version, MimeTypes, FileExtensions ".kv5",
//                                  SupportLossless 1, SupportAnimation / Chromakey /
//                                  Multiframe 0
//   CLSID\{decoder}\InprocServer32 default = the DLL's path, ThreadingModel "Both"
//   CLSID\{decoder}\Formats\{32bppBGRA}
//   CLSID\{decoder}\Patterns\0     Position 0, Length 8, Pattern "_KV54" 0 0 0, Mask 8 x FF,
//                                  EndOfStream 0
//   CLSID\{decoders category}\Instance\{decoder}   CLSID, FriendlyName
//   CLSID\{thumbnail}               default = its name
//   CLSID\{thumbnail}\InprocServer32 default = the DLL's path, ThreadingModel "Apartment"
//   .kv5\ShellEx\{thumbnail provider interface}   default = {thumbnail}
// The identifiers below are the decoder's own and shared with the DLL.
#pragma once
#include <windows.h>

// {3E6BCF9A-512E-4418-82A0-8B3B0F71CF10}
const GUID CREG_CLSID_KV5_DECODER = {0x3e6bcf9a, 0x512e, 0x4418, {0x82, 0xa0, 0x8b, 0x3b, 0x0f, 0x71, 0xcf, 0x10}};
// {0401707E-ACD6-4040-BEEA-46200C45CF69}
const GUID CREG_CONTAINER_KV5 = {0x0401707e, 0xacd6, 0x4040, {0xbe, 0xea, 0x46, 0x20, 0x0c, 0x45, 0xcf, 0x69}};
// {786B2873-12BA-4AD9-BBC0-33B162FA2226}
const GUID CREG_CLSID_KV5_THUMBNAIL = {0x786b2873, 0x12ba, 0x4ad9, {0xbb, 0xc0, 0x33, 0xb1, 0x62, 0xfa, 0x22, 0x26}};
// {E112C016-8094-4E6F-88E5-3F558B4492B5}
const GUID CREG_VENDOR = {0xe112c016, 0x8094, 0x4e6f, {0x88, 0xe5, 0x3f, 0x55, 0x8b, 0x44, 0x92, 0xb5}};

// The decoder DLL's file name, beside the program.
const char CREG_DLL_NAME[] = "kv5codec.dll";
extern const char CREG_DECODER_NAME[];
// The decoder's key under the classes root ("CLSID\{...}"), for checks.
extern const char CREG_DECODER_KEY[];
extern const char CREG_INSTANCE_KEY[];
extern const char CREG_THUMBNAIL_KEY[];
extern const char CREG_SHELLEX_KEY[];

// Writes every entry; 1 when all were written.
int creg_RegisterKv5Codec(const char* dllPath);
// Removes the four keys with everything below them; 1 when all are gone.
int creg_UnregisterKv5Codec();
