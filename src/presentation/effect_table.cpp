// The transition effects in content order: the index is what a picture
// stores, and each takes its name from the stored list.
#include "presentation/effect.h"

#define OPERATIONS(name) Setup##name, Appear##name, Wait##name, Disappear##name, Close##name

const EFFECT effect[MAXEFFECT] = {
    {OPERATIONS(None), EFFECTNAMES[0], 0, 0},
    {OPERATIONS(Scramble), EFFECTNAMES[1], 1, 0},
    {OPERATIONS(Hsplit), EFFECTNAMES[2], 1, 1},
    {OPERATIONS(Nclear), EFFECTNAMES[NOCLEAR_EFFECT], 0, 0},
    {OPERATIONS(Plummet), EFFECTNAMES[4], 1, 1},
    {OPERATIONS(Fourway), EFFECTNAMES[5], 1, 0},
    {OPERATIONS(Random), EFFECTNAMES[RANDOM_EFFECT], 0, 0},
    {OPERATIONS(Sandblast), EFFECTNAMES[7], 1, 1},
    {OPERATIONS(Tile), EFFECTNAMES[8], 1, 1},
    {OPERATIONS(Vsplit), EFFECTNAMES[9], 1, 1},
    {OPERATIONS(Wleft), EFFECTNAMES[10], 1, 1},
    {OPERATIONS(Wright), EFFECTNAMES[11], 1, 1},
    {OPERATIONS(Crossfade), EFFECTNAMES[CROSSFADE_EFFECT], 0, 0},
};

#undef OPERATIONS

const EFFECT &EffectAt(int index) { return index >= 0 && index < MAXEFFECT ? effect[index] : effect[0]; }
