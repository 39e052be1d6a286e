// The picture cycle and the transition effects, drawn in a real window and
// read back pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "imaging/jpeg_decode.h"
#include "presentation/effect_common.h"
#include "presentation/effect.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"
#include "support/window_canvas.h"
#include "presentation_fixtures.h"

using namespace presentation_fixtures;
using namespace testing_support;

namespace {

// Ticks the cycles in turn, each until its phase is `phase`; false if one
// never gets there.
bool RunInTurn(Cycle &first, Cycle &second, WORD phase) {
    bool done[2] = {};
    for (int i = 0; i < kMaxTicks && !(done[0] && done[1]); ++i)
        for (int k = 0; k < 2; ++k)
            if (!done[k]) done[k] = (k ? second : first).TickTowards(phase);
    return done[0] && done[1];
}

}  // namespace

TEST(PictureCycle, RunsPhaseByPhase) {
    TestWindow window(200, 150, kBackground);
    const Bytes dib = TestDib(40, 30, 24);
    Cycle cycle(window, dib, 0, 0, 2);
    ASSERT_TRUE(cycle.ok());
    EXPECT_EQ(cycle.status().activeeffect, NOACTIVEEFFECT);

    cycle.Tick();  // set-up: nothing is drawn yet
    EXPECT_EQ(cycle.status().phase, PHASE_APPEAR);
    EXPECT_EQ(cycle.status().activeeffect, 0);
    EXPECT_TRUE(cycle.ShowsBackground());

    cycle.Tick();  // None draws the whole picture at once
    EXPECT_EQ(cycle.status().phase, PHASE_HOLD);
    EXPECT_EQ(cycle.status().holdcount, 2);
    EXPECT_TRUE(cycle.ShowsPicture());

    cycle.Tick();  // holding while holdcount is above 0
    EXPECT_EQ(cycle.status().phase, PHASE_HOLD);
    cycle.status().holdcount = 0;
    cycle.Tick();
    EXPECT_EQ(cycle.status().phase, PHASE_DISAPPEAR);
    EXPECT_EQ(window.TakeCycleDone(), 0);

    cycle.Tick();  // disappear and close: the cycle is over
    EXPECT_EQ(cycle.status().phase, PHASE_SETUP);
    EXPECT_EQ(cycle.status().activeeffect, NOACTIVEEFFECT);
    EXPECT_EQ(cycle.status().bitmap, nullptr);
    EXPECT_TRUE(cycle.ShowsBackground());
    EXPECT_EQ(window.TakeCycleDone(), 1);
}

TEST(PictureCycle, HoldTimeZeroEndsTheHoldAtItsFirstTick) {
    TestWindow window(200, 150, kBackground);
    Cycle cycle(window, TestDib(10, 10, 24), 0, 0, 0);
    ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
    cycle.Tick();
    EXPECT_EQ(cycle.status().phase, PHASE_DISAPPEAR);
}

TEST(PictureCycle, EffectIndicesOutsideTheTableActAsNone) {
    TestWindow window(200, 150, kBackground);
    for (int index : {MAXEFFECT, 99, -1, 0xFFFF}) {
        SCOPED_TRACE(index);
        window.Clear();
        window.TakeCycleDone();
        Cycle cycle(window, TestDib(20, 12, 24), index, index);
        ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
        EXPECT_TRUE(cycle.ShowsPicture());
        ASSERT_TRUE(cycle.RunTo(PHASE_SETUP));
        EXPECT_TRUE(cycle.ShowsBackground());
    }
}

// Every effect, run to the end of Appear, leaves exactly the picture; run to
// the end of Disappear, the background. Odd sizes catch edge columns, rows,
// strips and tiles.
TEST(Effects, AppearLeavesThePictureAndDisappearTheBackground) {
    TestWindow window(160, 120, kBackground);
    const Bytes dib = TestDib(43, 33, 24);
    for (int index = 0; index < MAXEFFECT; ++index) {
        SCOPED_TRACE(effect[index].name);
        window.Clear();
        window.TakeCycleDone();
        Cycle cycle(window, dib, index, index);
        ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
        EXPECT_TRUE(cycle.ShowsPicture());
        EXPECT_TRUE(cycle.SurroundingsClean());
        ASSERT_TRUE(cycle.RunTo(PHASE_SETUP));
        EXPECT_EQ(window.TakeCycleDone(), 1);
        if (index == 3 || (index == 6 && RandomEffectInUse(&cycle.status()) == 3))
            EXPECT_TRUE(cycle.ShowsPicture());  // No Clear keeps it
        else
            EXPECT_TRUE(cycle.ShowsBackground());
        EXPECT_EQ(cycle.status().bitmap, nullptr);
        EXPECT_EQ(cycle.status().worklist, nullptr);
        EXPECT_EQ(cycle.status().order, nullptr);
        EXPECT_EQ(cycle.status().blend, nullptr);
    }
}

