// toolselect.cpp — the current/previous tool rule (see toolselect.h).
#include "document/toolselect.h"
#include "settings/settings.h"

int tool_Select(int tool) {
    if (tool < 0 || tool >= TOOL_COUNT) return 0;
    if (tool == g_settings.currentTool) return 0;
    set_Tools(tool, g_settings.currentTool);
    return 1;
}

void tool_SwapWithPrevious() { set_Tools(g_settings.previousTool, g_settings.currentTool); }

int tool_Current() { return g_settings.currentTool < TOOL_COUNT ? g_settings.currentTool : -1; }
