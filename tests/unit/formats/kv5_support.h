// kv5_support.h — shared helpers of the KV5 tests: settings for the writer, files
// built by hand, coded streams, and save/load through memory.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>
#include "formats/kv5_codec.h"
#include "formats/kv5_file.h"
#include "formats/kv5_protect.h"
#include "settings/settings.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace kv5test {

typedef std::vector<uint8_t> Bytes;

inline void PutU16(Bytes& b, size_t at, uint32_t v) {
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}
inline void PutU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}
inline uint32_t GetU32(const Bytes& b, size_t at) {
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
inline uint32_t GetU16(const Bytes& b, size_t at) { return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8; }

// The writer's settings for one test; the record is put back afterwards.
struct WriterSettings {
    SettingsRecord saved = g_settings;
    WriterSettings(int level, int password, int author, const char* user = "Tester") {
        g_settings.kv5Compression = (uint8_t)level;
        g_settings.kv5Password = (uint8_t)password;
        g_settings.authorTag = (uint8_t)author;
        std::memset(g_settings.userName, 0, sizeof g_settings.userName);
        std::memcpy(g_settings.userName, user, strnlen(user, sizeof g_settings.userName - 1));
        uiscript_Reset();
    }
    ~WriterSettings() { g_settings = saved; }
};

inline Bytes SaveBytes(Surface* s) {
    Kv5Encoded e;
    if (!kv5_SaveBytes(s, &e)) return {};
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

// A current-layout file put together by hand.
struct FileSpec {
    uint32_t headerSize = 52;
    uint16_t version = 3, layout = 2, width = 1, height = 1, model = 0;
    uint8_t planes = 3;
    std::vector<int> codecs;          // slots from 0; 255 goes to slot 15
    Bytes stream;
    std::vector<uint32_t> palette;    // written when not empty
    bool legacyPalette = false;       // count in the header word at 48, no count word
    std::string author;               // author tag block when not empty
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
        if (f.legacyPalette) {
            PutU32(b, 48, (uint32_t)f.palette.size());
        } else {
            b.resize(b.size() + 4);
            PutU32(b, b.size() - 4, (uint32_t)f.palette.size());
        }
        for (uint32_t v : f.palette) {
            b.resize(b.size() + 4);
            PutU32(b, b.size() - 4, v);
        }
    }
    PutU32(b, 20, (uint32_t)b.size());
    PutU32(b, 24, f.dataSizeZero ? 0 : (uint32_t)f.stream.size());
    b.insert(b.end(), f.stream.begin(), f.stream.end());
    return b;
}

inline void QueuePassword(const char* password, const char* hint = "", int result = 1) {
    UiScriptedAnswer a;
    a.result = result;
    a.text1 = password;
    a.text2 = hint;
    uiscript_QueuePrompt(KV5_PASSWORD_PROMPT, a);
}

}  // namespace kv5test
