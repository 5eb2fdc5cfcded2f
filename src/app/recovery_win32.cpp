// recovery_win32.cpp — auto-save hooks of the shell (contract in recovery_win32.h).
#include "app/recovery_win32.h"

#include <windows.h>

#include "app/files_win32.h"
#include "app/shell_win32.h"
#include "document/document.h"
#include "platform/ui.h"
#include "safety/autosave_win32.h"

void rec_ServeAutosaveBit() {
    if (!(g_shell.pending & PENDING_AUTOSAVE)) return;
    ui_SetStatus(" AUTO-SAVING IMAGE TO DISK...");
    int r = StartAutosave(&g_doc.mainImage);
    if (r < 0) ui_SetStatus(" CAN'T AUTO-SAVE - ACCESS DENIED.");
    else if (r > 0) ui_SetStatus(" The image has been auto-saved...");
    if (r) g_shell.pending &= ~PENDING_AUTOSAVE;
}

int rec_RestoreIntoDocument() {
    Surface restored{};
    if (!RestoreAutosave(g_shell.main, &restored)) return 0;
    doc_ReplaceMainImage(&restored, nullptr, 1);
    return 1;
}

void rec_StartUp(int firstInstance) {
    splash_Show("Autosave Recovery...");
    NewAutosaveId();
    if (!firstInstance || !AnyAutosavePoints()) return;
    splash_StepAside(1);
    rec_RestoreIntoDocument();
    splash_StepAside(0);
}

void rec_ReloadCommand() {
    if (files_ConfirmReplace()) rec_RestoreIntoDocument();
}

void rec_CleanExit() {
    g_shell.pending &= ~PENDING_AUTOSAVE;
    DeleteRunAutosave();
}

void rec_FinalSnapshot() { SaveAutosaveNow(&g_doc.mainImage); }
