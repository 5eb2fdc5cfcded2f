// broadcast_win32.cpp — see broadcast_win32.h.
#include "app/broadcast_win32.h"

#include <windows.h>

#include "app/instances.h"
#include "app/shell_win32.h"
#include "document/undo.h"
#include "settings/settings.h"

void ServeBroadcast() {
    uint32_t cmd = inst_BroadcastCommand();
    if (!cmd) return;
    uint32_t target = inst_BroadcastTarget();
    if (target != INST_ALL && target != GetCurrentProcessId()) return;
    if (cmd == BROADCAST_END) ExitProcess(BROADCAST_END);
    if (cmd != BROADCAST_SETTINGS) return;
    LoadSettings();
    undo_Config(g_settings.undoMB * 1048576u, UNDO_SET | 1);
    if (g_shell.main)
        RedrawWindow(g_shell.main, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(2000);
}

void SendBroadcast(uint32_t command) {
    inst_SetBroadcast(command, INST_ALL);
    ServeBroadcast();
    inst_SetBroadcast(0, INST_ALL);
}
