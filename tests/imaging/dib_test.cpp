// Packed bitmaps: creation, layout checks, pixel addressing, size and palette.
#include <gtest/gtest.h>

#include <climits>

#include "content/format.h"
#include "imaging/dib.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

TEST(AdjustDIBits, RoundsUpToAStoredDepth) {
    const struct {
        unsigned bits, expected;
    } rows[] = {{0, 24}, {1, 1}, {2, 4}, {3, 4}, {4, 4}, {5, 8}, {7, 8}, {8, 8}, {9, 24}, {16, 24}, {24, 24}, {32, 24}, {UINT_MAX, 24}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bits);
        EXPECT_EQ(AdjustDIBits(row.bits), row.expected);
    }
}

TEST(CreateDib, HeaderTableAndSize) {
    const std::vector<BYTE> palette = Palette(PALETTE_DISPLAY);
    const struct {
        const char *what;
        int width, height;
        unsigned bits;
        const BYTE *palette;
        WORD depth;
        DWORD colours, rowbytes;
    } rows[] = {
        {"3 bits make 4 with 16 entries", 10, 10, 3, palette.data(), 4, 16, 8},
        {"24 bits have no table", 7, 3, 24, nullptr, 24, 0, 24},
        {"1-bit rows of 4 bytes", 1, 1, 1, palette.data(), 1, 2, 4},
        {"8 bits", 5, 2, 8, palette.data(), 8, 256, 8},
        {"32 bits are stored as 24", 2, 2, 32, nullptr, 24, 0, 8},
        {"33 1-bit pixels need 8 bytes", 33, 2, 1, palette.data(), 1, 2, 8},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Dib dib(CreateDib(row.width, row.height, row.palette, row.bits));
        ASSERT_TRUE(dib);
        EXPECT_EQ(GlobalSize(dib.get()), 40 + 4 * row.colours + row.rowbytes * row.height);
        Locked locked(dib.get());
        const BITMAPINFOHEADER &h = *locked.header();
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, row.width);
        EXPECT_EQ(h.biHeight, row.height);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, row.depth);
        EXPECT_EQ(h.biCompression, DWORD(BI_RGB));
        EXPECT_EQ(h.biSizeImage, row.rowbytes * row.height);
        EXPECT_EQ(h.biClrUsed, row.colours);
        EXPECT_EQ(h.biClrImportant, row.colours);
        for (DWORD i = 0; i < row.colours; ++i) {
            EXPECT_EQ(locked.table()[i].rgbRed, palette[3 * i]);
            EXPECT_EQ(locked.table()[i].rgbGreen, palette[3 * i + 1]);
            EXPECT_EQ(locked.table()[i].rgbBlue, palette[3 * i + 2]);
            EXPECT_EQ(locked.table()[i].rgbReserved, 0);
        }
    }
}

TEST(CreateDib, RefusesEmptyNegativeAndOversizedPictures) {
    const struct {
        int width, height;
        unsigned bits;
    } rows[] = {{0, 10, 8}, {10, 0, 8}, {-1, 10, 24}, {10, -1, 24}, {INT_MIN, INT_MIN, 1},
                {INT_MAX, INT_MAX, 24}, {70000, 70000, 24}, {INT_MAX, 1, 24},
                // rows of 2^32 + 4 bytes, which a 32-bit row size wraps to 4
                {0x55555556, 1, 24}, {0x55555556, 2, 24}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << "x" << row.bits);
        EXPECT_EQ(CreateDib(row.width, row.height, nullptr, row.bits), HGLOBAL(0));
    }
}

