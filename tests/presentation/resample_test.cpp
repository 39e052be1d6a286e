// The pan-and-zoom's resampling against the bilinear formula, on both paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "presentation/motion.h"
#include "presentation/resample.h"

// The zoom keeps the picture's area: scale 1 copies it, the focus pixel
// stays, the SSE2 path gives what the scalar one gives, and a chosen
// pixel is the bilinear blend of its four source pixels.
TEST(Zoom, MatchesTheScalarPathAndTheFormula) {
    const int w = 37, h = 23;
    std::vector<uint32_t> source(size_t(w) * h), out(source.size()), scalar(source.size());
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint32_t(i * 2654435761u);
    std::vector<uint8_t> work(ZoomWorkBytes(w, h));
    ASSERT_FALSE(work.empty());
    Zoom(source.data(), out.data(), w, h, 1.0, 3, 17, work.data());
    EXPECT_EQ(out, source);
    for (double scale : {1.01, 1.07, MOTION_ZOOM}) {
        Zoom(source.data(), out.data(), w, h, scale, 10.5, 5.5, work.data());
        ZoomScalar(source.data(), scalar.data(), w, h, scale, 10.5, 5.5, work.data());
        ASSERT_EQ(out, scalar) << scale;
        EXPECT_EQ(out[5 * w + 10], source[5 * w + 10]);
        const double sx = 10.5 + (30 + 0.5 - 10.5) / scale - 0.5, sy = 5.5 + (20 + 0.5 - 5.5) / scale - 0.5;
        const int x = int(sx), y = int(sy);
        for (int shift = 0; shift < 32; shift += 8) {
            auto at = [&](int i, int j) { return double(source[size_t(j) * w + i] >> shift & 0xFF); };
            const double top = at(x, y) + (at(x + 1, y) - at(x, y)) * (sx - x);
            const double bottom = at(x, y + 1) + (at(x + 1, y + 1) - at(x, y + 1)) * (sx - x);
            EXPECT_NEAR(double(out[20 * w + 30] >> shift & 0xFF), top + (bottom - top) * (sy - y), 3.0) << scale;
        }
    }
    EXPECT_EQ(ZoomWorkBytes(0, 5), 0u);
}
