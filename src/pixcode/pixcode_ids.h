// pixcode_ids.h — resource ids of the programming window, shared by its template and
// its code.
#pragma once

#define IDD_PIXCODE 211
#define IDC_PIX_DONE 6
#define IDC_PIX_HELP 3
#define IDC_PIX_EDIT 1006
#define IDC_PIX_HEADING 1030
#define IDC_PIX_MODEL 1031
