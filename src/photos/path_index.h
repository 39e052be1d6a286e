// Finds a photo of a catalogue by its path: an open-addressing table of
// ids, used by the search alone.
#pragma once

#include <cstdint>

#include "photos/catalogue.h"

namespace photos {

struct PATHINDEX {
    uint32_t *slots;  // id + 1, or 0 for an empty slot
    uint32_t size;    // a power of two
    uint32_t used;
};

// The id of the photo with exactly this path, or -1.
int FindPath(const PATHINDEX &index, const CATALOGUE &catalogue, const wchar_t *path, uint32_t length);
// Adds photo `id`; false when memory runs out.
bool AddPath(PATHINDEX *index, const CATALOGUE &catalogue, uint32_t id);
void FreeIndex(PATHINDEX *index);

}  // namespace photos
