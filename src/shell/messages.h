// Private messages and timers of the saver window and the other monitors' windows, shared by everything that
// posts to it.
#pragma once

#include <windows.h>

#include "presentation/timers.h"  // IDT_STEP and IDT_CYCLEDONE, the display status's own

// Private messages, posted with wParam and lParam 0 unless said.
constexpr UINT WM_CONTENTLOADED = 0x0439;  // the show is loaded: set it up
constexpr UINT WM_APPLETSTEP = 0x04BC;     // run the next applet line
constexpr UINT WM_REQUESTCLOSE = 0x04C8;   // input was seen: check and close
// Posted by the worker with wParam the store index of the picture it made ready.
constexpr UINT WM_PICTUREREADY = 0x04C9;
// Posted by the primary monitor to mirroring monitors: start the block of
// store index lParam at the show's place wParam.
constexpr UINT WM_MIRRORBLOCK = 0x04CA;
// Posted by the live folders' library with wParam its LIBRARYSTATE: photos
// became known, or the search ended.
constexpr UINT WM_LIBRARYCHANGED = 0x04CB;

// The input the saver watches: mouse moves and buttons (not the wheel), and
// keys (not WM_UNICHAR), whatever the headers' own limits say.
constexpr UINT kSaverMouseLast = 0x0209;
constexpr UINT kSaverKeyLast = 0x0108;
inline bool IsSaverInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= kSaverKeyLast) ||
           (message >= WM_MOUSEFIRST && message <= kSaverMouseLast);
}

// Timers of the saver window, each with its interval.
constexpr UINT_PTR IDT_SECOND = 2;       // 1000 ms: counts the hold down
constexpr UINT_PTR IDT_DURATION = 4;     // duration x 1000 ms: the item's time is up
constexpr UINT_PTR IDT_ANIMSTART = 102;  // 500 ms once: go on after an animation starts
constexpr UINT_PTR IDT_IDLELAP = 103;    // 1000 ms once: a lap in which nothing waited
constexpr UINT IDT_SECOND_MS = 1000;
constexpr UINT IDT_IDLELAP_MS = 1000;
constexpr UINT IDT_ANIMSTART_MS = 500;
// A WM_TIMER id that is only ever posted, never set as a timer.
constexpr UINT_PTR IDT_ADVANCE = 0xFFFFFFFE;  // go to the next block
