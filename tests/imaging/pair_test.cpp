// Two portraits side by side: each photo in its half, the gap the
// background, each half's backdrop of its own photo, at every size.
#include <gtest/gtest.h>

#include "imaging/pair.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

// A w x h 24-bit picture shading from `a` at the top to `b` at the bottom.
HGLOBAL Shaded(int w, int h, COLORREF a, COLORREF b) {
    HGLOBAL dib = CreateDib(w, h, nullptr, 24);
    Locked locked(dib);
    auto mix = [&](int ca, int cb, int y) { return (ca * (h - y) + cb * y) / h; };
    for (int y = 0; y < h && locked.get(); ++y)
        for (int x = 0; x < w; ++x)
            PutDibPixel(locked.get(), x, y, long(RGB(mix(GetRValue(a), GetRValue(b), y), mix(GetGValue(a), GetGValue(b), y),
                                                     mix(GetBValue(a), GetBValue(b), y) + x % 2)));
    return dib;
}

}  // namespace

TEST(Pair, HalvesLeaveAtLeastAGapOfAboutTwoPercent) {
    const int rows[][3] = {{1920, 1080, 941}, {1921, 1080, 941}, {3840, 2160, 1881}, {1366, 768, 669},
                           {100, 50, 49},     {2, 1, 1},         {1, 1, 0},          {0, 10, 0}, {10, 0, 0}};
    for (const auto &row : rows) {
        SIZE half = {-1, -1};
        EXPECT_EQ(GetPairHalf(row[0], row[1], &half), row[2] ? 1 : 0) << row[0] << "x" << row[1];
        EXPECT_TRUE(!row[2] || (half.cx == row[2] && half.cy == row[1] && row[0] - 2 * row[2] >= PairGap(row[0]))) << row[0];
    }
    EXPECT_TRUE(ShowsPairs(1920, 1080) && !ShowsPairs(1080, 1920) && IsPortrait(3000, 4000) && !IsPortrait(40, 40));
}

TEST(Pair, EachPhotoInItsHalfTheGapDarkAndEverySizeSafe) {
    const int wide = 400, deep = 300, half = 196;  // a gap of 8
    const COLORREF background = RGB(0, 0, 0x20);
    Dib left(Shaded(98, 296, RGB(230, 40, 30), RGB(180, 20, 60))), right(Shaded(91, 300, RGB(30, 60, 240), RGB(20, 120, 200)));
    // Centred in each half as the show centres a picture on a screen.
    const RECT places[2] = {{49, 2, 147, 298}, {wide - half + 98 - 45, 0, wide - half + 98 + 46, 300}};
    for (const bool backdrop : {false, true}) {
        SCOPED_TRACE(backdrop ? "on backdrops" : "on the background");
        Dib made(MakePair(left.get(), right.get(), wide, deep, backdrop, background));
        ASSERT_TRUE(made);
        Locked screen(made.get()), l(left.get()), r(right.get());
        int wrong = 0, ownColour = 0;
        for (int y = 0; y < deep; ++y)
            for (int x = 0; x < wide; ++x) {
                const long got = GetDibPixel(screen.get(), x, y);
                const RECT &at = places[x >= wide / 2];
                if (x >= at.left && x < at.right && y >= at.top && y < at.bottom)
                    wrong += got != GetDibPixel((x >= wide / 2 ? r : l).get(), x - at.left, y - at.top);
                else if (!backdrop || (x >= half && x < wide - half))
                    wrong += got != long(background);
                else  // each half's backdrop takes its colour from its own photo
                    ownColour += x < half ? GetRValue(got) > 2 * GetBValue(got) : GetBValue(got) > 2 * GetRValue(got);
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(ownColour, backdrop ? 2 * half * deep - 98 * 296 - 91 * 300 : 0);
    }
    // Odd sizes, one-pixel photos, photos larger than their half.
    const int sizes[][6] = {{1, 1, 1, 1, 1, 1}, {2, 1, 1, 1, 1, 1}, {3, 5, 1, 1, 2, 2}, {401, 201, 1, 1, 1, 201},
                            {401, 201, 500, 500, 3, 1}, {99, 33, 48, 33, 47, 32}};
    for (const auto &s : sizes)
        for (const bool backdrop : {false, true}) {
            Dib a(Shaded(s[2], s[3], RGB(200, 0, 0), 0)), b(Shaded(s[4], s[5], 0, RGB(0, 0, 250)));
            Dib made(MakePair(a.get(), b.get(), s[0], s[1], backdrop, 0));
            SIZE halfsize;
            Locked locked(made.get());
            EXPECT_TRUE(made ? locked.header()->biWidth == s[0] && locked.header()->biHeight == s[1]
                             : !GetPairHalf(s[0], s[1], &halfsize)) << s[0] << "x" << s[1];
        }
    EXPECT_EQ(MakePair(left.get(), 0, 100, 50, true, 0), HGLOBAL(0));
}
