// Drawing helpers on real memory contexts and windows, with the pixels read
// back: plain and transparent blits, cropping, screen copies, bitmap copies.
#include <gtest/gtest.h>

#include <climits>

#include "imaging/drawing.h"
#include "imaging_fixtures.h"

using namespace imaging_fixtures;

namespace {

constexpr COLORREF BACKGROUND = RGB(10, 20, 30);

// A palette whose entry i is a distinct colour that every canvas holds exactly.
std::vector<BYTE> DistinctPalette() {
    std::vector<BYTE> palette(768);
    for (int i = 0; i < 256; ++i) {
        palette[3 * i] = BYTE(i);
        palette[3 * i + 1] = BYTE(255 - i);
        palette[3 * i + 2] = BYTE(i * 3);
    }
    return palette;
}

COLORREF PaletteColour(const std::vector<BYTE> &palette, long index) {
    return RGB(palette[3 * index], palette[3 * index + 1], palette[3 * index + 2]);
}

// A picture of `bits` whose pixel (x, y) is PatternValue(x, y, bits).
long PatternValue(int x, int y, unsigned bits) {
    if (bits == 24) return long(RGB(x * 40 + 5, y * 60 + 7, (x + y) * 20 + 9));
    return long((x + 3 * y + 1) % (1 << bits));
}

HGLOBAL PatternPicture(int width, int height, unsigned bits, const std::vector<BYTE> &palette) {
    HGLOBAL dib = CreateDib(width, height, palette.data(), bits);
    Locked locked(dib);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) PutDibPixel(locked.get(), x, y, PatternValue(x, y, bits));
    return dib;
}

COLORREF PatternColour(int x, int y, unsigned bits, const std::vector<BYTE> &palette) {
    const long value = PatternValue(x, y, bits);
    return bits == 24 ? COLORREF(value) : PaletteColour(palette, value);
}

// Every canvas pixel: `inside(x, y)` within the picture's rectangle at
// (left, top), the background elsewhere.
template <typename Inside>
void ExpectDrawn(const Canvas &canvas, int cw, int ch, int left, int top, int width, int height, Inside inside) {
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const bool in = x >= left && x < left + width && y >= top && y < top + height;
            ASSERT_EQ(canvas.Pixel(x, y), in ? inside(x - left, y - top) : BACKGROUND) << x << "," << y;
        }
}

LRESULT CALLBACK QuietWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;  // the test owns every pixel
    return DefWindowProcA(window, message, wParam, lParam);
}

