// Colour reduction onto the 3-3-2 display palette: exact indices of error
// diffusion and nearest-colour conversion.
#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/colour_reduction.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

const std::vector<BYTE> &Display() {
    static const std::vector<BYTE> palette = Palette(PALETTE_DISPLAY);
    return palette;
}

// Indices of an 8-bit result in storage order: the bottom row first.
std::vector<int> StoredIndices(HGLOBAL dib) {
    Locked locked(dib);
    DIBLAYOUT layout;
    if (!GetDibLayout(locked.get(), GlobalSize(dib), &layout) || layout.bits != 8) return {};
    std::vector<int> indices;
    for (int y = layout.height - 1; y >= 0; --y)
        for (int x = 0; x < layout.width; ++x) indices.push_back(int(GetDibPixel(locked.get(), x, y)));
    return indices;
}

HGLOBAL UniformPicture(int width, int height, COLORREF colour) {
    HGLOBAL dib = CreateDib(width, height, nullptr, 24);
    FillDib(dib, long(colour));
    return dib;
}

// Error diffusion written out as plainly as it is described, over colours
// in storage order, as the oracle for pictures of every shape.
std::vector<int> PlainDither(const std::vector<COLORREF> &colours, int width, int height,
                             const std::vector<BYTE> &palette = Display()) {
    std::vector<int> current(3 * width), next(3 * width), indices;
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colours[row * width + x];
            current[3 * x] += GetRValue(c), current[3 * x + 1] += GetGValue(c), current[3 * x + 2] += GetBValue(c);
        }
        for (int x = 0; x < width; ++x) {
            int v[3];
            for (int c = 0; c < 3; ++c) v[c] = std::min(255, std::max(0, current[3 * x + c]));
            const int index = (v[0] & 0xE0) | ((v[1] >> 3) & 0x1C) | ((v[2] >> 6) & 3);
            indices.push_back(index);
            for (int c = 0; c < 3; ++c) {
                const int e = v[c] - palette[3 * index + c];
                if (x + 1 < width) current[3 * (x + 1) + c] += (7 * e) >> 4;
                if (row + 1 < height) {
                    if (x >= 1) next[3 * (x - 1) + c] += (3 * e) >> 4;
                    if (x + 1 < width) next[3 * (x + 1) + c] += e >> 4;
                    next[3 * x + c] += (5 * e) >> 4;
                }
            }
        }
        current = next;
        std::fill(next.begin(), next.end(), 0);
    }
    return indices;
}

}  // namespace

TEST(FindPaletteColour, NearestOnTheDisplayPalette) {
    const struct {
        int r, g, b, expected;
    } rows[] = {
        {100, 100, 100, 109},  // (108, 108, 85)
        {128, 128, 128, 146},  // (144, 144, 170)
        {90, 90, 128, 74},     // red and green halfway between 72 and 108: the lower wins
        {255, 255, 255, 255},
        {0, 0, 0, 0},
        {144, 144, 170, 146},  // exact
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.r << "," << row.g << "," << row.b);
        EXPECT_EQ(FindPaletteColour(row.r, row.g, row.b, Display().data(), 256), row.expected);
    }
}

