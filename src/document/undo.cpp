// undo.cpp — the undo engine: base plus rectangle records in memory blocks.
//
// Record block: the count of its parts (int32), each part's left, top, right, bottom
// (int32, inclusive), then the parts' pixels one after another, row after row
// exactly as the surface holds them. The base is one part, the whole image.
#include "document/undo.h"
#include <cstring>
#include <vector>
#include "document/memblock.h"
#include "platform/ui.h"

namespace {

struct UndoState {
    int initialised;
    uint32_t budget;
    uint64_t total;
    MemBlock base;
    Surface* owner;
    MemBlock slots[UNDO_SLOTS];
    int32_t current;
    int32_t top;
    int32_t count;
};
UndoState g_undo;

struct RecordHead {
    int32_t left, top, right, bottom;
};
static_assert(sizeof(RecordHead) == 16, "record header");

void FreeBlock(MemBlock& block) {
    if (!block) return;
    g_undo.total -= mem_Size(block);
    mem_Free(block);
    block = nullptr;
}

void FreeAll() {
    FreeBlock(g_undo.base);
    for (MemBlock& b : g_undo.slots) FreeBlock(b);
}

size_t PartPixels(const RecordHead& r) { return (size_t)(r.right - r.left + 1) * (size_t)(r.bottom - r.top + 1); }

// Copies the parts (ordered, inside the surface) into a new record block.
MemBlock TakeRecord(Surface* s, const RecordHead* parts, int count) {
    size_t pixels = 0;
    for (int i = 0; i < count; i++) pixels += PartPixels(parts[i]);
    const size_t heads = sizeof(int32_t) + count * sizeof(RecordHead);
    MemBlock block = mem_Alloc(heads + pixels * 4);
    if (!block) {
        ui_Tone(2000, 200);
        ui_SetStatus(" UNDO ERROR: Can't Allocate Memory!!");
        return nullptr;
    }
    g_undo.total += mem_Size(block);
    char* p = static_cast<char*>(mem_Lock(block));
    const int32_t n = count;
    std::memcpy(p, &n, sizeof n);
    std::memcpy(p + sizeof n, parts, count * sizeof(RecordHead));
    uint32_t* out = reinterpret_cast<uint32_t*>(p + heads);
    if (uint32_t* px = srf_Lock(s)) {
        for (int i = 0; i < count; i++) {
            const RecordHead& r = parts[i];
            const size_t w = (size_t)(r.right - r.left + 1);
            for (int y = r.top; y <= r.bottom; y++, out += w)
                std::memcpy(out, px + (size_t)y * s->stride + r.left, w * 4);
        }
        srf_Unlock(s);
    }
    mem_Unlock(block);
    return block;
}

MemBlock TakeRect(Surface* s, int x1, int y1, int x2, int y2) {
    const RecordHead whole{x1, y1, x2, y2};
    return TakeRecord(s, &whole, 1);
}

// The first part's rectangle (the base's is the whole image).
RecordHead HeadOf(MemBlock block) {
    RecordHead head;
    std::memcpy(&head, static_cast<const char*>(mem_Lock(block)) + sizeof(int32_t), sizeof head);
    mem_Unlock(block);
    return head;
}

// A record for another surface, or for one whose size changed, starts a new history.
int KeepsHistory(Surface* s) {
    if (s != g_undo.owner || !g_undo.base) return 0;
    RecordHead baseHead = HeadOf(g_undo.base);
    return baseHead.right + 1 == (int)s->width && baseHead.bottom + 1 == (int)s->height;
}

// Paints a record's parts onto a locked surface, clipped to the surface.
void PaintRecord(MemBlock block, uint32_t* px, const Surface* s) {
    const char* p = static_cast<const char*>(mem_Lock(block));
    int32_t count;
    std::memcpy(&count, p, sizeof count);
    const uint32_t* in = reinterpret_cast<const uint32_t*>(p + sizeof count + count * sizeof(RecordHead));
    for (int32_t i = 0; i < count; i++) {
        RecordHead head;
        std::memcpy(&head, p + sizeof count + i * sizeof head, sizeof head);
        int64_t w = (int64_t)head.right - head.left + 1;
        int64_t x1 = head.left < 0 ? 0 : head.left;
        int64_t x2 = head.right > (int32_t)s->width - 1 ? (int32_t)s->width - 1 : head.right;
        int64_t y1 = head.top < 0 ? 0 : head.top;
        int64_t y2 = head.bottom > (int32_t)s->height - 1 ? (int32_t)s->height - 1 : head.bottom;
        for (int64_t y = y1; y <= y2 && x1 <= x2; y++)
            std::memcpy(px + (size_t)y * s->stride + x1, in + (y - head.top) * w + (x1 - head.left),
                        (size_t)(x2 - x1 + 1) * 4);
        in += PartPixels(head);
    }
    mem_Unlock(block);
}

// Base, then every record up to the current index.
int Rebuild(Surface* s, const char* status) {
    uint32_t* px = srf_Lock(s);
    if (!px) return 0;
    PaintRecord(g_undo.base, px, s);
    for (int32_t i = 0; i <= g_undo.current; i++)
        if (g_undo.slots[i]) PaintRecord(g_undo.slots[i], px, s);
    srf_Unlock(s);
    ui_SetStatus(status);
    return 1;
}

void FoldOldestIntoBase() {
    RecordHead baseHead = HeadOf(g_undo.base);
    // The base is a whole image: paint record 0 into it as into a surface of its size.
    Surface view{};
    view.width = (uint32_t)(baseHead.right + 1);
    view.height = (uint32_t)(baseHead.bottom + 1);
    view.stride = view.width;
    char* basePixels = static_cast<char*>(mem_Lock(g_undo.base)) + sizeof(int32_t) + sizeof(RecordHead);
    PaintRecord(g_undo.slots[0], reinterpret_cast<uint32_t*>(basePixels), &view);
    mem_Unlock(g_undo.base);
    FreeBlock(g_undo.slots[0]);
    std::memmove(&g_undo.slots[0], &g_undo.slots[1], sizeof(MemBlock) * (UNDO_SLOTS - 1));
    g_undo.slots[UNDO_SLOTS - 1] = nullptr;
    g_undo.current--;
    g_undo.top--;
    g_undo.count--;
}

// A new step of the parts (ordered, inside the surface): later steps are dropped,
// and the oldest fold into the base while over the budget or the level limit.
int KeepRecord(Surface* s, const RecordHead* parts, int count) {
    while (g_undo.top > g_undo.current) FreeBlock(g_undo.slots[g_undo.top--]);
    g_undo.current = g_undo.top = g_undo.current + 1;

    MemBlock rec = TakeRecord(s, parts, count);
    for (int retry = 0; !rec && retry < 5; retry++) {
        ui_Sleep(500);
        rec = TakeRecord(s, parts, count);
    }
    if (!rec) {
        ui_MessageBox("Could not allocate memory.\nAll undo info will be lost!!!", "Undo Engine Error",
                      UI_ICONERROR | UI_SYSTEMMODAL | UI_TOPMOST);
        undo_Reset(s);
        return 0;
    }
    g_undo.slots[g_undo.current] = rec;
    g_undo.count = g_undo.top + 1;

    for (;;) {
        if (g_undo.top == 0) break;
        uint64_t records = g_undo.total - mem_Size(g_undo.base);
        if (g_undo.current < UNDO_LEVELS &&
            (g_undo.count < 2 || g_undo.budget == 0 || g_undo.budget >= records))
            break;
        FoldOldestIntoBase();
    }
    return 1;
}

}  // namespace