// A visible top-level window at the top-left corner of the screen that never
// paints over what the test draws.
class TestWindow {
public:
    TestWindow(int width, int height) {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = QuietWindowProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "ImagingTestWindow";
        RegisterClassA(&cls);  // fails harmlessly when it exists
        window_ = CreateWindowExA(WS_EX_TOPMOST, "ImagingTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        Settle();
        dc_ = GetDC(window_);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(BACKGROUND);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~TestWindow() {
        ReleaseDC(window_, dc_);
        DestroyWindow(window_);
    }
    HDC dc() const { return dc_; }
    // Serves the window's messages for a while, so that what was drawn
    // reaches the screen.
    static void Settle() {
        GdiFlush();
        for (int i = 0; i < 10; ++i) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace

TEST(DrawBitmap, DrawsEveryDepthWithItsOwnPalette) {
    const std::vector<BYTE> palette = DistinctPalette();
    for (unsigned bits : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bits);
        Dib dib(PatternPicture(5, 3, bits, palette));
        Canvas canvas(12, 9, BACKGROUND);
        DrawBitmap(canvas.dc(), 4, 2, dib.get(), SRCCOPY);
        ExpectDrawn(canvas, 12, 9, 4, 2, 5, 3, [&](int x, int y) { return PatternColour(x, y, bits, palette); });
    }
}

TEST(DrawBitmap, UsesTheRasterOperation) {
    const std::vector<BYTE> palette = DistinctPalette();
    Dib dib(PatternPicture(3, 2, 8, palette));
    Canvas canvas(6, 6, BACKGROUND);
    DrawBitmap(canvas.dc(), 1, 1, dib.get(), SRCINVERT);
    ExpectDrawn(canvas, 6, 6, 1, 1, 3, 2, [&](int x, int y) { return PatternColour(x, y, 8, palette) ^ BACKGROUND; });
}

TEST(DrawBitmap, PutsThePaletteBackAfterwards) {
    Dib dib(PatternPicture(2, 2, 8, DistinctPalette()));
    Canvas canvas(4, 4, BACKGROUND);
    HGDIOBJ before = GetCurrentObject(canvas.dc(), OBJ_PAL);
    DrawBitmap(canvas.dc(), 0, 0, dib.get(), SRCCOPY);
    EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PAL), before);
}

TEST(DrawBitmap, DrawsNothingForBadBitmaps) {
    const std::vector<std::vector<BYTE>> rows = {RawDib(8, 8, 24, 10), RawDib(2, 2, 8, 100), RawDib(0, 2, 8, 2000),
                                                 RawDib(2, 2, 8, 2000, BI_RLE8)};
    for (const auto &bytes : rows) {
        Dib bad(BlockOf(bytes.data(), bytes.size()));
        Canvas canvas(10, 10, BACKGROUND);
        DrawBitmap(canvas.dc(), 0, 0, bad.get(), SRCCOPY);
        ExpectDrawn(canvas, 10, 10, 0, 0, 0, 0, [](int, int) { return BACKGROUND; });
    }
    Canvas canvas(4, 4, BACKGROUND);
    DrawBitmap(canvas.dc(), 0, 0, 0, SRCCOPY);
    EXPECT_EQ(canvas.Pixel(0, 0), BACKGROUND);
}

TEST(DrawBitmap, DrawsIntoAWindow) {
    const std::vector<BYTE> palette = DistinctPalette();
    Dib dib(PatternPicture(6, 4, 8, palette));
    TestWindow window(40, 30);
    DrawBitmap(window.dc(), 10, 5, dib.get(), SRCCOPY);
    GdiFlush();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(GetPixel(window.dc(), 10 + x, 5 + y), PatternColour(x, y, 8, palette));
    EXPECT_EQ(GetPixel(window.dc(), 9, 5), BACKGROUND);
    EXPECT_EQ(GetPixel(window.dc(), 16, 9), BACKGROUND);
}

namespace {

// Draws `dib` transparently at (2, 1) on a fresh canvas and checks that each
// pixel shows the background where `transparent(value)` and its own colour
// elsewhere.
template <typename Transparent>
void ExpectTransparentBlit(HGLOBAL dib, unsigned bits, const std::vector<BYTE> &palette, COLORREF key,
                           Transparent transparent) {
    Locked locked(dib);
    const int width = locked.header()->biWidth, height = locked.header()->biHeight;
    Canvas canvas(width + 4, height + 3, BACKGROUND);
    ASSERT_EQ(ShowTransparentDib(canvas.dc(), nullptr, locked.get(), 2, 1, key), 1);
    ExpectDrawn(canvas, width + 4, height + 3, 2, 1, width, height, [&](int x, int y) {
        const long value = GetDibPixel(locked.get(), x, y);
        return transparent(value) ? BACKGROUND : PatternColour(x, y, bits, palette);
    });
}

}  // namespace

TEST(ShowTransparentDib, LeavesOutTheKeyColour) {
    const std::vector<BYTE> palette = DistinctPalette();
    for (unsigned bits : {1u, 4u, 8u}) {
        SCOPED_TRACE(bits);
        Dib dib(PatternPicture(7, 5, bits, palette));
        ExpectTransparentBlit(dib.get(), bits, palette, PaletteColour(palette, 1), [](long v) { return v == 1; });
    }
    SCOPED_TRACE("24 bits");
    Dib dib(PatternPicture(7, 5, 24, palette));
    const COLORREF key = COLORREF(PatternValue(3, 2, 24));
    ExpectTransparentBlit(dib.get(), 24, palette, key, [&](long v) { return COLORREF(v) == key; });
}

TEST(ShowTransparentDib, OnlyTheFirstOfTwoEntriesOfTheKeyIsTransparent) {
    std::vector<BYTE> palette = DistinctPalette();
    // Entries 2 and 5 both hold the key colour.
    palette[15] = palette[6], palette[16] = palette[7], palette[17] = palette[8];
    Dib dib(PatternPicture(9, 4, 8, palette));
    ExpectTransparentBlit(dib.get(), 8, palette, PaletteColour(palette, 2), [](long v) { return v == 2; });
}

TEST(ShowTransparentDib, DrawsOpaquelyWhenThePaletteLacksTheKey) {
    const std::vector<BYTE> palette = DistinctPalette();
    Dib dib(PatternPicture(6, 3, 8, palette));
    ExpectTransparentBlit(dib.get(), 8, palette, RGB(1, 1, 1), [](long) { return false; });
}

// The mask blits take the destination's text and background colours; the
// caller's choices must neither spoil the picture nor be lost.
TEST(ShowTransparentDib, IgnoresAndKeepsTheCallersColours) {
    const std::vector<BYTE> palette = DistinctPalette();
    Dib dib(PatternPicture(5, 4, 8, palette));
    Locked locked(dib.get());
    Canvas canvas(9, 7, BACKGROUND);
    SetTextColor(canvas.dc(), RGB(200, 0, 0));
    SetBkColor(canvas.dc(), RGB(0, 0, 200));
    ASSERT_EQ(ShowTransparentDib(canvas.dc(), nullptr, locked.get(), 2, 1, PaletteColour(palette, 3)), 1);
    ExpectDrawn(canvas, 9, 7, 2, 1, 5, 4, [&](int x, int y) {
        return PatternValue(x, y, 8) == 3 ? BACKGROUND : PatternColour(x, y, 8, palette);
    });
    EXPECT_EQ(GetTextColor(canvas.dc()), RGB(200, 0, 0));
    EXPECT_EQ(GetBkColor(canvas.dc()), RGB(0, 0, 200));
}

TEST(ShowTransparentDib, DrawsIntoAWindow) {
    const std::vector<BYTE> palette = DistinctPalette();
    Dib dib(PatternPicture(6, 4, 4, palette));
    Locked locked(dib.get());
    TestWindow window(30, 20);
    ASSERT_EQ(ShowTransparentDib(window.dc(), nullptr, locked.get(), 3, 2, PaletteColour(palette, 4)), 1);
    GdiFlush();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const COLORREF expected = PatternValue(x, y, 4) == 4 ? BACKGROUND : PatternColour(x, y, 4, palette);
            EXPECT_EQ(GetPixel(window.dc(), 3 + x, 2 + y), expected) << x << "," << y;
        }
}

