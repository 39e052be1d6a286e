// Picture import: decoding, flattening, scaling and refusing hostile files.
#include <gtest/gtest.h>

#include <cstring>

#include "build.h"
#include "dib.h"
#include "errors.h"
#include "image.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::Pattern;
using testing_mlshow::Png;

namespace {

std::string ImportError(const Bytes &file) {
    try {
        ImportPicture(file, 0, 0, 0);
    } catch (const InputError &error) {
        return error.what();
    }
    return "";
}

// A BMP file header that claims a size and holds almost nothing.
Bytes LyingBmp(int32_t width, int32_t height) {
    Bytes file(54 + 16);
    file[0] = 'B';
    file[1] = 'M';
    const uint32_t size = uint32_t(file.size()), offset = 54, info = 40;
    std::memcpy(&file[2], &size, 4);
    std::memcpy(&file[10], &offset, 4);
    std::memcpy(&file[14], &info, 4);
    std::memcpy(&file[18], &width, 4);
    std::memcpy(&file[22], &height, 4);
    file[26] = 1;
    file[28] = 24;
    return file;
}

Bytes CutPng() {
    Bytes png = Png(Pattern(50, 50, {1, 2, 3}));
    png.resize(60);
    return png;
}

}  // namespace

TEST(ImageImport, PngKeepsItsColoursExactly) {
    const Image image = Pattern(17, 9, {0x102030, 0xA0B0C0, 0xFFFFFF});
    const Bytes dib = ImportPicture(Png(image), 0, 0, 0);
    EXPECT_EQ(UnpackDib(dib).rgba, image.rgba);
    EXPECT_EQ(dib[14], 4);
}

TEST(ImageImport, TransparencyIsFlattenedOntoTheBackground) {
    Image image = Pattern(2, 1, {0xFF0000});
    image.Pixel(0, 0)[3] = 0;    // fully transparent
    image.Pixel(1, 0)[3] = 128;  // half
    const Image flat = UnpackDib(ImportPicture(Png(image), 0xFF0000 /* blue as 0x00BBGGRR */, 0, 0));
    EXPECT_EQ(flat.Pixel(0, 0)[0], 0);
    EXPECT_EQ(flat.Pixel(0, 0)[2], 255);
    EXPECT_EQ(flat.Pixel(1, 0)[0], 128);
    EXPECT_EQ(flat.Pixel(1, 0)[2], 127);
}

TEST(ImageImport, ScalesDownToFitKeepingTheAspect) {
    struct Case {
        uint32_t width, height, maxWidth, maxHeight, expectedWidth, expectedHeight;
    };
    const Case cases[] = {{640, 480, 152, 112, 149, 112}, {1000, 100, 152, 112, 152, 15}, {100, 100, 152, 112, 100, 100},
                          {3000, 2000, 300, 300, 300, 200}, {1, 5000, 152, 112, 1, 112}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const Image scaled = ScaleToFit(Pattern(c.width, c.height, {0x808080}), c.maxWidth, c.maxHeight);
        EXPECT_EQ(scaled.width, c.expectedWidth);
        EXPECT_EQ(scaled.height, c.expectedHeight);
        EXPECT_NEAR(scaled.Pixel(0, 0)[0], 0x80, 1);
    }
}

TEST(ImageImport, RefusesHostileAndBrokenFilesWithAMessage) {
    struct Case {
        const char *description;
        Bytes file;
        const char *expected;
    };
    const Case cases[] = {
        {"huge BMP", LyingBmp(100000, 100000), "100000x100000 pixels"},
        {"wide BMP", LyingBmp(20000, 1), "20000x1 pixels"},
        {"empty file", Bytes(), "not a picture"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, "not a picture"},
        {"cut PNG", CutPng(), "cannot be decoded"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_NE(ImportError(c.file).find(c.expected), std::string::npos) << ImportError(c.file);
    }
}

TEST(ImageImport, LargeSourcesScaleToTheirLimit) {
    const Bytes dib = ImportPicture(Png(Pattern(400, 200, {0x112233, 0x445566})), 0, 100, 100);
    DibInfo info;
    EXPECT_EQ(CheckPackedDib(dib.data(), dib.size(), &info), "");
    EXPECT_EQ(info.width, 100u);
    EXPECT_EQ(info.height, 50u);
}