// Sizes whose last step ends one column or row short of the edge (width - 1
// a multiple of 6, height - 1 a multiple of 5 and of 16) leave nothing behind.
TEST(Effects, DisappearingWithAnotherEffectClearsTheWholePicture) {
    TestWindow window(160, 120, kBackground);
    for (auto size : {std::pair<int, int>{37, 29}, {43, 31}, {43, 33}, {44, 17}}) {
        const Bytes dib = TestDib(size.first, size.second, 24);
        for (int disappear : {0, 1, 2, 4, 5, 7, 8, 9, 10, 11, 12}) {
            SCOPED_TRACE(std::string(effect[disappear].name) + " " + std::to_string(size.first) + "x" +
                         std::to_string(size.second));
            window.Clear();
            Cycle cycle(window, dib, 8, disappear);  // Tile brings it on
            ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
            ASSERT_TRUE(cycle.RunTo(PHASE_SETUP));
            EXPECT_TRUE(cycle.ShowsBackground());
        }
    }
}

// An item ends when its display time runs out, in whatever phase, and the
// status is released with the lists in it. Every pair of effects, cut short
// one tick into Appear and into Disappear on a picture of another size,
// then runs whole cycles: no effect takes a list another effect, size or
// phase made, and after each Disappear the picture is gone.
TEST(Effects, EveryPairRunsWholeCyclesAfterCyclesCutShort) {
    TestWindow window(160, 120, kBackground);
    const Bytes dib = TestDib(43, 33, 24), other = TestDib(61, 20, 24);
    for (int appear = 0; appear < MAXEFFECT; ++appear)
        for (int disappear = 0; disappear < MAXEFFECT; ++disappear) {
            SCOPED_TRACE(std::string(effect[appear].name) + " / " + effect[disappear].name);
            for (WORD cut : {PHASE_APPEAR, PHASE_HOLD, PHASE_DISAPPEAR}) {
                Cycle cycle(window, other, appear, disappear, cut == PHASE_HOLD ? 1 : 0);
                cycle.status().panzoom = cut == PHASE_HOLD;  // cut short while it moves
                ASSERT_TRUE(cycle.RunTo(cut));
                cycle.Tick();
                if (cut == PHASE_HOLD) cycle.Tick();  // the motion's clock starts, then a frame
                DestroyStatus(&cycle.status());
                EXPECT_EQ(cycle.status().blend, nullptr);
                EXPECT_EQ(cycle.status().motion, nullptr);
            }
            window.Clear();
            // A still lap, then pan-zoom laps: the motion goes from the
            // appear's last frame to the disappear's first inside the picture.
            Cycle cycle(window, dib, appear, disappear, 1);
            for (int lap = 0; lap < 3; ++lap) {
                cycle.status().panzoom = lap > 0;
                ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
                ASSERT_TRUE(cycle.RunTo(PHASE_DISAPPEAR));
                EXPECT_TRUE(cycle.ShowsNoBackground() && cycle.SurroundingsClean()) << "lap " << lap;
                EXPECT_EQ(cycle.status().motion, nullptr);
                ASSERT_TRUE(cycle.RunTo(PHASE_SETUP));
                if (disappear != 3 && !(disappear == 6 && RandomEffectInUse(&cycle.status()) == 3)) {
                    EXPECT_TRUE(cycle.ShowsBackground()) << "lap " << lap;
                }
            }
        }
}

// Two pictures of different sizes in two windows of one thread, their ticks
// interleaved, each through the same effect for two laps: each ends its
// appear with its whole picture and its disappear with the background, as
// it does alone.
TEST(Effects, TwoPicturesSteppedInTurnEachShowWhatTheyShowAlone) {
    TestWindow one(160, 120, kBackground), other(160, 120, kBackground);
    const Bytes large = TestDib(61, 47, 24), small = TestDib(43, 33, 24);
    for (int index = 0; index < MAXEFFECT; ++index) {
        SCOPED_TRACE(effect[index].name);
        one.Clear(), other.Clear();
        Cycle first(one, large, index, index), second(other, small, index, index);
        for (int lap = 0; lap < 2; ++lap) {
            ASSERT_TRUE(RunInTurn(first, second, PHASE_HOLD));
            for (const Cycle *cycle : {&first, &second})
                EXPECT_TRUE(cycle->ShowsPicture() && cycle->SurroundingsClean()) << "lap " << lap;
            ASSERT_TRUE(RunInTurn(first, second, PHASE_SETUP));
            for (const Cycle *cycle : {&first, &second})
                EXPECT_TRUE(index == 3 ? cycle->ShowsPicture() : cycle->ShowsBackground()) << "lap " << lap;
        }
    }
}

