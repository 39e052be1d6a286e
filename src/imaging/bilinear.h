// Bilinear resampling of 32-bit pixels through taps: every output pixel is
// the blend of two neighbouring source rows and then of two neighbouring
// columns, each by a weight in 256ths. The pan-and-zoom makes its frames
// with it.
#pragma once

#include <cstddef>
#include <cstdint>

// Where one output column (or row) samples the source: the first of its two
// source pixels and the weight of the second, in 256ths (0..255).
struct BILINEARTAP {
    int32_t index;
    int32_t weight;
};

// out (dw x dh, rows of dw pixels) from source (sw x sh, rows of sw
// pixels): output row v blends source row rows[v].index with the row below
// it, and output pixel u of that row blends its columns columns[u].index
// and the one right of it, each step rounded down per byte as BlendPixels
// rounds. The taps of each axis rise and lie inside the source; `line`
// holds sw + 1 pixels. With `sse2` (only where BlendUsesSse2) the SSE2 path
// gives exactly what the scalar one gives.
void BilinearPixels(const uint32_t *source, int sw, int sh, uint32_t *out, int dw, int dh,
                    const BILINEARTAP *columns, const BILINEARTAP *rows, uint32_t *line, bool sse2);
