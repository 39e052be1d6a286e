// Bilinear resampling of 32-bit pixels. The rows are blended first, into
// one line, and the columns then from that line; the 64-bit build always
// has SSE2, the 32-bit build asks the processor, as the blend does.
#include "imaging/bilinear.h"

#include <emmintrin.h>

#include "imaging/blend.h"

namespace {

void ColumnsScalar(const uint32_t *line, uint32_t *out, const BILINEARTAP *taps, int count) {
    for (int u = 0; u < count; ++u)
        out[u] = BlendPixel(line[taps[u].index], line[taps[u].index + 1], uint32_t(taps[u].weight));
}

// Two output pixels a step: each loads its two source pixels as one 64-bit
// value, weighs them (256 - w for the first, w for the second) in 16-bit
// lanes, and adds the halves; every sum is at most 255 * 256.
__attribute__((target("sse2"), force_align_arg_pointer))
void ColumnsSse2(const uint32_t *line, uint32_t *out, const BILINEARTAP *taps, int count) {
    const __m128i zero = _mm_setzero_si128();
    int u = 0;
    for (; u + 2 <= count; u += 2) {
        const BILINEARTAP &a = taps[u], &b = taps[u + 1];
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

}  // namespace

void BilinearPixels(const uint32_t *source, int sw, int sh, uint32_t *out, int dw, int dh,
                    const BILINEARTAP *columns, const BILINEARTAP *rows, uint32_t *line, bool sse2) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    // Only the source columns the taps reach are blended; the last tap's
    // second pixel is read, weighed 0, so the line holds one past them.
    const int first = columns[0].index, last = columns[dw - 1].index + 1 < sw ? columns[dw - 1].index + 1 : sw - 1;
    const size_t span = size_t(last - first + 1);
    for (int v = 0; v < dh; ++v) {
        const int y = rows[v].index, below = y + 1 < sh ? y + 1 : y;
        const uint32_t *a = source + size_t(y) * size_t(sw) + first, *b = source + size_t(below) * size_t(sw) + first;
        if (sse2)
            BlendPixels(a, b, line + first, span, rows[v].weight);
        else
            BlendPixelsScalar(a, b, line + first, span, rows[v].weight);
        line[last + 1] = line[last];
        (sse2 ? ColumnsSse2 : ColumnsScalar)(line, out + size_t(v) * size_t(dw), columns, dw);
    }
}
