// memblock_native.cpp — memory blocks from malloc; sizes as malloc reports them.
#include "document/memblock.h"
#include <cstdlib>
#include <malloc.h>

static int g_failNext;

MemBlock mem_Alloc(size_t size) {
    if (g_failNext > 0) {
        g_failNext--;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}
size_t mem_Size(MemBlock block) { return block ? malloc_usable_size(block) : 0; }
void* mem_Lock(MemBlock block) { return block; }
void mem_Unlock(MemBlock) {}
void mem_Free(MemBlock block) { std::free(block); }
void mem_FailNext(int count) { g_failNext = count; }