// Every effect draws what GDI draws: 16- and 32-bit pictures and headers
// longer than BITMAPINFOHEADER.
TEST(Effects, EveryEffectDrawsEveryDepthAndHeaderGdiDraws) {
    TestWindow window(160, 120, kBackground);
    const Bytes source = TestDib(43, 33, 24);
    const struct {
        unsigned bits;
        uint32_t header;
        int tolerance;  // 5-bit channels are widened to 8 bits
    } forms[] = {{16, 40, 8}, {32, 40, 0}, {32, 108, 0}, {24, 124, 0}};
    for (const auto &form : forms)
        for (int index = 0; index < MAXEFFECT; ++index) {
            SCOPED_TRACE(std::string(effect[index].name) + " " + std::to_string(form.bits) + " bits, header " +
                         std::to_string(form.header));
            window.Clear();
            Cycle cycle(window, RepackedDib(source, form.bits, form.header), index, index);
            ASSERT_TRUE(cycle.ok());
            ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
            EXPECT_TRUE(ColoursNear(cycle.Area(), DibColours(source), form.tolerance));
        }
}

// A JPEG picture, decoded as its item starts, goes through every effect as
// a bitmap does: what stays is what the decoder gives, pixel for pixel.
TEST(Effects, EveryEffectDrawsADecodedJpegAsTheDecoderGivesIt) {
    TestWindow window(160, 120, kBackground);
    const Bytes jpeg = TestJpeg(43, 33);
    HGLOBAL stored = GlobalCopy(jpeg);
    HGLOBAL decoded = DecodeJpegToDib(stored);
    ASSERT_NE(decoded, nullptr);
    const Bytes dib((const uint8_t *)GlobalLock(decoded), (const uint8_t *)GlobalLock(decoded) + GlobalSize(decoded));
    GlobalUnlock(decoded), GlobalUnlock(decoded);
    GlobalFree(decoded), GlobalFree(stored);
    for (int index = 0; index < MAXEFFECT; ++index) {
        SCOPED_TRACE(effect[index].name);
        window.Clear();
        Cycle cycle(window, dib, index, index);
        ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
        EXPECT_EQ(cycle.Area(), JpegColours(jpeg));
    }
}

TEST(Effects, WipesOfAOnePixelPictureFinishInOneCall) {
    TestWindow window(100, 100, kBackground);
    for (int index : {2, 10, 11}) {
        SCOPED_TRACE(effect[index].name);
        window.Clear();
        Cycle cycle(window, TestDib(1, 20, 24), index, index);
        cycle.Tick();
        cycle.Tick();
        EXPECT_EQ(cycle.status().phase, PHASE_HOLD);
        EXPECT_TRUE(cycle.ShowsPicture());
    }
}

TEST(Effects, ChaosAndOrderRefusesSmallPictures) {
    TestWindow window(100, 100, kBackground);
    for (auto size : {std::pair<int, int>{8, 40}, {40, 8}, {5, 5}}) {
        SCOPED_TRACE(size.first * 100 + size.second);
        window.Clear();
        window.TakeCycleDone();
        Cycle cycle(window, TestDib(size.first, size.second, 24), 1, 1);
        cycle.Tick();
        EXPECT_EQ(window.TakeCycleDone(), 1);
        EXPECT_EQ(cycle.status().activeeffect, NOACTIVEEFFECT);
        cycle.Tick();
        EXPECT_TRUE(cycle.ShowsBackground());
    }
}

TEST(Effects, PlummetAndTileReportCompletionOneCallAfterTheLastPiece) {
    TestWindow window(100, 100, kBackground);
    for (int index : {4, 8}) {
        SCOPED_TRACE(effect[index].name);
        window.Clear();
        Cycle cycle(window, TestDib(16, 8, 24), index, index);  // one strip of 8 rows, two tiles
        cycle.Tick();  // set-up
        cycle.Tick();  // the only strip, or both tiles
        EXPECT_EQ(cycle.status().phase, PHASE_APPEAR);
        EXPECT_TRUE(cycle.ShowsPicture());
        cycle.Tick();
        EXPECT_EQ(cycle.status().phase, PHASE_HOLD);
    }
}

