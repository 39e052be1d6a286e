// Animation data: layout and the checks of its frame table.
#include <gtest/gtest.h>

#include <cstring>

#include "animation.h"
#include "dib.h"
#include "support.h"

using namespace mlshow;

namespace {

Animation TwoFrames() {
    Animation animation;
    animation.wide = 30;
    animation.deep = 20;
    animation.loopcount = 3;
    AnimationFrame first{PackDib(testing_mlshow::Pattern(10, 10, {1, 2})), ANIMFRAME_TRANSPARENT, 50, 1, 0, 0};
    AnimationFrame second{PackDib(testing_mlshow::Pattern(20, 10, {3})), ANIMFRAME_RESTORE, 0, 0, 10, 10};
    animation.frames = {first, second};
    return animation;
}

}  // namespace

TEST(Animation, BuildAndReadAreMirrors) {
    const Animation animation = TwoFrames();
    const Bytes data = BuildAnimationData(animation);
    ASSERT_EQ(data.size(), 48u + 2 * 60 + animation.frames[0].dib.size() + animation.frames[1].dib.size());
    OBJECTANIMFRAME second;
    std::memcpy(&second, &data[48 + 60], sizeof second);
    EXPECT_EQ(second.offset, 48u + 120 + animation.frames[0].dib.size());
    std::string problem;
    const Animation read = ReadAnimationData(data, &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(read.loopcount, 3u);
    ASSERT_EQ(read.frames.size(), 2u);
    EXPECT_EQ(read.frames[1].dib, animation.frames[1].dib);
    EXPECT_EQ(read.frames[1].x, 10);
    EXPECT_EQ(read.frames[0].delay, 50u);
    EXPECT_EQ(BuildAnimationData(read), data);
}

TEST(Animation, DamagedFrameTablesAreFound) {
    const Bytes good = BuildAnimationData(TwoFrames());
    struct Case {
        const char *description;
        size_t offset;
        uint32_t value;
        const char *expected;
    };
    const Case cases[] = {
        {"no frames", 8, 0, "no frames"},
        {"too many frames", 8, 1000000, "does not fit"},
        {"window", 0, 0, "animation window 0x20"},
        {"offset outside", 48 + 60, 0xFFFFFF, "frame 2: bitmap offset"},
        {"offset into the table", 48, 4, "frame 1: bitmap"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        Bytes data = good;
        std::memcpy(&data[c.offset], &c.value, 4);
        std::string problem;
        ReadAnimationData(data, &problem);
        EXPECT_NE(problem.find(c.expected), std::string::npos) << problem;
    }
    std::string problem;
    ReadAnimationData(Bytes(20), &problem);
    EXPECT_NE(problem.find("shorter than its header"), std::string::npos);
}
