// pix_lex.cpp — comment removal and the tokenizer.
#include "pixcode/pix_lex.h"
#include <cstring>
#include "pixcode/pix_program.h"

namespace {
enum CharClass : uint8_t { CC_WORD, CC_BLANK, CC_SEMI, CC_SYMBOL };

struct ClassTable {
    uint8_t c[256];
};

constexpr ClassTable MakeClasses() {
    ClassTable t{};
    for (const char* p = " \t\r\n,"; *p; p++) t.c[(unsigned char)*p] = CC_BLANK;
    t.c[(unsigned char)';'] = CC_SEMI;
    for (const char* p = "+-*/%&|=<>(){"; *p; p++) t.c[(unsigned char)*p] = CC_SYMBOL;
    return t;
}
constexpr ClassTable kClass = MakeClasses();

inline int ClassOf(char ch) { return kClass.c[(unsigned char)ch]; }
inline int EndsComment(char ch) { return ch == ';' || ch == '\r' || ch == '\n'; }
}  // namespace

int pix_StripComments(const char* text, char* out) {
    size_t n = text ? std::strlen(text) : 0;
    if (n > PIX_TEXT_MAX) n = PIX_TEXT_MAX;
    out[0] = 0;
    if (n == 0) return 0;
    size_t o = 0;
    for (size_t i = 0; i < n;) {
        if (text[i] == '/' && i + 1 < n && text[i + 1] == '/') {
            while (i < n && !EndsComment(text[i])) i++;
            continue;
        }
        char ch = text[i++];
        out[o++] = (ch >= 'A' && ch <= 'Z') ? (char)(ch - 'A' + 'a') : ch;
    }
    out[o] = 0;
    return 1;
}

int pix_Tokenize(const char* text, PixToken* tokens, int* count) {
    int n = 0;
    *count = 0;
    for (const char* p = text; *p;) {
        int cls = ClassOf(*p);
        if (cls == CC_BLANK) {
            p++;
            continue;
        }
        const char* start = p;
        if (cls == CC_SEMI || cls == CC_SYMBOL) {
            p++;
        } else {
            while (*p && ClassOf(*p) != CC_BLANK && ClassOf(*p) != CC_SEMI) p++;
        }
        size_t len = (size_t)(p - start);
        if (len > (size_t)PIX_WORD_MAX || n >= PIX_TOKENS) return 0;
        std::memcpy(tokens[n].text, start, len);
        tokens[n].text[len] = 0;
        tokens[n].present = 1;
        n++;
    }
    *count = n;
    return n > 0;
}