TEST(Effects, RandomNeverRepeatsAndUsesOnlyAllowedEffects) {
    TestWindow window(100, 100, kBackground);
    HGLOBAL picture = GlobalCopy(TestDib(20, 20, 24));
    STATUS status = {};
    InitImageStatus(&status, picture, 6, 6, 80, 0, window.brush());
    status.dc = window.dc();
    status.window = window.window();
    std::set<int> seen;
    int previous = RandomEffectInUse(&status);
    for (int i = 0; i < 400; ++i) {
        // The chosen effects reseed with the time in seconds: vary the seed.
        std::srand(unsigned(i));
        SetupRandom(&status);
        const int chosen = RandomEffectInUse(&status);
        EXPECT_NE(chosen, previous);
        EXPECT_TRUE(effect[chosen].randomappear) << chosen;
        seen.insert(chosen);
        status.holdcount = 0;
        EXPECT_EQ(WaitRandom(&status), EFFECT_NEXTPHASE);
        previous = RandomEffectInUse(&status);
        EXPECT_NE(previous, chosen);
        EXPECT_TRUE(effect[previous].randomdisappear) << previous;
        CloseRandom(&status);
    }
    EXPECT_EQ(seen.count(0) + seen.count(3) + seen.count(6) + seen.count(CROSSFADE), 0u);
    EXPECT_EQ(seen.size(), 9u);  // every allowed effect came up
    DestroyStatus(&status);
    GlobalFree(picture);
}

TEST(Effects, TheTableNamesEveryEffectInContentOrder) {
    const char *names[] = {"None",           "Chaos and Order", "Horizontal Split", "No Clear",
                           "Plummet",        "Quadrants",       "Random Effect",    "Sandstorm",
                           "Tile",           "Vertical Split",  "Wipe in from Left", "Wipe in from Right",
                           "Crossfade"};
    static_assert(sizeof names / sizeof *names == MAXEFFECT);
    for (int i = 0; i < MAXEFFECT; ++i) EXPECT_STREQ(effect[i].name, names[i]);
    EXPECT_EQ(&EffectAt(MAXEFFECT), &effect[0]);
    EXPECT_EQ(&EffectAt(-5), &effect[0]);
}

namespace {

// What a Crossfade step at weight t gives: from + (to - from) * t / 256, rounded down.
int Blended(int from, int to, int t) { return from + int(std::floor((to - from) * t / 256.0)); }
COLORREF Blended(COLORREF from, COLORREF to, int t) {
    return RGB(Blended(GetRValue(from), GetRValue(to), t), Blended(GetGValue(from), GetGValue(to), t),
               Blended(GetBValue(from), GetBValue(to), t));
}

}  // namespace

// A photo that stays ("No Clear") dissolves into the next: each step on the
// screen is the blend of the old photo and the new picture on the
// background, never the background between; then the new picture goes to
// the background. A stored fade of 0 lasts 1.5 s by the clock.
TEST(Crossfade, DissolvesPhotoIntoPhotoStepByStep) {
    TestWindow window(160, 120, kBackground);
    const Bytes first = TestDib(60, 50, 24), second = TestDib(43, 33, 24);
    Cycle old(window, first, 0, 3, 0, kTestFadeMs, 10, 10);
    ASSERT_TRUE(old.RunTo(PHASE_HOLD));
    // Points in both pictures, in the old one only, and in neither.
    const int x[] = {kLeft + 5, 12, 150}, y[] = {kTop + 7, 12, 110};
    const COLORREF from[] = {DibColour(first, x[0] - 10, y[0] - 10), DibColour(first, 2, 2), kBackground};
    const COLORREF to[] = {DibColour(second, 5, 7), kBackground, kBackground};
    Cycle cycle(window, second, CROSSFADE, CROSSFADE, 0, 0);
    for (WORD phase : {PHASE_APPEAR, PHASE_DISAPPEAR}) {
        ASSERT_TRUE(cycle.RunTo(phase));
        const DWORD start = GetTickCount();
        std::set<int> weights;
        for (; cycle.status().phase == phase; Sleep(15)) {
            cycle.Tick();
            weights.insert(CrossfadeLastWeight());
            for (int i = 0; i < (phase == PHASE_APPEAR ? 3 : 1); ++i)
                EXPECT_EQ(window.Capture(x[i], y[i], 1, 1)[0],
                          phase == PHASE_APPEAR ? Blended(from[i], to[i], CrossfadeLastWeight())
                                                : Blended(to[i], kBackground, CrossfadeLastWeight()));
        }
        EXPECT_GE(GetTickCount() - start + 20, 1500u);  // tick counts step by ~16 ms
        EXPECT_GE(weights.size(), 10u);                 // steps in between, not only the ends
        EXPECT_EQ(cycle.status().blend, nullptr);       // the buffers go as the phase ends
        EXPECT_TRUE(phase == PHASE_APPEAR ? cycle.ShowsPicture() && cycle.SurroundingsClean() : cycle.ShowsBackground());
    }
}
