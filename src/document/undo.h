// undo.h — undo and redo of the main image within a memory budget.
//
// Owns: the base (a copy of the whole image as it was at the last reset) and up to
// 1,001 records, each the changed rectangle (or rectangles) as it looks AFTER its change. The image
// of any step is the base with the records up to that step painted over it. When
// the records outgrow the budget (or the level limit) the oldest is folded into the
// base; the newest is always kept. Sizes are the allocator's own (memblock.h).
// Only the owner surface is tracked: a record for another surface, or for a surface
// whose size changed, silently starts a new history. GUI thread only.
#pragma once
#include <cstdint>
#include "document/tools.h"
#include "engine/surface.h"

const int UNDO_LEVELS = 1001;
const int UNDO_SLOTS = 1024;
const uint32_t UNDO_ASK = 1u << 29;      // undo_Config: bit 0 budget, bit 1 level limit
const uint32_t UNDO_SET = 1u << 28;      // undo_Config: bit 0 sets the budget

int undo_Init(uint32_t budgetBytes);
int undo_Shutdown();
int undo_Reset(Surface* s);
// Records (x1, y1)-(x2, y2) of s after a change; `whole` records the whole image.
// The all-zero rectangle without `whole` means nothing changed.
int undo_Record(Surface* s, int x1, int y1, int x2, int y2, int whole);
// Records the parts of s that one change touched (inclusive rectangles, clipped to s)
// as one step; 0 when none lies inside s.
int undo_RecordParts(Surface* s, const ToolRect* parts, int count);
int undo_Undo(Surface* s);
int undo_Redo(Surface* s);
int undo_UndoCount();
int undo_RedoCount();
uint32_t undo_Config(uint32_t value, uint32_t flags);

// Sum of the allocator sizes of the base and every record (for tests and the
// memory figures of the benchmark).
uint64_t undo_TotalBytes();
// Allocator size of the base (0 when there is none).
uint64_t undo_BaseBytes();
