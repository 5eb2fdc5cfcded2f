// panels_ids.h — resource ids of the tool-settings window and the colour dialogs
// (shared by resources/panels.rc and the code), and the commands of the colour
// bar's quick buttons.
#pragma once

#define IDD_PALETTE 104
#define IDD_TOOL_SETTINGS 105
#define IDD_MANUAL_RGB 246

#define IDC_RGB_RED 1006
#define IDC_RGB_GREEN 1007
#define IDC_RGB_BLUE 1008
#define IDC_PAL_MANUAL 1010
#define IDC_PAL_HELP 1011
#define IDC_TSET_LABEL0 1030   // width, level, alpha #1, alpha #2 labels: 1030..1033
#define IDC_TSET_BAR0 1040     // and their scroll bars: 1040..1043

// The quick buttons' commands, in button order.
#define CMD_TOOL_OPTIONS 40023
#define CMD_COLOR_PALETTE 40105
#define CMD_PREVIEW 40061
#define CMD_TOOL_HELP 40034
