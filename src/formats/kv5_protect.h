// kv5_protect.h — the password layer of the KV5 pixel stream (codec list value 255).
//
// Owns: the process-wide password, confirmation and hint buffers (32, 32 and 61
// bytes), which keep their last contents between dialogs. The user is asked through
// the seam's prompt KV5_PASSWORD_PROMPT: mode 1 sets a password while saving, mode 0
// asks for it while loading (inText = the file's hint). The answer comes back as
// result 1 (Apply) or 0 (Skip), text1 = the password, text2 = the hint (mode 1).
//
// Layer layout:
//   offset  size  content
//        0     1  header length H (written as 72)
//        1    67  hint, zero-terminated, at most 60 characters
//       68     4  u32 checksum: sum of all plain bytes mod 2^32; 0 = no validation
//        H     n  cipher byte i = plain byte i + password[i mod L] (mod 256)
// The password itself is never stored.
#pragma once
#include <cstddef>
#include <cstdint>

const char KV5_PASSWORD_PROMPT[] = "kv5_password";
const size_t KV5_PROTECT_HEADER = 72;
const int KV5_PASSWORD_MAX = 31;  // characters
const int KV5_HINT_MAX = 60;

struct Kv5PasswordFields {
    char password[32];
    char confirm[32];
    char hint[61];
};

// The process-wide buffers.
Kv5PasswordFields* kv5_PasswordFields();

// Asks for a new password and writes the protected stream to out. Returns n + 72, or
// 0 when the user chose not to protect (Skip, or both fields left empty) or out
// (cap bytes) is too small.
size_t kv5_Protect(uint8_t* out, size_t cap, const uint8_t* in, size_t n);
// Asks for the password (again after "No Password" and "Wrong Password") and writes
// the plain stream to out. Returns its length, or 0 when the user gave up or the
// layer is malformed.
size_t kv5_Unprotect(uint8_t* out, size_t cap, const uint8_t* in, size_t n);
