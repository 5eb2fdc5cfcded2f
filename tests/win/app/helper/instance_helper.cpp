// instance_helper.cpp — a stand-in for a running copy of the program, for the
// instance-table test: waits for "<table>.go", registers in the named table, signals
// "<table>.ready", waits for "<table>.stop", unregisters. Exit code 11 when it was the
// first instance, 10 when not, below 10 when something failed.
#include <windows.h>
#include <string>
#include "app/instances.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string base = argv[1];
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, (base + ".go").c_str());
    HANDLE ready = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (base + ".ready").c_str());
    HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, (base + ".stop").c_str());
    if (!go || !ready || !stop) return 3;
    if (WaitForSingleObject(go, 60000) != WAIT_OBJECT_0) return 4;
    if (!inst_RegisterIn(base.c_str())) return 5;
    int first = IsFirstInstance();
    ReleaseSemaphore(ready, 1, nullptr);
    if (WaitForSingleObject(stop, 60000) != WAIT_OBJECT_0) return 6;
    UnregisterInstance();
    return first ? 11 : 10;
}
