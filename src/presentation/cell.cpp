// One tick of the picture or text on screen.
//
// A picture's cycle is a state machine driven by the step timer:
//   activeeffect unset -> Setup of the appear effect, phase 0 -> 1
//   PHASE_APPEAR       -> Appear until EFFECT_NEXTPHASE, then hold
//   PHASE_HOLD         -> Wait until the hold has run out; a pan-zoom
//                         picture moves on at each tick meanwhile
//   PHASE_DISAPPEAR    -> Disappear until EFFECT_NEXTPHASE, then Close;
//                         the cycle is over (IDT_CYCLEDONE)
// A text has no phases: its box is filled once, then it is drawn once or
// scrolled by 4 pixels per tick.
#include <algorithm>

#include "imaging/palette.h"
#include "presentation/effect.h"
#include "presentation/effect_common.h"
#include "presentation/motion.h"
#include "presentation/timers.h"

namespace {

constexpr UINT kSingleLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXTERNALLEADING | DT_NOPREFIX;
constexpr UINT kBlock = DT_WORDBREAK | DT_EXTERNALLEADING | DT_NOPREFIX | DT_VCENTER;
constexpr int kScrollStep = 4;

// Entries of the item's palette: 2^bits, or more than any palette holds
// for true-colour pictures, which realise nothing.
int PaletteEntries(int bits) { return bits >= 0 && bits <= 8 ? 1 << bits : 1 << 24; }

void CycleDone(STATUS *status, HWND window) {
    status->activeeffect = NOACTIVEEFFECT;
    PostMessageA(window, WM_TIMER, IDT_CYCLEDONE, 0);
}

// Runs an effect operation with the item's palette realised in the DC.
WORD Realised(STATUS *status, EFFECTOPERATION operation) {
    PALSTATE palstate;
    RealizeWindowPalette(status->dc, &palstate, status->palette, PaletteEntries(status->bits));
    const WORD result = operation(status);
    UnrealizeWindowPalette(status->dc, &palstate);
    return result;
}

WORD RunPhase(STATUS *status) {
    const EFFECT &appear = EffectAt(status->appeareffect);
    const EFFECT &disappear = EffectAt(status->disappeareffect);
    switch (status->phase) {
        case PHASE_APPEAR: return Realised(status, appear.appear);
        case PHASE_HOLD: {
            StepMotion(status);
            const WORD result = Realised(status, appear.wait);
            if (result & EFFECT_NEXTPHASE) EndMotion(status);
            return result;
        }
        case PHASE_DISAPPEAR: {
            WORD result = Realised(status, disappear.disappear);
            if (result & EFFECT_NEXTPHASE) Realised(status, disappear.close);
            return result;
        }
        default: return 0;
    }
}

COLORREF BrushColour(HBRUSH brush) {
    LOGBRUSH info = {};
    GetObjectA(brush, sizeof info, &info);
    return info.lbColor;
}

void FillTextBox(HDC dc, const STATUS *status, const SCRTEXT *text, const RECT &clip) {
    if (text->flags & SCRF_SCREENBACK) {
        FillRect(dc, &clip, status->backgroundbrush);
        return;
    }
    COLORREF colour = text->boxcolour;
    if (GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) <= 8) colour = GetNearestColor(dc, colour);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &clip, brush);
    DeleteObject(brush);
}

// Moves a scrolling text on; at the end of its pass it starts again from
// `restart` and the cycle is over.
void Scroll(STATUS *status, HWND window, RECT *r, int w, int restart) {
    OffsetRect(r, status->scroll, 0);
    status->scroll -= kScrollStep;
    if (status->scroll < -w) {
        status->scroll = restart;
        CycleDone(status, window);
    }
}

void DrawPreparedText(HWND window, HDC dc, STATUS *status, const SCRTEXT *text, const char *prepared, RECT r) {
    const int w = r.right - r.left;
    UINT format = kSingleLine;
    switch (text->style) {
        case 0: status->drawn = 1; break;
        case 1: {
            const int room = (status->boxrect.right - status->boxrect.left) - w;
            OffsetRect(&r, status->alignment == 1 ? room / 2 : status->alignment == 2 ? room : 0, 0);
            status->drawn = 1;
            break;
        }
        case 2: Scroll(status, window, &r, w, w); break;
        case 3:
            Scroll(status, window, &r, w, std::max(w, status->width));
            format = kSingleLine & ~DT_CENTER;
            break;
        case 4:
        case 5:
            format = kBlock | (status->alignment == 1 ? DT_CENTER : status->alignment == 2 ? DT_RIGHT : DT_LEFT);
            status->drawn = 1;
            break;
        default: return;
    }
    DrawTextA(dc, prepared, -1, &r, format);
}

}  // namespace

void HandleOnceCell(HWND window, HDC dc, STATUS *status) {
    status->dc = dc;
    status->window = window;
    if (status->activeeffect == NOACTIVEEFFECT) {
        if (GetImage(window, status)) {
            BeginCycle(status);
            // The index of the effect really used, so that an out-of-range
            // index can never look like "no cycle" (0xFFFF).
            status->activeeffect = int(&EffectAt(status->appeareffect) - effect);
            BeginMotion(status);
            const WORD result = Realised(status, EffectAt(status->appeareffect).setup);
            MotionSetUp(status);
            if (result & EFFECT_END) {
                ReleaseMotion(status);
                CycleDone(status, window);
            }
        }
        ChangePhase(status);
        return;
    }
    const WORD result = RunPhase(status);
    if (result & EFFECT_NEXTPHASE) ChangePhase(status);
    if ((result & EFFECT_END) || status->phase == PHASE_SETUP) CycleDone(status, window);
}

void HandleOnceTextCell(HWND window, HDC dc, STATUS *status, const SCRTEXT *text) {
    PALSTATE palstate;
    RealizeWindowPalette(dc, &palstate, status->palette, PaletteEntries(status->bits));
    RECT clip = status->boxrect;
    OffsetRect(&clip, status->x, status->y);
    InflateRect(&clip, status->margin, status->margin);
    if (!status->boxfilled) {
        FillTextBox(dc, status, text, clip);
        status->boxfilled = 1;
    }
    RECT r = status->textrect;
    OffsetRect(&r, status->x, status->y);
    const char *prepared = status->drawn || !status->text ? nullptr : (const char *)GlobalLock(status->text);
    if (prepared) {
        HGDIOBJ oldfont = SelectObject(dc, status->font);
        SetTextColor(dc, text->textcolour);
        SetBkColor(dc, text->flags & SCRF_SCREENBACK ? BrushColour(status->backgroundbrush) : text->boxcolour);
        HRGN region = CreateRectRgnIndirect(&clip);
        SelectClipRgn(dc, region);
        DrawPreparedText(window, dc, status, text, prepared, r);
        SelectClipRgn(dc, nullptr);
        DeleteObject(region);
        GlobalUnlock(status->text);
        SelectObject(dc, oldfont);
    }
    UnrealizeWindowPalette(dc, &palstate);
}
