// The transition effects' working state for one picture on screen: what each
// effect carries from its set-up to its steps. Every STATUS holds one, so
// pictures on several windows of one thread step without touching each
// other's sizes and counters. The record starts zeroed with its item
// (InitImageStatus); no member points anywhere.
#pragma once

#include <cstdint>

struct STATUS;

// The picture's size as an effect works with it.
struct PictureSize {
    int w;
    int h;
};

// An effect's step counter belongs to the cycle in which it last started
// over: an item that ends in the middle of a cycle leaves its effects'
// counters where they stopped, and the next cycle that uses such an effect
// starts it from 0 instead of going on from there. A zeroed counter belongs
// to no cycle.
class StepCounter {
public:
    // The count of the status's cycle running now; 0 at its first use in it.
    int &InCycle(const STATUS *status);
    void Restart(const STATUS *status);

private:
    int count_;
    uint32_t cycle_;
};

struct SCRAMBLESTATE {
    PictureSize size;
    int block;               // B: the block's side
    int gridwide, griddeep;  // GW, GH: the picture rounded up to whole blocks
    int columns;             // blocks per row
    int count;               // N: blocks
};

struct FOURWAYSTATE {
    PictureSize size;
    int k;          // growth steps done
    int steps;      // S: steps to the whole picture
    double dx, dy;  // growth per step
    double cw, ch;  // size of each corner so far
};

struct PLUMMETSTATE {
    PictureSize size;
    int c;  // rows done of the current strip
    int k;  // the current strip's place in the list
};

struct RANDOMSTATE {
    int inuse;   // the effect "Random Effect" is using
    int chosen;  // non-zero once this status has its own
};

// The wipes and splits: the size and the columns or rows done.
struct SLIDESTATE {
    PictureSize size;
    StepCounter steps;
};

struct EFFECTSTATE {
    uint32_t cycle;  // the number the cell gave this status's cycle at its set-up
    PictureSize none, nclear, sandblast, tile, crossfade;
    SCRAMBLESTATE scramble;
    FOURWAYSTATE fourway;
    PLUMMETSTATE plummet;
    SLIDESTATE hsplit, vsplit, wleft, wright;
    RANDOMSTATE random;
};
