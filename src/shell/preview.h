// The preview: a sample of the show in a child of the host's small window.
#pragma once

#include <windows.h>

struct BLOCK;

// Timer of the preview window: each tick asks for the next scroll step.
constexpr UINT_PTR IDT_PREVIEW = 4;
constexpr UINT IDT_PREVIEW_MS = 8;
// How far the title moves left at each paint, in pixels.
constexpr int kPreviewScrollStep = 4;

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "WindowsScreenSaverPreviewClass" followed by the saver's title.
const char *PreviewClassName();
// Registers the preview class for `instance` with `procedure`; 0 on failure.
int RegisterPreviewClass(HINSTANCE instance, WNDPROC procedure = PreviewProc);
void UnregisterPreviewClass(HINSTANCE instance);

// On palette displays (devicebits 8 or fewer) replaces the header's picture
// by one dithered to the display palette; when dithering fails the picture
// stays as stored.
void DitherPreviewForDisplay(BLOCK *header);

// Procedure of the preview class; the creation parameter is the show's
// header BLOCK, or null when it could not be read (the window stays black).
LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Procedure of the bare player's preview: its photo folders play in the
// small window as they would on a monitor.
LRESULT CALLBACK LivePreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
