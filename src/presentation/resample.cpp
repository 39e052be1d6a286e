// Bilinear zoom of 32-bit pixels. The rows are blended first, into one
// line, and the columns then from that line; the 64-bit build always has
// SSE2, the 32-bit build asks the processor, as the blend does.
#include "presentation/resample.h"

#include <emmintrin.h>

#include "imaging/blend.h"

namespace {

constexpr int kLongestSide = 65535;

void ColumnsScalar(const uint32_t *line, uint32_t *out, const RESAMPLETAP *taps, int count) {
    for (int u = 0; u < count; ++u)
        out[u] = BlendPixel(line[taps[u].index], line[taps[u].index + 1], uint32_t(taps[u].weight));
}

// Two output pixels a step: each loads its two source pixels as one 64-bit
// value, weighs them (256 - w for the first, w for the second) in 16-bit
// lanes, and adds the halves; every sum is at most 255 * 256.
__attribute__((target("sse2"), force_align_arg_pointer))
void ColumnsSse2(const uint32_t *line, uint32_t *out, const RESAMPLETAP *taps, int count) {
    const __m128i zero = _mm_setzero_si128();
    int u = 0;
    for (; u + 2 <= count; u += 2) {
        const RESAMPLETAP &a = taps[u], &b = taps[u + 1];
        const __m128i pa = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)(line + a.index)), zero);
        const __m128i pb = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)(line + b.index)), zero);
        const __m128i wa = _mm_unpacklo_epi64(_mm_set1_epi16(short(BLEND_WHOLE - a.weight)), _mm_set1_epi16(short(a.weight)));
        const __m128i wb = _mm_unpacklo_epi64(_mm_set1_epi16(short(BLEND_WHOLE - b.weight)), _mm_set1_epi16(short(b.weight)));
        const __m128i xa = _mm_mullo_epi16(pa, wa), xb = _mm_mullo_epi16(pb, wb);
        const __m128i sum = _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(xa, xb), _mm_unpackhi_epi64(xa, xb)), 8);
        _mm_storel_epi64((__m128i *)(out + u), _mm_packus_epi16(sum, zero));
    }
    ColumnsScalar(line, out + u, taps + u, count - u);
}

void ZoomWith(bool sse2, const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy,
              void *work) {
    if (!ZoomWorkBytes(w, h)) return;
    RESAMPLETAP *columns = (RESAMPLETAP *)work, *rows = columns + w;
    uint32_t *line = (uint32_t *)(rows + h);  // w + 1 pixels: the last tap's second pixel is read, weighed 0
    ZoomTaps(columns, w, scale, fx);
    ZoomTaps(rows, h, scale, fy);
    // Only the source columns the taps reach are blended.
    const int first = columns[0].index, last = columns[w - 1].index + 1 < w ? columns[w - 1].index + 1 : w - 1;
    const size_t span = size_t(last - first + 1);
    for (int v = 0; v < h; ++v) {
        const int y = rows[v].index, below = y + 1 < h ? y + 1 : y;
        const uint32_t *a = source + size_t(y) * size_t(w) + first, *b = source + size_t(below) * size_t(w) + first;
        if (sse2)
            BlendPixels(a, b, line + first, span, rows[v].weight);
        else
            BlendPixelsScalar(a, b, line + first, span, rows[v].weight);
        line[last + 1] = line[last];
        (sse2 ? ColumnsSse2 : ColumnsScalar)(line, out + size_t(v) * size_t(w), columns, w);
    }
}

}  // namespace

void ZoomTaps(RESAMPLETAP *taps, int count, double scale, double focus) {
    if (scale < 1) scale = 1;
    for (int u = 0; u < count; ++u) {
        double s = focus + (u + 0.5 - focus) / scale - 0.5;
        if (s < 0) s = 0;
        if (s > count - 1) s = count - 1;
        int index = int(s), weight = int((s - index) * BLEND_WHOLE + 0.5);
        if (weight >= BLEND_WHOLE) ++index, weight = 0;
        if (index >= count - 1) index = count - 1, weight = 0;
        taps[u] = RESAMPLETAP{index, weight};
    }
}

size_t ZoomWorkBytes(int w, int h) {
    if (w <= 0 || h <= 0 || w > kLongestSide || h > kLongestSide) return 0;
    return (size_t(w) + size_t(h)) * sizeof(RESAMPLETAP) + (size_t(w) + 1) * sizeof(uint32_t);
}

void Zoom(const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy, void *work) {
    // The zoom takes SSE2 where the blend does: the processor has it.
    ZoomWith(BlendUsesSse2(), source, out, w, h, scale, fx, fy, work);
}

void ZoomScalar(const uint32_t *source, uint32_t *out, int w, int h, double scale, double fx, double fy, void *work) {
    ZoomWith(false, source, out, w, h, scale, fx, fy, work);
}
