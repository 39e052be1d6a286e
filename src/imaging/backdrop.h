// A fitted photo on a backdrop of itself: what the photo leaves of the
// monitor shows the same photo filled to the monitor, strongly blurred and
// darkened, so the photo sits on its own colours instead of on black.
#pragma once

#include <windows.h>

#include <cstddef>

#include "content/blockstore.h"

// The backdrop's brightness, in 256ths of the blurred photo's.
constexpr int BACKDROP_BRIGHTNESS = 128;

// Into the tw x th 24-bit pixels `target`: the pw x ph 24-bit photo with
// its top-left corner at (x, y), clipped to the target, over its backdrop.
// `photo` and `target` point at the top rows; successive rows lie
// `photostride` and `targetstride` bytes further on (negative for bottom-up
// bitmaps); they may not overlap. The photo's own pixels are copied as they
// are. 0 when a size is not positive or memory runs out (the target is then
// left as it was, or partly drawn).
int DrawBackdrop(const BYTE *photo, ptrdiff_t photostride, int pw, int ph, BYTE *target, ptrdiff_t targetstride,
                 int tw, int th, int x, int y);
// The same with the rest of the target `background` (0x00BBGGRR) instead.
int DrawOnColour(const BYTE *photo, ptrdiff_t photostride, int pw, int ph, BYTE *target, ptrdiff_t targetstride,
                 int tw, int th, int x, int y, COLORREF background);

// A packed bitmap's pixels as 24-bit rows, locked: the bitmap itself when
// it has 24 bits, else a widened copy of it.
struct PICTUREROWS {
    HGLOBAL handle;  // the block locked: the bitmap or `copy`
    HGLOBAL copy;    // the widened copy, or 0
    const BYTE *top;  // the top row; null when nothing is locked
    ptrdiff_t stride;  // from a row to the one below it (negative)
    int width;
    int height;
};
// 1 with the rows locked; 0, with nothing held, when the bitmap cannot be
// read or memory runs out.
int LockPictureRows(HGLOBAL dib, PICTUREROWS *rows);
// Lets go of the rows and frees the copy; again after that does nothing.
void UnlockPictureRows(PICTUREROWS *rows);

// A new screenwide x screendeep 24-bit packed bitmap of the picture `fitted`
// (any depth GDI draws; 24 bits as the fit scaler and the JPEG decoder
// make it) at (x, y) over its backdrop. 0 when it cannot be made: the
// caller then shows the plain picture.
HGLOBAL MakeBackdrop(HGLOBAL fitted, int screenwide, int screendeep, int x, int y);
// The same with the picture where the show places an IMAG block's picture
// of that size on that screen (GetImageOriginForSize).
HGLOBAL MakeBlockBackdrop(HGLOBAL fitted, const BLOCK *block, SIZE screen);
