// The scaler against straightforward references worked out here in double
// precision, and the sizes pictures take when fitted to a screen.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "imaging/scale.h"
#include "imaging_fixtures.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace imaging_fixtures;
using namespace testing_support;

namespace {

// A photo-like picture: smooth shading with some fine detail, top row first.
std::vector<BYTE> Photo(int w, int h) {
    std::vector<BYTE> pixels(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const double v = 128 + 90 * std::sin(x * (0.013 + 0.01 * c) + y * 0.021) + 30 * std::sin(x * 0.4 + y * 0.3);
                pixels[(size_t(y) * w + x) * 3 + c] = BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return pixels;
}

// Exact area averaging along a shrinking axis, linear interpolation between
// pixel centres along a growing one: the weights of one axis.
std::vector<std::vector<double>> Weights(int sl, int dl) {
    std::vector<std::vector<double>> rows(size_t(dl), std::vector<double>(size_t(sl), 0.0));
    for (int i = 0; i < dl; ++i) {
        if (sl > dl) {
            const double lo = double(i) * sl / dl, hi = double(i + 1) * sl / dl;
            for (int j = 0; j < sl; ++j) rows[i][j] = std::fmax(0.0, std::fmin(hi, j + 1.0) - std::fmax(lo, double(j))) * dl / sl;
        } else {
            const double at = std::fmin(std::fmax((i + 0.5) * sl / dl - 0.5, 0.0), sl - 1.0);
            const int j = int(at);
            rows[i][j] += 1 - (at - j);
            if (j + 1 < sl) rows[i][j + 1] += at - j;
        }
    }
    return rows;
}

// Columns first, then rows, each a weighted sum in double precision.
std::vector<double> Reference(const std::vector<BYTE> &src, int sw, int sh, int dw, int dh) {
    const auto across = Weights(sw, dw), down = Weights(sh, dh);
    std::vector<double> mid(size_t(sh) * dw * 3, 0.0), out(size_t(dh) * dw * 3, 0.0);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < dw; ++x)
            for (int j = 0; j < sw; ++j)
                for (int c = 0; c < 3 && across[x][j] != 0; ++c)
                    mid[(size_t(y) * dw + x) * 3 + c] += across[x][j] * src[(size_t(y) * sw + j) * 3 + c];
    for (int y = 0; y < dh; ++y)
        for (int j = 0; j < sh; ++j)
            for (size_t k = 0; k < size_t(dw) * 3 && down[y][j] != 0; ++k)
                out[size_t(y) * dw * 3 + k] += down[y][j] * mid[size_t(j) * dw * 3 + k];
    return out;
}

std::vector<BYTE> Scaled(const std::vector<BYTE> &src, int sw, int sh, int dw, int dh) {
    std::vector<BYTE> out(size_t(dw) * dh * 3);
    EXPECT_EQ(ScalePixels(src.data(), sw * 3, sw, sh, out.data(), dw * 3, dw, dh), 1);
    return out;
}

}  // namespace

TEST(ScalePixels, MatchesExactAreaAveragingAndLinearInterpolation) {
    const struct {
        int sw, sh, dw, dh;
    } rows[] = {{400, 300, 150, 113}, {400, 300, 97, 300}, {64, 48, 200, 150}, {50, 80, 37, 191}, {7, 5, 7, 5}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.sw << "x" << row.sh << " to " << row.dw << "x" << row.dh);
        const std::vector<BYTE> src = Photo(row.sw, row.sh), got = Scaled(src, row.sw, row.sh, row.dw, row.dh);
        const std::vector<double> want = Reference(src, row.sw, row.sh, row.dw, row.dh);
        double total = 0, worst = 0;
        for (size_t k = 0; k < got.size(); ++k) total += std::fabs(got[k] - want[k]), worst = std::fmax(worst, std::fabs(got[k] - want[k]));
        EXPECT_LT(total / double(got.size()), 0.6);  // within rounding, far inside 6 levels
        EXPECT_LE(worst, 2.0);
    }
    // The same size is a copy, and a flat picture stays flat at any ratio.
    EXPECT_EQ(Scaled(Photo(7, 5), 7, 5, 7, 5), Photo(7, 5));
    const std::vector<BYTE> flat(size_t(301) * 7 * 3, 201);
    for (int dw : {1, 3, 1000}) EXPECT_EQ(Scaled(flat, 301, 7, dw, 13), std::vector<BYTE>(size_t(dw) * 13 * 3, 201));
}

