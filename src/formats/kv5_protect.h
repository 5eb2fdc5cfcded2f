// kv5_protect.h — the password layer of the KV5 pixel stream (codec list value 255).
//
// Owns nothing between calls: a password lives in its caller's record or in the call.
// The user is asked through the seam's prompt KV5_PASSWORD_PROMPT: mode 1 sets a
// password while saving, mode 0 asks for it while loading (inText = the file's hint).
// The answer comes back as result 1 (Apply) or 0 (Skip), text1 = the password,
// text2 = the hint (mode 1).
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

// The password dialog's record (and the writer's, for what the prompt returned).
struct Kv5PasswordFields {
    char password[32];
    char confirm[32];
    char hint[61];
};

// Asks for a new password (mode 1). 1 when the user applied one: `fields` then holds
// the password (confirmation alike) and the hint; 0 on Skip, fields untouched.
int kv5_AskNewPassword(Kv5PasswordFields* fields);
// Writes the stream protected with `password` (its first 31 characters) and `hint`
// (60 kept; null for none) to out. Returns n + 72, or 0 when the password is null or
// empty or out (cap bytes) is too small.
size_t kv5_Protect(uint8_t* out, size_t cap, const uint8_t* in, size_t n, const char* password, const char* hint);
// Asks for the password (again after "No Password" and "Wrong Password") and writes
// the plain stream to out. Returns its length, or 0 when the user gave up or the
// layer is malformed.
size_t kv5_Unprotect(uint8_t* out, size_t cap, const uint8_t* in, size_t n);
