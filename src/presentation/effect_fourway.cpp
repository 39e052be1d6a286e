// "Quadrants": the four corners of the picture grow out of its centre, two
// steps per tick.
#include <algorithm>

#include "presentation/effect_common.h"

namespace {
constexpr int kGrowthPerStep = 2;

void Restart(FOURWAYSTATE *state) {
    state->k = 0;
    state->cw = state->ch = 0.0;
}
}  // namespace

WORD SetupFourway(STATUS *status) {
    FOURWAYSTATE &state = status->effects.fourway;
    const WORD result = SetupBitmap(status, &state.size);
    Restart(&state);
    state.steps = std::max(state.size.w, state.size.h) / 2;
    state.dx = state.steps ? state.size.w * 0.5 / state.steps : 0.0;
    state.dy = state.steps ? state.size.h * 0.5 / state.steps : 0.0;
    return result;
}

WORD AppearFourway(STATUS *status) {
    FOURWAYSTATE &state = status->effects.fourway;
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int hw = state.size.w / 2, hh = state.size.h / 2;
    for (int step = 0; step < kGrowthPerStep && state.k < state.steps; ++step, ++state.k) {
        const int cwi = int(state.cw), chi = int(state.ch), dxi = int(state.dx), dyi = int(state.dy);
        source.Draw(hw, hh, cwi, chi, 2 * hw - cwi - dxi, 2 * hh - chi - dyi);  // bottom right
        source.Draw(hw, hh - chi, cwi, chi, 2 * hw - cwi - dxi, hh - chi);      // top right
        source.Draw(hw - cwi, hh - chi, cwi, chi, 0, 0);                          // top left
        source.Draw(hw - cwi, hh, cwi, chi, 0, 2 * hh - chi - dyi);              // bottom left
        state.cw += state.dx;
        state.ch += state.dy;
    }
    if (state.k < state.steps - 1) return 0;
    source.DrawAll(state.size.w, state.size.h);
    return EFFECT_NEXTPHASE;
}

WORD WaitFourway(STATUS *status) {
    if (status->holdcount != 0) return 0;
    Restart(&status->effects.fourway);
    return EFFECT_NEXTPHASE;
}

WORD DisappearFourway(STATUS *status) { return ClearWholePicture(status); }

WORD CloseFourway(STATUS *status) { return ReleaseEffect(status); }
