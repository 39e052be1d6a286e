// Covers for the monitors the show does not play on: black, top-most,
// cursorless windows owned by the saver window, whose input ends the saver
// as input over the saver window does.
#pragma once

#include <windows.h>

// Class of the cover windows.
extern const char kMonitorCoverClass[];

// Covers every monitor but the primary one (which the saver window covers)
// with a cover owned by `saver`, shown without taking the activation.
// Returns how many covers there are; with one monitor there are none and
// no class is registered.
int CreateMonitorCovers(HINSTANCE instance, HWND saver);

// Unregisters the cover class once the covers have gone with their owner.
void ReleaseMonitorCovers(HINSTANCE instance);

// The covers that exist now, for the input check that reads the queue itself.
int MonitorCoverCount();
HWND MonitorCover(int index);

LRESULT CALLBACK MonitorCoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
