// The drawing state of an applet: position, drawing offset, pen, brush and
// text colours, the colour values a script can ask for, the screen's size
// and depth, and saving and restoring the whole state on the value stack.
#include <cstdlib>

#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"
#include "applet/builtins/canvas.h"
#include "imaging/palette.h"

namespace {

// A setter of two integers.
int SetPair(APPLET *applet, int *first, int *second) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (call.accepted()) {
        const int a = call.Int(0), b = call.Int(1);
        *first = a, *second = b;
    }
    return call.Finish(1);
}

// A setter of one colour.
int SetColour(APPLET *applet, COLORREF *colour) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (call.accepted()) *colour = COLORREF(call.Int(0));
    return call.Finish(1);
}

// A getter without arguments: its value is given even when the count is wrong.
int Report(APPLET *applet, int value) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    return call.Finish(value);
}

// A built-in of one integer argument whose answer depends on it alone.
int Lookup(APPLET *applet, int (*answer)(int)) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    return call.Finish(answer(call.Int(0)));
}

int FixedColour(int index) {
    BYTE palette[768];
    GetDefaultPalette(palette, nullptr, PALETTE_DISPLAY);
    const int n = index < 0 ? 0 : index > 255 ? 255 : index;
    return int(RGB(palette[3 * n], palette[3 * n + 1], palette[3 * n + 2]));
}

int SysColour(int index) { return int(GetSysColor(index > 23 ? 24 : index)); }

// Copies of the applet's font, pen and brush: from then on the setters
// replace the copies and the originals wait in the saved state. A handle
// that cannot be copied leaves the applet without one (null), never with a
// handle the saved state also owns.
HFONT CopyFont(HFONT font) {
    LOGFONTA description;
    return font && GetObjectA(font, sizeof description, &description) ? CreateFontIndirectA(&description) : nullptr;
}

HPEN CopyPen(HPEN pen) {
    LOGPEN description;
    return pen && GetObjectA(pen, sizeof description, &description) ? CreatePenIndirect(&description) : nullptr;
}

HBRUSH CopyBrush(HBRUSH brush) {
    LOGBRUSH description;
    return brush && GetObjectA(brush, sizeof description, &description) ? CreateBrushIndirect(&description) : nullptr;
}

// Makes the saved handle current again, deleting the one in use unless it
// is the same.
template <typename HANDLE_T>
void Reinstate(HANDLE_T *current, HANDLE_T saved) {
    if (*current && *current != saved) DeleteObject(*current);
    *current = saved;
}

}  // namespace

int APPLETSetPosition(APPLET *applet, HWND) { return SetPair(applet, &applet->xpos, &applet->ypos); }
int APPLETGetHorizontalPosition(APPLET *applet, HWND) { return Report(applet, applet->xpos); }
int APPLETGetVerticalPosition(APPLET *applet, HWND) { return Report(applet, applet->ypos); }
int APPLETSetDrawingOffset(APPLET *applet, HWND) { return SetPair(applet, &applet->xoffset, &applet->yoffset); }

// setpencolor(colour, width): an inside-frame pen, so that framed shapes
// keep their outline within the rectangle they are given.
int APPLETSetPenColour(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (call.accepted()) {
        const COLORREF colour = COLORREF(call.Int(0));
        const int width = call.Int(1, 1);
        if (applet->pen) DeleteObject(applet->pen);
        applet->pen = CreatePen(PS_INSIDEFRAME, width, colour);
    }
    return call.Finish(1);
}

int APPLETSetBrushColour(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (call.accepted()) {
        const COLORREF colour = COLORREF(call.Int(0));
        if (applet->brush) DeleteObject(applet->brush);
        applet->brush = CreateSolidBrush(colour);
    }
    return call.Finish(1);
}

int APPLETSetTextForeColour(APPLET *applet, HWND) { return SetColour(applet, &applet->textforecolour); }
int APPLETSetTextBackColour(APPLET *applet, HWND) { return SetColour(applet, &applet->textbackcolour); }

int APPLETSetTextTransparent(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (call.accepted()) applet->textmode = call.Int(0) ? TRANSPARENT : OPAQUE;
    return call.Finish(1);
}

// makecolor(red, green, blue): the low eight bits of each.
int APPLETMakeColour(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(3));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int red = call.Int(0), green = call.Int(1), blue = call.Int(2);
    return call.Finish(int(RGB(red & 0xFF, green & 0xFF, blue & 0xFF)));
}

