// The search for photo files in a list of folders, and the path forms it
// works with.
#pragma once

#include <windows.h>

#include <cstdint>

namespace photos {

// Called for each photo file found with its full path (the plain form,
// never \\?\) and its last write time (UTC); false stops the search.
typedef bool (*FOUNDPHOTO)(void *context, const wchar_t *path, uint32_t length, const FILETIME &written);

struct SEARCHOUTCOME {
    int folders;    // folders listed
    int opened;     // of them, those that could be read (none when memory ran out)
    bool finished;  // every folder was searched to its end
};

// Searches `folders` (full paths, each ending in a null, the list in an
// empty one) and, when `subfolders` is set, the folders below them. Files
// and folders marked hidden or system are passed over, and so are folders
// that are junctions or symbolic links (reparse points), so a loop cannot
// hold the search. Stops early once *stop is set or `found` says so.
SEARCHOUTCOME SearchFolders(const wchar_t *folders, BOOL subfolders, const volatile LONG *stop, FOUNDPHOTO found,
                            void *context);

// Whether a file name ends in one of the photo extensions, in any case:
// .jpg .jpeg .png .bmp .gif.
bool IsPhotoName(const wchar_t *name, uint32_t length);
// Whether it ends in .jpg or .jpeg, whose header may say the day taken.
bool IsJpegName(const wchar_t *name, uint32_t length);

// `path` (`length` chars, the plain form) as the system opens it: in the
// \\?\ form (\\?\UNC\ for a share) when `always` is set or it is too long
// for the plain one. False when `out` of `size` chars cannot hold it.
bool OpenablePath(const wchar_t *path, uint32_t length, bool always, wchar_t *out, DWORD size);

}  // namespace photos
