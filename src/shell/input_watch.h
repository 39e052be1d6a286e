// The saver's input watch: any mouse movement, key or button over the saver
// window or another monitor's window asks the host's password check and,
// when it agrees, closes the saver window, and every window goes with it.
#pragma once

#include <windows.h>

// The default handling of the saver window's messages: input and the
// activation going to another program ask to close.
LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Looks for input that ends the saver while something keeps the thread
// from its message loop (an applet); non-zero when it asked to close.
int CheckForAbort(HWND window);
