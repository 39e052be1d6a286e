// The blurred backdrop around a fitted photo: smooth, of the photo's own
// colours but darker, the photo's pixels untouched, and every size safe.
#include <gtest/gtest.h>

#include <climits>

#include "imaging/backdrop.h"
#include "imaging/placement.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

const COLORREF kQuadrants[4] = {RGB(220, 30, 30), RGB(30, 200, 40), RGB(40, 50, 230), RGB(250, 240, 20)};

// Flat quadrants (red, green / blue, yellow) with a one-pixel checker of
// white and black in the middle: detail a poor blur would leave as blocks.
COLORREF QuadrantPixel(int x, int y, int w, int h) {
    if (x > w / 3 && x < 2 * w / 3 && y > h / 3 && y < 2 * h / 3) return (x + y) % 2 ? RGB(255, 255, 255) : 0;
    return kQuadrants[(y >= h / 2) * 2 + (x >= w / 2)];
}

HGLOBAL Quadrants(int w, int h) {
    HGLOBAL dib = CreateDib(w, h, nullptr, 24);
    Locked locked(dib);
    for (int y = 0; y < h && locked.get(); ++y)
        for (int x = 0; x < w; ++x) PutDibPixel(locked.get(), x, y, long(QuadrantPixel(x, y, w, h)));
    return dib;
}

int Channel(long colour, int i) { return int(colour >> (8 * i) & 0xFF); }

bool Inside(const RECT &r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The largest step of a channel between two neighbouring pixels of the
// backdrop (both outside `photo`).
int Roughness(const void *dib, int w, int h, const RECT &photo) {
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (Inside(photo, x, y)) continue;
            const long here = GetDibPixel(dib, x, y);
            for (const POINT next : {POINT{x + 1, y}, POINT{x, y + 1}}) {
                if (next.x >= w || next.y >= h || Inside(photo, next.x, next.y)) continue;
                for (int c = 0; c < 3; ++c) {
                    const int step = abs(Channel(here, c) - Channel(GetDibPixel(dib, next.x, next.y), c));
                    worst = step > worst ? step : worst;
                }
            }
        }
    return worst;
}