int undo_Init(uint32_t budgetBytes) {
    if (g_undo.initialised) return 1;
    g_undo = UndoState{};
    g_undo.initialised = 1;
    g_undo.budget = budgetBytes;
    g_undo.current = g_undo.top = -1;
    return 1;
}

int undo_Shutdown() {
    if (!g_undo.initialised) return 0;
    FreeAll();
    g_undo = UndoState{};
    g_undo.current = g_undo.top = -1;
    return 1;
}

int undo_Reset(Surface* s) {
    // Before the engine starts there is no history to keep (undo_Init would lose it).
    if (!g_undo.initialised) return 0;
    FreeAll();
    g_undo.current = g_undo.top = -1;
    g_undo.count = 0;
    if (!srf_IsValid(s) || !srf_Refresh(s)) return 0;
    g_undo.owner = s;
    g_undo.base = TakeRect(s, 0, 0, (int)s->width - 1, (int)s->height - 1);
    // Without a base the next recording resets again; report the failure now.
    return g_undo.base ? 1 : 0;
}

int undo_Record(Surface* s, int x1, int y1, int x2, int y2, int whole) {
    if (!srf_Refresh(s)) return 0;
    if (!KeepsHistory(s)) return undo_Reset(s);
    int w = (int)s->width, h = (int)s->height;

    if (x1 > x2) { int t = x1; x1 = x2; x2 = t; }
    if (y1 > y2) { int t = y1; y1 = y2; y2 = t; }
    if (whole) {
        x1 = 0; y1 = 0; x2 = w - 1; y2 = h - 1;
    }
    if (x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0) return 0;
    if (x2 < 0 || y2 < 0 || x1 > w - 1 || y1 > h - 1) return 0;
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 > w - 1) x2 = w - 1;
    if (y2 > h - 1) y2 = h - 1;

    const RecordHead part{x1, y1, x2, y2};
    return KeepRecord(s, &part, 1);
}

