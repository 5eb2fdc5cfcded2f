// fileio_win32.cpp — the replacing step on Windows.
#include "formats/fileio.h"
#include <windows.h>

int fio_Replace(const char* temp, const char* target) {
    return MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}