TEST(GetDibLayout, AcceptsOnlyHeadersWhoseBitmapFits) {
    const struct {
        const char *what;
        std::vector<BYTE> bytes;
        size_t available;  // 0: the bytes' own size
        bool ok;
    } rows[] = {
        {"exact fit, 8 bits", RawDib(3, 2, 8, 1024 + 8), 0, true},
        {"one byte short of the rows", RawDib(3, 2, 8, 1024 + 7), 0, false},
        {"table missing", RawDib(1, 1, 8, 4), 0, false},
        {"header only", RawDib(1, 1, 24, 0), 0, false},
        {"shorter than a header", RawDib(1, 1, 24, 4), 20, false},
        {"zero width", RawDib(0, 1, 24, 4), 0, false},
        {"negative height (top-down)", RawDib(1, -1, 24, 4), 0, false},
        {"zero depth", RawDib(1, 1, 0, 4), 0, false},
        {"33 bits", RawDib(1, 1, 33, 8), 0, false},
        {"2 bits, which GDI does not draw", RawDib(4, 1, 2, 16 + 4), 0, false},
        {"12 bits, which GDI does not draw", RawDib(1, 1, 12, 4), 0, false},
        {"16 bits fit", RawDib(2, 1, 16, 4), 0, true},
        {"32 bits fit", RawDib(1, 1, 32, 4), 0, true},
        {"run-length compressed", RawDib(1, 1, 8, 1024 + 4, BI_RLE8), 0, false},
        {"bit fields", RawDib(1, 1, 32, 16, BI_BITFIELDS), 0, false},
        {"header size below 40", RawDib(1, 1, 24, 4, BI_RGB, 12), 0, false},
        {"header size beyond the block", RawDib(1, 1, 24, 4, BI_RGB, 0x7FFFFFFF), 0, false},
        {"huge width overflows", RawDib(INT_MAX, INT_MAX, 32, 4), 0, false},
        {"rows of 2^32 bytes wrap to 0 in 32 bits", RawDib(0x40000000, 1, 32, 4), SIZE_T(-1), false},
        {"larger than any picture", RawDib(60000, 60000, 24, 4), SIZE_T(-1), false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        DIBLAYOUT layout;
        EXPECT_EQ(GetDibLayout(row.bytes.data(), row.available ? row.available : row.bytes.size(), &layout),
                  row.ok ? 1 : 0);
    }
    EXPECT_EQ(GetDibLayout(nullptr, 1000, nullptr), 0);
}

TEST(GetDibLayout, FindsTheTableAfterALongerHeader) {
    std::vector<BYTE> bytes = RawDib(2, 3, 4, 68 + 64 + 12, BI_RGB, 108);
    DIBLAYOUT layout;
    ASSERT_EQ(GetDibLayout(bytes.data(), bytes.size(), &layout), 1);
    EXPECT_EQ(layout.table, 108u);
    EXPECT_EQ(layout.pixels, 108u + 64);
    EXPECT_EQ(layout.rowbytes, 4u);
    EXPECT_EQ(layout.bytes, bytes.size());
}

TEST(LockedDibBytes, IsTheBlockSizeOnlyAtTheStartOfABlock) {
    Dib dib(CreateDib(5, 5, nullptr, 24));
    Locked locked(dib.get());
    EXPECT_EQ(LockedDibBytes(locked.get()), GlobalSize(dib.get()));
    EXPECT_EQ(LockedDibBytes(locked.get() + 44), SIZE_T(MAXDIBBYTES));
    BYTE stack[64] = {};
    EXPECT_EQ(LockedDibBytes(stack), SIZE_T(MAXDIBBYTES));
}

// Pixel (x, y) lives in stored row height - 1 - y: (0, 0) is the first pixel
// of the last row in memory.
TEST(GetDibPixel, AddressesRowsBottomUpInEveryDepth) {
    const struct {
        unsigned bits;
        size_t offset;  // byte of pixel (1, 0) from the start of the last row
        BYTE byte;      // stored there
        long expected;  // GetDibPixel(1, 0)
    } rows[] = {{1, 0, 0x40, 1}, {4, 0, 0x0C, 12}, {8, 1, 200, 200}, {24, 3, 0x11, 0x110000}, {24, 5, 0x33, 0x000033}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bits);
        Dib dib(CreateDib(3, 2, Palette(PALETTE_DISPLAY).data(), row.bits));
        Locked locked(dib.get());
        DIBLAYOUT layout;
        ASSERT_EQ(GetDibLayout(locked.get(), GlobalSize(dib.get()), &layout), 1);
        BYTE *lastrow = locked.get() + layout.pixels + layout.rowbytes;
        lastrow[row.offset] = row.byte;
        EXPECT_EQ(GetDibPixel(locked.get(), 1, 0), row.expected);
        EXPECT_EQ(GetDibPixel(locked.get(), 1, 1), 0);  // the first stored row
        EXPECT_EQ(GetDibPixel(locked.get(), 0, 0), 0);
    }
}

TEST(GetDibPixel, RefusesPointsOutsideAndOtherDepths) {
    Dib dib(CreateDib(4, 3, nullptr, 8));
    Locked locked(dib.get());
    const struct {
        int x, y;
    } outside[] = {{4, 0}, {0, 3}, {-1, 0}, {0, -1}, {INT_MAX, 0}, {INT_MIN, INT_MIN}};
    for (const auto &p : outside) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(GetDibPixel(locked.get(), p.x, p.y), -1);
    }
    EXPECT_EQ(GetDibPixel(locked.get(), 3, 2), 0);
    Dib odd(HandMadeDib(4, 2, 2));
    Locked lockedodd(odd.get());
    EXPECT_EQ(GetDibPixel(lockedodd.get(), 0, 0), -1);
}

