// The path index: FNV-1a over the path's wide chars, linear probing, at
// most three quarters full.
#include "photos/path_index.h"

#include <cstdlib>

namespace photos {
namespace {

uint32_t Hash(const wchar_t *path, uint32_t length) {
    uint32_t hash = 2166136261u;
    for (uint32_t i = 0; i < length; ++i) hash = (hash ^ uint32_t(path[i])) * 16777619u;
    return hash;
}

bool SamePath(const CATALOGUE &catalogue, uint32_t id, const wchar_t *path, uint32_t length) {
    const PHOTORECORD &record = catalogue.records[id];
    if (record.length != length) return false;
    const wchar_t *known = catalogue.pool + record.path;
    for (uint32_t i = 0; i < length; ++i)
        if (known[i] != path[i]) return false;
    return true;
}

void Place(PATHINDEX *index, const CATALOGUE &catalogue, uint32_t id) {
    const PHOTORECORD &record = catalogue.records[id];
    uint32_t slot = Hash(catalogue.pool + record.path, record.length) & (index->size - 1);
    while (index->slots[slot]) slot = (slot + 1) & (index->size - 1);
    index->slots[slot] = id + 1;
    ++index->used;
}

bool Grow(PATHINDEX *index, const CATALOGUE &catalogue) {
    const uint32_t size = index->size ? index->size * 2 : 1024;
    if (size == 0 || size > (1u << 30)) return false;
    uint32_t *slots = (uint32_t *)std::calloc(size, sizeof *slots);
    if (!slots) return false;
    PATHINDEX grown = {slots, size, 0};
    for (uint32_t slot = 0; slot < index->size; ++slot)
        if (index->slots[slot]) Place(&grown, catalogue, index->slots[slot] - 1);
    std::free(index->slots);
    *index = grown;
    return true;
}

}  // namespace

int FindPath(const PATHINDEX &index, const CATALOGUE &catalogue, const wchar_t *path, uint32_t length) {
    if (!index.size) return -1;
    for (uint32_t slot = Hash(path, length) & (index.size - 1); index.slots[slot]; slot = (slot + 1) & (index.size - 1))
        if (SamePath(catalogue, index.slots[slot] - 1, path, length)) return int(index.slots[slot] - 1);
    return -1;
}

bool AddPath(PATHINDEX *index, const CATALOGUE &catalogue, uint32_t id) {
    if ((uint64_t(index->used) + 1) * 4 > uint64_t(index->size) * 3 && !Grow(index, catalogue)) return false;
    Place(index, catalogue, id);
    return true;
}

void FreeIndex(PATHINDEX *index) {
    std::free(index->slots);
    *index = PATHINDEX{};
}

}  // namespace photos
