// Keeping a library's catalogue: a copy of its records taken in one short
// turn of the lock, written outside it.
#include <cstdlib>

#include "photos/library_state.h"
#include "photos/photo_order.h"

namespace photos {
namespace {

bool Keeps(const PHOTORECORD &record) { return !(record.found & FOUND_GONE) && !(record.shown & SHOWN_DROPPED); }

// What is written, copied under the lock: the photos kept (for a sorted
// order the listed ones first, in order) and the place, its last photo
// counted in the copy.
struct Snapshot {
    PHOTORECORD *records;
    uint32_t count;
    uint32_t sorted;
    ORDERPLACE place;
};

void Take(Snapshot *snapshot, const CATALOGUE &catalogue, uint32_t id, uint32_t last) {
    if (!Keeps(catalogue.records[id])) return;
    if (id == last) snapshot->place.last = snapshot->count;
    snapshot->records[snapshot->count++] = catalogue.records[id];
}

bool TakeSnapshot(PHOTOLIBRARY *library, Snapshot *snapshot) {
    EnterCriticalSection(&library->lock);
    const CATALOGUE &catalogue = library->catalogue;
    const ORDERPLACE &place = library->place;
    snapshot->records = (PHOTORECORD *)std::calloc(size_t(catalogue.count) + 1, sizeof(PHOTORECORD));
    bool ok = snapshot->records && (!place.lastpath || SetLastPath(&snapshot->place, place.lastpath, place.lastlength));
    if (ok) {
        snapshot->place.round = place.round, snapshot->place.lastmoment = place.lastmoment;
        snapshot->place.last = kNone;
        const bool sorted = library->order != ORDER_RANDOM;
        uint32_t from = 0;
        if (sorted) {
            for (uint32_t i = 0; i < library->sortedcount; ++i) Take(snapshot, catalogue, library->sorted[i], place.last);
            snapshot->sorted = snapshot->count;
            from = library->published;  // the list holds every published photo not gone
        }
        for (uint32_t id = from; id < catalogue.count; ++id) Take(snapshot, catalogue, id, place.last);
        library->dirty = false;
    }
    LeaveCriticalSection(&library->lock);
    return ok;
}

}  // namespace

bool SaveLibrary(PHOTOLIBRARY *library) {
    if (!library->file) return true;
    Snapshot snapshot = {};
    bool ok = TakeSnapshot(library, &snapshot);
    // The pool is read without the lock: only the worker moves it, and the
    // worker is the caller or has ended.
    if (ok) {
        MakeStore(library->store);
        ok = WriteCatalogue(library->file, library->print, snapshot.records, snapshot.count, library->catalogue.pool,
                            snapshot.place, library->order, snapshot.sorted);
    }
    if (!ok) {
        EnterCriticalSection(&library->lock);
        library->dirty = true;
        LeaveCriticalSection(&library->lock);
    }
    std::free(snapshot.records);
    FreePlace(&snapshot.place);
    return ok;
}

}  // namespace photos
