// Photo-like pictures for the benchmarks: smooth light and colour with
// fine grain, as a photograph has.
#pragma once

#include "image.h"

namespace bench {

constexpr int PHOTO_WIDTH = 1920, PHOTO_HEIGHT = 1080;

// The picture numbered `index`; each number gives other light and grain.
mlshow::Image Photo(int index);

}  // namespace bench
