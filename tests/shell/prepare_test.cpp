// The picture worker: what it makes, and how it stops.
#include <gtest/gtest.h>

#include "content/loader.h"
#include "shell/prepare.h"
#include "support/player_process.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

double Milliseconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

}  // namespace

// Closing never waits for a JPEG's decode: a stop lets the worker go, and
// the worker frees what it made when it ends. A picture of the store's own
// data is waited for, since the store goes next. Both stops leave nothing.
TEST(Prepare, AStopDoesNotWaitForADecode) {
    SCRIMAGE image{};
    image.flags = SCRF_FIT, image.placement = 5;
    ShowWriter writer(TestHead("Stop"));
    writer.AddJpegPicture(image, TestJpeg(6000, 4000, 90));
    writer.AddPicture(image, TestDib(64, 64, 24), false);
    TempFile file;
    file.Write(writer.Build(FakeProgram()));
    TestStore store;
    ASSERT_TRUE(LoadScrFile(store.list(), store.set(), file.path()));
    PICTUREJOB job{};
    job.block = store.Block(1);
    lstrcpynA(job.path, file.path(), sizeof job.path);
    job.screenwide = 800, job.screendeep = 600, job.devicebits = 24;

    double from = Milliseconds();
    HGLOBAL made = PreparePicture(job);
    const double decode = Milliseconds() - from;
    ASSERT_NE(made, nullptr);
    GlobalFree(made);

    const size_t before = CommittedPrivateBytes();
    PREPARING preparing{};
    BeginPreparing(&preparing, nullptr, WM_USER, 1, job);
    Sleep(DWORD(decode / 4));
    from = Milliseconds();
    StopPreparing(&preparing);
    EXPECT_LT(Milliseconds() - from, decode / 4) << "a decode of " << decode << " ms was waited for";
    EXPECT_EQ(preparing.work, nullptr);
    EXPECT_TRUE(WaitFor([&] { return CommittedPrivateBytes() < before + (4 << 20); }));

    job.block = store.Block(2);
    BeginPreparing(&preparing, nullptr, WM_USER, 2, job);
    StopPreparing(&preparing);
    EXPECT_EQ(preparing.work, nullptr);
    EXPECT_EQ(preparing.worker, nullptr);
}
