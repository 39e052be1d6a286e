// The animation data inside an ANIM block: an ANIMHEADER, the frame table,
// then each frame's packed bitmap. Building and reading are mirrors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/format.h"
#include "content/writer.h"

namespace mlshow {

struct AnimationFrame {
    Bytes dib;
    uint32_t flags = 0;  // ANIMFRAME_*
    uint32_t delay = 100;
    uint32_t transparent = 0;
    int32_t x = 0;
    int32_t y = 0;
};

struct Animation {
    int32_t wide = 0;
    int32_t deep = 0;
    uint32_t loopcount = 0;
    std::vector<AnimationFrame> frames;
};

// Lays the frames out one after another behind the frame table.
Bytes BuildAnimationData(const Animation &animation);

// Reads animation data back, checking every offset and bitmap against the
// data; the frames' bitmaps are copied out. `problem` says what is wrong,
// and is empty when the player can play every frame.
Animation ReadAnimationData(const Bytes &data, std::string *problem);

}  // namespace mlshow
