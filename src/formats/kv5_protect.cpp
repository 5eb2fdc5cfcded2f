// kv5_protect.cpp — password layer: asks through the seam, adds or removes the key.
#include "formats/kv5_protect.h"
#include <cstring>
#include "formats/rdwr.h"
#include "platform/refusal.h"
#include "platform/ui.h"

namespace {

void CopyText(char* dst, size_t room, const char* src) {
    size_t len = strnlen(src, room - 1);
    std::memcpy(dst, src, len);
    std::memset(dst + len, 0, room - len);
}

// Shows the password prompt; 1 when the user applied it (`fields` then hold the answer).
int AskPassword(int mode, const char* hint, Kv5PasswordFields* fields) {
    UiPrompt p{};
    p.name = KV5_PASSWORD_PROMPT;
    p.mode = mode;
    p.inText = hint;
    if (!ui_Prompt(&p) || p.result != 1) return 0;
    CopyText(fields->password, sizeof fields->password, p.text1);
    if (mode == 1) {
        // The dialog only applies when both entries matched.
        CopyText(fields->confirm, sizeof fields->confirm, p.text1);
        CopyText(fields->hint, sizeof fields->hint, p.text2);
    }
    return 1;
}

}  // namespace

int kv5_AskNewPassword(Kv5PasswordFields* fields) { return AskPassword(1, "", fields); }

size_t kv5_Protect(uint8_t* out, size_t cap, const uint8_t* in, size_t n, const char* password, const char* hint) {
    if (!out || cap < KV5_PROTECT_HEADER || n > cap - KV5_PROTECT_HEADER) return 0;
    const uint8_t* key = (const uint8_t*)password;
    size_t keyLen = password ? strnlen(password, KV5_PASSWORD_MAX) : 0;
    if (keyLen == 0) return 0;  // an empty password protects nothing: save unprotected
    uint32_t sum = 0;
    uint8_t* cipher = out + KV5_PROTECT_HEADER;
    for (size_t i = 0, k = 0; i < n; i++) {
        cipher[i] = (uint8_t)(in[i] + key[k]);
        sum += in[i];
        if (++k == keyLen) k = 0;
    }
    std::memset(out, 0, KV5_PROTECT_HEADER);
    out[0] = (uint8_t)KV5_PROTECT_HEADER;
    if (hint) std::memcpy(out + 1, hint, strnlen(hint, KV5_HINT_MAX));
    wr_U32At(out + 68, sum);
    return n + KV5_PROTECT_HEADER;
}

size_t kv5_Unprotect(uint8_t* out, size_t cap, const uint8_t* in, size_t n) {
    if (!in || !out || n == 0) return refuse_With("no data");
    const size_t h = in[0];
    if (h >= n) return refuse_With("truncated password layer");
    if (n - h > cap) return refuse_With("output too large");
    uint8_t head[KV5_PROTECT_HEADER] = {};
    std::memcpy(head, in, h < KV5_PROTECT_HEADER ? h : KV5_PROTECT_HEADER);
    char hint[KV5_HINT_MAX + 1];
    CopyText(hint, sizeof hint, (const char*)head + 1);
    const uint32_t stored = h >= KV5_PROTECT_HEADER ? rd_U32At(head, 68) : 0;
    const size_t len = n - h;

    Kv5PasswordFields asked{};
    if (!AskPassword(0, hint, &asked)) return refuse_With("no password given");
    for (;;) {
        size_t keyLen = std::strlen(asked.password);
        if (keyLen == 0) {
            ui_MessageBox("Please enter a valid password.", "No Password", UI_ICONWARNING);
            if (!AskPassword(0, hint, &asked)) return refuse_With("no password given");
            continue;
        }
        const uint8_t* key = (const uint8_t*)asked.password;
        uint32_t sum = 0;
        for (size_t i = 0, k = 0; i < len; i++) {
            out[i] = (uint8_t)(in[h + i] - key[k]);
            sum += out[i];
            if (++k == keyLen) k = 0;
        }
        if (stored == 0) {
            if (sum != 0)
                ui_MessageBox("The password you entered has been\napplied without validation. If the\n"
                              "image is corrupted, it's incorrect.\n",
                              "Skipping Validation", UI_ICONWARNING);
            return len;
        }
        if (sum == stored) return len;
        ui_MessageBox("The password you entered is incorrect.", "Wrong Password", UI_ICONWARNING);
        if (!AskPassword(0, hint, &asked)) return refuse_With("wrong password");
    }
}
