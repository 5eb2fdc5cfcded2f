// tooltable.h — the 36 drawing tools: their ids and one row each of what the program
// knows about a tool (name, help page, hint, the family the dispatcher runs it by,
// its cursor resource). A new tool is one id and one row.
//
// Owns: the tool table (tooltable.cpp), constant.
#pragma once
#include <cstdint>

enum ToolId {
    TOOL_PENCIL = 0, TOOL_CALLIGRAPHY = 1, TOOL_LINE = 2, TOOL_CURVE = 3, TOOL_BRUSH = 4, TOOL_SHADOW = 5,
    TOOL_SPRAY = 6, TOOL_ROUGHEN = 7, TOOL_FILL = 8, TOOL_BORDER_FILL = 9, TOOL_SMOOTH = 10, TOOL_DIR_SMOOTH = 11,
    TOOL_RULER = 12, TOOL_LENS = 13, TOOL_SEL_RECT = 14, TOOL_SEL_ELLIPSE = 15, TOOL_SEL_FREE = 16,
    TOOL_SEL_CURVE = 17, TOOL_RESERVED = 18, TOOL_TEXT = 19, TOOL_RECTANGLE = 20, TOOL_ELLIPSE = 21,
    TOOL_GRAD_RECT = 22, TOOL_GRAD_ELLIPSE = 23, TOOL_GRAD_BAR = 24, TOOL_GRAD_FREE = 25, TOOL_TINT_RECT = 26,
    TOOL_TINT_ELLIPSE = 27, TOOL_TINT_BAR = 28, TOOL_TINT_FREE = 29, TOOL_SPARKLE = 30, TOOL_PICKER = 31,
    TOOL_FAN = 32, TOOL_STRIP = 33, TOOL_ERASER = 34, TOOL_OPAQUER = 35,
    TOOL_COUNT
};

// How the dispatcher runs a tool's mouse events.
enum ToolFamily {
    TOOL_FAMILY_NONE,
    TOOL_FAMILY_FREEHAND,  // every call with a button paints the segment from the last point
    TOOL_FAMILY_DRAG,      // the press sets the anchor, the release paints
    TOOL_FAMILY_FILL,      // a press fills from the point
    TOOL_FAMILY_POINTS,    // left presses set curve points, a right press ends
    TOOL_FAMILY_TRIANGLE,  // left presses set corners, a right press ends
    TOOL_FAMILY_SELECT,    // makes or moves the sprite
    TOOL_FAMILY_RULER,
    TOOL_FAMILY_LENS,
    TOOL_FAMILY_PICKER,
};

struct ToolInfo {
    const char* name;       // in the idle status line
    const char* helpPage;   // null for the reserved tool
    const char* hint;       // the tool bar's status-line help
    ToolFamily family;
    uint16_t cursor;        // the cursor resource shown over the image
};
// Null for a number outside 0..TOOL_COUNT-1.
const ToolInfo* tool_Info(int tool);