// 16-bit pixels are 5-5-5 with each channel widened to 8 bits; 32-bit ones
// are blue, green, red and a spare byte.
TEST(GetDibPixel, ReadsColoursOf16And32Bits) {
    const struct {
        WORD bits;
        std::vector<BYTE> stored;  // the top-left pixel
        COLORREF colour;
    } rows[] = {
        {16, {0x00, 0x7C}, RGB(255, 0, 0)},
        {16, {0x1F, 0x00}, RGB(0, 0, 255)},
        {16, {0x10, 0x42}, RGB(132, 132, 132)},
        {32, {1, 2, 3, 99}, RGB(3, 2, 1)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bits);
        Dib dib(HandMadeDib(2, 2, row.bits));
        Locked locked(dib.get());
        const size_t top = sizeof(BITMAPINFOHEADER) + DibRowBytes(2, row.bits);  // the rows are bottom-up
        std::copy(row.stored.begin(), row.stored.end(), (BYTE *)locked.get() + top);
        EXPECT_EQ(GetDibPixel(locked.get(), 0, 0), long(row.colour));
    }
}

TEST(PutDibPixel, WritesBitsNibblesBytesAndColours) {
    const struct {
        const char *what;
        unsigned bits;
        BYTE before;  // the byte that pixel x shares
        int x;
        long value;
        BYTE after;
    } rows[] = {
        {"1 bit: non-zero sets", 1, 0x00, 1, 2, 0x40},
        {"1 bit: zero clears", 1, 0xFF, 7, 0, 0xFE},
        {"4 bits, even x: high nibble, low kept", 4, 0xAB, 2, 0x5, 0x5B},
        {"4 bits, odd x: low nibble, high kept", 4, 0xAB, 3, 0x5, 0xA5},
        {"4 bits take the low four bits", 4, 0x00, 0, 0x1F, 0xF0},
        {"8 bits", 8, 0x00, 2, 0x1FE, 0xFE},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Dib dib(CreateDib(8, 1, nullptr, row.bits));
        Locked locked(dib.get());
        BYTE *pixels = locked.get() + 40 + 4 * (1u << row.bits);
        const size_t byte = size_t(row.x) * row.bits / 8;
        pixels[byte] = row.before;
        PutDibPixel(locked.get(), row.x, 0, row.value);
        EXPECT_EQ(pixels[byte], row.after);
    }
}

TEST(PutDibPixel, StoresColoursAsBlueGreenRed) {
    Dib dib(CreateDib(2, 1, nullptr, 24));
    Locked locked(dib.get());
    PutDibPixel(locked.get(), 1, 0, RGB(0x11, 0x22, 0x33));
    const BYTE *pixel = locked.get() + 40 + 3;
    EXPECT_EQ(pixel[0], 0x33);
    EXPECT_EQ(pixel[1], 0x22);
    EXPECT_EQ(pixel[2], 0x11);
    EXPECT_EQ(GetDibPixel(locked.get(), 1, 0), long(RGB(0x11, 0x22, 0x33)));
}

TEST(PutDibPixel, LeavesTheBitmapAloneForMinusOneOutsideAndOtherDepths) {
    for (unsigned bits : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bits);
        Dib dib(CreateDib(3, 3, nullptr, bits));
        FillDib(dib.get(), bits == 24 ? 0x00FFFFFF : 1);
        const std::vector<BYTE> before = BytesOf(dib.get());
        {
            Locked locked(dib.get());
            PutDibPixel(locked.get(), 1, 1, -1);
            PutDibPixel(locked.get(), 3, 0, 0);
            PutDibPixel(locked.get(), 0, 3, 0);
            PutDibPixel(locked.get(), -1, 0, 0);
            PutDibPixel(locked.get(), INT_MIN, INT_MAX, 0);
        }
        EXPECT_EQ(BytesOf(dib.get()), before);
    }
    Dib odd(HandMadeDib(2, 2, 16));
    const std::vector<BYTE> before = BytesOf(odd.get());
    {
        Locked locked(odd.get());
        PutDibPixel(locked.get(), 0, 0, 5);
    }
    EXPECT_EQ(BytesOf(odd.get()), before);
}

