// The show engine of the saver window: sets the loaded show up, advances
// from block to block in a circle, starts each block by its type and drives
// pictures and texts on their timers.
#pragma once

#include <windows.h>

void OnContentLoaded(HWND window);
// WM_TIMER: returns false when the id is none of the show's.
bool OnShowTimer(HWND window, UINT_PTR id);
// WM_APPLETSTEP: runs the next line of the current applet.
void OnAppletStep(HWND window);
// WM_PICTUREREADY: starts the picture item that waited for its picture.
void OnPictureReady(HWND window, int index);
// When the window goes: releases the item on screen, as at every advance,
// stops making the next picture and forgets the show's folder orders.
void ReleaseCurrentItem(HWND window);
