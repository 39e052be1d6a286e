// The caption of a photo: the day it was taken and its name, drawn over the
// bottom-left corner of the picture while it holds, and taken off again
// (the screen under it put back) before it disappears or the item ends, so
// nothing of it stays, not even under a picture that is never cleared.
// One caption at a time, on the saver window's thread.
#pragma once

#include <windows.h>

#include <string>

#include "content/blockstore.h"

// What an IMAG block's caption says: the day it was taken in the user's long
// date form and its name, as its flags ask; empty when it says nothing.
std::wstring CaptionText(const BLOCK &block);
// Draws the caption over the picture shown at `picture` (window
// coordinates), once until HideCaption, keeping the screen under it. The
// letters are about 2.5 % of `monitorDeep` high.
void ShowCaption(HWND window, const BLOCK &block, const RECT &picture, int monitorDeep);
// Puts the screen under the caption back.
void HideCaption(HWND window);
// Forgets the caption without drawing: the window goes.
void DropCaption();
