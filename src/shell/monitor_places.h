// Where each monitor stands in a show that plays on several: which window is
// whose, where a monitor starts, and which block it plays next. Read from
// the monitors' BLOCKSETs; nothing here starts or ends an item.
#pragma once

#include <windows.h>

#include "content/blockstore.h"

// Whether the window of `set` plays on a monitor other than the primary one.
inline bool Follows(const BLOCKSET *set) { return set->lead != nullptr; }
inline bool Mirrors(const BLOCKSET *set) { return set->monitors == SCRF_MIRRORMONITORS; }
// Applets, sounds and animations play on the primary monitor only.
inline bool PlaysOnPrimaryOnly(DWORD type) { return type == TAG_APPL || type == TAG_SOND || type == TAG_ANIM; }

// The windows the show plays on, seen from `window` (whose BLOCKSET is
// `set`): the primary monitor's at 0, then the others', as long as they are
// there.
int MonitorWindowCount();
HWND MonitorWindow(const BLOCKSET *set, HWND window, int index);

// Where monitor `number` of `monitors` starts (its `current` before the first
// advance): spread over the show in "each" mode, else at its beginning.
int StartingPlace(const BLOCKSET *set, int number, int monitors);

// The show's next place on `window`'s monitor. In "each" mode a monitor
// passes over a photo that another monitor shows, and the other monitors
// over what plays on the primary one.
int NextSlot(HWND window, const BLOCKSET *set);
