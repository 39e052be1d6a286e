// JPEG pictures decoded into packed bitmaps when their item starts.
#pragma once

#include <windows.h>

// A new 24-bit packed bitmap of the JPEG file held in `jpeg` (a movable
// block), or 0 when the file does not decode or memory runs out.
HGLOBAL DecodeJpegToDib(HGLOBAL jpeg);
