// textart_ids.h — resource ids of the Text-Art editor and its symbol dialog, shared
// by resources/panels_textart.rc and the code. Plain numbers only, so the resource
// compiler and portable code can both include it.
#pragma once

#define IDD_TEXTART 191
#define IDD_TA_SYMBOL 281

// The editor.
#define IDC_TA_TEXT 1009
#define IDC_TA_BOLD 1011        // the seven style boxes run 1011..1017 in flag-bit order:
#define IDC_TA_ITALIC 1012      // bold, italic, underline, strikeout, center, gradient,
#define IDC_TA_UNDERLINE 1013   // right align
#define IDC_TA_STRIKEOUT 1014
#define IDC_TA_CENTER 1015
#define IDC_TA_GRADIENT 1016
#define IDC_TA_RIGHT 1017
#define IDC_TA_FONT 1020
#define IDC_TA_SIZE 1021
#define IDC_TA_STYLE 1022
#define IDC_TA_BORDER 1023
#define IDC_TA_LOGO 1030
#define IDC_TA_LEVEL 1040
#define IDC_TA_ANTIALIAS 1041
#define IDC_TA_INSERT_SYMBOL 1050
#define IDC_TA_FIT 1051
// The command the colour panels send to the open editor when colour #1 or #2 changed.
#define IDC_TA_RERENDER 65535

// The symbol dialog.
#define IDC_SYM_LIST 1060
