// "Quadrants": the four corners of the picture grow out of its centre, two
// steps per tick.
#include <algorithm>

#include "presentation/effect_common.h"

namespace {
constexpr int kGrowthPerStep = 2;
PictureSize size;
int k;          // growth steps done
int steps;      // S: steps to the whole picture
double dx, dy;  // growth per step
double cw, ch;  // size of each corner so far

void Restart() {
    k = 0;
    cw = ch = 0.0;
}
}  // namespace

WORD SetupFourway(STATUS *status) {
    const WORD result = SetupBitmap(status, &size);
    Restart();
    steps = std::max(size.w, size.h) / 2;
    dx = steps ? size.w * 0.5 / steps : 0.0;
    dy = steps ? size.h * 0.5 / steps : 0.0;
    return result;
}

WORD AppearFourway(STATUS *status) {
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int hw = size.w / 2, hh = size.h / 2;
    for (int step = 0; step < kGrowthPerStep && k < steps; ++step, ++k) {
        const int cwi = int(cw), chi = int(ch), dxi = int(dx), dyi = int(dy);
        source.Draw(hw, hh, cwi, chi, 2 * hw - cwi - dxi, 2 * hh - chi - dyi);  // bottom right
        source.Draw(hw, hh - chi, cwi, chi, 2 * hw - cwi - dxi, hh - chi);      // top right
        source.Draw(hw - cwi, hh - chi, cwi, chi, 0, 0);                          // top left
        source.Draw(hw - cwi, hh, cwi, chi, 0, 2 * hh - chi - dyi);              // bottom left
        cw += dx;
        ch += dy;
    }
    if (k < steps - 1) return 0;
    source.DrawAll(size.w, size.h);
    return EFFECT_NEXTPHASE;
}

WORD WaitFourway(STATUS *status) {
    if (status->holdcount != 0) return 0;
    Restart();
    return EFFECT_NEXTPHASE;
}

WORD DisappearFourway(STATUS *status) { return ClearWholePicture(status); }

WORD CloseFourway(STATUS *status) { return ReleaseEffect(status); }