// A packed bitmap of any depth is scaled by its colours, bottom-up rows and
// all, and a part of it can be taken (here at its own size: a copy); parts
// outside it are refused.
TEST(ScaleDib, ScalesPartsOfBitmapsOfEveryDepth) {
    for (int bits : {24, 8, 4}) {
        const Bytes dib = TestDib(40, 30, bits);
        Dib source(GlobalCopy(dib));
        const RECT part = {10, 5, 30, 25}, outside = {30, 0, 41, 10};
        Dib same(ScaleDib(source.get(), &part, 20, 20));
        Locked shown(same.get()), stored(source.get());
        ASSERT_TRUE(shown.get()) << bits;
        for (int y = 0; y < 20; y += 7)
            for (int x = 0; x < 20; x += 5) {
                long c = GetDibPixel(stored.get(), 10 + x, 5 + y);
                if (bits <= 8) c = RGB(dib[40 + 4 * c + 2], dib[40 + 4 * c + 1], dib[40 + 4 * c]);
                EXPECT_EQ(GetDibPixel(shown.get(), x, y), c) << bits << ": " << x << "," << y;
            }
        EXPECT_FALSE(ScaleDib(source.get(), &outside, 5, 5));
    }
}

TEST(FitPicture, FitShowsAllAndFillCoversTheScreen) {
    const struct {
        int w, h;
        DWORD fit;
        RECT part;
        SIZE size;
    } rows[] = {
        {4000, 3000, SCRF_FIT, {0, 0, 4000, 3000}, {1440, 1080}},   // landscape, narrower than the screen
        {4000, 1000, SCRF_FIT, {0, 0, 4000, 1000}, {1920, 480}},    // panorama
        {300, 400, SCRF_FIT, {0, 0, 300, 400}, {810, 1080}},        // small portrait grows
        {4000, 3000, SCRF_FILL, {0, 375, 4000, 2625}, {1920, 1080}},
        {300, 400, SCRF_FILL, {0, 115, 300, 284}, {1920, 1080}},
        {4000, 1000, SCRF_FILL, {1111, 0, 2889, 1000}, {1920, 1080}},
        {1920, 1080, SCRF_FIT, {0, 0, 1920, 1080}, {1920, 1080}},
        {1, 10000, SCRF_FIT, {0, 0, 1, 10000}, {1, 1080}},
    };
    RECT part;
    SIZE size;
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.w << "x" << row.h << " " << row.fit);
        ASSERT_EQ(FitPicture(row.w, row.h, 1920, 1080, row.fit, &part, &size), 1);
        EXPECT_TRUE(EqualRect(&part, &row.part)) << part.left << "," << part.top << "," << part.right << "," << part.bottom;
        EXPECT_EQ(std::make_pair(size.cx, size.cy), std::make_pair(row.size.cx, row.size.cy));
    }
    EXPECT_EQ(FitPicture(0, 10, 1920, 1080, SCRF_FIT, &part, &size), 0);
    EXPECT_EQ(FitPicture(10, 10, 1920, 1080, SCRF_FITMASK, &part, &size), 0);
    EXPECT_EQ(PictureFit(SCRF_FITMASK | SCRF_JPEG), 0u);
    EXPECT_EQ(PictureFit(SCRF_FILL | SCRF_VALID), SCRF_FILL);
}
