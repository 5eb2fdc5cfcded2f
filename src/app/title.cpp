// title.cpp — current file name and title text.
#include "app/title.h"
#include <cstring>
#include "document/document.h"
#include "platform/utf8.h"

namespace {

const char TITLE_BASE[] = "Kelvara 1.80";

struct TitleState {
    char text[64];
};
TitleState g_title;

void CopyCut(char* out, size_t cap, const char* from, size_t len) {
    if (cap == 0) return;
    len = u8_HeadLength(from, len, cap - 1);
    std::memcpy(out, from, len);
    out[len] = 0;
}

}  // namespace

void ttl_ShownName(const char* fileName, char* out, size_t cap) {
    if (!out || cap == 0) return;
    out[0] = 0;
    if (!fileName) return;
    size_t len = std::strlen(fileName);
    if (len <= (size_t)TTL_MAX_SHOWN) {
        CopyCut(out, cap, fileName, len);
        return;
    }
    const char* back = std::strrchr(fileName, '\\');
    const char* fwd = std::strrchr(fileName, '/');
    const char* sep = back > fwd ? back : fwd;
    if (!sep) {
        const size_t start = u8_TailStart(fileName, len, TTL_MAX_SHOWN);
        CopyCut(out, cap, fileName + start, len - start);
        return;
    }
    const char* part = sep + 1;
    size_t partLen = std::strlen(part);
    if (partLen <= (size_t)TTL_MAX_SHOWN) {
        CopyCut(out, cap, part, partLen);
        return;
    }
    const size_t keep = (TTL_MAX_SHOWN - 4) / 2;  // 10 + "..." + 10
    const size_t head = u8_HeadLength(part, partLen, keep), tail = u8_TailStart(part, partLen, keep);
    char shown[2 * keep + 4];
    std::memcpy(shown, part, head);
    std::memcpy(shown + head, "...", 3);
    std::memcpy(shown + head + 3, part + tail, partLen - tail);
    const size_t n = head + 3 + partLen - tail;
    shown[n] = 0;
    CopyCut(out, cap, shown, n);
}

void SetTitle(const char* name) {
    if (name) doc_SetFileName(name);
    std::strcpy(g_title.text, TITLE_BASE);
    if (!doc_IsUntitled() && doc_FileName()[0]) {
        char shown[TTL_MAX_SHOWN + 1];
        ttl_ShownName(doc_FileName(), shown, sizeof shown);
        std::strcat(g_title.text, " - [ ");
        std::strcat(g_title.text, shown);
        std::strcat(g_title.text, " ]");
    }
    ttl_Show(g_title.text);
}

const char* ttl_Text() { return g_title.text; }
