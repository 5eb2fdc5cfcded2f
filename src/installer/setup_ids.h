// setup_ids.h — resource ids of the installer, shared by resources/installer.rc, the
// generated payload script and the code. Payload rows are resources of the type
// "FILEDATA" by these numbers.
#pragma once

#define SETUP_RES_TYPE "FILEDATA"

#define IDR_PAY_PROGRAM 128
#define IDR_PAY_README 130
#define IDR_PAY_JPEG 131
#define IDR_PAY_CANDLE 132
#define IDR_PAY_PNG 139
#define IDR_PAY_IMAGING 140
#define IDR_PAY_HELP 142
#define IDR_LICENCE 144
#define IDR_PAY_WATERS 145
#define IDR_PAY_TREES 146
#define IDR_PAY_SUNSET 147
#define IDR_PAY_STAR 149
#define IDR_PAY_FLAME 150
#define IDR_PAY_MOON 151
#define IDR_PAY_JEWEL 152
#define IDR_PAY_F117A 153
#define IDR_SPLASH 155
#define IDR_PAY_KV5CODEC 156

#define IDI_SETUP 101

#define IDD_SETUP_WELCOME 300
#define IDD_SETUP_LICENCE 301
#define IDD_SETUP_FOLDER 302
#define IDD_SETUP_PROGRESS 303
#define IDD_SETUP_FINISH 304

#define IDC_SETUP_LICENCE_TEXT 3010
#define IDC_SETUP_FOLDER_EDIT 3020
#define IDC_SETUP_CAPTION 3030
#define IDC_SETUP_VIEW_README 3040
#define IDC_SETUP_RUN_PROGRAM 3041
#define IDC_SETUP_VIEW_HELP 3042
