// format_support.h — helpers of the image file tests: little-endian byte building,
// loading from bytes, the KV5 writer's settings, KV5 files put together by hand.
#pragma once
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>
#include "engine/surface.h"
#include "formats/dispatch.h"
#include "formats/imageinfo.h"
#include "formats/kv5_codec.h"
#include "formats/kv5_file.h"
#include "formats/kv5_protect.h"
#include "formats/ppm_file.h"
#include "platform/refusal.h"
#include "platform/sysio.h"
#include "settings/settings.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace ftest {

typedef std::vector<uint8_t> Bytes;
typedef int (*BytesLoader)(Surface*, const uint8_t*, size_t, ImageFileInfo*);

inline void PutU16(Bytes& b, size_t at, uint32_t v) {
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}
inline void PutU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}
inline uint32_t GetU16(const Bytes& b, size_t at) { return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8; }
inline uint32_t GetU32(const Bytes& b, size_t at) { return GetU16(b, at) | GetU16(b, at + 2) << 16; }
inline void Add16(Bytes& b, uint32_t v) { b.push_back((uint8_t)v), b.push_back((uint8_t)(v >> 8)); }
inline void Add32(Bytes& b, uint32_t v) { Add16(b, v & 0xFFFF), Add16(b, v >> 16); }
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes r;
    for (const Bytes& p : parts) r.insert(r.end(), p.begin(), p.end());
    return r;
}
inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
// Little-endian fields of a file: offset, width in bytes (1, 2 or 4), value.
struct Field {
    size_t at;
    int bytes;
    uint32_t value;
};
inline void ExpectFields(const Bytes& f, std::initializer_list<Field> fields) {
    for (const Field& d : fields) {
        ASSERT_LE(d.at + d.bytes, f.size()) << "offset " << d.at;
        const uint32_t got = d.bytes == 4 ? GetU32(f, d.at) : d.bytes == 2 ? GetU16(f, d.at) : f[d.at];
        EXPECT_EQ(got, d.value) << "offset " << d.at;
    }
}
// FNV-1a of bytes: the golden hashes of decoded images and streams.
inline uint32_t Fnv(const void* data, size_t n) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; i++) h = (h ^ ((const uint8_t*)data)[i]) * 16777619u;
    return h;
}
// What a memory writer hands over, as a vector (its block freed); empty when it refuses.
template <int (*Save)(Surface*, uint8_t**, size_t*)>
Bytes Saved(Surface* s) {
    uint8_t* data;
    size_t size;
    if (!Save(s, &data, &size)) return {};
    Bytes v(data, data + size);
    std::free(data);
    return v;
}
// The PPM writer in its text (0) or binary (1) form, for Saved.
template <int Binary>
int PpmSave(Surface* s, uint8_t** data, size_t* size) { return ppm_SaveBytes(s, Binary, data, size); }

// A load into a fresh surface, from bytes or from a file; on refusal the words stay
// empty and `why` holds the reason.
struct Loaded {
    int ok = 0;
    uint32_t w = 0, h = 0;
    std::vector<uint32_t> px;
    std::string why;
    ImageFileInfo info{};
    uint32_t at(uint32_t x, uint32_t y) const { return px[(size_t)y * w + x]; }
};
// `load` is called with a fresh surface and the info record.
template <class LoadInto>
Loaded LoadVia(LoadInto load, int quiet) {
    Loaded r;
    Surface s{};
    r.info.quiet = (uint8_t)quiet;
    r.ok = load(&s, &r.info);
    r.why = refuse_Reason();
    if (r.ok) {
        r.w = s.width;
        r.h = s.height;
        r.px = WordsOf(&s);
        srf_Destroy(&s);
    }
    EXPECT_TRUE(r.ok || !s.created) << "a refusal left a surface behind";
    return r;
}
inline Loaded LoadWith(BytesLoader load, const Bytes& bytes, int quiet = 1) {
    return LoadVia([&](Surface* s, ImageFileInfo* i) { return load(s, bytes.data(), bytes.size(), i); }, quiet);
}
// A load of a file through the dispatcher's chain (which may rewrite the name).
inline Loaded LoadFile(const std::string& path, int quiet = 1) {
    return LoadVia([&](Surface* s, ImageFileInfo* i) {
        char name[KV_MAX_PATH];
        std::snprintf(name, sizeof name, "%s", path.c_str());
        return img_LoadFile(s, name, i);
    }, quiet);
}

