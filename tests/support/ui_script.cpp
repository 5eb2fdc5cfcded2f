// ui_script.cpp — the scripted implementation of platform/ui.h used by tests.
#include "support/ui_script.h"
#include <cstring>
#include <deque>
#include <map>

namespace {
struct ScriptState {
    std::vector<UiRecordedBox> boxes;
    std::vector<std::string> statuses;
    std::vector<std::string> prompts;
    std::vector<std::string> promptTexts;
    std::vector<int> commands;
    std::map<std::string, std::deque<int>> boxAnswers;
    std::map<std::string, std::deque<UiScriptedAnswer>> promptAnswers;
    int escape = 0;
    int beeps = 0;
    unsigned sleptMs = 0;
    unsigned viewChanges = 0;
    int waitDepth = 0;
};
ScriptState g_script;

int DefaultAnswer(unsigned flags) {
    switch (flags & 0xF) {
    case UI_YESNO: case UI_YESNOCANCEL: return UI_IDYES;
    case UI_RETRYCANCEL: return UI_IDRETRY;
    default: return UI_IDOK;
    }
}
// Stands in for the shell's handler: takes every command and remembers it.
int RecordCommand(int id) {
    g_script.commands.push_back(id);
    return 1;
}
}  // namespace

void uiscript_Reset() {
    g_script = ScriptState();
    ui_SetCommandHandler(RecordCommand);
}
const std::vector<int>& uiscript_Commands() { return g_script.commands; }
void uiscript_QueueBox(const std::string& title, int answer) { g_script.boxAnswers[title].push_back(answer); }
void uiscript_QueuePrompt(const std::string& name, const UiScriptedAnswer& answer) {
    g_script.promptAnswers[name].push_back(answer);
}
void uiscript_SetEscape(int pressed) { g_script.escape = pressed; }
const std::vector<UiRecordedBox>& uiscript_Boxes() { return g_script.boxes; }
std::vector<std::string> uiscript_BoxLines() {
    std::vector<std::string> lines;
    for (const UiRecordedBox& b : g_script.boxes) lines.push_back(b.title + ": " + b.text);
    return lines;
}
const std::vector<std::string>& uiscript_Statuses() { return g_script.statuses; }
const std::vector<std::string>& uiscript_PromptsAsked() { return g_script.prompts; }
const std::vector<std::string>& uiscript_PromptTexts() { return g_script.promptTexts; }
int uiscript_WaitDepth() { return g_script.waitDepth; }
int uiscript_BeepCount() { return g_script.beeps; }
unsigned uiscript_SleptMs() { return g_script.sleptMs; }

int ui_MessageBox(const char* text, const char* title, unsigned flags) {
    std::string t = title ? title : "";
    int answer = DefaultAnswer(flags);
    auto it = g_script.boxAnswers.find(t);
    if (it != g_script.boxAnswers.end() && !it->second.empty()) {
        answer = it->second.front();
        it->second.pop_front();
    }
    g_script.boxes.push_back({t, text ? text : "", flags, answer});
    return answer;
}

void ui_SetStatus(const char* text) { g_script.statuses.push_back(text ? text : ""); }
void ui_Beep(unsigned) { g_script.beeps++; }
void ui_Tone(unsigned, unsigned) { g_script.beeps++; }
void ui_Sleep(unsigned ms) { g_script.sleptMs += ms; }
void ui_ViewChanged(unsigned what) { g_script.viewChanges |= what; }
unsigned uiscript_ViewChanges() { return g_script.viewChanges; }
void ui_WaitCursor(int on) { g_script.waitDepth += on ? 1 : -1; }
int ui_EscapePressed() { return g_script.escape; }
void ui_RegisterPrompt(const char*, UiPromptHandler) {}

int ui_Prompt(UiPrompt* p) {
    std::string name = p->name ? p->name : "";
    g_script.prompts.push_back(name);
    g_script.promptTexts.push_back(p->inText ? p->inText : "");
    auto it = g_script.promptAnswers.find(name);
    if (it == g_script.promptAnswers.end() || it->second.empty()) return 0;
    UiScriptedAnswer a = it->second.front();
    it->second.pop_front();
    p->result = a.result;
    std::strncpy(p->text1, a.text1.c_str(), sizeof p->text1 - 1);
    p->text1[sizeof p->text1 - 1] = 0;
    std::strncpy(p->text2, a.text2.c_str(), sizeof p->text2 - 1);
    p->text2[sizeof p->text2 - 1] = 0;
    return 1;
}
