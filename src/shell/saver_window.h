// The full-screen saver window: the show's engine and its input watch.
#pragma once

#include <windows.h>

#include "shell/messages.h"

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The show's own messages, for every monitor's window: true when `message`
// was one, with the window procedure's *result.
bool ShowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int CheckForAbort(HWND window);
// Non-zero when the saver may close (no password set, or the host agreed).
int VerifyPassword(HWND window);