// Headers of the exchange formats. BMP: file and info header (`header` bytes of the
// 40-byte layout), `gap` bytes of palette or masks, then `pixels`.
inline Bytes Bmp(int32_t w, int32_t h, int bits, int compression, const Bytes& gap, const Bytes& pixels,
                 int planes = 1, uint32_t header = 40, uint32_t coloursUsed = 0) {
    Bytes info;
    for (uint32_t v : {header, (uint32_t)w, (uint32_t)h}) Add32(info, v);
    Add16(info, (uint32_t)planes);
    Add16(info, (uint32_t)bits);
    for (uint32_t v : {(uint32_t)compression, 0u, 0u, 0u, coloursUsed, 0u}) Add32(info, v);
    info.resize(header);
    Bytes b = {'B', 'M'};
    Add32(b, (uint32_t)(14 + header + gap.size() + pixels.size()));
    Add32(b, 0);
    Add32(b, (uint32_t)(14 + header + gap.size()));
    return Cat({b, info, gap, pixels});
}
// PCX header, window from (0, 0).
inline Bytes Pcx(int version, int w, int h, int planes, int bpl, int bits = 8) {
    Bytes b(128, 0);
    b[0] = 10, b[1] = (uint8_t)version, b[2] = 1, b[3] = (uint8_t)bits;
    PutU16(b, 8, (uint32_t)(w - 1));
    PutU16(b, 10, (uint32_t)(h - 1));
    b[65] = (uint8_t)planes;
    PutU16(b, 66, (uint32_t)bpl);
    return b;
}
// TGA header; a colour map is declared when mapLen is not 0.
inline Bytes Tga(int type, int w, int h, int depth, int desc = 0, int mapLen = 0, int mapFirst = 0,
                 int mapBits = 0, int idLen = 0) {
    Bytes b(18, 0);
    b[0] = (uint8_t)idLen, b[1] = mapLen ? 1 : 0, b[2] = (uint8_t)type, b[7] = (uint8_t)mapBits;
    PutU16(b, 3, (uint32_t)mapFirst);
    PutU16(b, 5, (uint32_t)mapLen);
    PutU16(b, 12, (uint32_t)w);
    PutU16(b, 14, (uint32_t)h);
    b[16] = (uint8_t)depth, b[17] = (uint8_t)desc;
    return b;
}

// KV5 writer options as the program's save builds them: a level, asking for a
// password (answers come from QueuePassword) or not, an author tag with `user` or
// none. Clears the scripted seam, so a test sees only what the save does.
inline Kv5SaveOptions WriterOptions(int level, int askPassword, int author, const char* user = "Tester") {
    uiscript_Reset();
    Kv5SaveOptions o{};
    o.level = level;
    o.askPassword = askPassword;
    o.author = author ? user : nullptr;
    return o;
}

inline Bytes Kv5SaveBytes(Surface* s, const Kv5SaveOptions* options = nullptr) {
    Kv5Encoded e;
    if (!kv5_SaveBytes(s, options, &e)) return {};
    Bytes file(e.head, e.head + e.headSize);
    file.insert(file.end(), e.stream, e.stream + e.streamSize);
    kv5_FreeEncoded(&e);
    return file;
}

// Applies codecs in order to plane data.
inline Bytes Chain(Bytes data, std::initializer_list<int> codecs) {
    for (int c : codecs) {
        Bytes out(data.size() + 64);
        size_t n = kv5_Encode(c, data.data(), data.size(), out.data(), out.size());
        EXPECT_GT(n, 0u) << "codec " << c;
        out.resize(n);
        data = out;
    }
    return data;
}

// A current-layout KV5 file put together by hand.
struct FileSpec {
    uint32_t headerSize = 52;
    uint16_t version = 3, layout = 2, width = 1, height = 1, model = 0;
    uint8_t planes = 3;
    std::vector<int> codecs;        // slots from 0; 255 goes to slot 15
    Bytes stream;
    std::vector<uint32_t> palette;  // written when not empty
    bool legacyPalette = false;     // count in the header word at 48, no count word
    std::string author;             // author tag block when not empty
    bool dataSizeZero = false;
};

inline Bytes BuildFile(const FileSpec& f) {
    Bytes b(141, 0);
    std::memcpy(b.data(), "_KV5", 4);
    PutU32(b, 4, f.headerSize);
    PutU16(b, 8, f.version);
    PutU16(b, 10, f.layout);
    PutU16(b, 12, f.width);
    PutU16(b, 14, f.height);
    PutU16(b, 16, f.model);
    b[18] = f.planes;
    int slot = 0;
    for (int c : f.codecs) b[28 + (c == 255 ? 15 : slot++)] = (uint8_t)c;
    if (!f.author.empty()) {
        PutU32(b, 48, (uint32_t)b.size());
        Bytes block(129, 0);
        block[0] = 129;
        std::memcpy(block.data() + 1, f.author.data(), f.author.size());
        b.insert(b.end(), block.begin(), block.end());
    }
    if (!f.palette.empty()) {
        PutU32(b, 44, (uint32_t)b.size());
        if (f.legacyPalette) PutU32(b, 48, (uint32_t)f.palette.size());
        else Add32(b, (uint32_t)f.palette.size());
        for (uint32_t v : f.palette) Add32(b, v);
    }
    PutU32(b, 20, (uint32_t)b.size());
    PutU32(b, 24, f.dataSizeZero ? 0 : (uint32_t)f.stream.size());
    b.insert(b.end(), f.stream.begin(), f.stream.end());
    return b;
}

// A file of the old tiled layout: a 40-byte header, the tile stream right after it.
inline Bytes TiledFile(uint16_t w, uint16_t h, const Bytes& stream, std::vector<int> codecs = {}, uint16_t layout = 0,
                       uint32_t headerSize = 40) {
    Bytes b(40, 0);
    std::memcpy(b.data(), "_KV5", 4);
    for (auto [at, v] : {std::pair<size_t, uint32_t>{8, 7}, {10, layout}, {12, w}, {14, h}}) PutU16(b, at, v);
    PutU32(b, 4, headerSize);
    PutU32(b, 16, 40);
    PutU32(b, 20, (uint32_t)stream.size());
    for (size_t i = 0; i < codecs.size(); i++) b[24 + (codecs[i] == 255 ? 15 : i)] = (uint8_t)codecs[i];
    return Cat({b, stream});
}

inline void QueuePassword(const char* password, const char* hint = "", int result = 1) {
    UiScriptedAnswer a;
    a.result = result;
    a.text1 = password;
    a.text2 = hint;
    uiscript_QueuePrompt(KV5_PASSWORD_PROMPT, a);
}

}  // namespace ftest
