// Where a picture or a text of the show goes on the screen, from its block's
// anchor, offsets and size.
#pragma once

#include <windows.h>

#include "content/blockstore.h"

// The size of an IMAG block's picture as stored, a packed bitmap or a JPEG
// file; 1, or 0 when it cannot be read.
int GetStoredPictureSize(const BLOCK *block, int *width, int *height);
// The screen position of an IMAG block's picture; 1, or 0 with (0, 0) when
// the block is no IMAG block or its picture's size cannot be read.
int GetImageOrigin(int *x, int *y, const BLOCK *block);
// The same for the block's picture shown at w x h, such as a picture fitted
// to the screen, on a screen of the size `screen` (null: the primary
// monitor's).
int GetImageOriginForSize(int *x, int *y, const BLOCK *block, int w, int h, const SIZE *screen = nullptr);
// The screen position of a TEXT block's text measured as `textrect`; 1, or
// 0 with (0, 0) when the block is no TEXT block.
int GetTextOrigin(int *x, int *y, const BLOCK *block, const RECT *textrect, const SIZE *screen = nullptr);
