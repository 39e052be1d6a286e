// The live folders: the show of the bare player, which has none appended.
// Its store holds a header and one picture block, the live slot, both made
// from the photo settings (shell/photo_settings.h); each time a monitor's
// show comes to the slot, the library (photos/library.h) says which photo
// file plays there. Everything else (fit, captions, effects, pan-and-zoom,
// every monitor, display changes, input) is the packed shows' engine.
//
// A photo is known to the engine by its played index: store indexes are
// below kLivePhotoBase, photo `id` of the library is kLivePhotoBase + id.
#pragma once

#include <windows.h>

#include "content/blockstore.h"

constexpr int kLivePhotoBase = 0x20000;  // above every store index (at most 65,537 blocks)

// Makes the live show's store as a child of `host`, opens the library and
// posts WM_CONTENTLOADED. Non-zero when it did. The host's preview is one
// small window, whatever the settings say of the monitors, and keeps the
// pointer as it is.
int LoadLiveSession(HWND host, bool preview = false);
// The session ends: the library keeps its catalogue and closes.
void CloseLiveSession();

bool IsLiveSlot(int slot);
inline bool IsLivePhoto(int index) { return index >= kLivePhotoBase; }

// The record of played index `index`: a store block, or the live slot's
// block for a photo of the library, with its day taken when known.
bool GetPlayedBlock(int index, BLOCK *block);

// The played index of the library's next photo that is none of the
// `excluded` played indexes; -1 while no photo is known.
int TakeLivePhoto(const int *excluded, int count);
// Whether photos may be taken past others that then still play (the
// library's random order).
bool LivePhotosPlayOutOfTurn();
// The photo started on a screen: it counts as played.
void CommitLivePhoto(int index);
// The photo could not be shown: it is passed over from now on.
void DropLivePhoto(int index);
// The photo's file, into `path` of `size` units; false for none.
bool LivePhotoPath(int index, wchar_t *path, DWORD size);
// The photo's name for its caption, UTF-8, into the memory block `name`
// (GMEM_MOVEABLE, resized to fit); its length in bytes.
DWORD SetLivePhotoName(int index, HGLOBAL *name);
// The worker read the photo's day taken.
void NoteLivePhotoDate(int index, DWORD yyyymmdd);

// WM_LIBRARYCHANGED: the library's state; monitors waiting for a photo go on.
void OnLibraryChanged(int state);
// A monitor rested a lap for want of a photo: when the search has found
// none for a while, the screens say that it looks for them.
void NoteIdleLap();
// Draws the words for a live show that has nothing to play (no folders,
// every folder missing, no photos, or a search that has found none for a
// while) in the middle of `area`; false when it has photos.
bool DrawNothingToPlay(HDC dc, const RECT &area);
