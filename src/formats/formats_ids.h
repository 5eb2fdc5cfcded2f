// formats_ids.h — resource ids of the file-format dialogs (resources/formats.rc).
#pragma once

#define IDD_KV5_PASSWORD 7100
#define IDC_KV5PW_HINT 7101
#define IDC_KV5PW_PASSWORD 7102
#define IDC_KV5PW_CONFIRM 7103
#define IDC_KV5PW_MASK 7104
#define IDC_KV5PW_HINT_LABEL 7105
#define IDC_KV5PW_PASSWORD_LABEL 7106
#define IDC_KV5PW_CONFIRM_LABEL 7107

// Icon picker "Select a resource to load": 7200-7299.

// "Loader Error": 7300-7399.

// File dialog preview panel: 7400-7499.
