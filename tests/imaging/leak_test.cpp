// Nothing is left behind: every GDI operation runs more times than the
// process's GDI handle table holds and must still work at the end; memory
// operations run on large pictures while the committed memory is watched.
#include <gtest/gtest.h>

#include "imaging/colour_reduction.h"
#include "imaging/drawing.h"
#include "imaging/palette.h"
#include "imaging_fixtures.h"
#include "support/test_support.h"

using namespace imaging_fixtures;

namespace {

// More than the about 65,000 objects a process may hold.
constexpr int GDI_ROUNDS = 70000;

// Runs `step` GDI_ROUNDS times; each must succeed.
template <typename Step>
void RunGdiRounds(Step step) {
    for (int i = 0; i < GDI_ROUNDS; ++i)
        if (!step()) FAIL() << "round " << i << " failed";
}

std::vector<BYTE> SmallPalette() {
    std::vector<BYTE> palette(768);
    for (int i = 0; i < 768; ++i) palette[i] = BYTE(i * 11);
    return palette;
}

}  // namespace

TEST(GdiObjects, DrawBitmapReleasesEverything) {
    Dib dib(CreateDib(4, 4, SmallPalette().data(), 8));
    FillDib(dib.get(), 5);
    Canvas canvas(8, 8, RGB(1, 2, 3));
    RunGdiRounds([&] {
        canvas.SetPixelAt(1, 1, RGB(1, 2, 3));
        DrawBitmap(canvas.dc(), 0, 0, dib.get(), SRCCOPY);
        return canvas.Pixel(1, 1) == RGB(165, 176, 187);
    });
}

TEST(GdiObjects, ShowTransparentDibReleasesEverything) {
    const std::vector<BYTE> palette = SmallPalette();
    Dib dib(CreateDib(4, 4, palette.data(), 8));
    FillDib(dib.get(), 5);
    Locked locked(dib.get());
    PutDibPixel(locked.get(), 0, 0, 1);
    Canvas canvas(8, 8, RGB(1, 2, 3));
    RunGdiRounds([&] {
        canvas.SetPixelAt(1, 1, RGB(1, 2, 3));
        return ShowTransparentDib(canvas.dc(), nullptr, locked.get(), 0, 0, RGB(33, 44, 55)) == 1 &&
               canvas.Pixel(1, 1) == RGB(165, 176, 187) && canvas.Pixel(0, 0) == RGB(1, 2, 3);
    });
}

// GDI makes no device bitmap of 2 bits per pixel: each step fails after the
// contexts, the mask and the other bitmaps are made, and must let them go.
TEST(GdiObjects, ShowTransparentDibReleasesEverythingWhenGdiFails) {
    Dib dib(HandMadeDib(4, 4, 2));
    Locked locked(dib.get());
    Canvas canvas(8, 8, RGB(1, 2, 3));
    const size_t before = testing_support::CommittedPrivateBytes();
    RunGdiRounds([&] { return ShowTransparentDib(canvas.dc(), nullptr, locked.get(), 0, 0, RGB(0, 0, 0)) == 0; });
    EXPECT_LT(testing_support::CommittedPrivateBytes(), before + (4 << 20));
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(1, 2, 3));
    Dib good(CreateDib(4, 4, nullptr, 8));
    Locked lockedgood(good.get());
    EXPECT_EQ(ShowTransparentDib(canvas.dc(), nullptr, lockedgood.get(), 0, 0, RGB(9, 9, 9)), 1);
}

TEST(GdiObjects, CopyScreenToBitmapLeavesOnlyItsResult) {
    Canvas canvas(16, 16, RGB(9, 8, 7));
    const RECT rect = {-2, -2, 6, 6};
    RunGdiRounds([&] {
        HBITMAP bitmap = CopyScreenToBitmap(canvas.dc(), &rect);
        const bool ok = bitmap && BitmapSize(bitmap).cx == 6;
        DeleteObject(bitmap);
        return ok;
    });
}

TEST(GdiObjects, RealizeAndUnrealizeWindowPalette) {
    Canvas canvas(4, 4);
    const std::vector<BYTE> palette = SmallPalette();
    const size_t before = testing_support::CommittedPrivateBytes();
    RunGdiRounds([&] {
        PALSTATE state;
        const bool ok = RealizeWindowPalette(canvas.dc(), &state, palette.data(), 256) == 1 && state.palette;
        UnrealizeWindowPalette(canvas.dc(), &state);
        return ok;
    });
    EXPECT_LT(testing_support::CommittedPrivateBytes(), before + (4 << 20));
}

// Each round handles about 1 MB: a leak of any block shows as hundreds of MB.
TEST(Memory, BitmapOperationsFreeWhatTheyTake) {
    const std::vector<BYTE> display = Palette(PALETTE_DISPLAY);
    Dib picture(CreateDib(600, 400, nullptr, 24));
    FillDib(picture.get(), RGB(128, 64, 32));
    Dib mono(CreateDib(600, 400, Palette(PALETTE_MONO).data(), 1));
    const std::vector<BYTE> shortrows = RawDib(600, 400, 24, 1000);
    Dib bad(BlockOf(shortrows.data(), shortrows.size()));
    const RECT crop = {-10, -10, 500, 300};
    auto round = [&] {
        Dib dithered(DitherDib(picture.get(), display.data(), 8, 0));
        Dib remapped(RemapDib(dithered.get(), display.data(), 8, 0));
        Dib cropped(CropImage(picture.get(), &crop));
        Locked locked(picture.get());
        Dib copy(CopyBitmapToHandle(locked.get()));
        int width = 0;
        const bool ok = dithered && remapped && cropped && copy &&
                        GetBitmapDimensions(picture.get(), &width, nullptr, nullptr, nullptr) && width == 600;
        // The paths that refuse.
        const bool refused = !DitherDib(mono.get(), display.data(), 8, 0) && !DitherDib(bad.get(), display.data(), 8, 0) &&
                             !RemapDib(bad.get(), display.data(), 8, 0) && !CropImage(bad.get(), &crop);
        return ok && refused;
    };
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(round());
    const size_t before = testing_support::CommittedPrivateBytes();
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(round()) << i;
    EXPECT_LT(testing_support::CommittedPrivateBytes(), before + (8 << 20));
}
