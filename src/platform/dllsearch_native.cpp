// dllsearch_native.cpp — the native build loads no DLL by name (dllsearch.h).
#include "platform/dllsearch.h"

int dll_LimitSearch() { return 1; }
