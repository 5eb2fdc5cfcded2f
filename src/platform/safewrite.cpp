// safewrite.cpp — the portable half of safe replacing (contract in safewrite.h).
#include "platform/safewrite.h"
#include <cstdio>
#include <cstring>
#include "platform/refusal.h"
#include "platform/sysio.h"

void swr_TempName(const char* path, char* out, size_t cap) {
    size_t len = std::strlen(path);
    if (cap == 0) return;
    if (len == 0 || len >= cap) {
        out[0] = 0;
        return;
    }
    std::memcpy(out, path, len + 1);
    out[len - 1] = out[len - 1] == '~' ? '!' : '~';
}

void swr_TypedTempName(const char* path, char* out, size_t cap) {
    if (cap == 0) return;
    out[0] = 0;
    const char* dot = std::strrchr(path, '.');
    size_t len = std::strlen(path);
    if (!dot || dot == path || std::strpbrk(dot, "\\/") || len + 2 > cap) return;
    size_t at = (size_t)(dot - path);
    std::memcpy(out, path, at);
    out[at] = path[at - 1] == '~' ? '!' : '~';
    std::memcpy(out + at + 1, dot, len - at + 1);
}

int swr_WriteReplace(const char* path, const SwrPiece* pieces, int count) {
    if (!path || !*path) return refuse_With("no path");
    char temp[KV_MAX_PATH + 16];
    swr_TempName(path, temp, sizeof temp);
    if (!temp[0]) return refuse_With("path too long");
    std::FILE* f = sio_Open(temp, "wb", SIO_SHARE_NONE);
    if (!f) return refuse_With("cannot create file");
    int ok = 1;
    for (int i = 0; ok && i < count; i++)
        if (pieces[i].size && std::fwrite(pieces[i].data, 1, pieces[i].size, f) != pieces[i].size)
            ok = 0;
    if (ok && !sio_Commit(f)) ok = 0;
    if (std::fclose(f) != 0) ok = 0;
    if (!ok) refuse_With("short write");
    else if (!swr_Replace(temp, path)) ok = refuse_With("cannot replace file");
    if (!ok) sio_DeleteFile(temp);
    return ok;
}
