// "Horizontal Split": the top half enters from the right while the bottom
// half enters from the left, six columns per step; they leave the same way.
#include "presentation/effect_common.h"

namespace {
constexpr int kColumnsPerStep = 6;
}  // namespace

WORD SetupHsplit(STATUS *status) {
    SLIDESTATE &state = status->effects.hsplit;
    state.steps.Restart(status);
    return SetupBitmap(status, &state.size);
}

WORD AppearHsplit(STATUS *status) {
    SLIDESTATE &state = status->effects.hsplit;
    int &c = state.steps.InCycle(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int w = state.size.w, h = state.size.h / 2;
    for (int step = 0; step < kColumnsPerStep && c < w; ++step, ++c) {
        MoveArea(status, w - c, 0, c, h, -1, 0);
        source.Draw(w - 1, 0, 1, h, c, 0);
        MoveArea(status, 0, h, c, h, 1, 0);
        source.Draw(0, h, 1, h, w - c - 1, h);
    }
    if (c < w - 1) return 0;
    source.DrawAll(w, state.size.h);
    return EFFECT_NEXTPHASE;
}

WORD WaitHsplit(STATUS *status) {
    if (status->holdcount != 0) return 0;
    status->effects.hsplit.steps.Restart(status);
    return EFFECT_NEXTPHASE;
}

WORD DisappearHsplit(STATUS *status) {
    SLIDESTATE &state = status->effects.hsplit;
    int &c = state.steps.InCycle(status);
    ReadPictureSize(status, &state.size);
    const int w = state.size.w, full = state.size.h, h = state.size.h / 2;
    for (int step = 0; step < kColumnsPerStep && c < w; ++step, ++c) {
        MoveArea(status, 1, 0, w - c - 1, h, -1, 0);
        FillArea(status, w - c, 0, w - c, h - 1);
        MoveArea(status, c, h, w - 1 - c, h, 1, 0);
        FillArea(status, c - 1, h, c, full - 1);
    }
    if (c < w - 1) return 0;
    // The last step may end a column short of either edge: whatever is left
    // of both halves goes, together with the column beyond the bottom half.
    FillArea(status, 0, 0, w, full - 1);
    return EFFECT_NEXTPHASE;
}

WORD CloseHsplit(STATUS *status) {
    status->effects.hsplit.steps.Restart(status);
    return ReleaseEffect(status);
}
