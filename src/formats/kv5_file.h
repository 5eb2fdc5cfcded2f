// kv5_file.h — the KV5 image file (current layout, type 2): writer, reader, probe.
//
// A file stores one Surface exactly, alpha included. Every number is little-endian.
//
//   offset       size     block
//   0            52       header
//   52           89       signature text (ignored by readers)
//   141          129      author tag (only when authorTagOffset != 0)
//   141 or 270   4 + 4n   palette: u32 n (1..256), n pixel words (only for model 2)
//   dataOffset   dataSize coded pixel stream
// The writer places the blocks in this order; readers go only by the offsets.
//
//   header  offset type  field
//           0      4     "_KV5"
//           4      u32   headerSize (52; readers need >= 24 and read at most 52)
//           8      u16   formatVersion (3)
//           10     u16   layoutType (2; 0 and 1 are the tiled layout, kv5_tiled.h)
//           12     u16   width          14  u16  height
//           16     u16   colourModel: 0 direct, 1 grey, 2 indexed
//           18     u8    planeCount (0 reads as 3; at most 4 are used)   19  u8  0
//           20     u32   dataOffset     24  u32  dataSize (0 = to the end of the file)
//           28     16    codecList: slots 0..14 compressions in the order applied,
//                        slot 15 = 255 when password-protected; undone from 15 down
//           44     u32   paletteOffset (0 = none)
//           48     u32   authorTagOffset (0 = none; the loader ignores 1..4, the probe
//                        reads any non-zero offset). In a version-0
//                        file with a palette this word is the palette count instead.
//   author tag: byte 0 = 129, bytes 1..128 "<author>, <day> <Mon>, <year>" + zero.
//   pixel stream before coding: planes of width*height bytes, rows top-down:
//     model 0: blue, green, red (+ alpha when any alpha is non-zero)
//     model 1: grey (+ alpha); model 2: palette index.
//
// Readers: the Surface is made only after the whole stream decoded; a refused file
// leaves surface_out as it was. On success a surface already held by surface_out is
// destroyed and replaced. Refused (0): anything malformed, truncated streams and
// blocks, streams larger than the work buffers, decoded streams shorter than
// width*height*planes, palettes above 256 entries, more than 8 planes, sizes the
// Surface cannot hold exactly. Messages (none when info->quiet): "Version Conflict"
// (loading goes on), "Unknown Codec", and those of the password layer.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "formats/kv5_codec.h"
#include "formats/imageinfo.h"

const uint32_t KV5_HEADER_SIZE = 52;
const uint32_t KV5_SIGNATURE_OFFSET = 52;
const uint32_t KV5_SIGNATURE_SIZE = 89;
const uint32_t KV5_AUTHOR_OFFSET = 141;
const uint32_t KV5_AUTHOR_SIZE = 129;
const uint32_t KV5_FORMAT_VERSION = 3;
const size_t KV5_MAX_HEAD = KV5_AUTHOR_OFFSET + KV5_AUTHOR_SIZE + 4 + 4 * 256;
// Work buffers carry this much beyond their pixel share: encoders may reach input + 16,
// the password layer adds 72, decoders may give a few bytes beyond the planes.
const size_t KV5_BUFFER_SLACK = 128;

// A file as the writer builds it in memory: `head` holds every byte before the
// stream (dataOffset bytes), `stream` points into one of the work buffers.
struct Kv5Encoded {
    uint8_t head[KV5_MAX_HEAD];
    size_t headSize;
    const uint8_t* stream;
    size_t streamSize;
    uint8_t* work[2];
};

// What the caller decides about a file it writes; the writer reads nothing else, so
// files can be written on several threads at once. Null options are all zero: level
// 0, no author tag, no protection.
struct Kv5SaveOptions {
    int level;             // compression level, low two bits (kv5_Compress)
    const char* author;    // name for the author tag (up to 31 bytes, whole characters); null: no tag
    int askPassword;       // 1: ask through KV5_PASSWORD_PROMPT, the program's interactive save
    const char* password;  // else the password to protect with; null or "": not protected
    const char* hint;      // its hint (60 characters kept); null: none
};

// Writer. May ask for a password (options->askPassword); Skip or an empty password
// saves unprotected. 0 when the Surface cannot be locked, is larger than 65535 on a
// side, or memory runs out.
int kv5_SaveBytes(Surface* s, const Kv5SaveOptions* options, Kv5Encoded* e);
void kv5_FreeEncoded(Kv5Encoded* e);
// Replaces the file only after it was written whole.
int kv5_Save(Surface* s, const char* path, const Kv5SaveOptions* options);

int kv5_LoadBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int kv5_Load(Surface* out, const char* path, ImageFileInfo* info);
// Header and author tag only; never decodes, never asks for a password. 1 for
// layout types 1 and 2.
int kv5_ProbeBytes(const uint8_t* data, size_t size, ImageFileInfo* info);
int kv5_Probe(const char* path, ImageFileInfo* info);

// How many bytes from the file's start kv5_LoadBytes / kv5_ProbeBytes can use, judged
// from its first bytes (pass at least 52); one more than a stream can fill when the
// stream runs to the end of the file, so an oversized file still shows as such.
size_t kv5_LoadExtent(const uint8_t* head, size_t n);
size_t kv5_ProbeExtent(const uint8_t* head, size_t n);

// "<user>, <day> <Mon>, <year>"; the month name is taken at |month - 1| mod 12.
void kv5_FormatAuthor(char out[128], const char* user, int day, int month, int year);

// ---- shared with the tiled reader ----

// Undoes a codec list from slot 15 down: the stream is read where it lies, results
// alternate between two work buffers of cap bytes, made only when needed and handed
// back in buf[] (the caller frees both, on failure too). Undefined identifiers stop
// with "Unknown Codec" or, with skipUnknown, are passed over. 255 sets isProtected and
// fails when quiet. On 1, *result / *resultSize is the decoded stream — or, when
// `last` is given (the last stage must then be a decoder), that stage wrote into
// `last`, *result is null and *resultSize is its total.
int kv5_UndoCodecs(const uint8_t codecList[16], const uint8_t* stream, size_t n, size_t cap,
                   int skipUnknown, ImageFileInfo* info, uint8_t* buf[2], Kv5Sink* last,
                   const uint8_t** result, size_t* resultSize);
// Identifier of the stage undone last (0 when the list does nothing).
int kv5_LastStage(const uint8_t codecList[16], int skipUnknown);
// File shell of a reader: reads the first `first` bytes, then as many as extent()
// says the reader can use, and hands them to `load`.
typedef int (*Kv5BytesLoader)(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int kv5_LoadFile(const char* path, size_t first, size_t (*extent)(const uint8_t*, size_t),
                 Kv5BytesLoader load, Surface* out, ImageFileInfo* info);
