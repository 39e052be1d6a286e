// Where each monitor stands in a show that plays on several: where a
// monitor starts, and which block it plays next. Read from the session and
// the monitors' shows; nothing here starts or ends an item.
#pragma once

#include <windows.h>

struct MONITORSHOW;

// Where monitor `number` of `monitors` starts (its `current` before the first
// advance): spread over the show in "each" mode, else at its beginning.
int StartingPlace(int number, int monitors);

// Whether the monitors share the folders' photos: in "each" mode with more
// than one monitor, a monitor takes its next photo of a folder when it
// looks ahead, so that no other monitor takes it meanwhile.
bool SharingFolders();

// Whether a monitor takes the photo of `slot` ahead, as it looks ahead: at
// the live folders' slot always, at a folder's slot when the monitors share
// the folders.
bool TakesAhead(int slot);
// Whether `reserved`, a photo taken ahead, is one of `slot`'s.
bool ReservedFor(int reserved, int slot);

// The photo `window`'s monitor plays at the folder slot `slot`: the next of
// the folder's order that no monitor shows or has taken ahead, this
// monitor's own photo on screen included. Moves the order on. At the live
// slot: the library's next such photo, -1 while it knows none.
int TakePhoto(HWND window, const MONITORSHOW *set, int slot);

// Photos of the live folders offered to stand beside the picture of played
// index `beside`, into `partners` (`room` of them): the library's next ones
// that no monitor shows or holds, in its order; only the next one when the
// order cannot come back for those passed over. Their count.
int TakePartnerPhotos(HWND window, const MONITORSHOW *set, int beside, int *partners, int room);

// The show's next place on `window`'s monitor. In "each" mode a monitor
// passes over a photo that another monitor shows, and the other monitors
// over what plays on the primary one.
int NextSlot(HWND window, const MONITORSHOW *set);
