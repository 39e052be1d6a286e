// The show engine of a monitor's window: sets the loaded show up, advances
// from block to block in a circle, starts each block by its type and drives
// pictures and texts on their timers. The saver window on the primary
// monitor holds the loaded show; in the "each" and "mirror" modes the window
// of every other monitor plays it too, with a BLOCKSET of its own.
#pragma once

#include <windows.h>

void OnContentLoaded(HWND window);
// Gives every other monitor's window the show, when the show plays on every
// monitor; a window that has it already takes its monitor's size. Called
// when the show is loaded and at every display change.
void SpreadShow(HWND saver);
// WM_MIRRORBLOCK: the primary monitor started the block of store index
// `played` at the show's place `slot`; a mirroring monitor starts it too.
void OnMirrorBlock(HWND window, int slot, int played);
// A monitor's window goes: its show ends and its BLOCKSET is freed. The
// store stays with the saver window.
void LeaveShow(HWND cover);
// WM_TIMER: returns false when the id is none of the show's.
bool OnShowTimer(HWND window, UINT_PTR id);
// WM_APPLETSTEP: runs the next line of the current applet.
void OnAppletStep(HWND window);
// WM_PICTUREREADY: starts the picture item that waited for its picture.
void OnPictureReady(HWND window, int index);
// When the window goes: releases the item on screen, as at every advance,
// stops making the next picture and forgets the show's folder orders.
void ReleaseCurrentItem(HWND window);
