// The per-byte blend of 32-bit pixels against its formula, on both paths.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "imaging/blend.h"

namespace {

// from + (to - from) * t / 256, rounded down.
int Blended(int from, int to, int t) { return from + int(std::floor((to - from) * t / 256.0)); }

}  // namespace

// Every pair of bytes at weights across the range; the count leaves a tail
// past the vector loop's blocks of four.
TEST(Blend, MatchesTheFormulaForEveryPairOfBytes) {
    std::vector<uint32_t> from(65539), to(from.size()), out(from.size()), scalar(from.size());
    for (size_t i = 0; i < from.size(); ++i)
        from[i] = uint32_t(i % 256) * 0x01010101u, to[i] = uint32_t(i / 256 % 256) * 0x01010101u ^ 0xFF00FF00u;
    for (int t : {0, 1, 77, 128, 255, 256}) {
        BlendPixels(from.data(), to.data(), out.data(), out.size(), t);
        BlendPixelsScalar(from.data(), to.data(), scalar.data(), scalar.size(), t);
        ASSERT_EQ(out, scalar) << t;
        for (size_t i = 0; i < out.size(); ++i)
            for (int shift = 0; shift < 32; shift += 8)
                ASSERT_EQ(int(out[i] >> shift & 0xFF),
                          Blended(int(from[i] >> shift & 0xFF), int(to[i] >> shift & 0xFF), t));
    }
}
