// safewrite_win32.cpp — the replacing step on Windows.
#include "platform/safewrite.h"
#include <windows.h>

int swr_Replace(const char* temp, const char* target) {
    return MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}
