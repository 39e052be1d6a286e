// "Wipe in from Left": the picture slides in from its left edge, six
// columns per step, one pixel right of its place until the last step, and
// slides out to the right.
#include "presentation/effect_common.h"

namespace {
constexpr int kColumnsPerStep = 6;
}  // namespace

WORD SetupWleft(STATUS *status) {
    SLIDESTATE &state = status->effects.wleft;
    state.steps.Restart(status);
    return SetupBitmap(status, &state.size);
}

WORD AppearWleft(STATUS *status) {
    SLIDESTATE &state = status->effects.wleft;
    int &c = state.steps.InCycle(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int w = state.size.w, h = state.size.h;
    for (int step = 0; step < kColumnsPerStep && c < w; ++step, ++c) {
        MoveArea(status, 0, 0, c + 1, h, 1, 0);
        source.Draw(1, 0, 1, h, w - c - 1, 0);
    }
    if (c < w - 1) return 0;
    source.DrawAll(w, h);
    return EFFECT_NEXTPHASE;
}

WORD WaitWleft(STATUS *status) {
    if (status->holdcount != 0) return 0;
    status->effects.wleft.steps.Restart(status);
    return EFFECT_NEXTPHASE;
}

WORD DisappearWleft(STATUS *status) {
    SLIDESTATE &state = status->effects.wleft;
    int &c = state.steps.InCycle(status);
    ReadPictureSize(status, &state.size);
    const int w = state.size.w, h = state.size.h;
    for (int step = 0; step < kColumnsPerStep && c < w; ++step, ++c) {
        MoveArea(status, c, 0, w - c, h, 1, 0);
        FillArea(status, c - 1, 0, c, h - 1);
    }
    if (c < w - 1) return 0;
    // Whatever the last step left of the picture goes with the last column.
    FillArea(status, c - 1, 0, w, h - 1);
    return EFFECT_NEXTPHASE;
}

WORD CloseWleft(STATUS *status) {
    status->effects.wleft.steps.Restart(status);
    return ReleaseEffect(status);
}
