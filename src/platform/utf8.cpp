// utf8.cpp — cuts on character boundaries (utf8.h).
#include "platform/utf8.h"
#include <cstring>

namespace {

// 10xxxxxx continues a character; any other byte starts one.
bool Continues(char c) { return ((unsigned char)c & 0xC0) == 0x80; }

}  // namespace

size_t u8_HeadLength(const char* s, size_t len, size_t max) {
    if (len <= max) return len;
    size_t n = max;
    while (n > 0 && Continues(s[n])) n--;
    return n;
}

size_t u8_TailStart(const char* s, size_t len, size_t max) {
    size_t start = len > max ? len - max : 0;
    while (start < len && Continues(s[start])) start++;
    return start;
}

size_t u8_CopyCut(char* out, size_t cap, const char* text) {
    if (!out || cap == 0) return 0;
    std::memset(out, 0, cap);
    if (!text) return 0;
    size_t n = u8_HeadLength(text, std::strlen(text), cap - 1);
    std::memcpy(out, text, n);
    return n;
}

size_t u8_CharsHead(const char* s, size_t len, size_t chars) {
    size_t n = 0;
    for (size_t seen = 0; n < len; n++) {
        if (!Continues(s[n]) && seen++ == chars) break;
    }
    return n;
}
