// instances.cpp — compaction, insertion and removal on an instance table.
#include "app/instances.h"

int inst_Compact(InstanceTable* t) {
    int live = 0;
    for (int i = 0; i < INST_SLOTS; i++) {
        uint32_t id = t->pid[i];
        if (id == 0) continue;
        t->pid[i] = 0;
        t->pid[live++] = id;
    }
    t->count = (uint32_t)live;
    return live;
}

int inst_Insert(InstanceTable* t, uint32_t pid) {
    if (pid == 0) return 0;
    int live = inst_Compact(t);
    if (live >= INST_SLOTS) return 0;
    t->pid[live] = pid;
    t->count = (uint32_t)live + 1;
    return 1;
}

int inst_Remove(InstanceTable* t, uint32_t pid) {
    if (pid == 0) return 0;
    for (int i = 0; i < INST_SLOTS; i++)
        if (t->pid[i] == pid) {
            t->pid[i] = 0;
            if (t->count) t->count--;
            inst_Compact(t);
            return 1;
        }
    return 0;
}
