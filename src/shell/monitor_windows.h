// The windows of the monitors other than the primary one: top-most,
// cursorless windows owned by the saver window, one a monitor, created,
// placed and destroyed as the displays change. They know nothing of shows:
// their window procedure, given by the caller, routes their messages.
#pragma once

#include <windows.h>

extern const char kMonitorWindowClass[];

// Lays the monitors out as they are now: `saver` over the primary monitor at
// its size, and a window of class proc `windowproc`, owned by `saver`, over
// every other monitor, shown without taking the activation. Called at start
// and at every display change: windows move to the monitors as they are, a
// new monitor gets a new window, and the windows of monitors that went are
// destroyed. Returns how many there are; while there is one monitor no
// class is registered.
int LayOutMonitors(HWND saver, WNDPROC windowproc);

// Unregisters the class once the windows have gone with their owner.
void ReleaseMonitorWindows(HINSTANCE instance);

// The other monitors' windows that exist now.
int OtherMonitorCount();
HWND OtherMonitorWindow(int index);

// A window forgets itself as it is destroyed (WM_NCDESTROY).
void ForgetMonitorWindow(HWND window);
