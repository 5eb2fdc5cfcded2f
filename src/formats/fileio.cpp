// fileio.cpp — portable halves of whole-file reading and safe replacing.
#include "formats/fileio.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "platform/refusal.h"
#include "platform/safewrite.h"
#include "platform/sysio.h"

namespace {
const size_t FIRST_CHUNK = 64 * 1024;
}

int fio_ReadPrefix(const char* path, size_t limit, uint8_t** data, size_t* size) {
    *data = nullptr;
    *size = 0;
    std::FILE* f = sio_Open(path, "rb", SIO_SHARE_READ);
    if (!f) return refuse_With("cannot open file");
    size_t room = limit < FIRST_CHUNK ? limit : FIRST_CHUNK;
    uint8_t* buf = (uint8_t*)std::malloc(room ? room : 1);
    size_t got = 0;
    int ok = buf != nullptr;
    while (ok && got < limit) {
        if (got == room) {  // grow geometrically, never past the limit
            size_t next = room > limit / 2 ? limit : room * 2;
            uint8_t* grown = (uint8_t*)std::realloc(buf, next);
            if (!grown) {
                ok = 0;
                break;
            }
            buf = grown;
            room = next;
        }
        size_t n = std::fread(buf + got, 1, room - got, f);
        got += n;
        if (n == 0) {
            if (std::ferror(f)) ok = 0;
            break;
        }
    }
    std::fclose(f);
    if (!ok) {
        std::free(buf);
        return refuse_With("cannot read file");
    }
    *data = buf;
    *size = got;
    return 1;
}

int fio_LoadFile(const char* path, size_t limit, FioLoadBytes loadBytes, Surface* out, ImageFileInfo* info) {
    uint8_t* data;
    size_t size;
    refuse_Clear();
    if (!path) return refuse_With("no path");
    if (!fio_ReadPrefix(path, limit, &data, &size)) return 0;
    int ok = loadBytes(out, data, size, info);
    std::free(data);
    return ok;
}

int fio_WriteBlock(const char* path, uint8_t* data, size_t size) {
    SwrPiece piece = {data, size};
    int ok = path ? swr_WriteReplace(path, &piece, 1) : refuse_With("no path");
    std::free(data);
    return ok;
}

int fio_SaveFile(Surface* s, const char* path, FioSaveBytes saveBytes) {
    uint8_t* data;
    size_t size;
    refuse_Clear();
    if (!path) return refuse_With("no path");
    if (!saveBytes(s, &data, &size)) return 0;
    return fio_WriteBlock(path, data, size);
}
