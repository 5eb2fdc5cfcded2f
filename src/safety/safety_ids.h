// safety_ids.h — resource ids of the auto-save restore dialog, shared by its template
// and its code.
#pragma once

#define IDD_AUTOSAVE_RESTORE 7500
#define IDC_AS_LIST 7501
#define IDC_AS_DELETE 7502
#define IDC_AS_DELETE_ALL 7503
#define IDC_AS_REFRESH 7504
#define IDC_AS_TEXT 7505
