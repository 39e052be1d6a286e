// Start-up: the four modes the host can ask for.
#pragma once

#include <windows.h>

// Runs the mode named on the command line to its end; the value is the final
// quit message's wParam in the run and preview modes, else 0.
int CreateScreenSaverWindow(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show);