TEST(PutDibPixel, RoundTripsEveryPixelOfOddSizes) {
    for (unsigned bits : {1u, 4u, 8u, 24u})
        for (int width : {1, 3, 7, 9, 13}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
            const int height = 5;
            Dib dib(CreateDib(width, height, nullptr, bits));
            Locked locked(dib.get());
            const long mask = bits == 24 ? 0xFFFFFF : (1L << bits) - 1;
            auto value = [&](int x, int y) { return long((x * 37 + y * 101 + 5) * 2654435761u >> 7) & mask; };
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) PutDibPixel(locked.get(), x, y, value(x, y));
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) ASSERT_EQ(GetDibPixel(locked.get(), x, y), value(x, y)) << x << "," << y;
        }
}

TEST(GetDibPalette, CopiesTwoToTheDepthEntries) {
    const std::vector<BYTE> grey = Palette(PALETTE_GREY);
    const struct {
        const char *what;
        unsigned bits;
        DWORD clrused;
        int expected;
    } rows[] = {{"1 bit", 1, 2, 2}, {"4 bits", 4, 16, 16}, {"8 bits with biClrUsed 16", 8, 16, 256},
                {"8 bits with biClrUsed 0", 8, 0, 256}, {"24 bits", 24, 0, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Dib dib(CreateDib(2, 2, grey.data(), row.bits));
        Locked locked(dib.get());
        locked.header()->biClrUsed = row.clrused;
        std::vector<BYTE> table(768, 0xAB);
        EXPECT_EQ(GetDibPalette(locked.get(), table.data()), row.expected);
        for (int i = 0; i < 256; ++i) {
            const BYTE expected = i < row.expected ? BYTE(i) : 0;
            ASSERT_EQ(table[3 * i], expected) << i;
            ASSERT_EQ(table[3 * i + 1], expected) << i;
            ASSERT_EQ(table[3 * i + 2], expected) << i;
        }
    }
}

TEST(GetDibPalette, RefusesABlockTooShortForItsTable) {
    std::vector<BYTE> raw = RawDib(1, 1, 8, 100);
    Dib dib(BlockOf(raw.data(), raw.size()));
    Locked locked(dib.get());
    std::vector<BYTE> table(768, 0xAB);
    EXPECT_EQ(GetDibPalette(locked.get(), table.data()), 0);
    EXPECT_EQ(table, std::vector<BYTE>(768, 0));
}

TEST(GetBitmapDimensions, ReportsIntoTheOutsGiven) {
    const std::vector<BYTE> vga = Palette(PALETTE_VGA);
    Dib dib(CreateDib(12, 7, vga.data(), 4));
    int width = 0, height = 0, bits = 0;
    std::vector<BYTE> table(768, 0xAB);
    EXPECT_EQ(GetBitmapDimensions(dib.get(), &width, &height, &bits, table.data()), 1);
    EXPECT_EQ(width, 12);
    EXPECT_EQ(height, 7);
    EXPECT_EQ(bits, 4);
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + 48, vga.begin()));
    EXPECT_EQ(std::count(table.begin() + 48, table.end(), 0), 768 - 48);
    EXPECT_EQ(GetBitmapDimensions(dib.get(), nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(GetBitmapDimensions(dib.get(), nullptr, &height, nullptr, nullptr), 1);
}

TEST(GetBitmapDimensions, RefusesBadBitmaps) {
    const struct {
        const char *what;
        std::vector<BYTE> bytes;
    } rows[] = {
        {"claims more rows than the block holds", RawDib(100, 100, 24, 100)},
        {"claims more colours than the block holds", RawDib(1, 1, 8, 16)},
        {"zero-sized", RawDib(0, 0, 8, 1024)},
        {"shorter than its header", std::vector<BYTE>(12, 0)},
        {"compressed", RawDib(1, 1, 8, 1024 + 4, BI_RLE8)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Dib dib(BlockOf(row.bytes.data(), row.bytes.size()));
        int width = -7;
        EXPECT_EQ(GetBitmapDimensions(dib.get(), &width, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(width, -7);
    }
    EXPECT_EQ(GetBitmapDimensions(0, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST(GetDisplayBits, ReportsThePaletteDepthOr24) {
    HDC screen = GetDC(nullptr);
    const int device = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(GetDisplayBits(), device > 8 ? 24 : device);
    EXPECT_EQ(devicebits, 24);  // until start-up sets it
}

TEST(Masktable, PicksBitsFromTheLeft) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(masktable[x], 0x80 >> x);
}
