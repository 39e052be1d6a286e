// Packed 24-bit bitmaps mirrored and turned as a photo's EXIF orientation
// says, for pictures made small (fitted to a screen) before they are turned.
#pragma once

#include <windows.h>

// A new 24-bit packed bitmap of the 24-bit bitmap `dib` as it is meant to
// be seen when stored with EXIF orientation `orientation`: 2 mirrored left
// to right, 3 turned half way, 4 mirrored top to bottom, 5 mirrored along
// the diagonal from the top left, 6 turned a quarter clockwise, 7 mirrored
// along the other diagonal, 8 turned a quarter anticlockwise; 5 to 8 swap
// its width and height. 0 when `dib` is not a 24-bit bitmap, `orientation`
// is not 2..8 or memory runs out.
HGLOBAL TurnDib(HGLOBAL dib, unsigned orientation);
