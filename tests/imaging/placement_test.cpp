// Screen positions of pictures and texts for every placement.
#include <gtest/gtest.h>

#include <climits>

#include "imaging/placement.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

struct Screen {
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);
};

BLOCK ImageBlock(HGLOBAL picture, DWORD placement, int x, int y) {
    BLOCK block = {};
    block.type = TAG_IMAG;
    block.data = picture;
    block.image.placement = placement;
    block.image.x = x;
    block.image.y = y;
    return block;
}

BLOCK TextBlock(DWORD placement, int x, int y, DWORD margin, DWORD style) {
    BLOCK block = {};
    block.type = TAG_TEXT;
    block.text.placement = placement;
    block.text.x = x;
    block.text.y = y;
    block.text.margin = margin;
    block.text.style = style;
    return block;
}

RECT TextRect(int width, int height) { return RECT{0, 0, width, height}; }

}  // namespace

TEST(GetImageOrigin, EveryPlacement) {
    const Screen s;
    const struct {
        const char *what;
        DWORD placement;
        int w, h, x, y;
        int ex, ey;
    } rows[] = {
        {"top left", 1, 100, 50, 7, 9, 7, 9},
        {"top right", 2, 100, 50, 0, 0, s.cx - 102, 0},
        {"bottom left", 3, 100, 50, 0, 0, 0, s.cy - 52},
        {"bottom right with offsets 0", 4, 100, 50, 0, 0, s.cx - 102, s.cy - 52},
        {"bottom right with offsets", 4, 100, 50, -10, 5, s.cx - 112, s.cy - 47},
        {"centred", 0, 100, 50, 0, 0, s.cx / 2 - 50, s.cy / 2 - 25},
        {"centred, odd size, offsets", 5, 101, 51, 3, -4, s.cx / 2 + 3 - 50, s.cy / 2 - 4 - 25},
        {"any other placement is centred", 0xFFFFFFFF, 10, 10, 0, 0, s.cx / 2 - 5, s.cy / 2 - 5},
        {"centred, wider than the screen", 0, s.cx + 300, 10, 0, 0, 0, s.cy / 2 - 5},
        {"negative positions are raised to 0", 1, 10, 10, -30, -1, 0, 0},
        {"no limit past the right and bottom", 1, 10, 10, s.cx + 50, s.cy + 60, s.cx + 50, s.cy + 60},
        {"far offsets do not wrap", 1, 10, 10, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {"far right placement does not wrap", 2, 10, 10, INT_MAX, INT_MIN, INT_MAX, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Dib picture(CreateDib(row.w, row.h, nullptr, 24));
        ASSERT_TRUE(picture);
        const BLOCK block = ImageBlock(picture.get(), row.placement, row.x, row.y);
        int x = -1, y = -1;
        EXPECT_EQ(GetImageOrigin(&x, &y, &block), 1);
        EXPECT_EQ(x, row.ex);
        EXPECT_EQ(y, row.ey);
        // The same place for a picture of that size shown from another one.
        Dib other(CreateDib(3, 3, nullptr, 24));
        const BLOCK fitted = ImageBlock(other.get(), row.placement, row.x, row.y);
        EXPECT_EQ(GetImageOriginForSize(&x, &y, &fitted, row.w, row.h), 1);
        EXPECT_EQ(x, row.ex);
        EXPECT_EQ(y, row.ey);
    }
}

TEST(GetImageOrigin, FailsWithZeroForOtherBlocksAndUnreadablePictures) {
    Dib picture(CreateDib(10, 10, nullptr, 24));
    BLOCK text = ImageBlock(picture.get(), 1, 5, 5);
    text.type = TAG_TEXT;
    const std::vector<BYTE> shortrows = RawDib(100, 100, 24, 10);
    Dib bad(BlockOf(shortrows.data(), shortrows.size()));
    const BLOCK rows[] = {text, ImageBlock(0, 1, 5, 5), ImageBlock(bad.get(), 1, 5, 5)};
    for (const BLOCK &block : rows) {
        int x = -1, y = -1;
        EXPECT_EQ(GetImageOrigin(&x, &y, &block), 0);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
    }
}

TEST(GetTextOrigin, EveryPlacement) {
    const Screen s;
    const struct {
        const char *what;
        DWORD placement;
        int x, y;
        DWORD margin, style;
        int w, h;
        int ex, ey;
    } rows[] = {
        {"top left", 1, 10, 20, 4, 0, 100, 30, 14, 24},
        {"top right", 2, -10, 20, 4, 0, 100, 30, s.cx - 10 - 2 - 104, 24},
        {"bottom left", 3, 10, -20, 4, 0, 100, 30, 14, s.cy - 20 - 2 - 34},
        {"bottom right", 4, 0, 0, 4, 0, 100, 30, s.cx - 2 - 104, s.cy - 2 - 34},
        {"centred, no margin", 0, 5, -5, 9, 0, 101, 31, s.cx / 2 + 5 - 50, s.cy / 2 - 5 - 15},
        {"any other placement is centred", 77, 0, 0, 0, 0, 40, 20, s.cx / 2 - 20, s.cy / 2 - 10},
        {"style 1 starts at the left edge", 4, 0, 0, 4, 1, 100, 30, 0, s.cy - 2 - 34},
        {"style 3 starts at the left edge", 2, 0, 0, 0, 3, 100, 30, 0, 0},
        {"style 1 wider than the screen goes left of it", 1, 50, 0, 0, 1, s.cx + 40, 30, -40, 0},
        {"style 2 keeps its x", 1, 50, 0, 0, 2, 100, 30, 50, 0},
        {"negative positions are raised to 0", 1, -60, -70, 0, 0, 100, 30, 0, 0},
        {"kept on the screen at the bottom", 1, 0, 5000, 0, 0, 100, 30, 0, s.cy - 30},
        {"kept on the screen at the right", 1, 5000, 0, 0, 0, 100, 30, s.cx - 100, 0},
        {"taller than the screen goes above it", 1, 0, 0, 0, 0, 100, s.cy + 8, 0, -8},
        {"far offsets do not wrap", 1, INT_MAX, INT_MIN, 0xFFFFFFFF, 0, 100, 30, s.cx - 100, s.cy - 30},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const BLOCK block = TextBlock(row.placement, row.x, row.y, row.margin, row.style);
        const RECT textrect = TextRect(row.w, row.h);
        int x = -1, y = -1;
        EXPECT_EQ(GetTextOrigin(&x, &y, &block, &textrect), 1);
        EXPECT_EQ(x, row.ex);
        EXPECT_EQ(y, row.ey);
    }
}

TEST(GetTextOrigin, FailsWithZeroForOtherBlocks) {
    BLOCK block = TextBlock(1, 10, 10, 0, 0);
    block.type = TAG_IMAG;
    const RECT textrect = TextRect(10, 10);
    int x = -1, y = -1;
    EXPECT_EQ(GetTextOrigin(&x, &y, &block, &textrect), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}
