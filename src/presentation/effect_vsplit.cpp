// "Vertical Split": the left half rises from the bottom while the right half
// comes down from the top, five rows per step; the left half sinks out and
// the right half rises out.
#include "presentation/effect_common.h"

namespace {
constexpr int kRowsPerStep = 5;
}  // namespace

WORD SetupVsplit(STATUS *status) {
    SLIDESTATE &state = status->effects.vsplit;
    state.steps.Restart(status);
    return SetupBitmap(status, &state.size);
}

WORD AppearVsplit(STATUS *status) {
    SLIDESTATE &state = status->effects.vsplit;
    int &c = state.steps.InCycle(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int h = state.size.h, v = state.size.w / 2;
    for (int step = 0; step < kRowsPerStep && c < h - 1; ++step, ++c) {
        source.Draw(0, h - 1, v, 1, 0, c);
        MoveArea(status, 0, h - c, v, c, 0, -1);
        source.Draw(v, 0, v, 1, v, h - c - 1);
        MoveArea(status, v, 0, v, c, 0, 1);
    }
    if (c < h - 1) return 0;
    source.DrawAll(state.size.w, h);
    return EFFECT_NEXTPHASE;
}

WORD WaitVsplit(STATUS *status) {
    if (status->holdcount != 0) return 0;
    status->effects.vsplit.steps.Restart(status);
    return EFFECT_NEXTPHASE;
}

WORD DisappearVsplit(STATUS *status) {
    SLIDESTATE &state = status->effects.vsplit;
    int &c = state.steps.InCycle(status);
    ReadPictureSize(status, &state.size);
    const int w = state.size.w, h = state.size.h, v = state.size.w / 2;
    for (int step = 0; step < kRowsPerStep && c < h; ++step, ++c) {
        MoveArea(status, 0, c, v, h - c, 0, 1);
        FillArea(status, 0, c - 1, v - 1, c + 1);
        MoveArea(status, v, 1, v + 1, h - c, 0, -1);
        FillArea(status, v, h - c - 1, w, h - c);
    }
    if (c < h - 1) return 0;
    // A step short of the last row leaves a row of each half: it goes too.
    FillArea(status, 0, 0, w, h - 1);
    return EFFECT_NEXTPHASE;
}

WORD CloseVsplit(STATUS *status) {
    status->effects.vsplit.steps.Restart(status);
    return ReleaseEffect(status);
}
