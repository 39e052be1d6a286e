// Shapes drawn straight onto the saver window with the applet's pen, brush
// and drawing offset: rectangles, ellipses, lines, pixels, edges, polygons
// and curves from arrays, arcs and pies by angle, gradients and the clear.
#include <cmath>
#include <cstdlib>

#include "animation/animation.h"
#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"
#include "applet/builtins/canvas.h"

namespace {

// The rectangle of the four arguments from `first` on, moved by the offset.
RECT OffsetRect(BuiltinCall &call, const APPLET *applet, int first = 0) {
    const int left = call.Int(first), top = call.Int(first + 1), right = call.Int(first + 2),
              bottom = call.Int(first + 3);
    return RECT{Plus(left, applet->xoffset), Plus(top, applet->yoffset), Plus(right, applet->xoffset),
                Plus(bottom, applet->yoffset)};
}

// A rectangle held within the device range, for the shapes drawn inside it.
RECT DeviceRect(const RECT &box) {
    return RECT{DeviceCoordinate(box.left), DeviceCoordinate(box.top), DeviceCoordinate(box.right),
                DeviceCoordinate(box.bottom)};
}

typedef void (*BOXSHAPE)(HDC dc, const RECT &box, int cornerwidth, int cornerheight);

void DrawRectangle(HDC dc, const RECT &box, int, int) { Rectangle(dc, box.left, box.top, box.right, box.bottom); }
void DrawEllipse(HDC dc, const RECT &box, int, int) { Ellipse(dc, box.left, box.top, box.right, box.bottom); }
void DrawRoundRect(HDC dc, const RECT &box, int cornerwidth, int cornerheight) {
    RoundRect(dc, box.left, box.top, box.right, box.bottom, cornerwidth, cornerheight);
}

// A shape inside a rectangle, with corner sizes (not offset) when it has
// six arguments.
int BoxShape(APPLET *applet, HWND window, int arguments, Outfit outfit, BOXSHAPE draw) {
    BuiltinCall call(applet, ArgCounts(arguments));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const RECT box = DeviceRect(OffsetRect(call, applet));
    const int cornerwidth = call.Int(4), cornerheight = call.Int(5);
    WindowDC dc(window);
    if (dc) {
        Selection selection(dc.get(), applet, outfit);
        draw(dc.get(), box, cornerwidth, cornerheight);
    }
    return call.Finish(1);
}

// The points of an array variable named by the first argument, moved by the
// offset and held within the device range: at most the requested count,
// fewer when the array is shorter. Null (with the error raised) when there
// are fewer than `least`.
POINT *ArrayPoints(BuiltinCall &call, const APPLET *applet, int least, int *points) {
    *points = 0;
    const unsigned long name = call.Name(0, VALUE_ARRAY);
    const int requested = call.Int(1);
    if (!name) return nullptr;
    VALUE array;
    if (APPLETFindVariable(call.applet(), &array, name)) return nullptr;
    const int available = (array.type & VALUE_ARRAY) && array.value ? int(array.type >> 16) / 2 : 0;
    *points = requested < available ? requested : available;
    if (*points < least) {
        call.Raise(APPLETERR_BADVALUE);
        return nullptr;
    }
    POINT *result = (POINT *)std::calloc(size_t(*points), sizeof(POINT));
    if (!result) {
        call.Raise(APPLETERR_NOMEMORY);
        return nullptr;
    }
    const int32_t *elements = (const int32_t *)array.value;
    for (int i = 0; i < *points; ++i)
        result[i] = POINT{DeviceCoordinate(Plus(elements[2 * i], applet->xoffset)),
                          DeviceCoordinate(Plus(elements[2 * i + 1], applet->yoffset))};
    return result;
}

typedef BOOL (*POINTSHAPE)(HDC dc, const POINT *points, int count);

BOOL DrawPolygon(HDC dc, const POINT *points, int count) { return Polygon(dc, points, count); }

// A shape through the points of an array; the number of points used, 0
// when none were drawn for lack of them.
int PointShape(APPLET *applet, HWND window, int least, Outfit outfit, POINTSHAPE draw) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    int points = 0;
    POINT *list = ArrayPoints(call, applet, least, &points);
    if (!list) return call.Finish(points > 0 ? points : 0);
    WindowDC dc(window);
    if (dc) {
        Selection selection(dc.get(), applet, outfit);
        draw(dc.get(), list, points);
    }
    std::free(list);
    return call.Finish(points);
}

