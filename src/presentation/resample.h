// Zooming a 32-bit picture about a point with bilinear resampling, as a
// pan-and-zoom picture does at each step of its hold.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/bilinear.h"

// Taps for `count` output pixels of a line of `count` source pixels shown
// `scale` times larger (less than 1 counts as 1) about the source position `focus`: the
// point at `focus` stays where it is, and every tap lies inside the line.
void ZoomTaps(BILINEARTAP *taps, int count, double scale, double focus);

// Bytes of working memory Zoom needs for a w x h picture (0 when too large).
size_t ZoomWorkBytes(int w, int h);

// out = source (both w x h, rows of w pixels) zoomed by `scale` about
// (fx, fy), each pixel the rows' blend and then the columns' blend, each
// rounded down per byte. The SSE2 path gives exactly what the scalar one
// gives. `work` holds ZoomWorkBytes(w, h) bytes.
void Zoom(const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy, void *work);
void ZoomScalar(const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy, void *work);
