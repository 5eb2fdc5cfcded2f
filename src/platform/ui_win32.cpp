// ui_win32.cpp — the user-interface seam for the program: real message boxes, the
// status line, sounds, the wait cursor, a cheap Escape poll and the prompt registry.
// The owner window and the command handler are the core's (ui_owner_win32.cpp,
// ui_command.cpp): every seam shares them.
#include "platform/ui.h"
#include <cstring>
#include "platform/ui_win32.h"

namespace {

struct PromptSlot {
    char name[64];
    UiPromptHandler handler;
};

struct UiState {
    HWND status;
    int waitDepth;
    HCURSOR savedCursor;
    ULONGLONG lastEscapeSample;
    int escapeDown;
    UiwViewHandler view;
    PromptSlot prompts[32];
    int promptCount;
};
UiState g_ui;

// Escape is sampled at most this often; a poll in between returns the last sample.
const ULONGLONG ESCAPE_SAMPLE_MS = 4;

}  // namespace

void uiw_SetStatusLine(HWND statusLine) { g_ui.status = statusLine; }

int ui_MessageBox(const char* text, const char* title, unsigned flags) {
    return MessageBoxA(uiw_Owner(), text ? text : "", title ? title : "", flags);
}

void ui_SetStatus(const char* text) {
    if (g_ui.status && IsWindow(g_ui.status)) {
        SetWindowTextA(g_ui.status, text ? text : "");
        UpdateWindow(g_ui.status);
    }
}

void ui_Beep(unsigned type) { MessageBeep(type ? type : 0xFFFFFFFFu); }

void uiw_SetViewHandler(UiwViewHandler handler) { g_ui.view = handler; }

void ui_ViewChanged(unsigned what) {
    if (g_ui.view) g_ui.view(what);
}

void ui_Tone(unsigned hertz, unsigned ms) { Beep(hertz, ms); }
void ui_Sleep(unsigned ms) { Sleep(ms); }

void ui_WaitCursor(int on) {
    if (on) {
        if (g_ui.waitDepth++ == 0) g_ui.savedCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    } else if (g_ui.waitDepth > 0 && --g_ui.waitDepth == 0) {
        SetCursor(g_ui.savedCursor ? g_ui.savedCursor : LoadCursor(nullptr, IDC_ARROW));
    }
}

int ui_EscapePressed() {
    ULONGLONG now = GetTickCount64();
    if (now - g_ui.lastEscapeSample >= ESCAPE_SAMPLE_MS || now < g_ui.lastEscapeSample) {
        g_ui.lastEscapeSample = now;
        g_ui.escapeDown = (GetAsyncKeyState(VK_ESCAPE) & 0x8001) != 0;
    }
    return g_ui.escapeDown;
}

void ui_RegisterPrompt(const char* name, UiPromptHandler handler) {
    if (!name) return;
    for (int i = 0; i < g_ui.promptCount; i++)
        if (std::strcmp(g_ui.prompts[i].name, name) == 0) {
            g_ui.prompts[i].handler = handler;
            return;
        }
    if (g_ui.promptCount >= (int)(sizeof g_ui.prompts / sizeof g_ui.prompts[0])) return;
    PromptSlot& slot = g_ui.prompts[g_ui.promptCount++];
    std::strncpy(slot.name, name, sizeof slot.name - 1);
    slot.name[sizeof slot.name - 1] = 0;
    slot.handler = handler;
}

int ui_Prompt(UiPrompt* prompt) {
    if (!prompt || !prompt->name) return 0;
    for (int i = 0; i < g_ui.promptCount; i++)
        if (std::strcmp(g_ui.prompts[i].name, prompt->name) == 0 && g_ui.prompts[i].handler)
            return g_ui.prompts[i].handler(prompt);
    return 0;
}
