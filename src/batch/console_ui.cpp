// console_ui.cpp — the user-interface seam for kvbatch: no windows, nobody to ask.
// Messages and questions get the batch's answers (pipeline.h); status texts, sounds
// and cursors have no one to see them; an interruption (Ctrl+C) is the Escape key.
// Linked into kvbatch only, in place of the program's seam or the tests' scripted one.
#include <chrono>
#include <thread>
#include "batch/jobs.h"
#include "batch/pipeline.h"
#include "platform/ui.h"

int ui_MessageBox(const char* text, const char* title, unsigned flags) { return bpl_AnswerBox(text, title, flags); }
void ui_SetStatus(const char*) {}
void ui_Beep(unsigned) {}
void ui_Tone(unsigned, unsigned) {}
void ui_Sleep(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void ui_ViewChanged(unsigned) {}
void ui_WaitCursor(int) {}
int ui_EscapePressed() { return bjob_Interrupted(); }
void ui_RegisterPrompt(const char*, UiPromptHandler) {}
int ui_Prompt(UiPrompt*) { return 0; }  // nobody to ask (pipeline.h)
