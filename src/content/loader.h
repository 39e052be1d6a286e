// Reading the show appended to the module file into the block store.
#pragma once

#include <windows.h>

#include "content/blockstore.h"

// The whole show into the store whose list box is `list`: 1, else 0.
int LoadScrFile(HWND list, BLOCKSET *set, const char *path);
// Whether the file at `path` ends in a show's trailer: a show is appended,
// sound or damaged. The bare player has none.
int ShowAppended(const char *path);
// The HEAD header and its preview picture (in out->data) only: 1, else 0.
int LoadHeaderBlock(HWND window, BLOCK *out, const char *path, BLOCKSET *owner);
// A fresh record for a block of `type`: 1, or 0 for an unknown type.
int CreateBlock(HWND window, BLOCKSET *owner, BLOCK *out, DWORD type, HGLOBAL data, int unused);
// Where a JPEG picture's data lies in the show file, and its size in pixels.
// The loader keeps this in the block's `auxhandle` instead of the data.
// The offset is 64-bit: a show file may be larger than 2 GB. The record
// lives only in memory.
struct JPEGPLACE {
    ULONGLONG offset;
    DWORD size;
    DWORD width;
    DWORD height;
};
// The place of a JPEG picture block: 1, else 0.
int GetJpegPlace(const BLOCK *block, JPEGPLACE *place);
// A new block holding the JPEG file of a picture block, read from the show
// file at `path`; 0 when it cannot be read.
HGLOBAL ReadJpegPicture(const BLOCK *block, const char *path);
// A copy of the first HEAD block of the store: 1, else 0.
int GetHeaderBlock(HWND list, BLOCKSET *set, BLOCK *out);
