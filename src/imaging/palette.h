// The program's fixed palettes and the selection of a palette table into a
// device context.
#pragma once

#include <windows.h>

// A window palette selected into a device context by RealizeWindowPalette.
struct PALSTATE {
    HPALETTE palette;        // made from the table
    HPALETTE oldpalette;     // selected before
    LOGPALETTE *logpalette;  // on the run-time heap
};

// Palette kinds of GetDefaultPalette.
enum : int {
    PALETTE_MONO = 0,     // black, white
    PALETTE_VGA = 1,      // the 16 standard VGA colours
    PALETTE_RGB32 = 2,    // 4-4-2 levels
    PALETTE_RGB64 = 3,    // 4-4-4 levels
    PALETTE_RGB128 = 4,   // 4-8-4 levels
    PALETTE_216 = 5,      // from the "Palette216" resource
    PALETTE_DISPLAY = 6,  // 8-8-4 levels: the 3-3-2 display palette
    PALETTE_256G = 7,     // from the "Palette256G" resource
    PALETTE_GREY = 8,     // grey ramp
};

// Fills `palette` (768 bytes, may be null) with fixed palette `kind`, stores
// its depth in `bits` (may be null); the number of colours.
int GetDefaultPalette(BYTE *palette, int *bits, int kind);
// Selects a palette of `count` entries of `palette` into `dc` and realises
// it; 1 when done or nothing is to be done, 0 when out of memory.
int RealizeWindowPalette(HDC dc, PALSTATE *state, const BYTE *palette, int count);
// Undoes RealizeWindowPalette; `dc` may be null when it is gone.
void UnrealizeWindowPalette(HDC dc, PALSTATE *state);
