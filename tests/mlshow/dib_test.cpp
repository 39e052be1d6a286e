// Packing pictures into bitmaps: depth choice, palettes, transparency keys.
#include <gtest/gtest.h>

#include <cstring>

#include "content/format.h"
#include "dib.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::Pattern;

namespace {

DIBHEADER HeaderOf(const Bytes &dib) {
    DIBHEADER h;
    std::memcpy(&h, dib.data(), sizeof h);
    return h;
}

std::vector<uint32_t> Colours(size_t count) {
    std::vector<uint32_t> colours;
    for (size_t i = 0; i < count; ++i) colours.push_back(uint32_t(i * 0x010203 + 7));
    return colours;
}

}  // namespace

TEST(Dib, ChoosesTheSmallestExactDepth) {
    struct Case {
        size_t colours;
        uint16_t bits;
    };
    const Case cases[] = {{1, 1}, {2, 1}, {3, 4}, {16, 4}, {17, 8}, {256, 8}, {257, 24}, {1000, 24}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.colours);
        const Image image = Pattern(40, 30, Colours(c.colours));
        const Bytes dib = PackDib(image);
        EXPECT_EQ(HeaderOf(dib).biBitCount, c.bits);
        EXPECT_EQ(CheckPackedDib(dib.data(), dib.size()), "");
        EXPECT_EQ(dib.size(), PackedDibSize(40, 30, c.bits));
        // The bitmap holds the picture exactly.
        EXPECT_EQ(UnpackDib(dib).rgba, image.rgba);
    }
}

TEST(Dib, HeaderAndPaletteAreThePlayersLayout) {
    const Bytes dib = PackDib(Pattern(3, 2, {0xFFFFFF, 0x000000}));
    const DIBHEADER h = HeaderOf(dib);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biPlanes, 1u);
    EXPECT_EQ(h.biClrUsed, 2u);
    EXPECT_EQ(h.biSizeImage, 8u);  // two rows of 4 bytes
    // Sorted palette: black first.
    EXPECT_EQ(dib[40], 0);
    EXPECT_EQ(dib[44], 255);
    EXPECT_EQ(dib.size(), 40u + 8 + 8);
}

TEST(Dib, TransparentFramesGetAKeyNoOpaquePixelHas) {
    Image image = Pattern(4, 4, {0xFF00FF, 0x00FF00});
    image.Pixel(1, 1)[3] = 0;
    const FrameDib frame = PackFrameDib(image);
    EXPECT_TRUE(frame.transparent);
    EXPECT_EQ(HeaderOf(frame.dib).biBitCount, 4u);  // two colours and the key
    EXPECT_EQ(frame.key, 2u);
    const uint8_t *entry = &frame.dib[40 + 4 * frame.key];
    const uint32_t keyColour = uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
    EXPECT_NE(keyColour, 0xFF00FFu);
    EXPECT_NE(keyColour, 0x00FF00u);
}

TEST(Dib, DeepTransparentFramesUseAnUnusedColour) {
    Image image = Pattern(40, 40, Colours(600));
    image.Pixel(0, 0)[3] = 0;
    const FrameDib frame = PackFrameDib(image);
    EXPECT_EQ(HeaderOf(frame.dib).biBitCount, 24u);
    EXPECT_EQ(frame.key, 0xFF00FFu);  // magenta, with red in the low byte
}

TEST(Dib, CheckRefusesDamagedBitmaps) {
    const Bytes good = PackDib(Pattern(8, 8, Colours(3)));
    struct Case {
        const char *description;
        size_t offset;
        uint32_t value;
        size_t keep;
        const char *expected;
    };
    const Case cases[] = {
        {"short", 0, 40, 20, "shorter than its header"},
        {"header size", 0, 12, 0, "header size 12"},
        {"depth", 14, 5, 0, "depth 5"},
        {"negative height", 8, 0xFFFFFFF8u, 0, "bitmap size 8x-8"},
        {"huge", 4, 0x7FFFFFFF, 0, "larger than the player accepts"},
        {"cut rows", 0, 40, 100, "needs"},
        {"compression", 16, 1, 0, "compression 1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        Bytes dib = good;
        if (c.offset == 14) dib[14] = uint8_t(c.value);
        else std::memcpy(&dib[c.offset], &c.value, 4);
        if (c.keep) dib.resize(c.keep);
        EXPECT_NE(CheckPackedDib(dib.data(), dib.size()).find(c.expected), std::string::npos)
            << CheckPackedDib(dib.data(), dib.size());
    }
}

TEST(Dib, PlayerBmpFilesPassThroughUnchanged) {
    const Bytes dib = PackDib(Pattern(9, 5, Colours(5)));
    const Bytes bmp = BmpFromDib(dib);
    ASSERT_EQ(bmp.size(), dib.size() + 14);
    EXPECT_EQ(DibFromPlayerBmp(bmp), dib);
    Bytes other = bmp;
    other[10] = 0;  // another pixel offset: not the player's layout
    EXPECT_EQ(DibFromPlayerBmp(other), std::nullopt);
    EXPECT_EQ(DibFromPlayerBmp(Bytes(bmp.begin(), bmp.end() - 1)), std::nullopt);
}
