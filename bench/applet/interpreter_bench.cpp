// Lines per second of a tight counting loop: (a) the engine called directly,
// (b) through the saver window, one posted message per line, and (c) the
// same window's bare post-and-dispatch loop with no interpreter at all.
#include <cstdio>
#include <string>

#include "script_runner.h"
#include "shell/messages.h"
#include "support/saver_in_process.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

std::string CountingLoop(int iterations) {
    return "declareint(@i)\r\ndo()\r\ninc(@i)\r\nwhile(islessthan(@i," + std::to_string(iterations) + "))\r\n";
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Lines per second of the engine called directly, by the clock and by the
// thread's processor time (which other work on the machine leaves alone).
struct Rates {
    double wall, processor;
};
Rates Direct(int iterations) {
    ScriptRunner runner;
    runner.Start(CountingLoop(iterations));
    LARGE_INTEGER from, to;
    const double cpu = SaverInProcess::ThreadCpuMilliseconds();
    QueryPerformanceCounter(&from);
    runner.Run(1 << 30);
    QueryPerformanceCounter(&to);
    const double used = (SaverInProcess::ThreadCpuMilliseconds() - cpu) / 1000.0;
    return {runner.steps() / Seconds(from, to), used > 0 ? runner.steps() / used : 0.0};
}

// Dispatches until the applet has asked to advance; lines per second.
double ThroughWindow(int iterations) {
    ShowWriter writer(TestHead("Bench", RGB(0, 0, 0)));
    writer.AddApplet(SCRAPPLET{}, {}, {}, CountingLoop(iterations), false);
    SaverInProcess saver(writer.Build(FakeProgram()));
    LARGE_INTEGER from = {}, to = {};
    int steps = 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_APPLETSTEP && steps++ == 0) QueryPerformanceCounter(&from);
        const bool ended = msg.message == WM_TIMER && msg.wParam == IDT_ADVANCE && steps > 0;
        if (ended) QueryPerformanceCounter(&to);
        DispatchMessageA(&msg);
        if (ended) break;
    }
    return steps / Seconds(from, to);
}

// The same window, each dispatched WM_NULL posting the next.
double BareDispatch(int messages) {
    ShowWriter writer(TestHead("Bench", RGB(0, 0, 0)));
    SaverInProcess saver(writer.Build(FakeProgram()));
    saver.Run(200);
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    PostMessageA(saver.window(), WM_NULL, 0, 0);
    int seen = 0;
    MSG msg;
    while (seen < messages && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
        if (msg.message == WM_NULL && msg.hwnd == saver.window() && ++seen < messages)
            PostMessageA(saver.window(), WM_NULL, 0, 0);
    }
    QueryPerformanceCounter(&to);
    return seen / Seconds(from, to);
}

}  // namespace

int main() {
    const Rates direct = Direct(1000000);
    const double window = ThroughWindow(20000);
    const double bare = BareDispatch(60000);
    std::printf("applet lines per second: direct %.0f (%.0f per second of processor time), through the saver "
                "window %.0f\n",
                direct.wall, direct.processor, window);
    std::printf("bare post-and-dispatch per second: %.0f; window/bare %.2f\n", bare, window / bare);
    return 0;
}
