// The preview window painted inside the test program, in a real host window:
// the picture centred or cut, the title scrolling in the title colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "content/blockstore.h"
#include "imaging/dib.h"
#include "shell/preview.h"
#include "support/window_canvas.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

constexpr int kHostWide = 200, kHostDeep = 120;
const COLORREF kBackground = RGB(0, 0, 64);
const COLORREF kTitleColours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// A header block as the preview mode reads it, with or without a picture.
BLOCK Header(const Bytes &picture) {
    BLOCK block = {};
    block.head = TestHead("Wide title", kBackground);
    block.head.preview = picture.empty() ? 0 : 1;
    if (!picture.empty()) block.data = GlobalCopy(picture);
    return block;
}

// The preview child in a host window of its own, for one test.
class Preview {
public:
    explicit Preview(BLOCK *header) : host_(kHostWide, kHostDeep, RGB(90, 90, 90)) {
        RegisterPreviewClass(GetModuleHandleA(nullptr));
        window_ = CreateWindowExA(0, PreviewClassName(), "preview", WS_CHILD | WS_VISIBLE, 0, 0, kHostWide,
                                  kHostDeep, host_.window(), nullptr, GetModuleHandleA(nullptr), header);
    }
    ~Preview() {
        if (window_) DestroyWindow(window_);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}  // the preview's own quit
        UnregisterPreviewClass(GetModuleHandleA(nullptr));
    }
    HWND window() const { return window_; }
    // One paint, as the timer asks for it.
    std::vector<COLORREF> Paint() {
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
        return host_.Capture(0, 0, kHostWide, kHostDeep);
    }
    // Delivers the waiting timer ticks; whether they asked for a paint.
    bool TicksInvalidate() {
        ValidateRect(window_, nullptr);
        Sleep(50);
        MSG msg;
        while (PeekMessageA(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageA(&msg);
        RECT r;
        return GetUpdateRect(window_, &r, FALSE) != 0;
    }

private:
    TestWindow host_;
    HWND window_ = nullptr;
};

COLORREF At(const std::vector<COLORREF> &pixels, int x, int y) { return pixels[size_t(y) * kHostWide + x]; }

bool IsTitleColour(COLORREF colour) {
    return std::find(std::begin(kTitleColours), std::end(kTitleColours), colour) != std::end(kTitleColours);
}

}  // namespace

TEST(PreviewPaint, ThePictureIsCentredAndCut) {
    struct Case {
        const char *name;
        int wide, deep;
    } cases[] = {{"smaller", 60, 40}, {"larger", 260, 180}, {"odd sizes", 61, 41}, {"wider only", 240, 30}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes dib = TestDib(c.wide, c.deep, 24);
        BLOCK header = Header(dib);
        {
            Preview preview(&header);
            ASSERT_NE(preview.window(), nullptr);
            const std::vector<COLORREF> pixels = preview.Paint();
            const int left = (kHostWide - c.wide) / 2, top = (kHostDeep - c.deep) / 2;
            int compared = 0;
            for (int y = 0; y < kHostDeep; y += 7)
                for (int x = 0; x < kHostWide; x += 5) {
                    const bool inside = x >= left && x < left + c.wide && y >= top && y < top + c.deep;
                    const COLORREF expected = inside ? DibColour(dib, x - left, y - top) : RGB(0, 0, 0);
                    if (At(pixels, x, y) != expected) ADD_FAILURE() << "at " << x << "," << y;
                    ++compared;
                }
            EXPECT_GT(compared, 500);
            EXPECT_FALSE(preview.TicksInvalidate()) << "a picture never scrolls";
        }
        DestroyBlock(&header);
    }
}

