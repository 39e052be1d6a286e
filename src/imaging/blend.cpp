// Blending pixel rows. The 64-bit build always has SSE2; the 32-bit build
// compiles the SSE2 loop for that instruction set alone and asks the
// processor before using it.
#include "imaging/blend.h"

#include <windows.h>

#include <emmintrin.h>

namespace {

// 32-bit Windows keeps the stack aligned to 4 bytes only: the function
// aligns it itself, for any vector the compiler keeps there.
__attribute__((target("sse2"), force_align_arg_pointer))
void BlendSse2(const uint32_t *from, const uint32_t *to, uint32_t *out, size_t count, int t) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i towards = _mm_set1_epi16(short(t)), away = _mm_set1_epi16(short(BLEND_WHOLE - t));
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128((const __m128i *)(from + i));
        const __m128i g = _mm_loadu_si128((const __m128i *)(to + i));
        const __m128i low = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(f, zero), away),
                                                         _mm_mullo_epi16(_mm_unpacklo_epi8(g, zero), towards)),
                                           8);
        const __m128i high = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(f, zero), away),
                                                          _mm_mullo_epi16(_mm_unpackhi_epi8(g, zero), towards)),
                                            8);
        _mm_storeu_si128((__m128i *)(out + i), _mm_packus_epi16(low, high));
    }
    BlendPixelsScalar(from + i, to + i, out + i, count - i, t);
}

bool HasSse2() {
#if defined(__SSE2__) || defined(_M_X64) || defined(__x86_64__)
    return true;
#else
    static const bool has = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0;
    return has;
#endif
}

}  // namespace

void BlendPixelsScalar(const uint32_t *from, const uint32_t *to, uint32_t *out, size_t count, int t) {
    const uint32_t weight = uint32_t(t);
    for (size_t i = 0; i < count; ++i) out[i] = BlendPixel(from[i], to[i], weight);
}

void BlendPixels(const uint32_t *from, const uint32_t *to, uint32_t *out, size_t count, int t) {
    if (t < 0) t = 0;
    if (t > BLEND_WHOLE) t = BLEND_WHOLE;
    if (HasSse2())
        BlendSse2(from, to, out, count, t);
    else
        BlendPixelsScalar(from, to, out, count, t);
}

bool BlendUsesSse2() { return HasSse2(); }
