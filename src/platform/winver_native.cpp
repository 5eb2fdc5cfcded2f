// winver_native.cpp — the native build stands in for a current NT-family system.
#include "platform/winver.h"

namespace {
int g_queried;
}

int ver_Query() {
    g_queried = 1;
    return 1;
}

int ver_IsNT() { return g_queried; }
int ver_Major() { return g_queried ? 10 : 0; }
