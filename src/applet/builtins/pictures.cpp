// Screen areas and pictures: areas kept on the value stack and put back
// (a sprite moving over its background), areas copied at once, and the
// applet's numbered pictures or the platform's stock icons drawn.
#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"
#include "applet/builtins/canvas.h"
#include "applet/objects.h"
#include "imaging/colour_reduction.h"
#include "imaging/drawing.h"

namespace {

// Stock icon numbers: IDI_APPLICATION .. IDI_WINLOGO.
constexpr int FIRSTSTOCKICON = 32512, LASTSTOCKICON = 32517;
bool IsStockIcon(int number) { return number >= FIRSTSTOCKICON && number <= LASTSTOCKICON; }

// The area from (left, top) to (right, bottom), edges included, moved by
// the drawing offset.
RECT AreaOf(BuiltinCall &call, const APPLET *applet) {
    const int left = call.Int(0), top = call.Int(1), right = call.Int(2), bottom = call.Int(3);
    return RECT{Plus(left, applet->xoffset), Plus(top, applet->yoffset), Plus(Plus(right, 1), applet->xoffset),
                Plus(Plus(bottom, 1), applet->yoffset)};
}

// A copy of an area starts at the window's left and top edges when the
// area begins beyond them. How far it was cut there (at most 0xFFFF each
// way) goes with the saved area, in the entry's otherwise unused name, so
// that putting it back lands every pixel where it was taken from.
uint32_t CutAtEdges(const RECT &area) {
    const auto Cut = [](LONG edge) { return edge >= 0 ? 0u : edge < -0xFFFF ? 0xFFFFu : uint32_t(-edge); };
    return Cut(area.left) | Cut(area.top) << 16;
}

// Blits the whole of `bitmap` onto `dc` at (x, y); the blit's result, 0
// when the bitmap's size cannot be read or no context is available.
BOOL BlitWhole(HDC dc, HBITMAP bitmap, int x, int y) {
    BITMAP size;
    if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) return FALSE;
    return BlitBitmap(dc, x, y, size.bmWidth, size.bmHeight, bitmap, SRCCOPY);
}

// The picture `number` of the applet; 16 raised and null when it has none.
HGLOBAL FindPicture(BuiltinCall &call, const APPLET *applet, int number) {
    APPLETOBJECT picture;
    if (number > 0 && FindNumberedAppletObject(&picture, applet->pictures, applet->picturecount, (unsigned long)number))
        return ObjectData(picture);
    call.Raise(APPLETERR_NOOBJECT);
    return nullptr;
}

// Draws a packed bitmap with its own colours realised, leaving out the
// pixels of `transparent` unless it is null; 2 raised when it cannot be
// locked.
void DrawLockedPicture(BuiltinCall &call, HDC dc, HGLOBAL picture, int x, int y, const COLORREF *transparent) {
    const void *dib = picture ? GlobalLock(picture) : nullptr;
    if (!dib) {
        call.Raise(APPLETERR_NOMEMORY);
        return;
    }
    BYTE palette[768];
    const int colours = GetDibPalette(dib, palette);
    PALSTATE state = {};
    const bool realised = RealizeWindowPalette(dc, &state, palette, colours) != 0;
    if (transparent)
        ShowTransparentDib(dc, nullptr, dib, x, y, *transparent);
    else
        DrawBitmap(dc, x, y, picture, SRCCOPY);
    if (realised) UnrealizeWindowPalette(dc, &state);
    GlobalUnlock(picture);
}

// A copy of the picture reduced to the fixed display palette on palette
// displays (by nearest colour with `remap`, else dithered); null on deeper
// displays or when it cannot be made.
HGLOBAL ReducedCopy(HGLOBAL picture, bool remap) {
    if (devicebits > 8) return nullptr;
    BYTE palette[768];
    GetDefaultPalette(palette, nullptr, PALETTE_DISPLAY);
    return remap ? RemapDib(picture, palette, 8, 0) : DitherDib(picture, palette, 8, 0);
}

void DrawStockIcon(BuiltinCall &call, HWND window, int number, int x, int y) {
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(number));
    if (!icon) {
        call.Raise(APPLETERR_NOMEMORY);
        return;
    }
    WindowDC dc(window);
    if (dc) DrawIcon(dc.get(), x, y, icon);
}

// Stores the picture's measures into the integer variables the references
// name, walking the variables in their order; a variable of another kind
// raises 10 and ends the walk.
void StoreDimensions(BuiltinCall &call, const unsigned long names[3], const int values[3]) {
    APPLET *applet = call.applet();
    for (int i = 0; i < applet->variablecount && !applet->error; ++i) {
        VALUE variable;
        if (APPLETGetVariable(applet, &variable, i)) return;
        int which = 0;
        while (which < 3 && variable.name != names[which]) ++which;
        if (which == 3) continue;
        if (!(variable.type & VALUE_INT)) {
            call.Raise(APPLETERR_BADASSIGN);
            return;
        }
        variable.value = (UINT_PTR)(LONG_PTR)values[which];
        APPLETPutVariable(applet, &variable, i);
    }
}

}  // namespace

