// Marks over a monitor's show, with the screen under them kept.
#include "shell/overlay.h"

#include "imaging/drawing.h"
#include "imaging/rect.h"
#include "imaging/window_dc.h"

bool KeepScreenUnder(OVERLAY *overlay, HDC dc, const RECT &area) {
    if (IsRectEmpty(&area)) return false;
    overlay->underrect = DeviceArea(dc, area);
    overlay->under = CopyScreenToBitmap(dc, &area);
    return overlay->under != nullptr;
}

void HideOverlay(OVERLAY *overlay, HWND window) {
    overlay->drawn = FALSE;
    if (!overlay->under) return;
    WindowDC dc(window);
    const RECT &r = overlay->underrect;
    BlitBitmap(dc, r.left, r.top, RectWidth(&r), RectDepth(&r), overlay->under, SRCCOPY);
    DeleteObject(overlay->under);
    overlay->under = nullptr;
}

void DropOverlay(OVERLAY *overlay) {
    overlay->drawn = FALSE;
    if (overlay->under) DeleteObject(overlay->under);
    overlay->under = nullptr;
}

void DrawOutlinedText(HDC dc, const wchar_t *text, int length, const RECT &place, int edge, UINT format) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    for (int dy = -edge; dy <= edge; dy += edge)
        for (int dx = -edge; dx <= edge; dx += edge) {
            RECT r = place;
            OffsetRect(&r, dx, dy);
            if (dx || dy) DrawTextW(dc, text, length, &r, format);
        }
    SetTextColor(dc, RGB(255, 255, 255));
    RECT r = place;
    DrawTextW(dc, text, length, &r, format);
}