TEST(PreviewPaint, TheTitleScrollsLeftFourPixelsAPaint) {
    BLOCK header = Header(Bytes());
    Preview preview(&header);
    ASSERT_NE(preview.window(), nullptr);
    const std::vector<COLORREF> first = preview.Paint();
    const std::vector<COLORREF> second = preview.Paint();

    // The text cell covers the top in the show's colour and one title colour.
    int background = 0, title = 0;
    COLORREF colour = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < kHostWide; ++x) {
            const COLORREF c = At(first, x, y);
            if (c == kBackground) ++background;
            if (IsTitleColour(c)) {
                if (title++ == 0) colour = c;
                EXPECT_EQ(c, colour) << "one colour at a time";
            }
        }
    EXPECT_GT(background, kHostWide * 20);
    EXPECT_GT(title, 200);

    // The second paint is the first moved 4 pixels to the left.
    int same = 0, differ = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x + 4 < kHostWide; ++x) (At(second, x, y) == At(first, x + 4, y) ? same : differ)++;
    EXPECT_EQ(differ, 0);
    EXPECT_GT(same, 0);
    EXPECT_TRUE(preview.TicksInvalidate());
    DestroyBlock(&header);
}

TEST(PreviewPaint, TheTitleComesBackFromTheRightEdge) {
    BLOCK header = Header(Bytes());
    Preview preview(&header);
    ASSERT_NE(preview.window(), nullptr);
    // Scrolled out: only the trailing spaces cover the window, in the show's colour.
    bool cleared = false;
    std::vector<COLORREF> pixels;
    for (int paint = 0; paint < 400 && !cleared; ++paint) {
        pixels = preview.Paint();
        cleared = std::all_of(pixels.begin(), pixels.begin() + kHostWide * 100,
                              [](COLORREF c) { return c == kBackground; });
    }
    ASSERT_TRUE(cleared);
    // Soon after, the title enters at the right edge while the left stays clear.
    bool entered = false;
    for (int paint = 0; paint < 200 && !entered; ++paint) {
        pixels = preview.Paint();
        for (int y = 0; y < 100; ++y)
            for (int x = kHostWide - 60; x < kHostWide; ++x) entered = entered || IsTitleColour(At(pixels, x, y));
    }
    EXPECT_TRUE(entered);
    for (int y = 0; y < 100; y += 3) EXPECT_EQ(At(pixels, 10, y), kBackground);
    DestroyBlock(&header);
}

TEST(PreviewPaint, WithoutAHeaderTheWindowStaysBlack) {
    Preview preview(nullptr);
    ASSERT_NE(preview.window(), nullptr);
    for (int paint = 0; paint < 3; ++paint) {
        const std::vector<COLORREF> pixels = preview.Paint();
        EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](COLORREF c) { return c == RGB(0, 0, 0); }));
    }
    EXPECT_FALSE(preview.TicksInvalidate());
}

// More paints than the process has GDI handles: a font left behind at each
// paint would use them all up.
TEST(PreviewPaint, ScrollingLeavesNoGdiObjectBehind) {
    BLOCK header = Header(Bytes());
    Preview preview(&header);
    ASSERT_NE(preview.window(), nullptr);
    const DWORD start = GetTickCount();
    for (int paint = 0; paint < 70000; ++paint) {
        InvalidateRect(preview.window(), nullptr, FALSE);
        UpdateWindow(preview.window());
    }
    std::printf("70000 preview paints in %lu ms\n", (unsigned long)(GetTickCount() - start));
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_NE(brush, nullptr);
    if (brush) DeleteObject(brush);
    DestroyBlock(&header);
}

TEST(PreviewPicture, PaletteDisplaysGetItDitheredToTheDisplayPalette) {
    struct Case {
        const char *name;
        int display, depth;
        int expectedDepth;
    } cases[] = {
        {"true colour display", 32, 24, 24},
        {"palette display", 8, 24, 8},
        {"16-colour display", 4, 24, 8},
        {"palette display, 4-bit picture", 8, 4, 8},
        {"palette display, 1-bit picture stays", 8, 1, 1},
    };
    const int saved = devicebits;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        devicebits = c.display;
        BLOCK header = Header(TestDib(30, 20, c.depth));
        DitherPreviewForDisplay(&header);
        int wide = 0, deep = 0, bits = 0;
        ASSERT_TRUE(GetBitmapDimensions(header.data, &wide, &deep, &bits, nullptr));
        EXPECT_EQ(bits, c.expectedDepth);
        EXPECT_EQ(wide, 30);
        EXPECT_EQ(deep, 20);
        DestroyBlock(&header);
    }
    devicebits = saved;
    BLOCK none = Header(Bytes());
    DitherPreviewForDisplay(&none);  // no picture: nothing to do
    EXPECT_EQ(none.data, nullptr);
}
