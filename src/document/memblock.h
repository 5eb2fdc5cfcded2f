// memblock.h — the memory blocks that hold undo records and the mask cache.
// On Windows they are movable global-memory blocks; natively malloc'd blocks. The
// size a block reports is the allocator's own (it may round up), and that is what
// the undo budget is measured in. Blocks are locked around every access.
#pragma once
#include <cstddef>

typedef void* MemBlock;

// A block of at least `size` bytes, or null when there is not enough memory.
MemBlock mem_Alloc(size_t size);
// The allocator's size of the block (0 for null).
size_t mem_Size(MemBlock block);
void* mem_Lock(MemBlock block);
void mem_Unlock(MemBlock block);
void mem_Free(MemBlock block);

// Makes the next `count` allocations fail, as an exhausted machine would; for tests
// of the out-of-memory paths.
void mem_FailNext(int count);
