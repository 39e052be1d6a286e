// The information dialog of the settings switch, and window centring.
#pragma once

#include <windows.h>

// Procedure of dialog IDD_INFORMATION; the creation parameter is the show's
// header BLOCK. Only "Done" (or Enter) closes it. Returns 0 for every message.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves the window to the middle of the screen, keeping its size.
void CentreWindow(HWND window);
