// Animated GIFs: every frame as a whole picture, with its delay, and the
// GIF's loop count.
#pragma once

#include <cstdint>
#include <vector>

#include "content/writer.h"
#include "image.h"

namespace mlshow {

struct GifAnimation {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Image> frames;     // composed frames, RGBA; alpha 0 shows what is behind
    std::vector<uint32_t> delays;  // milliseconds each
    // Passes through all frames: 0 forever; 1 when the GIF does not say.
    uint32_t loops = 1;
};

// Decodes all frames; InputError for a file that is not a GIF, is too big,
// or has too many frames.
GifAnimation DecodeGif(const Bytes &file);

// The loop count of the GIF's "NETSCAPE2.0" application extension as the
// number of passes (0 forever), or 1 when it has none.
uint32_t GifLoops(const Bytes &file);

}  // namespace mlshow
