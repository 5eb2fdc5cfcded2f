// octree.cpp — octree palette builder over a node pool with a free list.
#include "engine/octree.h"
#include <cstddef>
#include <vector>

namespace {

const int32_t NONE = -1;

struct OctNode {
    uint8_t leaf;
    uint32_t count;
    // 64-bit sums: an 8192 x 8192 surface of white would wrap 32-bit ones.
    uint64_t sumRed, sumGreen, sumBlue;
    int32_t child[8];
    int32_t nextReducible;
};

struct Octree {
    std::vector<OctNode> nodes;
    std::vector<int32_t> freeList;
    int32_t reducible[9];
    int depth;
    int leafCount;
};

int32_t NewNode(Octree& t, int level) {
    int32_t id;
    if (!t.freeList.empty()) {
        id = t.freeList.back();
        t.freeList.pop_back();
    } else {
        id = (int32_t)t.nodes.size();
        t.nodes.emplace_back();
    }
    OctNode& n = t.nodes[id];
    n = OctNode{};
    for (int i = 0; i < 8; i++) n.child[i] = NONE;
    n.nextReducible = NONE;
    if (level == t.depth) {
        n.leaf = 1;
        t.leafCount++;
    } else {
        n.nextReducible = t.reducible[level];
        t.reducible[level] = id;
    }
    return id;
}

// Folds a subtree's pixels into `into` and releases its nodes. Children of a node
// being reduced are always leaves; the recursion only keeps that from mattering.
void Absorb(Octree& t, int32_t id, OctNode& into) {
    OctNode& n = t.nodes[id];
    into.count += n.count;
    into.sumRed += n.sumRed;
    into.sumGreen += n.sumGreen;
    into.sumBlue += n.sumBlue;
    for (int i = 0; i < 8; i++)
        if (n.child[i] != NONE) Absorb(t, n.child[i], into);
    t.freeList.push_back(id);
}

bool ReduceOnce(Octree& t) {
    int level = t.depth - 1;
    while (level >= 0 && t.reducible[level] == NONE) level--;
    if (level < 0) return false;
    int32_t id = t.reducible[level];
    t.reducible[level] = t.nodes[id].nextReducible;
    OctNode merged{};
    int children = 0;
    for (int i = 0; i < 8; i++) {
        int32_t c = t.nodes[id].child[i];
        if (c == NONE) continue;
        Absorb(t, c, merged);
        t.nodes[id].child[i] = NONE;
        children++;
    }
    OctNode& n = t.nodes[id];
    n.count += merged.count;
    n.sumRed += merged.sumRed;
    n.sumGreen += merged.sumGreen;
    n.sumBlue += merged.sumBlue;
    n.leaf = 1;
    t.leafCount -= children - 1;
    return true;
}

void Emit(const Octree& t, int32_t id, PalEntry* out, int& count) {
    const OctNode& n = t.nodes[id];
    if (n.leaf) {
        if (n.count && count < 256) {
            out[count].red = (uint8_t)(n.sumRed / n.count);
            out[count].green = (uint8_t)(n.sumGreen / n.count);
            out[count].blue = (uint8_t)(n.sumBlue / n.count);
            out[count].flags = 0;
            count++;
        }
        return;
    }
    for (int i = 0; i < 8; i++)
        if (n.child[i] != NONE) Emit(t, n.child[i], out, count);
}

}  // namespace

int oct_BuildPalette(Surface* s, int maxColours, int depth, PalEntry* out) {
    if (maxColours < 1 || maxColours > 256 || depth < 0 || depth > 8 || !out) return 0;
    uint32_t* px = srf_Lock(s);
    if (!px) return 0;
    Octree t;
    t.depth = depth;
    t.leafCount = 0;
    for (int i = 0; i < 9; i++) t.reducible[i] = NONE;
    t.nodes.reserve(1024);
    int32_t root = NewNode(t, 0);
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = px + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t p = row[x];
            uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            int32_t id = root;
            int level = 0;
            while (!t.nodes[id].leaf) {
                int shift = 7 - level;
                int idx = (((r >> shift) & 1) << 2) | (((g >> shift) & 1) << 1) | ((b >> shift) & 1);
                int32_t c = t.nodes[id].child[idx];
                if (c == NONE) {
                    c = NewNode(t, level + 1);   // may grow the pool: index again below
                    t.nodes[id].child[idx] = c;
                }
                id = c;
                level++;
            }
            OctNode& leaf = t.nodes[id];
            leaf.count++;
            leaf.sumRed += r;
            leaf.sumGreen += g;
            leaf.sumBlue += b;
            while (t.leafCount > maxColours && ReduceOnce(t)) {
            }
        }
    }
    srf_Unlock(s);
    int count = 0;
    Emit(t, root, out, count);
    return count;
}
