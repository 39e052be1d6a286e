// "Wipe in from Right": the picture slides in from its right edge, six
// columns per step, and slides out to the left.
#include "presentation/effect_common.h"

namespace {
constexpr int kColumnsPerStep = 6;
}  // namespace

WORD SetupWright(STATUS *status) {
    SLIDESTATE &state = status->effects.wright;
    state.steps.Restart(status);
    return SetupBitmap(status, &state.size);
}

WORD AppearWright(STATUS *status) {
    SLIDESTATE &state = status->effects.wright;
    int &c = state.steps.InCycle(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int w = state.size.w, h = state.size.h;
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
    status->effects.wright.steps.Restart(status);
    return EFFECT_NEXTPHASE;
}

WORD DisappearWright(STATUS *status) {
    SLIDESTATE &state = status->effects.wright;
    int &c = state.steps.InCycle(status);
    ReadPictureSize(status, &state.size);
    const int w = state.size.w, h = state.size.h;
    for (int step = 0; step < kColumnsPerStep && c < w; ++step, ++c) {
        MoveArea(status, 1, 0, w - c, h, -1, 0);
        FillArea(status, w - c, 0, w - c, h - 1);
    }
    if (c < w - 1) return 0;
    FillArea(status, 0, 0, 0, h - 1);
    return EFFECT_NEXTPHASE;
}

WORD CloseWright(STATUS *status) {
    status->effects.wright.steps.Restart(status);
    return ReleaseEffect(status);
}
