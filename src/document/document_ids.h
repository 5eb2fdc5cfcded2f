// document_ids.h — resource ids of the document's dialogs (shared by document.rc
// and the code), and the menu and command the tools open in the shell.
#pragma once

#define IDD_BORDER_SIZE 273
#define IDD_SELECT_TARGET 275

#define IDC_BORDER_EDIT 2730
#define IDC_BORDER_SPIN 2731
#define IDC_BORDER_APPLY 2732
#define IDC_BORDER_DISCARD 2733

#define IDC_TARGET_SPRITE 2750
#define IDC_TARGET_MAIN 2751

// The sprite's pop-up menu (in the shell's script) and the Text-Art window's command.
#define IDR_SPRITE_MENU 193
#define CMD_TEXTART 40024
