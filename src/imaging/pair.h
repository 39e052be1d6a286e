// Two portrait photos shown side by side as one picture on a monitor wider
// than tall: each is fitted by the caller into its half of the monitor less
// a small gap, and composed here into one monitor-size bitmap.
#pragma once

#include <windows.h>

// The gap between the halves: about 2 % of the monitor's width.
int PairGap(int screenwide);
// The size each photo of a pair is fitted into: half of what the gap leaves
// of the monitor's width, by its whole height. 0 when a size is not positive or
// the half would be empty.
int GetPairHalf(int screenwide, int screendeep, SIZE *half);
// Whether a monitor shows portraits in pairs (it is wider than tall), and
// whether a picture is a portrait (taller than wide).
inline bool ShowsPairs(int screenwide, int screendeep) { return screenwide > screendeep; }
inline bool IsPortrait(int width, int height) { return height > width; }

// A new screenwide x screendeep 24-bit packed bitmap: `left` centred in
// the left half, `right` in the right half (each clipped to its half; the
// halves lie at the monitor's edges, the gap between them), and the rest
// `background` (0x00BBGGRR), or with `backdrop` each half filled with its
// own photo's blurred backdrop and only the gap `background`. The pictures
// may be of any depth GDI draws. 0 when it cannot be made.
HGLOBAL MakePair(HGLOBAL left, HGLOBAL right, int screenwide, int screendeep, bool backdrop, COLORREF background);
