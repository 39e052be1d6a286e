// Putting packed bitmaps on a device context and taking pictures of it:
// plain and transparent blits, cropping, screen capture, copying.
#pragma once

#include <windows.h>

#include "imaging/dib.h"

// Copies `width` x `height` of a device-dependent bitmap, from its top-left
// corner, through a memory context onto `dc` at (x, y); the blit's result.
BOOL BlitBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, DWORD rop);
// Draws the bitmap with its own palette, top-left corner at (x, y), with
// raster operation `rop`; draws nothing when the bitmap is bad.
void DrawBitmap(HDC dc, int x, int y, HGLOBAL dib, DWORD rop);
// Draws a locked bitmap at (x, y) leaving out the pixels of `colour` (for
// 8 bits or fewer, those of the first palette entry of that colour); 1 when
// drawn, 0 when the bitmap is bad or a GDI object or memory is not available.
int ShowTransparentDib(HDC dc, void *, const void *dib, int x, int y, COLORREF colour);
// A new bitmap of the part of `dib` inside `rect` (top-left origin); what
// lies outside the source stays index 0 or black. 16- and 32-bit pictures
// give 24-bit ones. 0 on failure.
HGLOBAL CropImage(HGLOBAL dib, const RECT *rect);
// The part of `rect` that lies on the device: what CopyScreenToBitmap copies,
// and so where such a copy goes back. Empty when none of it does.
RECT DeviceArea(HDC dc, const RECT &rect);
// A device-dependent bitmap of DeviceArea(dc, *rect); null for an empty or
// off-device area.
HBITMAP CopyScreenToBitmap(HDC dc, const RECT *rect);
// A new packed bitmap with the size, depth, palette and pixels of a locked
// one of 1, 4, 8 or 24 bits; 0 otherwise.
HGLOBAL CopyBitmapToHandle(const void *dib);

// A new 1-bit packed bitmap of a locked bitmap's size: black where its pixel
// is `key`, white elsewhere (the mask of a transparent blit); 0 on failure.
HGLOBAL MakeMask(const void *dib, const DIBLAYOUT &layout, long key);
