// "Random Effect": each cycle appears through another effect chosen at
// random, and picks the one to disappear with when the hold is over.
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
int last = 0;  // the effect in use

// A random effect other than the last one that may be used this way.
int Choose(WORD EFFECT::*allowed) {
    int r;
    do r = std::rand() % RANDOMCHOICES;
    while (r == last || !(effect[r].*allowed));
    return r;
}
}  // namespace

WORD SetupRandom(STATUS *status) {
    last = Choose(&EFFECT::randomappear);
    return effect[last].setup(status);
}

WORD AppearRandom(STATUS *status) { return effect[last].appear(status); }

WORD WaitRandom(STATUS *status) {
    const WORD result = effect[last].wait(status);
    if (result == EFFECT_NEXTPHASE) last = Choose(&EFFECT::randomdisappear);
    return result;
}

WORD DisappearRandom(STATUS *status) { return effect[last].disappear(status); }

WORD CloseRandom(STATUS *status) { return effect[last].close(status); }

int RandomEffectInUse() { return last; }
