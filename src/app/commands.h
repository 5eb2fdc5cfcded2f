// commands.h — what the program knows about each menu and accelerator command, in
// one table: the id, the status-line help, flags, the function that runs it and,
// where one is needed, the rule that enables it.
//
// Owns: the command table (commands_win32.cpp). The menus grey out what cmd_Enabled
// refuses, and cmd_Run refuses it again however the command arrives (accelerator,
// panel click, another copy). Ids are in app_ids.h. The Effects and Transform menus'
// rows name their code in the catalogue's tables, which say how each one runs.
#pragma once
#include <cstdint>

const unsigned CMDF_NEEDS_SPRITE = 1;  // greyed out while there is no sprite
const unsigned CMDF_NOT_BUILT = 2;     // greyed out: not in this build
const unsigned CMDF_HEADING = 4;       // a menu heading, never a command
const unsigned CMDF_KEYS_RUN = 8;      // its keys run it even while its menu item is grey
const unsigned CMDF_EFFECT = 16;       // runs the effect of `code` (no `run`)
const unsigned CMDF_TRANSFORM = 32;    // runs the transform of `code` (no `run`)

struct CommandRow {
    int id;
    const char* help;    // status-line text while the menu item is selected (may be null)
    unsigned flags;
    void (*run)();
    int (*enabled)();    // null: enabled unless the flags say otherwise
    uint32_t code = 0;   // CMDF_EFFECT / CMDF_TRANSFORM: the catalogue's code
};

// The row of a command id; null when the program has no such command.
const CommandRow* cmd_Find(int id);
// Every row; `count` gets their number.
const CommandRow* cmd_Rows(int* count);
int cmd_Enabled(int id);
// Runs an enabled command (or one whose keys run it); 0 when it was refused.
int cmd_Run(int id);
const char* cmd_HelpText(int id);
