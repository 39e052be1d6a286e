// Setting the display status up for a picture or a text, and releasing it.
#include <cstdlib>
#include <cstring>

#include "imaging/dib.h"
#include "imaging/palette.h"
#include "presentation/status.h"

namespace {

bool IsBlockStyle(int style) { return style == 4 || style == 5; }
bool IsScrollingStyle(int style) { return style == 2 || style == 3; }

// Copies the text for its style: block styles keep it as written; the
// others make one line (carriage returns become spaces, other control
// bytes go). Scrolling styles end with two spaces. Returns the length.
size_t PrepareText(const char *source, size_t length, char *target, int style) {
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = (unsigned char)source[i];
        if (IsBlockStyle(style))
            target[n++] = char(c);
        else if (c == '\r')
            target[n++] = ' ';
        else if (c >= 32)
            target[n++] = char(c);
    }
    if (IsScrollingStyle(style)) {
        target[n++] = ' ';
        target[n++] = ' ';
    }
    target[n] = 0;
    return n;
}

// Fills textrect, boxrect and scroll for the style, measured on `dc`.
void MeasureText(STATUS *status, HDC dc, const char *text, size_t length, int style, int boxwide, int boxdeep,
                 int screenwide) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, int(length), &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    RECT &textrect = status->textrect, &boxrect = status->boxrect;
    switch (style) {
        case 0:
        case 2:
            SetRect(&textrect, 0, 0, size.cx, size.cy);
            boxrect = textrect;
            status->scroll = size.cy;  // the text's height: scrolling starts that far right
            break;
        case 1:
        case 3:
            SetRect(&textrect, 0, 0, size.cx, size.cy);
            SetRect(&boxrect, 0, 0, screenwide, size.cy);
            status->scroll = screenwide;
            break;
        case 4:
            SetRect(&textrect, 0, 0, boxwide, boxdeep);
            boxrect = textrect;
            break;
        case 5:
            SetRect(&textrect, 0, 0, boxwide, metrics.tmHeight + metrics.tmExternalLeading);
            DrawTextA(dc, text, -1, &textrect,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXTERNALLEADING | DT_VCENTER);
            boxrect = textrect;
            break;
        default:
            break;  // an unknown style has no size and draws nothing
    }
}

}  // namespace

void ChangePhase(STATUS *status) {
    switch (status->phase) {
        case PHASE_SETUP: status->phase = PHASE_APPEAR; break;
        case PHASE_APPEAR:
            status->phase = PHASE_HOLD;
            status->holdcount = status->holdtime;
            break;
        case PHASE_HOLD: status->phase = PHASE_DISAPPEAR; break;
        default: status->phase = PHASE_SETUP; break;
    }
}

WORD InitImageStatus(STATUS *status, HGLOBAL picture, int appeareffect, int disappeareffect, int speed,
                     int holdtime, HBRUSH backgroundbrush) {
    std::memset(status, 0, sizeof *status);
    status->picture = picture;
    status->appeareffect = appeareffect;
    status->disappeareffect = disappeareffect;
    status->speed = speed;
    status->holdtime = holdtime;
    status->backgroundbrush = backgroundbrush;
    status->activeeffect = NOACTIVEEFFECT;
    return GetBitmapDimensions(picture, &status->width, &status->height, &status->bits, status->palette) ? 1 : 0;
}

WORD InitTextStatus(STATUS *status, HFONT font, HBRUSH backgroundbrush, HGLOBAL text, HWND window, int style,
                    int alignment, int boxwide, int boxdeep, int margin, int screenwide) {
    std::memset(status, 0, sizeof *status);
    status->font = font;
    status->backgroundbrush = backgroundbrush;
    GetDefaultPalette(status->palette, &status->bits, PALETTE_DISPLAY);

    const char *source = text ? (const char *)GlobalLock(text) : nullptr;
    if (!source) return 0;
    // The text ends at its first zero byte, and never past its memory.
    const size_t length = strnlen(source, GlobalSize(text));
    HGLOBAL prepared = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 1024);
    char *target = prepared ? (char *)GlobalLock(prepared) : nullptr;
    if (!target) {
        if (prepared) GlobalFree(prepared);
        GlobalUnlock(text);
        return 0;
    }
    const size_t preparedLength = PrepareText(source, length, target, style);

    HDC dc = GetDC(window);
    HGDIOBJ oldfont = SelectObject(dc, font);
    SetMapMode(dc, MM_TEXT);
    status->alignment = alignment;
    status->margin = margin;
    MeasureText(status, dc, target, preparedLength, style, boxwide, boxdeep,
                screenwide > 0 ? screenwide : GetSystemMetrics(SM_CXSCREEN));
    SelectObject(dc, oldfont);
    ReleaseDC(window, dc);

    GlobalUnlock(prepared);
    GlobalUnlock(text);
    status->text = prepared;
    return 1;
}

WORD GetImage(HWND, STATUS *status) { return status->picture ? 1 : 0; }

WORD DestroyStatus(STATUS *status) {
    ReleaseBlend(status);
    ReleaseMotion(status);
    if (status->bitmap) DeleteObject(status->bitmap);
    std::free(status->worklist);
    std::free(status->order);
    if (status->text) GlobalFree(status->text);
    status->bitmap = nullptr;
    status->worklist = nullptr;
    status->order = nullptr;
    status->text = nullptr;
    return 1;
}
