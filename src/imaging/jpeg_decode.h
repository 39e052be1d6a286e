// JPEG pictures decoded into packed bitmaps when their item starts.
#pragma once

#include <windows.h>

// A new 24-bit packed bitmap of the JPEG file held in `jpeg` (a movable
// block), or 0 when the file does not decode or memory runs out.
HGLOBAL DecodeJpegToDib(HGLOBAL jpeg);
// The same fitted to a screen of screenwide x screendeep as FitPicture says
// for `fit` (SCRF_FIT or SCRF_FILL; 0 keeps the picture's own size), scaled
// straight from the decoder's rows without a full-size bitmap between. When
// *stop is set by the time the decode is done, it gives up there: 0.
HGLOBAL DecodeJpegToFittedDib(HGLOBAL jpeg, DWORD fit, int screenwide, int screendeep,
                              const volatile LONG *stop = nullptr);
