// Bitmaps mirrored and turned as each EXIF orientation says, pixel for
// pixel, on a picture whose rows are padded; what it does not turn.
#include <gtest/gtest.h>

#include <string>

#include "imaging/turn.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

TEST(TurnDib, EachOrientationPlacesEveryPixel) {
    // Stored 0 1 2 / 3 4 5: pixel i has the colour (i, 100 + i, 200 + i).
    Dib stored(CreateDib(3, 2, nullptr, 24)), paletted(CreateDib(3, 2, nullptr, 8));
    for (int i = 0; i < 6; ++i) PutDibPixel(Locked(stored.get()).get(), i % 3, i / 3, long(RGB(i, 100 + i, 200 + i)));
    const char *expected[9] = {"", "", "210/543", "543/210", "345/012", "03/14/25", "30/41/52", "52/41/30", "25/14/03"};
    for (unsigned orientation = 2; orientation <= 8; ++orientation) {
        Dib turned(TurnDib(stored.get(), orientation));
        Locked locked(turned.get());
        std::string grid;
        for (int y = 0; locked.get() && y < locked.header()->biHeight; ++y)
            for (int x = 0; x < locked.header()->biWidth; ++x) {
                const COLORREF c = COLORREF(GetDibPixel(locked.get(), x, y));
                grid += std::string(y && !x ? "/" : "") + (c == RGB(c & 0xFF, 100 + (c & 0xFF), 200 + (c & 0xFF))
                                                               ? char('0' + GetRValue(c)) : '?');
            }
        EXPECT_EQ(grid, expected[orientation]) << orientation;
    }
    for (unsigned orientation : {0u, 1u, 9u}) EXPECT_EQ(TurnDib(stored.get(), orientation), HGLOBAL(0)) << orientation;
    EXPECT_EQ(TurnDib(paletted.get(), 6), HGLOBAL(0));
    EXPECT_EQ(TurnDib(0, 6), HGLOBAL(0));
}
