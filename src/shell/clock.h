// The clock over every monitor that plays, when the show asks for one: the
// time (and the date) in the user's own forms, in white letters with a dark
// outline about 4 % of the monitor's height, in the top right corner, above
// pictures and texts. It is drawn again at each new minute, a few pixels
// from where it was, so it never burns in. An applet's screen is its own:
// the clock is off while an applet plays, since an applet may draw anywhere
// at any moment.
#pragma once

#include <windows.h>

#include "shell/overlay.h"

// Timer of a monitor's window: the next minute.
constexpr UINT_PTR IDT_CLOCK = 104;

// The clock's words now: the time, or the date and time; their length.
int ClockText(DWORD flags, const SYSTEMTIME &now, wchar_t *text, int room);
// Where the clock goes on a monitor `wide` pixels wide for a text
// `textwide` x `textdeep`, in minute `minute` of the day: inside the top
// right corner, moved by a few pixels from one minute to the next.
RECT ClockPlace(int wide, int textwide, int textdeep, int minute);

// Draws the clock the header's `flags` ask for on `window`, a monitor
// `deep` pixels high, unless it is drawn.
void ShowClock(OVERLAY *clock, HWND window, int wide, int deep, DWORD flags);
// Sets the window's timer for the next minute.
void ScheduleClock(HWND window);
