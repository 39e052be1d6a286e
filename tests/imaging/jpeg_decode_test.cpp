// JPEG pictures decoded into packed bitmaps as their item starts: what the
// decoder gives, pixel for pixel, and damaged files that never crash it.
// ML_FUZZ_ITERATIONS sets the length of the mutation run (short in the test
// suite, long under `make fuzz`).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "imaging/dib.h"
#include "imaging/jpeg_decode.h"
#include "imaging/scale.h"
#include "support/test_jpeg.h"
#include "support/window_canvas.h"

using namespace testing_support;

namespace {

// The pixels of a decoded bitmap, row by row from the top; empty for none.
std::vector<COLORREF> Decoded(const Bytes &jpeg, int *width = nullptr, int *height = nullptr) {
    HGLOBAL stored = GlobalCopy(jpeg);
    HGLOBAL dib = DecodeJpegToDib(stored);
    GlobalFree(stored);
    std::vector<COLORREF> pixels;
    const void *locked = dib ? GlobalLock(dib) : nullptr;
    DIBLAYOUT layout;
    if (locked && GetDibLayout(locked, GlobalSize(dib), &layout)) {
        EXPECT_EQ(layout.bits, 24u);
        for (int y = 0; y < layout.height; ++y)
            for (int x = 0; x < layout.width; ++x) pixels.push_back(COLORREF(GetDibPixel(locked, x, y)));
        if (width) *width = layout.width, *height = layout.height;
    }
    if (locked) GlobalUnlock(dib);
    if (dib) GlobalFree(dib);
    return pixels;
}

int Iterations() {
    const char *text = std::getenv("ML_FUZZ_ITERATIONS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 300;
}

}  // namespace

TEST(DecodeJpegToDib, GivesWhatTheDecoderGives) {
    for (auto size : {std::pair<int, int>{43, 33}, {1, 1}, {17, 1}, {1, 17}, {640, 480}}) {
        SCOPED_TRACE(size.first * 10000 + size.second);
        const Bytes jpeg = TestJpeg(size.first, size.second, 75);
        int w = 0, h = 0;
        EXPECT_EQ(Decoded(jpeg, &w, &h), JpegColours(jpeg));
        EXPECT_EQ(w, size.first);
        EXPECT_EQ(h, size.second);
    }
}

// Fill bytes (0xFF) may stand before any marker, the start of the image too.
TEST(DecodeJpegToDib, FillBytesBeforeMarkersAreSkipped) {
    const Bytes jpeg = TestJpeg(43, 33, 75);
    Bytes filled = jpeg;
    filled.insert(filled.begin() + long(JpegSegment(jpeg, 0xC0)) - 2, {0xFF, 0xFF, 0xFF});
    filled.insert(filled.begin(), {0xFF, 0xFF});
    EXPECT_EQ(Decoded(filled), JpegColours(jpeg));
}

// Cut short, scans corrupted, headers that lie: a bitmap of the header's
// size or none, never a crash.
TEST(DecodeJpegToDib, DamagedFilesDecodeToThePictureOrToNothing) {
    const Bytes good = TestJpeg(64, 48);
    const size_t scan = JpegSegment(good, 0xDA), frame = JpegSegment(good, 0xC0);
    std::vector<Bytes> damaged;
    for (size_t cut : {size_t(2), frame, scan, scan + 20, good.size() / 2, good.size() - 2})
        damaged.emplace_back(good.begin(), good.begin() + long(cut));
    Bytes unknownComponent = good, progressive = good, wide = good;
    unknownComponent[scan + 3] = 0x77;  // the scan names no component of the frame
    progressive[frame - 1] = 0xC2;      // baseline data read as progressive
    wide[frame + 5] = 0x40, wide[frame + 6] = 0x00;  // 16384 wide, the data for 64
    damaged.insert(damaged.end(), {unknownComponent, progressive, wide});
    std::mt19937 random(7);
    for (int i = 0, n = Iterations(); i < n; ++i) {
        Bytes mutated = good;
        for (int flips = 1 + int(random() % 8); flips > 0; --flips)
            mutated[2 + random() % (mutated.size() - 2)] = uint8_t(random());
        damaged.push_back(mutated);
    }
    for (size_t i = 0; i < damaged.size(); ++i) {
        int w = 0, h = 0;
        const size_t pixels = Decoded(damaged[i], &w, &h).size();
        EXPECT_EQ(pixels, size_t(w) * size_t(h)) << "file " << i;
    }
    EXPECT_TRUE(Decoded(unknownComponent).empty());
    // A Huffman table of more than 256 codes would make the decoder write
    // past its tables: such a file is not handed to it.
    Bytes bigTable = good;
    const size_t counts = JpegSegment(good, 0xC4) + 3;
    bigTable[counts + 14] = bigTable[counts + 15] = 200;
    EXPECT_TRUE(Decoded(bigTable).empty());
}

// Fitted straight from the decoder's rows, a photo is the full-size picture
// scaled to the same size, byte for byte.
TEST(DecodeJpegToFittedDib, GivesTheFullSizePictureScaled) {
    HGLOBAL stored = GlobalCopy(TestJpeg(300, 200));
    HGLOBAL full = DecodeJpegToDib(stored);
    for (DWORD fit : {SCRF_FIT, SCRF_FILL}) {
        for (int screen : {120, 640}) {  // shrinking and growing
            RECT part;
            SIZE size;
            ASSERT_TRUE(FitPicture(300, 200, screen, screen * 9 / 16, fit, &part, &size));
            HGLOBAL fitted = DecodeJpegToFittedDib(stored, fit, screen, screen * 9 / 16);
            HGLOBAL scaled = ScaleDib(full, &part, int(size.cx), int(size.cy));
            const SIZE_T bytes = scaled ? GlobalSize(scaled) : 0;
            ASSERT_TRUE(fitted && bytes && GlobalSize(fitted) == bytes) << fit << " " << screen;
            EXPECT_EQ(std::memcmp(GlobalLock(fitted), GlobalLock(scaled), bytes), 0) << fit << " " << screen;
            GlobalUnlock(fitted), GlobalUnlock(scaled), GlobalFree(fitted), GlobalFree(scaled);
        }
    }
    EXPECT_FALSE(DecodeJpegToFittedDib(stored, SCRF_FIT, 0, 100));
    GlobalFree(full);
    GlobalFree(stored);
}
