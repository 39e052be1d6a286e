// Fixed palettes and the selection of palettes into device contexts.
#include <gtest/gtest.h>

#include "imaging/palette.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

COLORREF Entry(const std::vector<BYTE> &palette, int i) {
    return RGB(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]);
}

}  // namespace

TEST(GetDefaultPalette, ReportsDepthAndCountOfEveryKind) {
    const struct {
        int kind, bits, count;
    } rows[] = {{0, 1, 2},   {1, 4, 16},  {2, 5, 32},  {3, 6, 64},   {4, 7, 128}, {5, 8, 216},
                {6, 8, 256}, {7, 8, 256}, {8, 8, 256}, {9, 8, 256}, {-1, 8, 256}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        int bits = 0;
        EXPECT_EQ(GetDefaultPalette(nullptr, &bits, row.kind), row.count);
        EXPECT_EQ(bits, row.bits);
        std::vector<BYTE> table(768, 0xAB);
        bits = 0;
        EXPECT_EQ(GetDefaultPalette(table.data(), &bits, row.kind), row.count);
        EXPECT_EQ(bits, row.bits);
        // Entries past the count are black.
        for (int i = row.count; i < 256; ++i) ASSERT_EQ(Entry(table, i), RGB(0, 0, 0)) << i;
        EXPECT_EQ(GetDefaultPalette(table.data(), nullptr, row.kind), row.count);
    }
}

TEST(GetDefaultPalette, Contents) {
    const struct {
        int kind, index;
        COLORREF colour;
    } rows[] = {
        {0, 0, RGB(0, 0, 0)},          {0, 1, RGB(255, 255, 255)},
        {1, 1, RGB(0x80, 0, 0)},       {1, 7, RGB(0x80, 0x80, 0x80)},    {1, 8, RGB(0xC0, 0xC0, 0xC0)},
        {1, 12, RGB(0, 0, 0xFF)},      {1, 15, RGB(255, 255, 255)},
        {2, 3 * 8 + 1 * 2 + 1, RGB(255, 85, 255)},                       {2, 31, RGB(255, 255, 255)},
        {3, 1 * 16 + 2 * 4 + 3, RGB(85, 170, 255)},                      {3, 63, RGB(255, 255, 255)},
        {4, 2 * 32 + 5 * 4 + 1, RGB(170, 180, 85)},                      {4, 127, RGB(255, 255, 255)},
        {6, 109, RGB(108, 108, 85)},   {6, 146, RGB(144, 144, 170)},     {6, 74, RGB(72, 72, 170)},
        {6, 7 * 32 + 1 * 4 + 2, RGB(255, 36, 170)},                      {6, 255, RGB(255, 255, 255)},
        {9, 146, RGB(144, 144, 170)},  {8, 0, RGB(0, 0, 0)},             {8, 77, RGB(77, 77, 77)},
        {8, 255, RGB(255, 255, 255)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "kind " << row.kind << " entry " << row.index);
        EXPECT_EQ(Entry(Palette(row.kind), row.index), row.colour);
    }
}

// This program ships neither data resource: both tables stay black.
TEST(GetDefaultPalette, ResourcePalettesAreBlackWithoutTheirResource) {
    for (int kind : {5, 7}) {
        SCOPED_TRACE(kind);
        std::vector<BYTE> table(768, 0xAB);
        GetDefaultPalette(table.data(), nullptr, kind);
        EXPECT_EQ(table, std::vector<BYTE>(768, 0));
    }
}

namespace {

// The entries of a palette handle.
std::vector<PALETTEENTRY> EntriesOf(HPALETTE palette) {
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
    if (!entries.empty()) GetPaletteEntries(palette, 0, UINT(entries.size()), entries.data());
    return entries;
}

}  // namespace

