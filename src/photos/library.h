// The photos of the folders a person chose on this computer, found while
// the show plays: the bare player's picture source.
//
// OpenLibrary starts a worker thread at below-normal priority that first
// reads the catalogue kept from the last start (so the show can begin at
// once), then searches the folders afresh: photos added since join, photos
// gone leave. The window thread asks for photos by id; the worker only
// appends, under the library's lock, and posts `message` to `notify` when
// photos first become available and when the search ends.
//
// Ids are numbers from 0, stable while the library is open.
#pragma once

#include <windows.h>

// What the library finds and in which order they play. Copied by OpenLibrary.
struct LIBRARYOPTIONS {
    const wchar_t *folders;  // full paths, each ending in a null, the list in an empty one
    BOOL subfolders;
    DWORD order;             // PHOTOORDER_* (shell/photo_settings.h): 0 random, 1 name, 2 date, 3 newest
    const wchar_t *store;    // the folder of the catalogue and the order's state; null keeps none
    HWND notify;             // told of changes by `message`, wParam LIBRARYSTATE
    UINT message;
};

// What the library has to show.
enum LIBRARYSTATE {
    LIBRARY_SEARCHING,       // no photo known yet; the search goes on
    LIBRARY_READY,           // photos to play (the search may go on)
    LIBRARY_NOFOLDERS,       // the list of folders is empty
    LIBRARY_FOLDERSMISSING,  // not one of the folders could be opened
    LIBRARY_NOPHOTOS,        // the folders hold no photo
};

struct PHOTOLIBRARY;

// Starts the library; null only when memory runs out.
PHOTOLIBRARY *OpenLibrary(const LIBRARYOPTIONS &options);
// Stops the search, keeps the catalogue and the order's state for the next
// start, and frees the library.
void CloseLibrary(PHOTOLIBRARY *library);

LIBRARYSTATE LibraryState(PHOTOLIBRARY *library);
// Whether the search has ended; its last message is posted by then.
bool LibrarySearchDone(PHOTOLIBRARY *library);
// How many photos are known now.
int LibraryCount(PHOTOLIBRARY *library);

// The id of the next photo of the order that is none of the `excluded` ids
// (photos on a screen or taken ahead by another monitor); -1 when no photo
// is known yet. When every known photo is excluded it takes one anyway.
// The order moves on only when the photo is committed.
int TakeLibraryPhoto(PHOTOLIBRARY *library, const int *excluded, int count);
// Whether photos taken out of turn leave those they passed to play: in the
// random order, whose rounds mark each photo, but not in the sorted
// orders, which go on after the photo started last.
bool LibraryPlaysOutOfTurn(PHOTOLIBRARY *library);
// Photo `id` has started on a screen: it counts as played, and the order's
// state is kept.
void CommitLibraryPhoto(PHOTOLIBRARY *library, int id);
// Photo `id` could not be shown (gone, damaged, too large): it is passed
// over from now on and leaves the catalogue.
void DropLibraryPhoto(PHOTOLIBRARY *library, int id);

// The photo's full path, in the \\?\ form when it is longer than MAX_PATH,
// into `path` of `size` units; false for an unknown id or too small a room.
bool LibraryPhotoPath(PHOTOLIBRARY *library, int id, wchar_t *path, DWORD size);
// The photo's file name without its extension, as UTF-8, into `name` of
// `size` bytes; its length.
int LibraryPhotoName(PHOTOLIBRARY *library, int id, char *name, int size);
// The day the photo was taken as yyyymmdd when known, else 0.
DWORD LibraryPhotoDate(PHOTOLIBRARY *library, int id);
// The worker that made the photo's picture read its day taken.
void NoteLibraryPhotoDate(PHOTOLIBRARY *library, int id, DWORD yyyymmdd);