TEST(ShowTransparentDib, RefusesBadBitmaps) {
    const std::vector<std::vector<BYTE>> rows = {RawDib(30, 30, 24, 10), RawDib(2, 2, 8, 100), RawDib(2, -2, 8, 2000)};
    for (const auto &bytes : rows) {
        Dib bad(BlockOf(bytes.data(), bytes.size()));
        Locked locked(bad.get());
        Canvas canvas(4, 4, BACKGROUND);
        EXPECT_EQ(ShowTransparentDib(canvas.dc(), nullptr, locked.get(), 0, 0, RGB(0, 0, 0)), 0);
        EXPECT_EQ(canvas.Pixel(0, 0), BACKGROUND);
    }
    Canvas canvas(4, 4, BACKGROUND);
    EXPECT_EQ(ShowTransparentDib(canvas.dc(), nullptr, nullptr, 0, 0, RGB(0, 0, 0)), 0);
}

TEST(CropImage, CutsRectanglesInsideAndAcrossTheEdges) {
    const std::vector<BYTE> palette = DistinctPalette();
    const struct {
        const char *what;
        RECT rect;
    } rows[] = {
        {"inside", {1, 1, 4, 3}},
        {"odd offset", {3, 0, 8, 5}},
        {"across the top-left corner", {-2, -1, 3, 2}},
        {"across the bottom-right corner", {5, 3, 11, 9}},
        {"around the whole picture", {-3, -3, 10, 9}},
        {"entirely outside", {20, 20, 23, 22}},
        {"one pixel", {6, 4, 7, 5}},
    };
    for (unsigned bits : {1u, 4u, 8u, 24u})
        for (const auto &row : rows) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << row.what);
            Dib source(PatternPicture(7, 5, bits, palette));
            Dib crop(CropImage(source.get(), &row.rect));
            ASSERT_TRUE(crop);
            int width, height, depth;
            std::vector<BYTE> table(768);
            ASSERT_EQ(GetBitmapDimensions(crop.get(), &width, &height, &depth, table.data()), 1);
            EXPECT_EQ(width, row.rect.right - row.rect.left);
            EXPECT_EQ(height, row.rect.bottom - row.rect.top);
            EXPECT_EQ(depth, int(bits));
            if (bits <= 8) {
                EXPECT_TRUE(std::equal(table.begin(), table.begin() + 3 * (1 << bits), palette.begin()));
            }
            Locked locked(crop.get());
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const int sx = row.rect.left + x, sy = row.rect.top + y;
                    const bool inside = sx >= 0 && sx < 7 && sy >= 0 && sy < 5;
                    ASSERT_EQ(GetDibPixel(locked.get(), x, y), inside ? PatternValue(sx, sy, bits) : 0) << x << "," << y;
                }
        }
}

