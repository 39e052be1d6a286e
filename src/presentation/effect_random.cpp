// "Random Effect": each cycle appears through another effect chosen at
// random, and picks the one to disappear with when the hold is over.
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
// The last effect chosen for any picture. The next choice differs from it,
// across items as well, so consecutive cycles never repeat an effect; a
// picture whose disappear effect alone is Random disappears through it.
int lastchosen = 0;

// Gives the status a random effect that may be used this way, other than the
// last one chosen and the one the status is using.
void Choose(STATUS *status, WORD EFFECT::*allowed) {
    RANDOMSTATE &state = status->effects.random;
    int r;
    do r = std::rand() % RANDOMCHOICES;
    while (r == lastchosen || (state.chosen && r == state.inuse) || !(effect[r].*allowed));
    state.inuse = lastchosen = r;
    state.chosen = 1;
}

// The status's effect; one that has not chosen yet takes the last chosen
// for any picture and keeps it for the item.
const EFFECT &InUse(STATUS *status) {
    RANDOMSTATE &state = status->effects.random;
    if (!state.chosen) {
        state.inuse = lastchosen;
        state.chosen = 1;
    }
    return EffectAt(state.inuse);
}
}  // namespace

WORD SetupRandom(STATUS *status) {
    Choose(status, &EFFECT::randomappear);
    return InUse(status).setup(status);
}

WORD AppearRandom(STATUS *status) { return InUse(status).appear(status); }

WORD WaitRandom(STATUS *status) {
    const WORD result = InUse(status).wait(status);
    if (result == EFFECT_NEXTPHASE) Choose(status, &EFFECT::randomdisappear);
    return result;
}

WORD DisappearRandom(STATUS *status) { return InUse(status).disappear(status); }

WORD CloseRandom(STATUS *status) { return InUse(status).close(status); }

int RandomEffectInUse(const STATUS *status) { return status->effects.random.inuse; }