TEST(FindPaletteColour, TiesExactMatchesAndCounts) {
    std::vector<BYTE> table(768, 0);
    auto set = [&](int i, BYTE r, BYTE g, BYTE b) { table[3 * i] = r, table[3 * i + 1] = g, table[3 * i + 2] = b; };
    set(0, 200, 200, 200);
    set(1, 10, 0, 0);  // distance 3 * 10² from (0, 0, 0)
    set(2, 0, 0, 0);   // exact match, searched first
    set(3, 0, 0, 0);
    set(4, 50, 60, 70);
    set(5, 90, 60, 70);  // as far from (70, 60, 70) as entry 4
    set(6, 50, 60, 70);
    const struct {
        const char *what;
        int r, g, b, count, expected;
    } rows[] = {
        {"the first exact match", 0, 0, 0, 8, 2},
        {"an exact match beyond the count is not seen", 0, 0, 0, 2, 1},
        {"equal distances: the lower index", 70, 60, 70, 6, 4},
        {"exact match later than a near one", 50, 60, 70, 7, 4},
        {"no entries: 0", 9, 9, 9, 0, 0},
        {"one entry, however far", 0, 0, 0, 1, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(FindPaletteColour(row.r, row.g, row.b, table.data(), row.count), row.expected);
    }
}

TEST(DitherDib, UniformPictures) {
    const struct {
        const char *what;
        int width, height;
        COLORREF colour;
        std::vector<int> expected;  // storage order, bottom row first
    } rows[] = {
        {"white stays white", 3, 2, RGB(255, 255, 255), {255, 255, 255, 255, 255, 255}},
        {"black stays black", 3, 2, RGB(0, 0, 0), {0, 0, 0, 0, 0, 0}},
        {"grey 2x1: the first error lowers the second", 2, 1, RGB(128, 128, 128), {146, 109}},
        {"grey 2x2", 2, 2, RGB(128, 128, 128), {146, 109, 109, 146}},
        {"grey 1x1: nothing to pass on", 1, 1, RGB(128, 128, 128), {146}},
        {"grey 1x2: the bottom row's error reaches the row above", 1, 2, RGB(128, 128, 128), {146, 109}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Dib source(UniformPicture(row.width, row.height, row.colour));
        Dib result(DitherDib(source.get(), Display().data(), 8, 0));
        ASSERT_TRUE(result);
        EXPECT_EQ(StoredIndices(result.get()), row.expected);
    }
}

// The palette's entries are used as they are, also when they are not the
// 3-3-2 levels: entry 146 moved, or every entry scrambled.
TEST(DitherDib, MatchesPlainDiffusionOnEveryShapeAndPalette) {
    std::vector<BYTE> moved = Display();
    moved[3 * 146] = 100;
    std::vector<BYTE> scrambled(768);
    for (int i = 0; i < 768; ++i) scrambled[i] = BYTE(i * 89 + 7);
    const struct {
        const char *what;
        const std::vector<BYTE> &palette;
    } palettes[] = {{"display", Display()}, {"entry 146 moved", moved}, {"scrambled", scrambled}};
    for (const auto &palette : palettes)
        for (int width : {1, 2, 3, 5, 17})
            for (int height : {1, 2, 4}) {
                SCOPED_TRACE(testing::Message() << palette.what << ", " << width << "x" << height);
                Dib source(CreateDib(width, height, nullptr, 24));
                std::vector<COLORREF> colours;  // storage order
                {
                    Locked locked(source.get());
                    for (int y = height - 1; y >= 0; --y)
                        for (int x = 0; x < width; ++x) {
                            const unsigned n = (x * 7919u + y * 104729u + 17) * 2654435761u;
                            const COLORREF c = RGB(n >> 8, n >> 16, n >> 24);
                            colours.push_back(c);
                            PutDibPixel(locked.get(), x, y, long(c));
                        }
                }
                Dib result(DitherDib(source.get(), palette.palette.data(), 8, 0));
                ASSERT_TRUE(result);
                EXPECT_EQ(StoredIndices(result.get()), PlainDither(colours, width, height, palette.palette));
            }
}

TEST(DitherDib, ReadsPaletteSourcesThroughTheirColourTable) {
    for (unsigned bits : {4u, 8u}) {
        SCOPED_TRACE(bits);
        std::vector<BYTE> table(768);
        for (int i = 0; i < 768; ++i) table[i] = BYTE(i * 53 + 11);
        const int width = 5, height = 3;
        Dib source(CreateDib(width, height, table.data(), bits));
        std::vector<COLORREF> colours;
        {
            Locked locked(source.get());
            for (int y = height - 1; y >= 0; --y)
                for (int x = 0; x < width; ++x) {
                    const int index = (x * 5 + y * 3) % (1 << bits);
                    PutDibPixel(locked.get(), x, y, index);
                    colours.push_back(RGB(table[3 * index], table[3 * index + 1], table[3 * index + 2]));
                }
        }
        Dib result(DitherDib(source.get(), Display().data(), 8, 0));
        ASSERT_TRUE(result);
        EXPECT_EQ(StoredIndices(result.get()), PlainDither(colours, width, height));
    }
}

TEST(DitherDib, ResultCarriesThePaletteAndLeavesTheSource) {
    Dib source(UniformPicture(3, 3, RGB(128, 40, 200)));
    const std::vector<BYTE> before = BytesOf(source.get());
    Dib result(DitherDib(source.get(), Display().data(), 8, 0));
    ASSERT_TRUE(result);
    EXPECT_EQ(BytesOf(source.get()), before);
    int width, height, bits;
    std::vector<BYTE> table(768);
    ASSERT_EQ(GetBitmapDimensions(result.get(), &width, &height, &bits, table.data()), 1);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 3);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(table, Display());
}

TEST(DitherDib, RefusesOneBitAndBadPictures) {
    Dib mono(CreateDib(4, 4, Palette(PALETTE_MONO).data(), 1));
    EXPECT_EQ(DitherDib(mono.get(), Display().data(), 8, 0), HGLOBAL(0));
    std::vector<BYTE> shortrows = RawDib(64, 64, 24, 100);
    Dib bad(BlockOf(shortrows.data(), shortrows.size()));
    EXPECT_EQ(DitherDib(bad.get(), Display().data(), 8, 0), HGLOBAL(0));
    EXPECT_EQ(DitherDib(0, Display().data(), 8, 0), HGLOBAL(0));
}

// 16- and 32-bit pictures are reduced by their colours, dithered or
// remapped; a depth GDI does not draw is refused.
TEST(DitherDib, SixteenAndThirtyTwoBitPicturesReduceByTheirColours) {
    for (WORD bits : {16, 32}) {
        SCOPED_TRACE(bits);
        Dib source(HandMadeDib(5, 2, bits));
        FillBytes(source.get(), 40, 0xFF);
        for (bool dither : {true, false}) {
            Dib result(dither ? DitherDib(source.get(), Display().data(), 8, 0)
                              : RemapDib(source.get(), Display().data(), 8, 0));
            ASSERT_TRUE(result);
            EXPECT_EQ(StoredIndices(result.get()), std::vector<int>(10, 255));  // white
        }
    }
    Dib twobits(HandMadeDib(5, 2, 2));
    EXPECT_EQ(DitherDib(twobits.get(), Display().data(), 8, 0), HGLOBAL(0));
}

TEST(RemapDib, KeepsIndicesOfADisplayPalettePicture) {
    Dib source(CreateDib(16, 16, Display().data(), 8));
    {
        Locked locked(source.get());
        for (int i = 0; i < 256; ++i) PutDibPixel(locked.get(), i % 16, i / 16, i);
    }
    Dib result(RemapDib(source.get(), Display().data(), 8, 0));
    ASSERT_TRUE(result);
    Locked locked(result.get());
    for (int i = 0; i < 256; ++i) ASSERT_EQ(GetDibPixel(locked.get(), i % 16, i / 16), i);
}

TEST(RemapDib, OneBitPicturesBecomeBlackAndWhite) {
    std::vector<BYTE> redblue = {255, 0, 0, 0, 0, 255};
    Dib source(CreateDib(9, 1, redblue.data(), 1));
    {
        Locked locked(source.get());
        for (int x = 0; x < 9; x += 2) PutDibPixel(locked.get(), x, 0, 1);
    }
    Dib result(RemapDib(source.get(), Display().data(), 8, 0));
    EXPECT_EQ(StoredIndices(result.get()), (std::vector<int>{255, 0, 255, 0, 255, 0, 255, 0, 255}));
}

TEST(RemapDib, PaletteSourcesGoThroughTheNearestColour) {
    std::vector<BYTE> table(768, 0);
    table[3] = table[4] = table[5] = 100;                       // entry 1: 109
    table[6] = 128, table[7] = 128, table[8] = 128;             // entry 2: 146
    table[45] = 90, table[46] = 90, table[47] = 128;            // entry 15: 74
    for (unsigned bits : {4u, 8u}) {
        SCOPED_TRACE(bits);
        Dib source(CreateDib(4, 1, table.data(), bits));
        {
            Locked locked(source.get());
            const int indices[] = {1, 2, 15, 0};
            for (int x = 0; x < 4; ++x) PutDibPixel(locked.get(), x, 0, indices[x]);
        }
        Dib result(RemapDib(source.get(), Display().data(), 8, 0));
        EXPECT_EQ(StoredIndices(result.get()), (std::vector<int>{109, 146, 74, 0}));
    }
}

TEST(RemapDib, TrueColourIsTruncatedWithoutDiffusion) {
    Dib source(UniformPicture(3, 2, RGB(128, 128, 128)));
    Dib result(RemapDib(source.get(), Display().data(), 8, 0));
    EXPECT_EQ(StoredIndices(result.get()), std::vector<int>(6, 146));
    Dib colour(UniformPicture(1, 1, RGB(0xFF, 0x1F, 0x7F)));
    Dib remapped(RemapDib(colour.get(), Display().data(), 8, 0));
    EXPECT_EQ(StoredIndices(remapped.get()), std::vector<int>{0xE0 | 0x00 | 0x01});
}

// 16-bit pixels are 5-5-5 colours (the top bit unused), 32-bit ones blue,
// green, red and a spare byte.
TEST(RemapDib, SixteenAndThirtyTwoBitPixelsAreReadAsTheirColours) {
    Dib source(HandMadeDib(4, 1, 16));
    {
        Locked locked(source.get());
        const BYTE row[8] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        std::copy(row, row + 8, locked.get() + 40);
    }
    Dib result(RemapDib(source.get(), Display().data(), 8, 0));
    EXPECT_EQ(StoredIndices(result.get()), (std::vector<int>{0, 0xFF, 0xFF, 0xFF}));
    Dib wide(HandMadeDib(2, 1, 32));
    Dib widened(RemapDib(wide.get(), Display().data(), 8, 0));
    EXPECT_EQ(StoredIndices(widened.get()), (std::vector<int>{0, 0}));
}

TEST(RemapDib, RefusesBadPictures) {
    const std::vector<std::vector<BYTE>> rows = {RawDib(64, 64, 24, 100), RawDib(1, 1, 8, 64), RawDib(-3, 3, 8, 2048)};
    for (const auto &bytes : rows) {
        Dib bad(BlockOf(bytes.data(), bytes.size()));
        EXPECT_EQ(RemapDib(bad.get(), Display().data(), 8, 0), HGLOBAL(0));
    }
    EXPECT_EQ(RemapDib(0, Display().data(), 8, 0), HGLOBAL(0));
}
