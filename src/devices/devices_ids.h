// devices_ids.h — resource ids of the built-in devices' dialogs (devices.rc and code).
#pragma once

#define IDD_SCREEN_CAPTURE 285
#define IDD_ICON_CREATOR 286

#define IDC_CAPTURE_POINTER 2850
#define IDC_ICON_PICTURE 2860
#define IDC_ICON_SAVE 2861
#define IDC_ICON_DISCARD 2862

#define IDD_PRINT 287
#define IDC_PRINT_CONFIGURE 3
#define IDC_PRINT_WIDTH 1006
#define IDC_PRINT_HEIGHT 1007
#define IDC_PRINT_BRIGHTEN 1011
#define IDC_PRINT_PREVIEW 1030
#define IDC_PRINT_INFO 1031
#define IDC_PRINT_FIT0 1090   // fit, fit with border, stretch, dimensions: 1090..1093

#define IDD_PLUGIN_MANAGER 288
#define IDD_DEVICE_CHOOSER 289
#define IDC_PLG_LIST 2880
#define IDC_PLG_NAME 2881
#define IDC_PLG_INFO 2882
#define IDC_PLG_ABOUT 2883
#define IDC_PLG_CONFIGURE 2884
#define IDC_PLG_ADD 2885
#define IDC_PLG_UNINSTALL 2886
#define IDC_PLG_HELP 2887
#define IDC_PLG_LINK 2888