// A point that gives a direction from the centre of an ellipse.
struct RADIAL {
    long long x, y;
};

// The point whose direction from the centre of `box` is `angle` degrees
// counter-clockwise from the positive x axis, y growing downwards: it lies
// on the left or right edge's line, or straight above or below the centre
// at 90 and 270.
RADIAL RadialPoint(const RECT &box, int angle, long long cx, long long cy, long long r) {
    const auto Slope = [](int b) { return double(b) / double(90 - b); };
    const auto Rise = [r](double k) { return (long long)(double(r) * k); };
    long long x = 0, y = 0;
    if (angle == 90) {
        x = cx, y = cy - (r > 0 ? r : 1);
    } else if (angle == 270) {
        x = cx, y = cy + (r > 0 ? r : 1);
    } else if (angle < 90) {
        x = box.right, y = cy - Rise(Slope(angle));
    } else if (angle < 180) {
        x = box.left, y = cy - Rise(Slope(180 - angle));
    } else if (angle < 270) {
        x = box.left, y = cy + Rise(Slope(angle - 180));
    } else {
        x = box.right, y = cy + Rise(Slope(360 - angle));
    }
    return RADIAL{ClampInt(x), ClampInt(y)};
}

// How far from the centre a radial point may lie when it is drawn.
constexpr double kRadialReach = double(1 << 26);

// The drawn radial point, (vx, vy) away from the drawn centre: brought
// nearer along its own direction when it lies too far out for the
// platform's arithmetic. Only the direction counts.
POINT Radial(const POINT &centre, long long vx, long long vy) {
    double x = double(vx), y = double(vy);
    const double reach = std::fabs(x) > std::fabs(y) ? std::fabs(x) : std::fabs(y);
    if (reach > kRadialReach) x = std::trunc(x * kRadialReach / reach), y = std::trunc(y * kRadialReach / reach);
    return POINT{ClampInt(double(centre.x) + x), ClampInt(double(centre.y) + y)};
}

int ClampAngle(int angle) { return angle < 0 ? 0 : angle > 359 ? 359 : angle; }

typedef BOOL(WINAPI *ARCSHAPE)(HDC dc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);

// An arc or pie of the ellipse in the rectangle from the start angle
// counter-clockwise to the end angle. The radial points are found before
// the offset and moved with the rectangle; an absurdly large rectangle is
// held within the device range and its radials keep their directions.
int ArcShape(APPLET *applet, HWND window, Outfit outfit, ARCSHAPE draw) {
    BuiltinCall call(applet, ArgCounts(6));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const RECT box = {call.Int(0), call.Int(1), call.Int(2), call.Int(3)};
    const int start = ClampAngle(call.Int(4)), end = ClampAngle(call.Int(5));
    const long long cx = box.left + ((long long)box.right - box.left) / 2;
    const long long cy = box.top + ((long long)box.bottom - box.top) / 2;
    const long long r = box.right - cx > box.bottom - cy ? box.right - cx : box.bottom - cy;
    const RADIAL from = RadialPoint(box, start, cx, cy, r), to = RadialPoint(box, end, cx, cy, r);
    const int dx = applet->xoffset, dy = applet->yoffset;
    const POINT centre = {DeviceCoordinate(ClampInt(cx + dx)), DeviceCoordinate(ClampInt(cy + dy))};
    const POINT a = Radial(centre, from.x - cx, from.y - cy), b = Radial(centre, to.x - cx, to.y - cy);
    WindowDC dc(window);
    if (dc) {
        Selection selection(dc.get(), applet, outfit);
        draw(dc.get(), DeviceCoordinate(Plus(box.left, dx)), DeviceCoordinate(Plus(box.top, dy)),
             DeviceCoordinate(Plus(box.right, dx)), DeviceCoordinate(Plus(box.bottom, dy)), a.x, a.y, b.x, b.y);
    }
    return call.Finish(1);
}

