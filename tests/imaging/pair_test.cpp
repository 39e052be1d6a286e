// Two portraits side by side: the halves and the gap, each photo in its
// half, on the background or on its own backdrop, at every size.
#include <gtest/gtest.h>

#include "imaging/pair.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

// A w x h 24-bit picture shading from `a` at the top to `b` at the bottom,
// a little lighter in every odd column.
HGLOBAL Shaded(int w, int h, COLORREF a, COLORREF b) {
    HGLOBAL dib = CreateDib(w, h, nullptr, 24);
    Locked locked(dib);
    for (int y = 0; y < h && locked.get(); ++y)
        for (int x = 0; x < w; ++x) {
            auto mix = [&](int ca, int cb) { return (ca * (h - y) + cb * y) / h + x % 2 * 5; };
            PutDibPixel(locked.get(), x, y, long(RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
                                                     mix(GetBValue(a), GetBValue(b)))));
        }
    return dib;
}

}  // namespace

TEST(Pair, HalvesLeaveAGapOfAboutTwoPercent) {
    const struct {
        int wide, deep, half;  // half 0: no pair fits
    } rows[] = {{1920, 1080, 941}, {1921, 1080, 941}, {3840, 2160, 1881}, {1366, 768, 669}, {100, 50, 49},
                {3, 1, 1},         {2, 1, 1},         {1, 1, 0},          {0, 10, 0},       {10, 0, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.wide << "x" << row.deep);
        SIZE half = {-1, -1};
        EXPECT_EQ(GetPairHalf(row.wide, row.deep, &half), row.half ? 1 : 0);
        if (!row.half) continue;
        EXPECT_EQ(half.cx, row.half);
        EXPECT_EQ(half.cy, row.deep);
        const int gap = row.wide - 2 * row.half;
        EXPECT_GE(gap, PairGap(row.wide));
        EXPECT_LE(gap, row.wide / 40 + 2);
    }
    EXPECT_TRUE(ShowsPairs(1920, 1080));
    EXPECT_FALSE(ShowsPairs(1080, 1920));
    EXPECT_TRUE(IsPortrait(3000, 4000));
    EXPECT_FALSE(IsPortrait(4000, 4000));
}

// Each photo centred in its half, the gap the background; around them the
// background, or each half's backdrop of its own colours.
TEST(Pair, EachPhotoInItsHalfAndTheGapDark) {
    const int wide = 400, deep = 300, half = 196;  // a gap of 8
    const COLORREF background = RGB(0, 0, 0x20);
    Dib left(Shaded(98, 296, RGB(230, 40, 30), RGB(180, 20, 60))), right(Shaded(91, 300, RGB(30, 60, 240), RGB(20, 120, 200)));
    for (const bool backdrop : {false, true}) {
        SCOPED_TRACE(backdrop ? "on backdrops" : "on the background");
        Dib made(MakePair(left.get(), right.get(), wide, deep, backdrop, background));
        ASSERT_TRUE(made);
        Locked screen(made.get()), l(left.get()), r(right.get());
        ASSERT_EQ(screen.header()->biWidth, wide);
        const RECT places[2] = {{half / 2 - 49, 2, half / 2 + 49, 298}, {wide - half + half / 2 - 45, 0, wide - half + half / 2 + 46, 300}};
        int wrong = 0, leftRed = 0, rightBlue = 0;
        for (int y = 0; y < deep; ++y)
            for (int x = 0; x < wide; ++x) {
                const long got = GetDibPixel(screen.get(), x, y);
                const int side = x < wide / 2 ? 0 : 1;
                const RECT &at = places[side];
                if (x >= at.left && x < at.right && y >= at.top && y < at.bottom)
                    wrong += got != GetDibPixel((side ? r : l).get(), x - at.left, y - at.top);
                else if (!backdrop || (x >= half && x < wide - half))
                    wrong += got != long(background);
                else if (side == 0)
                    leftRed += GetRValue(got) > 2 * GetBValue(got);
                else
                    rightBlue += GetBValue(got) > 2 * GetRValue(got);
            }
        EXPECT_EQ(wrong, 0);
        // Every backdrop pixel of a half takes its colour from its own photo.
        EXPECT_EQ(leftRed, backdrop ? (half - 98) * deep + 98 * 4 : 0);
        EXPECT_EQ(rightBlue, backdrop ? (half - 91) * deep : 0);
    }
}

// Odd sizes, one-pixel photos, photos larger than their half and pictures
// of other depths: a screen-size bitmap or, where no half fits, none.
TEST(Pair, EverySizeIsSafe) {
    const struct {
        int wide, deep, lw, lh, rw, rh;
    } rows[] = {{1, 1, 1, 1, 1, 1},      {2, 1, 1, 1, 1, 1},      {3, 5, 1, 1, 2, 2},      {401, 201, 1, 1, 1, 201},
                {401, 201, 500, 500, 3, 1}, {640, 360, 313, 360, 314, 359}, {99, 33, 48, 33, 47, 32}};
    BYTE palette[768] = {};
    Dib grey(CreateDib(5, 9, palette, 8));
    for (const auto &row : rows)
        for (const bool backdrop : {false, true}) {
            SCOPED_TRACE(testing::Message() << row.wide << "x" << row.deep << (backdrop ? ", backdrop" : ""));
            Dib left(Shaded(row.lw, row.lh, RGB(200, 0, 0), RGB(0, 200, 0))), right(Shaded(row.rw, row.rh, 0, RGB(0, 0, 255)));
            Dib made(MakePair(left.get(), right.get(), row.wide, row.deep, backdrop, 0));
            SIZE half;
            ASSERT_EQ(bool(made), bool(GetPairHalf(row.wide, row.deep, &half)));
            if (!made) continue;
            Locked screen(made.get());
            EXPECT_EQ(screen.header()->biWidth, row.wide);
            EXPECT_EQ(screen.header()->biHeight, row.deep);
            Dib mixed(MakePair(grey.get(), right.get(), row.wide, row.deep, backdrop, 0));
            EXPECT_TRUE(mixed);
        }
    Dib one(Shaded(3, 3, 0, 0));
    EXPECT_EQ(MakePair(one.get(), 0, 100, 50, true, 0), HGLOBAL(0));
    EXPECT_EQ(MakePair(0, one.get(), 100, 50, false, 0), HGLOBAL(0));
}
