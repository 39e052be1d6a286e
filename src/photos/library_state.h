// What a photo library holds, shared by its window-thread side
// (library.cpp), its worker (library_worker.cpp) and its keeping
// (library_save.cpp).
//
// Who touches what: the worker alone appends to the catalogue and moves its
// memory, and alone writes a record's path, `found`, `taken` of a dated
// photo and `written`; it does so under the lock, and reads them without
// it. The window thread writes `round`, `shown`, the place and `taken` of
// an undated photo, under the lock, and reads everything under it.
#pragma once

#include <windows.h>

#include "photos/catalogue.h"
#include "photos/library.h"
#include "photos/path_index.h"

struct PHOTOLIBRARY {
    CRITICAL_SECTION lock;
    photos::CATALOGUE catalogue;
    uint32_t published;    // ids below it may play
    uint32_t known;        // of them, those neither gone nor dropped
    uint32_t *sorted;      // the sorted orders: the published ids not gone, in order
    uint32_t sortedcount;
    photos::ORDERPLACE place;
    uint64_t draws;        // the random order's generator
    LIBRARYSTATE outcome;  // how the search ended; LIBRARY_SEARCHING while it runs
    bool dirty;            // changed since the catalogue was last written

    // Set by OpenLibrary, then only read.
    wchar_t *folders;
    BOOL subfolders;
    DWORD order;
    wchar_t *store;        // null: no catalogue
    wchar_t *file;         // the catalogue's file
    uint32_t print;        // FolderPrint of the folders
    HWND notify;
    UINT message;
    HANDLE worker;
    volatile LONG stop;

    // The worker's own.
    photos::PATHINDEX index;
    bool resort;             // sort keys of published photos changed
    bool announced;          // LIBRARY_READY was posted
    ULONGLONG publishedat;   // GetTickCount64 of the last publication
    wchar_t *scratch;        // room for a path in the \\?\ form
    uint8_t *header;         // room for a photo's header
};

namespace photos {

// The worker's thread.
unsigned __stdcall RunLibrary(void *library);
// Writes the library's catalogue when it has one; false when it could not.
bool SaveLibrary(PHOTOLIBRARY *library);

}  // namespace photos

// Holds the library's lock for the length of a scope.
class Locked {
public:
    explicit Locked(PHOTOLIBRARY *library) : lock_(&library->lock) { EnterCriticalSection(lock_); }
    ~Locked() { LeaveCriticalSection(lock_); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;

private:
    CRITICAL_SECTION *lock_;
};
