// Pictures the worker composes for the screen, in the real player: a fitted
// photo on its blurred backdrop, and two portraits side by side.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/player_process.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

SCRIMAGE Fitted(uint32_t flags, int hold) {
    SCRIMAGE image = TestPicture(0, 0, 1, hold);
    image.flags = SCRF_FIT | flags;
    return image;
}

// A picture whose top half is `top` and bottom half `bottom`.
Bytes TwoToned(int w, int h, COLORREF top, COLORREF bottom) {
    Bytes dib = SolidDib(w, h, bottom);
    const Bytes upper = SolidDib(w, h / 2, top);
    const size_t header = 40, row = size_t((w * 3 + 3) & ~3);
    // Rows run bottom-up: the upper half is the last h / 2 rows.
    std::copy(upper.begin() + header, upper.end(), dib.end() - ptrdiff_t(row * size_t(h / 2)));
    return dib;
}

int Distance(COLORREF a, COLORREF b) {
    return std::abs(int(GetRValue(a)) - GetRValue(b)) + std::abs(int(GetGValue(a)) - GetGValue(b)) +
           std::abs(int(GetBValue(a)) - GetBValue(b));
}

}  // namespace

// Above and below a wide photo the screen shows the photo's own colours,
// darkened and blurred into each other smoothly; where the photo lies its
// pixels stand as they are.
TEST(ComposedPictures, AFittedPhotoSitsOnABlurredDarkenedBackdropOfItself) {
    ASSERT_GT(kScreenWide * 3, kScreenDeep * 4 - 1) << "a screen at least 4:3 wide";
    const COLORREF orange = RGB(240, 120, 0), blue = RGB(0, 80, 240);
    ShowWriter writer(TestHead("Backdrop", RGB(0, 0, 0)));
    writer.AddPicture(Fitted(SCRF_BACKDROP, 600), TwoToned(400, 100, orange, blue), false);
    Playing show(std::move(writer));
    ASSERT_TRUE(show.window());
    const int photoDeep = kScreenWide / 4, top = (kScreenDeep - photoDeep) / 2, x = kScreenWide / 2;
    ASSERT_TRUE(WaitFor([&] { return ScreenPixel(x, top + photoDeep / 4) == orange; }));
    EXPECT_EQ(ScreenPixel(x, top + photoDeep * 3 / 4), blue);
    const COLORREF above = ScreenPixel(x, top / 4), below = ScreenPixel(x, kScreenDeep - top / 4);
    // Near the edge's own colour, darker: orange above, blue below.
    EXPECT_GT(GetRValue(above), 40);
    EXPECT_LT(GetRValue(above), 200);
    EXPECT_GT(GetRValue(above), GetBValue(above));
    EXPECT_GT(GetBValue(below), 40);
    EXPECT_LT(GetBValue(below), 200);
    EXPECT_GT(GetBValue(below), GetRValue(below));
    // Smooth: no step between neighbours along a line down the band.
    for (int y = 1; y < top - 1; ++y) EXPECT_LE(Distance(ScreenPixel(x, y), ScreenPixel(x, y + 1)), 12) << y;
}

// Two portraits stand side by side, each in its half; the landscape after
// them plays alone.
TEST(ComposedPictures, TwoPortraitsStandSideBySideAndALandscapeAlone) {
    ASSERT_GT(kScreenWide, kScreenDeep);
    const COLORREF red = RGB(220, 0, 0), green = RGB(0, 200, 0), blue = RGB(0, 0, 220);
    ShowWriter writer(TestHead("Pairs", RGB(0, 0, 0)));
    writer.AddPicture(Fitted(SCRF_PORTRAITPAIRS, 3), SolidDib(60, 100, red), false);
    writer.AddPicture(Fitted(SCRF_PORTRAITPAIRS, 3), SolidDib(60, 100, green), false);
    writer.AddPicture(Fitted(SCRF_PORTRAITPAIRS, 3), SolidDib(200, 100, blue), false);
    Playing show(std::move(writer));
    ASSERT_TRUE(show.window());
    const int y = kScreenDeep / 2;
    ASSERT_TRUE(WaitFor([&] { return ScreenPixel(kScreenWide / 4, y) == red; }, 20000));
    EXPECT_EQ(ScreenPixel(kScreenWide * 3 / 4, y), green);
    EXPECT_EQ(ScreenPixel(kScreenWide / 2, y), RGB(0, 0, 0)) << "the gap";
    ASSERT_TRUE(WaitFor([&] { return ScreenPixel(kScreenWide / 2, y) == blue; }, 20000));
    // The pair comes round again: the green portrait never plays alone.
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(kScreenWide / 4, y) == red; }, 20000));
    EXPECT_EQ(ScreenPixel(kScreenWide * 3 / 4, y), green);
}
