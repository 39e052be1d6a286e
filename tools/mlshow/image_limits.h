// Limits on decoded pictures, checked before any large allocation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mlshow {

// The largest block the picture decoder may allocate (all frames of a GIF
// together count as one block).
constexpr size_t MAX_DECODE_BYTES = size_t(512) << 20;
// The largest picture side and area accepted.
constexpr uint32_t MAX_PICTURE_SIDE = 16384;
constexpr uint64_t MAX_PICTURE_PIXELS = uint64_t(64) << 20;
// The most frames an animation may have.
constexpr uint32_t MAX_ANIMATION_FRAMES = 4096;

}  // namespace mlshow