TEST(RealizeWindowPalette, RoundsTheCountAndSelectsThePalette) {
    std::vector<BYTE> table(768);
    for (int i = 0; i < 768; ++i) table[i] = BYTE(i * 7 + 3);
    const struct {
        int count, entries;
    } rows[] = {{1, 1}, {2, 16}, {16, 16}, {17, 256}, {256, 256}};
    Canvas canvas(4, 4);
    HGDIOBJ stock = GetCurrentObject(canvas.dc(), OBJ_PAL);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.count);
        PALSTATE state;
        ASSERT_EQ(RealizeWindowPalette(canvas.dc(), &state, table.data(), row.count), 1);
        ASSERT_NE(state.palette, HPALETTE(0));
        EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PAL), state.palette);
        EXPECT_EQ(state.oldpalette, stock);
        ASSERT_NE(state.logpalette, nullptr);
        EXPECT_EQ(state.logpalette->palVersion, 0x300);
        EXPECT_EQ(state.logpalette->palNumEntries, row.entries);
        const std::vector<PALETTEENTRY> entries = EntriesOf(state.palette);
        ASSERT_EQ(int(entries.size()), row.entries);
        // Every entry comes from the table, also those past the count asked.
        for (int i = 0; i < row.entries; ++i) {
            ASSERT_EQ(entries[i].peRed, table[3 * i]) << i;
            ASSERT_EQ(entries[i].peGreen, table[3 * i + 1]) << i;
            ASSERT_EQ(entries[i].peBlue, table[3 * i + 2]) << i;
            ASSERT_EQ(entries[i].peFlags, 0) << i;
        }
        UnrealizeWindowPalette(canvas.dc(), &state);
        EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PAL), stock);
        EXPECT_EQ(state.palette, HPALETTE(0));
        EXPECT_EQ(state.oldpalette, HPALETTE(0));
        EXPECT_EQ(state.logpalette, nullptr);
    }
}

TEST(RealizeWindowPalette, SelectsNothingForDeepPictures) {
    Canvas canvas(4, 4);
    HGDIOBJ stock = GetCurrentObject(canvas.dc(), OBJ_PAL);
    for (int count : {257, 1 << 24, -1}) {
        SCOPED_TRACE(count);
        PALSTATE state = {HPALETTE(1), HPALETTE(2), (LOGPALETTE *)8};
        EXPECT_EQ(RealizeWindowPalette(canvas.dc(), &state, Palette(PALETTE_DISPLAY).data(), count), 1);
        EXPECT_EQ(state.palette, HPALETTE(0));
        EXPECT_EQ(state.oldpalette, HPALETTE(0));
        EXPECT_EQ(state.logpalette, nullptr);
        EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PAL), stock);
        UnrealizeWindowPalette(canvas.dc(), &state);
    }
}

TEST(RealizeWindowPalette, ZeroEntriesAreUndoneLikeAnyOther) {
    Canvas canvas(4, 4);
    HGDIOBJ stock = GetCurrentObject(canvas.dc(), OBJ_PAL);
    PALSTATE state;
    EXPECT_EQ(RealizeWindowPalette(canvas.dc(), &state, Palette(PALETTE_DISPLAY).data(), 0), 1);
    ASSERT_NE(state.logpalette, nullptr);
    EXPECT_EQ(state.logpalette->palNumEntries, 0);
    UnrealizeWindowPalette(canvas.dc(), &state);
    EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PAL), stock);
    EXPECT_EQ(state.logpalette, nullptr);
}

TEST(UnrealizeWindowPalette, WithoutAContextDeletesAndFrees) {
    Canvas canvas(4, 4);
    PALSTATE state;
    ASSERT_EQ(RealizeWindowPalette(canvas.dc(), &state, Palette(PALETTE_DISPLAY).data(), 256), 1);
    HGDIOBJ stock = state.oldpalette;
    // The context lets go of the palette first, as when it is released.
    SelectPalette(canvas.dc(), (HPALETTE)stock, FALSE);
    HPALETTE palette = state.palette;
    UnrealizeWindowPalette(nullptr, &state);
    EXPECT_EQ(GetObjectType(palette), 0u);  // deleted
    EXPECT_EQ(state.palette, HPALETTE(0));
    EXPECT_EQ(state.logpalette, nullptr);
}
