// The keys that browse a show that asks for them (SCRF_BROWSEKEYS): the
// right arrow shows the next picture at once, the left arrow the one before,
// Space pauses and resumes the hold. Every other key, and every mouse move
// and click, still ends the saver. In "each" mode the keys act on the
// monitor under the pointer, else on the primary monitor.
#pragma once

#include <windows.h>

// Whether `key` browses the show playing now.
bool IsBrowseKey(WPARAM key);
// A key pressed over the saver: true when it browsed, and must not end it.
bool BrowseWithKey(HWND saver, WPARAM key);
