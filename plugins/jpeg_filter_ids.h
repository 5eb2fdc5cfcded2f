// jpeg_filter_ids.h — resource ids of the JPEG filter's settings dialog.
#pragma once
#define IDD_JPEG_SETTINGS 100
#define IDC_JPEG_QUALITY 101
