// The real player started with the host's switches, with and without a show
// appended: which modes open the saver window, what it shows, and that input
// ends it with exit code 1.
#include <gtest/gtest.h>

#include <string>

#include "shell/globals.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

constexpr DWORD kPatience = 10000;  // ms a process may take to answer

// A copy of the player, with or without a show appended to it.
class Player {
public:
    explicit Player(const Bytes &show = Bytes()) {
        Bytes program = ReadFileBytes(PlayerPath());
        file_.Write(show.empty() ? program : show);
    }
    static Bytes WithShow(ShowWriter writer) { return writer.Build(ReadFileBytes(PlayerPath())); }
    const char *path() const { return file_.path(); }

private:
    TempFile file_;
};

class Process {
public:
    Process(const char *program, const std::string &tail) {
        std::string line = std::string("\"") + program + "\" " + tail;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
    }
    ~Process() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    bool started() const { return started_; }
    // The exit code, or -1 when the process is still running after `ms`.
    long ExitCode(DWORD ms = kPatience) const {
        if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return long(code);
    }
    // The process's saver window, once it exists.
    HWND SaverWindow(DWORD ms = kPatience) const {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            HWND window = nullptr;
            while ((window = FindWindowExA(nullptr, window, "WindowsScreenSaverClass", nullptr))) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == info_.dwProcessId) return window;
            }
            if (ExitCode(0) != -1) return nullptr;
            Sleep(20);
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD ms = kPatience) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}

// Waits until the screen's centre shows `colour`.
bool CentreTurns(COLORREF colour, DWORD ms = kPatience) {
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    return WaitFor([&] { return ScreenPixel(x, y) == colour; }, ms);
}

}  // namespace

TEST(PlayerModes, SwitchesThatEndAtOnce) {
    Player player(Player::WithShow(ShowWriter(TestHead())));
    for (const char *tail : {"", "x", "/z", "-", "/p", "/p 0", "/l", "-c"}) {
        SCOPED_TRACE(tail);
        Process process(player.path(), tail);
        ASSERT_TRUE(process.started());
        EXPECT_EQ(process.ExitCode(), 1);
    }
}

TEST(PlayerModes, DialogModeWithoutAShowShowsNothing) {
    Player bare;  // no show appended: the header cannot be read
    Process process(bare.path(), "/c");
    EXPECT_EQ(process.ExitCode(), 1);
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
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(process.ExitCode(), 1);
    }
}

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

TEST(PlayerModes, ABrokenShowLeavesASaverThatInputCloses) {
    Bytes show = Player::WithShow(ShowWriter(TestHead("Broken", RGB(0, 0, 200))));
    show[show.size() - SCREND_SIZE - 100] ^= 0xFF;  // inside the HEAD header: its check fails
    Player player(show);
    Process process(player.path(), "/s");
    HWND window = process.SaverWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(CentreTurns(RGB(0, 0, 200), 1000));  // no content, so nothing is painted
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(process.ExitCode(), 1);
}

TEST(PlayerModes, APlayerWithoutAShowIsAlsoASaver) {
    Player bare;
    Process process(bare.path(), "/s");
    HWND window = process.SaverWindow();
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(process.ExitCode(), 1);
}
