// instances_win32.cpp — the instance table in named shared memory, guarded by a
// named mutex. The memory lives while any copy keeps it mapped, so ids of copies
// that died vanish with the last running copy.
#include "app/instances.h"
#include <windows.h>
#include <cstring>

namespace {

const char DEFAULT_TABLE[] = "Kelvara.InstanceTable";
// A copy that holds the lock longer than this is taken to be stuck; updating without
// it then beats refusing to start.
const DWORD LOCK_WAIT_MS = 10000;

struct InstState {
    HANDLE mapping;
    HANDLE mutex;
    InstanceTable* table;
    uint32_t self;
    int recorded;
    int first;
};
InstState g_inst;

int Lock() {
    DWORD r = WaitForSingleObject(g_inst.mutex, LOCK_WAIT_MS);
    // An abandoned mutex is ours now; its last owner died between two whole updates.
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void Unlock(int locked) {
    if (locked) ReleaseMutex(g_inst.mutex);
}

}  // namespace

int inst_Attach(const char* tableName) {
    if (g_inst.table) return 1;
    if (!tableName || std::strlen(tableName) > 200) return 0;
    char lockName[256];
    std::strcpy(lockName, tableName);
    std::strcat(lockName, ".Lock");
    HANDLE mutex = CreateMutexA(nullptr, FALSE, lockName);
    if (!mutex) return 0;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(InstanceTable), tableName);
    if (!mapping) {
        CloseHandle(mutex);
        return 0;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(InstanceTable));
    if (!view) {
        CloseHandle(mapping);
        CloseHandle(mutex);
        return 0;
    }
    g_inst.mutex = mutex;
    g_inst.mapping = mapping;
    g_inst.table = (InstanceTable*)view;
    g_inst.self = GetCurrentProcessId();
    return 1;
}

void inst_Detach() {
    if (g_inst.table) UnmapViewOfFile(g_inst.table);
    if (g_inst.mapping) CloseHandle(g_inst.mapping);
    if (g_inst.mutex) CloseHandle(g_inst.mutex);
    g_inst = InstState();
}

int inst_RegisterIn(const char* tableName) {
    if (!inst_Attach(tableName)) return 0;
    if (g_inst.recorded) return 1;
    int locked = Lock();
    g_inst.recorded = inst_Insert(g_inst.table, g_inst.self);
    g_inst.first = g_inst.recorded && g_inst.table->count == 1;
    Unlock(locked);
    return g_inst.recorded;
}

int RegisterInstance() { return inst_RegisterIn(DEFAULT_TABLE); }

int UnregisterInstance() {
    if (!g_inst.table) return 0;
    if (g_inst.recorded) {
        int locked = Lock();
        inst_Remove(g_inst.table, g_inst.self);
        Unlock(locked);
    }
    inst_Detach();
    return 1;
}

int IsFirstInstance() { return g_inst.first; }

int inst_CopyIds(uint32_t* out, int cap) {
    if (!g_inst.table || !out || cap <= 0) return 0;
    int locked = Lock();
    int n = 0;
    for (int i = 0; i < INST_SLOTS && n < cap; i++)
        if (g_inst.table->pid[i]) out[n++] = g_inst.table->pid[i];
    Unlock(locked);
    return n;
}

uint32_t inst_Count() {
    return g_inst.table ? __atomic_load_n(&g_inst.table->count, __ATOMIC_SEQ_CST) : 0;
}

void inst_SetBroadcast(uint32_t command, uint32_t target) {
    if (!g_inst.table) return;
    __atomic_store_n(&g_inst.table->target, target, __ATOMIC_SEQ_CST);
    __atomic_store_n(&g_inst.table->command, command, __ATOMIC_SEQ_CST);
}

uint32_t inst_BroadcastCommand() {
    return g_inst.table ? __atomic_load_n(&g_inst.table->command, __ATOMIC_SEQ_CST) : 0;
}

uint32_t inst_BroadcastTarget() {
    return g_inst.table ? __atomic_load_n(&g_inst.table->target, __ATOMIC_SEQ_CST) : 0;
}