// The three colour components of a colour as doubles.
struct SHADE {
    double red, green, blue;
};

SHADE ShadeOf(COLORREF colour) {
    return SHADE{double(GetRValue(colour)), double(GetGValue(colour)), double(GetBValue(colour))};
}

// 256 bands from colour1 towards colour2 (the last one step short of it),
// each filled with a brush of its own.
void PaintGradient(HDC dc, COLORREF colour1, COLORREF colour2, const RECT &box, bool downwards) {
    const long long extent = downwards ? (long long)box.bottom - box.top : (long long)box.right - box.left;
    SHADE c = ShadeOf(colour1);
    const SHADE last = ShadeOf(colour2);
    const SHADE d = {(last.red - c.red) * 0.00390625, (last.green - c.green) * 0.00390625,
                     (last.blue - c.blue) * 0.00390625};
    const double s = double(extent) * 0.00390625;
    const long long origin = downwards ? box.top : box.left;
    for (double pos = 0.0; double(extent) > pos; pos += s) {
        const int from = ClampInt(origin + (long long)pos), to = ClampInt(double(origin) + std::ceil(pos + s));
        const RECT band = downwards ? RECT{box.left, from, box.right, to} : RECT{from, box.top, to, box.bottom};
        HBRUSH brush = CreateSolidBrush(RGB(int(c.red), int(c.green), int(c.blue)));
        if (brush) {
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
        c.red += d.red, c.green += d.green, c.blue += d.blue;
    }
}

}  // namespace

int APPLETFillRect(APPLET *applet, HWND window) { return BoxShape(applet, window, 4, Outfit::Fill, DrawRectangle); }
int APPLETFrameRect(APPLET *applet, HWND window) { return BoxShape(applet, window, 4, Outfit::Frame, DrawRectangle); }
int APPLETFillEllipse(APPLET *applet, HWND window) { return BoxShape(applet, window, 4, Outfit::Fill, DrawEllipse); }
int APPLETFrameEllipse(APPLET *applet, HWND window) { return BoxShape(applet, window, 4, Outfit::Frame, DrawEllipse); }
int APPLETFillRoundRect(APPLET *applet, HWND window) {
    return BoxShape(applet, window, 6, Outfit::Fill, DrawRoundRect);
}
int APPLETFrameRoundRect(APPLET *applet, HWND window) {
    return BoxShape(applet, window, 6, Outfit::Frame, DrawRoundRect);
}

// line(x1, y1, x2, y2): the current position ends at (x2, y2).
int APPLETLine(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(4));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const int x1 = call.Int(0), y1 = call.Int(1), x2 = call.Int(2), y2 = call.Int(3);
    WindowDC dc(window);
    if (dc) {
        Selection selection(dc.get(), applet, Outfit::Pen);
        MoveToEx(dc.get(), Plus(x1, applet->xoffset), Plus(y1, applet->yoffset), nullptr);
        LineTo(dc.get(), Plus(x2, applet->xoffset), Plus(y2, applet->yoffset));
    }
    applet->xpos = x2, applet->ypos = y2;
    return call.Finish(1);
}

// setpixel(x, y, colour): the colour asked for, whatever the device made of it.
int APPLETSetPixel(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(3));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int x = call.Int(0), y = call.Int(1), colour = call.Int(2);
    WindowDC dc(window);
    if (dc) SetPixel(dc.get(), Plus(x, applet->xoffset), Plus(y, applet->yoffset), COLORREF(colour));
    return call.Finish(colour);
}

