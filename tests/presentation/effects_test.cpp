// The picture cycle and the transition effects, drawn in a real window and
// read back pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "imaging/jpeg_decode.h"
#include "imaging/blend.h"
#include "presentation/effect_common.h"
#include "presentation/effect.h"
#include "presentation/motion.h"
#include "presentation/resample.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace testing_support;

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 80);
constexpr int kLeft = 30, kTop = 20;  // where the picture goes in the window
constexpr int kMaxTicks = 50000;
constexpr int kTestFadeMs = 20;  // Crossfades run by the clock: short ones keep the tests quick
constexpr int kHoldTicks = 3;    // RunTo past a hold ends it after these ticks, as the second timer would

// A picture being cycled through one appear and one disappear effect.
class Cycle {
public:
    Cycle(TestWindow &window, const Bytes &dib, int appear, int disappear, int holdtime = 0, int fade = kTestFadeMs,
          int left = kLeft, int top = kTop)
        : window_(window), dib_(dib), picture_(GlobalCopy(dib)) {
        ok_ = InitImageStatus(&status_, picture_, appear, disappear, 80, holdtime, window.brush()) == 1;
        status_.fade = fade;
        status_.x = left;
        status_.y = top;
    }
    ~Cycle() {
        DestroyStatus(&status_);
        GlobalFree(picture_);
    }
    bool ok() const { return ok_; }
    STATUS &status() { return status_; }
    void Tick() { HandleOnceCell(window_.window(), window_.dc(), &status_); }
    // One tick on the way to `phase`; true once it is there.
    bool TickTowards(WORD phase) {
        Tick();
        if (status_.phase != PHASE_HOLD) held_ = 0;
        if (status_.phase == PHASE_HOLD && phase != PHASE_HOLD && ++held_ >= kHoldTicks) status_.holdcount = 0;
        return status_.phase == phase;
    }
    // Ticks until the phase is `phase`; false if it never comes.
    bool RunTo(WORD phase) {
        for (int i = 0; i < kMaxTicks; ++i)
            if (TickTowards(phase)) return true;
        return false;
    }
    std::vector<COLORREF> Area() const {
        const DIBHEADER *h = (const DIBHEADER *)dib_.data();
        return window_.Capture(kLeft, kTop, h->biWidth, h->biHeight);
    }
    bool ShowsPicture() const { return Area() == DibColours(dib_); }
    bool ShowsNoBackground() const {
        const std::vector<COLORREF> area = Area();
        return std::find(area.begin(), area.end(), kBackground) == area.end();
    }
    bool ShowsBackground() const {
        const std::vector<COLORREF> area = Area();
        return std::all_of(area.begin(), area.end(), [](COLORREF c) { return c == kBackground; });
    }
    // Nothing was drawn two or more pixels outside the picture.
    bool SurroundingsClean() const {
        const DIBHEADER *h = (const DIBHEADER *)dib_.data();
        const std::vector<COLORREF> all = window_.Capture(0, 0, kLeft * 2 + h->biWidth, kTop * 2 + h->biHeight);
        const int wide = kLeft * 2 + h->biWidth;
        for (size_t i = 0; i < all.size(); ++i) {
            const int x = int(i % wide), y = int(i / wide);
            const bool nearPicture = x >= kLeft - 2 && x < kLeft + h->biWidth + 2 && y >= kTop - 2 &&
                              y < kTop + h->biHeight + 2;
            if (!nearPicture && all[i] != kBackground) return false;
        }
        return true;
    }

private:
    TestWindow &window_;
    Bytes dib_;
    HGLOBAL picture_;
    STATUS status_ = {};
    bool ok_ = false;
    int held_ = 0;  // hold ticks so far on the way to a phase past the hold
};

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

// Every pair of bytes at weights across the range; the count leaves a tail
// past the vector loop's blocks of four.
TEST(Crossfade, BlendMatchesTheFormulaForEveryPairOfBytes) {
    std::vector<uint32_t> from(65539), to(from.size()), out(from.size()), scalar(from.size());
    for (size_t i = 0; i < from.size(); ++i)
        from[i] = uint32_t(i % 256) * 0x01010101u, to[i] = uint32_t(i / 256 % 256) * 0x01010101u ^ 0xFF00FF00u;
    for (int t : {0, 1, 77, 128, 255, 256}) {
        BlendPixels(from.data(), to.data(), out.data(), out.size(), t);
        BlendPixelsScalar(from.data(), to.data(), scalar.data(), scalar.size(), t);
        ASSERT_EQ(out, scalar) << t;
        for (size_t i = 0; i < out.size(); ++i)
            for (int shift = 0; shift < 32; shift += 8)
                ASSERT_EQ(int(out[i] >> shift & 0xFF),
                          Blended(int(from[i] >> shift & 0xFF), int(to[i] >> shift & 0xFF), t));
    }
}

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

