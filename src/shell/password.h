// The host's screen-saver password check.
#pragma once

#include <windows.h>

// Non-zero when the saver may close (no password set, or the host agreed).
int VerifyPassword(HWND window);