// savescreenarea(left, top, right, bottom): kept on the value stack, also
// when the copy failed, so that the matching restore finds its entry.
int APPLETSaveScreenArea(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(4));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const RECT area = AreaOf(call, applet);
    WindowDC dc(window);
    HBITMAP bitmap = dc ? CopyScreenToBitmap(dc.get(), &area) : nullptr;
    VALUE entry;
    APPLETMakeValue(&entry, VALUE_GDIOBJECT, (UINT_PTR)bitmap, CutAtEdges(area));
    if (APPLETPush(applet, &entry) && bitmap) DeleteObject(bitmap);
    return call.Finish(1);
}

// restorescreenarea(x, y): the area saved last, its top-left corner at
// (x, y); what was cut off beyond the window's edges stays off. Another kind
// of entry on top is lost, and what it owned with it.
int APPLETRestoreScreenArea(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const int x = call.Int(0), y = call.Int(1);
    VALUE entry;
    if (APPLETPopExpected(applet, &entry, VALUE_GDIOBJECT, APPLETERR_STACKCORRUPT)) return call.Finish(1);
    if (entry.value) {
        WindowDC dc(window);
        const int left = Plus(Plus(x, applet->xoffset), int(entry.name & 0xFFFF));
        const int top = Plus(Plus(y, applet->yoffset), int(entry.name >> 16));
        if (dc) BlitWhole(dc.get(), (HBITMAP)entry.value, left, top);
    }
    APPLETReleaseValue(&entry);
    return call.Finish(1);
}

// copyscreenarea(left, top, right, bottom, x, y): read from the offset
// area, written at (x, y) as given, negative values taken as 0.
int APPLETCopyScreenArea(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(6));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const RECT area = AreaOf(call, applet);
    const int x = call.Int(4), y = call.Int(5);
    WindowDC dc(window);
    if (!dc) return call.Finish(0);
    HBITMAP bitmap = CopyScreenToBitmap(dc.get(), &area);
    const BOOL done = BlitWhole(dc.get(), bitmap, x > 0 ? x : 0, y > 0 ? y : 0);
    if (bitmap) DeleteObject(bitmap);
    return call.Finish(done ? 1 : 0);
}

// drawpicture(number, x, y[, remap[, transparentcolour]]): a picture of
// the applet or a stock icon, its top-left corner at (x, y).
int APPLETDrawPicture(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(3) | ArgCounts(4) | ArgCounts(5));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const int number = call.Int(0);
    const int x = Plus(call.Int(1), applet->xoffset), y = Plus(call.Int(2), applet->yoffset);
    const bool remap = call.count() >= 4 && call.Int(3) != 0;
    const COLORREF transparent = call.count() == 5 ? COLORREF(call.Int(4)) : 0;
    if (IsStockIcon(number)) {
        DrawStockIcon(call, window, number, x, y);
        return call.Finish(1);
    }
    HGLOBAL picture = FindPicture(call, applet, number);
    if (!picture) return call.Finish(1);
    WindowDC dc(window);
    if (dc) {
        HGLOBAL reduced = ReducedCopy(picture, remap);
        DrawLockedPicture(call, dc.get(), reduced ? reduced : picture, x, y,
                          call.count() == 5 ? &transparent : nullptr);
        if (reduced) GlobalFree(reduced);
    }
    return call.Finish(1);
}

// getpicturedimensions(number, @width, @height, @bits): a stock icon is the
// platform's icon size at 4 bits; a damaged picture measures 0.
int APPLETGetPictureDimensions(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(4));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const int number = call.Int(0);
    const unsigned long names[3] = {call.Name(1, VALUE_INTREF), call.Name(2, VALUE_INTREF), call.Name(3, VALUE_INTREF)};
    int values[3] = {0, 0, 0};
    if (IsStockIcon(number)) {
        values[0] = GetSystemMetrics(SM_CXICON), values[1] = GetSystemMetrics(SM_CYICON), values[2] = 4;
    } else if (HGLOBAL picture = FindPicture(call, applet, number)) {
        GetBitmapDimensions(picture, &values[0], &values[1], &values[2], nullptr);
    }
    if (!applet->error) StoreDimensions(call, names, values);
    return call.Finish(1);
}

// This family's slice of the keyword table.
const APPLETFUNCTION picturefunctions[] = {
    {"copyscreenarea", APPLETCopyScreenArea},
    {"drawpicture", APPLETDrawPicture},
    {"getpicturedimensions", APPLETGetPictureDimensions},
    {"restorescreenarea", APPLETRestoreScreenArea},
    {"savescreenarea", APPLETSaveScreenArea},
};
const int picturefunctioncount = int(sizeof picturefunctions / sizeof picturefunctions[0]);
