// Small marks drawn over whatever a monitor shows (a photo's caption, the
// clock, the pause mark) and taken off again: the screen under a mark is
// kept when it is drawn and put back when it goes, so nothing of it stays.
#pragma once

#include <windows.h>

struct OVERLAY {
    HBITMAP under;   // the screen under the mark
    RECT underrect;  // where that was
    BOOL drawn;      // drawn (also when there was nothing to draw) until taken off
};

// Keeps the screen under `area` (window coordinates) and draws the mark
// with `draw`, unless the overlay is drawn already. Without the screen
// under it the mark is not drawn, as it could not be taken off.
template <typename Draw>
void ShowOverlay(OVERLAY *overlay, HDC dc, const RECT &area, Draw draw);
// Puts the screen under the mark back.
void HideOverlay(OVERLAY *overlay, HWND window);
// Forgets the mark without drawing: the screen under it is gone.
void DropOverlay(OVERLAY *overlay);

// Draws `text` in white with a black outline `edge` pixels wide, in `place`
// as `format` (DrawTextW's) says.
void DrawOutlinedText(HDC dc, const wchar_t *text, int length, const RECT &place, int edge, UINT format);

bool KeepScreenUnder(OVERLAY *overlay, HDC dc, const RECT &area);

template <typename Draw>
void ShowOverlay(OVERLAY *overlay, HDC dc, const RECT &area, Draw draw) {
    if (overlay->drawn) return;
    overlay->drawn = TRUE;
    if (dc && KeepScreenUnder(overlay, dc, area)) draw(dc);
}
