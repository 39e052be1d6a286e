// The transition effects in content order: the index is what a picture stores.
#include "presentation/effect.h"

#define OPERATIONS(name) Setup##name, Appear##name, Wait##name, Disappear##name, Close##name

const EFFECT effect[MAXEFFECT] = {
    {OPERATIONS(None), "None", 0, 0},
    {OPERATIONS(Scramble), "Chaos and Order", 1, 0},
    {OPERATIONS(Hsplit), "Horizontal Split", 1, 1},
    {OPERATIONS(Nclear), "No Clear", 0, 0},
    {OPERATIONS(Plummet), "Plummet", 1, 1},
    {OPERATIONS(Fourway), "Quadrants", 1, 0},
    {OPERATIONS(Random), "Random Effect", 0, 0},
    {OPERATIONS(Sandblast), "Sandstorm", 1, 1},
    {OPERATIONS(Tile), "Tile", 1, 1},
    {OPERATIONS(Vsplit), "Vertical Split", 1, 1},
    {OPERATIONS(Wleft), "Wipe in from Left", 1, 1},
    {OPERATIONS(Wright), "Wipe in from Right", 1, 1},
    {OPERATIONS(Crossfade), "Crossfade", 0, 0},
};

#undef OPERATIONS

const EFFECT &EffectAt(int index) { return index >= 0 && index < MAXEFFECT ? effect[index] : effect[0]; }
