// Pictures turned upright as their EXIF orientation says. The reading of
// the EXIF data is tested in tests/content/exif_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "exif.h"
#include "image.h"

using namespace mlshow;

TEST(Exif, OrientTurnsAndMirrorsAsTheTagSays) {
    // Stored:  0 1 2
    //          3 4 5
    Image stored{3, 2, std::vector<uint8_t>(24)};
    for (uint8_t i = 0; i < 6; ++i) stored.rgba[4 * i] = i;
    const char *expected[9] = {"", "012/345", "210/543", "543/210", "345/012", "03/14/25", "30/41/52", "52/41/30", "25/14/03"};
    for (uint32_t orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const Image shown = Orient(stored, orientation);
        std::string grid;
        for (uint32_t y = 0; y < shown.height; ++y) {
            if (y) grid += '/';
            for (uint32_t x = 0; x < shown.width; ++x) grid += char('0' + shown.Pixel(x, y)[0]);
        }
        EXPECT_EQ(grid, expected[orientation]);
    }
    EXPECT_EQ(Orient(stored, 0).rgba, stored.rgba);
    EXPECT_EQ(Orient(stored, 9).rgba, stored.rgba);
}