// getpixel(x, y): -1 outside the window.
int APPLETGetPixel(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int x = call.Int(0), y = call.Int(1);
    WindowDC dc(window);
    const COLORREF colour = dc ? GetPixel(dc.get(), Plus(x, applet->xoffset), Plus(y, applet->yoffset)) : CLR_INVALID;
    return call.Finish(int(colour));
}

// drawedge(left, top, right, bottom, edge, flags): the platform's 3-D edge.
int APPLETDrawEdge(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(6));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    RECT box = DeviceRect(OffsetRect(call, applet));
    const int edge = call.Int(4), flags = call.Int(5);
    WindowDC dc(window);
    if (dc) DrawEdge(dc.get(), &box, UINT(edge), UINT(flags));
    return call.Finish(1);
}

int APPLETFramePolygon(APPLET *applet, HWND window) {
    return PointShape(applet, window, 2, Outfit::Frame, DrawPolygon);
}
int APPLETFillPolygon(APPLET *applet, HWND window) { return PointShape(applet, window, 2, Outfit::Fill, DrawPolygon); }
// A count that is not 3k + 1 draws nothing, as the platform decides.
int APPLETBezierCurve(APPLET *applet, HWND window) {
    return PointShape(applet, window, 4, Outfit::Frame,
                      [](HDC dc, const POINT *points, int count) { return PolyBezier(dc, points, DWORD(count)); });
}

int APPLETArc(APPLET *applet, HWND window) { return ArcShape(applet, window, Outfit::Frame, Arc); }
int APPLETFramePie(APPLET *applet, HWND window) { return ArcShape(applet, window, Outfit::Frame, Pie); }
int APPLETFillPie(APPLET *applet, HWND window) { return ArcShape(applet, window, Outfit::Fill, Pie); }

// drawgradient(colour1, colour2, left, top, right, bottom, downwards): always 0.
int APPLETDrawGradient(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(7));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const COLORREF colour1 = COLORREF(call.Int(0)), colour2 = COLORREF(call.Int(1));
    const RECT box = OffsetRect(call, applet, 2);
    const bool downwards = call.Int(6) != 0;
    WindowDC dc(window);
    if (dc) PaintGradient(dc.get(), colour1, colour2, box, downwards);
    return call.Finish(0);
}

// clearscreen([colour]): the whole window in the colour, the saver's own
// when none is given; the animations that end with their item end too.
int APPLETClearScreen(APPLET *applet, HWND window) {
    BuiltinCall call(applet, ArgCounts(0, 1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);
    const COLORREF wanted = call.count() == 1 ? COLORREF(call.Int(0)) : applet->savercolour;
    WindowDC dc(window);
    if (dc) {
        DisplayPalette palette(dc.get());
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(palette.Nearest(wanted));
        if (brush) {
            FillRect(dc.get(), &client, brush);
            DeleteObject(brush);
        }
    }
    DestroyAllAnimations(window, SCRF_ENDWITHITEM);
    return call.Finish(1);
}

// This family's slice of the keyword table.
const APPLETFUNCTION shapefunctions[] = {
    {"arc", APPLETArc},
    {"beziercurve", APPLETBezierCurve},
    {"clearscreen", APPLETClearScreen},
    {"drawedge", APPLETDrawEdge},
    {"drawgradient", APPLETDrawGradient},
    {"fillellipse", APPLETFillEllipse},
    {"fillpie", APPLETFillPie},
    {"fillpolygon", APPLETFillPolygon},
    {"fillrect", APPLETFillRect},
    {"fillroundrect", APPLETFillRoundRect},
    {"frameellipse", APPLETFrameEllipse},
    {"framepie", APPLETFramePie},
    {"framepolygon", APPLETFramePolygon},
    {"framerect", APPLETFrameRect},
    {"frameroundrect", APPLETFrameRoundRect},
    {"getpixel", APPLETGetPixel},
    {"line", APPLETLine},
    {"setpixel", APPLETSetPixel},
};
const int shapefunctioncount = int(sizeof shapefunctions / sizeof shapefunctions[0]);
