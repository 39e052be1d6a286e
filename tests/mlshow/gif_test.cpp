// Animated GIF import: frames, delays, transparency and the loop count.
#include <gtest/gtest.h>

#include <cstring>

#include "errors.h"
#include "gif_import.h"
#include "support.h"

using namespace mlshow;

TEST(GifImport, ReadsEveryFrameWithItsDelay) {
    const GifAnimation gif = DecodeGif(testing_mlshow::ReadBytes(testing_mlshow::SourcePath("examples/demo/spinner.gif")));
    EXPECT_EQ(gif.width, 64u);
    EXPECT_EQ(gif.height, 64u);
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.delays, (std::vector<uint32_t>{200, 200, 200}));
    EXPECT_EQ(gif.loops, 0u);  // loops forever
    // The corners are transparent, the centre is not.
    EXPECT_EQ(gif.frames[0].Pixel(0, 0)[3], 0);
    EXPECT_EQ(gif.frames[0].Pixel(32, 32)[3], 255);
}

TEST(GifImport, LoopCountComesFromTheApplicationExtension) {
    struct Case {
        const char *description;
        Bytes file;
        uint32_t loops;
    };
    auto withLoops = [](uint8_t low, uint8_t high) {
        Bytes file = {'G', 'I', 'F', '8', '9', 'a', 0x21, 0xFF, 0x0B};
        const char *name = "NETSCAPE2.0";
        file.insert(file.end(), name, name + 11);
        file.insert(file.end(), {0x03, 0x01, low, high, 0x00});
        return file;
    };
    Bytes cut = withLoops(5, 0);
    cut.resize(cut.size() - 3);
    const Case cases[] = {
        {"none", {'G', 'I', 'F', '8', '9', 'a'}, 1}, {"forever", withLoops(0, 0), 0}, {"twice more", withLoops(2, 0), 3},
        {"many", withLoops(0, 1), 257},              {"cut short", cut, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(GifLoops(c.file), c.loops);
    }
}

TEST(GifImport, RefusesHugeAndBrokenGifs) {
    // A logical screen of 65535 x 65535 with nothing in it.
    Bytes huge = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, ',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    const Bytes cases[] = {huge, Bytes{'G', 'I', 'F', '8', '9', 'a'}, Bytes{'P', 'N', 'G'}};
    for (const Bytes &file : cases) EXPECT_THROW(DecodeGif(file), InputError);
}
