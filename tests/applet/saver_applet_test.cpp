// Applets inside the real saver window: each one runs to its end, its
// error or its "end", and the show goes on; input ends a long pause.
#include <gtest/gtest.h>

#include <cstdio>

#include "shell/monitor_show.h"
#include "support/saver_in_process.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

Bytes AppletShow(const std::vector<std::string> &scripts) {
    ShowWriter writer(TestHead("Applets", RGB(0, 0, 0)));
    for (const std::string &script : scripts) writer.AddApplet(SCRAPPLET{}, {}, {}, script, false);
    return writer.Build(FakeProgram());
}

// Which block the show is at.
int Current(HWND window) {
    MONITORSHOW *set = LockMonitorShow(window);
    const int current = set ? set->current : -2;
    if (set) UnlockMonitorShow(window);
    return current;
}

DWORD WINAPI PressKeyLater(void *window) {
    Sleep(400);
    PostMessageA((HWND)window, WM_KEYDOWN, VK_SPACE, 0);
    return 0;
}

// How long a message sent during a pause waited for its answer.
volatile LONG sentWaitedMs = -1;

DWORD WINAPI SendDuringThePause(void *window) {
    Sleep(400);
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA((HWND)window, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result))
        sentWaitedMs = LONG(GetTickCount() - start);
    return 0;
}

char boxText[64];

DWORD WINAPI CloseMessageBox(void *) {
    for (int i = 0; i < 100; ++i, Sleep(20)) {
        HWND box = FindWindowA("#32770", "Message");
        if (!box) continue;
        GetDlgItemTextA(box, 0xFFFF, boxText, sizeof boxText);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 1;
    }
    return 0;
}

}  // namespace

TEST(SaverApplet, AppletsThatEndFailOrStopAllLetTheShowGoOn) {
    const std::string counting = "declareint(@i)\r\ndo()\r\ninc(@i)\r\nwhile(islessthan(@i,200))\r\n";
    const std::string failing = "declareint(@x)\r\n@x=div(1,0)\r\ninc(@x)\r\n";
    const std::string ending = "end()\r\ngoto(:nowhere)\r\n";
    SaverInProcess saver(AppletShow({counting, failing, ending}));
    ASSERT_TRUE(saver.loaded());
    // Two laps of four blocks in well under the time allowed.
    const int advances = saver.Run(3000);
    EXPECT_GE(advances, 8);
    EXPECT_TRUE(IsWindow(saver.window()));
}

TEST(SaverApplet, AFailedStartLeavesTheShowStanding) {
    SaverInProcess saver(AppletShow({":loop1\r\n:loop2\r\n"}));
    ASSERT_TRUE(saver.loaded());
    // The failure box is modal: another thread reads and closes it.
    HANDLE thread = CreateThread(nullptr, 0, CloseMessageBox, nullptr, 0, nullptr);
    saver.Run(1500);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_STREQ(boxText, "Label previously declared");
    EXPECT_EQ(Current(saver.window()), 1);
    EXPECT_EQ(saver.Run(300), 0);
}

TEST(SaverApplet, InputDuringALongSleepEndsTheSaverWithinASlice) {
    SaverInProcess saver(AppletShow({"sleep(10000)\r\n"}));
    ASSERT_TRUE(saver.loaded());
    HANDLE thread = CreateThread(nullptr, 0, PressKeyLater, saver.window(), 0, nullptr);
    const DWORD start = GetTickCount();
    while (IsWindow(saver.window()) && GetTickCount() - start < 5000) saver.Run(20);
    const DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_FALSE(IsWindow(saver.window()));
    EXPECT_LT(elapsed, 400u + 600u) << "the saver took " << elapsed << " ms to end";
}

// A pause sleeps while nothing needs it: a timer of the saver's thread that
// nothing serves during the pause (as an animation's frame timer) does not
// spin the processor, and a message another program sends is answered at
// once rather than when the pause ends.
TEST(SaverApplet, APauseNeitherSpinsNorKeepsSentMessagesWaiting) {
    SaverInProcess saver(AppletShow({"sleep(1500)\r\n"}));
    ASSERT_TRUE(saver.loaded());
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, SendDuringThePause, saver.window(), 0, nullptr);
    const double cpuBefore = saver.ThreadCpuMilliseconds();
    const DWORD start = GetTickCount();
    saver.Run(50);  // runs the applet's line: the pause returns after 1.5 s
    const double cpu = saver.ThreadCpuMilliseconds() - cpuBefore;
    const DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    KillTimer(nullptr, timer);
    EXPECT_GE(elapsed, 1400u);
    EXPECT_LT(cpu, 0.1 * elapsed) << cpu << " ms of processor time in " << elapsed << " ms";
    std::printf("a pause of 1.5 s with a timer running: %.0f ms of processor time\n", cpu);
    EXPECT_GE(sentWaitedMs, 0);
    EXPECT_LT(sentWaitedMs, 300) << "the sent message waited " << sentWaitedMs << " ms";
}
