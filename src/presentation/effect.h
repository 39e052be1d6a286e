// The table of transition effects. Each effect is five operations on the
// display status, called once per step tick by the cell cycle:
//   Setup      once per cycle: prepares the picture's bitmap and lists
//   Appear     until the picture is complete    (returns EFFECT_NEXTPHASE)
//   Wait       until the hold time has run out  (returns EFFECT_NEXTPHASE)
//   Disappear  until the picture is gone        (returns EFFECT_NEXTPHASE)
//   Close      releases what Setup made
// EFFECT_END from any of them ends the cycle at once.
#pragma once

#include <windows.h>

#include "content/effects.h"
#include "presentation/status.h"

typedef WORD (*EFFECTOPERATION)(STATUS *status);

struct EFFECT {
    EFFECTOPERATION setup, appear, wait, disappear, close;
    const char *name;  // EFFECTNAMES at its index
    WORD randomappear;     // Random Effect may use it to bring a picture on
    WORD randomdisappear;  // ... and to take one off
};

constexpr int MAXEFFECT = int(EFFECTCOUNT);
// The effects "Random Effect" chooses among are the first twelve: stored
// shows that use it play as they always did.
constexpr int RANDOMCHOICES = 12;
constexpr int CROSSFADE = int(CROSSFADE_EFFECT);
extern const EFFECT effect[MAXEFFECT];

// The effect at `index`; "None" for an index outside the table, so damaged
// content never calls through a pointer read past the table.
const EFFECT &EffectAt(int index);

// The effect "Random Effect" is using for the status's picture.
int RandomEffectInUse(const STATUS *status);

#define DECLARE_EFFECT(name)            \
    WORD Setup##name(STATUS *status);     \
    WORD Appear##name(STATUS *status);    \
    WORD Wait##name(STATUS *status);      \
    WORD Disappear##name(STATUS *status); \
    WORD Close##name(STATUS *status);

DECLARE_EFFECT(None)
DECLARE_EFFECT(Scramble)
DECLARE_EFFECT(Hsplit)
DECLARE_EFFECT(Nclear)
DECLARE_EFFECT(Plummet)
DECLARE_EFFECT(Fourway)
DECLARE_EFFECT(Random)
DECLARE_EFFECT(Sandblast)
DECLARE_EFFECT(Tile)
DECLARE_EFFECT(Vsplit)
DECLARE_EFFECT(Wleft)
DECLARE_EFFECT(Wright)
DECLARE_EFFECT(Crossfade)

#undef DECLARE_EFFECT
