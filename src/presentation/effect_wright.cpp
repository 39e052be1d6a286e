// "Wipe in from Right": the picture slides in from its right edge, six
// columns per step, and slides out to the left.
#include "presentation/effect_common.h"

namespace {
constexpr int kColumnsPerStep = 6;
PictureSize size;
StepCounter steps;  // columns done
}  // namespace

WORD SetupWright(STATUS *status) {
    steps.Restart();
    return SetupBitmap(status, &size);
}

WORD AppearWright(STATUS *status) {
    int &c = steps.InCycle();
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int w = size.w, h = size.h;
    for (int step = 0; step < kColumnsPerStep && c < w; ++step, ++c) {
        MoveArea(status, w - c, 0, c, h, -1, 0);
        source.Draw(w - 1, 0, 1, h, c, 0);
    }
    if (c < w - 1) return 0;
    source.DrawAll(w, h);
    return EFFECT_NEXTPHASE;
}

WORD WaitWright(STATUS *status) {
    if (status->holdcount != 0) return 0;
    steps.Restart();
    return EFFECT_NEXTPHASE;
}

WORD DisappearWright(STATUS *status) {
    int &c = steps.InCycle();
    ReadPictureSize(status, &size);
    const int w = size.w, h = size.h;
    for (int step = 0; step < kColumnsPerStep && c < w; ++step, ++c) {
        MoveArea(status, 1, 0, w - c, h, -1, 0);
        FillArea(status, w - c, 0, w - c, h - 1);
    }
    if (c < w - 1) return 0;
    FillArea(status, 0, 0, 0, h - 1);
    return EFFECT_NEXTPHASE;
}

WORD CloseWright(STATUS *status) {
    steps.Restart();
    return ReleaseEffect(status);
}
