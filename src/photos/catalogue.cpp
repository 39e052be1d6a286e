// The catalogue in memory: records and the path pool, grown from the C heap.
#include "photos/catalogue.h"

#include <cstdlib>
#include <cstring>

namespace photos {
namespace {

// Room for at least `need` items of `size` bytes, grown by half again so
// appends stay cheap while little is left unused.
bool Grow(void **items, uint32_t *room, uint32_t need, size_t size) {
    if (need <= *room) return true;
    uint64_t grown = uint64_t(*room) + *room / 2 + 64;
    if (grown < need) grown = need;
    if (grown > 0x7FFFFFFF / size) return false;
    void *moved = std::realloc(*items, size_t(grown) * size);
    if (!moved) return false;
    *items = moved, *room = uint32_t(grown);
    return true;
}

template <typename T>
void Shrink(T **items, uint32_t *room, uint32_t used) {
    if (used == 0 || used == *room) return;
    if (T *moved = (T *)std::realloc(*items, sizeof(T) * used)) *items = moved, *room = used;
}

}  // namespace

int AppendPhoto(CATALOGUE *catalogue, const wchar_t *path, uint32_t length, const PHOTORECORD &fields) {
    if (length == 0 || length > kLongestPath || catalogue->count >= 0x7FFFFFFF) return -1;
    if (!Grow((void **)&catalogue->records, &catalogue->room, catalogue->count + 1, sizeof(PHOTORECORD)) ||
        !Grow((void **)&catalogue->pool, &catalogue->poolroom, catalogue->poolused + length + 1, sizeof(wchar_t)))
        return -1;
    PHOTORECORD &record = catalogue->records[catalogue->count];
    record = fields;
    record.path = catalogue->poolused, record.length = uint16_t(length);
    std::memcpy(catalogue->pool + catalogue->poolused, path, length * sizeof(wchar_t));
    catalogue->pool[catalogue->poolused + length] = 0;
    catalogue->poolused += length + 1;
    return int(catalogue->count++);
}

void TrimCatalogue(CATALOGUE *catalogue) {
    Shrink(&catalogue->records, &catalogue->room, catalogue->count);
    Shrink(&catalogue->pool, &catalogue->poolroom, catalogue->poolused);
}

void FreeCatalogue(CATALOGUE *catalogue) {
    std::free(catalogue->records);
    std::free(catalogue->pool);
    *catalogue = CATALOGUE{};
}

bool SetLastPath(ORDERPLACE *place, const wchar_t *path, uint32_t length) {
    if (!Grow((void **)&place->lastpath, &place->lastroom, length + 1, sizeof(wchar_t))) return false;
    std::memcpy(place->lastpath, path, length * sizeof(wchar_t));
    place->lastpath[length] = 0;
    place->lastlength = length;
    return true;
}

void FreePlace(ORDERPLACE *place) {
    std::free(place->lastpath);
    place->lastpath = nullptr;
    place->lastlength = place->lastroom = 0;
}

}  // namespace photos
