// Texts: preparation and measurement by style, and drawing in a real window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "presentation/status.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace testing_support;

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 80);

HGLOBAL TextBlock(const std::string &text) {
    Bytes bytes(text.begin(), text.end());
    bytes.resize(bytes.size() + 16, 0);  // as the loader stores texts
    return GlobalCopy(bytes);
}

class Text {
public:
    Text(TestWindow &window, const std::string &text, int style, int boxwide = 0, int boxdeep = 0, int margin = 0)
        : window_(window), block_(TextBlock(text)) {
        font_ = CreateFontA(24, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
        ok_ = InitTextStatus(&status_, font_, window.brush(), block_, window.window(), style, 0, boxwide, boxdeep,
                             margin) == 1;
        header_.style = uint32_t(style);
        header_.textcolour = RGB(255, 255, 0);
        header_.boxcolour = RGB(0, 128, 0);
        header_.boxwide = uint32_t(boxwide);
    }
    ~Text() {
        DestroyStatus(&status_);
        DeleteObject(font_);
        GlobalFree(block_);
    }
    bool ok() const { return ok_; }
    STATUS &status() { return status_; }
    std::string Prepared() const {
        std::string text((const char *)GlobalLock(status_.text));
        GlobalUnlock(status_.text);
        return text;
    }
    SIZE Extent(const std::string &text) const {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font_);
        SIZE size;
        GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return size;
    }
    void Tick() { HandleOnceTextCell(window_.window(), window_.dc(), &status_, &header_); }

private:
    TestWindow &window_;
    HGLOBAL block_;
    HFONT font_;
    STATUS status_ = {};
    SCRTEXT header_ = {};
    bool ok_ = false;
};

}  // namespace

TEST(TextStatus, PreparesTheTextForItsStyle) {
    TestWindow window(100, 100, kBackground);
    const std::string written = "One\r\nTwo\tthree";
    struct Case {
        int style;
        std::string prepared;
    } cases[] = {
        {0, "One Twothree"}, {1, "One Twothree"}, {2, "One Twothree  "},
        {3, "One Twothree  "}, {4, written}, {5, written},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.style);
        Text text(window, written, c.style, 200, 100);
        ASSERT_TRUE(text.ok());
        EXPECT_EQ(text.Prepared(), c.prepared);
    }
}

TEST(TextStatus, MeasuresByStyle) {
    TestWindow window(100, 100, kBackground);
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    Text line(window, "Hello there", 0);
    const SIZE size = line.Extent("Hello there");
    EXPECT_EQ(line.status().textrect.right, size.cx);
    EXPECT_EQ(line.status().textrect.bottom, size.cy);
    EXPECT_TRUE(EqualRect(&line.status().boxrect, &line.status().textrect));
    EXPECT_EQ(line.status().scroll, size.cy);

    Text band(window, "Hello there", 1);
    EXPECT_EQ(band.status().boxrect.right, screen);
    EXPECT_EQ(band.status().scroll, screen);
    Text scrolling(window, "Hello there", 2);
    EXPECT_EQ(scrolling.status().textrect.right, scrolling.Extent("Hello there  ").cx);
    EXPECT_EQ(scrolling.status().scroll, size.cy);  // its height, not its width
    Text entering(window, "Hello there", 3);
    EXPECT_EQ(entering.status().scroll, screen);

    Text box(window, "Hello there", 4, 120, 90);
    EXPECT_EQ(box.status().textrect.right, 120);
    EXPECT_EQ(box.status().textrect.bottom, 90);
    EXPECT_EQ(box.status().scroll, 0);

    Text wrapped(window, "many words that will not fit on one narrow line", 5, 80);
    EXPECT_GT(wrapped.status().textrect.bottom, 2 * size.cy);
    EXPECT_TRUE(EqualRect(&wrapped.status().boxrect, &wrapped.status().textrect));

    Text unknown(window, "x", 9);
    EXPECT_TRUE(IsRectEmpty(&unknown.status().textrect));
}

TEST(TextStatus, FillsTheBoxOnceAndDrawsAStaticTextOnce) {
    TestWindow window(300, 100, kBackground);
    Text text(window, "Marrow", 0, 0, 0, 4);
    text.status().x = 20;
    text.status().y = 20;
    text.Tick();
    EXPECT_EQ(text.status().boxfilled, 1);
    EXPECT_EQ(text.status().drawn, 1);
    const RECT r = text.status().textrect;
    std::vector<COLORREF> area = window.Capture(20 - 4, 20 - 4, r.right + 8, r.bottom + 8);
    EXPECT_GT(std::count(area.begin(), area.end(), RGB(255, 255, 0)), 20);
    EXPECT_EQ(area.front(), RGB(0, 128, 0));  // the margin is part of the box

    window.Clear();  // a later tick draws nothing more
    text.Tick();
    area = window.Capture(20 - 4, 20 - 4, r.right + 8, r.bottom + 8);
    EXPECT_TRUE(std::all_of(area.begin(), area.end(), [](COLORREF c) { return c == kBackground; }));
}

TEST(TextStatus, ScrollingTextsRunOnePassAndRestart) {
    TestWindow window(300, 100, kBackground);
    Text scrolling(window, "ab", 2);
    const int w = scrolling.status().textrect.right;
    const int start = scrolling.status().scroll;
    scrolling.Tick();
    EXPECT_EQ(scrolling.status().scroll, start - 4);
    int ticks = 1;
    while (!window.TakeCycleDone() && ticks < 10000) {
        scrolling.Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, (start + w) / 4 + 1);
    EXPECT_EQ(scrolling.status().scroll, w);
    EXPECT_EQ(scrolling.status().activeeffect, NOACTIVEEFFECT);

    // A screen-wide band restarts from the larger of the text's and the band's width.
    Text entering(window, "ab", 3);
    entering.status().width = 1000;
    while (!window.TakeCycleDone()) entering.Tick();
    EXPECT_EQ(entering.status().scroll, 1000);
}
