// toolselect.h — which drawing tool is current, and the one rule for changing it.
//
// The current and previous tool are fields of the settings record (they persist);
// this module is the only caller of their setter (set_Tools). Rule: choosing a tool that differs from
// the current one makes the current one the previous one; choosing the current
// tool again changes nothing, so the middle-button swap always has two tools.
#pragma once
#include <cstdint>
#include "document/tooltable.h"

// Makes `tool` current by the rule above; 0 (nothing changed) for an unknown tool.
int tool_Select(int tool);
// The middle button: current and previous change places.
void tool_SwapWithPrevious();
// The current tool, -1 when the settings hold an unknown one.
int tool_Current();
