// ui_command.cpp — the command part of the user-interface seam (ui.h), shared by
// the program, kvbatch and the tests: whoever is the shell registers one handler;
// with none registered an ask is dropped and reported as not taken.
#include "platform/ui.h"

namespace {
UiCommandHandler g_commandHandler;
}  // namespace

void ui_SetCommandHandler(UiCommandHandler handler) { g_commandHandler = handler; }

int ui_PostCommand(int id) {
    if (!g_commandHandler) return 0;
    return g_commandHandler(id) ? 1 : 0;
}
