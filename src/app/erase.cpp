// erase.cpp — the erase stage of self-uninstallation.
#include "app/erase.h"
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include "platform/sysio.h"
#include "platform/ui.h"

namespace {

const unsigned MB_SETFOREGROUND_FLAG = 0x10000;  // a Win32 flag the seam passes through
const unsigned ERASE_BOX = UI_OK | UI_SYSTEMMODAL | UI_TOPMOST | MB_SETFOREGROUND_FLAG;
const char ERASE_TITLE[] = "Uninstall Error";
// Lets the program that started us end and release its file.
const unsigned ERASE_WAIT_MS = 500;

int OursToRemove(const std::string& folder) {
    std::string lower = folder;
    for (char& c : lower) c = (char)std::tolower((unsigned char)c);
    return lower.find("kelvara") != std::string::npos || lower.find("orvik") != std::string::npos;
}

}  // namespace

int EraseStage(const char* commandLine) {
    const char* q1 = commandLine ? std::strchr(commandLine, '"') : nullptr;
    const char* q2 = commandLine ? std::strrchr(commandLine, '"') : nullptr;
    if (!q1 || q2 <= q1) {
        ui_MessageBox("Invalid command line format", ERASE_TITLE, ERASE_BOX);
        return ERASE_FAILED;
    }
    std::string path(q1 + 1, (size_t)(q2 - q1 - 1));

    ui_Sleep(ERASE_WAIT_MS);
    if (path.size() >= (size_t)KV_MAX_PATH || !sio_DeleteFile(path.c_str())) {
        std::string text = "The file '" + path + "' was not found.";
        ui_MessageBox(text.c_str(), ERASE_TITLE, ERASE_BOX);
        return ERASE_FAILED;
    }

    for (;;) {
        size_t cut = path.rfind('\\');
        if (cut == std::string::npos) break;
        path.resize(cut);
        if (!OursToRemove(path) || !sio_RemoveFolder(path.c_str())) break;
    }
    return 0;
}
