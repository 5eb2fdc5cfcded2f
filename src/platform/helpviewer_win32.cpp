// helpviewer_win32.cpp — the HTML Help viewer (helpviewer.h).
#include "platform/helpviewer.h"

#include <windows.h>
#include <shellapi.h>
#include <cstdio>

#include "platform/sysio.h"
#include "platform/ui.h"

void help_OpenPage(const char* page) {
    ui_SetStatus(" Connecting to HTML Help...");
    char hh[KV_MAX_PATH], chm[KV_MAX_PATH];
    if (!sio_SearchPath("hh.exe", hh, sizeof hh)) {
        ui_MessageBox("Kelvara could not find \"hh.exe\" - ( HTML Help )", "File not found!!", UI_OK | UI_ICONERROR);
        return;
    }
    if (!sio_SearchPath("Kelvara.chm", chm, sizeof chm)) {
        ui_MessageBox("Kelvara could not find \"Kelvara.chm\"", "File not found!!", UI_OK | UI_ICONERROR);
        return;
    }
    char args[2 * KV_MAX_PATH + 64];
    std::snprintf(args, sizeof args, "\"%s::/%s\"", chm, page);
    if ((INT_PTR)ShellExecuteA(GetActiveWindow(), "open", hh, args, nullptr, SW_SHOWNORMAL) <= 32) {
        ui_SetStatus(" Error :: Can't run \"hh.exe\"");
        ui_MessageBox("Kelvara could not run the HTML Help executable.", "HTML Help Error!!", UI_OK | UI_ICONERROR);
    }
}