int APPLETGetFixedColour(APPLET *applet, HWND) { return Lookup(applet, FixedColour); }
int APPLETGetSysColour(APPLET *applet, HWND) { return Lookup(applet, SysColour); }
int APPLETGetSaverColour(APPLET *applet, HWND) { return Report(applet, int(applet->savercolour)); }
int APPLETGetScreenWide(APPLET *applet, HWND) { return Report(applet, GetSystemMetrics(SM_CXSCREEN)); }
int APPLETGetScreenDeep(APPLET *applet, HWND) { return Report(applet, GetSystemMetrics(SM_CYSCREEN)); }

int APPLETGetScreenBits(APPLET *applet, HWND window) {
    WindowDC dc(window);
    return Report(applet, dc ? GetDeviceCaps(dc.get(), PLANES) * GetDeviceCaps(dc.get(), BITSPIXEL) : 0);
}

int APPLETSaveGraphicState(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    GRAPHICSTATE *state = (GRAPHICSTATE *)std::calloc(1, sizeof(GRAPHICSTATE));
    if (!state) {
        call.Raise(APPLETERR_NOMEMORY);
        return call.Finish(1);
    }
    state->font = applet->font, applet->font = CopyFont(state->font);
    state->pen = applet->pen, applet->pen = CopyPen(state->pen);
    state->brush = applet->brush, applet->brush = CopyBrush(state->brush);
    state->xpos = applet->xpos, state->ypos = applet->ypos;
    state->textforecolour = applet->textforecolour, state->textbackcolour = applet->textbackcolour;
    state->textmode = applet->textmode;
    state->xoffset = applet->xoffset, state->yoffset = applet->yoffset;
    VALUE entry;
    APPLETMakeValue(&entry, VALUE_GRAPHICSTATE | VALUE_ALLOCATED, (UINT_PTR)state, 0);
    if (APPLETPush(applet, &entry)) {
        // Not on the stack: the originals come back and the copies go.
        Reinstate(&applet->font, state->font);
        Reinstate(&applet->pen, state->pen);
        Reinstate(&applet->brush, state->brush);
        std::free(state);
    }
    return call.Finish(1);
}

// Another kind of entry on top is lost, and what it owned released with it.
int APPLETRestoreGraphicState(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    VALUE entry;
    if (APPLETPopExpected(applet, &entry, VALUE_GRAPHICSTATE, APPLETERR_STACKCORRUPT)) return call.Finish(1);
    GRAPHICSTATE *state = (GRAPHICSTATE *)entry.value;
    if (!state) {
        call.Raise(APPLETERR_NOMEMORY);
        return call.Finish(1);
    }
    Reinstate(&applet->font, state->font);
    Reinstate(&applet->pen, state->pen);
    Reinstate(&applet->brush, state->brush);
    applet->xpos = state->xpos, applet->ypos = state->ypos;
    applet->textforecolour = state->textforecolour, applet->textbackcolour = state->textbackcolour;
    applet->textmode = state->textmode;
    applet->xoffset = state->xoffset, applet->yoffset = state->yoffset;
    std::free(state);
    return call.Finish(1);
}

// This family's slice of the keyword table.
const APPLETFUNCTION graphicstatefunctions[] = {
    {"getfixedcolor", APPLETGetFixedColour},
    {"gethorizontalpos", APPLETGetHorizontalPosition},
    {"getsavercolor", APPLETGetSaverColour},
    {"getscreenbits", APPLETGetScreenBits},
    {"getscreendepth", APPLETGetScreenDeep},
    {"getscreenwidth", APPLETGetScreenWide},
    {"getsyscolor", APPLETGetSysColour},
    {"getverticalpos", APPLETGetVerticalPosition},
    {"makecolor", APPLETMakeColour},
    {"restoregraphicstate", APPLETRestoreGraphicState},
    {"savegraphicstate", APPLETSaveGraphicState},
    {"setbrushcolor", APPLETSetBrushColour},
    {"setdrawingoffset", APPLETSetDrawingOffset},
    {"setpencolor", APPLETSetPenColour},
    {"setposition", APPLETSetPosition},
    {"settextbackcolor", APPLETSetTextBackColour},
    {"settexttransparent", APPLETSetTextTransparent},
    {"settextforecolor", APPLETSetTextForeColour},
};
const int graphicstatefunctioncount = int(sizeof graphicstatefunctions / sizeof graphicstatefunctions[0]);
