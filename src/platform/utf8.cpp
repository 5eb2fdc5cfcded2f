// utf8.cpp — cuts on character boundaries (utf8.h).
#include "platform/utf8.h"

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
