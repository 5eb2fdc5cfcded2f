// commands.h — what the program knows about each menu and accelerator command, in
// one table: the id, the status-line help, flags, the function that runs it and,
// where one is needed, the rule that enables it.
//
// Owns: the command table (commands_win32.cpp). The menus grey out what cmd_Enabled
// refuses, and cmd_Run refuses it again however the command arrives (accelerator,
// panel click, another copy). Ids are in app_ids.h.
//
// Still to come (rows flagged CMDF_NOT_BUILT, greyed out until then):
// - the tool settings window (also opened at start-up), colour palette, Text-Art
//   editor, New, Resize Image, Resize Sprite, Tile;
// - the effect and transform dialogs and the convolution matrix;
// - clipboard (Cut, Copy, Paste As Sprite, Paste As New Image), Print, Scan, Screen
//   Capture, Wallpaper, Icon Creator (img_SaveFile then opens it for icon extensions
//   instead of only saying "Use Icon Creator");
// - plug-ins (Import, Export, the manager);
// - auto-save (Reload Autosaved Image; the message loop's auto-save bit).
#pragma once

const unsigned CMDF_NEEDS_SPRITE = 1;  // greyed out while there is no sprite
const unsigned CMDF_NOT_BUILT = 2;     // see the list above
const unsigned CMDF_HEADING = 4;       // a menu heading, never a command
const unsigned CMDF_KEYS_RUN = 8;      // its keys run it even while its menu item is grey

struct CommandRow {
    int id;
    const char* help;    // status-line text while the menu item is selected (may be null)
    unsigned flags;
    void (*run)();
    int (*enabled)();    // null: enabled unless the flags say otherwise
};

// The row of a command id; null when the program has no such command.
const CommandRow* cmd_Find(int id);
int cmd_Enabled(int id);
// Runs an enabled command (or one whose keys run it); 0 when it was refused.
int cmd_Run(int id);
const char* cmd_HelpText(int id);