TEST(CropImage, RefusesEmptyHugeAndBadInput) {
    Dib source(PatternPicture(7, 5, 8, DistinctPalette()));
    const RECT rows[] = {{2, 2, 2, 4}, {3, 3, 1, 4}, {0, 0, 0, 0}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                         {INT_MIN, 0, 1, 1}, {0, 0, 70000, 70000}};
    for (const RECT &rect : rows) {
        SCOPED_TRACE(testing::Message() << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom);
        EXPECT_EQ(CropImage(source.get(), &rect), HGLOBAL(0));
    }
    const RECT rect = {0, 0, 2, 2};
    std::vector<BYTE> shortrows = RawDib(50, 50, 8, 1024 + 100);
    Dib bad(BlockOf(shortrows.data(), shortrows.size()));
    EXPECT_EQ(CropImage(bad.get(), &rect), HGLOBAL(0));
    EXPECT_EQ(CropImage(0, &rect), HGLOBAL(0));
    EXPECT_EQ(CropImage(source.get(), nullptr), HGLOBAL(0));
}

TEST(CropImage, FarOffsetsDoNotWrap) {
    Dib source(PatternPicture(7, 5, 8, DistinctPalette()));
    const RECT rect = {INT_MAX - 2, INT_MIN, INT_MAX, INT_MIN + 2};
    Dib crop(CropImage(source.get(), &rect));
    ASSERT_TRUE(crop);
    Locked locked(crop.get());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(GetDibPixel(locked.get(), x, y), 0);
}

// 16- and 32-bit pictures are cropped into 24-bit ones of their colours.
TEST(CropImage, SixteenAndThirtyTwoBitPicturesGive24BitPictures) {
    for (WORD bits : {16, 32}) {
        SCOPED_TRACE(bits);
        Dib source(HandMadeDib(4, 4, bits));
        FillBytes(source.get(), 40, 0xFF);
        const RECT rect = {0, 0, 3, 3};
        Dib crop(CropImage(source.get(), &rect));
        ASSERT_TRUE(crop);
        Locked locked(crop.get());
        EXPECT_EQ(locked.header()->biBitCount, 24);
        EXPECT_EQ(GetDibPixel(locked.get(), 1, 1), long(RGB(255, 255, 255)));
    }
}

namespace {

// A canvas whose pixel (x, y) is RGB(x, y, 99).
void PaintCoordinates(Canvas &canvas, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) canvas.SetPixelAt(x, y, RGB(x, y, 99));
}

}  // namespace

