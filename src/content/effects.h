// The transition effects as pictures store them: by index into this list,
// which the player's effect table and the show builder's manifest names
// both follow. Portable.
#pragma once

#include <cstdint>

#include "content/format.h"

constexpr uint32_t EFFECTCOUNT = 13;

// The names of the effects, by stored index: what a manifest writes and
// what the player's table calls each one.
inline constexpr const char *EFFECTNAMES[EFFECTCOUNT] = {
    "None",           "Chaos and Order", "Horizontal Split", "No Clear",
    "Plummet",        "Quadrants",       "Random Effect",    "Sandstorm",
    "Tile",           "Vertical Split",  "Wipe in from Left", "Wipe in from Right",
    "Crossfade"};

// "No Clear": as a disappear, it leaves the picture on the screen.
constexpr uint32_t NOCLEAR_EFFECT = 3;
// "Random Effect": each cycle brings the picture on another way.
constexpr uint32_t RANDOM_EFFECT = 6;
static_assert(CROSSFADE_EFFECT < EFFECTCOUNT, "the Crossfade is in the list");
