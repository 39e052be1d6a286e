// The windows of the monitors other than the primary one: top-most,
// cursorless windows owned by the saver window, whose input ends the saver
// as input over the saver window does. In "primary" mode they only cover
// their monitors in black; in the other modes each plays the show on its
// monitor.
#pragma once

#include <windows.h>

// Class of the cover windows.
extern const char kMonitorCoverClass[];

// Lays the monitors out as they are now: `saver` over the primary monitor at
// its size, and a cover owned by `saver` over every other monitor, shown
// without taking the activation. Called at start and at every display
// change: covers move to the monitors as they are, a new monitor gets a new
// cover, and the covers of monitors that went are destroyed. Returns how
// many covers there are; while there is one monitor no class is registered.
int LayOutMonitors(HWND saver);

// Unregisters the cover class once the covers have gone with their owner.
void ReleaseMonitorCovers(HINSTANCE instance);

// Runs what waits for the monitors that play the show (their timers, posted
// messages and paints, not their input), for the loops that keep the
// thread from its message loop while an applet runs.
void ServeMonitorShows();

// The covers that exist now, for the input check that reads the queue itself.
int MonitorCoverCount();
HWND MonitorCover(int index);

LRESULT CALLBACK MonitorCoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
