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
#define IDD_ICON_PICK 7200
#define IDC_ICOPICK_PICTURE 7201
#define IDC_ICOPICK_COUNTER 7202
#define IDC_ICOPICK_NEXT 7203
#define IDC_ICOPICK_PREV 7204

// "Loader Error": 7300-7399.
#define IDD_LOADER_ERROR 7300
#define IDC_LDERR_HEADING 7301
#define IDC_LDERR_TEXT 7302
#define IDC_LDERR_LINK 7303

// File dialog preview panel: 7400-7499.
#define IDD_FILE_PREVIEW 7400
#define IDC_FDP_BOX 7401
#define IDC_FDP_SHOW 7402
#define IDC_FDP_BLACK 7403
#define IDC_FDP_INFO 7404
#define IDC_FDP_PATH 7405
#define IDC_FDP_HELP 7406
// Where the file dialog puts its own controls inside the panel template (stc32).
#define IDC_FDP_STANDARD 0x045F
