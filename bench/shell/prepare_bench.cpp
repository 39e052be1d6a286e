// Milliseconds to make a 12-megapixel photo ready for the screen (read,
// decode, fit, reduce), and the gap a show of such photos leaves between
// one photo's last step and the next one's first, with the next photo made
// on the worker while the current one holds.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "content/loader.h"
#include "imaging/jpeg_decode.h"
#include "imaging/scale.h"
#include "shell/messages.h"
#include "shell/prepare.h"
#include "support/saver_in_process.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"
#include "bench_clock.h"

using namespace testing_support;

namespace {

// The times of five runs of `work`, which frees what it makes: median and worst.
template <typename Work>
std::pair<double, double> Times(Work work) {
    std::vector<double> v;
    for (int i = 0; i < 5; ++i) {
        const double from = Now();
        if (HGLOBAL made = work()) GlobalFree(made);
        v.push_back(Now() - from);
    }
    std::sort(v.begin(), v.end());
    return {v[2], v[4]};
}

SCRIMAGE Photo() {
    SCRIMAGE image{};
    image.flags = SCRF_FIT, image.placement = 5, image.speed = 80, image.holdtime = 2;
    image.duration = 1;  // one cycle, then the next photo
    return image;
}

void Preparation(const Bytes &jpeg) {
    ShowWriter writer(TestHead("Bench"));
    writer.AddJpegPicture(Photo(), jpeg);
    TempFile file;
    file.Write(writer.Build(FakeProgram()));
    TestStore store;
    if (!LoadScrFile(store.list(), store.set(), file.path())) return;
    PICTUREJOB job{};
    job.block = store.Block(1);
    lstrcpynA(job.path, file.path(), sizeof job.path);
    job.devicebits = 24;
    // Its parts: the decode alone, and the scale alone.
    HGLOBAL read = ReadJpegPicture(&job.block, job.path), decoded = read ? DecodeJpegToDib(read) : nullptr;
    const double decode = Times([&] {
        HGLOBAL again = ReadJpegPicture(&job.block, job.path), dib = again ? DecodeJpegToDib(again) : nullptr;
        if (again) GlobalFree(again);
        return dib;
    }).first;
    std::printf("read and decode 4000x3000 JPEG: %.0f ms median; scale to 1440x1080: %.0f ms, to 2880x2160: %.0f ms\n",
                decode, Times([&] { return ScaleDib(decoded, nullptr, 1440, 1080); }).first,
                Times([&] { return ScaleDib(decoded, nullptr, 2880, 2160); }).first);
    if (decoded) GlobalFree(decoded);
    if (read) GlobalFree(read);
    for (auto screen : {std::pair<int, int>{1920, 1080}, {3840, 2160}})
        for (uint32_t fit : {SCRF_FIT, SCRF_FILL, uint32_t(0)}) {
            job.block.image.flags = (job.block.image.flags & ~SCRF_FITMASK) | fit;
            job.screenwide = screen.first, job.screendeep = screen.second;
            const auto [median, worst] = Times([&] { return PreparePicture(job); });
            std::printf("prepare 4000x3000 JPEG (%lu KB) for %dx%d, %s: %.0f ms median, %.0f ms worst (goal %d ms)\n",
                        (unsigned long)(jpeg.size() / 1024), screen.first, screen.second,
                        fit == SCRF_FIT ? "fit" : fit == SCRF_FILL ? "fill" : "own size", median, worst,
                        screen.first > 1920 ? 400 : 250);
        }
}

// Plays a show of photos in this thread and times, at each change of photo,
// from the end of the last step before the advance to the end of the first
// step after it.
void Gaps(const Bytes &jpeg, const char *what) {
    ShowWriter writer(TestHead("Gaps"));
    for (int i = 0; i < 6; ++i) writer.AddJpegPicture(Photo(), jpeg);
    SaverInProcess saver(writer.Build(FakeProgram()));
    if (!saver.loaded()) return;
    std::vector<double> gaps;
    double lastStep = 0;
    bool advanced = false;
    const double end = Now() + 40000;
    MSG msg;
    while (Now() < end && gaps.size() < 10) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        const bool ours = msg.message == WM_TIMER && msg.hwnd == saver.window();
        advanced = advanced || (ours && msg.wParam == IDT_ADVANCE && lastStep > 0);
        DispatchMessageA(&msg);
        if (!ours || msg.wParam != IDT_STEP) continue;
        if (advanced) gaps.push_back(Now() - lastStep);
        advanced = false, lastStep = Now();
    }
    if (gaps.empty()) return;
    std::sort(gaps.begin(), gaps.end());
    std::printf("gap between %s photos fitted to %dx%d: %.0f ms median, %.0f ms worst of %zu (goal 50 ms)\n",
                what, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), gaps[gaps.size() / 2],
                gaps.back(), gaps.size());
}

}  // namespace

int main() {
    const Bytes jpeg = TestJpeg(4000, 3000, 90);
    Preparation(jpeg);
    Gaps(jpeg, "4000x3000");
    Gaps(TestJpeg(800, 600, 90), "800x600");
    return 0;
}
