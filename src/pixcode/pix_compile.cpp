// pix_compile.cpp — validation, translation and the compile driver.
#include "pixcode/pix_compile.h"
#include <cstdio>
#include <cstring>
#include "pixcode/pix_program.h"
#include "platform/ui.h"

namespace {
int IsNumeral(const char* t) {
    if (t[0] != '#') return 0;
    for (const char* p = t + 1; *p; p++)
        if (*p != '-' && (*p < '0' || *p > '9')) return 0;
    return 1;
}

// The decimal value after "#", read the way the C library reads one, held to the
// 32-bit range as a 32-bit long would be.
int32_t NumeralValue(const char* t) {
    const char* p = t + 1;
    int negative = 0;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        v = v * 10 + (*p - '0');
        if (v > (int64_t)INT32_MAX + 1) v = (int64_t)INT32_MAX + 1;
    }
    if (negative) return (int32_t)-v;
    return v > INT32_MAX ? INT32_MAX : (int32_t)v;
}

void Fail(PixCompileOut* out, const char* text) {
    std::snprintf(out->error, sizeof out->error, "%s", text);
}
}  // namespace

int pix_Validate(const PixToken* tokens, int count, PixCompileOut* out) {
    for (int i = 0; i < count; i++) {
        const char* t = tokens[i].text;
        if (pix_FindCommand(t) >= 0 || pix_FindVariable(t) >= 0 || pix_IsSymbol(t) ||
            std::strcmp(t, ";") == 0 || IsNumeral(t))
            continue;
        std::snprintf(out->error, sizeof out->error,
                      "'%s' is not a recognized Pixcode command, symbol or numeral", t);
        std::snprintf(out->badToken, sizeof out->badToken, "%s", t);
        return 0;
    }
    return 1;
}

int pix_Translate(const PixToken* tokens, int count, PixCell* cells, PixCompileOut* out) {
    std::memset(cells, 0, sizeof(PixCell) * PIX_CELLS);
    int n = 0;
    for (int i = 0; i < count; i++) {
        const char* t = tokens[i].text;
        PixCell c;
        int k;
        if (t[0] == '#') {
            c = {NumeralValue(t), PIX_KIND_NUMERAL};
        } else if ((k = pix_FindCommand(t)) >= 0) {
            c = {k, PIX_KIND_COMMAND};
        } else if ((k = pix_FindVariable(t)) >= 0) {
            c = {k, PIX_KIND_VARIABLE};
        } else if (pix_IsSymbol(t) || std::strcmp(t, ";") == 0) {
            continue;
        } else {
            std::snprintf(out->error, sizeof out->error, "'%s' is not a valid token.", t);
            return 0;
        }
        if (n >= PIX_CELLS) {   // cannot happen: fewer tokens than cells
            Fail(out, "Error: Word separation failed.\nPlease check if your code contains any unusual symbols.");
            return 0;
        }
        cells[n++] = c;
    }
    return 1;
}

int pix_Compile(const char* text, PixCell* cells, PixMachine* m, Surface* target,
                PixCompileOut* out) {
    char stripped[PIX_TEXT_SIZE];
    PixToken tokens[PIX_TOKENS];
    out->error[0] = 0;
    out->badToken[0] = 0;
    std::memset(cells, 0, sizeof(PixCell) * PIX_CELLS);
    pix_InitMachine(m, target);
    ui_WaitCursor(1);
    ui_SetStatus(" Compiling macro program...");
    int count = 0;
    int ok = 0;
    if (!pix_StripComments(text, stripped)) {
        Fail(out, "Error: Comment syntax violation.\nPlease check your comments and ensure all statements end with a semi-colon.");
    } else if (!pix_Tokenize(stripped, tokens, &count)) {
        Fail(out, "Error: Word separation failed.\nPlease check if your code contains any unusual symbols.");
    } else if (pix_Validate(tokens, count, out) && pix_Translate(tokens, count, cells, out)) {
        if (pix_BuildJumpTable(cells, PIX_CELLS, m)) ok = 1;
        else Fail(out, "Error: Label Initialization failed.\nPlease check if your code contains more than 256 labels.");
    }
    ui_WaitCursor(0);
    if (!ok) ui_MessageBox(out->error, "Compiler Error", UI_OK | UI_TASKMODAL);
    return ok;
}
