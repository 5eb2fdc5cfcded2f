// fx_ids.h — resource ids of the effect, transform and matrix dialogs (shared by
// resources/panels_effects.rc and the code).
#pragma once

#define IDD_MATRIX 253
#define IDD_EFFECT 267
#define IDD_TRANSFORM 276

#define IDC_FX_PREVIEW 3
#define IDC_MATRIX0 1006       // the nine matrix fields: 1006..1014, row by row
#define IDC_FX_RED 1011        // channel boxes 1011..1014: red, green, blue, alpha
#define IDC_FX_LEVEL_TEXT 1030
#define IDC_FX_LABEL0 1031     // labels of the three bars: 1031..1033
#define IDC_FX_BAR0 1040       // level, distance, parameter: 1040..1042
#define IDC_TF_EDGE0 1090      // Left, Top, Right (Both), Bottom (None): 1090..1093
