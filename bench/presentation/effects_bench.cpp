// Cost of one Appear and one Disappear step of every effect on a 1920x1080
// picture, drawn in a real window, and the processor time the player uses
// while a picture holds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "presentation/effect.h"
#include "support/saver_in_process.h"
#include "support/test_support.h"
#include "support/window_canvas.h"
#include "bench_clock.h"

using namespace testing_support;

namespace {

constexpr int kWide = 1920, kDeep = 1080;
constexpr int kSteps = 20;  // steps timed per phase; the slowest counts

struct StepTimes {
    double mean = 0, worst = 0;
    int steps = 0;
};

// Times up to kSteps ticks while the cycle stays in `phase`.
StepTimes TimePhase(TestWindow &window, STATUS &status, WORD phase) {
    StepTimes times;
    double total = 0;
    while (status.phase == phase && times.steps < kSteps) {
        const double start = Now();
        HandleOnceCell(window.window(), window.dc(), &status);
        GdiFlush();
        const double spent = Now() - start;
        total += spent;
        times.worst = std::max(times.worst, spent);
        ++times.steps;
    }
    times.mean = times.steps ? total / times.steps : 0;
    return times;
}

void SkipTo(TestWindow &window, STATUS &status, WORD phase) {
    for (int i = 0; i < 1000000 && status.phase != phase; ++i) HandleOnceCell(window.window(), window.dc(), &status);
}

// Run in-process: Wine reports no processor time for other processes.
double HoldingCpuPercent() {
    SCRIMAGE image{};
    image.placement = 5;
    image.speed = 80;
    image.holdtime = 1000;
    ShowWriter writer(TestHead("Hold", RGB(0, 0, 0)));
    writer.AddPicture(image, TestDib(kWide / 2, kDeep / 2, 24), true);
    SaverInProcess saver(writer.Build(FakeProgram()));
    saver.Run(2000);  // the picture is up and holding
    const double before = SaverInProcess::ThreadCpuMilliseconds();
    saver.Run(5000);
    return (SaverInProcess::ThreadCpuMilliseconds() - before) / 5000.0 * 100.0;
}

}  // namespace

int main() {
    TestWindow window(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), RGB(0, 0, 0));
    const Bytes dib = TestDib(kWide, kDeep, 24);
    HGLOBAL picture = GlobalCopy(dib);
    std::printf("Per step on a %dx%d picture (goal: every step within 10 ms)\n", kWide, kDeep);
    std::printf("%-20s %14s %14s %14s %14s\n", "effect", "appear mean", "appear worst", "disappear mean",
                "disappear worst");
    for (int index = 0; index < MAXEFFECT; ++index) {
        STATUS status = {};
        InitImageStatus(&status, picture, index, index, 80, 0, (HBRUSH)GetStockObject(BLACK_BRUSH));
        HandleOnceCell(window.window(), window.dc(), &status);  // set-up
        const StepTimes appear = TimePhase(window, status, PHASE_APPEAR);
        SkipTo(window, status, PHASE_DISAPPEAR);
        const StepTimes disappear = TimePhase(window, status, PHASE_DISAPPEAR);
        SkipTo(window, status, PHASE_SETUP);
        DestroyStatus(&status);
        std::printf("%-20s %11.2f ms %11.2f ms %11.2f ms %11.2f ms\n", effect[index].name, appear.mean,
                    appear.worst, disappear.mean, disappear.worst);
    }
    GlobalFree(picture);
    std::printf("Processor time while a picture holds: %.2f %% of one core (goal: under 2 %%)\n",
                HoldingCpuPercent());
    return 0;
}
