// size_ids.h — resource ids of the picture-size, resize and size-preset dialogs
// (shared by resources/panels_size.rc and the code).
#pragma once

#define IDD_PICTURE_SIZE 140
#define IDD_RESIZE 274
#define IDD_SIZE_PRESETS 282

#define IDC_SIZE_ASPECT 1011
#define IDC_SIZE_RESAMPLE 1012
#define IDC_SIZE_WIDTH 1020
#define IDC_SIZE_HEIGHT 1021
// "Dimensions:" and "X" of the size dialogs, the group labels of the preset dialog.
#define IDC_SIZE_LABEL1 1030
#define IDC_SIZE_LABEL2 1031
#define IDC_SIZE_PRESETS 1050

// The preset buttons are 3..9 in the order of the preset table; 9 is the desktop.
#define IDC_PRESET_FIRST 3
#define IDC_PRESET_DESKTOP 9
