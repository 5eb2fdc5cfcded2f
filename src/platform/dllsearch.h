// dllsearch.h — where the process looks for DLLs loaded by name. Each program limits
// the search first thing at start-up to the system folder and the program's own, so a
// DLL planted beside an opened image (or in the current folder) is never loaded.
// Plug-ins are loaded by absolute path and are not affected.
#pragma once

// 1 when the search is limited (and always where DLLs do not exist); 0 when the system
// refuses, the search then staying as the system set it.
int dll_LimitSearch();
