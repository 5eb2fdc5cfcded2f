// memblock_win32.cpp — memory blocks as movable global memory; GlobalSize is the
// size the undo budget counts.
#include "document/memblock.h"
#include <windows.h>

static int g_failNext;

MemBlock mem_Alloc(size_t size) {
    if (g_failNext > 0) {
        g_failNext--;
        return nullptr;
    }
    return GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
}
size_t mem_Size(MemBlock block) { return block ? GlobalSize((HGLOBAL)block) : 0; }
void* mem_Lock(MemBlock block) { return block ? GlobalLock((HGLOBAL)block) : nullptr; }
void mem_Unlock(MemBlock block) {
    if (block) GlobalUnlock((HGLOBAL)block);
}
void mem_Free(MemBlock block) {
    if (block) GlobalFree((HGLOBAL)block);
}
void mem_FailNext(int count) { g_failNext = count; }
