// Blending two 32-bit pixel rows, as a Crossfade does at each step and the
// bilinear zoom does between two rows and two columns: the one per-byte
// blend of the player.
#pragma once

#include <cstddef>
#include <cstdint>

// The weight of the "to" pixels, in 256ths: 0 gives `from`, 256 gives `to`.
constexpr int BLEND_WHOLE = 256;

// One byte: from + (to - from) * t / 256 rounded down is
// (from * (256 - t) + to * t) / 256; both weights are unsigned and the sum
// is at most 255 * 256, so it fits 16 bits (as the SSE2 lanes hold it).
inline uint32_t BlendByte(uint32_t from, uint32_t to, uint32_t t) { return (from * (BLEND_WHOLE - t) + to * t) >> 8; }

// Each byte of the 32-bit pixels `from` and `to` blended by t.
inline uint32_t BlendPixel(uint32_t from, uint32_t to, uint32_t t) {
    return BlendByte(from & 0xFF, to & 0xFF, t) | BlendByte((from >> 8) & 0xFF, (to >> 8) & 0xFF, t) << 8 |
           BlendByte((from >> 16) & 0xFF, (to >> 16) & 0xFF, t) << 16 | BlendByte(from >> 24, to >> 24, t) << 24;
}

// out = from + (to - from) * t / 256, rounded down, for each byte of
// `count` pixels. The SSE2 path gives exactly what the scalar one gives.
void BlendPixels(const uint32_t *from, const uint32_t *to, uint32_t *out, size_t count, int t);
void BlendPixelsScalar(const uint32_t *from, const uint32_t *to, uint32_t *out, size_t count, int t);
// Whether BlendPixels uses SSE2 on this processor.
bool BlendUsesSse2();
