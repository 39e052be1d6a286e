// Blending two 32-bit pixel rows, as a Crossfade does at each step.
#pragma once

#include <cstddef>
#include <cstdint>

// The weight of the "to" pixels, in 256ths: 0 gives `from`, 256 gives `to`.
constexpr int BLEND_WHOLE = 256;

// out = from + (to - from) * t / 256, rounded down, for each byte of
// `count` pixels. The SSE2 path gives exactly what the scalar one gives.
void BlendPixels(const uint32_t *from, const uint32_t *to, uint32_t *out, size_t count, int t);
void BlendPixelsScalar(const uint32_t *from, const uint32_t *to, uint32_t *out, size_t count, int t);
// Whether BlendPixels uses SSE2 on this processor.
bool BlendUsesSse2();
