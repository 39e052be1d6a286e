// Pictures scaled to another size: by area averaging along an axis that
// shrinks, bilinear along one that grows, so no pixel is simply dropped or
// repeated. Also the size a picture takes when fitted to a screen.
#pragma once

#include <windows.h>

#include <cstddef>

#include "content/format.h"

// Scales `sw` x `sh` 24-bit pixels to `dw` x `dh`. `source` and `target`
// point at the top rows; successive rows lie `sourcestride` and
// `targetstride` bytes further on (negative for bottom-up bitmaps). Rows
// of one picture may not overlap those of the other. 0 when a size is not
// positive or memory runs out.
int ScalePixels(const BYTE *source, ptrdiff_t sourcestride, int sw, int sh, BYTE *target, ptrdiff_t targetstride,
                int dw, int dh);

// A new 24-bit packed bitmap of `width` x `height` pixels held as top-down
// rows of RGB triples, as decoders give them: fitted to a screen of
// screenwide x screendeep as FitPicture says for `fit` (SCRF_FIT or
// SCRF_FILL), scaled straight from those rows, or at their own size when
// `fit` is 0. 0 when a size is not positive or memory runs out.
HGLOBAL DibFromRgbRows(const BYTE *rgb, int width, int height, DWORD fit, int screenwide, int screendeep);

// A new 24-bit packed bitmap of the part `part` of the picture `dib` (any
// depth GDI draws; the whole picture when `part` is null) scaled to
// width x height; 0 when the part lies outside the picture, a size is not
// positive or memory runs out.
HGLOBAL ScaleDib(HGLOBAL dib, const RECT *part, int width, int height);

// The fit mode of a picture block's flags: SCRF_FIT, SCRF_FILL or 0 for a
// picture shown at its own size (both bits set count as that).
inline DWORD PictureFit(DWORD flags) {
    const DWORD fit = flags & SCRF_FITMASK;
    return fit == SCRF_FITMASK ? 0 : fit;
}

// How a w x h picture meets a screen of screenwide x screendeep under `fit`
// (SCRF_FIT or SCRF_FILL): the part of the picture shown and the size it is
// scaled to. SCRF_FIT shows all of it at the largest size the screen holds;
// SCRF_FILL covers the screen and cuts the overflow evenly from both sides.
// 0 when a size is not positive or `fit` is neither.
int FitPicture(int w, int h, int screenwide, int screendeep, DWORD fit, RECT *part, SIZE *size);
