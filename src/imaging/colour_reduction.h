// Colour reduction of packed bitmaps to the 3-3-2 display palette, for
// palette displays: error diffusion, nearest colour, and the colour search.
#pragma once

#include <windows.h>

// Index of the entry among the first `count` of `palette` (RGB triples) that
// equals (red, green, blue), else the nearest by 3:4:2 weighted squares, the
// lower index winning ties; 0 when `count` is 0.
int FindPaletteColour(int red, int green, int blue, const BYTE *palette, int count);
// A new 8-bit bitmap of the picture dithered by error diffusion onto the
// 3-3-2 palette `palette` (its colour table); 0 for 1-bit pictures, bad
// bitmaps or when memory runs out. The source is left as it is.
HGLOBAL DitherDib(HGLOBAL dib, const BYTE *palette, int bits, int);
// As DitherDib, by nearest colour without diffusion.
HGLOBAL RemapDib(HGLOBAL dib, const BYTE *palette, int bits, int);