// The photo's pixels where it lies on the screen, clipped.
void ExpectPhotoAt(const void *screen, int sw, int sh, const void *photo, int pw, int ph, int x, int y) {
    int wrong = 0;
    for (int v = y < 0 ? 0 : y; v < sh && v < y + ph; ++v)
        for (int u = x < 0 ? 0 : x; u < sw && u < x + pw; ++u) wrong += GetDibPixel(screen, u, v) != GetDibPixel(photo, u - x, v - y);
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(Backdrop, SmoothAndDarkerAroundTheUntouchedPhoto) {
    const struct {
        const char *what;
        int sw, sh, pw, ph, x, y;  // x, y: INT_MIN centres the photo as the show does
    } rows[] = {
        {"portrait on a wide screen", 640, 360, 203, 360, INT_MIN, INT_MIN},
        {"4:3 on a wide screen", 640, 360, 480, 360, INT_MIN, INT_MIN},
        {"panorama, bands above and below", 640, 360, 640, 161, INT_MIN, INT_MIN},
        {"odd sizes", 641, 361, 203, 361, INT_MIN, INT_MIN},
        {"in the top left corner", 400, 300, 150, 100, 0, 0},
        {"partly off the left edge", 400, 300, 150, 300, -40, 0},
        {"a 4K screen", 3840, 2160, 1215, 2160, INT_MIN, INT_MIN},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Dib photo(Quadrants(row.pw, row.ph));
        const int x = row.x == INT_MIN ? row.sw / 2 - row.pw / 2 : row.x, y = row.y == INT_MIN ? row.sh / 2 - row.ph / 2 : row.y;
        Dib made(MakeBackdrop(photo.get(), row.sw, row.sh, x, y));
        ASSERT_TRUE(made);
        Locked screen(made.get()), picture(photo.get());
        ASSERT_EQ(screen.header()->biWidth, row.sw);
        ASSERT_EQ(screen.header()->biHeight, row.sh);
        ExpectPhotoAt(screen.get(), row.sw, row.sh, picture.get(), row.pw, row.ph, x, y);
        const RECT shown = {x, y, x + row.pw, y + row.ph};
        // The blur is a share of the screen's height: on these screens of
        // 300 rows and more, a step of a few levels at most.
        if (row.sw < 1000) {
            EXPECT_LE(Roughness(screen.get(), row.sw, row.sh, shown), 3);
        }
        // The screen's corners show the photo's corner quadrants, filled to
        // the screen, at about half their brightness.
        const POINT corners[4] = {{1, 1}, {row.sw - 2, 1}, {1, row.sh - 2}, {row.sw - 2, row.sh - 2}};
        for (int i = 0; i < 4; ++i) {
            if (Inside(shown, corners[i].x, corners[i].y)) continue;
            const long got = GetDibPixel(screen.get(), corners[i].x, corners[i].y);
            for (int c = 0; c < 3; ++c) {
                const int full = Channel(long(kQuadrants[i]), c);
                EXPECT_GE(Channel(got, c), full * 45 / 100 - 3) << "corner " << i << " channel " << c;
                EXPECT_LE(Channel(got, c), full * 55 / 100 + 3) << "corner " << i << " channel " << c;
            }
        }
    }
}

// Sizes down to one pixel, photos larger than the screen or far off it,
// and pictures of other depths: a screen-size bitmap, the photo where it
// shows, never a crash.
TEST(Backdrop, EverySizeAndDepthIsSafe) {
    const struct {
        int sw, sh, pw, ph, x, y;
        unsigned bits;
    } rows[] = {
        {1, 1, 1, 1, 0, 0, 24},          {1, 1, 5, 3, -2, -1, 24},       {7, 5, 1, 1, 3, 2, 24},
        {64, 1, 1, 1, 0, 0, 24},         {1, 64, 1, 1, 0, 63, 24},       {97, 61, 31, 61, 33, 0, 24},
        {50, 40, 200, 10, -75, 15, 24},  {50, 40, 10, 10, INT_MAX, INT_MAX, 24}, {50, 40, 10, 10, INT_MIN, INT_MIN, 24},
        {120, 80, 41, 80, 39, 0, 8},     {120, 80, 41, 80, 39, 0, 4},    {120, 80, 41, 80, 39, 0, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.pw << "x" << row.ph << " at " << row.x << "," << row.y << " on " << row.sw
                                        << "x" << row.sh << ", " << row.bits << " bits");
        BYTE palette[768];
        for (int i = 0; i < 768; ++i) palette[i] = BYTE(i * 37);
        Dib photo(row.bits == 24 ? Quadrants(row.pw, row.ph) : CreateDib(row.pw, row.ph, palette, row.bits));
        if (row.bits != 24) FillBytes(photo.get(), sizeof(BITMAPINFOHEADER) + 4 * (size_t(1) << row.bits), 0x6C);
        Dib made(MakeBackdrop(photo.get(), row.sw, row.sh, row.x, row.y));
        ASSERT_TRUE(made);
        Locked screen(made.get()), picture(photo.get());
        EXPECT_EQ(screen.header()->biWidth, row.sw);
        EXPECT_EQ(screen.header()->biBitCount, 24);
        for (int v = row.y < 0 ? 0 : row.y; v < row.sh && (long long)v < (long long)row.y + row.ph; ++v)
            for (int u = row.x < 0 ? 0 : row.x; u < row.sw && (long long)u < (long long)row.x + row.pw; ++u) {
                const long stored = GetDibPixel(picture.get(), u - row.x, v - row.y);
                const BYTE *rgb = palette + 3 * (row.bits == 24 ? 0 : stored);
                ASSERT_EQ(GetDibPixel(screen.get(), u, v), row.bits == 24 ? stored : long(RGB(rgb[0], rgb[1], rgb[2])));
            }
    }
    Dib photo(Quadrants(4, 4));
    EXPECT_EQ(MakeBackdrop(0, 10, 10, 0, 0), HGLOBAL(0));
    EXPECT_EQ(MakeBackdrop(photo.get(), 0, 10, 0, 0), HGLOBAL(0));
    EXPECT_EQ(MakeBackdrop(photo.get(), 10, -1, 0, 0), HGLOBAL(0));
}

// The photo lies where the show places the block's picture of its size.
TEST(Backdrop, TheBlocksPlacementPutsThePhoto) {
    Dib photo(Quadrants(60, 90));
    for (const DWORD placement : {0u, 1u, 2u, 4u}) {
        SCOPED_TRACE(placement);
        BLOCK block = {};
        block.type = TAG_IMAG;
        block.image.placement = placement;
        block.image.x = 7;
        block.image.y = -3;
        const SIZE screen = {301, 151};
        int x = 0, y = 0;
        ASSERT_TRUE(GetImageOriginForSize(&x, &y, &block, 60, 90, &screen));
        Dib made(MakeBlockBackdrop(photo.get(), &block, screen));
        ASSERT_TRUE(made);
        Locked locked(made.get()), picture(photo.get());
        ExpectPhotoAt(locked.get(), 301, 151, picture.get(), 60, 90, x, y);
    }
}
