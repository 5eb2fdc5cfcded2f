// devices_ids.h — resource ids of the built-in devices' dialogs (devices.rc and code).
#pragma once

#define IDD_SCREEN_CAPTURE 285
#define IDD_ICON_CREATOR 286

#define IDC_CAPTURE_POINTER 2850
#define IDC_ICON_PICTURE 2860
#define IDC_ICON_SAVE 2861
#define IDC_ICON_DISCARD 2862
