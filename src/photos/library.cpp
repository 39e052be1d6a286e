// The library as the window thread sees it: open and close, and each
// question answered in one short turn of the lock.
#include "photos/library.h"

#include <process.h>

#include <cstdlib>
#include <cwchar>

#include "photos/library_state.h"
#include "photos/photo_order.h"
#include "photos/search.h"

using namespace photos;

namespace {

// A copy of a folder list: its strings, each ending in a null, and the empty one.
wchar_t *CopyList(const wchar_t *list) {
    const wchar_t *end = list;
    while (end && *end) end += std::wcslen(end) + 1;
    const size_t length = list ? size_t(end - list) : 0;
    wchar_t *copy = (wchar_t *)std::calloc(length + 2, sizeof(wchar_t));
    for (size_t i = 0; copy && i < length; ++i) copy[i] = list[i];
    return copy;
}

// A seed that differs from start to start and between two players started at once.
uint64_t FreshSeed() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const uint64_t seed = uint64_t(counter.QuadPart) ^ (uint64_t(GetCurrentProcessId()) << 32) ^ GetTickCount64();
    return seed ? seed : 0x9E3779B97F4A7C15ULL;
}

void Discard(PHOTOLIBRARY *library) {
    FreeCatalogue(&library->catalogue);
    FreePlace(&library->place);
    std::free(library->sorted);
    std::free(library->folders);
    std::free(library->store);
    std::free(library->file);
    DeleteCriticalSection(&library->lock);
    std::free(library);
}

// The catalogue's place: the store folder and the file in it.
bool SetStore(PHOTOLIBRARY *library, const wchar_t *store) {
    if (!store || !*store) return true;
    const size_t length = std::wcslen(store);
    library->store = CopyList(store);
    library->file = (wchar_t *)std::calloc(length + 32, sizeof(wchar_t));
    return library->store && library->file &&
           CatalogueName(store, library->print, library->file, DWORD(length + 32));
}

bool Known(PHOTOLIBRARY *library, int id) { return id >= 0 && uint32_t(id) < library->published; }

PLAYABLE Playing(PHOTOLIBRARY *library, const int *excluded, int count) {
    return PLAYABLE{&library->catalogue, library->published, excluded, excluded ? count : 0};
}

}  // namespace

PHOTOLIBRARY *OpenLibrary(const LIBRARYOPTIONS &options) {
    PHOTOLIBRARY *library = (PHOTOLIBRARY *)std::calloc(1, sizeof(PHOTOLIBRARY));
    if (!library) return nullptr;
    InitializeCriticalSection(&library->lock);
    library->folders = CopyList(options.folders);
    library->subfolders = options.subfolders;
    library->order = options.order <= ORDER_NEWEST ? options.order : ORDER_RANDOM;
    library->print = FolderPrint(library->folders, options.subfolders);
    library->notify = options.notify, library->message = options.message;
    library->place.round = 1, library->place.last = kNone;
    library->draws = FreshSeed();
    library->outcome = LIBRARY_SEARCHING;
    if (library->folders && SetStore(library, options.store))
        library->worker = (HANDLE)_beginthreadex(nullptr, 0, RunLibrary, library, CREATE_SUSPENDED, nullptr);
    if (!library->worker) {
        Discard(library);
        return nullptr;
    }
    // Below the window thread, so the search never holds up a show.
    SetThreadPriority(library->worker, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(library->worker);
    return library;
}

void CloseLibrary(PHOTOLIBRARY *library) {
    if (!library) return;
    InterlockedExchange(&library->stop, 1);
    WaitForSingleObject(library->worker, INFINITE);
    CloseHandle(library->worker);
    if (library->dirty) SaveLibrary(library);
    Discard(library);
}

LIBRARYSTATE LibraryState(PHOTOLIBRARY *library) {
    Locked locked(library);
    if (library->known > 0) return LIBRARY_READY;
    // Every photo found was dropped since.
    return library->outcome == LIBRARY_READY ? LIBRARY_NOPHOTOS : library->outcome;
}

bool LibrarySearchDone(PHOTOLIBRARY *library) {
    Locked locked(library);
    return library->outcome != LIBRARY_SEARCHING;
}

int LibraryCount(PHOTOLIBRARY *library) {
    Locked locked(library);
    return int(library->known);
}

int TakeLibraryPhoto(PHOTOLIBRARY *library, const int *excluded, int count) {
    Locked locked(library);
    const PLAYABLE playable = Playing(library, excluded, count);
    if (library->order == ORDER_RANDOM) return PickRandom(playable, library->place, NextDraw(&library->draws));
    return NextSorted(playable, library->order, library->sorted, library->sortedcount, library->place);
}

bool LibraryPlaysOutOfTurn(PHOTOLIBRARY *library) { return library->order == ORDER_RANDOM; }

void CommitLibraryPhoto(PHOTOLIBRARY *library, int id) {
    Locked locked(library);
    if (!Known(library, id)) return;
    if (library->order == ORDER_RANDOM) CommitRandom(Playing(library, nullptr, 0), &library->place, uint32_t(id));
    const PHOTOKEY key = RecordKey(library->catalogue, uint32_t(id));
    library->place.last = uint32_t(id);
    library->place.lastmoment = key.moment;
    if (!SetLastPath(&library->place, key.path, key.length)) FreePlace(&library->place);
    library->dirty = true;
}

void DropLibraryPhoto(PHOTOLIBRARY *library, int id) {
    Locked locked(library);
    if (!Known(library, id)) return;
    PHOTORECORD &record = library->catalogue.records[id];
    if (record.shown & SHOWN_DROPPED) return;
    record.shown |= SHOWN_DROPPED;
    if (!(record.found & FOUND_GONE)) --library->known;
    library->dirty = true;
}

bool LibraryPhotoPath(PHOTOLIBRARY *library, int id, wchar_t *path, DWORD size) {
    Locked locked(library);
    if (!Known(library, id) || !path) return false;
    const PHOTORECORD &record = library->catalogue.records[id];
    return OpenablePath(library->catalogue.pool + record.path, record.length, false, path, size);
}

int LibraryPhotoName(PHOTOLIBRARY *library, int id, char *name, int size) {
    if (!name || size <= 0) return 0;
    name[0] = 0;
    Locked locked(library);
    if (!Known(library, id)) return 0;
    const PHOTORECORD &record = library->catalogue.records[id];
    const wchar_t *path = library->catalogue.pool + record.path;
    int start = record.length, end = record.length;
    while (start > 0 && path[start - 1] != L'\\') --start;
    for (int at = end - 1; at > start; --at)
        if (path[at] == L'.') {
            end = at;
            break;
        }
    // As many whole characters as `name` holds.
    int length = 0;
    for (int count = end - start; count > 0 && length == 0; --count) {
        if (count < end - start && IS_HIGH_SURROGATE(path[start + count - 1])) continue;
        length = WideCharToMultiByte(CP_UTF8, 0, path + start, count, name, size - 1, nullptr, nullptr);
    }
    name[length] = 0;
    return length;
}

DWORD LibraryPhotoDate(PHOTOLIBRARY *library, int id) {
    Locked locked(library);
    return Known(library, id) ? library->catalogue.records[id].taken : 0;
}

void NoteLibraryPhotoDate(PHOTOLIBRARY *library, int id, DWORD yyyymmdd) {
    Locked locked(library);
    if (!Known(library, id)) return;
    PHOTORECORD &record = library->catalogue.records[id];
    // A day the search read is a sort key, which the worker alone writes.
    if ((record.found & FOUND_DATED) || record.taken == yyyymmdd) return;
    record.taken = yyyymmdd;
    library->dirty = true;
}
