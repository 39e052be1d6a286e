// Packed device-independent bitmaps: one movable global memory block holding
// a BITMAPINFOHEADER, exactly 2^depth colour entries for depths up to 8, and
// bottom-up rows padded to 4 bytes. Palettes are tables of RGB triples.
#pragma once

#include <windows.h>

// Colour bits of the display; 24 until start-up reads it.
extern int devicebits;

// The largest packed bitmap made: anything claiming more is refused.
constexpr unsigned long long MAXDIBBYTES = 256ull * 1024 * 1024;

unsigned AdjustDIBits(unsigned bits);
// A new zeroed bitmap of AdjustDIBits(bits) with the first 2^depth entries
// of `palette` (RGB triples) as its colour table; 0 on failure or bad size.
HGLOBAL CreateDib(int width, int height, const BYTE *palette, unsigned bits);
// Total bytes of a packed bitmap of these dimensions, or 0 when they are
// not positive, the depth is not one of 1, 4, 8, 24, or it would be too big.
unsigned long DibSize(long width, long height, unsigned bits);
int GetDisplayBits();
