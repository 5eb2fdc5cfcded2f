// kv5_password_win32.h — the "Please Enter Password" dialog of the KV5 password layer.
//
// Mode 1 (saving): every field starts empty; Apply with both password fields empty
// closes with 0, unequal fields show "Passwords don't match!" and keep the dialog,
// equal ones close with 1 after reading the hint. Mode 0 (loading): the hint shows
// fields->hint read-only, the confirmation is read-only, Apply closes with 1. Skip
// closes with 0. Passwords are read up to 31 characters, the hint up to 60.
#pragma once
#include "formats/kv5_protect.h"

// fields is the dialog's in/out record (in: hint for mode 0; out: what was typed).
int kv5_PasswordDialog(int mode, Kv5PasswordFields* fields);
// Makes the dialog answer the seam's KV5_PASSWORD_PROMPT; called once at start-up.
void kv5_RegisterPasswordPrompt();
