// instances.h — the table of running copies of the program, shared by all of them.
//
// Layout (32-bit words): 256 process-id slots (0 = free), the count of live copies,
// the broadcast command (0 while none stands) and the broadcast target (a process id,
// or 0xFFFFFFFF for every copy).
// Updates of slots and count happen under a named mutex so that copies starting or
// stopping at the same moment never take the same slot; the broadcast words are
// written and read without it, each as one atomic word.
// The table operations below are portable and work on any table; the shared table
// itself (named shared memory) exists only in the Windows build.
#pragma once
#include <cstdint>

const int INST_SLOTS = 256;
const uint32_t INST_ALL = 0xFFFFFFFFu;

struct InstanceTable {
    uint32_t pid[INST_SLOTS];
    uint32_t count;
    uint32_t command;
    uint32_t target;
};
static_assert(sizeof(InstanceTable) == 1036, "instance table layout");

// Table operations; the caller holds the lock.
// Moves live slots to the front in order and sets count to their number.
int inst_Compact(InstanceTable* t);
// Compacts, then stores pid at index count. 0 (not recorded) when the table is full.
int inst_Insert(InstanceTable* t, uint32_t pid);
// Clears pid's slot, lowers the count and compacts. 0 when pid is not in the table
// (the count is then left alone, so a copy that was never recorded cannot lower it).
int inst_Remove(InstanceTable* t, uint32_t pid);

// The shared table (Windows). RegisterInstance records this process and decides the
// first-instance flag (count == 1 right after recording); UnregisterInstance removes
// it and lets go of the table.
int RegisterInstance();
int UnregisterInstance();
int IsFirstInstance();
// The same under another name (tests and their helper programs use private tables).
int inst_RegisterIn(const char* tableName);
// Maps the named table without recording anything; 0 when it cannot be mapped.
int inst_Attach(const char* tableName);
void inst_Detach();
// Copies the ids of the recorded copies (under the lock); returns how many.
int inst_CopyIds(uint32_t* out, int cap);
uint32_t inst_Count();
// Broadcast words: the target is written before the command, so a reader that sees
// a command also sees its target.
void inst_SetBroadcast(uint32_t command, uint32_t target);
uint32_t inst_BroadcastCommand();
uint32_t inst_BroadcastTarget();
