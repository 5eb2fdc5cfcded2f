// document_ids.h — resource ids of the document's dialogs (shared by document.rc
// and the code).
#pragma once

#define IDD_BORDER_SIZE 273
#define IDD_SELECT_TARGET 275

#define IDC_BORDER_EDIT 2730
#define IDC_BORDER_SPIN 2731
#define IDC_BORDER_APPLY 2732
#define IDC_BORDER_DISCARD 2733

#define IDC_TARGET_SPRITE 2750
#define IDC_TARGET_MAIN 2751