TEST(CopyScreenToBitmap, ClipsToTheTopLeftCornerAndTheDeviceSize) {
    Canvas canvas(64, 48);
    PaintCoordinates(canvas, 64, 48);
    const int horz = GetDeviceCaps(canvas.dc(), HORZRES), vert = GetDeviceCaps(canvas.dc(), VERTRES);
    ASSERT_GE(horz, 30);
    ASSERT_GE(vert, 30);
    const struct {
        const char *what;
        RECT rect;
        int left, top, width, height;
    } rows[] = {
        {"inside", {3, 4, 13, 9}, 3, 4, 10, 5},
        {"starting at (-5, -5)", {-5, -5, 20, 20}, 0, 0, 20, 20},
        {"starting left of the device", {-10, 2, 5, 6}, 0, 2, 5, 4},
        {"past the device's right and bottom", {horz - 4, vert - 3, horz + 40, vert + 40}, horz - 4, vert - 3, 4, 3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        HBITMAP bitmap = CopyScreenToBitmap(canvas.dc(), &row.rect);
        ASSERT_NE(bitmap, HBITMAP(0));
        const SIZE size = BitmapSize(bitmap);
        EXPECT_EQ(size.cx, row.width);
        EXPECT_EQ(size.cy, row.height);
        if (row.left + row.width <= 64 && row.top + row.height <= 48) {
            for (int y = 0; y < row.height; ++y)
                for (int x = 0; x < row.width; ++x)
                    ASSERT_EQ(BitmapPixel(bitmap, x, y), RGB(row.left + x, row.top + y, 99)) << x << "," << y;
        }
        DeleteObject(bitmap);
    }
}

TEST(CopyScreenToBitmap, NoBitmapForEmptyOrOffDeviceRectangles) {
    Canvas canvas(16, 16);
    const int horz = GetDeviceCaps(canvas.dc(), HORZRES);
    const RECT rows[] = {{5, 5, 5, 10}, {5, 5, 2, 10}, {-20, -20, -5, -5}, {-5, 2, 0, 8}, {horz, 0, horz + 10, 10},
                         {INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1}};
    for (const RECT &rect : rows) {
        SCOPED_TRACE(testing::Message() << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom);
        EXPECT_EQ(CopyScreenToBitmap(canvas.dc(), &rect), HBITMAP(0));
    }
}

TEST(CopyScreenToBitmap, CopiesFromTheScreenStartingOffScreen) {
    TestWindow window(40, 30);
    HBRUSH brush = CreateSolidBrush(RGB(200, 100, 50));
    RECT spot = {0, 0, 3, 2};
    FillRect(window.dc(), &spot, brush);
    DeleteObject(brush);
    TestWindow::Settle();
    HDC screen = GetDC(nullptr);
    const RECT rect = {-5, -5, 10, 8};
    HBITMAP bitmap = CopyScreenToBitmap(screen, &rect);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, HBITMAP(0));
    const SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, 10);
    EXPECT_EQ(size.cy, 8);
    EXPECT_EQ(BitmapPixel(bitmap, 0, 0), RGB(200, 100, 50));
    EXPECT_EQ(BitmapPixel(bitmap, 2, 1), RGB(200, 100, 50));
    EXPECT_EQ(BitmapPixel(bitmap, 3, 1), BACKGROUND);
    EXPECT_EQ(BitmapPixel(bitmap, 9, 7), BACKGROUND);
    DeleteObject(bitmap);
}

TEST(CopyBitmapToHandle, CopiesEveryKeptDepthExactly) {
    const std::vector<BYTE> palette = DistinctPalette();
    for (unsigned bits : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bits);
        Dib source(PatternPicture(9, 4, bits, palette));
        Locked locked(source.get());
        Dib copy(CopyBitmapToHandle(locked.get()));
        ASSERT_TRUE(copy);
        EXPECT_EQ(BytesOf(copy.get()), BytesOf(source.get()));
    }
}

// An animation's frames lie inside its data block: no block size to check
// them against, and they are copied all the same.
TEST(CopyBitmapToHandle, CopiesABitmapInsideALargerBlock) {
    Dib frame(PatternPicture(5, 3, 8, DistinctPalette()));
    const std::vector<BYTE> bytes = BytesOf(frame.get());
    std::vector<BYTE> data(100, 0x77);
    data.insert(data.end(), bytes.begin(), bytes.end());
    Dib animation(BlockOf(data.data(), data.size()));
    Locked locked(animation.get());
    Dib copy(CopyBitmapToHandle(locked.get() + 100));
    ASSERT_TRUE(copy);
    EXPECT_EQ(BytesOf(copy.get()), bytes);
}

TEST(CopyBitmapToHandle, RefusesOtherDepthsAndBadBitmaps) {
    for (WORD bits : {2, 16, 32}) {
        SCOPED_TRACE(bits);
        Dib odd(HandMadeDib(3, 3, bits));
        Locked locked(odd.get());
        EXPECT_EQ(CopyBitmapToHandle(locked.get()), HGLOBAL(0));
    }
    const std::vector<BYTE> shortrows = RawDib(40, 40, 24, 100);
    Dib bad(BlockOf(shortrows.data(), shortrows.size()));
    Locked locked(bad.get());
    EXPECT_EQ(CopyBitmapToHandle(locked.get()), HGLOBAL(0));
    EXPECT_EQ(CopyBitmapToHandle(nullptr), HGLOBAL(0));
}
