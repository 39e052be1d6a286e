// The window procedures of the saver: the saver window on the primary
// monitor and the other monitors' windows. Input goes to the input watch,
// the show's messages to the monitor's show.
#pragma once

#include <windows.h>

#include "shell/messages.h"

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