int undo_RecordParts(Surface* s, const ToolRect* parts, int count) {
    if (!srf_Refresh(s) || count <= 0) return 0;
    if (!KeepsHistory(s)) return undo_Reset(s);
    std::vector<RecordHead> inside;
    for (int i = 0; i < count; i++) {
        const ToolRect& r = parts[i];
        RecordHead c{r.x1 < 0 ? 0 : r.x1, r.y1 < 0 ? 0 : r.y1, r.x2 < (int)s->width ? r.x2 : (int)s->width - 1,
                     r.y2 < (int)s->height ? r.y2 : (int)s->height - 1};
        if (c.left <= c.right && c.top <= c.bottom) inside.push_back(c);
    }
    return inside.empty() ? 0 : KeepRecord(s, inside.data(), (int)inside.size());
}

int undo_Undo(Surface* s) {
    if (g_undo.current == -1 || !g_undo.base) return 0;
    g_undo.current--;
    if (Rebuild(s, " Undo completed successfully...")) return 1;
    g_undo.current++;
    return 0;
}

int undo_Redo(Surface* s) {
    if (g_undo.top <= g_undo.current || !g_undo.base) return 0;
    g_undo.current++;
    if (Rebuild(s, " Redo completed successfully...")) return 1;
    g_undo.current--;
    return 0;
}

int undo_UndoCount() { return g_undo.current + 1; }
int undo_RedoCount() { return g_undo.top > g_undo.current ? g_undo.top - g_undo.current : 0; }

uint32_t undo_Config(uint32_t value, uint32_t flags) {
    if (flags & UNDO_ASK) {
        if (flags & 1) return g_undo.budget;
        if (flags & 2) return (uint32_t)UNDO_LEVELS;
    } else if (flags & UNDO_SET) {
        if (flags & 1) g_undo.budget = value;
        else if (flags & 2) return 0;
    }
    return 1;
}

uint64_t undo_TotalBytes() { return g_undo.total; }
uint64_t undo_BaseBytes() { return g_undo.base ? mem_Size(g_undo.base) : 0; }
