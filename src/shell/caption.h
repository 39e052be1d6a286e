// The caption of a photo: the day it was taken and its name, drawn over the
// bottom-left corner of the picture while it holds, and taken off again
// (the screen under it put back) before it disappears or the item ends, so
// nothing of it stays, not even under a picture that is never cleared.
// One caption at a time on each monitor, kept in its CAPTIONSTATE.
#pragma once

#include <windows.h>

#include "content/blockstore.h"
#include "shell/overlay.h"

// The caption over a monitor's photo while it shows: drawn in this hold
// (also when there was nothing to draw) until taken off.
typedef OVERLAY CAPTIONSTATE;

// Room for the longest caption: a long date, two spaces and a name of
// MAXCAPTIONLENGTH bytes (UTF-16 never needs more units than UTF-8 bytes).
constexpr int kCaptionRoom = 128 + 2 + int(MAXCAPTIONLENGTH) + 1;

// What an IMAG block's caption says: the day it was taken in the user's long
// date form and its name, as its flags ask, into `text` of kCaptionRoom
// units; its length, 0 when it says nothing.
int CaptionText(const BLOCK &block, wchar_t *text);
// Draws the caption over the picture shown at `picture` (window
// coordinates), once until HideCaption, keeping the screen under it. The
// letters are about 2.5 % of `monitorDeep` high.
void ShowCaption(CAPTIONSTATE *caption, HWND window, const BLOCK &block, const RECT &picture, int monitorDeep);
// Puts the screen under the caption back.
void HideCaption(CAPTIONSTATE *caption, HWND window);
// Forgets the caption without drawing: the window goes.
void DropCaption(CAPTIONSTATE *caption);
