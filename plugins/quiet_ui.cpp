// quiet_ui.cpp — the user-interface seam inside a DLL that runs in other programs:
// nobody of ours to ask or tell. Messages are answered as if dismissed, questions
// declined, prompts never answered; the readers it serves run quietly anyway.
#include "platform/ui.h"

int ui_MessageBox(const char*, const char*, unsigned flags) {
    return (flags & 0xF) == UI_OK ? UI_IDOK : (flags & 0xF) == UI_YESNO ? UI_IDNO : UI_IDCANCEL;
}
void ui_SetStatus(const char*) {}
void ui_Beep(unsigned) {}
void ui_Tone(unsigned, unsigned) {}
void ui_Sleep(unsigned) {}
void ui_ViewChanged(unsigned) {}
void ui_WaitCursor(int) {}
int ui_EscapePressed() { return 0; }
void ui_RegisterPrompt(const char*, UiPromptHandler) {}
int ui_Prompt(UiPrompt*) { return 0; }
