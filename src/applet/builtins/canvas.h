// What the drawing built-ins share: the applet's pen and brush selected into
// a device context of the saver window, the fixed palette on palette
// displays, and coordinate arithmetic that cannot overflow.
#pragma once

#include <windows.h>

#include <cstdint>

#include "applet/applet.h"
#include "imaging/palette.h"
#include "imaging/window_dc.h"

// Which of the applet's objects a shape is drawn with: its brush inside and
// no outline, its pen around and nothing inside, or its pen alone.
enum class Outfit { Fill, Frame, Pen };

// Selects the objects of an outfit and puts the previous ones back, in the
// reverse order, when it goes.
class Selection {
public:
    Selection(HDC dc, const APPLET *applet, Outfit outfit);
    ~Selection();
    Selection(const Selection &) = delete;
    Selection &operator=(const Selection &) = delete;

private:
    HDC dc_;
    HGDIOBJ first_ = nullptr, second_ = nullptr;
};

// The fixed display palette realised on a palette display, and the colour
// the device really offers for `colour` then; nothing on deeper displays.
class DisplayPalette {
public:
    explicit DisplayPalette(HDC dc);
    ~DisplayPalette();
    DisplayPalette(const DisplayPalette &) = delete;
    DisplayPalette &operator=(const DisplayPalette &) = delete;
    COLORREF Nearest(COLORREF colour) const;

private:
    HDC dc_;
    bool realised_ = false;
    PALSTATE state_ = {};
};

// Sums and differences of script integers wrap as 32-bit values do, the
// same on every build, instead of overflowing.
inline int Plus(int a, int b) { return int(uint32_t(a) + uint32_t(b)); }
inline int Minus(int a, int b) { return int(uint32_t(a) - uint32_t(b)); }
// A wide value limited to the range of int.
inline int ClampInt(long long value) {
    return value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : int(value);
}
// A coordinate held within +-2^18 pixels: far beyond any screen, yet within
// what the platform's shape code survives. Ellipses from 2^19 on and fills
// of polygons reaching past 2^30 bring down the emulated GDI the tests run
// on, and shapes spanning billions of scan lines take seconds.
constexpr int kDeviceLimit = 1 << 18;
inline int DeviceCoordinate(int value) {
    return value < -kDeviceLimit ? -kDeviceLimit : value > kDeviceLimit ? kDeviceLimit : value;
}
inline int ClampInt(double value) {
    return value <= double(INT32_MIN) ? INT32_MIN : value >= double(INT32_MAX) ? INT32_MAX : int(value);
}
