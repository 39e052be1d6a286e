// The blurred backdrop around a fitted photo: the photo's pixels untouched
// where the show places it; around it smooth, of the photo's own colours
// but darker; every size and depth safe.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "imaging/backdrop.h"
#include "imaging/placement.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

const COLORREF kQuadrants[4] = {RGB(220, 30, 30), RGB(30, 200, 40), RGB(40, 50, 230), RGB(250, 240, 20)};

// Flat quadrants with a one-pixel checker in the middle: detail a poor
// blur would leave as blocks. Other depths: palette index 0x6C bytes.
HGLOBAL Photo(int w, int h, unsigned bits) {
    BYTE palette[768];
    for (int i = 0; i < 768; ++i) palette[i] = BYTE(i * 37);
    HGLOBAL dib = CreateDib(w, h, palette, bits);
    if (bits != 24) FillBytes(dib, sizeof(BITMAPINFOHEADER) + 4 * DibColourCount(bits), 0x6C);
    Locked locked(dib);
    for (int y = 0; y < h && bits == 24; ++y)
        for (int x = 0; x < w; ++x) {
            const bool detail = x > w / 3 && x < 2 * w / 3 && y > h / 3 && y < 2 * h / 3;
            PutDibPixel(locked.get(), x, y, long(detail ? (x + y) % 2 * 0xFFFFFF : kQuadrants[(y >= h / 2) * 2 + (x >= w / 2)]));
        }
    return dib;
}

int Channel(long colour, int i) { return int(colour >> (8 * i) & 0xFF); }

// The photo's colour of a pixel as a COLORREF, whatever its depth.
long Colour(const void *dib, int x, int y) {
    const long value = GetDibPixel(dib, x, y);
    if (((const BITMAPINFOHEADER *)dib)->biBitCount == 24) return value;
    const RGBQUAD &c = ((const RGBQUAD *)((const BYTE *)dib + sizeof(BITMAPINFOHEADER)))[value];
    return long(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
}

}  // namespace

TEST(Backdrop, PhotoUntouchedOnASmoothDarkerBackdropOfItsColours) {
    const struct {
        const char *what;
        int sw, sh, pw, ph;
        DWORD placement;  // of the block, with its offsets x, y
        int x, y;
        unsigned bits;
    } rows[] = {
        {"portrait, centred", 640, 360, 203, 360, 0, 0, 0, 24},  {"4:3, centred", 640, 360, 480, 360, 0, 0, 0, 24},
        {"panorama: bands above and below", 640, 360, 640, 161, 0, 0, 0, 24},
        {"odd sizes, offsets", 641, 361, 203, 361, 0, -7, 3, 24}, {"top left", 400, 300, 150, 100, 1, 0, 0, 24},
        {"partly off the right edge", 400, 300, 150, 300, 2, 60, 0, 24}, {"a 4K screen", 3840, 2160, 1215, 2160, 0, 0, 0, 24},
        {"one pixel on one pixel", 1, 1, 1, 1, 0, 0, 0, 24},     {"larger than the screen", 1, 1, 5, 3, 0, 0, 0, 24},
        {"a line of a screen", 64, 1, 1, 1, 1, 0, 0, 24},       {"off the screen", 50, 40, 10, 10, 4, INT_MAX, INT_MAX, 24},
        {"8 bits", 120, 80, 41, 80, 0, 0, 0, 8},                {"4 bits", 121, 81, 41, 80, 0, 0, 0, 4},
        {"1 bit", 120, 80, 41, 79, 0, 0, 0, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        BLOCK block = {};
        block.type = TAG_IMAG, block.image.placement = row.placement, block.image.x = row.x, block.image.y = row.y;
        const SIZE screen = {row.sw, row.sh};
        int x = 0, y = 0;
        ASSERT_TRUE(GetImageOriginForSize(&x, &y, &block, row.pw, row.ph, &screen));
        Dib photo(Photo(row.pw, row.ph, row.bits)), made(MakeBlockBackdrop(photo.get(), &block, screen));
        ASSERT_TRUE(made);
        Locked out(made.get()), in(photo.get());
        ASSERT_EQ(out.header()->biWidth * 100000 + out.header()->biHeight, row.sw * 100000 + row.sh);
        auto covered = [&](int u, int v) {
            return (long long)u - x >= 0 && (long long)u - x < row.pw && (long long)v - y >= 0 && (long long)v - y < row.ph;
        };
        int wrong = 0, roughness = 0;  // roughness: the backdrop's largest step between neighbours
        for (int v = 0; v < row.sh; ++v)
            for (int u = 0; u < row.sw; ++u) {
                const long got = GetDibPixel(out.get(), u, v);
                if (covered(u, v)) wrong += got != Colour(in.get(), u - x, v - y);
                for (const POINT next : {POINT{u + 1, v}, POINT{u, v + 1}})
                    for (int c = 0; c < 3 && !covered(u, v) && next.x < row.sw && next.y < row.sh && !covered(next.x, next.y); ++c)
                        roughness = std::max(roughness, abs(Channel(got, c) - Channel(GetDibPixel(out.get(), next.x, next.y), c)));
            }
        EXPECT_EQ(wrong, 0);
        if (row.bits != 24 || row.sh < 300) continue;
        EXPECT_LE(roughness, 3);  // a few levels: the blur is a share of the screen's height
        // The screen's corners show the photo's corner quadrants, filled to
        // the screen, at about half their brightness.
        const POINT corners[4] = {{1, 1}, {row.sw - 2, 1}, {1, row.sh - 2}, {row.sw - 2, row.sh - 2}};
        for (int i = 0; i < 4; ++i) {
            if (corners[i].x >= x && corners[i].x < x + row.pw && corners[i].y >= y && corners[i].y < y + row.ph) continue;
            for (int c = 0; c < 3; ++c) {
                const int full = Channel(long(kQuadrants[i]), c), got = Channel(GetDibPixel(out.get(), corners[i].x, corners[i].y), c);
                EXPECT_TRUE(got >= full * 45 / 100 - 3 && got <= full * 55 / 100 + 3) << "corner " << i << ": " << got << " of " << full;
            }
        }
    }
    Dib photo(Photo(4, 4, 24));
    EXPECT_TRUE(!MakeBackdrop(0, 10, 10, 0, 0) && !MakeBackdrop(photo.get(), 0, 10, 0, 0) && !MakeBackdrop(photo.get(), 10, -1, 0, 0));
}