// The zoom keeps the picture's area: scale 1 copies it, the focus pixel
// stays, the SSE2 path gives what the scalar one gives, and a chosen
// pixel is the bilinear blend of its four source pixels.
TEST(PanZoom, ZoomMatchesTheScalarPathAndTheFormula) {
    const int w = 37, h = 23;
    std::vector<uint32_t> source(size_t(w) * h), out(source.size()), scalar(source.size());
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint32_t(i * 2654435761u);
    std::vector<uint8_t> work(ZoomWorkBytes(w, h));
    ASSERT_FALSE(work.empty());
    Zoom(source.data(), out.data(), w, h, 1.0, 3, 17, work.data());
    EXPECT_EQ(out, source);
    for (double scale : {1.01, 1.07, MOTION_ZOOM}) {
        Zoom(source.data(), out.data(), w, h, scale, 10.5, 5.5, work.data());
        ZoomScalar(source.data(), scalar.data(), w, h, scale, 10.5, 5.5, work.data());
        ASSERT_EQ(out, scalar) << scale;
        EXPECT_EQ(out[5 * w + 10], source[5 * w + 10]);
        const double sx = 10.5 + (30 + 0.5 - 10.5) / scale - 0.5, sy = 5.5 + (20 + 0.5 - 5.5) / scale - 0.5;
        const int x = int(sx), y = int(sy);
        for (int shift = 0; shift < 32; shift += 8) {
            auto at = [&](int i, int j) { return double(source[size_t(j) * w + i] >> shift & 0xFF); };
            const double top = at(x, y) + (at(x + 1, y) - at(x, y)) * (sx - x);
            const double bottom = at(x, y + 1) + (at(x + 1, y + 1) - at(x, y + 1)) * (sx - x);
            EXPECT_NEAR(double(out[20 * w + 30] >> shift & 0xFF), top + (bottom - top) * (sy - y), 3.0) << scale;
        }
    }
    EXPECT_EQ(ZoomWorkBytes(0, 5), 0u);
}

// While it holds, a pan-zoom picture moves by the clock, zooming between
// 100 % and 112 % one way or the other, and never leaves its area: no
// background inside, nothing outside. The appear brings its first frame on
// and its last is what the disappear effects work from.
TEST(PanZoom, MovesByTheClockInsideThePicture) {
    TestWindow window(200, 150, kBackground);
    const Bytes dib = TestDib(90, 70, 24);
    std::set<bool> ways;
    for (unsigned seed = 1; seed < 8; ++seed) {
        SCOPED_TRACE(seed);
        window.Clear();
        std::srand(seed);
        Cycle cycle(window, dib, 0, 3, 2);
        cycle.status().panzoom = 1;
        ASSERT_TRUE(cycle.RunTo(PHASE_HOLD));
        const bool zoomin = MotionLastScale() == 1;
        ways.insert(zoomin);
        EXPECT_EQ(cycle.ShowsPicture(), zoomin);  // zooming out starts from 112 %
        std::vector<std::vector<COLORREF>> frames = {cycle.Area()};
        std::vector<double> scales = {MotionLastScale()};
        cycle.Tick();  // the clock starts
        for (int moment = 0; moment < 3; ++moment) {
            Sleep(150);
            cycle.Tick();
            scales.push_back(MotionLastScale());
            frames.push_back(cycle.Area());
            EXPECT_TRUE(cycle.ShowsNoBackground() && cycle.SurroundingsClean());
            EXPECT_NE(frames[frames.size() - 1], frames[frames.size() - 2]);
            EXPECT_TRUE(zoomin ? scales.back() > scales[scales.size() - 2] : scales.back() < scales[scales.size() - 2]);
        }
        EXPECT_TRUE(scales.back() > 1 && scales.back() < MOTION_ZOOM);
        cycle.status().holdcount = 0;
        cycle.Tick();
        ASSERT_EQ(cycle.status().phase, PHASE_DISAPPEAR);
        EXPECT_EQ(cycle.status().motion, nullptr);
        const std::vector<COLORREF> last = cycle.Area();
        window.Clear();
        DrawWholePicture(&cycle.status(), PictureSize{90, 70});  // what the disappear effects draw from
        EXPECT_EQ(cycle.Area(), last);
    }
    EXPECT_EQ(ways.size(), 2u);
}
