// The real player started with the host's switches, with and without a show
// appended: which modes open the saver window, what it shows, and that input
// ends it with exit code 1.
#include <gtest/gtest.h>

#include <string>

#include "shell/globals.h"
#include "shell/monitor_windows.h"
#include "support/player_process.h"
#include "support/test_support.h"

using namespace testing_support;

// Each switch ends the player with exit code 1: at once where it opens
// nothing, else when input reaches the saver window it opened, also without
// a show or with a damaged one (whose saver paints nothing).
TEST(PlayerModes, EverySwitchEndsWithExitCodeOne) {
    const Bytes good = Player::WithShow(ShowWriter(TestHead()));
    Bytes broken = Player::WithShow(ShowWriter(TestHead("Broken", RGB(0, 0, 200))));
    broken[broken.size() - SCREND_SIZE - 100] ^= 0xFF;  // inside the HEAD header: its check fails
    struct Row {
        const char *tail;
        const Bytes *show;  // null: the bare player
        UINT input;         // 0: it ends by itself
    };
    const Row rows[] = {
        {"x", &good, 0},       {"/z", &good, 0},         {"-", &good, 0},
        {"/p", &good, 0},      {"/p 0", &good, 0},       {"/l", &good, 0},
        {"/c", &broken, 0},    // the information dialog without a header to show
        {"/s", &broken, WM_KEYDOWN},
        {"/s", nullptr, WM_RBUTTONDOWN},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.tail) + (row.show == &broken ? " broken" : row.show ? "" : " bare"));
        Player player(row.show ? *row.show : Bytes());
        Process process(player.path(), row.tail);
        ASSERT_TRUE(process.started());
        if (row.input) {
            HWND window = process.SaverWindow();
            ASSERT_NE(window, nullptr);
            if (row.show == &broken) {
                EXPECT_FALSE(CentreTurns(RGB(0, 0, 200), 1000));
            }
            PostMessageA(window, row.input, row.input == WM_KEYDOWN ? VK_ESCAPE : 0, 0);
        }
        EXPECT_EQ(process.ExitCode(), 1);
    }
}

TEST(PlayerModes, RunSwitchesOpenTheSaverAndAKeyEndsIt) {
    Player player(Player::WithShow(ShowWriter(TestHead())));
    for (const char *tail : {"/s", "/S", "-s", "s"}) {
        SCOPED_TRACE(tail);
        Process process(player.path(), tail);
        HWND window = process.SaverWindow();
        ASSERT_NE(window, nullptr);
        char title[64] = {};
        GetWindowTextA(window, title, sizeof title);
        EXPECT_STREQ(title, "Screen Saver.Marrowlight Screen Saver");
        RECT r;
        GetWindowRect(window, &r);
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
        EXPECT_TRUE(WaitFor([&] { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
        EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_VISIBLE), LONG(WS_POPUP | WS_VISIBLE));
        if (GetSystemMetrics(SM_CMONITORS) == 1) {  // one monitor: nothing else to cover
            EXPECT_EQ(FindWindowExA(nullptr, nullptr, kMonitorWindowClass, nullptr), nullptr);
        }
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(process.ExitCode(), 1);
    }
}

// The background fills the screen, also after a display change. Wine itself
// resizes a full-screen window when the resolution changes, so the test
// leaves the saver window at a wrong place and size as a display change on
// Windows would, and sends the message the system sends then.
TEST(PlayerModes, TheShowsBackgroundFillsTheScreen) {
    Player player(Player::WithShow(ShowWriter(TestHead("Red", RGB(200, 0, 0)))));
    Process process(player.path(), "/s");
    HWND window = process.SaverWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(CentreTurns(RGB(200, 0, 0)));
    EXPECT_EQ(ScreenPixel(0, 0), RGB(200, 0, 0));

    // Housekeeping commands are swallowed: the saver stays.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    EXPECT_EQ(process.ExitCode(300), -1);

    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(window, nullptr, 100, 50, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageTimeoutA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(width, height), SMTO_ABORTIFHUNG, kPatience,
                        nullptr);
    RECT r = {};
    EXPECT_TRUE(WaitFor([&] { return GetWindowRect(window, &r) && r.left == 0 && r.top == 0 && r.right == width &&
                                     r.bottom == height; }));
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(width - 1, height - 1) == RGB(200, 0, 0); }));
    EXPECT_EQ(process.ExitCode(300), -1);
    PostMessageA(window, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(process.ExitCode(), 1);
}

TEST(PlayerModes, OnlyARealMouseMoveEndsTheSaver) {
    Player player(Player::WithShow(ShowWriter(TestHead("Moves", RGB(0, 90, 0)))));
    SetCursorPos(300, 300);
    Process process(player.path(), "/s");
    HWND window = process.SaverWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(CentreTurns(RGB(0, 90, 0)));
    // A move message that does not change the position is ignored.
    for (int i = 0; i < 3; ++i) PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
    EXPECT_EQ(process.ExitCode(300), -1);
    SetCursorPos(340, 320);
    EXPECT_EQ(process.ExitCode(), 1);
}

// Another program taking the foreground ends the saver as input does; the
// saver's own window taking the activation (the box of an applet that
// cannot start) does not.
TEST(PlayerModes, LosingTheForegroundToAnotherProgramEndsTheSaver) {
    ShowWriter writer(TestHead("Foreground", RGB(0, 0, 90)));
    writer.AddApplet(SCRAPPLET{}, {}, {}, ":twice\r\n:twice\r\n", false);
    Player player(Player::WithShow(writer));
    Process process(player.path(), "/s");
    HWND window = process.SaverWindow();
    ASSERT_NE(window, nullptr);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowA("#32770", "Message")) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }));
    EXPECT_EQ(process.ExitCode(300), -1);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
    EXPECT_EQ(process.ExitCode(300), -1);

    HWND other = CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(other);
    EXPECT_EQ(process.ExitCode(), 1);
    DestroyWindow(other);
}
