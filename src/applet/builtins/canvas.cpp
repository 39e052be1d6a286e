// The object selection and palette helpers of the drawing built-ins.
#include "applet/builtins/canvas.h"

#include "imaging/dib.h"

Selection::Selection(HDC dc, const APPLET *applet, Outfit outfit) : dc_(dc) {
    switch (outfit) {
        case Outfit::Fill:
            first_ = SelectObject(dc, applet->brush);
            second_ = SelectObject(dc, GetStockObject(NULL_PEN));
            break;
        case Outfit::Frame:
            first_ = SelectObject(dc, GetStockObject(NULL_BRUSH));
            second_ = SelectObject(dc, applet->pen);
            break;
        case Outfit::Pen:
            first_ = SelectObject(dc, applet->pen);
            break;
    }
}

Selection::~Selection() {
    if (second_) SelectObject(dc_, second_);
    if (first_) SelectObject(dc_, first_);
}

DisplayPalette::DisplayPalette(HDC dc) : dc_(dc) {
    if (devicebits > 8) return;
    BYTE palette[768];
    const int count = GetDefaultPalette(palette, nullptr, PALETTE_DISPLAY);
    realised_ = RealizeWindowPalette(dc, &state_, palette, count) != 0;
}

DisplayPalette::~DisplayPalette() {
    if (realised_) UnrealizeWindowPalette(dc_, &state_);
}

COLORREF DisplayPalette::Nearest(COLORREF colour) const {
    return devicebits <= 8 ? GetNearestColor(dc_, colour) : colour;
}
