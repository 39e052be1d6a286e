// Crossfade and pan-and-zoom steps per second on a window of 1920x1080 and
// of 3840x2160 (goals: 60 and 30), and how long a fade really lasts against
// its `fade` (goal: within 5 %).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "imaging/blend.h"
#include "presentation/effect.h"
#include "presentation/motion.h"
#include "presentation/resample.h"
#include "support/test_support.h"
#include "support/window_canvas.h"
#include "bench_clock.h"

using namespace testing_support;

namespace {

constexpr int kComparedSteps = 10;
constexpr double kMotionMs = 1500;  // of pan-zoom steps timed

}  // namespace

int main() {
    std::printf("Crossfade blend with SSE2: %s; the display is %dx%d\n", BlendUsesSse2() ? "yes" : "no",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("%-10s %12s %14s %12s %10s\n", "window", "fade", "steps/s", "real length", "off by");
    const struct {
        int w, h, goal;
    } sizes[] = {{1920, 1080, 60}, {3840, 2160, 30}};
    for (const auto &size : sizes) {
        // The blend alone, without the blit (a display smaller than the
        // window draws only what it shows).
        {
            std::vector<uint32_t> from(size_t(size.w) * size.h, 0x00102030u), to(from.size(), 0x00E0D0C0u),
                out(from.size());
            const double start = Now();
            for (int t = 0; t <= BLEND_WHOLE; t += 8) BlendPixels(from.data(), to.data(), out.data(), out.size(), t);
            std::printf("%4dx%-5d blend alone: %.2f ms a step\n", size.w, size.h, (Now() - start) / 33);
        }
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
        // Pan and zoom: the zoom alone, then whole hold steps with the blit.
        {
            std::vector<uint32_t> source(size_t(size.w) * size.h, 0x00102030u), out(source.size());
            std::vector<uint8_t> work(ZoomWorkBytes(size.w, size.h));
            const double start = Now();
            for (int i = 0; i < 10; ++i)
                Zoom(source.data(), out.data(), size.w, size.h, 1 + 0.012 * i, size.w / 3, size.h / 2, work.data());
            std::printf("%4dx%-5d zoom alone: %.2f ms a step\n", size.w, size.h, (Now() - start) / 10);
            STATUS status = {};
            InitImageStatus(&status, picture, 0, 0, 80, 60, window.brush());
            status.panzoom = 1;
            while (status.phase != PHASE_HOLD) HandleOnceCell(window.window(), window.dc(), &status);
            HandleOnceCell(window.window(), window.dc(), &status);  // the motion's clock starts
            int steps = 0;
            const double begun = Now();
            for (; Now() - begun < kMotionMs; ++steps) {
                HandleOnceCell(window.window(), window.dc(), &status);
                GdiFlush();
            }
            const double elapsed = Now() - begun;
            const bool moved = status.motion && MotionLastScale() != 1 && MotionLastScale() != MOTION_ZOOM;
            DestroyStatus(&status);
            std::printf("%4dx%-5d pan-zoom %14.1f (goal %d)%s\n", size.w, size.h, steps * 1000.0 / elapsed,
                        size.goal, moved ? "" : "  DID NOT MOVE");
        }
        // For comparison: the worst of the first steps of every other
        // effect's appear on a picture as large as the window.
        for (int index = 0; index < RANDOMCHOICES; ++index) {
            STATUS status = {};
            InitImageStatus(&status, picture, index, index, 80, 0, window.brush());
            HandleOnceCell(window.window(), window.dc(), &status);  // set-up
            double worst = 0;
            for (int step = 0; step < kComparedSteps && status.phase == PHASE_APPEAR; ++step) {
                const double start = Now();
                HandleOnceCell(window.window(), window.dc(), &status);
                GdiFlush();
                worst = std::max(worst, Now() - start);
            }
            DestroyStatus(&status);
            std::printf("  %-20s worst of its first %d appear steps: %8.2f ms\n", effect[index].name, kComparedSteps,
                        worst);
        }
        GlobalFree(picture);
    }
    return 0;
}
