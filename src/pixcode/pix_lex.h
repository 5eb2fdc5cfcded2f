// pix_lex.h — the first two compiler steps: removing comments and splitting the text
// into tokens, both driven by one character-class table.
//
// Comments: "//" starts one, which runs up to (not including) the next ";", CR, LF
// or the end of the text — so a semicolon also ends a comment.
// Tokens: space, tab, CR, LF and "," separate words and make no token; ";" separates
// and is a token; "+-*/%&|=<>(){" are one-character tokens where a token starts and
// ordinary characters inside a word ("a+b" is one word); everything else, "}"
// included, is a word character. A word has at most PIX_WORD_MAX characters and a
// program at most PIX_TOKENS tokens: the sizes of the token records.
#pragma once
#include <cstdint>

const int PIX_TOKENS = 512;
const int PIX_WORD_MAX = 31;

struct PixToken {
    char text[PIX_WORD_MAX + 1];
    int32_t present;
};

// Copies at most PIX_TEXT_MAX characters of `text` into `out` (PIX_TEXT_SIZE bytes)
// without comments, A-Z lowered. 0 when the text is empty (or null).
int pix_StripComments(const char* text, char* out);
// Tokens of `text` into `tokens` (room for PIX_TOKENS); 0 when there is no token, a
// word is too long or there are too many tokens.
int pix_Tokenize(const char* text, PixToken* tokens, int* count);
