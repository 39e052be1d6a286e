// The library's worker: reads the catalogue so the show can start at once,
// searches the folders afresh behind it, and publishes what it finds in
// short turns of the lock.
#include <cstdlib>

#include "photos/library_state.h"
#include "photos/photo_order.h"
#include "photos/search.h"
#include "photos/taken_date.h"

namespace photos {
namespace {

constexpr DWORD kScratchRoom = 32768 + 16;
constexpr ULONGLONG kPublishEvery = 1000;  // ms between merges of what a sorted order has not yet seen

bool Sorted(const PHOTOLIBRARY *library) { return library->order != ORDER_RANDOM; }
bool Dated(const PHOTOLIBRARY *library) {
    return library->order == ORDER_DATE || library->order == ORDER_NEWEST;
}

void Post(PHOTOLIBRARY *library, LIBRARYSTATE state) {
    if (library->notify) PostMessageA(library->notify, library->message, WPARAM(state), 0);
}

// LIBRARY_READY once, as soon as a photo may play.
void Announce(PHOTOLIBRARY *library) {
    if (library->announced) return;
    bool ready;
    {
        Locked locked(library);
        ready = library->known > 0;
    }
    if (ready) Post(library, LIBRARY_READY), library->announced = true;
}

// The ids of [from, to) not gone, sorted, then merged with the `count`
// sorted ids of `old`: a new list from calloc, or null.
uint32_t *SortedList(const PHOTOLIBRARY *library, const uint32_t *old, uint32_t count, uint32_t from, uint32_t to,
                     uint32_t *listed) {
    const CATALOGUE &catalogue = library->catalogue;
    uint32_t *list = (uint32_t *)std::calloc(size_t(count) + (to - from) + 1, sizeof *list);
    uint32_t *fresh = (uint32_t *)std::calloc(size_t(to - from) + 1, sizeof *fresh);
    uint32_t added = 0;
    if (list && fresh) {
        for (uint32_t id = from; id < to; ++id)
            if (!(catalogue.records[id].found & FOUND_GONE)) fresh[added++] = id;
        SortIds(catalogue, library->order, fresh, added);
        MergeIds(catalogue, library->order, old, count, fresh, added, list);
        *listed = count + added;
    }
    std::free(fresh);
    if (!fresh) std::free(list);
    return fresh ? list : nullptr;
}

// Makes every photo found so far playable: for a sorted order, merges the
// new ones into the list (sorts it all when `whole` or keys changed).
void Publish(PHOTOLIBRARY *library, bool whole) {
    const uint32_t count = library->catalogue.count;
    uint32_t *list = nullptr, listed = 0;
    if (Sorted(library)) {
        whole = whole || library->resort;
        if (!whole && count == library->published) return;
        list = whole ? SortedList(library, nullptr, 0, 0, count, &listed)
                     : SortedList(library, library->sorted, library->sortedcount, library->published, count, &listed);
        if (!list) return;
        library->resort = false;
        library->publishedat = GetTickCount64();
    }
    // Photos not yet published cannot be dropped: only duplicates are gone.
    uint32_t live = 0;
    for (uint32_t id = library->published; id < count; ++id) live += !(library->catalogue.records[id].found & FOUND_GONE);
    {
        Locked locked(library);
        library->known += live;
        library->published = count;
        if (list) {
            uint32_t *old = library->sorted;
            library->sorted = list, library->sortedcount = listed;
            list = old;
        }
    }
    std::free(list);
}

// A sorted order merges new photos when they are as many as those it has,
// and at least every kPublishEvery: few merges, and none waits long.
void PublishInTurn(PHOTOLIBRARY *library) {
    const uint32_t waiting = library->catalogue.count - library->published;
    if (waiting == 0) return;
    if (!Sorted(library) || library->published == 0 || waiting >= library->published ||
        GetTickCount64() - library->publishedat >= kPublishEvery)
        Publish(library, false);
}

// The catalogue of the last start, made playable before the search begins.
void LoadCatalogue(PHOTOLIBRARY *library) {
    CATALOGUE catalogue = {};
    ORDERPLACE place = {};
    DWORD sortedby = 0;
    uint32_t sorted = 0;
    if (!library->file || !ReadCatalogue(library->file, library->print, &catalogue, &place, &sortedby, &sorted))
        return;
    {
        Locked locked(library);
        library->catalogue = catalogue;
        FreePlace(&library->place);
        library->place = place;
    }
    if (!Sorted(library)) return Publish(library, false);
    // Written in the order asked for: only what came after needs sorting.
    if (sortedby != library->order) sorted = 0;
    uint32_t *head = (uint32_t *)std::calloc(size_t(sorted) + 1, sizeof *head);
    if (!head) return;
    for (uint32_t id = 0; id < sorted; ++id) head[id] = id;
    uint32_t listed = 0;
    uint32_t *list = SortedList(library, head, sorted, sorted, catalogue.count, &listed);
    std::free(head);
    if (!list) return;
    Locked locked(library);
    library->sorted = list, library->sortedcount = listed;
    library->known = library->published = catalogue.count;
}

// The catalogue's photos in the index; a path met twice keeps its first.
bool IndexCatalogue(PHOTOLIBRARY *library) {
    const CATALOGUE &catalogue = library->catalogue;
    for (uint32_t id = 0; id < catalogue.count; ++id) {
        if (library->stop) return false;
        const PHOTORECORD &record = catalogue.records[id];
        if (FindPath(library->index, catalogue, catalogue.pool + record.path, record.length) >= 0) {
            Locked locked(library);
            catalogue.records[id].found |= FOUND_GONE;
            if (id < library->published && !(record.shown & SHOWN_DROPPED)) --library->known;
        } else if (!AddPath(&library->index, catalogue, id)) {
            return false;
        }
    }
    return true;
}

// The day taken that the photo's header gives: only a JPEG's is read.
uint32_t ReadDay(PHOTOLIBRARY *library, const wchar_t *path, uint32_t length) {
    if (!IsJpegName(path, length) || !OpenablePath(path, length, false, library->scratch, kScratchRoom)) return 0;
    return FileTakenDate(library->scratch, library->header);
}

// A photo the catalogue knows, found again: its write time and, for the
// date orders, its day taken brought up to date.
void FoundAgain(PHOTOLIBRARY *library, uint32_t id, const wchar_t *path, uint32_t length, uint64_t written) {
    const PHOTORECORD &record = library->catalogue.records[id];
    const bool redate = Dated(library) && (!(record.found & FOUND_DATED) || record.written != written);
    const uint32_t day = redate ? ReadDay(library, path, length) : 0;
    Locked locked(library);
    PHOTORECORD &changed = library->catalogue.records[id];
    changed.found |= FOUND_SEEN;
    if (changed.written == written && !redate) return;
    if (redate) {
        changed.taken = day;
        changed.found |= FOUND_DATED;
    } else {
        changed.found &= uint8_t(~FOUND_DATED);  // the file changed: its day is read again when asked
    }
    changed.written = written;
    library->dirty = true;
    if (id < library->published && Dated(library)) library->resort = true;
}

bool FoundNew(PHOTOLIBRARY *library, const wchar_t *path, uint32_t length, uint64_t written) {
    PHOTORECORD fields = {};
    fields.found = FOUND_SEEN;
    if (Dated(library)) {
        fields.taken = ReadDay(library, path, length);
        fields.found |= FOUND_DATED;
    }
    fields.written = written;
    int id;
    {
        Locked locked(library);
        id = AppendPhoto(&library->catalogue, path, length, fields);
        library->dirty = true;
    }
    if (id < 0 || !AddPath(&library->index, library->catalogue, uint32_t(id))) return false;
    PublishInTurn(library);
    Announce(library);
    return true;
}

bool OnPhoto(void *context, const wchar_t *path, uint32_t length, const FILETIME &written) {
    PHOTOLIBRARY *library = (PHOTOLIBRARY *)context;
    // UTC, as the file system keeps it: a local time would move by an hour
    // at each change of daylight saving and make every photo look changed.
    const uint64_t utc = uint64_t(written.dwHighDateTime) << 32 | written.dwLowDateTime;
    const int id = FindPath(library->index, library->catalogue, path, length);
    if (id >= 0) {
        FoundAgain(library, uint32_t(id), path, length, utc);
        return true;
    }
    return FoundNew(library, path, length, utc);
}

// After a whole search: the photos it did not find leave.
void PassOverGone(PHOTOLIBRARY *library) {
    Locked locked(library);
    CATALOGUE &catalogue = library->catalogue;
    for (uint32_t id = 0; id < catalogue.count; ++id) {
        PHOTORECORD &record = catalogue.records[id];
        if (record.found & (FOUND_SEEN | FOUND_GONE)) {
            record.found &= uint8_t(~FOUND_SEEN);
            continue;
        }
        record.found |= FOUND_GONE;
        library->dirty = true;
        if (id < library->published && !(record.shown & SHOWN_DROPPED)) --library->known;
    }
}

// The state the search ends in, posted under the lock: once the window
// thread sees the search done, the message is on its way.
void Finish(PHOTOLIBRARY *library, const SEARCHOUTCOME &outcome) {
    Locked locked(library);
    const LIBRARYSTATE state = outcome.folders == 0  ? LIBRARY_NOFOLDERS
                               : library->known > 0  ? LIBRARY_READY
                               : outcome.opened == 0 ? LIBRARY_FOLDERSMISSING
                                                     : LIBRARY_NOPHOTOS;
    library->outcome = state;
    Post(library, state);
}

// The catalogue, then the search; what a whole search found is kept.
SEARCHOUTCOME Search(PHOTOLIBRARY *library) {
    LoadCatalogue(library);
    Announce(library);
    SEARCHOUTCOME outcome = {1, 1, false};  // when the index cannot be made: the catalogue is all there is
    if (IndexCatalogue(library))
        outcome = SearchFolders(library->folders, library->subfolders, &library->stop, OnPhoto, library);
    FreeIndex(&library->index);
    if (outcome.finished) PassOverGone(library);
    Publish(library, outcome.finished);
    if (!outcome.finished) return outcome;
    bool dirty;
    {
        Locked locked(library);
        TrimCatalogue(&library->catalogue);
        dirty = library->dirty;
    }
    if (dirty) SaveLibrary(library);
    return outcome;
}

}  // namespace

unsigned __stdcall RunLibrary(void *argument) {
    PHOTOLIBRARY *library = (PHOTOLIBRARY *)argument;
    library->scratch = (wchar_t *)std::calloc(kScratchRoom, sizeof(wchar_t));
    library->header = (uint8_t *)std::malloc(kDateHeaderBytes);
    SEARCHOUTCOME outcome = {0, 0, false};  // no folder listed
    if (library->folders[0]) outcome = library->scratch && library->header ? Search(library) : SEARCHOUTCOME{1, 1, false};
    if (!library->stop) Finish(library, outcome);
    std::free(library->scratch);
    std::free(library->header);
    library->scratch = nullptr, library->header = nullptr;
    return 0;
}

}  // namespace photos
