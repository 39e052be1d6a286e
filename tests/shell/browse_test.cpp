// The clock over a show and the keys that browse it, in the real player.
#include <gtest/gtest.h>

#include <utility>

#include "shell/clock.h"
#include "support/player_process.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

const COLORREF kColours[] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};

// Three whole-screen pictures that would each stay a minute.
ShowWriter BrowsedShow(uint32_t flags) {
    SCRHEAD head = TestHead("Browse", RGB(0, 0, 0));
    head.flags |= flags;
    ShowWriter writer(head);
    for (COLORREF colour : kColours) writer.AddPicture(TestPicture(0, 0, 1, 60), SolidDib(kScreenWide, kScreenDeep, colour), false);
    return writer;
}

bool AnyWhite(int x, int y, int w, int h) {
    for (COLORREF c : ScreenArea(x, y, w, h))
        if (c == RGB(255, 255, 255)) return true;
    return false;
}

}  // namespace

// → and ← step through the pictures and Space pauses, and the saver keeps
// running; any other key still ends it. The clock stands in the top right
// corner over the pictures.
TEST(Browse, ArrowsStepThePicturesSpacePausesAndOtherKeysEndTheSaver) {
    Playing show(BrowsedShow(SCRF_BROWSEKEYS | SCRF_CLOCKTIME));
    HWND window = show.window();
    ASSERT_TRUE(window);
    ASSERT_TRUE(CentreTurns(kColours[0]));
    EXPECT_TRUE(WaitFor([] { return AnyWhite(kScreenWide * 3 / 4, 0, kScreenWide / 4, kScreenDeep / 8); }));
    EXPECT_FALSE(AnyWhite(0, kScreenDeep / 2, kScreenWide / 4, kScreenDeep / 8));

    const std::pair<WPARAM, int> steps[] = {{VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_LEFT, 1}, {VK_LEFT, 0}, {VK_RIGHT, 1}};
    for (const auto &[key, picture] : steps) {
        PostMessageA(window, WM_KEYDOWN, key, 0);
        PostMessageA(window, WM_KEYUP, key, 0);
        EXPECT_TRUE(CentreTurns(kColours[picture])) << "after key " << key;
    }
    EXPECT_EQ(show.process().ExitCode(0), -1);

    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(WaitFor([] { return AnyWhite(0, 0, kScreenDeep / 8, kScreenDeep / 8); })) << "the pause mark";
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(WaitFor([] { return !AnyWhite(0, 0, kScreenDeep / 8, kScreenDeep / 8); }));
    EXPECT_EQ(show.process().ExitCode(0), -1);

    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(show.process().ExitCode(), 1);
}

// Without the mark in the show, an arrow ends the saver as any key does.
TEST(Browse, WithoutTheMarkAnArrowEndsTheSaver) {
    Playing show(BrowsedShow(0));
    HWND window = show.window();
    ASSERT_TRUE(window);
    ASSERT_TRUE(CentreTurns(kColours[0]));
    EXPECT_FALSE(AnyWhite(kScreenWide * 3 / 4, 0, kScreenWide / 4, kScreenDeep / 8));
    PostMessageA(window, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(show.process().ExitCode(), 1);
}

// The clock moves a little every minute, never far from its corner, and
// comes back to each place only after several minutes, midnight too.
TEST(Browse, TheClockMovesEachMinuteInsideItsCorner) {
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const RECT here = ClockPlace(1920, 300, 40, minute);
        for (int later = minute + 1; later < minute + 5; ++later) {
            const RECT then = ClockPlace(1920, 300, 40, later % (24 * 60));
            EXPECT_FALSE(EqualRect(&here, &then)) << minute << " and " << later;
        }
        EXPECT_LE(here.right, 1920 - 20);
        EXPECT_GE(here.right, 1920 - 20 - 6);
        EXPECT_GE(here.top, 20);
        EXPECT_LE(here.top, 26);
    }
    SYSTEMTIME noon = {2026, 12, 3, 9, 12, 5, 0, 0};
    wchar_t text[160];
    EXPECT_GT(ClockText(SCRF_CLOCKTIME, noon, text, 160), 3);
    const int time = lstrlenW(text);
    EXPECT_GT(ClockText(SCRF_CLOCKTIME | SCRF_CLOCKDATE, noon, text, 160), time + 6);
}
