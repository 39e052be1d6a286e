// Pan and zoom of a holding picture, drawn in a real window and read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "presentation/effect_common.h"
#include "presentation/motion.h"
#include "presentation_fixtures.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace presentation_fixtures;
using namespace testing_support;

// While it holds, a pan-zoom picture moves by the clock, zooming between
// 100 % and 112 % one way or the other, and never leaves its area: no
// background inside, nothing outside. The appear brings its first frame on
// and its last is what the disappear effects work from.
TEST(Motion, MovesByTheClockInsideThePicture) {
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
