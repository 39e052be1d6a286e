// Crossfade steps per second on a window of 1920x1080 and of 3840x2160
// (goals: 60 and 30), and how long a fade really lasts against its `fade`
// (goal: within 5 %).
#include <windows.h>

#include <cstdio>

#include "presentation/blend.h"
#include "presentation/effect.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace testing_support;

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

}  // namespace

int main() {
    std::printf("Crossfade blend with SSE2: %s\n", BlendUsesSse2() ? "yes" : "no");
    std::printf("%-10s %12s %14s %12s %10s\n", "window", "fade", "steps/s", "real length", "off by");
    const struct {
        int w, h, goal;
    } sizes[] = {{1920, 1080, 60}, {3840, 2160, 30}};
    for (const auto &size : sizes) {
        TestWindow window(size.w, size.h, RGB(0, 0, 0));
        HGLOBAL picture = GlobalCopy(TestDib(size.w, size.h, 24));
        for (int fade : {1500, 3000}) {
            STATUS status = {};
            InitImageStatus(&status, picture, CROSSFADE, CROSSFADE, 80, 0, window.brush());
            status.fade = fade;
            HandleOnceCell(window.window(), window.dc(), &status);  // set-up
            const double start = Now();
            int steps = 0;
            while (status.phase == PHASE_APPEAR) {
                HandleOnceCell(window.window(), window.dc(), &status);
                GdiFlush();
                ++steps;
            }
            const double length = Now() - start;
            DestroyStatus(&status);
            std::printf("%4dx%-5d %9d ms %9.1f (goal %d) %9.0f ms %8.1f %%\n", size.w, size.h, fade,
                        steps * 1000.0 / length, size.goal, length, (length - fade) * 100.0 / fade);
        }
        GlobalFree(picture);
    }
    return 0;
}
