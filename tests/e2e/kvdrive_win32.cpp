// kvdrive_win32.cpp — the driver as a command for scripts: finds the running
// program's main window and sends it what the arguments say, one action each:
//   wait <ms>        wait until the main window exists and reads " All systems go!!"
//   cmd <id>         send a menu command
//   key <vk>         press and release a virtual key
//   status           print the status line
//   answer <title> <id>  press button id in the window titled so, when it comes
//                        within 5 s (no failure when it does not)
// Exit code 0 when every action found the window, 1 otherwise.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "e2e/driver_win32.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        HWND main = FindWindowA("kelvara_wnd_main", nullptr);
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : "0";
        if (!std::strcmp(a, "answer") && i + 2 < argc) {
            // The window may show its title before its buttons exist: wait for the button.
            HWND button = nullptr;
            for (int t = 0; t < 5000 && !button; t += 50) {
                HWND box = FindWindowA(nullptr, argv[i + 1]);
                button = box ? GetDlgItem(box, std::atoi(argv[i + 2])) : nullptr;
                if (!button) Sleep(50);
            }
            if (button) PostMessageA(button, BM_CLICK, 0, 0);
            i += 2;
            continue;
        }
        if (!std::strcmp(a, "wait")) {
            int ms = std::atoi(v);
            for (int t = 0; t < ms && !(main && drv_Status(main) == " All systems go!!"); t += 50) {
                Sleep(50);
                main = FindWindowA("kelvara_wnd_main", nullptr);
            }
            i++;
        } else if (!std::strcmp(a, "cmd") && main) {
            drv_Command(main, std::atoi(v));
            i++;
        } else if (!std::strcmp(a, "key") && main) {
            drv_Key(main, std::atoi(v));
            i++;
        } else if (!std::strcmp(a, "status") && main) {
            std::printf("%s\n", drv_Status(main).c_str());
        }
        if (!main) return 1;
        Sleep(200);
    }
    return 0;
}
