// Bilinear zoom of 32-bit pixels: the taps of a zoom about a point, and the
// resampling through them.
#include "presentation/resample.h"

#include "imaging/blend.h"

namespace {

constexpr int kLongestSide = 65535;

void ZoomWith(bool sse2, const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy,
              void *work) {
    if (!ZoomWorkBytes(w, h)) return;
    BILINEARTAP *columns = (BILINEARTAP *)work, *rows = columns + w;
    uint32_t *line = (uint32_t *)(rows + h);  // w + 1 pixels
    ZoomTaps(columns, w, scale, fx);
    ZoomTaps(rows, h, scale, fy);
    BilinearPixels(source, w, h, out, w, h, columns, rows, line, sse2);
}

}  // namespace

void ZoomTaps(BILINEARTAP *taps, int count, double scale, double focus) {
    if (scale < 1) scale = 1;
    for (int u = 0; u < count; ++u) {
        double s = focus + (u + 0.5 - focus) / scale - 0.5;
        if (s < 0) s = 0;
        if (s > count - 1) s = count - 1;
        int index = int(s), weight = int((s - index) * BLEND_WHOLE + 0.5);
        if (weight >= BLEND_WHOLE) ++index, weight = 0;
        if (index >= count - 1) index = count - 1, weight = 0;
        taps[u] = BILINEARTAP{index, weight};
    }
}

size_t ZoomWorkBytes(int w, int h) {
    if (w <= 0 || h <= 0 || w > kLongestSide || h > kLongestSide) return 0;
    return (size_t(w) + size_t(h)) * sizeof(BILINEARTAP) + (size_t(w) + 1) * sizeof(uint32_t);
}

void Zoom(const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy, void *work) {
    // The zoom takes SSE2 where the blend does: the processor has it.
    ZoomWith(BlendUsesSse2(), source, out, w, h, scale, fx, fy, work);
}

void ZoomScalar(const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy, void *work) {
    ZoomWith(false, source, out, w, h, scale, fx, fy, work);
}
