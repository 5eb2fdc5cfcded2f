// ui_script.h — scripted user interface for tests.
// Every message box and status text is recorded in order; message boxes and prompts
// take their answers from per-title / per-name queues (a message box with no queued
// answer returns the first button of its set: OK, Yes, Retry...). After a reset the
// script stands in for the shell: commands asked through ui_PostCommand are taken
// and recorded.
#pragma once
#include <string>
#include <vector>
#include "platform/ui.h"

struct UiRecordedBox {
    std::string title, text;
    unsigned flags;
    int answer;
};

struct UiScriptedAnswer {
    int result = 0;
    std::string text1, text2;
};

void uiscript_Reset();
void uiscript_QueueBox(const std::string& title, int answer);
void uiscript_QueuePrompt(const std::string& name, const UiScriptedAnswer& answer);
void uiscript_SetEscape(int pressed);
const std::vector<UiRecordedBox>& uiscript_Boxes();
// The boxes shown so far, each as "title: text".
std::vector<std::string> uiscript_BoxLines();
const std::vector<std::string>& uiscript_Statuses();
const std::vector<std::string>& uiscript_PromptsAsked();
// The inText of each prompt asked, in the same order.
const std::vector<std::string>& uiscript_PromptTexts();
// Wait-cursor calls still open (0 when every show was matched by a removal).
int uiscript_WaitDepth();
// Beeps and tones together.
int uiscript_BeepCount();
// Milliseconds asked of ui_Sleep (the scripted seam does not sleep).
unsigned uiscript_SleptMs();
// UI_VIEW_* bits asked of ui_ViewChanged since the last reset.
unsigned uiscript_ViewChanges();
// Commands asked of the shell since the last reset, in order.
const std::vector<int>& uiscript_Commands();
